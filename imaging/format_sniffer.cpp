#include "imaging/format_sniffer.h"

#include "imaging/byte_order.h"

#include <array>

namespace veltra::imaging {
namespace {

bool StartsWith(QByteArrayView head, QByteArrayView signature)
{
    return head.size() >= signature.size() && head.first(signature.size()) == signature;
}

// "BM" alone is two printable letters; a real header also has a known info-header size and
// a pixel offset that lies after the headers.
bool IsPlausibleBmp(QByteArrayView head)
{
    if (!StartsWith(head, "BM") || head.size() < 18)
        return false;
    const std::uint32_t pixelOffset = ReadLittle32(head, 10);
    const std::uint32_t infoSize = ReadLittle32(head, 14);
    constexpr std::array knownInfoSizes{12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u};
    bool known = false;
    for (std::uint32_t size : knownInfoSizes)
        known = known || size == infoSize;
    return known && pixelOffset >= 14 + infoSize;
}

// 00 00 01 00 is also the start of many unrelated files; the directory that follows must
// name at least one image with a sane colour-plane and bit-depth entry.
bool IsPlausibleIcon(QByteArrayView head)
{
    if (!StartsWith(head, QByteArrayView("\x00\x00\x01\x00", 4)) || head.size() < 22)
        return false;
    const std::uint16_t count = ReadLittle16(head, 4);
    const std::uint8_t reserved = static_cast<std::uint8_t>(head[6 + 3]);
    const std::uint16_t planes = ReadLittle16(head, 6 + 4);
    const std::uint16_t bitCount = ReadLittle16(head, 6 + 6);
    const std::uint32_t bytesInRes = ReadLittle32(head, 6 + 8);
    const bool saneBits = bitCount == 0 || bitCount == 1 || bitCount == 4 || bitCount == 8 ||
                          bitCount == 16 || bitCount == 24 || bitCount == 32;
    return count >= 1 && reserved == 0 && planes <= 1 && saneBits && bytesInRes > 0;
}

bool IsEmf(QByteArrayView head)
{
    return head.size() >= 44 && ReadLittle32(head, 0) == 1 && head.sliced(40, 4) == " EMF";
}

bool IsWmf(QByteArrayView head)
{
    if (StartsWith(head, QByteArrayView("\xD7\xCD\xC6\x9A", 4)))
        return true;
    if (head.size() < 6)
        return false;
    const std::uint16_t type = ReadLittle16(head, 0);
    const std::uint16_t headerWords = ReadLittle16(head, 2);
    const std::uint16_t version = ReadLittle16(head, 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

bool IsWebP(QByteArrayView head)
{
    return head.size() >= 12 && StartsWith(head, "RIFF") && head.sliced(8, 4) == "WEBP";
}

struct SignatureRule {
    FileFormat format;
    bool (*matches)(QByteArrayView head);
};

// Walked from the top; the first rule that matches decides.
constexpr std::array kSignatureRules{
    SignatureRule{FileFormat::Png,
                  [](QByteArrayView h) { return StartsWith(h, "\x89PNG\r\n\x1A\n"); }},
    SignatureRule{FileFormat::Jpeg,
                  [](QByteArrayView h) { return StartsWith(h, "\xFF\xD8\xFF"); }},
    SignatureRule{FileFormat::Gif,
                  [](QByteArrayView h) { return StartsWith(h, "GIF87a") || StartsWith(h, "GIF89a"); }},
    SignatureRule{FileFormat::Bmp, IsPlausibleBmp},
    SignatureRule{FileFormat::Tiff,
                  [](QByteArrayView h) {
                      return StartsWith(h, QByteArrayView("II\x2A\x00", 4)) ||
                             StartsWith(h, QByteArrayView("MM\x00\x2A", 4));
                  }},
    SignatureRule{FileFormat::Icon, IsPlausibleIcon},
    SignatureRule{FileFormat::Emf, IsEmf},
    SignatureRule{FileFormat::Wmf, IsWmf},
    SignatureRule{FileFormat::WebP, IsWebP},
};

}  // namespace

FileFormat SniffFileFormat(QByteArrayView head)
{
    for (const SignatureRule& rule : kSignatureRules) {
        if (rule.matches(head))
            return rule.format;
    }
    return FileFormat::Unknown;
}

GUID RawFormatOf(FileFormat format)
{
    switch (format) {
    case FileFormat::Png: return ImageFormatPNG;
    case FileFormat::Jpeg: return ImageFormatJPEG;
    case FileFormat::Gif: return ImageFormatGIF;
    case FileFormat::Bmp: return ImageFormatBMP;
    case FileFormat::Tiff: return ImageFormatTIFF;
    case FileFormat::Icon: return ImageFormatIcon;
    case FileFormat::Emf: return ImageFormatEMF;
    case FileFormat::Wmf: return ImageFormatWMF;
    case FileFormat::WebP:
    case FileFormat::Unknown: break;
    }
    return ImageFormatOtherDecoded;
}

}  // namespace veltra::imaging
