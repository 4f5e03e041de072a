#include "icc_profile.h"

#include "big_endian.h"

namespace veltra::analysis {

namespace {

constexpr qsizetype kHeaderSize = 128;
constexpr qsizetype kTagEntrySize = 12;
// A description longer than this is a damaged or hostile profile; its start is enough.
constexpr qsizetype kMaxDescription = 1024;

QString AsciiDescription(QByteArrayView tag)
{
    // 'desc', reserved (4), count (4) including the NUL, the text.
    if (tag.size() < 12)
        return {};
    const qsizetype count = std::min<qsizetype>(ReadBig32(tag, 8), tag.size() - 12);
    QByteArrayView text = tag.sliced(12, std::min(count, kMaxDescription));
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text = text.first(nul);
    return QString::fromLatin1(text).trimmed();
}

QString MultiLocalisedDescription(QByteArrayView tag)
{
    // 'mluc', reserved (4), record count (4), record size (4), then records of language (2),
    // country (2), length (4) and offset (4) from the tag's start; UTF-16BE text.
    if (tag.size() < 28 || ReadBig32(tag, 8) == 0)
        return {};
    const std::uint32_t length = ReadBig32(tag, 20);
    const std::uint32_t offset = ReadBig32(tag, 24);
    if (offset > std::uint64_t(tag.size()) || length > std::uint64_t(tag.size()) - offset)
        return {};
    const QByteArrayView text = tag.sliced(offset, std::min<qsizetype>(length, 2 * kMaxDescription));
    QString description;
    for (qsizetype at = 0; at + 1 < text.size(); at += 2)
        description += QChar(ReadBig16(text, at));
    return description.trimmed();
}

}  // namespace

std::optional<IccSummary> ReadIccSummary(QByteArrayView profile)
{
    if (profile.size() < kHeaderSize + 4 || profile.sliced(36, 4) != "acsp")
        return std::nullopt;
    IccSummary summary;
    summary.colourSpace = QString::fromLatin1(profile.sliced(16, 4)).trimmed();
    const std::uint32_t tagCount = ReadBig32(profile, kHeaderSize);
    for (std::uint32_t index = 0; index < tagCount; ++index) {
        const qsizetype entry = kHeaderSize + 4 + qsizetype(index) * kTagEntrySize;
        if (entry + kTagEntrySize > profile.size())
            break;
        if (profile.sliced(entry, 4) != "desc")
            continue;
        const std::uint32_t offset = ReadBig32(profile, entry + 4);
        const std::uint32_t size = ReadBig32(profile, entry + 8);
        if (offset > std::uint64_t(profile.size()) || size > std::uint64_t(profile.size()) - offset)
            break;
        const QByteArrayView tag = profile.sliced(offset, size);
        if (tag.startsWith("desc"))
            summary.description = AsciiDescription(tag);
        else if (tag.startsWith("mluc"))
            summary.description = MultiLocalisedDescription(tag);
        break;
    }
    return summary;
}

}  // namespace veltra::analysis
