// The four metadata operations: count, id list, item size and item. An item is handed out
// as a PropertyItem record with its value bytes right behind it in the caller's buffer.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"

#include <cstring>

namespace veltra::imaging {
namespace {

std::uint64_t ItemSize(const PropertyRecord& record)
{
    return sizeof(PropertyItem) + static_cast<std::uint64_t>(record.value.size());
}

}  // namespace

GpStatus GdipGetPropertyCount(GpImage* image, std::uint32_t* numOfProperty)
{
    if (!image || !numOfProperty)
        return InvalidParameter;
    *numOfProperty = static_cast<std::uint32_t>(image->properties().records().size());
    return Ok;
}

GpStatus GdipGetPropertyIdList(GpImage* image, std::uint32_t numOfProperty, PROPID* list)
{
    if (!image || !list)
        return InvalidParameter;
    const PropertyRecords& records = image->properties().records();
    if (numOfProperty != records.size())
        return InvalidParameter;
    for (std::size_t i = 0; i < records.size(); ++i)
        list[i] = records[i].id;
    return Ok;
}

GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID propId, std::uint32_t* size)
{
    if (!image || !size)
        return InvalidParameter;
    const PropertyRecord* record = image->properties().find(propId);
    if (!record) {
        *size = 0;
        return PropertyNotFound;
    }
    const std::uint64_t itemSize = ItemSize(*record);
    if (itemSize > UINT32_MAX)
        return ValueOverflow;
    *size = static_cast<std::uint32_t>(itemSize);
    return Ok;
}

GpStatus GdipGetPropertyItem(GpImage* image, PROPID propId, std::uint32_t propSize,
                             PropertyItem* buffer)
{
    if (!image || !buffer)
        return InvalidParameter;
    const PropertyRecord* record = image->properties().find(propId);
    if (!record)
        return PropertyNotFound;
    if (propSize != ItemSize(*record))
        return InvalidParameter;
    auto* valueBytes = reinterpret_cast<std::uint8_t*>(buffer) + sizeof(PropertyItem);
    buffer->id = record->id;
    buffer->type = static_cast<std::uint16_t>(record->type);
    buffer->length = static_cast<std::uint32_t>(record->value.size());
    buffer->value = record->value.isEmpty() ? nullptr : valueBytes;
    if (!record->value.isEmpty())
        std::memcpy(valueBytes, record->value.constData(), static_cast<std::size_t>(record->value.size()));
    return Ok;
}

}  // namespace veltra::imaging
