#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/corefoundation/LoadedImages.h"
#include "tests/toolkit/EditorProbe.h"
#include "toolkit/BundleRef.h"

namespace {

std::string pathOf(CFBundleRef bundle)
{
    CFURLRef url = CFBundleCopyBundleURL(bundle);
    CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
    std::string text = CFStringGetCStringPtr(path, kCFStringEncodingUTF8);
    CFRelease(path);
    CFRelease(url);
    return text;
}

// The probe bundle's folder: its executable less three components.
std::string probeBundleFolder()
{
    return std::filesystem::path(PROBE_BUNDLE).parent_path().parent_path().parent_path().string();
}

class ProbeBundle : public ::testing::Test {
  protected:
    void SetUp() override
    {
        handle = dlopen(PROBE_BUNDLE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        open = reinterpret_cast<ProbeOpenEditor>(dlsym(handle, "probeOpenEditor"));
        close = reinterpret_cast<ProbeCloseEditor>(dlsym(handle, "probeCloseEditor"));
        bundleRef = reinterpret_cast<ProbeBundleRef>(dlsym(handle, "probeBundleRef"));
        ASSERT_TRUE(open && close && bundleRef);
    }
    void TearDown() override
    {
        if (handle) dlclose(handle);
    }

    void* handle = nullptr;
    ProbeOpenEditor open = nullptr;
    ProbeCloseEditor close = nullptr;
    ProbeBundleRef bundleRef = nullptr;
};

} // namespace

TEST(LoadedImages, ListsTheProgramFirstAndLoadedLibrariesAtTheirLoadAddress)
{
    const uint32_t count = _dyld_image_count();
    ASSERT_GT(count, 1u);
    EXPECT_EQ(std::filesystem::canonical(_dyld_get_image_name(0)),
              std::filesystem::canonical("/proc/self/exe"));
    EXPECT_EQ(_dyld_get_image_header(count), nullptr);
    EXPECT_EQ(_dyld_get_image_name(count), nullptr);

    // The image holding a library function is found at the address dladdr gives.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<const void*>(&CFRetain), &info), 0);
    bool found = false;
    for (uint32_t i = 1; i < count; ++i)
        if (reinterpret_cast<const void*>(_dyld_get_image_header(i)) == info.dli_fbase) {
            EXPECT_STREQ(_dyld_get_image_name(i), info.dli_fname);
            found = true;
        }
    EXPECT_TRUE(found);
}

TEST(BundleRef, ProgramItselfIsNoBundleAndLeavesTheReference)
{
    // This code is in the test program, image 0, which the search skips.
    EXPECT_EQ(toolkit::locateBundle(), nullptr);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/"), kCFURLPOSIXPathStyle, true);
    CFBundleRef previous = CFBundleCreate(nullptr, url);
    CFRelease(url);
    toolkit::setBundleRef(previous);
    {
        toolkit::BundleHold hold;
        EXPECT_EQ(gBundleRef, previous);
        EXPECT_EQ(hold.bundle(), previous);
        EXPECT_EQ(CFGetRetainCount(previous), 3);
    }
    EXPECT_EQ(CFGetRetainCount(previous), 2);
    toolkit::setBundleRef(nullptr);
    EXPECT_EQ(CFGetRetainCount(previous), 1);
    CFRelease(previous);
}

TEST_F(ProbeBundle, FindsItsOwnImageAndFolder)
{
    EXPECT_EQ(bundleRef(), nullptr);
    void* editor = open();
    CFBundleRef bundle = bundleRef();
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(pathOf(bundle), probeBundleFolder());
    EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(bundle), CFSTR("com.example.ProbeBundle")));
    close(editor);
    // The program's own copy of the toolkit is untouched.
    EXPECT_EQ(gBundleRef, nullptr);
}

TEST_F(ProbeBundle, EachEditorReleasesWhatItRetained)
{
    void* first = open();
    CFBundleRef firstBundle = bundleRef();
    CFRetain(firstBundle);                       // watched from here
    EXPECT_EQ(CFGetRetainCount(firstBundle), 3); // gBundleRef, the first editor, the test

    void* second = open();
    CFBundleRef secondBundle = bundleRef();
    ASSERT_NE(secondBundle, nullptr);
    CFRetain(secondBundle);
    EXPECT_EQ(CFGetRetainCount(firstBundle), 2); // gBundleRef moved on
    EXPECT_EQ(CFGetRetainCount(secondBundle), 3);

    close(first);
    EXPECT_EQ(CFGetRetainCount(firstBundle), 1);
    EXPECT_EQ(CFGetRetainCount(secondBundle), 3);
    close(second);
    EXPECT_EQ(CFGetRetainCount(secondBundle), 2);
    EXPECT_EQ(bundleRef(), secondBundle);

    // Closed in the other order, the counts come back as well.
    void* third = open();
    void* fourth = open();
    CFBundleRef current = bundleRef();
    CFRetain(current);
    close(fourth);
    close(third);
    EXPECT_EQ(CFGetRetainCount(current), 2);
    EXPECT_EQ(bundleRef(), current);

    CFRelease(current);
    CFRelease(secondBundle);
    CFRelease(firstBundle);
}
