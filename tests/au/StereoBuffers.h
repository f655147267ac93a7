#pragma once

// A caller's buffer list of n non-interleaved float buffers, over memory of
// its own or with null data pointers.

#include <cstddef>
#include <vector>

#include "platform/audiounit/AudioUnit.h"

class StereoBuffers {
  public:
    explicit StereoBuffers(UInt32 frames, UInt32 buffers = 2, bool withMemory = true)
        : storage(offsetof(AudioBufferList, mBuffers) + buffers * sizeof(AudioBuffer)),
          samples(buffers, std::vector<float>(frames, -1.0f))
    {
        list().mNumberBuffers = buffers;
        for (UInt32 i = 0; i < buffers; ++i)
            list().mBuffers[i] = {1, frames * static_cast<UInt32>(sizeof(float)),
                                  withMemory ? samples[i].data() : nullptr};
    }

    AudioBufferList& list() { return *reinterpret_cast<AudioBufferList*>(storage.data()); }
    std::vector<float>& channel(UInt32 i) { return samples[i]; }
    UInt32 frames() const { return static_cast<UInt32>(samples[0].size()); }

  private:
    std::vector<std::byte> storage;
    std::vector<std::vector<float>> samples;
};
