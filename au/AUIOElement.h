#pragma once

// An input or output element: a stream format and the buffer that carries
// its audio. No channel layouts are supported at this level.

#include "au/AUBufferList.h"
#include "au/AUElement.h"
#include "au/CAStreamBasicDescription.h"

class AUIOElement : public AUElement {
  public:
    // Starts with the unit's default format.
    explicit AUIOElement(AUBase* audioUnit);

    const CAStreamBasicDescription& GetStreamFormat() const { return streamFormat; }
    virtual OSStatus SetStreamFormat(const CAStreamBasicDescription& format);
    // Whether rendering needs memory of the element's own.
    virtual bool NeedsBufferSpace() const = 0;
    // Reports the supported layout tags into outTags (may be null) and
    // returns their number.
    virtual UInt32 GetChannelLayoutTags(AudioChannelLayoutTag* outTags);
    // Reports the layout (outLayout may be null) and returns its size.
    virtual UInt32 GetAudioChannelLayout(AudioChannelLayout* outLayout, bool& outWritable);
    virtual OSStatus SetAudioChannelLayout(const AudioChannelLayout& layout);
    virtual OSStatus RemoveAudioChannelLayout();

    // Only once the unit is initialised: room for frames frames (0: the
    // unit's maximum per slice), or none when the element needs no memory.
    void AllocateBuffer(UInt32 frames = 0);
    void DeallocateBuffer() { ioBuffer.Deallocate(); }

    AUBufferList& IOBuffer() { return ioBuffer; }
    AudioBufferList& PrepareBuffer(UInt32 frames) { return ioBuffer.PrepareBuffer(streamFormat, frames); }
    AudioBufferList& PrepareNullBuffer(UInt32 frames)
    {
        return ioBuffer.PrepareNullBuffer(streamFormat, frames);
    }
    AudioBufferList& GetBufferList() const { return ioBuffer.GetBufferList(); }
    UInt32 NumberChannels() const { return streamFormat.NumberChannels(); }

  private:
    CAStreamBasicDescription streamFormat;
    AUBufferList ioBuffer;
};
