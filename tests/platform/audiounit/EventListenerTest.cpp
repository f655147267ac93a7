#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "platform/audiounit/AUEventListener.h"
#include "platform/corefoundation/PlatformClock.h"
#include "tests/support/AllocationCounter.h"

namespace {

constexpr CFAbsoluteTime kStart = 5000.0;
const CFStringRef kOtherMode = CFSTR("OtherMode");

// A unit with four global parameters and nothing else.
struct TestUnit {
    std::array<std::atomic<float>, 4> values{};
};

ComponentResult testUnitEntry(ComponentParameters* params, void* storage)
{
    auto* unit = static_cast<TestUnit*>(storage);
    const uintptr_t* words = params->params; // word 0 is the last argument
    switch (params->what) {
    case kComponentOpenSelect:
        SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(words[0]),
                                    reinterpret_cast<Handle>(new TestUnit));
        return noErr;
    case kComponentCloseSelect:
        delete unit;
        return noErr;
    case kAudioUnitGetParameterSelect:
        if (words[3] >= unit->values.size()) return kAudioUnitErr_InvalidParameter;
        *reinterpret_cast<float*>(words[0]) = unit->values[words[3]].load(std::memory_order_relaxed);
        return noErr;
    case kAudioUnitSetParameterSelect:
        if (words[4] >= unit->values.size()) return kAudioUnitErr_InvalidParameter;
        unit->values[words[4]].store(std::bit_cast<float>(static_cast<uint32_t>(words[1])),
                                     std::memory_order_relaxed);
        return noErr;
    default:
        return badComponentSelector;
    }
}

Component testComponent()
{
    static const ComponentDescription description{kAudioUnitType_Effect, FourCharCode("Lstn"),
                                                  FourCharCode("Vokt"), 0, 0};
    static const Component component = RegisterComponent(&description, testUnitEntry, "Listener test");
    return component;
}

struct Heard {
    void* object;
    AudioUnitEventType type;
    AudioUnitParameterID id;
    float value;
    std::thread::id thread;

    bool operator==(const Heard&) const = default;
};

// What one listener heard, in order.
struct Recorder {
    std::vector<Heard> heard;
    std::function<void()> onHeard;

    static void callback(void* refCon, void* object, const AudioUnitEvent* event, UInt64, float value)
    {
        auto* self = static_cast<Recorder*>(refCon);
        self->heard.push_back({object, event->mEventType, event->mArgument.mParameter.mParameterID, value,
                               std::this_thread::get_id()});
        if (self->onHeard) self->onHeard();
    }
};

int objectA, objectB; // listener objects: only their addresses matter

class EventListenerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        platform::useVirtualClock(kStart);
        ASSERT_NE(testComponent(), nullptr);
        unit = OpenComponent(testComponent());
        ASSERT_NE(unit, nullptr);
    }
    void TearDown() override
    {
        for (AUEventListenerRef listener : listeners) AUListenerDispose(listener);
        CloseComponent(unit);
        platform::useRealClock();
    }

    AUEventListenerRef listen(Recorder& recorder, CFStringRef mode = kCFRunLoopDefaultMode,
                              float interval = 0.05f, float granularity = 0.05f)
    {
        AUEventListenerRef listener = nullptr;
        EXPECT_EQ(AUEventListenerCreate(Recorder::callback, &recorder, CFRunLoopGetCurrent(), mode, interval,
                                        granularity, &listener),
                  noErr);
        listeners.push_back(listener);
        return listener;
    }
    AudioUnitParameter parameter(AudioUnitParameterID id) const
    {
        return {unit, id, kAudioUnitScope_Global, 0};
    }
    AudioUnitEvent event(AudioUnitEventType type, AudioUnitParameterID id) const
    {
        AudioUnitEvent e{};
        e.mEventType = type;
        e.mArgument.mParameter = parameter(id);
        return e;
    }
    OSStatus set(AudioUnitParameterID id, float value, AUEventListenerRef sender = nullptr,
                 void* object = nullptr)
    {
        const AudioUnitParameter p = parameter(id);
        return AUParameterSet(sender, object, &p, value, 0);
    }
    OSStatus gesture(AudioUnitEventType type, AudioUnitParameterID id)
    {
        const AudioUnitEvent e = event(type, id);
        return AUEventListenerNotify(nullptr, nullptr, &e);
    }
    // Registers value changes and both gestures of the parameter.
    void watch(AUEventListenerRef listener, void* object, AudioUnitParameterID id)
    {
        const AudioUnitParameter p = parameter(id);
        EXPECT_EQ(AUListenerAddParameter(listener, object, &p), noErr);
        for (AudioUnitEventType type :
             {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_EndParameterChangeGesture}) {
            const AudioUnitEvent e = event(type, id);
            EXPECT_EQ(AUEventListenerAddEventType(listener, object, &e), noErr);
        }
    }
    // A listener's first delivery comes one interval after its creation: 0.06 s
    // covers 0.05f, which is a little over 0.05.
    static void runFor(double seconds, CFStringRef mode = kCFRunLoopDefaultMode)
    {
        CFRunLoopRunInMode(mode, seconds, false);
    }
    static Heard value(void* object, AudioUnitParameterID id, float v)
    {
        return {object, kAudioUnitEvent_ParameterValueChange, id, v, std::this_thread::get_id()};
    }
    static Heard gestureHeard(void* object, AudioUnitEventType type, AudioUnitParameterID id, float v)
    {
        return {object, type, id, v, std::this_thread::get_id()};
    }

    AudioUnit unit = nullptr;
    std::vector<AUEventListenerRef> listeners;
};

} // namespace

