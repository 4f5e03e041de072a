#include "info/property_list.h"

#include "imaging/gdiplus.h"
#include "info/tag_names.h"
#include "info/value_format.h"

#include <new>
#include <vector>

namespace veltra::info {

namespace {

constexpr std::align_val_t kItemAlignment{alignof(imaging::PropertyItem)};

}  // namespace

PropertyItemBuffer::PropertyItemBuffer(std::uint32_t size)
    : m_bytes(static_cast<std::byte*>(::operator new(size, kItemAlignment))), m_size(size)
{
}

void PropertyItemBuffer::AlignedDelete::operator()(std::byte* bytes) const noexcept
{
    ::operator delete(bytes, kItemAlignment);
}

std::optional<PropertyItemBuffer> ReadPropertyItem(imaging::GpImage* image, imaging::PROPID id)
{
    std::uint32_t size = 0;
    if (imaging::GdipGetPropertyItemSize(image, id, &size) != imaging::Ok || size == 0)
        return std::nullopt;
    // A size that cannot even hold the record would let the read write past the buffer.
    if (size < sizeof(imaging::PropertyItem))
        return std::nullopt;
    PropertyItemBuffer buffer(size);
    if (imaging::GdipGetPropertyItem(image, id, size, buffer.item()) != imaging::Ok)
        return std::nullopt;
    return buffer;
}

void ForEachPropertyItem(imaging::GpImage* image,
                         const std::function<void(const imaging::PropertyItem&)>& visit)
{
    std::uint32_t count = 0;
    if (imaging::GdipGetPropertyCount(image, &count) != imaging::Ok || count == 0)
        return;
    std::vector<imaging::PROPID> ids(count);
    if (imaging::GdipGetPropertyIdList(image, count, ids.data()) != imaging::Ok)
        return;
    for (const imaging::PROPID id : ids) {
        // One item buffer at a time, released before the next id is read.
        const std::optional<PropertyItemBuffer> buffer = ReadPropertyItem(image, id);
        if (buffer)
            visit(*buffer->item());
    }
}

void AppendPropertyLine(QString& text, const QString& name, const QString& value)
{
    text += u' ' + name + u':' + value + u'\n';
}

void GetPropertyList(imaging::GpImage* image, QString& text)
{
    QString name;
    QString value;
    ForEachPropertyItem(image, [&](const imaging::PropertyItem& item) {
        name.clear();
        value.clear();
        GetPropertyTagName(item, name);
        FormatPropertyValue(&item, value);
        AppendPropertyLine(text, name, value);
    });
}

}  // namespace veltra::info
