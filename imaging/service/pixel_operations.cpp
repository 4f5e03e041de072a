#include "service/pixel_operations.h"

#include "imaging/orientation.h"
#include "util/pixel_memory.h"

#include <QTransform>

#include <algorithm>
#include <thread>

namespace veltra::imaging {
namespace {

// Below this many rows a second thread costs more than it saves.
constexpr int kRowsWorthSplitting = 256;

// The sum of the four pixels' channels, each channel divided by four with rounding. The
// channels are added two at a time in 16-bit lanes, where four 8-bit values cannot overflow.
inline quint32 AverageOfFour(quint32 a, quint32 b, quint32 c, quint32 d)
{
    constexpr quint32 kRedBlue = 0x00FF00FF;
    const quint32 redBlue = (a & kRedBlue) + (b & kRedBlue) + (c & kRedBlue) + (d & kRedBlue) +
                            0x00020002;
    const quint32 alphaGreen = ((a >> 8) & kRedBlue) + ((b >> 8) & kRedBlue) +
                               ((c >> 8) & kRedBlue) + ((d >> 8) & kRedBlue) + 0x00020002;
    return ((redBlue >> 2) & kRedBlue) | (((alphaGreen >> 2) & kRedBlue) << 8);
}

}  // namespace

void ForEachBand(int rows, const std::function<void(int firstRow, int endRow)>& work)
{
    if (rows < kRowsWorthSplitting || std::thread::hardware_concurrency() < 2) {
        work(0, rows);
        return;
    }
    const int middle = rows / 2;
    std::thread other([&work, middle, rows] { work(middle, rows); });
    work(0, middle);
    other.join();
}

QImage HalvedByBox(const QImage& source)
{
    if (source.isNull())
        return QImage();
    // Averaging is only right on premultiplied colours: a transparent pixel has no colour to
    // lend its neighbours. Four bytes a pixel in either order are averaged alike, so a picture
    // decoded with its red byte first (HEIF's) is halved without converting it.
    QImage premultiplied = source;
    const QImage::Format format = premultiplied.format();
    if (format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32 &&
        format != QImage::Format_RGBX8888 && format != QImage::Format_RGBA8888_Premultiplied)
        premultiplied = premultiplied.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (premultiplied.isNull())
        return QImage();
    const int width = premultiplied.width();
    const int height = premultiplied.height();
    QImage halved = NewLargeImage(QSize((width + 1) / 2, (height + 1) / 2), premultiplied.format());
    if (halved.isNull())
        return QImage();

    const QImage& in = premultiplied;
    ForEachBand(halved.height(), [&in, &halved, width, height](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            const auto* top = reinterpret_cast<const quint32*>(in.constScanLine(2 * y));
            const auto* bottom = 2 * y + 1 < height
                                     ? reinterpret_cast<const quint32*>(in.constScanLine(2 * y + 1))
                                     : top;
            auto* out = reinterpret_cast<quint32*>(halved.scanLine(y));
            const int pairs = width / 2;
            for (int x = 0; x < pairs; ++x)
                out[x] = AverageOfFour(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
            if (width % 2)
                out[pairs] = AverageOfFour(top[width - 1], top[width - 1], bottom[width - 1],
                                           bottom[width - 1]);
        }
    });
    return halved;
}

QImage Turned(const QImage& source, RotateFlipType turn)
{
    const int quarterTurns = static_cast<int>(turn) & 3;
    const bool mirror = (static_cast<int>(turn) & 4) != 0;
    QImage turned = source;
    if (quarterTurns != 0)
        turned = turned.transformed(QTransform().rotate(90.0 * quarterTurns));
    if (mirror)
        turned = std::move(turned).mirrored(true, false);
    return turned;
}

RotateFlipType TurnBetween(RotateFlipType from, RotateFlipType to)
{
    for (int candidate = RotateNoneFlipNone; candidate <= Rotate270FlipX; ++candidate) {
        const auto turn = static_cast<RotateFlipType>(candidate);
        if (ComposeTurns(from, turn) == to)
            return turn;
    }
    return RotateNoneFlipNone;  // unreachable: the eight turns form a group
}

}  // namespace veltra::imaging
