// The property list over pictures built with chosen property records.

#include "info/property_list.h"

#include "imaging/image_for_testing.h"
#include "support/item_values.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace veltra::info {
namespace {

using imaging::GpImage;
using imaging::ImagePtr;
using imaging::PropertyRecord;
using imaging::TiffType;

using test::Longs;
using test::Shorts;

ImagePtr PictureWith(imaging::PropertyRecords properties)
{
    return imaging::MakeImageForTesting(QImage(4, 3, QImage::Format_ARGB32),
                                        {.properties = std::move(properties)});
}

QString ListOf(GpImage* image, const QString& before = {})
{
    QString text = before;
    GetPropertyList(image, text);
    return text;
}

TEST(PropertyListTest, PictureWithoutPropertiesAppendsNothing)
{
    const ImagePtr image = PictureWith({});
    EXPECT_EQ(ListOf(image.get()), QString());
    EXPECT_EQ(ListOf(image.get(), QStringLiteral("kept")), QStringLiteral("kept"));
}

TEST(PropertyListTest, ListsEveryItemInTheServiceOrder)
{
    // Deliberately not in id order: the list keeps the order the picture holds them in.
    const ImagePtr image = PictureWith({
        PropertyRecord{0xA001, TiffType::Short, Shorts({0xFFFF})},
        PropertyRecord{0x0112, TiffType::Short, Shorts({6})},
        PropertyRecord{0x9999, TiffType::Long, Longs({7})},
        PropertyRecord{0x010F, TiffType::Ascii, QByteArray("Canon", 6)},
        PropertyRecord{0x011A, TiffType::Rational, Longs({72, 1})},
        PropertyRecord{0x0000, TiffType::Byte, QByteArray("\x02\x02\x00\x00", 4)},
    });
    EXPECT_EQ(ListOf(image.get()),
              QStringLiteral(" ExifColorSpace:-1\n"
                             " Orientation:6\n"
                             " 39321:7\n"
                             " EquipMake:Canon\n"
                             " XResolution:72/1\n"
                             " GpsVer:2,2,0,0\n"));
}

TEST(PropertyListTest, AppendsAfterWhatTheCallerHolds)
{
    const ImagePtr image = PictureWith({PropertyRecord{0x0112, TiffType::Short, Shorts({1})}});
    EXPECT_EQ(ListOf(image.get(), QStringLiteral("head")), QStringLiteral("head Orientation:1\n"));
}

TEST(PropertyListTest, EmptyValueTextStillGivesALine)
{
    // A rational too short for one element, and a value with no bytes at all.
    const ImagePtr image = PictureWith({
        PropertyRecord{0x011A, TiffType::Rational, Longs({72}).left(4)},
        PropertyRecord{0x0131, TiffType::Ascii, QByteArray()},
    });
    EXPECT_EQ(ListOf(image.get()), QStringLiteral(" XResolution:\n SoftwareUsed:\n"));
}

TEST(PropertyListTest, LineBreakInsideATextIsNotEscaped)
{
    const ImagePtr image = PictureWith({
        PropertyRecord{0x010E, TiffType::Ascii, QByteArray("one\ntwo", 8)},
        PropertyRecord{0x013B, TiffType::Ascii, QByteArray("a:b", 4)},
    });
    EXPECT_EQ(ListOf(image.get()), QStringLiteral(" ImageDescription:one\ntwo\n Artist:a:b\n"));
}

TEST(PropertyListTest, LongValuesAreCutButEveryItemIsListed)
{
    const ImagePtr image = PictureWith({
        PropertyRecord{0x5090, TiffType::Short, QByteArray(128, '\x01')},
        PropertyRecord{0x0112, TiffType::Short, Shorts({8})},
    });
    EXPECT_EQ(ListOf(image.get()),
              QStringLiteral(" LuminanceTable:257,257,257,257,257,257,257,257,257,257,257,257,"
                             "257,257,257,257...\n"
                             " Orientation:8\n"));
}

TEST(ReadPropertyItemTest, GivesTheItemWithItsValueInsideTheBuffer)
{
    const ImagePtr image = PictureWith({
        PropertyRecord{0x0112, TiffType::Short, Shorts({6})},
        PropertyRecord{0x010F, TiffType::Ascii, QByteArray("Nikon", 6)},
    });
    const std::optional<PropertyItemBuffer> buffer = ReadPropertyItem(image.get(), 0x010F);
    ASSERT_TRUE(buffer.has_value());
    const imaging::PropertyItem* item = buffer->item();
    EXPECT_EQ(item->id, 0x010Fu);
    EXPECT_EQ(item->type, 2);
    ASSERT_EQ(item->length, 6u);
    EXPECT_EQ(buffer->size(), sizeof(imaging::PropertyItem) + 6);
    EXPECT_EQ(std::memcmp(item->value, "Nikon", 6), 0);
    // The value lives inside the same buffer, right after the record.
    const auto* begin = reinterpret_cast<const char*>(item);
    const auto* value = static_cast<const char*>(item->value);
    EXPECT_GE(value, begin + sizeof(imaging::PropertyItem));
    EXPECT_LE(value + item->length, begin + buffer->size());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(item) % alignof(imaging::PropertyItem), 0u);
}

TEST(ReadPropertyItemTest, MissingPropertyGivesNothing)
{
    const ImagePtr image = PictureWith({PropertyRecord{0x0112, TiffType::Short, Shorts({6})}});
    EXPECT_FALSE(ReadPropertyItem(image.get(), 0xA001).has_value());
    EXPECT_FALSE(ReadPropertyItem(image.get(), 0x00010112).has_value());
}

}  // namespace
}  // namespace veltra::info
