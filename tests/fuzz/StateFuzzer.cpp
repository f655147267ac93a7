// Arbitrary bytes as a saved state: parsed as a property list (XML or
// binary) and, when that succeeds, restored into a live unit through the
// class-info property. Whatever the restore answers, the unit must stay
// whole: its parameters readable and its state savable again.
#include <cstdint>
#include <cstdlib>

#include "tests/au/TestEffect.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFDataRef bytes = CFDataCreate(nullptr, data, static_cast<CFIndex>(size));
    CFPropertyListRef state = CFPropertyListCreateWithData(nullptr, bytes, 0, nullptr, nullptr);
    CFRelease(bytes);
    if (state == nullptr) return 0;

    static OpenTestEffect effect;
    const AudioUnit unit = effect.unit();
    AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state);
    CFRelease(state);

    AudioUnitParameterValue value = 0;
    for (AudioUnitParameterID id = 0; id < 21; ++id)
        require(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &value) == noErr);
    CFPropertyListRef saved = nullptr;
    UInt32 savedSize = sizeof saved;
    require(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &saved,
                                 &savedSize) == noErr);
    CFRelease(saved);
    return 0;
}
