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

void GetPropertyList(imaging::GpImage* image, QString& text)
{
    std::uint32_t count = 0;
    if (imaging::GdipGetPropertyCount(image, &count) != imaging::Ok || count == 0)
        return;
    std::vector<imaging::PROPID> ids(count);
    if (imaging::GdipGetPropertyIdList(image, count, ids.data()) != imaging::Ok)
        return;

    QString name;
    QString value;
    for (const imaging::PROPID id : ids) {
        // One item buffer at a time, released before the next id is read.
        const std::optional<PropertyItemBuffer> buffer = ReadPropertyItem(image, id);
        if (!buffer)
            continue;
        name.clear();
        value.clear();
        GetPropertyTagName(*buffer->item(), name);
        FormatPropertyValue(buffer->item(), value);
        // Name and value go in as they are: a line break inside a text value breaks the
        // report line there, as it always has.
        text += u' ' + name + u':' + value + u'\n';
    }
}

}  // namespace veltra::info
