// AUBase: the render entry, render notifications and scheduled parameters.

#include <algorithm>
#include <vector>

#include "au/AUBase.h"
#include "platform/audiounit/FloatingPointMode.h"

namespace {

// Runs the render with denormals flushed to zero and gives the caller's
// mode back on every way out.
class FlushDenormalsForScope {
  public:
    FlushDenormalsForScope() : saved(platform::getFloatingPointControl())
    {
        platform::setFloatingPointControl(saved | platform::kFlushDenormalsToZero);
    }
    ~FlushDenormalsForScope() { platform::setFloatingPointControl(saved); }
    FlushDenormalsForScope(const FlushDenormalsForScope&) = delete;
    FlushDenormalsForScope& operator=(const FlushDenormalsForScope&) = delete;

  private:
    uint32_t saved;
};

// Empties the scheduled events on every way out of a render, failed or not:
// they were for that render only, and one that failed must not fail the next.
class ScheduledEventsForScope {
  public:
    explicit ScheduledEventsForScope(std::vector<AudioUnitParameterEvent>& events) : events(events) {}
    ~ScheduledEventsForScope() { events.clear(); }
    ScheduledEventsForScope(const ScheduledEventsForScope&) = delete;
    ScheduledEventsForScope& operator=(const ScheduledEventsForScope&) = delete;

  private:
    std::vector<AudioUnitParameterEvent>& events;
};

} // namespace

// The fast-dispatch procedures: the unit object instead of an instance.
OSStatus AudioUnitBaseGetParameter(void* unit, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue* outValue)
{
    if (unit == nullptr || outValue == nullptr) return paramErr;
    return CallCatchingExceptions([&] {
        return static_cast<AUBase*>(static_cast<ComponentBase*>(unit))
            ->GetParameter(id, scope, element, *outValue);
    });
}

OSStatus AudioUnitBaseSetParameter(void* unit, AudioUnitParameterID id, AudioUnitScope scope,
                                   AudioUnitElement element, AudioUnitParameterValue value,
                                   UInt32 bufferOffset)
{
    if (unit == nullptr) return paramErr;
    return CallCatchingExceptions([&] {
        return static_cast<AUBase*>(static_cast<ComponentBase*>(unit))
            ->SetParameter(id, scope, element, value, bufferOffset);
    });
}

OSStatus AudioUnitBaseRender(void* unit, AudioUnitRenderActionFlags* ioActionFlags,
                             const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber, UInt32 inNumberFrames,
                             AudioBufferList* ioData)
{
    if (unit == nullptr || inTimeStamp == nullptr || ioData == nullptr) return paramErr;
    AudioUnitRenderActionFlags noFlags = 0;
    return CallCatchingExceptions([&] {
        return static_cast<AUBase*>(static_cast<ComponentBase*>(unit))
            ->DoRender(ioActionFlags ? *ioActionFlags : noFlags, *inTimeStamp, inBusNumber, inNumberFrames,
                       *ioData);
    });
}

OSStatus AUBase::DoRender(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                          UInt32 inBusNumber, UInt32 inNumberFrames, AudioBufferList& ioData)
{
    const FlushDenormalsForScope flushDenormals;
    const ScheduledEventsForScope scheduledEventsForScope(scheduledEvents);
    try {
        if (!initialized) throw static_cast<OSStatus>(kAudioUnitErr_Uninitialized);
        if (inNumberFrames > maxFramesPerSlice)
            throw static_cast<OSStatus>(kAudioUnitErr_TooManyFramesToProcess);
        AUOutputElement& output = *GetOutput(inBusNumber);
        if (output.GetStreamFormat().NumberChannelStreams() != ioData.mNumberBuffers)
            throw static_cast<OSStatus>(paramErr);

        renderCallbacks.update();
        notifyRender(ioActionFlags | kAudioUnitRenderAction_PreRender, inTimeStamp, inBusNumber,
                     inNumberFrames, ioData);
        const OSStatus result =
            DoRenderBus(ioActionFlags, inTimeStamp, inBusNumber, output, inNumberFrames, ioData);
        if (result != noErr) recordRenderError(result);
        AudioUnitRenderActionFlags postFlags = ioActionFlags | kAudioUnitRenderAction_PostRender;
        if (result != noErr) postFlags |= kAudioUnitRenderAction_PostRenderError;
        notifyRender(postFlags, inTimeStamp, inBusNumber, inNumberFrames, ioData);
        return result;
    } catch (OSStatus error) {
        if (error != noErr) recordRenderError(error);
        return error;
    }
}

void AUBase::notifyRender(AudioUnitRenderActionFlags flags, const AudioTimeStamp& inTimeStamp,
                          UInt32 inBusNumber, UInt32 inNumberFrames, AudioBufferList& ioData)
{
    for (const RenderCallback& callback : renderCallbacks) {
        // Each notification gets its own copy of the flags.
        AudioUnitRenderActionFlags copy = flags;
        callback.proc(callback.userData, &copy, &inTimeStamp, inBusNumber, inNumberFrames, &ioData);
    }
}

void AUBase::recordRenderError(OSStatus error)
{
    // The first error stays until a host reads it.
    OSStatus none = noErr;
    if (lastRenderError.compare_exchange_strong(none, error))
        PropertyChanged(kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, 0);
}

