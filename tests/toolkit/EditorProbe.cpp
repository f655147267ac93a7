// A bundle holding its own copy of the toolkit, as a plug-in does; an
// "editor" here is what the editor base keeps of the bundle reference.

#include "tests/toolkit/EditorProbe.h"
#include "toolkit/BundleRef.h"

extern "C" {

__attribute__((visibility("default"))) void* probeOpenEditor()
{
    return new toolkit::BundleHold;
}

__attribute__((visibility("default"))) void probeCloseEditor(void* editor)
{
    delete static_cast<toolkit::BundleHold*>(editor);
}

__attribute__((visibility("default"))) CFBundleRef probeBundleRef()
{
    return gBundleRef;
}
}