TEST_F(EventListenerTest, DeliversOnItsRunLoopInItsModeNeverInTheCall)
{
    Recorder defaultMode, otherMode;
    const AudioUnitParameter p = parameter(1);
    ASSERT_EQ(AUListenerAddParameter(listen(defaultMode), &objectA, &p), noErr);
    ASSERT_EQ(AUListenerAddParameter(listen(otherMode, kOtherMode), &objectA, &p), noErr);

    ASSERT_EQ(set(1, 0.75f), noErr);
    float stored = 0;
    EXPECT_EQ(AudioUnitGetParameter(unit, 1, kAudioUnitScope_Global, 0, &stored), noErr);
    EXPECT_EQ(stored, 0.75f);
    EXPECT_TRUE(defaultMode.heard.empty());

    runFor(0.1);
    EXPECT_EQ(defaultMode.heard, (std::vector{value(&objectA, 1, 0.75f)}));
    EXPECT_TRUE(otherMode.heard.empty());
    runFor(0.1, kOtherMode);
    EXPECT_EQ(otherMode.heard, (std::vector{value(&objectA, 1, 0.75f)}));

    // Other parameters, a failed set and a notify without a change.
    EXPECT_EQ(set(2, 0.5f), noErr);
    EXPECT_EQ(set(9, 0.5f), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AUParameterListenerNotify(nullptr, nullptr, &p), noErr);
    runFor(0.1);
    EXPECT_EQ(defaultMode.heard, (std::vector{value(&objectA, 1, 0.75f), value(&objectA, 1, 0.75f)}));
}

TEST_F(EventListenerTest, SenderDoesNotHearItself)
{
    Recorder a, b;
    const AUEventListenerRef listenerA = listen(a);
    const AUEventListenerRef listenerB = listen(b);
    const AudioUnitParameter p = parameter(0);
    AUListenerAddParameter(listenerA, &objectA, &p);
    AUListenerAddParameter(listenerA, &objectB, &p);
    AUListenerAddParameter(listenerB, &objectA, &p);

    set(0, 0.25f, listenerA); // none of A's registrations
    runFor(0.1);
    EXPECT_TRUE(a.heard.empty());
    EXPECT_EQ(b.heard, (std::vector{value(&objectA, 0, 0.25f)}));

    set(0, 0.5f, listenerA, &objectA); // only A's registration with that object
    runFor(0.1);
    EXPECT_EQ(a.heard, (std::vector{value(&objectB, 0, 0.5f)}));
    EXPECT_EQ(b.heard.back(), value(&objectA, 0, 0.5f));
}

