#include "dsp/tilteq/EventQueue.h"

#include <algorithm>

EventQueue::EventQueue(int capacity)
    : entries(std::make_unique<VstMidiEvent[]>(static_cast<size_t>(std::max(capacity, 0)))),
      capacity(std::max(capacity, 0))
{
}

void EventQueue::reset()
{
    for (int32_t i = 0; i < capacity; ++i) entries[i].delta = 0;
    actual = 0;
}

void EventQueue::push(VstMidiEvent event)
{
    if (isFull()) return;
    std::copy_backward(entries.get(), entries.get() + actual, entries.get() + actual + 1);
    entries[0] = event;
    ++actual;
}

VstMidiEvent EventQueue::pop()
{
    if (isEmpty()) return {};
    --actual;
    entries[actual].delta = 0;
    return entries[actual];
}

bool EventQueue::decDelta()
{
    if (isEmpty()) return false;
    VstMidiEvent& oldest = entries[actual - 1];
    if (oldest.delta <= 0) return true;
    --oldest.delta;
    return false;
}
