#pragma once

// The dynamic loader's list of the images (executable and shared objects)
// loaded in the process, in load order: index 0 is the executable.
//
// An image's header is its load address: the lowest address of its first
// mapped segment, the same address dladdr reports as dli_fbase for any
// address inside it. The list is read afresh on every call, so an index
// is meaningful only while no image is loaded or unloaded.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma GCC visibility push(default)

struct mach_header; // never defined: a header is only compared by address

uint32_t _dyld_image_count(void);
// NULL for an index past the end.
const struct mach_header* _dyld_get_image_header(uint32_t image_index);
// The image's file path, valid while the image stays loaded; NULL for an
// index past the end.
const char* _dyld_get_image_name(uint32_t image_index);

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif
