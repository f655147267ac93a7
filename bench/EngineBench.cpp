// Time per stereo sample frame of each engine at 44.1 kHz, read from the
// "per_frame" counter, on 512-frame blocks. "Program" runs the first factory
// program with settled smoothing; "Moving" changes every parameter the engine
// reads every 16 frames, as sliced automation does, so the smoothing never
// settles.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "dsp/flanger/FlangerEngine.h"
#include "dsp/tilteq/TiltEqEngine.h"

namespace {

constexpr float kSampleRate = 44100.0f;
constexpr int kBlock = 512;
constexpr int kMovingRun = 16;

struct StereoBlock {
    std::vector<float> left, right;
};

StereoBlock testSignal()
{
    std::mt19937 noise(1);
    std::uniform_real_distribution<float> uniform(-0.1f, 0.1f);
    StereoBlock block{std::vector<float>(kBlock), std::vector<float>(kBlock)};
    for (int i = 0; i < kBlock; ++i) {
        const float tone = 0.5f * std::sin(static_cast<float>(i) * 0.0627f);
        block.left[i] = tone + uniform(noise);
        block.right[i] = tone - uniform(noise);
    }
    return block;
}

// Slow triangle in [0, 1] so that smoothing and designs never settle.
float sweep(int64_t frame, int64_t period)
{
    const auto phase = static_cast<float>(frame % period) / static_cast<float>(period);
    return phase < 0.5f ? 2.0f * phase : 2.0f - 2.0f * phase;
}

// Calls process(left, right, frames) on runs of `run` frames of the test
// signal, after move(first frame of the run).
template <typename Process, typename Move>
void runFrames(benchmark::State& state, int run, Process process, Move move)
{
    const StereoBlock in = testSignal();
    StereoBlock io = in;
    int64_t frame = 0;
    for (auto _ : state) {
        io.left = in.left;
        io.right = in.right;
        for (int i = 0; i < kBlock; i += run, frame += run) {
            move(frame);
            // Opaque, as a host's block size is: no specialised copy of the engine.
            auto frames = static_cast<uint32_t>(run);
            benchmark::DoNotOptimize(frames);
            process(&io.left[i], &io.right[i], frames);
        }
        benchmark::DoNotOptimize(io.left.data());
        benchmark::DoNotOptimize(io.right.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

constexpr std::array<float, 22> kFlangerProgram0{0.0f, 0.33775365f, 0.0f,       0.5899053f, 0.047685146f,
                                                 1.0f, 0.42941594f, 0.6048176f, 0.7589065f};
constexpr std::array<float, 21> kTiltEqProgram0{0.0f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f, 1.0f, 0.4324f};

void BM_FlangerEngine_Program(benchmark::State& state)
{
    auto p = kFlangerProgram0;
    FlangerEngine engine(kSampleRate, p.data());
    float l = 0.0f, r = 0.0f;
    for (int i = 0; i < 100000; ++i) engine.process(&l, &r, 120.0f);
    float tempo = 120.0f;
    benchmark::DoNotOptimize(tempo);
    runFrames(
        state, kBlock, [&](float* a, float* b, uint32_t n) { engine.process(a, b, n, tempo); },
        [](int64_t) {});
}

void BM_FlangerEngine_Moving(benchmark::State& state)
{
    auto p = kFlangerProgram0;
    FlangerEngine engine(kSampleRate, p.data());
    float tempo = 120.0f;
    runFrames(
        state, kMovingRun, [&](float* a, float* b, uint32_t n) { engine.process(a, b, n, tempo); },
        [&](int64_t frame) {
            const float s = sweep(frame, 88200);
            p[1] = s;
            p[3] = 1.0f - s;
            p[4] = s;
            p[5] = 0.5f * s;
            p[6] = 0.9f * s;
            p[7] = 1.0f - 0.5f * s;
            p[8] = 0.5f + 0.2f * s;
            // Alternate free and tempo-locked rates, with a drifting tempo.
            p[2] = (frame / 22050) % 2 == 0 ? 0.0f : static_cast<float>(1 + (frame / 44100) % 8);
            tempo = 90.0f + 60.0f * s;
        });
}

void BM_TiltEqEngine_Program(benchmark::State& state)
{
    auto p = kTiltEqProgram0;
    TiltEqEngine engine(kSampleRate, p.data());
    float l = 0.0f, r = 0.0f;
    for (int i = 0; i < 100000; ++i) engine.process(&l, &r);
    runFrames(
        state, kBlock, [&](float* a, float* b, uint32_t n) { engine.process(a, b, n); }, [](int64_t) {});
}

void BM_TiltEqEngine_Moving(benchmark::State& state)
{
    auto p = kTiltEqProgram0;
    TiltEqEngine engine(kSampleRate, p.data());
    runFrames(
        state, kMovingRun, [&](float* a, float* b, uint32_t n) { engine.process(a, b, n); },
        [&](int64_t frame) {
            const float s = sweep(frame, 88200);
            p[1] = s;
            p[2] = 1.0f - s;
            p[3] = 0.25f + 0.5f * s;
            p[5] = 0.3f + 0.2f * s;
            p[7] = 1.0f - s;
        });
}

} // namespace

BENCHMARK(BM_FlangerEngine_Program);
BENCHMARK(BM_FlangerEngine_Moving);
BENCHMARK(BM_TiltEqEngine_Program);
BENCHMARK(BM_TiltEqEngine_Moving);
