#include <gtest/gtest.h>

#include "dsp/tilteq/EventQueue.h"

TEST(EventQueue, FirstInFirstOutUntilFull)
{
    EventQueue queue(4);
    EXPECT_TRUE(queue.isEmpty() && !queue.isFull() && queue.getActual() == 0 && !queue.decDelta());
    const uint32_t payloads[] = {0xdeadbeefu, 2, 3, 0xffffffffu};
    for (uint32_t payload : payloads) queue.push({payload, 7});
    EXPECT_TRUE(queue.isFull());
    EXPECT_EQ(queue.getActual(), 4);
    queue.push({99, 0}); // full: dropped
    for (uint32_t payload : payloads) {
        const VstMidiEvent e = queue.pop();
        EXPECT_EQ(e.payload, payload);
        EXPECT_EQ(e.delta, 0); // popped events always come out due
    }
    EXPECT_TRUE(queue.isEmpty());

    const VstMidiEvent none = queue.pop(); // empty: a blank event, nothing changes
    EXPECT_TRUE(none.payload == 0 && none.delta == 0 && queue.getActual() == 0);
    queue.push({5, 0});
    EXPECT_EQ(queue.pop().payload, 5u);

    for (uint32_t p = 0; p < 4; ++p) queue.push({p, 9});
    queue.reset();
    EXPECT_TRUE(queue.isEmpty() && !queue.decDelta());
}

TEST(EventQueue, OnlyTheOldestEventCountsDown)
{
    EventQueue queue(4);
    queue.push({1, 2});
    queue.push({2, 0});
    EXPECT_FALSE(queue.decDelta());
    EXPECT_FALSE(queue.decDelta());
    EXPECT_TRUE(queue.decDelta());
    EXPECT_TRUE(queue.decDelta()); // due stays due
    EXPECT_EQ(queue.pop().payload, 1u);
    EXPECT_TRUE(queue.decDelta());
    EXPECT_EQ(queue.pop().payload, 2u);

    // A delay counts from its predecessor's removal, not from its push.
    queue.push({3, 3});
    queue.push({4, 5});
    for (int n = 0; n < 3; ++n) EXPECT_FALSE(queue.decDelta());
    EXPECT_TRUE(queue.decDelta());
    queue.pop();
    for (int n = 0; n < 5; ++n) EXPECT_FALSE(queue.decDelta());
    EXPECT_TRUE(queue.decDelta());
}
