#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

std::string pathOf(CFURLRef url)
{
    CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
    std::string text = CFStringGetCStringPtr(path, kCFStringEncodingUTF8);
    CFRelease(path);
    return text;
}

CFURLRef urlOf(const std::string& path, bool directory)
{
    return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                   static_cast<CFIndex>(path.size()), directory);
}

// A bundle folder laid out like the plug-ins', removed at the end.
class BundleFolder : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "cfbundle-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        bundle = root / "FlangerUnit.component";
        std::filesystem::create_directories(bundle / "Contents/Resources/skins");
        std::filesystem::create_directories(bundle / "Contents/x86_64-linux");
        for (const char* file : {"Contents/Resources/bmp00128.png", "Contents/Resources/bmp00129.jpg",
                                 "Contents/Resources/skins/knob.png", "Contents/x86_64-linux/FlangerUnit.so"})
            std::ofstream(bundle / file) << "x";
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    void writeInfo(CFPropertyListFormat format)
    {
        CFMutableDictionaryRef info = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
        CFDictionarySetValue(info, CFSTR("CFBundleIdentifier"), CFSTR("com.example.flanger"));
        CFDictionarySetValue(info, CFSTR("CFBundleExecutable"), CFSTR("FlangerUnit.so"));
        CFDataRef bytes = CFPropertyListCreateData(nullptr, info, format, 0, nullptr);
        std::ofstream(bundle / "Contents/Info.plist", std::ios::binary)
            .write(reinterpret_cast<const char*>(CFDataGetBytePtr(bytes)), CFDataGetLength(bytes));
        CFRelease(bytes);
        CFRelease(info);
    }

    std::filesystem::path root;
    std::filesystem::path bundle;
};

} // namespace

TEST(CFURL, PathsAreNormalAndComponentsComeOff)
{
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/plug//ins/./Flanger.component/"),
                                                 kCFURLPOSIXPathStyle, true);
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(pathOf(url), "/plug/ins/Flanger.component");
    EXPECT_TRUE(CFURLHasDirectoryPath(url));
    CFStringRef last = CFURLCopyLastPathComponent(url);
    EXPECT_TRUE(CFEqual(last, CFSTR("Flanger.component")));
    CFRelease(last);

    CFURLRef file =
        CFURLCreateCopyAppendingPathComponent(nullptr, url, CFSTR("Contents/../Contents/Info.plist"), false);
    EXPECT_EQ(pathOf(file), "/plug/ins/Flanger.component/Contents/Info.plist");
    EXPECT_FALSE(CFURLHasDirectoryPath(file));

    // The executable's path less three components is the bundle folder.
    CFURLRef executable = urlOf("/plug/ins/Flanger.component/Contents/x86_64-linux/Flanger.so", false);
    CFURLRef up = CFURLCreateCopyDeletingLastPathComponent(nullptr, executable);
    for (int i = 0; i < 2; ++i) {
        CFURLRef next = CFURLCreateCopyDeletingLastPathComponent(nullptr, up);
        CFRelease(up);
        up = next;
    }
    EXPECT_TRUE(CFEqual(up, url));
    EXPECT_FALSE(CFEqual(up, file));

    // The root is its own parent.
    CFURLRef top = urlOf("/x", false);
    CFURLRef rootFolder = CFURLCreateCopyDeletingLastPathComponent(nullptr, top);
    CFURLRef stillRoot = CFURLCreateCopyDeletingLastPathComponent(nullptr, rootFolder);
    EXPECT_EQ(pathOf(stillRoot), "/");
    EXPECT_TRUE(CFEqual(rootFolder, stillRoot));

    // The file-system representation needs room for the terminator.
    char buffer[64];
    const std::string path = "/plug/ins/Flanger.component";
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer),
                                                  static_cast<CFIndex>(path.size())));
    EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer),
                                                 static_cast<CFIndex>(path.size() + 1)));
    EXPECT_EQ(buffer, path);

    for (CFTypeRef object : {CFTypeRef(url), CFTypeRef(file), CFTypeRef(executable), CFTypeRef(up),
                             CFTypeRef(top), CFTypeRef(rootFolder), CFTypeRef(stillRoot)})
        CFRelease(object);
}

