#include "platform/hitoolbox/DragManager.h"

#include <algorithm>
#include <vector>

#include "platform/hitoolbox/DragHandlers.h"

namespace {

template <typename Proc> struct Installed {
    Proc proc;
    WindowRef window;
    void* refCon;
};

template <typename Proc> std::vector<Installed<Proc>>& installed()
{
    static std::vector<Installed<Proc>> handlers;
    return handlers;
}

template <typename Proc> OSErr install(Proc proc, WindowRef window, void* refCon)
{
    if (!proc) return paramErr;
    auto& handlers = installed<Proc>();
    const bool duplicate = std::any_of(handlers.begin(), handlers.end(), [&](const Installed<Proc>& h) {
        return h.proc == proc && h.window == window && h.refCon == refCon;
    });
    if (duplicate) return duplicateHandlerErr;
    handlers.push_back({proc, window, refCon});
    return noErr;
}

template <typename Proc> OSErr remove(Proc proc, WindowRef window)
{
    auto& handlers = installed<Proc>();
    const auto found = std::find_if(handlers.begin(), handlers.end(), [&](const Installed<Proc>& h) {
        return h.proc == proc && h.window == window;
    });
    if (found == handlers.end()) return handlerNotFoundErr;
    handlers.erase(found);
    return noErr;
}

} // namespace

namespace platform::detail {

void forgetDragHandlers(WindowRef window)
{
    std::erase_if(installed<DragTrackingHandlerUPP>(), [&](const auto& h) { return h.window == window; });
    std::erase_if(installed<DragReceiveHandlerUPP>(), [&](const auto& h) { return h.window == window; });
}

} // namespace platform::detail

OSErr InstallTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow, void* handlerRefCon)
{
    return install(trackingHandler, theWindow, handlerRefCon);
}

OSErr InstallReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow, void* handlerRefCon)
{
    return install(receiveHandler, theWindow, handlerRefCon);
}

OSErr RemoveTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow)
{
    return remove(trackingHandler, theWindow);
}

OSErr RemoveReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow)
{
    return remove(receiveHandler, theWindow);
}

// No drag reference is ever handed out, so none is valid.
OSErr CountDragItems(DragRef, UInt16* numItems)
{
    if (numItems) *numItems = 0;
    return badDragRefErr;
}

OSErr GetDragItemReferenceNumber(DragRef, UInt16, DragItemRef* theItemRef)
{
    if (theItemRef) *theItemRef = 0;
    return badDragRefErr;
}

OSErr CountDragItemFlavors(DragRef, DragItemRef, UInt16* numFlavors)
{
    if (numFlavors) *numFlavors = 0;
    return badDragRefErr;
}

OSErr GetFlavorType(DragRef, DragItemRef, UInt16, FlavorType* theType)
{
    if (theType) *theType = 0;
    return badDragRefErr;
}

OSErr GetFlavorFlags(DragRef, DragItemRef, FlavorType, FlavorFlags* theFlags)
{
    if (theFlags) *theFlags = 0;
    return badDragRefErr;
}

OSErr GetFlavorDataSize(DragRef, DragItemRef, FlavorType, Size* dataSize)
{
    if (dataSize) *dataSize = 0;
    return badDragRefErr;
}

OSErr GetFlavorData(DragRef, DragItemRef, FlavorType, void*, Size* dataSize, UInt32)
{
    if (dataSize) *dataSize = 0;
    return badDragRefErr;
}

OSErr GetDragMouse(DragRef, Point* mouse, Point* globalPinnedMouse)
{
    if (mouse) *mouse = {};
    if (globalPinnedMouse) *globalPinnedMouse = {};
    return badDragRefErr;
}

OSErr GetDragAttributes(DragRef, DragAttributes* flags)
{
    if (flags) *flags = 0;
    return badDragRefErr;
}
