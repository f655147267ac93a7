#pragma once

// The audio buffer of an input or output element: a block of sample memory
// (own, or the host's external buffer) and the AudioBufferList handed out,
// whose pointers lead into that memory or into memory someone else supplied.
// Allocation happens outside rendering; preparing and copying do not allocate.

#include <cstddef>

#include "au/CAStreamBasicDescription.h"
#include "platform/audiounit/AudioUnit.h"

class AUBufferList {
  public:
    AUBufferList() = default;
    ~AUBufferList();
    AUBufferList(const AUBufferList&) = delete;
    AUBufferList& operator=(const AUBufferList&) = delete;

    // Room for the format's streams and frames; memory only ever grows.
    void Allocate(const CAStreamBasicDescription& format, UInt32 frames);
    void Deallocate();

    // Points the list into own memory, for frames frames (throws -10868 when
    // the format has more streams than allocated, -10874 when the memory or
    // the allocated frames are too few).
    AudioBufferList& PrepareBuffer(const CAStreamBasicDescription& format, UInt32 frames);
    // The same shape with null data pointers, for a source that supplies its
    // own memory.
    AudioBufferList& PrepareNullBuffer(const CAStreamBasicDescription& format, UInt32 frames);
    // Takes over someone else's buffer records (throws -1 when they are more
    // than allocated).
    AudioBufferList& SetBufferList(const AudioBufferList& list);
    // The list; throws -1 while its pointers are invalid.
    AudioBufferList& GetBufferList() const;
    // Buffer records (not samples) into list, as many as it declares.
    void CopyBufferListTo(AudioBufferList& list) const;
    // Samples into list's buffers, skipping buffers that are the same memory;
    // the last own buffer serves any extra ones of list.
    void CopyBufferContentsTo(AudioBufferList& list) const;
    // Adopts the host's buffer when it is at least as large as own memory.
    void UseExternalBuffer(const CAStreamBasicDescription& format, const AudioUnitExternalBuffer& buffer);
    void InvalidateBufferList() { ptrState = kPointersInvalid; }

    UInt32 GetAllocatedFrames() const { return allocatedFrames; }

  private:
    enum PointerState { kPointersInvalid, kPointersToMyMemory, kPointersToExternalMemory };

    PointerState ptrState = kPointersInvalid;
    bool externalMemory = false;
    AudioBufferList* ptrs = nullptr;
    std::byte* memory = nullptr;
    UInt32 allocatedStreams = 0;
    UInt32 allocatedFrames = 0;
    UInt32 allocatedBytes = 0;

    AudioBufferList& fillList(const CAStreamBasicDescription& format, UInt32 frames, bool withMemory);
};
