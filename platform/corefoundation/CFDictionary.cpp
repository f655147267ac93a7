// Dictionaries: entries in insertion order, indexed by a hash table that
// uses the key callbacks for hashing and comparison.

#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

#include "platform/corefoundation/CFInternal.h"

using platform::detail::Object;

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0,     platform::detail::retainCallBack, platform::detail::releaseCallBack, CFCopyDescription, CFEqual,
    CFHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
    0, platform::detail::retainCallBack, platform::detail::releaseCallBack, CFCopyDescription, CFEqual};

struct __CFDictionary final : Object {
    using Entries = std::list<std::pair<const void*, const void*>>;

    struct KeyHash {
        const CFDictionaryKeyCallBacks* callBacks;
        size_t operator()(const void* key) const
        {
            return callBacks->hash ? callBacks->hash(key) : std::hash<const void*>{}(key);
        }
    };
    struct KeyEqual {
        const CFDictionaryKeyCallBacks* callBacks;
        bool operator()(const void* a, const void* b) const
        {
            return a == b || (callBacks->equal && callBacks->equal(a, b));
        }
    };

    __CFDictionary(const CFDictionaryKeyCallBacks* keyCallBacks,
                   const CFDictionaryValueCallBacks* valueCallBacks)
        : Object(platform::detail::kDictionaryTypeID),
          keyCallBacks(keyCallBacks ? *keyCallBacks : kNoKeyCallBacks),
          valueCallBacks(valueCallBacks ? *valueCallBacks : kNoValueCallBacks),
          index(0, KeyHash{&this->keyCallBacks}, KeyEqual{&this->keyCallBacks})
    {
    }
    ~__CFDictionary() override { removeAll(); }

    const void* retainKey(const void* key) const
    {
        return keyCallBacks.retain ? keyCallBacks.retain(nullptr, key) : key;
    }
    const void* retainValue(const void* value) const
    {
        return valueCallBacks.retain ? valueCallBacks.retain(nullptr, value) : value;
    }
    void releaseEntry(const void* key, const void* value) const
    {
        if (keyCallBacks.release) keyCallBacks.release(nullptr, key);
        if (valueCallBacks.release) valueCallBacks.release(nullptr, value);
    }

    const std::pair<const void*, const void*>* find(const void* key) const
    {
        const auto found = index.find(key);
        return found == index.end() ? nullptr : &*found->second;
    }

    void set(const void* key, const void* value, bool replace)
    {
        const auto found = index.find(key);
        if (found == index.end()) {
            entries.emplace_back(retainKey(key), retainValue(value));
            index.emplace(entries.back().first, std::prev(entries.end()));
        } else if (replace) {
            // Retain the new value first: it may be the one it replaces.
            const void* old = std::exchange(found->second->second, retainValue(value));
            if (valueCallBacks.release) valueCallBacks.release(nullptr, old);
        }
    }

    void remove(const void* key)
    {
        const auto found = index.find(key);
        if (found == index.end()) return;
        const auto [storedKey, value] = *found->second;
        entries.erase(found->second);
        index.erase(found);
        releaseEntry(storedKey, value);
    }

    void removeAll()
    {
        // Release after emptying, so that a release reaching back into this
        // dictionary sees a consistent one.
        index.clear();
        const Entries dropped = std::move(entries);
        entries.clear();
        for (const auto& [key, value] : dropped) releaseEntry(key, value);
    }

    bool equals(const Object& other) const override
    {
        const auto& that = static_cast<const __CFDictionary&>(other);
        if (entries.size() != that.entries.size()) return false;
        for (const auto& [key, value] : entries) {
            const auto* match = that.find(key);
            if (!match) return false;
            if (match->second != value &&
                !(valueCallBacks.equal && valueCallBacks.equal(value, match->second)))
                return false;
        }
        return true;
    }
    CFHashCode hash() const override { return entries.size(); }
    std::string describe() const override
    {
        std::string text = "{";
        for (const auto& [key, value] : entries) {
            text += platform::detail::describeEntry(key, keyCallBacks.copyDescription);
            text += " = ";
            text += platform::detail::describeEntry(value, valueCallBacks.copyDescription);
            text += "; ";
        }
        return text + "}";
    }

    static constexpr CFDictionaryKeyCallBacks kNoKeyCallBacks = {0,       nullptr, nullptr,
                                                                 nullptr, nullptr, nullptr};
    static constexpr CFDictionaryValueCallBacks kNoValueCallBacks = {0, nullptr, nullptr, nullptr, nullptr};
    const CFDictionaryKeyCallBacks keyCallBacks;
    const CFDictionaryValueCallBacks valueCallBacks;
    Entries entries;
    std::unordered_map<const void*, Entries::iterator, KeyHash, KeyEqual> index;
};

CFTypeID CFDictionaryGetTypeID(void)
{
    return platform::detail::kDictionaryTypeID;
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks)
{
    auto* dict = new __CFDictionary(keyCallBacks, valueCallBacks);
    for (CFIndex i = 0; i < numValues; ++i) dict->set(keys[i], values[i], true);
    return dict;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
    return new __CFDictionary(keyCallBacks, valueCallBacks);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dict)
{
    return static_cast<CFIndex>(dict->entries.size());
}

const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key)
{
    const auto* entry = dict->find(key);
    return entry ? entry->second : nullptr;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dict, const void* key, const void** value)
{
    const auto* entry = dict->find(key);
    if (entry && value) *value = entry->second;
    return entry != nullptr;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef dict, const void* key)
{
    return dict->find(key) != nullptr;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dict, const void** keys, const void** values)
{
    for (const auto& [key, value] : dict->entries) {
        if (keys) *keys++ = key;
        if (values) *values++ = value;
    }
}

void CFDictionaryApplyFunction(CFDictionaryRef dict, CFDictionaryApplierFunction applier, void* context)
{
    for (const auto& [key, value] : dict->entries) applier(key, value, context);
}

void CFDictionarySetValue(CFMutableDictionaryRef dict, const void* key, const void* value)
{
    dict->set(key, value, true);
}

void CFDictionaryAddValue(CFMutableDictionaryRef dict, const void* key, const void* value)
{
    dict->set(key, value, false);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dict, const void* key)
{
    dict->remove(key);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef dict)
{
    dict->removeAll();
}
