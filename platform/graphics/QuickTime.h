#pragma once

// QuickTime graphics importers for PNG, BMP and JPEG files: components of
// type GraphicsImporterComponentType that the Component Manager opens by
// file type (OpenADefaultComponent, Components.h), closed with CloseComponent. An importer
// reads the file its data reference names, decodes it with gdk-pixbuf and
// either draws it into a graphics world or returns a Quartz image. PNG keeps
// its alpha; BMP and JPEG are opaque. No importer exists for PICT files.
//
// Hostile files fail cleanly: undecodable data, the wrong format for the
// importer, a side above 32767 pixels or more than 2^26 pixels (256 MiB of
// pixels) give codecErr and allocate nothing of that size.
//
// Main thread only (one importer is used by one thread at a time).

#include <cstdint>

#include "platform/components/Components.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/graphics/CoreGraphics.h"
#include "platform/graphics/QuickDraw.h"

using GraphicsImportComponent = ComponentInstance;

inline constexpr OSType GraphicsImporterComponentType = FourCharCode("grip");
inline constexpr OSType kQTFileTypePNG = FourCharCode("PNGf");
inline constexpr OSType kQTFileTypeBMP = FourCharCode("BMPf");
inline constexpr OSType kQTFileTypeJPEG = FourCharCode("JPEG");
inline constexpr OSType kQTFileTypePicture = FourCharCode("PICT");

// The data reference type QTNewDataReferenceFromCFURL makes: the handle holds
// the file's path, zero-terminated.
inline constexpr OSType URLDataHandlerSubType = FourCharCode("url ");

inline constexpr uint32_t kGraphicsImportCreateCGImageUsingCurrentSettings = 1u << 0;

inline constexpr OSErr fnfErr = -43;
inline constexpr OSErr couldNotResolveDataRef = -2000;
inline constexpr OSErr codecErr = -8961;

#pragma GCC visibility push(default)
extern "C" {

// A data reference to the regular file a file URL names; fnfErr when it
// does not exist, paramErr for a null argument or a URL that is not a file
// path. The caller disposes of *outDataRef with DisposeHandle.
OSErr QTNewDataReferenceFromCFURL(CFURLRef url, uint32_t flags, Handle* outDataRef, OSType* outDataRefType);

// The importer copies the reference; the file is read when first needed and
// again after each new reference. couldNotResolveDataRef for a type other
// than URLDataHandlerSubType or a handle without a path.
ComponentResult GraphicsImportSetDataReference(GraphicsImportComponent ci, Handle dataRef,
                                               OSType dataRefType);
// (0, 0, height, width) of the image; codecErr when the file cannot be read
// or is refused, couldNotResolveDataRef without a data reference.
ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent ci, Rect* naturalBounds);
// The natural bounds (no source rectangle can be set).
ComponentResult GraphicsImportGetSourceRect(GraphicsImportComponent ci, Rect* sourceRect);
// Where GraphicsImportDraw draws; null port: the current port at Draw time.
ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent ci, CGrafPtr port, GDHandle gd);
// Draws the image at the port's top-left corner, unscaled, over what is
// there (opaque formats replace it).
ComponentResult GraphicsImportDraw(GraphicsImportComponent ci);
// A new image, premultiplied alpha first, that the caller releases; *imageRef
// is null on failure.
ComponentResult GraphicsImportCreateCGImage(GraphicsImportComponent ci, CGImageRef* imageRef, uint32_t flags);

} // extern "C"
#pragma GCC visibility pop
