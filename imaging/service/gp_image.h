#pragma once

#include "formats/resolution.h"
#include "imaging/gdiplus_types.h"
#include "metadata/property_set.h"
#include "service/mapped_file.h"
#include "service/pending_pixels.h"
#include "service/picture_content.h"
#include "service/recorded_content.h"

#include <QImage>
#include <QRectF>

#include <memory>

namespace veltra::imaging {

// A picture held by the service: what its file said about itself, and its pixels, which it
// reaches through a content (decoded when first needed, given, or drawn from a recording).
// Turning only records the turn; the turned pixels are made when something needs them.
// Callers outside the service reach it only through the operations of its interface.
//
// The facts and the turns are the service's own (gp_image.cpp); everything about pixels is the
// pixels' half (gp_image_pixels.cpp), so that a picture can be loaded and reported on without
// it. A loaded picture keeps what its decode needs until its pixels are first asked for; only
// then is its content made.
class GpImage {
public:
    // A picture of that content (the pixels' half makes them).
    GpImage(std::shared_ptr<PictureContent> content, const GUID& rawFormat,
            PixelFormat pixelFormat, Resolution resolution = {}, PropertySet properties = {});
    // A picture loaded from a file, whose pixels are decoded from `pending` when first needed.
    GpImage(PendingPixels pending, const GUID& rawFormat, PixelFormat pixelFormat,
            Resolution resolution = {}, PropertySet properties = {});
    // A picture with these pixels, as if decoded from a file of that format.
    GpImage(QImage pixels, const GUID& rawFormat, PixelFormat pixelFormat,
            Resolution resolution = {}, PropertySet properties = {});
    ~GpImage();
    GpImage(const GpImage&) = delete;
    GpImage& operator=(const GpImage&) = delete;

    // The size after every turn applied.
    QSize size() const;
    const GUID& rawFormat() const { return m_rawFormat; }
    PixelFormat pixelFormat() const { return m_pixelFormat; }
    const Resolution& resolution() const { return m_resolution; }
    const PropertySet& properties() const { return m_properties; }
    // The short name of the format the file's content was decoded as; empty in memory.
    const QByteArray& contentFormat() const { return m_contentFormat; }
    void setContentFormat(QByteArray name) { m_contentFormat = std::move(name); }
    // The file's bytes as the load read them, when it was asked to keep them.
    const QByteArray& fileBytes() const { return m_fileBytes; }
    bool keepsFileBytes() const { return m_keepsFileBytes; }
    const std::shared_ptr<const MappedFile>& mappedFile() const { return m_mappedFile; }
    void holdMappedFile(std::shared_ptr<const MappedFile> mapping)
    {
        m_mappedFile = std::move(mapping);
    }
    void keepFileBytes(QByteArray bytes)
    {
        m_fileBytes = std::move(bytes);
        m_keepsFileBytes = true;
    }

    // Every rotate-flip applied since decoding, composed into one.
    RotateFlipType appliedTurn() const { return m_appliedTurn; }
    void turn(RotateFlipType turn);
    // The file's container decided the orientation and its decoder delivers the pixels upright,
    // turned by `containerTurn` from how they are stored. The turn counts as applied, so the
    // stored size can still be told, and nothing turns the picture for its Exif orientation.
    void setOrientedByContainer(RotateFlipType containerTurn);
    bool orientedByContainer() const { return m_orientedByContainer; }

    // The pixels as they are now, at full resolution. Non-Ok when they cannot be had.
    GpStatus pixels(QImage* out) const;
    // The pixels shrunk by 2 to the power `level` in each direction.
    GpStatus reduced(int level, QImage* out) const;
    // The pixels as they are now, kept by a drawing of this picture into another.
    PictureSnapshot snapshot() const;
    // Whether the pixels can be had (see PictureContent::availability).
    GpStatus availability() const;
    // Makes the content now and has the service's thread decode it ahead, with a stand-in for
    // a window of `viewSize` when one helps (see LoadOptions).
    void decodeAhead(const QString& filename, QSize viewSize);

    // A bitmap made in memory keeps its drawing as operations; these record one more.
    bool isRecording() const { return m_recording != nullptr; }
    // The operations recorded so far, for a memory bitmap; null for any other picture.
    const std::shared_ptr<RecordedContent>& recording() const { return m_recording; }
    void record(DrawingOperation operation);
    // A drawing into the bitmap failed: its pixels cannot be had until it is cleared.
    void recordFailure(GpStatus status);
    void clearRecording(const QColor& color);
    // For painting straight into the pixels (a drawing context on a decoded picture): the
    // pixels become the picture's own, in the orientation they have now, and what is painted
    // into them counts once endPainting() is called. Null on failure.
    QImage* beginPainting();
    void endPainting();

    // For drawing a large picture much smaller: a copy of `source` at the size `deviceTarget`
    // takes on the device, made from the nearest shrunk copy and kept while the pixels and the
    // request stay the same. Null when plain bilinear drawing looks as good, or on failure.
    // Until the pixels are decoded, a stand-in that covers the target serves instead, whatever
    // the size.
    QImage smoothlyScaled(const QRectF& source, const QRectF& deviceTarget);
    // While the pixels are not decoded: the stand-in itself, when it covers the source
    // rectangle drawn at the device size, with that rectangle in its own pixels. Drawn where
    // it lands, it spares a window the copy smoothlyScaled() makes. Null otherwise.
    QImage standInCovering(const QRectF& source, const QRectF& deviceTarget,
                           QRectF* standInSource);
    // Whether drawing now would draw the stand-in (see PictureContent::standIn).
    bool showsStandIn() const;

private:
    // What only drawing and painting keep (gp_image_pixels.cpp).
    struct PaintState;

    // The content, made from the pending decode when first asked for.
    PictureContent& content() const;
    PaintState& paintState();

    // The mapping of the file the picture was loaded from, when it was mapped: let go last,
    // after everything that points into it.
    std::shared_ptr<const MappedFile> m_mappedFile;
    // Until the content is made: what its decode needs.
    mutable std::unique_ptr<PendingPixels> m_pending;
    mutable std::shared_ptr<PictureContent> m_content;
    // The content's stored size, known before the content is made.
    QSize m_storedSize;
    // A recording's operations so far; null for a picture that is not a memory bitmap.
    std::shared_ptr<RecordedContent> m_recording;
    // The turn to apply to the content's stored pixels; the history of turns is m_appliedTurn.
    RotateFlipType m_contentTurn = RotateNoneFlipNone;
    RotateFlipType m_appliedTurn = RotateNoneFlipNone;
    bool m_orientedByContainer = false;
    // Whether a drawing context paints into the pixels directly (PaintState's).
    bool m_painting = false;
    std::shared_ptr<PaintState> m_paintState;

    GUID m_rawFormat;
    PixelFormat m_pixelFormat;
    Resolution m_resolution;
    PropertySet m_properties;
    QByteArray m_contentFormat;
    QByteArray m_fileBytes;
    bool m_keepsFileBytes = false;

    friend GpImage* NewMemoryBitmap(QSize size, PixelFormat format);
};

// A bitmap made in memory: transparent, recording what is drawn into it.
GpImage* NewMemoryBitmap(QSize size, PixelFormat format);

}  // namespace veltra::imaging