TEST_F(EventListenerTest, BurstsCoalesceToTheLatestValueOncePerInterval)
{
    Recorder quick, slow;
    watch(listen(quick), &objectA, 0);
    watch(listen(slow, kCFRunLoopDefaultMode, 0.05f, 0.2f), &objectA, 0);

    for (int i = 1; i <= 100; ++i) set(0, i / 100.0f);
    runFor(0.06);
    EXPECT_EQ(quick.heard, (std::vector{value(&objectA, 0, 1.0f)}));

    // A change every 0.01 s for a second: one delivery per interval, or per
    // granularity when that is longer, and the last value always arrives.
    quick.heard.clear();
    slow.heard.clear();
    for (int i = 1; i <= 100; ++i) {
        set(0, static_cast<float>(i));
        runFor(0.01);
    }
    runFor(0.25);
    EXPECT_GE(quick.heard.size(), 19u);
    EXPECT_LE(quick.heard.size(), 21u);
    EXPECT_GE(slow.heard.size(), 5u);
    EXPECT_LE(slow.heard.size(), 6u);
    EXPECT_EQ(quick.heard.back().value, 100.0f);
    EXPECT_EQ(slow.heard.back().value, 100.0f);
    for (size_t i = 1; i < quick.heard.size(); ++i) EXPECT_GT(quick.heard[i].value, quick.heard[i - 1].value);
}

TEST_F(EventListenerTest, GesturesArriveInOrderWithTheValuesAroundThem)
{
    Recorder gestures, valuesOnly;
    watch(listen(gestures), &objectA, 3);
    const AudioUnitParameter p = parameter(3);
    AUListenerAddParameter(listen(valuesOnly), &objectB, &p);

    gesture(kAudioUnitEvent_BeginParameterChangeGesture, 3);
    set(3, 0.1f);
    set(3, 0.2f);
    set(3, 0.3f);
    gesture(kAudioUnitEvent_EndParameterChangeGesture, 3);
    set(3, 0.4f);
    gesture(kAudioUnitEvent_BeginParameterChangeGesture, 2); // not registered
    runFor(0.06);
    // The value just before a gesture comes with it; the one after waits
    // for the granularity.
    const std::vector gestureAndValues{
        gestureHeard(&objectA, kAudioUnitEvent_BeginParameterChangeGesture, 3, 0.0f),
        value(&objectA, 3, 0.3f), gestureHeard(&objectA, kAudioUnitEvent_EndParameterChangeGesture, 3, 0.3f)};
    EXPECT_EQ(gestures.heard, gestureAndValues);
    EXPECT_EQ(valuesOnly.heard, (std::vector{value(&objectB, 3, 0.4f)}));
    runFor(0.05);
    EXPECT_EQ(gestures.heard.size(), 4u);
    EXPECT_EQ(gestures.heard.back(), value(&objectA, 3, 0.4f));
}

TEST_F(EventListenerTest, AFullQueueLosesNoGestureAndNoLatestValue)
{
    Recorder recorder;
    watch(listen(recorder), &objectA, 0);
    // Far more changes than the queue holds, with gestures among them.
    int gesturesSent = 0;
    for (int i = 1; i <= 10000; ++i) {
        set(0, static_cast<float>(i));
        if (i % 10 == 0) {
            const AudioUnitEventType type = (i / 10) % 2 ? kAudioUnitEvent_BeginParameterChangeGesture
                                                         : kAudioUnitEvent_EndParameterChangeGesture;
            ASSERT_EQ(gesture(type, 0), noErr) << i;
            ++gesturesSent;
        }
    }
    runFor(0.2);
    int gesturesHeard = 0;
    AudioUnitEventType expected = kAudioUnitEvent_BeginParameterChangeGesture;
    for (const Heard& h : recorder.heard) {
        if (h.type == kAudioUnitEvent_ParameterValueChange) continue;
        EXPECT_EQ(h.type, expected);
        expected = expected == kAudioUnitEvent_BeginParameterChangeGesture
                       ? kAudioUnitEvent_EndParameterChangeGesture
                       : kAudioUnitEvent_BeginParameterChangeGesture;
        ++gesturesHeard;
    }
    EXPECT_EQ(gesturesHeard, gesturesSent);
    EXPECT_EQ(recorder.heard.back(), value(&objectA, 0, 10000.0f));

    // Past what the queue can hold, gestures are refused, not dropped.
    OSStatus status = noErr;
    for (int i = 0; i < 5000 && status == noErr; ++i)
        status = gesture(kAudioUnitEvent_BeginParameterChangeGesture, 0);
    EXPECT_EQ(status, kAudioUnitErr_CannotDoInCurrentContext);
}

TEST_F(EventListenerTest, DisposedListenersAreNeverCalledAgain)
{
    Recorder pendingAtDispose, disposesItself;
    const AUEventListenerRef first = listen(pendingAtDispose);
    const AUEventListenerRef second = listen(disposesItself);
    watch(first, &objectA, 0);
    watch(second, &objectA, 0);
    disposesItself.onHeard = [&] { EXPECT_EQ(AUListenerDispose(second), noErr); };

    gesture(kAudioUnitEvent_BeginParameterChangeGesture, 0);
    set(0, 0.5f);
    gesture(kAudioUnitEvent_EndParameterChangeGesture, 0);
    EXPECT_EQ(AUListenerDispose(first), noErr);
    runFor(0.2);
    EXPECT_TRUE(pendingAtDispose.heard.empty());
    EXPECT_EQ(disposesItself.heard.size(), 1u);

    // Gone handles are refused.
    const AudioUnitParameter p = parameter(0);
    EXPECT_EQ(AUListenerAddParameter(first, &objectA, &p), paramErr);
    EXPECT_EQ(AUListenerDispose(second), paramErr);

    // Removing a registration drops what was pending for it.
    Recorder removed;
    const AUEventListenerRef third = listen(removed);
    EXPECT_EQ(AUListenerAddParameter(third, &objectA, &p), noErr);
    EXPECT_EQ(AUListenerAddParameter(third, &objectA, &p), noErr); // once is enough
    set(0, 0.25f);
    runFor(0.06);
    EXPECT_EQ(removed.heard.size(), 1u);
    set(0, 0.75f);
    EXPECT_EQ(AUListenerRemoveParameter(third, &objectA, &p), noErr);
    runFor(0.1);
    EXPECT_EQ(removed.heard.size(), 1u);
}

TEST_F(EventListenerTest, PropertyChangesReachTheirRegistrations)
{
    Recorder recorder;
    const AUEventListenerRef listener = listen(recorder);
    AudioUnitEvent change{};
    change.mEventType = kAudioUnitEvent_PropertyChange;
    change.mArgument.mProperty = {unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0};
    ASSERT_EQ(AUEventListenerAddEventType(listener, &objectA, &change), noErr);
    AudioUnitEvent other = change;
    other.mArgument.mProperty.mScope = kAudioUnitScope_Output;

    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &other), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
    runFor(0.06);
    ASSERT_EQ(recorder.heard.size(), 2u); // not coalesced
    EXPECT_EQ(recorder.heard[0].type, kAudioUnitEvent_PropertyChange);
    EXPECT_EQ(recorder.heard[0].id, kAudioUnitProperty_StreamFormat); // mPropertyID shares the slot

    AudioUnitEvent unknown = change;
    unknown.mEventType = 7;
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &unknown), paramErr);
    EXPECT_EQ(AUEventListenerAddEventType(listener, &objectA, &unknown), paramErr);
    AUEventListenerRef none = nullptr;
    EXPECT_EQ(AUEventListenerCreate(nullptr, nullptr, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.1f,
                                    0.1f, &none),
              paramErr);
    EXPECT_EQ(AUParameterSet(nullptr, nullptr, nullptr, 0, 0), paramErr);
}

