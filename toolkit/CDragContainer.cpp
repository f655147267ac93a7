#include "toolkit/CDragContainer.h"

namespace {

constexpr FlavorType kFileURLFlavor = 0x6675726C; // 'furl'
constexpr FlavorType kHFSFlavor = 0x68667320;     // 'hfs '
constexpr FlavorType kTextFlavor = 0x54455854;    // 'TEXT'
constexpr FlavorType kXMLFlavor = 0x584D4C20;     // 'XML '

bool hasFlavor(DragRef drag, DragItemRef item, FlavorType flavor)
{
    Size size = 0;
    return GetFlavorDataSize(drag, item, flavor, &size) == noErr;
}

} // namespace

CDragContainer::CDragContainer(DragRef drag) : platformDrag(drag)
{
    uint16_t count = 0;
    if (CountDragItems(drag, &count) == noErr) nbItems = count;
}

const void* CDragContainer::first(long& size, long& type)
{
    iterator = 0;
    return next(size, type);
}

const void* CDragContainer::next(long& size, long& type)
{
    return item(iterator++, size, type);
}

long CDragContainer::getType(long index) const
{
    DragItemRef item = 0;
    if (index < 0 || index >= nbItems ||
        GetDragItemReferenceNumber(platformDrag, uint16_t(index + 1), &item) != noErr)
        return kDragTypeUnknown;
    if (hasFlavor(platformDrag, item, kHFSFlavor) || hasFlavor(platformDrag, item, kFileURLFlavor))
        return kDragTypeFile;
    if (hasFlavor(platformDrag, item, kTextFlavor) || hasFlavor(platformDrag, item, kXMLFlavor))
        return kDragTypeText;
    return kDragTypeUnknown;
}

const void* CDragContainer::item(long index, long& size, long& type)
{
    size = 0;
    type = getType(index);
    DragItemRef item = 0;
    if (type == kDragTypeUnknown ||
        GetDragItemReferenceNumber(platformDrag, uint16_t(index + 1), &item) != noErr)
        return nullptr;
    const FlavorType flavors[] = {kFileURLFlavor, kTextFlavor, kXMLFlavor};
    for (const FlavorType flavor : flavors) {
        Size dataSize = 0;
        if (GetFlavorDataSize(platformDrag, item, flavor, &dataSize) != noErr || dataSize < 0) continue;
        lastItem.assign(size_t(dataSize), '\0');
        if (GetFlavorData(platformDrag, item, flavor, lastItem.data(), &dataSize, 0) != noErr) continue;
        lastItem.resize(size_t(dataSize));
        // A file goes as its path: the URL without scheme and host.
        if (flavor == kFileURLFlavor) {
            const std::string scheme = "file://";
            if (lastItem.compare(0, scheme.size(), scheme) != 0) continue;
            const size_t path = lastItem.find('/', scheme.size());
            lastItem = path == std::string::npos ? std::string() : lastItem.substr(path);
        }
        size = long(lastItem.size());
        return lastItem.c_str();
    }
    return nullptr;
}
