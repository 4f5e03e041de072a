#pragma once

// What a picture's pixels are made from, kept apart from the picture's facts so that a drawing
// can hold on to the pixels of the moment while the picture goes on (turned, replaced).
//
// A content's stored pixels never change once made: decoded from a file (when first needed,
// or ahead on the service's own thread), given whole, or drawn from a recording. Everything
// else is derived from them and kept while it is asked for: the pixels turned, and copies
// shrunk by powers of two for drawing much smaller, so that a 24-megapixel photo is shown
// from a copy of a few megapixels without ever being shrunk whole again.

#include "imaging/gdiplus_types.h"

#include <QImage>
#include <QSize>

#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace veltra::imaging {

class PictureContent {
public:
    explicit PictureContent(QSize storedSize) : m_storedSize(storedSize) {}
    virtual ~PictureContent() = default;
    PictureContent(const PictureContent&) = delete;
    PictureContent& operator=(const PictureContent&) = delete;

    QSize storedSize() const { return m_storedSize; }

    // The whole picture at full resolution, turned by `turn`. Non-Ok when its pixels cannot
    // be had: a decode that failed, or memory refused.
    GpStatus pixels(RotateFlipType turn, QImage* out);
    // The picture shrunk by 2 to the power `level` in each direction (level 0: pixels()),
    // turned by `turn`.
    GpStatus reduced(int level, RotateFlipType turn, QImage* out);

    // Makes the pixels and the shrunk copies down to `smallestSide` ahead of their use.
    void prepare(int smallestSide);
    // True when the full-resolution pixels in this orientation are made already.
    bool hasPixels(RotateFlipType turn);
    // Whether the pixels can be had: decodes them when they are not yet, so that whatever
    // draws this content learns of a failure at once. A recording asks what it draws.
    virtual GpStatus availability();

protected:
    // The stored pixels, made once.
    virtual GpStatus makeStoredPixels(QImage* out) = 0;
    // A shrunk copy in stored orientation, made from the stored pixels; a recording draws
    // itself at that size instead. Nothing when the content has no better way than halving.
    virtual std::optional<GpStatus> makeStoredReduced(int /*level*/, QImage* /*out*/)
    {
        return std::nullopt;
    }

private:
    GpStatus pixelsLocked(RotateFlipType turn, QImage* out);
    GpStatus reducedLocked(int level, RotateFlipType turn, QImage* out);
    void keepReduced(int level, RotateFlipType turn, const QImage& image);

    const QSize m_storedSize;
    std::recursive_mutex m_mutex;
    std::optional<GpStatus> m_failure;
    // The full-resolution pixels in one orientation at a time: a second copy of a large
    // picture would double what it costs to hold.
    std::optional<std::pair<RotateFlipType, QImage>> m_full;
    std::map<std::pair<int, RotateFlipType>, QImage> m_reduced;
};

// Pixels given whole: a picture made for a test, or pixels a drawing context painted into.
class GivenContent final : public PictureContent {
public:
    explicit GivenContent(QImage pixels) : PictureContent(pixels.size()), m_pixels(std::move(pixels))
    {
    }

protected:
    GpStatus makeStoredPixels(QImage* out) override
    {
        *out = m_pixels;
        return Ok;
    }

private:
    const QImage m_pixels;
};

}  // namespace veltra::imaging
