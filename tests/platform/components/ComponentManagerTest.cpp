#include "platform/components/Components.h"

#include <gtest/gtest.h>

#include <bit>
#include <thread>
#include <vector>

namespace {

struct Call {
    int16_t selector;
    std::vector<uintptr_t> words;
    void* storage;
};

constexpr int16_t kCountSelect = 1;
constexpr ComponentResult kVersion = 0x00010002;

// What the test component saw, and what its open answers.
std::vector<Call> calls;
OSStatus openStatus = noErr;

// Open stores a count of its own as the instance's storage; kCountSelect
// steps it.
ComponentResult recordingEntry(ComponentParameters* params, void* storage)
{
    const uintptr_t* words = params->params;
    calls.push_back({params->what, {words, words + params->paramSize / sizeof(uintptr_t)}, storage});
    auto* count = static_cast<ComponentResult*>(storage);
    switch (params->what) {
    case kComponentOpenSelect:
        if (openStatus != noErr) return openStatus;
        SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(words[0]),
                                    reinterpret_cast<Handle>(new ComponentResult(0)));
        return noErr;
    case kComponentCloseSelect:
        delete count;
        return noErr;
    case kComponentCanDoSelect:
        return static_cast<int32_t>(words[0]) == kCountSelect;
    case kComponentVersionSelect:
        return kVersion;
    case kCountSelect:
        return ++*count;
    default:
        return badComponentSelector;
    }
}

ComponentResult otherEntry(ComponentParameters*, void*)
{
    return noErr;
}

constexpr ComponentDescription effect{FourCharCode("aufx"), FourCharCode("Test"), FourCharCode("Vokt"), 0x5,
                                      0};

class ComponentManagerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        calls.clear();
        openStatus = noErr;
    }
    void TearDown() override
    {
        for (Component component : registered) EXPECT_EQ(UnregisterComponent(component), noErr);
    }
    Component add(const ComponentDescription& description, const char* name = "Test")
    {
        const Component component = RegisterComponent(&description, recordingEntry, name);
        if (component) registered.push_back(component);
        return component;
    }
    std::vector<Component> registered;
};

TEST_F(ComponentManagerTest, FindsByDescriptionWithWildcardsAndFlagMask)
{
    const OSType maker = FourCharCode("Find");
    const Component a = add({FourCharCode("aufx"), FourCharCode("AAAA"), maker, 0x1, 0});
    const Component b = add({FourCharCode("auvw"), FourCharCode("AAAA"), maker, 0x3, 0});
    const Component c = add({FourCharCode("aufx"), FourCharCode("CCCC"), maker, 0x2, 0});

    const auto found = [](const ComponentDescription& looking) {
        std::vector<Component> all;
        for (Component next = nullptr; (next = FindNextComponent(next, &looking));) all.push_back(next);
        EXPECT_EQ(CountComponents(&looking), static_cast<long>(all.size()));
        return all;
    };
    EXPECT_EQ(found({0, 0, maker, 0, 0}), (std::vector{a, b, c}));
    EXPECT_EQ(found({FourCharCode("aufx"), 0, maker, 0, 0}), (std::vector{a, c}));
    EXPECT_EQ(found({0, FourCharCode("AAAA"), maker, 0, 0}), (std::vector{a, b}));
    // Flags count only under the mask: bit 0 set, bit 1 ignored.
    EXPECT_EQ(found({0, 0, maker, 0x1, 0x1}), (std::vector{a, b}));
    EXPECT_EQ(found({0, 0, maker, 0x2, 0x3}), (std::vector{c}));
    EXPECT_TRUE(found({0, 0, FourCharCode("None"), 0, 0}).empty());
    EXPECT_GE(CountComponents(nullptr), 3);
}

