#include "analysis/trailing_data.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace veltra::analysis {
namespace {

using namespace std::string_view_literals;

struct Signature {
    TrailingDataKind kind;
    qsizetype magicOffset;  // where the magic bytes sit from the file's start
    std::string_view magic;
};

// The first bytes each recognised file starts with. An MP4 or QuickTime file starts with a
// box whose four-byte size comes first, so its type sits four bytes in.
constexpr std::array kSignatures = {
    Signature{TrailingDataKind::Zip, 0, "PK\x03\x04"sv},
    Signature{TrailingDataKind::Zip, 0, "PK\x05\x06"sv},
    Signature{TrailingDataKind::Rar, 0, "Rar!\x1A\x07\x00"sv},
    Signature{TrailingDataKind::Rar, 0, "Rar!\x1A\x07\x01\x00"sv},
    Signature{TrailingDataKind::SevenZip, 0, "7z\xBC\xAF\x27\x1C"sv},
    Signature{TrailingDataKind::Pdf, 0, "%PDF-"sv},
    Signature{TrailingDataKind::Jpeg, 0, "\xFF\xD8\xFF"sv},
    Signature{TrailingDataKind::Mp4, 4, "ftyp"sv},
};

struct KindName {
    TrailingDataKind kind;
    QLatin1StringView name;
};

constexpr std::array kKindNames = {
    KindName{TrailingDataKind::Empty, QLatin1StringView("empty")},
    KindName{TrailingDataKind::Zip, QLatin1StringView("zip")},
    KindName{TrailingDataKind::Rar, QLatin1StringView("rar")},
    KindName{TrailingDataKind::SevenZip, QLatin1StringView("7z")},
    KindName{TrailingDataKind::Pdf, QLatin1StringView("pdf")},
    KindName{TrailingDataKind::Jpeg, QLatin1StringView("jpeg")},
    KindName{TrailingDataKind::Mp4, QLatin1StringView("mp4")},
    KindName{TrailingDataKind::Text, QLatin1StringView("text")},
    KindName{TrailingDataKind::Zeros, QLatin1StringView("zeros")},
    KindName{TrailingDataKind::Unknown, QLatin1StringView("unknown")},
};

constexpr qsizetype kSearchedStarts = 64 * 1024;
constexpr qsizetype kTextSample = 4 * 1024;
constexpr int kTextPrintablePercent = 95;

bool SignatureAt(QByteArrayView bytes, qsizetype start, const Signature& signature)
{
    const qsizetype magicStart = start + signature.magicOffset;
    const auto magicSize = static_cast<qsizetype>(signature.magic.size());
    if (magicStart > bytes.size() || magicSize > bytes.size() - magicStart)
        return false;
    return bytes.sliced(magicStart, magicSize) ==
           QByteArrayView(signature.magic.data(), magicSize);
}

std::optional<TrailingDataKind> SignatureKindAt(QByteArrayView bytes, qsizetype start)
{
    for (const Signature& signature : kSignatures) {
        if (SignatureAt(bytes, start, signature))
            return signature.kind;
    }
    return std::nullopt;
}

bool AllZero(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        if (byte != 0)
            return false;
    }
    return true;
}

bool Printable(char32_t codePoint)
{
    if (codePoint == U'\t' || codePoint == U'\n' || codePoint == U'\f' || codePoint == U'\r')
        return true;
    // The C0 controls, DEL and the C1 controls are what binary data is full of.
    return codePoint >= 0x20 && !(codePoint >= 0x7F && codePoint < 0xA0);
}

// Decodes UTF-8 strictly (no overlong forms, no surrogates, nothing past U+10FFFF) and
// counts printable characters. A sequence cut off by the end of the sample is forgiven,
// since the sample may end in the middle of a character.
bool LooksLikeText(QByteArrayView sample)
{
    qsizetype characters = 0;
    qsizetype printable = 0;
    qsizetype at = 0;
    while (at < sample.size()) {
        const auto lead = static_cast<std::uint8_t>(sample[at]);
        int continuation = 0;
        char32_t codePoint = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            codePoint = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            continuation = 1;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuation = 2;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuation = 3;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (continuation > sample.size() - at - 1)
            break;  // cut off by the end of the sample
        for (int i = 1; i <= continuation; ++i) {
            const auto next = static_cast<std::uint8_t>(sample[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = codePoint << 6 | (next & 0x3F);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        ++characters;
        if (Printable(codePoint))
            ++printable;
        at += 1 + continuation;
    }
    return characters > 0 && printable * 100 >= characters * kTextPrintablePercent;
}

}  // namespace

QLatin1StringView TrailingDataKindName(TrailingDataKind kind)
{
    for (const KindName& named : kKindNames) {
        if (named.kind == kind)
            return named.name;
    }
    return QLatin1StringView("unknown");
}

TrailingDataKind ClassifyTrailingData(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return TrailingDataKind::Empty;
    if (const std::optional<TrailingDataKind> kind = SignatureKindAt(bytes, 0))
        return *kind;
    if (AllZero(bytes))
        return TrailingDataKind::Zeros;
    if (LooksLikeText(bytes.first(qMin(bytes.size(), kTextSample))))
        return TrailingDataKind::Text;
    return TrailingDataKind::Unknown;
}

std::optional<EmbeddedSignature> FindEmbeddedSignature(QByteArrayView bytes)
{
    const qsizetype lastStart = qMin(bytes.size(), kSearchedStarts);
    for (qsizetype start = 0; start < lastStart; ++start) {
        if (const std::optional<TrailingDataKind> kind = SignatureKindAt(bytes, start))
            return EmbeddedSignature{start, *kind};
    }
    return std::nullopt;
}

}  // namespace veltra::analysis
