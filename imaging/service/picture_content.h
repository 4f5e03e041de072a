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

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace veltra::imaging {

class PictureContent : public std::enable_shared_from_this<PictureContent> {
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

    // Makes the pixels and the shrunk copies down to `smallestSide` ahead of their use (first
    // the stand-in below, when one is wanted and not made yet). True when a stand-in was
    // there to be drawn meanwhile, so that what shows it can draw again from the pixels.
    bool prepare(int smallestSide);
    // True when the full-resolution pixels in this orientation are made already.
    bool hasPixels(RotateFlipType turn);
    // Whether the pixels can be had: decodes them when they are not yet, so that whatever
    // draws this content learns of a failure at once. A recording asks what it draws.
    virtual GpStatus availability();

    // A stand-in: a copy of the whole picture about the size a window shows it, decoded far
    // faster than the pixels and drawn instead of them until they are made. It never serves
    // once the pixels are there, and is let go then.
    //
    // Asks for one to be made by makeStandIn(), by whoever needs it first: the service's
    // thread ahead, or a drawing.
    void wantStandIn();
    // For pixels whose making takes both cores (a raw developed by LibRaw): prepare() starts
    // on them only once the stand-in is shown, so that the first picture has the cores to
    // itself, or when the stand-in is not shown within a second; and not at all when the
    // picture is let go before.
    void makePixelsAfterStandInShown() { m_pixelsAfterStandInShown = true; }
    // One made elsewhere (decoded ahead from the file before it was opened), in the stored
    // orientation.
    void giveStandIn(QImage standIn);
    // The stand-in turned by `turn`, while the pixels are not made yet: made here when it is
    // wanted and nobody has started, waited for when someone is making it. Null when there is
    // none; then the pixels are the only way.
    QImage standIn(RotateFlipType turn);
    // True once the pixels (and, when made ahead, their shrunk copies) are made, or have
    // failed: nothing needs a stand-in any more.
    bool settled() const { return m_settled.load(std::memory_order_acquire); }
    // Whether a stand-in is there, or wanted, to be drawn until the pixels are made.
    bool hasStandIn();

protected:
    // The stored pixels, made once.
    virtual GpStatus makeStoredPixels(QImage* out) = 0;
    // A shrunk copy in stored orientation, made from the stored pixels; a recording draws
    // itself at that size instead. Nothing when the content has no better way than halving.
    virtual std::optional<GpStatus> makeStoredReduced(int /*level*/, QImage* /*out*/)
    {
        return std::nullopt;
    }
    // The stand-in in stored orientation; non-Ok when this content cannot make one.
    virtual GpStatus makeStandIn(QImage* /*out*/) { return NotImplemented; }
    // What makeStandIn() would have read is not needed any more.
    virtual void releaseStandInSource() {}

private:
    enum class StandInState { None, Wanted, Making, Ready };
    GpStatus pixelsLocked(RotateFlipType turn, QImage* out);
    GpStatus reducedLocked(int level, RotateFlipType turn, QImage* out);
    void keepReduced(int level, RotateFlipType turn, const QImage& image);
    // With the stand-in's lock held: makes the wanted stand-in, or waits for its maker.
    void makeOrAwaitStandIn(std::unique_lock<std::mutex>& lock);
    // With the stand-in's lock held: waits until the stand-in is shown, the pixels are made
    // elsewhere, or a second has passed. False when the picture was let go meanwhile.
    bool awaitStandInShown(std::unique_lock<std::mutex>& lock);
    // The pixels are made or have failed: the stand-in is let go.
    void settle();

    const QSize m_storedSize;
    std::recursive_mutex m_mutex;
    std::optional<GpStatus> m_failure;
    // The full-resolution pixels in one orientation at a time: a second copy of a large
    // picture would double what it costs to hold.
    std::optional<std::pair<RotateFlipType, QImage>> m_full;
    std::map<std::pair<int, RotateFlipType>, QImage> m_reduced;
    // Set once the pixels are made outside prepare(), or when prepare() is done.
    std::atomic<bool> m_settled{false};
    bool m_preparing = false;

    // The stand-in has a lock of its own: a drawing reaches it while the service's thread
    // holds the other one for the whole decode.
    std::mutex m_standInMutex;
    std::condition_variable m_standInMade;
    StandInState m_standInState = StandInState::None;
    QImage m_standIn;
    std::optional<std::pair<RotateFlipType, QImage>> m_turnedStandIn;
    bool m_standInShown = false;
    bool m_pixelsAfterStandInShown = false;
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
