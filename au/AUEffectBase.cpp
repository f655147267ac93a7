#include "au/AUEffectBase.h"

#include <algorithm>
#include <cstring>

namespace {

// What ProcessForScheduledParams hands each slice; framesDone counts how far
// the slices have moved the lists' data pointers.
struct SliceContext {
    AudioUnitRenderActionFlags* actionFlags;
    AudioBufferList* input;
    AudioBufferList* output;
    UInt32 framesDone;
};

bool channelPairMatches(const AUChannelInfo& pair, SInt16 inputs, SInt16 outputs)
{
    if (pair.inChannels < 0 && pair.outChannels < 0) {
        if ((pair.inChannels == -1 && pair.outChannels == -2) ||
            (pair.inChannels == -2 && pair.outChannels == -1))
            return true;
        return pair.inChannels == -1 && pair.outChannels == -1 && inputs == outputs;
    }
    return (pair.inChannels == -1 || pair.inChannels == inputs) &&
           (pair.outChannels == -1 || pair.outChannels == outputs);
}

} // namespace

AUEffectBase::AUEffectBase(ComponentInstance instance, bool processesInPlace)
    : AUBase(instance, 1, 1), processesInPlace(processesInPlace)
{
}

OSStatus AUEffectBase::Initialize()
{
    const auto inputs = static_cast<SInt16>(GetInput(0)->NumberChannels());
    const auto outputs = static_cast<SInt16>(GetOutput(0)->NumberChannels());
    const AUChannelInfo* table = nullptr;
    const UInt32 entries = SupportedNumChannels(&table);
    bool supported = false;
    if (entries == 0 || table == nullptr)
        supported = inputs == outputs && inputs != 0;
    else
        supported = std::any_of(table, table + entries, [&](const AUChannelInfo& pair) {
            return channelPairMatches(pair, inputs, outputs);
        });
    if (!supported) return kAudioUnitErr_FormatNotSupported;
    maintainKernels();
    return noErr;
}

void AUEffectBase::maintainKernels()
{
    const UInt32 channels = GetNumberOfChannels();
    while (kernels.size() < channels) kernels.push_back(NewKernel());
    kernels.resize(channels);
    for (UInt32 i = 0; i < channels; ++i) {
        if (!kernels[i]) continue;
        kernels[i]->SetChannelNum(i);
        kernels[i]->SetLastKernel(i == channels - 1);
    }
}

void AUEffectBase::Cleanup()
{
    kernels.clear();
}

OSStatus AUEffectBase::Reset(AudioUnitScope scope, AudioUnitElement element)
{
    for (auto& kernel : kernels)
        if (kernel) kernel->Reset();
    return AUBase::Reset(scope, element);
}

OSStatus AUEffectBase::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32& outDataSize, bool& outWritable)
{
    if (scope == kAudioUnitScope_Global &&
        (id == kAudioUnitProperty_BypassEffect || id == kAudioUnitProperty_InPlaceProcessing)) {
        outDataSize = sizeof(UInt32);
        outWritable = true;
        return noErr;
    }
    return AUBase::GetPropertyInfo(id, scope, element, outDataSize, outWritable);
}

OSStatus AUEffectBase::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                   void* outData)
{
    if (scope == kAudioUnitScope_Global &&
        (id == kAudioUnitProperty_BypassEffect || id == kAudioUnitProperty_InPlaceProcessing)) {
        const UInt32 value =
            id == kAudioUnitProperty_BypassEffect ? ShouldBypassEffect() : ProcessesInPlace();
        std::memcpy(outData, &value, sizeof value);
        return noErr;
    }
    return AUBase::GetProperty(id, scope, element, outData);
}

