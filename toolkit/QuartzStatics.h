#pragma once

// What every editor of the plug-in shares, from load to unload: the colour
// space, the graphics importers of each file kind, and the two Quartz
// functions that are looked up by name because older systems lack them.
// Main thread only.

#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/QuickTime.h"

class QuartzStatics {
  public:
    using ImageInRectFunction = CGImageRef (*)(CGImageRef image, CGRect rect);
    using StrokeLineSegmentsFunction = void (*)(CGContextRef context, const CGPoint points[], size_t count);

    enum ImporterKind { kImporterBMP, kImporterPNG, kImporterJPG, kImporterPICT, kImporterCount };

    QuartzStatics();
    ~QuartzStatics();
    QuartzStatics(const QuartzStatics&) = delete;
    QuartzStatics& operator=(const QuartzStatics&) = delete;

    CGColorSpaceRef colorSpace() const { return colorSpace_; }
    // Null when the system lacks the function.
    ImageInRectFunction imageInRect() const { return imageInRect_; }
    StrokeLineSegmentsFunction strokeLineSegments() const { return strokeLineSegments_; }

    // The importer of that kind, opened on first use and kept; null when none exists.
    GraphicsImportComponent importer(ImporterKind kind);

  private:
    CGColorSpaceRef colorSpace_ = nullptr;
    ImageInRectFunction imageInRect_ = nullptr;
    StrokeLineSegmentsFunction strokeLineSegments_ = nullptr;
    GraphicsImportComponent importers_[kImporterCount] = {};
};

extern QuartzStatics _gQuartzStatics;
