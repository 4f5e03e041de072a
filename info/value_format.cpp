#include "info/value_format.h"

#include "item_bytes.h"
#include "info/metadata_text.h"

#include <cstdint>

namespace veltra::info {

namespace {

using imaging::PropertyItem;

// A long numeric value (a thumbnail, a quantisation table) would flood the report, so only
// its first elements are shown and the rest is marked.
constexpr qsizetype kMaxShownElements = 16;

enum class ElementKind {
    UnsignedByte,
    SignedShort,
    UnsignedLong,
    SignedLong,
    UnsignedRational,
    SignedRational,
};

struct ElementRule {
    ElementKind kind;
    qsizetype size;
};

// SHORT is read signed on purpose: the report has always shown 0xFFFF as -1. Types without a
// rule of their own (SBYTE, SSHORT, FLOAT, DOUBLE and anything unknown) are shown byte by
// byte, whatever their element size, so no value is ever hidden.
ElementRule RuleFor(std::uint16_t type)
{
    switch (type) {
    case imaging::PropertyTagTypeShort:
        return {ElementKind::SignedShort, 2};
    case imaging::PropertyTagTypeLong:
        return {ElementKind::UnsignedLong, 4};
    case imaging::PropertyTagTypeRational:
        return {ElementKind::UnsignedRational, 8};
    case imaging::PropertyTagTypeSLONG:
        return {ElementKind::SignedLong, 4};
    case imaging::PropertyTagTypeSRational:
        return {ElementKind::SignedRational, 8};
    default:
        return {ElementKind::UnsignedByte, 1};
    }
}

QString ElementText(ElementKind kind, QByteArrayView bytes, qsizetype at)
{
    switch (kind) {
    case ElementKind::UnsignedByte:
        return QString::number(ByteAt(bytes, at));
    case ElementKind::SignedShort:
        return QString::number(static_cast<std::int16_t>(Little16At(bytes, at)));
    case ElementKind::UnsignedLong:
        return QString::number(Little32At(bytes, at));
    case ElementKind::SignedLong:
        return QString::number(static_cast<std::int32_t>(Little32At(bytes, at)));
    case ElementKind::UnsignedRational:
        // Numerator and denominator as stored: never reduced, never divided.
        return QString::number(Little32At(bytes, at)) + u'/'
            + QString::number(Little32At(bytes, at + 4));
    case ElementKind::SignedRational:
        return QString::number(static_cast<std::int32_t>(Little32At(bytes, at))) + u'/'
            + QString::number(static_cast<std::int32_t>(Little32At(bytes, at + 4)));
    }
    return {};
}

void AppendNumbers(QByteArrayView bytes, std::uint16_t type, QString& out)
{
    const ElementRule rule = RuleFor(type);
    const qsizetype count = bytes.size() / rule.size;  // a partial last element is ignored
    const qsizetype shown = count < kMaxShownElements ? count : kMaxShownElements;
    for (qsizetype index = 0; index < shown; ++index) {
        if (index > 0)
            out += u',';
        out += ElementText(rule.kind, bytes, index * rule.size);
    }
    if (count > kMaxShownElements)
        out += QStringLiteral("...");
}

}  // namespace

void FormatPropertyValue(const PropertyItem* item, QString& out)
{
    if (item == nullptr || item->length == 0 || item->value == nullptr)
        return;
    // The value bytes lie in the caller's buffer right after the record.
    const QByteArrayView bytes(static_cast<const char*>(item->value), qsizetype{item->length});

    if (item->type == imaging::PropertyTagTypeASCII) {
        // The whole value is decoded and the text then ends at the first NUL: the terminator
        // that writers count in the length never shows, and of several NUL-separated strings
        // only the first does.
        QString text = DecodeMetadataText(bytes);
        const qsizetype end = text.indexOf(QChar(u'\0'));
        if (end >= 0)
            text.truncate(end);
        out = text;
        return;
    }

    AppendNumbers(bytes, item->type, out);
}

}  // namespace veltra::info
