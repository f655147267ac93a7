#pragma once

// A fixed-size queue that any number of threads push to and pop from without
// locks or allocation: every slot is allocated with the queue. Each slot
// carries a sequence number that says whether it is ready to be written (in
// lap n, sequence == position) or read (sequence == position + 1); a thread
// claims a position with one compare-and-swap and publishes the slot with a
// release store of its sequence.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace platform::detail {

template <typename T, size_t Capacity> class BoundedQueue {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "a power of two");
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    BoundedQueue()
    {
        for (size_t i = 0; i < Capacity; ++i) slots_[i].sequence.store(i, std::memory_order_relaxed);
    }
    BoundedQueue(const BoundedQueue&) = delete;
    BoundedQueue& operator=(const BoundedQueue&) = delete;

    // Adds value unless `limit` (at most Capacity) or more entries are
    // waiting; false, with nothing added, if so.
    bool tryPush(const T& value, size_t limit = Capacity)
    {
        size_t position = head_.load(std::memory_order_relaxed);
        for (;;) {
            const auto waiting =
                static_cast<std::ptrdiff_t>(position - tail_.load(std::memory_order_acquire));
            if (waiting >= static_cast<std::ptrdiff_t>(limit)) return false;
            Slot& slot = slots_[position & (Capacity - 1)];
            const size_t sequence = slot.sequence.load(std::memory_order_acquire);
            const auto lap = static_cast<std::ptrdiff_t>(sequence - position);
            if (lap == 0) {
                if (head_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                    slot.value = value;
                    slot.sequence.store(position + 1, std::memory_order_release);
                    return true;
                }
            } else if (lap < 0) {
                return false; // full: the slot still holds last lap's entry
            } else {
                position = head_.load(std::memory_order_relaxed);
            }
        }
    }

    // Takes the oldest entry; false if there is none.
    bool tryPop(T& value)
    {
        size_t position = tail_.load(std::memory_order_relaxed);
        for (;;) {
            Slot& slot = slots_[position & (Capacity - 1)];
            const size_t sequence = slot.sequence.load(std::memory_order_acquire);
            const auto lap = static_cast<std::ptrdiff_t>(sequence - (position + 1));
            if (lap == 0) {
                if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                    value = slot.value;
                    slot.sequence.store(position + Capacity, std::memory_order_release);
                    return true;
                }
            } else if (lap < 0) {
                return false; // empty, or the next entry is still being written
            } else {
                position = tail_.load(std::memory_order_relaxed);
            }
        }
    }

  private:
    struct Slot {
        std::atomic<size_t> sequence;
        T value;
    };
    Slot slots_[Capacity];
    alignas(64) std::atomic<size_t> head_{0}; // next position to write
    alignas(64) std::atomic<size_t> tail_{0}; // next position to read
};

} // namespace platform::detail
