#include "au/AUInputElement.h"

OSStatus AUInputElement::SetStreamFormat(const CAStreamBasicDescription& format)
{
    const OSStatus result = AUIOElement::SetStreamFormat(format);
    if (result == noErr) AllocateBuffer();
    return result;
}

void AUInputElement::SetConnection(const AudioUnitConnection& newConnection)
{
    if (newConnection.sourceAudioUnit == nullptr) {
        inputType = kNoInput;
        connectionRenderProc = nullptr;
        connectionInstanceStorage = nullptr;
        DeallocateBuffer();
        return;
    }
    inputType = kFromConnection;
    connection = newConnection;
    AllocateBuffer();

    AudioUnitRenderProc proc = nullptr;
    UInt32 size = sizeof proc;
    if (AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_FastDispatch,
                             kAudioUnitScope_Global, kAudioUnitRenderSelect, &proc, &size) != noErr)
        proc = nullptr;
    connectionRenderProc = proc;
    connectionInstanceStorage = GetComponentInstanceStorage(connection.sourceAudioUnit);
}

void AUInputElement::SetInputCallback(AURenderCallback proc, void* refCon)
{
    if (proc == nullptr) {
        inputType = kNoInput;
        DeallocateBuffer();
    } else {
        inputType = kFromCallback;
        inputProc = proc;
        inputProcRefCon = refCon;
        AllocateBuffer();
    }
}

OSStatus AUInputElement::PullInput(AudioUnitRenderActionFlags& ioActionFlags,
                                   const AudioTimeStamp& inTimeStamp, AudioUnitElement element, UInt32 frames)
{
    if (inputType == kNoInput) return kAudioUnitErr_NoConnection;
    // Only a host asking for more than the slice size makes this allocate.
    if (inputType == kFromCallback && IOBuffer().GetAllocatedFrames() < frames) AllocateBuffer(frames);

    AudioBufferList& list = inputType == kFromConnection ? PrepareNullBuffer(frames) : PrepareBuffer(frames);
    if (inputType == kFromCallback)
        return inputProc(inputProcRefCon, &ioActionFlags, &inTimeStamp, element, frames, &list);
    if (connectionRenderProc)
        return connectionRenderProc(connectionInstanceStorage, &ioActionFlags, &inTimeStamp,
                                    connection.sourceOutputNumber, frames, &list);
    return AudioUnitRender(connection.sourceAudioUnit, &ioActionFlags, &inTimeStamp,
                           connection.sourceOutputNumber, frames, &list);
}
