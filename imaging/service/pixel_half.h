#pragma once

// The service in two halves. This one recognises files, reads their facts and items and keeps
// the pictures; the pixels' half decodes, turns, draws and saves, with Qt Gui and the codec
// libraries. A program that shows or saves pictures links both. The command-line tool links
// this half alone and opens the other as a module the first time a file needs pixels: most
// reports never do, and the tool then starts as fast as its metadata peers.
//
// What this half asks of the other goes through the table below, which the pixels' half
// gives when it starts (RegisterPixelHalf).

#include "formats/format_reader.h"
#include "imaging/gdiplus_types.h"
#include "imaging/gdiplus.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <memory>

namespace veltra::imaging {

class GpImage;
class PictureContent;

struct PixelHalf {
    // Sets the decoders' limits and sends their libraries' messages to the log: before the
    // first decode, once however often it is called.
    void (*prepare)();
    // ProbeFirstFrame's answer for a reader that has no probe of its own.
    GpStatus (*probe)(const FormatReader& reader, QByteArrayView file, const FileFacts& facts,
                      FrameHeader* header);
    // GpImage::decodeAhead.
    void (*decodeAhead)(GpImage& image, const QString& filename, QSize viewSize);
    // Lets go of a picture's content, its last holder gone: on the service's thread when it
    // runs, since giving back a large picture's memory takes time.
    void (*releaseContent)(std::shared_ptr<PictureContent> content);

    // The flat interface's operations on pixels (gdiplus.h), for the programs that link only
    // this half.
    GpStatus (*forceDecode)(GpImage* image);
    GpStatus (*bitmapGetPixel)(GpBitmap* bitmap, int x, int y, ARGB* color);
    GpStatus (*createBitmapFromScan0)(int width, int height, int stride, PixelFormat format,
                                      std::uint8_t* scan0, GpBitmap** bitmap);
    GpStatus (*getImageGraphicsContext)(GpImage* image, GpGraphics** graphics);
    GpStatus (*deleteGraphics)(GpGraphics* graphics);
    GpStatus (*drawImageRectRect)(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty,
                                  REAL dstwidth, REAL dstheight, REAL srcx, REAL srcy,
                                  REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                                  const void* imageAttributes, void* callback,
                                  void* callbackData);
    GpStatus (*getImageShrunk)(GpImage* image, int width, int height, GpBitmap** shrunk);
};

// Called by the pixels' half as it starts, linked or loaded.
void RegisterPixelHalf(const PixelHalf* half);

// The pixels' half when the program links it or has loaded it already; null otherwise.
const PixelHalf* PresentPixelHalf();

// The pixels' half, opened now if the program does not link it; null, with the reason in the
// log, when its module cannot be opened.
const PixelHalf* Pixels();

}  // namespace veltra::imaging
