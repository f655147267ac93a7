#pragma once

// Feeds a bitmap's pixels (four bytes each: alpha, red, green, blue) to
// Quartz in order, writing alpha 0 for every pixel whose red, green and blue
// equal the key colour's (the key's alpha is not compared). Reads and skips
// of any length are bounded by the bytes the pixel map holds; the key applies
// by each pixel's position in the map, wherever a read starts or ends.

#include <cstddef>
#include <cstdint>

#include "platform/graphics/CoreGraphics.h"
#include "toolkit/CColor.h"

class CDataProvider {
  public:
    // The pixels (a bitmap's pixel map) must outlive the provider.
    CDataProvider(const uint8_t* pixels, size_t size, const CColor& keyColor);

    size_t getBytes(void* buffer, size_t count);
    size_t skipBytes(size_t count);
    void rewind() { position = 0; }

    // A Quartz provider that owns this object and deletes it on release.
    static CGDataProviderRef create(CDataProvider* provider);

  private:
    size_t position = 0;
    const uint8_t* ptr;
    size_t size;
    CColor color;
};
