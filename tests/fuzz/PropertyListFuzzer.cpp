// Arbitrary bytes as a property list. The sanitizers catch a read outside
// the input or a leak; a tree that is read must also survive being written
// to either format and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

void require(bool condition)
{
    if (!condition) std::abort();
}

void roundTrip(CFPropertyListRef tree, CFPropertyListFormat format)
{
    CFDataRef bytes = CFPropertyListCreateData(nullptr, tree, format, 0, nullptr);
    // XML cannot carry every string a binary list can.
    require(bytes != nullptr ||
            (format == kCFPropertyListXMLFormat_v1_0 && !CFPropertyListIsValid(tree, format)));
    if (bytes == nullptr) return;
    CFPropertyListFormat found = 0;
    CFPropertyListRef again = CFPropertyListCreateWithData(nullptr, bytes, 0, &found, nullptr);
    require(again != nullptr && found == format && CFEqual(again, tree));
    CFRelease(again);
    CFRelease(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFDataRef input = CFDataCreate(nullptr, data, static_cast<CFIndex>(size));
    CFErrorRef error = nullptr;
    CFPropertyListRef tree = CFPropertyListCreateWithData(nullptr, input, 0, nullptr, &error);
    CFRelease(input);
    require((tree == nullptr) != (error == nullptr));
    if (error) {
        CFRelease(error);
        return 0;
    }
    roundTrip(tree, kCFPropertyListXMLFormat_v1_0);
    roundTrip(tree, kCFPropertyListBinaryFormat_v1_0);
    CFRelease(tree);
    return 0;
}
