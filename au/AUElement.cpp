#include "au/AUElement.h"
#include "au/BigEndian.h"

#include <bit>
#include <utility>

using au::detail::appendBigEndian;
using au::detail::readBigEndian;

AUElement::~AUElement()
{
    if (name) CFRelease(name);
}

void AUElement::UseIndexedParameters(int numberOfParameters)
{
    indexedParameters.assign(static_cast<size_t>(numberOfParameters < 0 ? 0 : numberOfParameters),
                             ParameterMapEvent());
    usesIndexedParameters = true;
}

UInt32 AUElement::GetNumberOfParameters() const
{
    return static_cast<UInt32>(usesIndexedParameters ? indexedParameters.size() : parameters.size());
}

void AUElement::GetParameterList(AudioUnitParameterID* outList) const
{
    if (usesIndexedParameters) {
        for (UInt32 i = 0; i < indexedParameters.size(); ++i) outList[i] = i;
    } else {
        for (const auto& [id, event] : parameters) *outList++ = id;
    }
}

const ParameterMapEvent* AUElement::find(AudioUnitParameterID id) const
{
    if (usesIndexedParameters) return id < indexedParameters.size() ? &indexedParameters[id] : nullptr;
    const auto found = parameters.find(id);
    return found == parameters.end() ? nullptr : &found->second;
}

const ParameterMapEvent& AUElement::entry(AudioUnitParameterID id) const
{
    const ParameterMapEvent* found = find(id);
    if (found == nullptr) throw static_cast<OSStatus>(kAudioUnitErr_InvalidParameter);
    return *found;
}

ParameterMapEvent& AUElement::entryForWriting(AudioUnitParameterID id)
{
    if (usesIndexedParameters) return const_cast<ParameterMapEvent&>(std::as_const(*this).entry(id));
    return parameters.try_emplace(id).first->second;
}

AudioUnitParameterValue AUElement::GetParameter(AudioUnitParameterID id) const
{
    return entry(id).GetValue();
}

void AUElement::SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value)
{
    entryForWriting(id).SetValue(value);
}

void AUElement::SetScheduledEvent(AudioUnitParameterID id, const AudioUnitParameterEvent& event,
                                  UInt32 sliceOffset, UInt32 sliceFrames)
{
    if (const ParameterMapEvent* found = find(id))
        const_cast<ParameterMapEvent*>(found)->SetScheduledEvent(event, sliceOffset, sliceFrames);
}

void AUElement::SaveState(CFMutableDataRef data) const
{
    std::vector<AudioUnitParameterID> ids(GetNumberOfParameters());
    GetParameterList(ids.data());
    appendBigEndian(data, static_cast<UInt32>(ids.size()));
    for (AudioUnitParameterID id : ids) {
        appendBigEndian(data, id);
        appendBigEndian(data, std::bit_cast<UInt32>(GetParameter(id)));
    }
}

const UInt8* AUElement::RestoreState(const UInt8* state, const UInt8* end)
{
    if (end - state < 4) return end;
    const UInt32 count = readBigEndian(state);
    state += 4;
    for (UInt32 i = 0; i < count && end - state >= 8; ++i, state += 8) {
        const AudioUnitParameterID id = readBigEndian(state);
        // A saved state is untrusted: it may not make the element grow.
        if (!usesIndexedParameters && !parameters.contains(id)) continue;
        SetParameter(id, std::bit_cast<AudioUnitParameterValue>(readBigEndian(state + 4)));
    }
    return state;
}

void AUElement::SetName(CFStringRef newName)
{
    if (newName) CFRetain(newName);
    if (name) CFRelease(name);
    name = newName;
}
