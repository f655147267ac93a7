// The listener registry. Posters only push onto the queue; each listener's
// timer, on its own run loop, moves everything queued to the pending lists
// of the registrations it concerns (under the registry's lock, which posters
// never take) and then delivers its own due notifications, unlocked.

#include "platform/audiounit/AUEventListener.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <tuple>
#include <vector>

#include "platform/audiounit/BoundedQueue.h"
#include "platform/corefoundation/CFRef.h"

namespace {

constexpr size_t kQueueSize = 4096;
constexpr size_t kValueChangeRoom = kQueueSize / 4 * 3;
// The timers fire at least this often; a granularity is met to within
// kTimeTolerance, since timer dates and the clock add up in floating point.
constexpr double kShortestInterval = 0.01;
constexpr double kTimeTolerance = 1e-4;

bool isParameterEvent(AudioUnitEventType type)
{
    return type <= kAudioUnitEvent_EndParameterChangeGesture;
}

// What one registration's notifications are ordered and coalesced by.
struct Subject {
    void* object;
    bool isProperty;
    AudioUnit unit;
    UInt32 id, scope, element;

    static Subject of(void* object, const AudioUnitEvent& event)
    {
        if (isParameterEvent(event.mEventType)) {
            const AudioUnitParameter& p = event.mArgument.mParameter;
            return {object, false, p.mAudioUnit, p.mParameterID, p.mScope, p.mElement};
        }
        const AudioUnitProperty& p = event.mArgument.mProperty;
        return {object, true, p.mAudioUnit, p.mPropertyID, p.mScope, p.mElement};
    }
    auto tie() const { return std::tie(object, isProperty, unit, id, scope, element); }
    bool operator==(const Subject& other) const { return tie() == other.tie(); }
    bool operator<(const Subject& other) const { return tie() < other.tie(); }
};

bool sameTarget(const AudioUnitEvent& a, const AudioUnitEvent& b)
{
    return a.mEventType == b.mEventType && Subject::of(nullptr, a) == Subject::of(nullptr, b);
}

// One notification on its way.
struct Posted {
    AudioUnitEvent event;
    const AUListenerBase* sender;
    void* sendingObject;
    AudioUnitParameterValue value;
    UInt64 hostTime;
};

// One notification for one registration.
struct Pending {
    void* object;
    AudioUnitEvent event;
    AudioUnitParameterValue value;
    UInt64 hostTime;
};

struct Registration {
    void* object;
    AudioUnitEvent event;
};

} // namespace

struct AUListenerBase {
    AUListenerBase(AUEventListenerProc proc, void* refCon, double granularity)
        : proc(proc), refCon(refCon), granularity(granularity)
    {
    }

    const AUEventListenerProc proc;
    void* const refCon;
    const double granularity;
    platform::CFRef<CFRunLoopTimerRef> timer;

    // Under the registry's lock.
    std::vector<Registration> registrations;
    std::vector<Pending> pending;
    std::map<Subject, CFAbsoluteTime> lastValueChange;

    // Held while a callback runs; disposal takes it, so that no callback
    // runs once it has returned.
    std::recursive_mutex delivering;
    std::atomic<bool> disposed{false};
};

namespace {

struct Registry {
    std::mutex lock;
    std::vector<std::shared_ptr<AUListenerBase>> listeners;
    // Read by posters, who skip the queue while there is nobody to hear.
    std::atomic<size_t> count{0};
    platform::detail::BoundedQueue<Posted, kQueueSize> queue;
    // A value change found no room in the queue.
    std::atomic<bool> overflowed{false};
};

// Made in static storage as the library loads, so that no poster, on
// whatever thread, ever has it allocated or waits for its construction. Never
// destroyed: run loops on other threads may still fire a listener's timer
// while static destructors run.
alignas(Registry) unsigned char registryStorage[sizeof(Registry)];
Registry& registry = *new (registryStorage) Registry;

// The listener behind a handle, if it is registered; under the lock.
std::shared_ptr<AUListenerBase> find(AUListenerBase* handle)
{
    auto& listeners = registry.listeners;
    const auto it = std::find_if(listeners.begin(), listeners.end(),
                                 [&](const auto& listener) { return listener.get() == handle; });
    return it == listeners.end() ? nullptr : *it;
}

// Adds a notification to a listener's pending list, merging a value change
// into the registration's last pending one unless another notification of
// the same subject (a gesture) came in between.
void addPending(AUListenerBase& listener, const Pending& item)
{
    const Subject subject = Subject::of(item.object, item.event);
    if (item.event.mEventType == kAudioUnitEvent_ParameterValueChange) {
        const auto last =
            std::find_if(listener.pending.rbegin(), listener.pending.rend(),
                         [&](const Pending& p) { return Subject::of(p.object, p.event) == subject; });
        if (last != listener.pending.rend() &&
            last->event.mEventType == kAudioUnitEvent_ParameterValueChange) {
            last->value = item.value;
            last->hostTime = item.hostTime;
            return;
        }
    }
    listener.pending.push_back(item);
}

UInt64 hostTime()
{
    return static_cast<UInt64>(std::max(CFAbsoluteTimeGetCurrent(), 0.0) * 1e9);
}

AudioUnitParameterValue currentValue(const AudioUnitParameter& p)
{
    AudioUnitParameterValue value = 0;
    AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value);
    return value;
}

