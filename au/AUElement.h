#pragma once

// An element of a scope: parameter values (an ordered map by id, or an
// indexed vector once the unit asks for it) and an optional name. The
// global, group and part scopes hold plain elements; input and output
// elements derive from AUIOElement.

#include <map>
#include <vector>

#include "au/ParameterMapEvent.h"
#include "platform/audiounit/AudioUnit.h"
#include "platform/corefoundation/CoreFoundation.h"

class AUBase;

class AUElement {
  public:
    explicit AUElement(AUBase* audioUnit) : audioUnit(audioUnit) {}
    virtual ~AUElement();
    AUElement(const AUElement&) = delete;
    AUElement& operator=(const AUElement&) = delete;

    // Switches to numberOfParameters indexed entries, all default.
    virtual void UseIndexedParameters(int numberOfParameters);

    AUBase* GetAudioUnit() const { return audioUnit; }

    UInt32 GetNumberOfParameters() const;
    // Indexed: 0 ... n-1; map: the ids in ascending order.
    void GetParameterList(AudioUnitParameterID* outList) const;
    // Throws kAudioUnitErr_InvalidParameter for an id the element lacks.
    AudioUnitParameterValue GetParameter(AudioUnitParameterID id) const;
    // Indexed: the entry must exist (else kAudioUnitErr_InvalidParameter);
    // map: a missing entry is created.
    void SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value);
    // An event for an id the element lacks is skipped: a render adds no
    // parameters.
    void SetScheduledEvent(AudioUnitParameterID id, const AudioUnitParameterEvent& event, UInt32 sliceOffset,
                           UInt32 sliceFrames);

    // Appends a big-endian count and (id, value bits) pairs.
    void SaveState(CFMutableDataRef data) const;
    // Reads what SaveState wrote, from state up to end; returns the position
    // after the last pair read. A count larger than what the bytes hold
    // restores the complete pairs and stops there. Indexed: an id beyond the
    // list throws kAudioUnitErr_InvalidParameter; map: pairs for ids the
    // element lacks are skipped, never created.
    const UInt8* RestoreState(const UInt8* state, const UInt8* end);

    CFStringRef GetName() const { return name; }
    // Retains the new name (null clears it) and releases the old one.
    void SetName(CFStringRef newName);
    bool HasName() const { return name != nullptr; }

  private:
    // The entry of id: indexed, it must exist; in the map, reading requires
    // it and writing creates it. find() answers null for a missing one.
    const ParameterMapEvent* find(AudioUnitParameterID id) const;
    const ParameterMapEvent& entry(AudioUnitParameterID id) const;
    ParameterMapEvent& entryForWriting(AudioUnitParameterID id);

    AUBase* audioUnit;
    std::map<AudioUnitParameterID, ParameterMapEvent> parameters;
    std::vector<ParameterMapEvent> indexedParameters;
    bool usesIndexedParameters = false;
    CFStringRef name = nullptr;
};
