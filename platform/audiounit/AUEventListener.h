#pragma once

// Parameter and event listeners, one registry for the whole process.
//
// A listener is created for a run loop and a mode; it registers (object,
// parameter) pairs for value changes and (object, event) pairs for other
// events. Every notification posted for a parameter or event goes to every
// registration that matches it, except the sender's: the sending listener's
// registrations with the sending object, or all of them when that object is
// NULL. The callback gets the registration's object. It runs on the
// listener's run loop, in its mode, never on the posting thread: each
// listener has a timer there that fires every notification interval
// (at least every 0.01 s) and delivers what has arrived.
//
// Coalescing: value changes of one registration that arrive between two
// deliveries become one, with the latest value; a registration hears value
// changes at most once per value-change granularity. Gestures and property
// changes are never coalesced, and nothing is delivered out of order for one
// registration: a value change that follows a gesture comes after it, and a
// burst of changes between two gestures delivers its latest value between
// them.
//
// Posting (AUParameterSet, AUParameterListenerNotify, AUEventListenerNotify)
// may come from any thread, the audio thread included: it reads the
// parameter's value from the unit (value events; AUParameterSet sets it
// first), then pushes the notification onto a lock-free queue of 4096
// entries allocated with the library, and returns. It takes no lock,
// allocates nothing and makes no system call (the real clock is read through
// the vDSO); nothing wakes the listeners' run loops, whose own timers find
// the queue. When the queue is full:
// - value changes may use only three quarters of it, so that gestures always
//   find room; a value change that does not fit is not lost: the next
//   delivery re-reads every registered parameter from its unit and delivers
//   the current value (to the sender too, and after any gesture already
//   queued);
// - a gesture or property change is refused only if 4096 notifications are
//   waiting (more than a thousand gestures between two timer ticks); the
//   poster then gets kAudioUnitErr_CannotDoInCurrentContext and may retry.
// The event host time is the platform clock at posting, in nanoseconds
// since 2001.
//
// A unit must stay open while it has registrations. AUListenerDispose may
// come from any thread; once it returns, the listener's callback is never
// called again, whatever was pending (a callback running on another thread
// is waited for; a callback may dispose its own listener).

#include "platform/audiounit/AudioUnit.h"
#include "platform/corefoundation/CoreFoundation.h"

using AudioUnitEventType = UInt32;
inline constexpr AudioUnitEventType kAudioUnitEvent_ParameterValueChange = 0;
inline constexpr AudioUnitEventType kAudioUnitEvent_BeginParameterChangeGesture = 1;
inline constexpr AudioUnitEventType kAudioUnitEvent_EndParameterChangeGesture = 2;
inline constexpr AudioUnitEventType kAudioUnitEvent_PropertyChange = 3;

struct AudioUnitProperty {
    AudioUnit mAudioUnit;
    AudioUnitPropertyID mPropertyID;
    AudioUnitScope mScope;
    AudioUnitElement mElement;
};

// mArgument holds mProperty for kAudioUnitEvent_PropertyChange, mParameter
// otherwise.
struct AudioUnitEvent {
    AudioUnitEventType mEventType;
    union {
        AudioUnitParameter mParameter;
        AudioUnitProperty mProperty;
    } mArgument;
};

struct AUListenerBase;
using AUParameterListenerRef = AUListenerBase*;
using AUEventListenerRef = AUParameterListenerRef;

// inParameterValue: the parameter's value for parameter events (read when
// posted), 0 for property changes.
using AUEventListenerProc = void (*)(void* inCallbackRefCon, void* inObject, const AudioUnitEvent* inEvent,
                                     UInt64 inEventHostTime, AudioUnitParameterValue inParameterValue);

// Statuses: paramErr for a NULL argument, a listener that is not (or no
// longer) registered, or an unknown event type.
#pragma GCC visibility push(default)
extern "C" {

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inCallbackRefCon, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                               Float32 inValueChangeGranularity, AUEventListenerRef* outListener);
OSStatus AUListenerDispose(AUParameterListenerRef inListener);

// Value changes of the parameter, for inObject. Registering the same pair
// again does nothing; removing it drops what is pending for it.
OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter);
OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter);
// Any event type, for inObject.
OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                     const AudioUnitEvent* inEvent);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent);

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent);
// AudioUnitSetParameter, then, if it succeeded, a value change.
OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames);
// A value change of the parameter, with its current value.
OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter);

} // extern "C"
#pragma GCC visibility pop
