#include "au/AUBufferList.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Bytes of one stream for frames frames, rounded up to 16 for alignment.
size_t streamStride(const CAStreamBasicDescription& format, UInt32 frames)
{
    const size_t bytes = static_cast<size_t>(format.mBytesPerFrame) * frames;
    return (bytes + 15) & ~static_cast<size_t>(15);
}

size_t listBytes(UInt32 buffers)
{
    return offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (buffers == 0 ? 1 : buffers);
}

void* allocateOrThrow(size_t bytes)
{
    void* block = std::aligned_alloc(16, (bytes + 15) & ~static_cast<size_t>(15));
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

} // namespace

AUBufferList::~AUBufferList()
{
    Deallocate();
    std::free(ptrs);
}

void AUBufferList::Allocate(const CAStreamBasicDescription& format, UInt32 frames)
{
    const UInt32 streams = format.NumberChannelStreams();
    if (streams > allocatedStreams || ptrs == nullptr) {
        auto* grown = static_cast<AudioBufferList*>(allocateOrThrow(listBytes(streams)));
        std::free(ptrs);
        ptrs = grown;
        allocatedStreams = streams;
    }
    const size_t needed = streams * streamStride(format, frames);
    if (needed > allocatedBytes) {
        if (externalMemory) {
            // The host's block is not ours to free.
            memory = nullptr;
            externalMemory = false;
        }
        auto* grown = static_cast<std::byte*>(allocateOrThrow(needed));
        std::memset(grown, 0, needed);
        std::free(memory);
        memory = grown;
        allocatedBytes = static_cast<UInt32>(needed);
    }
    allocatedFrames = frames;
    ptrState = kPointersInvalid;
}

void AUBufferList::Deallocate()
{
    if (!externalMemory) std::free(memory);
    memory = nullptr;
    externalMemory = false;
    allocatedBytes = 0;
    allocatedFrames = 0;
    ptrState = kPointersInvalid;
}

AudioBufferList& AUBufferList::fillList(const CAStreamBasicDescription& format, UInt32 frames,
                                        bool withMemory)
{
    const UInt32 streams = format.NumberChannelStreams();
    if (streams > allocatedStreams || ptrs == nullptr)
        throw static_cast<OSStatus>(kAudioUnitErr_FormatNotSupported);
    const size_t stride = streamStride(format, allocatedFrames);
    // More frames than allocated would hand out buffers that overrun memory.
    if (withMemory && (frames > allocatedFrames || streams * stride > allocatedBytes))
        throw static_cast<OSStatus>(kAudioUnitErr_TooManyFramesToProcess);
    ptrs->mNumberBuffers = streams;
    for (UInt32 i = 0; i < streams; ++i) {
        AudioBuffer& buffer = ptrs->mBuffers[i];
        buffer.mNumberChannels = format.NumberInterleavedChannels();
        buffer.mDataByteSize = frames * format.mBytesPerFrame;
        buffer.mData = withMemory ? memory + i * stride : nullptr;
    }
    ptrState = withMemory ? kPointersToMyMemory : kPointersToExternalMemory;
    return *ptrs;
}

AudioBufferList& AUBufferList::PrepareBuffer(const CAStreamBasicDescription& format, UInt32 frames)
{
    return fillList(format, frames, true);
}

AudioBufferList& AUBufferList::PrepareNullBuffer(const CAStreamBasicDescription& format, UInt32 frames)
{
    return fillList(format, frames, false);
}

AudioBufferList& AUBufferList::SetBufferList(const AudioBufferList& list)
{
    if (list.mNumberBuffers > allocatedStreams || ptrs == nullptr) throw static_cast<OSStatus>(-1);
    ptrs->mNumberBuffers = list.mNumberBuffers;
    std::memcpy(ptrs->mBuffers, list.mBuffers, sizeof(AudioBuffer) * list.mNumberBuffers);
    ptrState = kPointersToExternalMemory;
    return *ptrs;
}

AudioBufferList& AUBufferList::GetBufferList() const
{
    if (ptrState == kPointersInvalid) throw static_cast<OSStatus>(-1);
    return *ptrs;
}

void AUBufferList::CopyBufferListTo(AudioBufferList& list) const
{
    if (ptrState == kPointersInvalid) throw static_cast<OSStatus>(-1);
    std::memcpy(list.mBuffers, ptrs->mBuffers, sizeof(AudioBuffer) * list.mNumberBuffers);
}

void AUBufferList::CopyBufferContentsTo(AudioBufferList& list) const
{
    if (ptrState == kPointersInvalid) throw static_cast<OSStatus>(-1);
    if (ptrs->mNumberBuffers == 0) return;
    for (UInt32 i = 0; i < list.mNumberBuffers; ++i) {
        const AudioBuffer& source = ptrs->mBuffers[i < ptrs->mNumberBuffers ? i : ptrs->mNumberBuffers - 1];
        AudioBuffer& destination = list.mBuffers[i];
        if (destination.mData != source.mData)
            std::memcpy(destination.mData, source.mData, source.mDataByteSize);
        destination.mDataByteSize = source.mDataByteSize;
    }
}

void AUBufferList::UseExternalBuffer(const CAStreamBasicDescription& format,
                                     const AudioUnitExternalBuffer& buffer)
{
    if (memory == nullptr) return;
    const UInt32 size = buffer.size & ~15u;
    if (size < allocatedBytes) return;
    if (!externalMemory) std::free(memory);
    memory = reinterpret_cast<std::byte*>(buffer.buffer);
    externalMemory = true;
    allocatedBytes = size;
    const UInt32 frameBytes = format.NumberChannelStreams() * format.mBytesPerFrame;
    allocatedFrames = frameBytes == 0 ? 0 : size / frameBytes;
    ptrState = kPointersInvalid;
}
