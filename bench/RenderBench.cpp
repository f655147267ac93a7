// A whole render call of each unit at 512-frame blocks, through the
// component interface as a host makes it, per stereo frame. Against the
// engine benchmarks it gives the framework's share of a render.
#include <benchmark/benchmark.h>

#include <cmath>
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

template <class Unit>
void renderUnit(benchmark::State& state, const char* subtype)
{
    const ComponentDescription description{kAudioUnitType_Effect, FourCharCode(reinterpret_cast<const char(&)[5]>(*subtype)),
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
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    CloseComponent(unit);
}

void BM_FlangerUnit_Render512(benchmark::State& state)
{
    renderUnit<FlangerUnit>(state, "Flan");
}

void BM_TiltEqUnit_Render512(benchmark::State& state)
{
    renderUnit<TiltEqUnit>(state, "TILT");
}

}  // namespace

BENCHMARK(BM_FlangerUnit_Render512);
BENCHMARK(BM_TiltEqUnit_Render512);