TEST_F(EventListenerTest, PostingAllocatesNothing)
{
    Recorder recorder;
    watch(listen(recorder), &objectA, 0);
    const AudioUnitParameter p = parameter(0);
    const auto postAll = [&](int rounds) {
        for (int i = 0; i < rounds; ++i) {
            gesture(kAudioUnitEvent_BeginParameterChangeGesture, 0);
            set(0, static_cast<float>(i));
            AUParameterListenerNotify(nullptr, nullptr, &p);
            gesture(kAudioUnitEvent_EndParameterChangeGesture, 0);
        }
    };
    postAll(10); // first calls may set up function-local state
    const size_t before = testsupport::allocationCount();
    postAll(2000); // fills the queue: the overflow path too
    EXPECT_EQ(testsupport::allocationCount() - before, 0u);
    runFor(0.2);
    EXPECT_EQ(recorder.heard.back(), value(&objectA, 0, 1999.0f));
}

// Real time and real threads: for the thread sanitizer.
TEST(EventListenerThreads, PostsFromAnotherThreadReachTheListenersOwnThread)
{
    ASSERT_NE(testComponent(), nullptr);
    const AudioUnit unit = OpenComponent(testComponent());
    const AudioUnitParameter p{unit, 0, kAudioUnitScope_Global, 0};
    constexpr int kChanges = 20000, kGesturePairs = 200;

    // A listener on a worker thread's run loop, fed from this thread...
    Recorder onWorker;
    std::promise<AUEventListenerRef> created;
    std::atomic<bool> workerDone{false};
    onWorker.onHeard = [&] {
        if (onWorker.heard.back().value == 1.0f) workerDone = true;
    };
    std::thread worker([&] {
        AUEventListenerRef listener = nullptr;
        AUEventListenerCreate(Recorder::callback, &onWorker, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode,
                              0.01f, 0.01f, &listener);
        AUListenerAddParameter(listener, &objectA, &p);
        created.set_value(listener);
        while (!workerDone) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false);
        AUListenerDispose(listener);
    });
    created.get_future().wait();

    // ...and one on this thread's, fed from a poster thread, gestures and all.
    Recorder onMain;
    AUEventListenerRef listener = nullptr;
    ASSERT_EQ(AUEventListenerCreate(Recorder::callback, &onMain, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode,
                                    0.01f, 0.01f, &listener),
              noErr);
    AUListenerAddParameter(listener, &objectB, &p);
    for (AudioUnitEventType type :
         {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_EndParameterChangeGesture}) {
        AudioUnitEvent e{type, {}};
        e.mArgument.mParameter = p;
        AUEventListenerAddEventType(listener, &objectB, &e);
    }
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        AudioUnitEvent e{};
        e.mArgument.mParameter = p;
        for (int i = 1; i <= kChanges; ++i) {
            if (i % (kChanges / kGesturePairs) == 1) {
                e.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
                EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &e), noErr);
            }
            AUParameterSet(nullptr, nullptr, &p, static_cast<float>(i) / kChanges, 0);
            if (i % (kChanges / kGesturePairs) == 0) {
                e.mEventType = kAudioUnitEvent_EndParameterChangeGesture;
                EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &e), noErr);
            }
        }
        posted = true;
    });
    const auto heardLast = [&] {
        return !onMain.heard.empty() &&
               onMain.heard.back().type == kAudioUnitEvent_EndParameterChangeGesture &&
               std::count_if(onMain.heard.begin(), onMain.heard.end(), [](const Heard& h) {
                   return h.type == kAudioUnitEvent_EndParameterChangeGesture;
               }) == kGesturePairs;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(posted && heardLast()) && std::chrono::steady_clock::now() < deadline)
        CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false);
    poster.join();
    worker.join();
    AUListenerDispose(listener);
    CloseComponent(unit);

    ASSERT_TRUE(heardLast());
    int begins = 0, ends = 0;
    for (const Heard& h : onMain.heard) {
        EXPECT_EQ(h.thread, std::this_thread::get_id());
        if (h.type == kAudioUnitEvent_BeginParameterChangeGesture) ++begins;
        if (h.type == kAudioUnitEvent_EndParameterChangeGesture) {
            EXPECT_EQ(++ends, begins);
        }
    }
    EXPECT_EQ(begins, kGesturePairs);
    EXPECT_EQ(onWorker.heard.back().value, 1.0f);
    for (const Heard& h : onWorker.heard) EXPECT_EQ(h.thread, onWorker.heard.front().thread);
    EXPECT_NE(onWorker.heard.front().thread, std::this_thread::get_id());
}
