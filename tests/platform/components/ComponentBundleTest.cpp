#include "platform/components/Components.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "tests/platform/components/BundleSelectors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const fs::path builtBundles = TEST_BUNDLES_DIR;

std::string componentEntry(const std::string& type, const std::string& subtype, const std::string& function,
                           const std::string& extra = "")
{
    return "<dict><key>type</key><string>" + type + "</string><key>subtype</key><string>" + subtype +
           "</string><key>manufacturer</key><string>Vokt</string><key>name</key><string>" + subtype +
           "</string><key>factoryFunction</key><string>" + function + "</string>" + extra + "</dict>";
}

std::string infoPlist(const std::string& executable, const std::string& entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
           "<key>CFBundleExecutable</key><string>" +
           executable + "</string><key>AudioComponents</key><array>" + entries + "</array></dict></plist>";
}

class ComponentBundleTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "components_tests_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
    }
    void TearDown() override
    {
        for (Component component : registered) EXPECT_EQ(UnregisterComponent(component), noErr);
        fs::remove_all(scratch);
    }

    platform::BundleRegistration registerBundle(const fs::path& folder)
    {
        auto result = platform::RegisterComponentBundle(folder.string());
        registered.insert(registered.end(), result.components.begin(), result.components.end());
        return result;
    }

    // A bundle folder in the scratch folder with an executable Bundle.so;
    // a null info leaves Info.plist out, empty bytes the executable.
    fs::path makeBundle(const std::string& name, const char* info, const std::string& executableBytes)
    {
        const fs::path contents = scratch / (name + ".component") / "Contents";
        fs::create_directories(contents / VOK_BUNDLE_ARCH_FOLDER);
        if (info) std::ofstream(contents / "Info.plist") << info;
        if (!executableBytes.empty())
            std::ofstream(executablePath(contents.parent_path())) << executableBytes;
        return contents.parent_path();
    }
    static fs::path executablePath(const fs::path& bundle)
    {
        return bundle / "Contents" / VOK_BUNDLE_ARCH_FOLDER / "Bundle.so";
    }

    fs::path scratch;
    std::vector<Component> registered;
};

TEST_F(ComponentBundleTest, RegistersABundleThatSharesTheHostsManager)
{
    const auto result = registerBundle(builtBundles / "TestBundle.component");
    EXPECT_TRUE(result.errors.empty()) << result.errors.front();
    ASSERT_EQ(result.components.size(), 1u);

    const ComponentDescription looking{FourCharCode("aufx"), FourCharCode("Test"), FourCharCode("Vokt"), 0,
                                       0};
    const Component component = FindNextComponent(nullptr, &looking);
    ASSERT_EQ(component, result.components[0]);
    std::string name;
    EXPECT_EQ(GetComponentInfo(component, nullptr, &name), noErr);
    EXPECT_EQ(name, "TestBundle Effect");

    ComponentInstance instance;
    ASSERT_EQ(OpenAComponent(component, &instance), noErr);
    // Inside the bundle, the storage is what its open stored, the record is
    // the host's and the registry is the host's too.
    EXPECT_EQ(platform::callSelector(instance, kSubtypeSelect, instance),
              static_cast<ComponentResult>(FourCharCode("Test")));
    EXPECT_GE(CountComponents(nullptr), 1);
    EXPECT_EQ(platform::callSelector(instance, kRegistrySizeSelect), CountComponents(nullptr));
    EXPECT_EQ(CloseComponent(instance), noErr);

    const auto again = platform::RegisterComponentBundle((builtBundles / "TestBundle.component").string());
    EXPECT_TRUE(again.components.empty());
    ASSERT_EQ(again.errors.size(), 1u);
    EXPECT_NE(again.errors[0].find("already registered"), std::string::npos) << again.errors[0];
}

TEST_F(ComponentBundleTest, CFObjectsMadeInABundleAreTheHosts)
{
    ASSERT_EQ(registerBundle(builtBundles / "TestBundle.component").components.size(), 1u);
    const ComponentInstance instance = OpenComponent(registered[0]);
    ASSERT_TRUE(instance);

    CFStringRef made = nullptr;
    CFStringRef constant = nullptr;
    const CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    ASSERT_EQ(platform::callSelector(instance, kMakeObjectsSelect, &made, &constant, array), noErr);

    ASSERT_TRUE(made);
    EXPECT_EQ(CFGetTypeID(made), CFStringGetTypeID());
    EXPECT_EQ(CFGetRetainCount(made), 1);
    EXPECT_TRUE(CFEqual(made, CFSTR("made in the bundle")));
    EXPECT_STREQ(CFStringGetCStringPtr(made, kCFStringEncodingUTF8), kBundleText);
    CFRelease(made);
    // One table of constant strings in the process.
    EXPECT_EQ(constant, CFSTR("one per process"));

    ASSERT_EQ(CFArrayGetCount(array), 1);
    const auto number = static_cast<CFNumberRef>(CFArrayGetValueAtIndex(array, 0));
    ASSERT_EQ(CFGetTypeID(number), CFNumberGetTypeID());
    int value = 0;
    EXPECT_TRUE(CFNumberGetValue(number, kCFNumberIntType, &value));
    EXPECT_EQ(value, 7);
    // The array's reference is the only one left; releasing it frees the
    // number the bundle made (the sanitizer build would see a leak or a
    // double free).
    EXPECT_EQ(CFGetRetainCount(number), 1);
    CFRelease(array);

    EXPECT_EQ(CloseComponent(instance), noErr);
}