TEST_F(ComponentManagerTest, RegistrationRejectsDuplicatesAndUnregistersOnce)
{
    ASSERT_NE(add(effect), nullptr);
    EXPECT_EQ(RegisterComponent(&effect, recordingEntry, "again"), nullptr);
    EXPECT_EQ(RegisterComponent(nullptr, recordingEntry, "x"), nullptr);
    EXPECT_EQ(RegisterComponent(&effect, nullptr, "x"), nullptr);

    // Another entry may serve the same description.
    const Component other = RegisterComponent(&effect, otherEntry, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(UnregisterComponent(other), noErr);
    EXPECT_EQ(UnregisterComponent(other), invalidComponentID);
}

// Hosts load plug-ins, each registering its own components, on several
// threads at once.
TEST_F(ComponentManagerTest, ThreadsRegisterFindAndUnregisterTheirOwnComponentsAtOnce)
{
    constexpr int kThreads = 4, kRounds = 200;
    std::vector<int> found(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &found] {
            const ComponentDescription mine{FourCharCode("aufx"), FourCharCode("Thr0") + OSType(t),
                                            FourCharCode("Vokt"), 0, 0};
            for (int round = 0; round < kRounds; ++round) {
                const Component component = RegisterComponent(&mine, otherEntry, "thread");
                if (FindNextComponent(nullptr, &mine) == component && CountComponents(&mine) == 1) ++found[t];
                UnregisterComponent(component);
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(found, std::vector<int>(kThreads, kRounds));
}

TEST_F(ComponentManagerTest, InfoAndCallsTellComponentsFromInstances)
{
    const Component component = add(effect, "Tilt EQ");
    const ComponentInstance instance = OpenComponent(component);
    ASSERT_NE(instance, nullptr);

    for (const Component record : {component, reinterpret_cast<Component>(instance)}) {
        ComponentDescription description{};
        std::string name;
        ASSERT_EQ(GetComponentInfo(record, &description, &name), noErr);
        EXPECT_EQ(description.componentSubType, FourCharCode("Test"));
        EXPECT_EQ(description.componentFlags, 0x5u);
        EXPECT_EQ(name, "Tilt EQ");
    }
    const auto componentAsInstance = reinterpret_cast<ComponentInstance>(component);
    EXPECT_EQ(GetComponentInfo(nullptr, nullptr, nullptr), invalidComponentID);
    EXPECT_EQ(platform::callSelector(nullptr, kCountSelect), badComponentInstance);
    EXPECT_EQ(platform::callSelector(componentAsInstance, kCountSelect), badComponentInstance);
    EXPECT_EQ(CloseComponent(componentAsInstance), static_cast<OSErr>(badComponentInstance));
    EXPECT_EQ(OpenComponent(reinterpret_cast<Component>(instance)), nullptr);
    EXPECT_EQ(CloseComponent(instance), noErr);
}

TEST_F(ComponentManagerTest, OpenPassesTheInstanceAndItsStorageReachesLaterCalls)
{
    const Component component = add(effect);
    ComponentInstance first, second;
    ASSERT_EQ(OpenAComponent(component, &first), noErr);
    ASSERT_EQ(OpenAComponent(component, &second), noErr);

    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].selector, kComponentOpenSelect);
    EXPECT_EQ(calls[0].words, std::vector{reinterpret_cast<uintptr_t>(first)});
    EXPECT_EQ(calls[0].storage, nullptr);

    // Each instance keeps its own storage.
    EXPECT_EQ(platform::callSelector(first, kCountSelect), 1);
    EXPECT_EQ(platform::callSelector(first, kCountSelect), 2);
    EXPECT_EQ(platform::callSelector(second, kCountSelect), 1);
    EXPECT_EQ(calls.back().storage, GetComponentInstanceStorage(second));

    EXPECT_EQ(CloseComponent(first), noErr);
    EXPECT_EQ(CloseComponent(second), noErr);
}

TEST_F(ComponentManagerTest, CanDoVersionAndCloseFlow)
{
    const Component component = add(effect);
    const ComponentInstance instance = OpenComponent(component);
    ASSERT_NE(instance, nullptr);

    EXPECT_EQ(platform::callSelector(instance, kComponentCanDoSelect, kCountSelect), 1);
    EXPECT_EQ(platform::callSelector(instance, kComponentCanDoSelect, int16_t{12}), 0);
    EXPECT_EQ(platform::callSelector(instance, kComponentVersionSelect), kVersion);
    EXPECT_EQ(UnregisterComponent(component), validInstancesExist);

    void* const storage = GetComponentInstanceStorage(instance);
    EXPECT_EQ(CloseComponent(instance), noErr);
    EXPECT_EQ(calls.back().selector, kComponentCloseSelect);
    EXPECT_EQ(calls.back().words, std::vector{reinterpret_cast<uintptr_t>(instance)});
    EXPECT_EQ(calls.back().storage, storage);
}

TEST_F(ComponentManagerTest, FailedOpenLeavesNoInstance)
{
    const Component component = add(effect);
    ComponentInstance instance = reinterpret_cast<ComponentInstance>(component);

    openStatus = -10875;
    EXPECT_EQ(OpenAComponent(component, &instance), -10875);
    EXPECT_EQ(instance, nullptr);
    // A status too wide for OSErr: whole from openComponent, low 16 bits
    // from OpenAComponent.
    openStatus = badComponentSelector;
    EXPECT_EQ(platform::openComponent(component, &instance), badComponentSelector);
    EXPECT_EQ(OpenAComponent(component, &instance), static_cast<OSErr>(0x8002));
    EXPECT_EQ(OpenComponent(component), nullptr);

    for (const Call& call : calls)
        EXPECT_EQ(call.selector, kComponentOpenSelect) << "no close after a failed open";
    EXPECT_EQ(UnregisterComponent(component), noErr) << "no instance left open";
    registered.clear();
}

TEST_F(ComponentManagerTest, CallSelectorPacksArgumentsIntoWordsFromTheLast)
{
    const ComponentInstance instance = OpenComponent(add(effect));
    ASSERT_NE(instance, nullptr);

    enum : int16_t { kNegativeEnum = -7 };
    const float value = -0.25f;
    platform::callSelector(instance, 7, int32_t{-5}, uint32_t{0xFFFFFFFF}, value, &value, int16_t{-3},
                           kNegativeEnum, long{-2});
    EXPECT_EQ(calls.back().selector, 7);
    const std::vector<uintptr_t>& words = calls.back().words;
    ASSERT_EQ(words.size(), 7u);
    EXPECT_EQ(static_cast<intptr_t>(words[0]), -2);
    EXPECT_EQ(static_cast<int32_t>(words[1]), -7);
    EXPECT_EQ(static_cast<int32_t>(words[2]), -3);
    EXPECT_EQ(words[3], reinterpret_cast<uintptr_t>(&value));
    EXPECT_EQ(words[4], std::bit_cast<uint32_t>(value)) << "a float is its 32-bit pattern in the low half";
    EXPECT_EQ(words[5], 0xFFFFFFFFu) << "an unsigned value is not sign-extended";
    EXPECT_EQ(static_cast<int32_t>(words[6]), -5);

    platform::callSelector(instance, kComponentVersionSelect);
    EXPECT_TRUE(calls.back().words.empty());
    EXPECT_EQ(CloseComponent(instance), noErr);
}

} // namespace
