#pragma once

// The imaging service's operations, one function per operation in the style of a flat C
// interface: every call returns a status and hands results back through out-parameters, and
// nothing throws across this boundary. Objects made here are released by their Gdip...Dispose
// or Gdip...Delete call; the RAII holders in image_handles.h do that for callers.

#include "imaging/gdiplus_types.h"
#include "imaging/load_failure.h"
#include "imaging/property_tags.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;

namespace veltra::imaging {

class GpImage;
using GpBitmap = GpImage;
class GpGraphics;
class GpBrush;
using GpTexture = GpBrush;

// Life. Raises Qt's decoder allocation limit to what the service accepts, and starts the
// service's own thread, which decodes each picture ahead right after its load, unless the input
// suppresses it (a program that only reads facts decodes nothing it does not ask for). Later
// calls work without it, but larger pictures would then be refused by Qt itself.
GpStatus GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput* input, void* output);

// Decoding. A file's facts are read at once and its pixels decoded when first needed (or
// ahead, on the service's own thread, unless GdiplusStartup suppressed it). Forcing the decode
// answers whether the pixels can be had.
GpStatus GdipCreateBitmapFromFile(const QString& filename, GpBitmap** bitmap);
// An operation of our own: the same from bytes in memory, such as a picture embedded in a
// file (its Exif thumbnail), with the same budgets.
GpStatus CreateBitmapFromBytes(QByteArray bytes, GpBitmap** bitmap);
// Operations of our own: the same two, saying on failure why the file could not be loaded.
GpStatus LoadBitmapFromFile(const QString& filename, GpBitmap** bitmap, LoadFailure* failure);
GpStatus LoadBitmapFromBytes(QByteArray bytes, GpBitmap** bitmap, LoadFailure* failure);
GpStatus GdipImageForceDecode(GpImage* image);

// Operations of our own for a window that shows pictures.
struct LoadOptions {
    // Decode the pixels ahead on the service's thread, when the service runs one. Off for a
    // picture loaded only to be read (its facts, its thumbnail compared).
    bool decodeAhead = true;
    // The device size of the view that will show the picture, when known. A JPEG larger than
    // it is shown from a stand-in until its pixels are decoded: a copy decoded at the fastest
    // of libjpeg's scales (M/8) that covers what the view shows, or the copy that
    // DecodeFilesAheadForView made of the file. Drawing, watermarks, saving and printing at a
    // size the stand-in does not cover always use the pixels.
    QSize viewSize;
    // Keep the file's bytes with the picture for GetImageFileStructure, so that what is said
    // of the file's structure comes from the very bytes its facts came from. Off for a window,
    // which lets the bytes go once the pixels are decoded.
    bool keepFileBytes = false;
    // Map the file instead of reading it: only the pages that are looked at are read (the
    // headers and metadata, for a report; a camera raw's preview, for a window), and nothing
    // is copied. For a reader that lets go of everything it had from the picture (facts,
    // structure) no later than the picture itself. A file cut short meanwhile fails to load,
    // or to decode when that comes later, instead of stopping the program.
    bool mapFile = false;
    // With mapFile, for a window: the mapping is kept only for a file whose first picture is
    // a picture embedded in it (a camera raw's preview), so that a 60 MB raw shows at the
    // speed of its preview; any other file is read as without mapFile once its first bytes
    // tell its format (a 24-megapixel JPEG's first picture came a tenth later mapped).
    bool mapOnlyFilesWithPreviews = false;
};
// LoadBitmapFromFile with these options (the plain one decodes ahead, without a view). A
// bitmap made from bytes in memory is never decoded ahead.
GpStatus CreateBitmapFromFileWithOptions(const QString& filename, const LoadOptions& options,
                                         GpBitmap** bitmap, LoadFailure* failure = nullptr);