TEST(CFURL, RelativePathsStartAtTheWorkingDirectory)
{
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("a/../b"), kCFURLPOSIXPathStyle, false);
    EXPECT_EQ(pathOf(url), (std::filesystem::current_path() / "b").string());
    CFRelease(url);
    // Only the given bytes count, up to a zero byte.
    const UInt8 unterminated[] = {'/', 'e', 't', 'c', '\0', 'x', '/', 'y', 'z'};
    CFURLRef etc = CFURLCreateFromFileSystemRepresentation(nullptr, unterminated, 4, true);
    CFURLRef stopped = CFURLCreateFromFileSystemRepresentation(nullptr, unterminated, 9, true);
    EXPECT_EQ(pathOf(etc), "/etc");
    EXPECT_TRUE(CFEqual(etc, stopped));
    CFRelease(etc);
    CFRelease(stopped);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR(""), kCFURLPOSIXPathStyle, false), nullptr);
}

TEST_F(BundleFolder, FindsResourcesAndReadsTheInfoDictionary)
{
    for (const CFPropertyListFormat format :
         {kCFPropertyListXMLFormat_v1_0, kCFPropertyListBinaryFormat_v1_0}) {
        writeInfo(format);
        CFURLRef url = urlOf(bundle.string(), true);
        CFBundleRef handle = CFBundleCreate(nullptr, url);
        ASSERT_NE(handle, nullptr);

        CFURLRef copy = CFBundleCopyBundleURL(handle);
        EXPECT_TRUE(CFEqual(copy, url));
        CFRelease(copy);

        // The editor's lookup: "bmp%05d" with the types in order.
        CFURLRef png = CFBundleCopyResourceURL(handle, CFSTR("bmp00128"), CFSTR("png"), nullptr);
        ASSERT_NE(png, nullptr);
        EXPECT_EQ(pathOf(png), (bundle / "Contents/Resources/bmp00128.png").string());
        EXPECT_EQ(CFBundleCopyResourceURL(handle, CFSTR("bmp00129"), CFSTR("png"), nullptr), nullptr);
        CFURLRef jpg = CFBundleCopyResourceURL(handle, CFSTR("bmp00129"), CFSTR("jpg"), nullptr);
        EXPECT_NE(jpg, nullptr);
        CFURLRef whole = CFBundleCopyResourceURL(handle, CFSTR("bmp00128.png"), nullptr, nullptr);
        EXPECT_TRUE(CFEqual(whole, png));
        CFURLRef skin = CFBundleCopyResourceURL(handle, CFSTR("knob"), CFSTR("png"), CFSTR("skins"));
        EXPECT_NE(skin, nullptr);
        EXPECT_EQ(CFBundleCopyResourceURL(handle, CFSTR("knob"), CFSTR("png"), nullptr), nullptr);

        EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(handle), CFSTR("com.example.flanger")));
        EXPECT_TRUE(CFEqual(CFBundleGetValueForInfoDictionaryKey(handle, CFSTR("CFBundleExecutable")),
                            CFSTR("FlangerUnit.so")));
        EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(handle, CFSTR("NSPrincipalClass")), nullptr);
        EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(handle)), 2);

        for (CFTypeRef object : {CFTypeRef(png), CFTypeRef(jpg), CFTypeRef(whole), CFTypeRef(skin),
                                 CFTypeRef(handle), CFTypeRef(url)})
            if (object) CFRelease(object);
    }
}

TEST_F(BundleFolder, MissingFoldersAndBrokenInfoFiles)
{
    CFURLRef missing = urlOf((root / "Nothing.component").string(), true);
    EXPECT_EQ(CFBundleCreate(nullptr, missing), nullptr);
    CFRelease(missing);
    CFURLRef file = urlOf((bundle / "Contents/Resources/bmp00128.png").string(), false);
    EXPECT_EQ(CFBundleCreate(nullptr, file), nullptr);
    CFRelease(file);

    // No Info.plist, then a broken one: an empty dictionary either way.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) std::ofstream(bundle / "Contents/Info.plist") << "<plist><dict><key>";
        CFURLRef url = urlOf(bundle.string(), true);
        CFBundleRef handle = CFBundleCreate(nullptr, url);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(handle)), 0);
        EXPECT_EQ(CFBundleGetIdentifier(handle), nullptr);
        CFRelease(handle);
        CFRelease(url);
    }
}
