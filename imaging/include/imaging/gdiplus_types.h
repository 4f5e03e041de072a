#pragma once

// The vocabulary of the imaging service: statuses, identifiers, pixel formats, property items
// and the small value types the drawing calls take. Values follow the GDI+ flat interface so
// that the report's tables (format identifiers, pixel-format values, tag types) compare with
// the numbers that real files and documentation use.

#include <array>
#include <cstdint>

namespace veltra::imaging {

enum GpStatus : int {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

using PROPID = std::uint32_t;
using ARGB = std::uint32_t;
using REAL = float;
using PixelFormat = std::uint32_t;

// A 16-byte identifier laid out as the platform's GUID: compared in full.
struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using CLSID = GUID;

// The image-format identifiers differ only in their first field.
constexpr GUID MakeImageFormatGuid(std::uint32_t first)
{
    return GUID{first, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
}

inline constexpr GUID ImageFormatUndefined = MakeImageFormatGuid(0xB96B3CA9);
inline constexpr GUID ImageFormatMemoryBMP = MakeImageFormatGuid(0xB96B3CAA);
inline constexpr GUID ImageFormatBMP = MakeImageFormatGuid(0xB96B3CAB);
inline constexpr GUID ImageFormatEMF = MakeImageFormatGuid(0xB96B3CAC);
inline constexpr GUID ImageFormatWMF = MakeImageFormatGuid(0xB96B3CAD);
inline constexpr GUID ImageFormatJPEG = MakeImageFormatGuid(0xB96B3CAE);
inline constexpr GUID ImageFormatPNG = MakeImageFormatGuid(0xB96B3CAF);
inline constexpr GUID ImageFormatGIF = MakeImageFormatGuid(0xB96B3CB0);
inline constexpr GUID ImageFormatTIFF = MakeImageFormatGuid(0xB96B3CB1);
inline constexpr GUID ImageFormatEXIF = MakeImageFormatGuid(0xB96B3CB2);
inline constexpr GUID ImageFormatPhotoCD = MakeImageFormatGuid(0xB96B3CB3);
inline constexpr GUID ImageFormatFlashPIX = MakeImageFormatGuid(0xB96B3CB4);
inline constexpr GUID ImageFormatIcon = MakeImageFormatGuid(0xB96B3CB5);

// Pictures that Qt decodes but that have no identifier of their own (WebP, TGA, PNM, ...).
// Deliberately outside the family above so that no table row matches it.
inline constexpr GUID ImageFormatOtherDecoded =
    GUID{0x5645C701, 0x7E1A, 0x4C8B, {0x9A, 0x10, 0x56, 0x45, 0x4C, 0x54, 0x52, 0x41}};

// The JPEG encoder's class identifier and the quality parameter's identifier.
inline constexpr CLSID JpegEncoderClsid =
    GUID{0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID EncoderQuality =
    GUID{0x1D5BE4B5, 0xFA4A, 0x452D, {0x9C, 0xDD, 0x5D, 0xB3, 0x51, 0x05, 0xE7, 0xEB}};

inline constexpr PixelFormat PixelFormatIndexed = 0x00010000;
inline constexpr PixelFormat PixelFormatGDI = 0x00020000;
inline constexpr PixelFormat PixelFormatAlpha = 0x00040000;
inline constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
inline constexpr PixelFormat PixelFormatExtended = 0x00100000;
inline constexpr PixelFormat PixelFormatCanonical = 0x00200000;
inline constexpr PixelFormat PixelFormatUndefined = 0x00000000;
inline constexpr PixelFormat PixelFormat1bppIndexed = 0x00030101;
inline constexpr PixelFormat PixelFormat4bppIndexed = 0x00030402;
inline constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;
inline constexpr PixelFormat PixelFormat16bppGrayScale = 0x00101004;
inline constexpr PixelFormat PixelFormat16bppRGB555 = 0x00021005;
inline constexpr PixelFormat PixelFormat16bppRGB565 = 0x00021006;
inline constexpr PixelFormat PixelFormat16bppARGB1555 = 0x00061007;
inline constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
inline constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
inline constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
inline constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
inline constexpr PixelFormat PixelFormat48bppRGB = 0x0010300C;
inline constexpr PixelFormat PixelFormat64bppARGB = 0x0034400D;
inline constexpr PixelFormat PixelFormat64bppPARGB = 0x001C400E;
inline constexpr PixelFormat PixelFormat32bppCMYK = 0x0000200F;

enum RotateFlipType : int {
    RotateNoneFlipNone = 0,
    Rotate90FlipNone = 1,
    Rotate180FlipNone = 2,
    Rotate270FlipNone = 3,
    RotateNoneFlipX = 4,
    Rotate90FlipX = 5,
    Rotate180FlipX = 6,
    Rotate270FlipX = 7,
};

enum GpUnit : int { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2 };

enum GpWrapMode : int { WrapModeTile = 0 };

// The TIFF field types, as an item's value is stored. 13 (IFD) is an offset to a directory:
// such an entry leads somewhere but is never an item itself.
enum class TiffType : std::uint16_t {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    Rational = 5,
    SByte = 6,
    Undefined = 7,
    SShort = 8,
    SLong = 9,
    SRational = 10,
    Float = 11,
    Double = 12,
    Ifd = 13,
};

// Bytes per element of a stored type number; 0 for a number that is no TIFF type.
constexpr std::uint32_t TiffTypeElementSize(std::uint16_t type)
{
    switch (static_cast<TiffType>(type)) {
    case TiffType::Byte:
    case TiffType::Ascii:
    case TiffType::SByte:
    case TiffType::Undefined:
        return 1;
    case TiffType::Short:
    case TiffType::SShort:
        return 2;
    case TiffType::Long:
    case TiffType::SLong:
    case TiffType::Float:
    case TiffType::Ifd:
        return 4;
    case TiffType::Rational:
    case TiffType::SRational:
    case TiffType::Double:
        return 8;
    }
    return 0;
}

// An item may have the types 1 to 12; anything else is not listed.
constexpr bool IsItemType(std::uint16_t type)
{
    return type >= static_cast<std::uint16_t>(TiffType::Byte) &&
           type <= static_cast<std::uint16_t>(TiffType::Double);
}

// The platform's names for the types an item's `type` field holds.
inline constexpr std::uint16_t PropertyTagTypeByte = static_cast<std::uint16_t>(TiffType::Byte);
inline constexpr std::uint16_t PropertyTagTypeASCII = static_cast<std::uint16_t>(TiffType::Ascii);
inline constexpr std::uint16_t PropertyTagTypeShort = static_cast<std::uint16_t>(TiffType::Short);
inline constexpr std::uint16_t PropertyTagTypeLong = static_cast<std::uint16_t>(TiffType::Long);
inline constexpr std::uint16_t PropertyTagTypeRational =
    static_cast<std::uint16_t>(TiffType::Rational);
inline constexpr std::uint16_t PropertyTagTypeUndefined =
    static_cast<std::uint16_t>(TiffType::Undefined);
inline constexpr std::uint16_t PropertyTagTypeSLONG = static_cast<std::uint16_t>(TiffType::SLong);
inline constexpr std::uint16_t PropertyTagTypeSRational =
    static_cast<std::uint16_t>(TiffType::SRational);

// One metadata entry. A caller's buffer holds this record followed by the value bytes, and
// `value` points at those bytes inside the same buffer; values are little-endian.
struct PropertyItem {
    PROPID id = 0;
    std::uint32_t length = 0;
    std::uint16_t type = 0;
    void* value = nullptr;
};

struct EncoderParameter {
    GUID Guid;
    std::uint32_t NumberOfValues = 0;
    std::uint32_t Type = 0;
    void* Value = nullptr;
};
inline constexpr std::uint32_t EncoderParameterValueTypeLong = 4;

struct EncoderParameters {
    std::uint32_t Count = 0;
    EncoderParameter Parameter[1];
};

struct GdiplusStartupInput {
    std::uint32_t GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    bool SuppressBackgroundThread = false;
    bool SuppressExternalCodecs = false;
};

}  // namespace veltra::imaging
