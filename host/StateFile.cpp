#include "host/StateFile.h"

#include "host/AtomicFile.h"
#include "host/HostError.h"
#include "host/InputFile.h"

platform::CFRef<CFPropertyListRef> readPropertyListFile(const std::string& path)
{
    const std::string bytes = readInputFile(path, "state file", kMaxStateFileBytes);
    const platform::CFRef data(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                            static_cast<CFIndex>(bytes.size())));
    CFErrorRef error = nullptr;
    platform::CFRef list(
        CFPropertyListCreateWithData(nullptr, data.get(), kCFPropertyListImmutable, nullptr, &error));
    if (!list) {
        const platform::CFRef owner(error);
        const platform::CFRef description(CFErrorCopyDescription(error));
        throw HostError("state file '" + path +
                            "': " + CFStringGetCStringPtr(description.get(), kCFStringEncodingUTF8),
                        "give a file written by 'auhost process --save-state'");
    }
    return list;
}

void writePropertyList(AtomicFile& file, CFPropertyListRef list)
{
    CFErrorRef error = nullptr;
    const platform::CFRef data(
        CFPropertyListCreateData(nullptr, list, kCFPropertyListXMLFormat_v1_0, 0, &error));
    if (error) CFRelease(error);
    if (!data)
        throw HostError("the unit's state cannot be written as a property list", "the unit may be faulty");
    file.write(CFDataGetBytePtr(data.get()), static_cast<size_t>(CFDataGetLength(data.get())));
}