// Moves every queued notification to the registrations it concerns; under
// the lock.
void route()
{
    Posted posted;
    while (registry.queue.tryPop(posted)) {
        for (const auto& listener : registry.listeners) {
            for (const Registration& registration : listener->registrations) {
                const bool fromSender =
                    posted.sender == listener.get() &&
                    (!posted.sendingObject || posted.sendingObject == registration.object);
                if (fromSender || !sameTarget(registration.event, posted.event)) continue;
                addPending(*listener, {registration.object, posted.event, posted.value, posted.hostTime});
            }
        }
    }
    if (!registry.overflowed.exchange(false)) return;
    for (const auto& listener : registry.listeners) {
        for (const Registration& registration : listener->registrations) {
            if (registration.event.mEventType != kAudioUnitEvent_ParameterValueChange) continue;
            addPending(*listener, {registration.object, registration.event,
                                   currentValue(registration.event.mArgument.mParameter), hostTime()});
        }
    }
}

// Takes the listener's notifications that are due at `now`, in order. A
// registration's last value change stays while within the granularity of the
// one delivered before it; one that a gesture follows goes with the gesture.
// Under the lock.
std::vector<Pending> takeDue(AUListenerBase& listener, CFAbsoluteTime now)
{
    const std::vector<Pending>& pending = listener.pending;
    std::vector<bool> isLast(pending.size()); // of its registration's items
    std::vector<Subject> seen;
    for (size_t i = pending.size(); i-- > 0;) {
        const Subject subject = Subject::of(pending[i].object, pending[i].event);
        isLast[i] = std::find(seen.begin(), seen.end(), subject) == seen.end();
        if (isLast[i]) seen.push_back(subject);
    }
    std::vector<Pending> due, kept;
    for (size_t i = 0; i < pending.size(); ++i) {
        const Pending& item = pending[i];
        if (item.event.mEventType == kAudioUnitEvent_ParameterValueChange) {
            const Subject subject = Subject::of(item.object, item.event);
            const auto last = listener.lastValueChange.find(subject);
            if (isLast[i] && last != listener.lastValueChange.end() &&
                now + kTimeTolerance < last->second + listener.granularity) {
                kept.push_back(item);
                continue;
            }
            listener.lastValueChange[subject] = now;
        }
        due.push_back(item);
    }
    listener.pending = std::move(kept);
    return due;
}

// The listener's timer.
void deliver(CFRunLoopTimerRef, void* info)
{
    const auto listener = *static_cast<std::shared_ptr<AUListenerBase>*>(info);
    std::vector<Pending> due;
    {
        std::lock_guard lock(registry.lock);
        route();
        if (listener->disposed) return;
        due = takeDue(*listener, CFAbsoluteTimeGetCurrent());
    }
    for (const Pending& item : due) {
        std::lock_guard lock(listener->delivering);
        if (listener->disposed) return;
        listener->proc(listener->refCon, item.object, &item.event, item.hostTime, item.value);
    }
}

OSStatus post(AUListenerBase* sender, void* sendingObject, const AudioUnitEvent& event,
              AudioUnitParameterValue value)
{
    if (registry.count.load(std::memory_order_acquire) == 0) return noErr;
    const Posted posted{event, sender, sendingObject, value, hostTime()};
    if (event.mEventType == kAudioUnitEvent_ParameterValueChange) {
        if (!registry.queue.tryPush(posted, kValueChangeRoom)) registry.overflowed.store(true);
        return noErr;
    }
    return registry.queue.tryPush(posted) ? noErr : kAudioUnitErr_CannotDoInCurrentContext;
}

