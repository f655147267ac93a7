#pragma once

// The plug-in's own bundle, through which bitmaps find their files.
//
// gBundleRef is one handle per plug-in image, shared by its editors. It
// holds a reference of its own: change it only with setBundleRef. An editor
// keeps a BundleHold for its lifetime, which locates the bundle and holds
// one more reference to the handle it saw, so that each editor releases
// exactly what it retained, whatever the order editors open and close in.
// Main thread only.

#include "platform/corefoundation/CoreFoundation.h"

extern CFBundleRef gBundleRef;

namespace toolkit {

// Retains bundle (which may be null) and releases the previous handle.
void setBundleRef(CFBundleRef bundle);

// The bundle of the loaded image that holds this code: the image's path less
// three components (executable, its folder, Contents). A new reference, or
// null when the image is not among the loaded images (index 0, the program
// itself, is not searched) or the folder is no bundle.
CFBundleRef locateBundle();

class BundleHold {
  public:
    // Makes the located bundle gBundleRef; when none is found, gBundleRef
    // stays as it was. Holds whichever handle gBundleRef then is.
    BundleHold();
    ~BundleHold();
    BundleHold(const BundleHold&) = delete;
    BundleHold& operator=(const BundleHold&) = delete;

    CFBundleRef bundle() const { return held_; }

  private:
    CFBundleRef held_ = nullptr;
};

} // namespace toolkit