// The files a view of that size will likely open next (the neighbours of the file shown),
// decoded ahead after every picture loaded, as copies the size the view shows them; replaces
// the files asked for before and forgets the copies of others.
GpStatus DecodeFilesAheadForView(const QStringList& filenames, QSize viewSize);
// Called on the service's thread each time a picture that was drawn from its stand-in has
// its pixels: whatever showed it should draw it again. An empty handler stops the calls.
GpStatus SetPixelsReadyHandler(std::function<void()> handler);
// Whether drawing the picture now would draw its stand-in: its pixels are not decoded yet.
GpStatus GetImageShownFromStandIn(GpImage* image, bool* standIn);
// Returns once the service's thread has decoded everything asked of it, for a program that
// must know (a benchmark timing what follows).
GpStatus WaitForDecodeAhead();
GpStatus GdipDisposeImage(GpImage* image);

// Queries.
GpStatus GdipGetImageWidth(GpImage* image, std::uint32_t* width);
GpStatus GdipGetImageHeight(GpImage* image, std::uint32_t* height);
GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format);
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution);
GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution);
// The colour of one pixel of the picture as it is now, as 32-bit ARGB.
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, int x, int y, ARGB* color);

// Metadata.
GpStatus GdipGetPropertyCount(GpImage* image, std::uint32_t* numOfProperty);
GpStatus GdipGetPropertyIdList(GpImage* image, std::uint32_t numOfProperty, PROPID* list);
GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID propId, std::uint32_t* size);
GpStatus GdipGetPropertyItem(GpImage* image, PROPID propId, std::uint32_t propSize,
                             PropertyItem* buffer);

// Transform. The pixels turn; every property item, the orientation included, stays as stored.
GpStatus GdipImageRotateFlip(GpImage* image, RotateFlipType rfType);
// An operation of our own: the one turn equal to every rotate-flip applied to the picture
// since it was decoded (RotateNoneFlipNone when none was). The orientation item keeps saying
// how the file stored the pixels; this says what has been done to them since, so a caller can
// bring a picture upright exactly once.
GpStatus GetImageAppliedTurn(GpImage* image, RotateFlipType* turn);
// An operation of our own: whether the file's container decided the picture's orientation
// (HEIF's transforms, a JPEG XL codestream's orientation, a camera raw's flip). Such a picture
// is decoded upright, its container's turn counts as applied, and it is never turned for its
// Exif orientation.
GpStatus GetImageOrientedByContainer(GpImage* image, bool* oriented);
// An operation of our own: the short name of the kind of content the file was recognised and
// decoded as, whatever the raw-format query can name ("jpeg", "png", "ppm", "tga", ...; the
// names of imaging/content_kinds.h); empty for a picture made in memory.
GpStatus GetImageContentFormat(GpImage* image, QByteArray* name);

// Surfaces.
// An operation of our own: a new bitmap of the whole picture as it is now (after its turns),
// shrunk to this size from the service's shrunk copies; a large JPEG not yet decoded is
// decoded straight at a fraction of its size when that is all a small copy needs.
GpStatus GetImageShrunk(GpImage* image, int width, int height, GpBitmap** shrunk);
GpStatus GdipCreateBitmapFromScan0(int width, int height, int stride, PixelFormat format,
                                   std::uint8_t* scan0, GpBitmap** bitmap);
GpStatus GdipCreateFromHDC(QPainter* hdc, GpGraphics** graphics);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);

// Drawing.
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, int x, int y);
GpStatus GdipDrawImagePointRectI(GpGraphics* graphics, GpImage* image, int x, int y, int srcx,
                                 int srcy, int srcwidth, int srcheight, GpUnit srcUnit);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty,
                               REAL dstwidth, REAL dstheight, REAL srcx, REAL srcy,
                               REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                               const void* imageAttributes = nullptr,
                               void* abortCallback = nullptr, void* callbackData = nullptr);
GpStatus GdipCreateTexture(GpImage* image, GpWrapMode wrapMode, GpTexture** texture);
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, int x, int y, int width,
                            int height);
GpStatus GdipDeleteBrush(GpBrush* brush);

// Encoding. Only the JPEG encoder exists; the file appears at the path only when the whole
// picture was encoded, so a failure never leaves a damaged or emptied file behind.
GpStatus GdipSaveImageToFile(GpImage* image, const QString& filename, const CLSID* clsidEncoder,
                             const EncoderParameters* encoderParams);

}  // namespace veltra::imaging
