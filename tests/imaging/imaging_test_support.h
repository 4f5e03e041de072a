#pragma once

// Small helpers shared by the imaging tests: where the fixtures are, loading one through the
// service, readable names for identifiers in failure messages, and colour comparison.

#include "formats/format_registry.h"
#include "imaging/gdiplus.h"
#include "imaging/image_for_testing.h"
#include "imaging/image_handles.h"
#include "service/gp_image.h"

#include <QColor>
#include <QFile>
#include <QString>
#include <QUuid>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

namespace veltra::imaging {

// gtest prints these in failure messages; the names beat sixteen hex bytes.
inline std::string RawFormatName(const GUID& format)
{
    struct Named {
        GUID guid;
        const char* name;
    };
    static const Named kNames[] = {
        {ImageFormatUndefined, "ImageFormatUndefined"}, {ImageFormatMemoryBMP, "ImageFormatMemoryBMP"},
        {ImageFormatBMP, "ImageFormatBMP"},             {ImageFormatEMF, "ImageFormatEMF"},
        {ImageFormatWMF, "ImageFormatWMF"},             {ImageFormatJPEG, "ImageFormatJPEG"},
        {ImageFormatPNG, "ImageFormatPNG"},             {ImageFormatGIF, "ImageFormatGIF"},
        {ImageFormatTIFF, "ImageFormatTIFF"},           {ImageFormatEXIF, "ImageFormatEXIF"},
        {ImageFormatIcon, "ImageFormatIcon"},           {ImageFormatOtherDecoded, "ImageFormatOtherDecoded"},
    };
    for (const Named& named : kNames) {
        if (named.guid == format)
            return named.name;
    }
    return "unnamed format";
}

inline void PrintTo(const GUID& format, std::ostream* os)
{
    *os << RawFormatName(format);
}

}  // namespace veltra::imaging

namespace veltra::imaging::test_support {

// The encoder's quality, given as the callers give it.
class QualityParameters {
public:
    explicit QualityParameters(std::uint32_t quality) : m_quality(quality)
    {
        m_parameters.Count = 1;
        m_parameters.Parameter[0].Guid = EncoderQuality;
        m_parameters.Parameter[0].NumberOfValues = 1;
        m_parameters.Parameter[0].Type = EncoderParameterValueTypeLong;
        m_parameters.Parameter[0].Value = &m_quality;
    }
    QualityParameters(const QualityParameters&) = delete;
    QualityParameters& operator=(const QualityParameters&) = delete;

    const EncoderParameters* get() const { return &m_parameters; }

private:
    std::uint32_t m_quality;
    EncoderParameters m_parameters;
};

// The items a format's reader lists for the bytes, read as that format whatever they are.
inline PropertyRecords ItemsOf(QByteArrayView file, FileFormat format)
{
    for (const FormatReader* reader : FormatReaders()) {
        if (reader->format == format)
            return reader->read(file).properties.records();
    }
    return {};
}

// An identifier written as the platform's documentation writes it.
inline GUID GuidFromText(const char* text)
{
    const QUuid uuid(QString::fromLatin1(text));
    GUID guid;
    guid.Data1 = uuid.data1;
    guid.Data2 = uuid.data2;
    guid.Data3 = uuid.data3;
    for (int i = 0; i < 8; ++i)
        guid.Data4[static_cast<std::size_t>(i)] = uuid.data4[i];
    return guid;
}

inline QString FixturePath(const char* name)
{
    return QStringLiteral(VELTRA_FIXTURES_DIR "/") + QString::fromUtf8(name);
}

inline QByteArray ReadFixture(const char* name)
{
    QFile file(FixturePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Loaded {
    GpStatus status = GenericError;
    ImagePtr image;
};

inline Loaded LoadFile(const QString& path)
{
    GpBitmap* bitmap = nullptr;
    Loaded loaded;
    loaded.status = GdipCreateBitmapFromFile(path, &bitmap);
    loaded.image.reset(bitmap);
    return loaded;
}

inline Loaded LoadFixture(const char* name)
{
    return LoadFile(FixturePath(name));
}

// A test row's name from a file name: letters and digits kept, everything else an underscore.
inline std::string RowName(const char* text)
{
    std::string name;
    for (const char* p = text; *p; ++p) {
        const char c = *p;
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        name += keep ? c : '_';
    }
    return name;
}

// Each channel within `tolerance`; a colour meant to be fully transparent only needs alpha 0,
// since a transparent pixel has no colour worth comparing.
inline ::testing::AssertionResult ColourNear(QRgb actual, QRgb expected, int tolerance)
{
    const auto describe = [](QRgb c) {
        return "(" + std::to_string(qRed(c)) + ", " + std::to_string(qGreen(c)) + ", " +
               std::to_string(qBlue(c)) + ", alpha " + std::to_string(qAlpha(c)) + ")";
    };
    bool near = false;
    if (qAlpha(expected) == 0) {
        near = qAlpha(actual) == 0;
    } else {
        near = std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
               std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
               std::abs(qBlue(actual) - qBlue(expected)) <= tolerance &&
               std::abs(qAlpha(actual) - qAlpha(expected)) <= tolerance;
    }
    if (near)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour " << describe(actual) << ", expected "
                                         << describe(expected) << " within " << tolerance;
}

// The picture's size through the service's queries.
struct Size {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Size& s)
    {
        return os << s.width << " x " << s.height;
    }
};

inline Size QuerySize(GpImage* image)
{
    Size size;
    EXPECT_EQ(GdipGetImageWidth(image, &size.width), Ok);
    EXPECT_EQ(GdipGetImageHeight(image, &size.height), Ok);
    return size;
}

inline GUID QueryRawFormat(GpImage* image)
{
    GUID format;
    EXPECT_EQ(GdipGetImageRawFormat(image, &format), Ok);
    return format;
}

inline PixelFormat QueryPixelFormat(GpImage* image)
{
    PixelFormat format = PixelFormatUndefined;
    EXPECT_EQ(GdipGetImagePixelFormat(image, &format), Ok);
    return format;
}

// A bitmap made in memory (32bppARGB, transparent) of the given size, and a drawing context on
// it. Both are released by their holders.
struct Surface {
    ImagePtr bitmap;
    GraphicsPtr graphics;
};

inline Surface MakeSurface(int width, int height)
{
    Surface surface;
    GpBitmap* bitmap = nullptr;
    EXPECT_EQ(GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    surface.bitmap.reset(bitmap);
    if (!bitmap)
        return surface;
    GpGraphics* graphics = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &graphics), Ok);
    surface.graphics.reset(graphics);
    return surface;
}

// What the picture looks like when drawn at natural size onto a transparent surface: the
// way every caller sees a picture, whatever format Qt decoded it into.
inline QImage DrawnOnSurface(GpImage* image)
{
    const Size size = QuerySize(image);
    Surface surface = MakeSurface(static_cast<int>(size.width), static_cast<int>(size.height));
    if (!surface.graphics)
        return QImage();
    EXPECT_EQ(GdipDrawImageI(surface.graphics.get(), image, 0, 0), Ok);
    surface.graphics.reset();  // ends the painter before the pixels are read
    return PixelsForTesting(surface.bitmap.get()).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace veltra::imaging::test_support
