#include "service/picture_content.h"

#include "service/pixel_operations.h"

#include <chrono>
#include <new>
#include <set>

namespace veltra::imaging {
namespace {

// Shrunk copies are kept for this many orientations: the stored one and the turned one.
constexpr std::size_t kOrientationsKept = 2;

}  // namespace

GpStatus PictureContent::pixels(RotateFlipType turn, QImage* out)
{
    const std::lock_guard lock(m_mutex);
    try {
        return pixelsLocked(turn, out);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

GpStatus PictureContent::reduced(int level, RotateFlipType turn, QImage* out)
{
    const std::lock_guard lock(m_mutex);
    try {
        return reducedLocked(level, turn, out);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

bool PictureContent::prepare(int smallestSide)
{
    // The stand-in first: it is what a window waits for.
    {
        std::unique_lock standInLock(m_standInMutex);
        if (m_standInState == StandInState::Wanted && !settled())
            makeOrAwaitStandIn(standInLock);
        if (m_pixelsAfterStandInShown && m_standInState == StandInState::Ready &&
            !awaitStandInShown(standInLock))
            return false;  // nobody holds the picture any more: its pixels would go unseen
    }
    const std::lock_guard lock(m_mutex);
    m_preparing = true;
    try {
        QImage level;
        if (pixelsLocked(RotateNoneFlipNone, &level) == Ok) {
            for (int index = 1; level.width() > smallestSide && level.height() > smallestSide;
                 ++index) {
                if (reducedLocked(index, RotateNoneFlipNone, &level) != Ok)
                    break;
            }
        }
    } catch (const std::bad_alloc&) {
        // Whatever was not made ahead is made when it is needed, or fails then.
    }
    m_preparing = false;
    settle();
    const std::lock_guard standInLock(m_standInMutex);
    return m_standInShown;
}

void PictureContent::wantStandIn()
{
    const std::lock_guard lock(m_standInMutex);
    if (m_standInState == StandInState::None && !settled())
        m_standInState = StandInState::Wanted;
}

void PictureContent::giveStandIn(QImage standIn)
{
    const std::lock_guard lock(m_standInMutex);
    if (settled() || standIn.isNull() || m_standInState == StandInState::Making)
        return;
    if (m_standInState == StandInState::Wanted)
        releaseStandInSource();
    m_standIn = std::move(standIn);
    m_standInState = StandInState::Ready;
}

QImage PictureContent::standIn(RotateFlipType turn)
{
    if (settled())
        return QImage();
    std::unique_lock lock(m_standInMutex);
    makeOrAwaitStandIn(lock);
    if (m_standInState != StandInState::Ready || settled())
        return QImage();
    if (!m_standInShown) {
        m_standInShown = true;
        m_standInMade.notify_all();
    }
    if (turn == RotateNoneFlipNone)
        return m_standIn;
    if (m_turnedStandIn && m_turnedStandIn->first == turn)
        return m_turnedStandIn->second;
    QImage turned = Turned(m_standIn, turn);
    if (!turned.isNull())
        m_turnedStandIn.emplace(turn, turned);
    return turned;
}

bool PictureContent::awaitStandInShown(std::unique_lock<std::mutex>& lock)
{
    // Short waits, so that a picture let go (its holders gone, which nothing announces) is
    // noticed at once.
    constexpr auto kStep = std::chrono::milliseconds(10);
    constexpr int kSteps = 100;
    for (int step = 0; step < kSteps && !m_standInShown && !settled(); ++step) {
        // The one holder left is whoever prepares it.
        if (weak_from_this().use_count() <= 1)
            return false;
        m_standInMade.wait_for(lock, kStep);
    }
    return true;
}

bool PictureContent::hasStandIn()
{
    if (settled())
        return false;
    const std::lock_guard lock(m_standInMutex);
    return m_standInState != StandInState::None;
}

void PictureContent::makeOrAwaitStandIn(std::unique_lock<std::mutex>& lock)
{
    if (m_standInState == StandInState::Making) {
        m_standInMade.wait(lock, [this] { return m_standInState != StandInState::Making; });
        return;
    }
    if (m_standInState != StandInState::Wanted)
        return;
    // Made without the lock, so that whoever else wants it waits for this one instead of
    // making another.
    m_standInState = StandInState::Making;
    lock.unlock();
    QImage made;
    GpStatus status = OutOfMemory;
    try {
        status = makeStandIn(&made);
    } catch (const std::bad_alloc&) {
        made = QImage();
    }
    lock.lock();
    const bool usable = status == Ok && !made.isNull() && !settled();
    m_standIn = usable ? std::move(made) : QImage();
    m_standInState = usable ? StandInState::Ready : StandInState::None;
    m_standInMade.notify_all();
}

void PictureContent::settle()
{
    m_settled.store(true, std::memory_order_release);
    const std::lock_guard lock(m_standInMutex);
    // One being made is dropped by its maker, who sees the pixels settled.
    if (m_standInState == StandInState::Wanted)
        releaseStandInSource();
    if (m_standInState != StandInState::Making) {
        m_standInState = StandInState::None;
        m_standIn = QImage();
        m_turnedStandIn.reset();
    }
}

GpStatus PictureContent::availability()
{
    const std::lock_guard lock(m_mutex);
    if (m_failure)
        return *m_failure;
    if (m_full)
        return Ok;
    QImage pixels;
    try {
        return pixelsLocked(RotateNoneFlipNone, &pixels);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

bool PictureContent::hasPixels(RotateFlipType turn)
{
    const std::lock_guard lock(m_mutex);
    return m_full && m_full->first == turn;
}

GpStatus PictureContent::pixelsLocked(RotateFlipType turn, QImage* out)
{
    if (m_failure)
        return *m_failure;
    if (m_full && m_full->first == turn) {
        *out = m_full->second;
        return Ok;
    }
    QImage base;
    RotateFlipType baseTurn = RotateNoneFlipNone;
    if (m_full) {
        base = m_full->second;
        baseTurn = m_full->first;
    } else {
        const GpStatus status = makeStoredPixels(&base);
        if (status != Ok || base.isNull()) {
            m_failure = status != Ok ? status : OutOfMemory;
            settle();
            return *m_failure;
        }
        if (!m_preparing)
            settle();
    }
    QImage result = baseTurn == turn ? base : Turned(base, TurnBetween(baseTurn, turn));
    if (result.isNull())
        return OutOfMemory;
    m_full.emplace(turn, result);
    *out = std::move(result);
    return Ok;
}

GpStatus PictureContent::reducedLocked(int level, RotateFlipType turn, QImage* out)
{
    if (level <= 0)
        return pixelsLocked(turn, out);
    if (m_failure)
        return *m_failure;
    if (const auto found = m_reduced.find({level, turn}); found != m_reduced.end()) {
        *out = found->second;
        return Ok;
    }
    // The same level in another orientation is only a small turn away.
    for (const auto& [key, image] : m_reduced) {
        if (key.first != level)
            continue;
        QImage turned = Turned(image, TurnBetween(key.second, turn));
        if (turned.isNull())
            return OutOfMemory;
        keepReduced(level, turn, turned);
        *out = std::move(turned);
        return Ok;
    }
    QImage made;
    if (const std::optional<GpStatus> drawn = makeStoredReduced(level, &made)) {
        if (*drawn != Ok)
            return *drawn;
        if (turn != RotateNoneFlipNone)
            made = Turned(made, turn);
    } else {
        // Halved from the level above, in whichever orientation the full pixels are kept, and
        // only then turned: turning the small copy is far cheaper than turning the full one.
        const RotateFlipType kept = m_full ? m_full->first : RotateNoneFlipNone;
        QImage above;
        const GpStatus status = reducedLocked(level - 1, kept, &above);
        if (status != Ok)
            return status;
        made = HalvedByBox(above);
        if (!made.isNull() && kept != turn) {
            keepReduced(level, kept, made);
            made = Turned(made, TurnBetween(kept, turn));
        }
    }
    if (made.isNull())
        return OutOfMemory;
    keepReduced(level, turn, made);
    *out = std::move(made);
    return Ok;
}

void PictureContent::keepReduced(int level, RotateFlipType turn, const QImage& image)
{
    m_reduced[{level, turn}] = image;
    std::set<RotateFlipType> orientations;
    for (const auto& entry : m_reduced)
        orientations.insert(entry.first.second);
    if (orientations.size() <= kOrientationsKept)
        return;
    // Forget the copies of orientations other than this one and the stored one.
    for (auto entry = m_reduced.begin(); entry != m_reduced.end();) {
        const RotateFlipType kept = entry->first.second;
        if (kept != turn && kept != RotateNoneFlipNone)
            entry = m_reduced.erase(entry);
        else
            ++entry;
    }
}

}  // namespace veltra::imaging
