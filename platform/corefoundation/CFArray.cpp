// Arrays: a vector of values and the callbacks that own them.

#include <vector>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

const CFArrayCallBacks kCFTypeArrayCallBacks = {
    0, platform::detail::retainCallBack, platform::detail::releaseCallBack, CFCopyDescription, CFEqual};

struct __CFArray final : Object {
    explicit __CFArray(const CFArrayCallBacks* callBacks)
        : Object(platform::detail::kArrayTypeID), callBacks(callBacks ? *callBacks : kNone)
    {
    }
    ~__CFArray() override { removeAll(); }

    void append(const void* value)
    {
        values.push_back(callBacks.retain ? callBacks.retain(nullptr, value) : value);
    }
    void remove(CFIndex index)
    {
        const void* value = values[static_cast<size_t>(index)];
        values.erase(values.begin() + index);
        if (callBacks.release) callBacks.release(nullptr, value);
    }
    void removeAll()
    {
        // Release after clearing, so that a release reaching back into this
        // array sees a consistent one.
        const auto dropped = std::move(values);
        values.clear();
        if (callBacks.release)
            for (const void* value : dropped) callBacks.release(nullptr, value);
    }

    bool equals(const Object& other) const override
    {
        const auto& that = static_cast<const __CFArray&>(other);
        if (values.size() != that.values.size()) return false;
        for (size_t i = 0; i < values.size(); ++i) {
            const void* a = values[i];
            const void* b = that.values[i];
            if (a != b && !(callBacks.equal && callBacks.equal(a, b))) return false;
        }
        return true;
    }
    CFHashCode hash() const override { return values.size(); }
    std::string describe() const override
    {
        std::string text = "(";
        for (size_t i = 0; i < values.size(); ++i) {
            text += i ? ", " : "";
            text += platform::detail::describeEntry(values[i], callBacks.copyDescription);
        }
        return text + ")";
    }

    static constexpr CFArrayCallBacks kNone = {0, nullptr, nullptr, nullptr, nullptr};
    const CFArrayCallBacks callBacks;
    std::vector<const void*> values;
};

CFTypeID CFArrayGetTypeID(void)
{
    return platform::detail::kArrayTypeID;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks)
{
    auto* array = new __CFArray(callBacks);
    for (CFIndex i = 0; i < numValues; ++i) array->append(values[i]);
    return array;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex, const CFArrayCallBacks* callBacks)
{
    return new __CFArray(callBacks);
}

CFIndex CFArrayGetCount(CFArrayRef array)
{
    return static_cast<CFIndex>(array->values.size());
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index)
{
    return array->values[static_cast<size_t>(index)];
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value)
{
    array->append(value);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex index)
{
    array->remove(index);
}

void CFArrayRemoveAllValues(CFMutableArrayRef array)
{
    array->removeAll();
}
