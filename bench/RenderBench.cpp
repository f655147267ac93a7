// A whole render call of each unit at 512-frame blocks, through the
// component interface as a host makes it, per stereo frame; and the unit's
// engine alone on the same blocks with the same first factory program. The
// difference is the framework's share of a render.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <vector>

#include "au/ComponentEntryPoint.h"
#include "core/FlangerUnitTables.h"
#include "core/TiltEqUnitTables.h"
#include "core/VokBase.h"

namespace {

constexpr UInt32 kBlock = 512;

OSStatus feed(void* signal, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
              AudioBufferList* data)
{
    const auto& samples = *static_cast<const std::vector<float>*>(signal);
    for (UInt32 c = 0; c < data->mNumberBuffers; ++c)
        std::copy(samples.begin(), samples.begin() + frames, static_cast<float*>(data->mBuffers[c].mData));
    return noErr;
}

template <class Unit> void renderUnit(benchmark::State& state, const char* subtype)
{
    const ComponentDescription description{kAudioUnitType_Effect,
                                           FourCharCode(reinterpret_cast<const char(&)[5]>(*subtype)),
                                           FourCharCode("Quim"), 0, 0};
    static const Component component =
        RegisterComponent(&description, ComponentEntryPoint<VokBase<Unit>>::Dispatch, subtype);
    AudioUnit unit = nullptr;
    OpenAComponent(component, &unit);
    std::vector<float> signal(kBlock);
    for (UInt32 i = 0; i < kBlock; ++i) signal[i] = 0.5f * std::sin(0.0627f * static_cast<float>(i));
    const AURenderCallbackStruct callback{feed, &signal};
    AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                         sizeof callback);
    AudioUnitInitialize(unit);

    std::vector<float> left(kBlock), right(kBlock);
    struct {
        UInt32 count = 2;
        AudioBuffer buffers[2];
    } list;
    list.buffers[0] = {1, kBlock * 4, left.data()};
    list.buffers[1] = {1, kBlock * 4, right.data()};
    AudioTimeStamp stamp{};
    for (auto _ : state) {
        AudioUnitRenderActionFlags flags = 0;
        AudioUnitRender(unit, &flags, &stamp, 0, kBlock, reinterpret_cast<AudioBufferList*>(&list));
        stamp.mSampleTime += kBlock;
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    CloseComponent(unit);
}

// The engine with the unit's first factory program, on the same signal.
template <class Unit> void processEngine(benchmark::State& state)
{
    std::array<float, Unit::kParameterCount> parameters{};
    std::copy(std::begin(Unit::factoryProgramTable[0].values), std::end(Unit::factoryProgramTable[0].values),
              parameters.begin());
    typename Unit::Engine engine(44100.0f, parameters.data());
    std::vector<float> signal(kBlock);
    for (UInt32 i = 0; i < kBlock; ++i) signal[i] = 0.5f * std::sin(0.0627f * static_cast<float>(i));
    std::vector<float> left(kBlock), right(kBlock);
    UInt32 frames = kBlock;
    benchmark::DoNotOptimize(frames);
    for (auto _ : state) {
        std::copy(signal.begin(), signal.end(), left.begin());
        std::copy(signal.begin(), signal.end(), right.begin());
        if constexpr (Unit::kTakesTempo)
            engine.process(left.data(), right.data(), frames, 120.0f);
        else
            engine.process(left.data(), right.data(), frames);
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FlangerUnit_Render512(benchmark::State& state)
{
    renderUnit<FlangerUnit>(state, "Flan");
}

void BM_TiltEqUnit_Render512(benchmark::State& state)
{
    renderUnit<TiltEqUnit>(state, "TILT");
}

} // namespace

void BM_FlangerEngine_Block512(benchmark::State& state)
{
    processEngine<FlangerUnit>(state);
}

void BM_TiltEqEngine_Block512(benchmark::State& state)
{
    processEngine<TiltEqUnit>(state);
}

BENCHMARK(BM_FlangerUnit_Render512);
BENCHMARK(BM_FlangerEngine_Block512);
BENCHMARK(BM_TiltEqUnit_Render512);
BENCHMARK(BM_TiltEqEngine_Block512);
