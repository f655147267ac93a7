#pragma once

// The drag manager's receiving side. Nothing here starts a drag and no
// other program's drags arrive, so handlers install and stay idle, and a
// drag reference (none is ever handed out) is refused by every query.
//
// Main thread only.

#include "platform/graphics/MacMemory.h"
#include "platform/hitoolbox/CarbonEvents.h"

using DragItemRef = UInt32;
using FlavorType = OSType;
using FlavorFlags = UInt32;
using DragTrackingMessage = SInt16;
using DragAttributes = UInt32;

enum : DragTrackingMessage {
    kDragTrackingEnterHandler = 1,
    kDragTrackingEnterWindow = 2,
    kDragTrackingInWindow = 3,
    kDragTrackingLeaveWindow = 4,
    kDragTrackingLeaveHandler = 5,
};

inline constexpr FlavorType kDragFlavorTypeHFS = FourCharCode("hfs ");
inline constexpr FlavorType kDragFlavorTypePromiseHFS = FourCharCode("phfs");
inline constexpr FlavorType typeFileURL = FourCharCode("furl");

inline constexpr OSStatus badDragRefErr = -1850;
inline constexpr OSStatus badDragItemErr = -1851;
inline constexpr OSStatus badDragFlavorErr = -1852;
inline constexpr OSStatus duplicateFlavorErr = -1853;
inline constexpr OSStatus cantGetFlavorErr = -1854;
inline constexpr OSStatus duplicateHandlerErr = -1855;
inline constexpr OSStatus handlerNotFoundErr = -1856;

using DragTrackingHandlerProcPtr = OSErr (*)(DragTrackingMessage message, WindowRef theWindow,
                                             void* handlerRefCon, DragRef theDrag);
using DragReceiveHandlerProcPtr = OSErr (*)(WindowRef theWindow, void* handlerRefCon, DragRef theDrag);
using DragTrackingHandlerUPP = DragTrackingHandlerProcPtr;
using DragReceiveHandlerUPP = DragReceiveHandlerProcPtr;
inline DragTrackingHandlerUPP NewDragTrackingHandlerUPP(DragTrackingHandlerProcPtr proc)
{
    return proc;
}
inline void DisposeDragTrackingHandlerUPP(DragTrackingHandlerUPP)
{
}
inline DragReceiveHandlerUPP NewDragReceiveHandlerUPP(DragReceiveHandlerProcPtr proc)
{
    return proc;
}
inline void DisposeDragReceiveHandlerUPP(DragReceiveHandlerUPP)
{
}

#pragma GCC visibility push(default)
extern "C" {

// A null window installs for every window. The same handler, window and
// reference twice: duplicateHandlerErr. Removing one not installed:
// handlerNotFoundErr. A window's handlers go with it.
OSErr InstallTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow,
                             void* handlerRefCon);
OSErr InstallReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow, void* handlerRefCon);
OSErr RemoveTrackingHandler(DragTrackingHandlerUPP trackingHandler, WindowRef theWindow);
OSErr RemoveReceiveHandler(DragReceiveHandlerUPP receiveHandler, WindowRef theWindow);

// badDragRefErr: no drag is known here.
OSErr CountDragItems(DragRef theDrag, UInt16* numItems);
OSErr GetDragItemReferenceNumber(DragRef theDrag, UInt16 index, DragItemRef* theItemRef);
OSErr CountDragItemFlavors(DragRef theDrag, DragItemRef theItemRef, UInt16* numFlavors);
OSErr GetFlavorType(DragRef theDrag, DragItemRef theItemRef, UInt16 index, FlavorType* theType);
OSErr GetFlavorFlags(DragRef theDrag, DragItemRef theItemRef, FlavorType theType, FlavorFlags* theFlags);
OSErr GetFlavorDataSize(DragRef theDrag, DragItemRef theItemRef, FlavorType theType, Size* dataSize);
OSErr GetFlavorData(DragRef theDrag, DragItemRef theItemRef, FlavorType theType, void* dataPtr,
                    Size* dataSize, UInt32 dataOffset);
OSErr GetDragMouse(DragRef theDrag, Point* mouse, Point* globalPinnedMouse);
OSErr GetDragAttributes(DragRef theDrag, DragAttributes* flags);

} // extern "C"
#pragma GCC visibility pop
