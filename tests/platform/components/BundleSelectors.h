#pragma once

// Selectors of the test bundles' component (BundleEntry.cpp).

#include <cstdint>

#include "platform/components/Components.h"

enum : int16_t {
    // The bundle's internal counter, stepped by the bundle's own amount.
    kCounterSelect = 1,
    // How many components the registry holds, as the bundle sees it.
    kRegistrySizeSelect = 2,
    // Word 0: the instance. The subtype GetComponentInfo reads from it inside
    // the bundle, or paramErr if the storage handed to the entry is not what
    // the open call stored.
    kSubtypeSelect = 3,
    // Words 2, 1, 0: a CFStringRef* for a new string the caller owns
    // (kBundleText), a CFStringRef* for the bundle's CFSTR("one per
    // process"), and a CFMutableArrayRef to which the bundle appends a new
    // number, 7.
    kMakeObjectsSelect = 4,
    // Opens the first component of subtype kHostSubtype from inside the
    // bundle, calls kHostSelect on it and closes it; its answer, or the
    // failing status.
    kOpenHostComponentSelect = 5,
};

inline constexpr const char* kBundleText = "made in the bundle";

// The host's component, which kOpenHostComponentSelect opens.
inline constexpr OSType kHostSubtype = FourCharCode("Host");
inline constexpr int16_t kHostSelect = 1;