OSStatus AUEffectBase::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                   const void* inData, UInt32 inDataSize)
{
    if (scope == kAudioUnitScope_Global && id == kAudioUnitProperty_BypassEffect) {
        if (inDataSize < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
        UInt32 value;
        std::memcpy(&value, inData, sizeof value);
        const bool bypass = value != 0;
        if (bypass == ShouldBypassEffect()) return noErr;
        if (!bypass && IsInitialized()) Reset(kAudioUnitScope_Global, 0);
        SetBypassEffect(bypass);
        return noErr;
    }
    if (scope == kAudioUnitScope_Global && id == kAudioUnitProperty_InPlaceProcessing) {
        UInt32 value = 0;
        std::memcpy(&value, inData, std::min<size_t>(inDataSize, sizeof value));
        processesInPlace.store(value != 0, std::memory_order_relaxed);
        return noErr;
    }
    return AUBase::SetProperty(id, scope, element, inData, inDataSize);
}

OSStatus AUEffectBase::Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                              UInt32 nFrames)
{
    if (!HasInput(0)) return kAudioUnitErr_NoConnection;
    AUInputElement& input = *GetInput(0);
    AUOutputElement& output = *GetOutput(0);
    OSStatus result = input.PullInput(ioActionFlags, inTimeStamp, 0, nFrames);
    if (result != noErr) return result;

    const bool inPlace = ProcessesInPlace();
    AudioBufferList& inList = input.GetBufferList();
    if (inPlace) output.IOBuffer().SetBufferList(inList);
    AudioBufferList& outList = output.GetBufferList();

    if (ShouldBypassEffect()) {
        if (!inPlace) input.IOBuffer().CopyBufferContentsTo(outList);
        return noErr;
    }

    const std::vector<AudioUnitParameterEvent>& events = GetScheduledEvents();
    if (events.empty()) {
        result = ProcessBufferLists(ioActionFlags, inList, outList, nFrames);
    } else {
        SliceContext context{&ioActionFlags, &inList, &outList, 0};
        result = ProcessForScheduledParams(nFrames, &context);
        // Put the lists back whole, by as far as the slices moved them (all
        // of the block unless one failed).
        for (AudioBufferList* list : {&inList, &outList})
            for (UInt32 i = 0; i < list->mNumberBuffers; ++i) {
                AudioBuffer& buffer = list->mBuffers[i];
                const UInt32 bytesPerFrame = buffer.mNumberChannels * sizeof(Float32);
                buffer.mData = static_cast<std::byte*>(buffer.mData) - context.framesDone * bytesPerFrame;
                buffer.mDataByteSize = nFrames * bytesPerFrame;
            }
    }

    if ((ioActionFlags & kAudioUnitRenderAction_OutputIsSilence) && !inPlace)
        for (UInt32 i = 0; i < outList.mNumberBuffers; ++i)
            std::memset(outList.mBuffers[i].mData, 0, outList.mBuffers[i].mDataByteSize);
    return result;
}

OSStatus AUEffectBase::ProcessScheduledSlice(void* userData, UInt32, UInt32 sliceFrames, UInt32)
{
    auto& context = *static_cast<SliceContext*>(userData);
    for (AudioBufferList* list : {context.input, context.output})
        for (UInt32 i = 0; i < list->mNumberBuffers; ++i)
            list->mBuffers[i].mDataByteSize =
                list->mBuffers[i].mNumberChannels * sliceFrames * sizeof(Float32);
    const OSStatus result =
        ProcessBufferLists(*context.actionFlags, *context.input, *context.output, sliceFrames);
    for (AudioBufferList* list : {context.input, context.output})
        for (UInt32 i = 0; i < list->mNumberBuffers; ++i) {
            AudioBuffer& buffer = list->mBuffers[i];
            buffer.mData = static_cast<std::byte*>(buffer.mData) + buffer.mDataByteSize;
        }
    context.framesDone += sliceFrames;
    return result;
}

OSStatus AUEffectBase::ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags,
                                          const AudioBufferList& inBuffer, AudioBufferList& outBuffer,
                                          UInt32 inFramesToProcess)
{
    bool silence = (ioActionFlags & kAudioUnitRenderAction_OutputIsSilence) != 0;
    bool allSilent = true;
    for (UInt32 channel = 0; channel < kernels.size() && channel < outBuffer.mNumberBuffers; ++channel) {
        if (!kernels[channel]) continue;
        bool channelSilence = silence;
        kernels[channel]->Process(static_cast<const Float32*>(inBuffer.mBuffers[channel].mData),
                                  static_cast<Float32*>(outBuffer.mBuffers[channel].mData), inFramesToProcess,
                                  1, channelSilence);
        allSilent = allSilent && channelSilence;
    }
    if (!allSilent) ioActionFlags &= ~kAudioUnitRenderAction_OutputIsSilence;
    return noErr;
}
