#pragma once

// The items of one drag: files (as paths) and text, read through the drag
// manager.
//
// Main thread only.

#include <cstdint>
#include <string>

#include "platform/hitoolbox/HIToolbox.h"
#include "toolkit/CReferenceCounter.h"

enum CDragType : long {
    kDragTypeUnknown = -1,
    kDragTypeFile = 0,
    kDragTypeText = 1,
};

class CDragContainer : public CReferenceCounter {
  public:
    explicit CDragContainer(DragRef drag);

    // The data of the first item (null when none), its size and type; valid
    // until the next call.
    const void* first(long& size, long& type);
    const void* next(long& size, long& type);
    long getType(long index) const;
    long getCount() const { return nbItems; }
    DragRef getPlatformDrag() const { return platformDrag; }

  private:
    const void* item(long index, long& size, long& type);

    DragRef platformDrag;
    long nbItems = 0;
    long iterator = 0;
    std::string lastItem;
};