OSStatus AUBase::DoRenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                             UInt32 inBusNumber, AUOutputElement& output, UInt32 inNumberFrames,
                             AudioBufferList& ioData)
{
    // With the caller's memory and a single output, render straight into it.
    const bool callerMemory = ioData.mBuffers[0].mData != nullptr;
    if (callerMemory && scopes[kAudioUnitScope_Output].GetNumberOfElements() < 2)
        output.IOBuffer().SetBufferList(ioData);
    else
        output.PrepareBuffer(inNumberFrames);

    const OSStatus result = RenderBus(ioActionFlags, inTimeStamp, inBusNumber, inNumberFrames);
    if (result != noErr) return result;

    if (callerMemory) {
        output.IOBuffer().CopyBufferContentsTo(ioData);
        output.IOBuffer().InvalidateBufferList();
    } else {
        output.IOBuffer().CopyBufferListTo(ioData);
    }
    return noErr;
}

OSStatus AUBase::RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                           UInt32, UInt32 inNumberFrames)
{
    // A second render of the same sample time (a unit feeding several
    // others) reuses the first one's output.
    const bool sameTime = inTimeStamp.mSampleTime ==
                          lastRenderedSampleTime.exchange(inTimeStamp.mSampleTime, std::memory_order_relaxed);
    return sameTime ? noErr : Render(ioActionFlags, inTimeStamp, inNumberFrames);
}

OSStatus AUBase::SetRenderNotification(AURenderCallback proc, void* userData)
{
    if (proc == nullptr) return paramErr;
    renderCallbacks.deferredAdd({proc, userData});
    return noErr;
}

OSStatus AUBase::RemoveRenderNotification(AURenderCallback proc, void* userData)
{
    renderCallbacks.deferredRemove({proc, userData});
    return noErr;
}

OSStatus AUBase::ScheduleParameter(const AudioUnitParameterEvent* events, UInt32 numberOfEvents)
{
    for (UInt32 i = 0; i < numberOfEvents; ++i) {
        const AudioUnitParameterEvent& event = events[i];
        if (event.eventType == kParameterEvent_Immediate)
            SetParameter(event.parameter, event.scope, event.element, event.eventValues.immediate.value,
                         event.eventValues.immediate.bufferOffset);
        scheduledEvents.push_back(event);
    }
    return noErr;
}

OSStatus AUBase::SetConnection(const AudioUnitConnection& connection)
{
    AUInputElement& input = *GetInput(connection.destInputNumber);
    if (connection.sourceAudioUnit) {
        // The input takes the source's output format.
        CAStreamBasicDescription format;
        UInt32 size = sizeof(AudioStreamBasicDescription);
        OSStatus result =
            AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_StreamFormat,
                                 kAudioUnitScope_Output, connection.sourceOutputNumber, &format, &size);
        if (result != noErr) return result;
        result =
            DispatchSetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input,
                                connection.destInputNumber, &format, sizeof(AudioStreamBasicDescription));
        if (result != noErr) return result;
    }
    input.SetConnection(connection);
    PropertyChanged(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, connection.destInputNumber);
    return noErr;
}

OSStatus AUBase::SetInputCallback(AudioUnitPropertyID id, AudioUnitElement element, AURenderCallback proc,
                                  void* refCon)
{
    GetInput(element)->SetInputCallback(proc, refCon);
    PropertyChanged(id, kAudioUnitScope_Input, element);
    return noErr;
}

bool AUBase::HasInput(AudioUnitElement element)
{
    auto* input = static_cast<AUInputElement*>(scopes[kAudioUnitScope_Input].GetElement(element));
    return input && input->IsActive();
}

OSStatus AUBase::ProcessForScheduledParams(UInt32 frames, void* context)
{
    std::sort(scheduledEvents.begin(), scheduledEvents.end(), [](const auto& a, const auto& b) {
        return a.eventValues.immediate.bufferOffset < b.eventValues.immediate.bufferOffset;
    });
    const auto offset = [](const AudioUnitParameterEvent& e) {
        return e.eventType == kParameterEvent_Ramped
                   ? static_cast<int64_t>(e.eventValues.ramp.startBufferOffset)
                   : static_cast<int64_t>(e.eventValues.immediate.bufferOffset);
    };
    const auto rampEnd = [&](const AudioUnitParameterEvent& e) {
        return offset(e) + static_cast<int64_t>(e.eventValues.ramp.durationInFrames);
    };

    int64_t start = 0;
    while (start < frames) {
        int64_t end = frames;
        for (const AudioUnitParameterEvent& e : scheduledEvents) {
            if (offset(e) > start && offset(e) < end) {
                end = offset(e);
                break;
            }
            if (e.eventType == kParameterEvent_Ramped && rampEnd(e) > start && rampEnd(e) < end)
                end = rampEnd(e);
        }
        const auto sliceStart = static_cast<UInt32>(start);
        const auto sliceFrames = static_cast<UInt32>(end - start);
        for (const AudioUnitParameterEvent& e : scheduledEvents) {
            const bool falls = e.eventType == kParameterEvent_Ramped ? offset(e) < end && rampEnd(e) > start
                                                                     : offset(e) <= start;
            if (!falls) continue;
            if (e.scope >= scopes.size()) continue;
            if (AUElement* element = scopes[e.scope].GetElement(e.element))
                element->SetScheduledEvent(e.parameter, e, sliceStart, sliceFrames);
        }
        const OSStatus result = ProcessScheduledSlice(context, sliceStart, sliceFrames, frames);
        if (result != noErr) return result;
        start = end;
    }
    return noErr;
}
