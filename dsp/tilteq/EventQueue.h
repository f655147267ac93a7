#pragma once

#include <cstdint>
#include <memory>

// A timed MIDI event: the payload is carried, never read.
struct VstMidiEvent {
    uint32_t payload = 0;
    int32_t delta = 0; // frames still to wait
};

// Bounded first-in, first-out queue for sample-accurate events. Only the
// oldest event is counted down, so each delay runs from the moment its
// predecessor left. For one thread; allocates only at construction.
class EventQueue {
  public:
    explicit EventQueue(int capacity);

    void reset();
    // A full queue ignores the push.
    void push(VstMidiEvent event);
    // An empty queue returns an event of payload 0 and delta 0.
    VstMidiEvent pop();
    bool isFull() const { return actual == capacity; }
    bool isEmpty() const { return actual == 0; }
    int32_t getActual() const { return actual; }
    // Counts the oldest event down one frame; true when it is due.
    bool decDelta();

  private:
    int32_t actual = 0;
    std::unique_ptr<VstMidiEvent[]> entries; // newest at 0, oldest at actual - 1
    int32_t capacity;
};
