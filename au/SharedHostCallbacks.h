#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audiounit/AudioUnit.h"

namespace au::detail {

// The host's callbacks: replaced by a host thread, read on every render.
// The words must arrive together (a new function with the old user data
// would be a call into the wrong object), so a sequence count brackets each
// replacement and a reader copies again if one overlapped its copy. The
// reader takes no lock and never waits on a writer that is not writing.
class SharedHostCallbacks {
  public:
    // One writer at a time (the host's calls on one unit are serialised).
    void store(const HostCallbackInfo& info)
    {
        // Acquire keeps the words' stores after the odd count; release on
        // each word lets a reader that sees one also see the count. No
        // fences: the thread sanitizer does not model them.
        const uint32_t start = sequence.fetch_add(1, std::memory_order_acq_rel);
        userData.store(info.hostUserData, std::memory_order_release);
        beatAndTempo.store(info.beatAndTempoProc, std::memory_order_release);
        musicalTimeLocation.store(info.musicalTimeLocationProc, std::memory_order_release);
        transportState.store(info.transportStateProc, std::memory_order_release);
        sequence.store(start + 2, std::memory_order_release);
    }

    HostCallbackInfo load() const
    {
        for (;;) {
            const uint32_t start = sequence.load(std::memory_order_acquire);
            const HostCallbackInfo info{userData.load(std::memory_order_acquire),
                                        beatAndTempo.load(std::memory_order_acquire),
                                        musicalTimeLocation.load(std::memory_order_acquire),
                                        transportState.load(std::memory_order_acquire)};
            if (start % 2 == 0 && sequence.load(std::memory_order_relaxed) == start) return info;
        }
    }

  private:
    std::atomic<uint32_t> sequence{0};
    std::atomic<void*> userData{nullptr};
    std::atomic<HostCallback_GetBeatAndTempo> beatAndTempo{nullptr};
    std::atomic<HostCallback_GetMusicalTimeLocation> musicalTimeLocation{nullptr};
    std::atomic<HostCallback_GetTransportState> transportState{nullptr};
};

} // namespace au::detail
