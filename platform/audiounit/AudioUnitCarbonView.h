#pragma once

// The host's calls on an Audio Unit Carbon view component (type 'auvw'):
// create the view in a window, and set the callback that hears the view's
// mouse gestures on parameters. Each packs its selector call like the
// AudioUnit… calls.

#include "platform/audiounit/AudioUnit.h"

// The toolbox's window and control handles, as it declares them.
typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

using AudioUnitCarbonView = ComponentInstance;

inline constexpr int16_t kAudioUnitCarbonViewCreateSelect = 0x0301;
inline constexpr int16_t kAudioUnitCarbonViewSetEventListenerSelect = 0x0302;

using AudioUnitCarbonViewEventID = SInt32;
inline constexpr AudioUnitCarbonViewEventID kAudioUnitCarbonViewEvent_MouseDownInControl = 0;
inline constexpr AudioUnitCarbonViewEventID kAudioUnitCarbonViewEvent_MouseUpInControl = 1;

using AudioUnitCarbonViewEventListener = void (*)(void* inUserData, AudioUnitCarbonView inView,
                                                  const AudioUnitParameter* inParameter,
                                                  AudioUnitCarbonViewEventID inEvent,
                                                  const void* inEventParam);

struct Float32Point {
    Float32 x;
    Float32 y;
};

#pragma GCC visibility push(default)
extern "C" {

// Builds the view's pane at inLocation with inSize inside inParentControl of
// inWindow and hands it back in outControl.
OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, WindowRef inWindow,
                                   ControlRef inParentControl, const Float32Point* inLocation,
                                   const Float32Point* inSize, ControlRef* outControl);
OSStatus AudioUnitCarbonViewSetEventListener(AudioUnitCarbonView inView,
                                             AudioUnitCarbonViewEventListener inCallback, void* inUserData);

} // extern "C"
#pragma GCC visibility pop