ComponentResult hostEntry(ComponentParameters* params, void*)
{
    switch (params->what) {
    case kComponentOpenSelect:
    case kComponentCloseSelect:
        return noErr;
    case kHostSelect:
        return 4242;
    default:
        return badComponentSelector;
    }
}

TEST_F(ComponentBundleTest, BundleOpensAComponentTheHostRegistered)
{
    ASSERT_EQ(registerBundle(builtBundles / "TestBundle.component").components.size(), 1u);
    const ComponentInstance instance = OpenComponent(registered[0]);
    ASSERT_TRUE(instance);
    EXPECT_EQ(platform::callSelector(instance, kOpenHostComponentSelect), invalidComponentID);

    const ComponentDescription description{FourCharCode("aufx"), kHostSubtype, FourCharCode("Vokt"), 0, 0};
    const Component host = RegisterComponent(&description, hostEntry, "Host");
    ASSERT_TRUE(host);
    registered.push_back(host);
    EXPECT_EQ(platform::callSelector(instance, kOpenHostComponentSelect), 4242);
    // The bundle closed what it opened: the component unregisters.
    EXPECT_EQ(UnregisterComponent(host), noErr);
    registered.pop_back();

    EXPECT_EQ(CloseComponent(instance), noErr);
}

TEST_F(ComponentBundleTest, BundlesWithClashingInternalNamesKeepTheirOwn)
{
    ASSERT_EQ(registerBundle(builtBundles / "TestBundle.component").components.size(), 1u);
    ASSERT_EQ(registerBundle(builtBundles / "OtherBundle.component").components.size(), 1u);
    const ComponentInstance first = OpenComponent(registered[0]);
    const ComponentInstance second = OpenComponent(registered[1]);
    ASSERT_TRUE(first && second);

    // Each bundle steps its own counter by its own amount, interleaved.
    const ComponentResult first1 = platform::callSelector(first, kCounterSelect);
    const ComponentResult second1 = platform::callSelector(second, kCounterSelect);
    const ComponentResult first2 = platform::callSelector(first, kCounterSelect);
    const ComponentResult second2 = platform::callSelector(second, kCounterSelect);
    EXPECT_EQ(first2 - first1, 1);
    EXPECT_EQ(second2 - second1, 100);

    EXPECT_EQ(CloseComponent(first), noErr);
    EXPECT_EQ(CloseComponent(second), noErr);
}

TEST_F(ComponentBundleTest, BrokenBundlesAreReportedByFolder)
{
    const std::string good = infoPlist("Bundle.so", componentEntry("aufx", "Brkn", "TestEntry"));
    const fs::path notElf = makeBundle("NotElf", good.c_str(), "not an ELF file");
    const struct {
        fs::path folder;
        std::string problem;
    } cases[] = {
        {scratch / "Absent.component", "no such bundle folder"},
        {makeBundle("NoInfo", nullptr, "x"), "cannot read Contents/Info.plist"},
        {makeBundle("Truncated", "<plist><dict>", "x"), "is not a property list"},
        {makeBundle("NotDict", "<plist version=\"1.0\"><array/></plist>", "x"), "is not a dictionary"},
        {makeBundle("Escapes", infoPlist("../Bundle.so", componentEntry("aufx", "Brkn", "TestEntry")).c_str(),
                    "x"),
         "\"CFBundleExecutable\" in Contents/Info.plist must be a file name"},
        {makeBundle("Empty", infoPlist("Bundle.so", "").c_str(), "x"), "must be a non-empty array"},
        {makeBundle("NoExecutable", good.c_str(), ""),
         "no executable at " + executablePath(scratch / "NoExecutable.component").string()},
        {notElf, "cannot load the executable: " + executablePath(notElf).string()},
    };
    for (const auto& [folder, problem] : cases) {
        const auto result = registerBundle(folder);
        EXPECT_TRUE(result.components.empty());
        ASSERT_EQ(result.errors.size(), 1u) << problem;
        EXPECT_EQ(result.errors[0].rfind(folder.string() + ": ", 0), 0u) << result.errors[0];
        EXPECT_NE(result.errors[0].find(problem), std::string::npos) << result.errors[0];
    }
}

TEST_F(ComponentBundleTest, BadEntriesAreReportedAndTheRestRegister)
{
    const std::string entries =
        componentEntry("aufx", "Good", "TestEntry") + componentEntry("aufx", "Miss", "NoSuchEntry") +
        componentEntry("aufxx", "Long", "TestEntry") +
        componentEntry("aufx", "Vers", "TestEntry", "<key>version</key><string>1.0</string>") +
        "<string>Odd</string>";
    const fs::path bundle = makeBundle("Partial", infoPlist("Bundle.so", entries).c_str(), "");
    fs::copy_file(executablePath(builtBundles / "TestBundle.component").parent_path() / "TestBundle.so",
                  executablePath(bundle));

    const auto result = registerBundle(bundle);
    ASSERT_EQ(result.components.size(), 1u);
    ComponentDescription description;
    ASSERT_EQ(GetComponentInfo(result.components[0], &description, nullptr), noErr);
    EXPECT_EQ(description.componentSubType, FourCharCode("Good"));

    const std::string prefix = bundle.string() + ": ";
    EXPECT_EQ(result.errors,
              (std::vector<std::string>{
                  prefix + "AudioComponents[2] \"type\" must be a string of four printable ASCII characters",
                  prefix + "AudioComponents[3] \"version\" must be an integer",
                  prefix + "AudioComponents[4] is not a dictionary",
                  prefix + "component \"Miss\": the executable exports no function \"NoSuchEntry\"",
              }));
}

} // namespace
