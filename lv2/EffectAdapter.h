#pragma once

// One of our effects as an LV2 plug-in instance. On the LV2 side it has
// stereo audio in and out, an atom input for the host's time:Position and one
// control input per named parameter; on the other it is a host of the unit,
// talking to it only through the component and AudioUnit calls.
//
// Threads, in LV2's classes: the constructor, activate, save and restore come
// from the host's other threads, never during run; connect and run come from
// the audio thread. run allocates nothing, takes no lock and makes no system
// call.

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstddef>
#include <string>
#include <vector>

#include "lv2/HostedUnit.h"

class EffectAdapter {
  public:
    enum Port : uint32_t { kInputLeft, kInputRight, kOutputLeft, kOutputRight, kTime, kFirstControl };

    // Blocks longer than the host announces (or, when it announces none, than
    // this) are rendered in parts.
    static constexpr uint32_t kDefaultMaxFrames = 4096;
    static constexpr uint32_t kLargestMaxFrames = 65536;

    // The rates users meet, which the units are made for (auhost takes the
    // same); the units themselves accept any number, 0 Hz included.
    static constexpr double kMinSampleRate = 8000.0, kMaxSampleRate = 768000.0;

    // Throws std::runtime_error when the unit cannot be opened or set up at
    // this rate, the rate lies outside the range above, or the host lacks
    // urid:map.
    EffectAdapter(const std::string& componentBundle, OSType subtype, double sampleRate,
                  const LV2_Feature* const* features);

    void connect(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    // A state without the unit's dictionary (a preset of port values) changes
    // nothing and succeeds; one the unit refuses changes nothing and fails.
    // A restored dictionary holds until the host moves a control.
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  private:
    struct Uris {
        LV2_URID atomBlank, atomObject, atomChunk, atomFloat, atomDouble, atomInt, atomLong;
        LV2_URID timePosition, timeBeat, timeBeatsPerMinute, timeSpeed;
        LV2_URID classInfo;
    };
    // What the unit's beat-and-tempo callback answers; tempo 0 until the
    // host has sent one.
    struct Transport {
        double tempo = 0.0, beat = 0.0, speed = 1.0;
    };

    HostedUnit unit;
    Uris uris;
    double sampleRate;
    uint32_t maxFrames;
    std::vector<AudioUnitParameterID> parameters; // of the control ports, in port order
    std::vector<const float*> controls;
    std::vector<float> sent; // what each control last told the unit; NaN: nothing yet
    // After a restored state: the controls' values as they then stand are
    // taken as sent, so that the state holds until the host moves a control.
    bool adoptControls = false;
    const float* inputs[2] = {nullptr, nullptr};
    float* outputs[2] = {nullptr, nullptr};
    const LV2_Atom_Sequence* timeInput = nullptr;
    uint32_t feedOffset = 0; // where in the host's buffers the part being rendered starts
    Float64 sampleTime = 0.0;
    Transport transport;
    alignas(AudioBufferList) std::byte
        outputStorage[offsetof(AudioBufferList, mBuffers) + 2 * sizeof(AudioBuffer)];

    void sendChangedControls();
    void takePosition(const LV2_Atom_Object& position);
    // Renders frames from offset on, in parts of at most maxFrames.
    void render(uint32_t offset, uint32_t frames);

    static OSStatus supplyInput(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                                UInt32 frames, AudioBufferList* data);
    static OSStatus beatAndTempo(void* self, Float64* beat, Float64* tempo);
};
