#pragma once

// Selectors of the test bundles' component (BundleEntry.cpp).

#include <cstdint>

enum : int16_t {
    // The bundle's internal counter, stepped by the bundle's own amount.
    kCounterSelect = 1,
    // How many components the bundle's own copy of the registry holds.
    kRegistrySizeSelect = 2,
    // Word 0: the instance. The subtype the bundle's copy of
    // GetComponentInfo reads from it, or paramErr if the storage handed to
    // the entry is not what the open call stored.
    kSubtypeSelect = 3,
};