AudioUnitEvent valueChange(const AudioUnitParameter& parameter)
{
    AudioUnitEvent event{};
    event.mEventType = kAudioUnitEvent_ParameterValueChange;
    event.mArgument.mParameter = parameter;
    return event;
}

OSStatus addRegistration(AUListenerBase* handle, void* object, const AudioUnitEvent& event)
{
    std::lock_guard lock(registry.lock);
    const auto listener = find(handle);
    if (!listener) return paramErr;
    auto& registrations = listener->registrations;
    const auto same = [&](const Registration& r) { return r.object == object && sameTarget(r.event, event); };
    if (std::none_of(registrations.begin(), registrations.end(), same))
        registrations.push_back({object, event});
    return noErr;
}

OSStatus removeRegistration(AUListenerBase* handle, void* object, const AudioUnitEvent& event)
{
    std::lock_guard lock(registry.lock);
    const auto listener = find(handle);
    if (!listener) return paramErr;
    std::erase_if(listener->registrations,
                  [&](const Registration& r) { return r.object == object && sameTarget(r.event, event); });
    std::erase_if(listener->pending,
                  [&](const Pending& p) { return p.object == object && sameTarget(p.event, event); });
    return noErr;
}

} // namespace

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inCallbackRefCon, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                               Float32 inValueChangeGranularity, AUEventListenerRef* outListener)
{
    if (!inProc || !inRunLoop || !inRunLoopMode || !outListener) return paramErr;
    auto listener =
        std::make_shared<AUListenerBase>(inProc, inCallbackRefCon, std::max(0.0f, inValueChangeGranularity));
    const double interval = std::max<double>(inNotificationInterval, kShortestInterval);
    CFRunLoopTimerContext context{
        0, new std::shared_ptr<AUListenerBase>(listener), nullptr,
        [](const void* info) { delete static_cast<const std::shared_ptr<AUListenerBase>*>(info); }, nullptr};
    listener->timer.reset(CFRunLoopTimerCreate(nullptr, CFAbsoluteTimeGetCurrent() + interval, interval, 0, 0,
                                               deliver, &context));
    {
        std::lock_guard lock(registry.lock);
        registry.listeners.push_back(listener);
        registry.count.fetch_add(1);
    }
    CFRunLoopAddTimer(inRunLoop, listener->timer.get(), inRunLoopMode);
    *outListener = listener.get();
    return noErr;
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener)
{
    std::shared_ptr<AUListenerBase> listener;
    {
        std::lock_guard lock(registry.lock);
        listener = find(inListener);
        if (!listener) return paramErr;
        std::erase(registry.listeners, listener);
        registry.count.fetch_sub(1);
        // What is queued goes to the others now; with no others, nowhere, so
        // that a later listener never hears it.
        route();
        listener->pending.clear();
    }
    {
        std::lock_guard lock(listener->delivering);
        listener->disposed = true;
    }
    // The timer's context holds the listener: invalidating it lets both go.
    CFRunLoopTimerInvalidate(listener->timer.get());
    listener->timer.reset();
    return noErr;
}

OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter)
{
    if (!inParameter) return paramErr;
    return addRegistration(inListener, inObject, valueChange(*inParameter));
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter)
{
    if (!inParameter) return paramErr;
    return removeRegistration(inListener, inObject, valueChange(*inParameter));
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                     const AudioUnitEvent* inEvent)
{
    if (!inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
    return addRegistration(inListener, inObject, *inEvent);
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent)
{
    if (!inEvent) return paramErr;
    return removeRegistration(inListener, inObject, *inEvent);
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent)
{
    if (!inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
    const AudioUnitParameterValue value =
        isParameterEvent(inEvent->mEventType) ? currentValue(inEvent->mArgument.mParameter) : 0;
    return post(inSendingListener, inSendingObject, *inEvent, value);
}

OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames)
{
    if (!inParameter) return paramErr;
    const AudioUnitParameter& p = *inParameter;
    const OSStatus status = AudioUnitSetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, inValue,
                                                  inBufferOffsetInFrames);
    if (status != noErr) return status;
    return post(inSendingListener, inSendingObject, valueChange(p), inValue);
}

OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter)
{
    if (!inParameter) return paramErr;
    return post(inSendingListener, inSendingObject, valueChange(*inParameter), currentValue(*inParameter));
}
