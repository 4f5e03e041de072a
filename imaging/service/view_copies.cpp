#include "service/view_copies.h"

#include "formats/format_decoder.h"
#include "formats/format_registry.h"
#include "imaging/gdiplus.h"
#include "service/decode_ahead.h"
#include "service/gp_image.h"
#include "formats/jpeg/jpeg_codec.h"
#include "formats/jpeg/jpeg_reader.h"
#include "imaging/property_tags.h"
#include "service/decoded_content.h"
#include "service/pixel_operations.h"
#include "service/regular_file.h"

#include <QDateTime>
#include <QFileInfo>

#include <mutex>
#include <new>
#include <span>
#include <vector>

namespace veltra::imaging {
namespace {

// What tells a file from the one a copy was made of.
struct FileIdentity {
    QString path;
    qint64 size = -1;
    QDateTime modified;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity IdentityOf(const QString& path)
{
    const QFileInfo info(path);
    return {info.absoluteFilePath(), info.size(), info.lastModified()};
}

struct ViewCopy {
    FileIdentity file;
    QSize storedSize;
    QImage copy;
};

std::mutex g_mutex;
std::vector<ViewCopy> g_copies;

bool IsQuarterTurn(const PropertySet& properties)
{
    const std::uint32_t orientation = properties.firstUnsigned(PropertyTagOrientation).value_or(1);
    return orientation >= 5 && orientation <= 8;
}

// The size a picture is shown at in the view, in stored orientation.
QSize ShownSize(QSize stored, bool quarterTurn, QSize view)
{
    const QSize upright = quarterTurn ? stored.transposed() : stored;
    if (upright.width() < view.width() && upright.height() < view.height())
        return stored;
    const double scale = std::min(static_cast<double>(view.width()) / upright.width(),
                                  static_cast<double>(view.height()) / upright.height());
    const QSize shown(static_cast<int>(upright.width() * scale),
                      static_cast<int>(upright.height() * scale));
    return quarterTurn ? shown.transposed() : shown;
}

// Decodes the picture of a file no larger than it is shown: a JPEG at its scale, any other
// picture whole and then halved while the half still covers it.
QImage DecodeForView(const QString& path, QSize view, QSize* storedSize)
{
    QByteArray bytes;
    if (ReadRegularFile(path, &bytes) != Ok || bytes.isEmpty())
        return QImage();
    const FormatReader& reader = ReaderFor(bytes);
    const FileFacts facts = reader.read(bytes);
    FrameHeader header;
    if (ProbeFirstFrame(reader, bytes, facts, &header) != Ok || facts.tooLittleDataForDeclaredSize)
        return QImage();
    // A picture its container orients is decoded upright already.
    const bool quarterTurn = !reader.containerOrientsPicture && IsQuarterTurn(facts.properties);
    *storedSize = header.size;
    // A picture the view shows at its own size is drawn from its pixels: no copy serves.
    if (ShownSize(header.size, quarterTurn, view) == header.size)
        return QImage();
    QImage copy;
    // A raw's preview is decoded in the time a glance takes; developing it would take seconds.
    if (const EmbeddedStandIn embedded =
            EmbeddedStandInFor(reader, bytes, header, view, StandInUse::KeptAhead);
        embedded.eighths > 0)
        return DecodeEmbeddedStandIn(bytes, embedded, &copy) == Ok ? copy : QImage();
    if (reader.format == FileFormat::Jpeg) {
        const int eighths = EighthsCovering(header.size, quarterTurn, view, StandInUse::KeptAhead);
        if (DecodeJpegEighths(bytes, eighths, &copy) != Ok)
            return QImage();
        return copy;
    }
    if (header.pixels)
        copy = *header.pixels;
    if (copy.isNull() && DecodeFirstFrame(reader, bytes, facts, header, &copy) != Ok)
        return QImage();
    const QSize shown = ShownSize(copy.size(), quarterTurn, view);
    while (copy.width() / 2 >= shown.width() && copy.height() / 2 >= shown.height() &&
           copy.width() > 1 && copy.height() > 1)
        copy = HalvedByBox(copy);
    return copy;
}

// The eighths libjpeg-turbo decodes fastest at. Its inverse DCT has SIMD code for blocks of 1,
// 2, 4 and 8 pixels only; the other sizes run plain C, which costs more than the next of those
// up, however many fewer pixels it makes: a 24-megapixel photo decodes at 3/8 in 100 ms and at
// 4/8 in 91, at 5/8 to 7/8 in 151 to 215 ms and whole in 146.
constexpr int kFastEighths[]{1, 2, 4, 8};
constexpr int kEveryEighth[]{1, 2, 3, 4, 5, 6, 7, 8};

// The fewest eighths of `source` whose sides reach `shown`'s, of those the use may take; 0 when
// the whole falls short.
int FewestEighthsReaching(QSize source, QSize shown, StandInUse use)
{
    const std::span<const int> scales =
        use == StandInUse::WaitedFor ? std::span<const int>(kFastEighths) : kEveryEighth;
    // libjpeg rounds a scaled side up.
    for (const int eighths : scales) {
        if ((source.width() * eighths + 7) / 8 >= shown.width() &&
            (source.height() * eighths + 7) / 8 >= shown.height())
            return eighths;
    }
    return 0;
}

}  // namespace

int EighthsCovering(QSize stored, bool quarterTurn, QSize view, StandInUse use)
{
    if (stored.isEmpty() || view.isEmpty())
        return 8;
    return std::max(1, FewestEighthsReaching(stored, ShownSize(stored, quarterTurn, view), use));
}

int EighthsOfCovering(QSize source, QSize picture, QSize view, StandInUse use)
{
    if (source.isEmpty() || picture.isEmpty() || view.isEmpty())
        return 0;
    return FewestEighthsReaching(source, ShownSize(picture, false, view), use);
}

EmbeddedStandIn EmbeddedStandInFor(const FormatReader& reader, QByteArrayView file,
                                   const FrameHeader& header, QSize view, StandInUse use)
{
    if (!reader.embeddedPicture)
        return {};
    const QByteArrayView jpeg = reader.embeddedPicture(file, header);
    QSize size;
    if (jpeg.isEmpty() || ReadJpegFrameSize(jpeg, &size) != Ok)
        return {};
    EmbeddedStandIn standIn;
    standIn.turn = header.containerTurn.value_or(RotateNoneFlipNone);
    const QSize upright = (int(standIn.turn) & 1) ? size.transposed() : size;
    standIn.eighths = EighthsOfCovering(upright, header.size, view, use);
    standIn.offset = jpeg.data() - file.data();
    standIn.length = jpeg.size();
    return standIn;
}

GpStatus DecodeEmbeddedStandIn(QByteArrayView file, const EmbeddedStandIn& standIn, QImage* out)
{
    if (standIn.eighths <= 0 || standIn.offset < 0 || standIn.length <= 0 ||
        standIn.offset + standIn.length > file.size())
        return InvalidParameter;
    QImage decoded;
    const GpStatus status =
        DecodeJpegEighths(file.sliced(standIn.offset, standIn.length), standIn.eighths, &decoded);
    if (status != Ok)
        return status;
    if (standIn.turn != RotateNoneFlipNone)
        decoded = Turned(decoded, standIn.turn);
    if (decoded.isNull())
        return OutOfMemory;
    *out = std::move(decoded);
    return Ok;
}

void PrepareViewCopy(const QString& path, QSize view)
{
    const FileIdentity file = IdentityOf(path);
    {
        const std::lock_guard lock(g_mutex);
        for (const ViewCopy& kept : g_copies) {
            if (kept.file == file)
                return;
        }
    }
    QImage copy;
    QSize storedSize;
    try {
        copy = DecodeForView(path, view, &storedSize);
    } catch (const std::bad_alloc&) {
        return;  // the picture is decoded when it is opened, or fails then
    }
    if (copy.isNull())
        return;
    const std::lock_guard lock(g_mutex);
    g_copies.push_back(ViewCopy{file, storedSize, std::move(copy)});
}

void KeepViewCopiesOf(const QStringList& paths)
{
    QStringList absolute;
    for (const QString& path : paths)
        absolute << QFileInfo(path).absoluteFilePath();
    const std::lock_guard lock(g_mutex);
    std::erase_if(g_copies, [&](const ViewCopy& kept) { return !absolute.contains(kept.file.path); });
}

QImage ViewCopyOf(const QString& path, QSize storedSize)
{
    const FileIdentity file = IdentityOf(path);
    const std::lock_guard lock(g_mutex);
    for (const ViewCopy& kept : g_copies) {
        if (kept.file == file && kept.storedSize == storedSize)
            return kept.copy;
    }
    return QImage();
}

void PrepareStandIn(DecodedContent& content, const QString& path, QSize stored,
                    const PropertySet& properties, QSize view)
{
    if (!path.isEmpty()) {
        if (QImage copy = ViewCopyOf(path, stored); !copy.isNull()) {
            content.giveStandIn(std::move(copy));
            return;
        }
    }
    if (content.wantEmbeddedStandIn(view))
        return;
    content.wantStandInAt(
        EighthsCovering(stored, IsQuarterTurn(properties), view, StandInUse::WaitedFor));
}

GpStatus DecodeFilesAheadForView(const QStringList& filenames, QSize viewSize)
{
    if (viewSize.isEmpty() && !filenames.isEmpty())
        return InvalidParameter;
    try {
        DecodeFilesAhead(filenames, viewSize);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
    return Ok;
}

GpStatus SetPixelsReadyHandler(std::function<void()> handler)
{
    SetReadyHandler(std::move(handler));
    return Ok;
}

GpStatus WaitForDecodeAhead()
{
    WaitUntilDecodedAhead();
    return Ok;
}

GpStatus GetImageShownFromStandIn(GpImage* image, bool* standIn)
{
    if (!image || !standIn)
        return InvalidParameter;
    *standIn = image->showsStandIn();
    return Ok;
}

}  // namespace veltra::imaging
