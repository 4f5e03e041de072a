#pragma once

#include "imaging/gdiplus_types.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace veltra::imaging {
class GpImage;
}

namespace veltra::info {

// Owns the buffer that one property item is read into: exactly the size the service asked
// for, aligned for the record at its start. The value bytes follow the record inside it.
class PropertyItemBuffer {
public:
    explicit PropertyItemBuffer(std::uint32_t size);

    imaging::PropertyItem* item()
    {
        return reinterpret_cast<imaging::PropertyItem*>(m_bytes.get());
    }
    const imaging::PropertyItem* item() const
    {
        return reinterpret_cast<const imaging::PropertyItem*>(m_bytes.get());
    }
    std::uint32_t size() const { return m_size; }

private:
    struct AlignedDelete {
        void operator()(std::byte* bytes) const noexcept;
    };
    std::unique_ptr<std::byte[], AlignedDelete> m_bytes;
    std::uint32_t m_size;
};

// Reads the picture's property `id` into a buffer of its own. Nothing comes back when the
// picture has no such property or the service cannot deliver it.
std::optional<PropertyItemBuffer> ReadPropertyItem(imaging::GpImage* image, imaging::PROPID id);

// Calls `visit` with every property item of the picture that can be read, in the service's
// order. Items that cannot be sized or read are left out; the rest are still visited.
void ForEachPropertyItem(imaging::GpImage* image,
                         const std::function<void(const imaging::PropertyItem&)>& visit);

// Appends the report's line for one item: " name:value\n". Name and value go in as they are:
// a line break inside a text value breaks the report line there, as it always has.
void AppendPropertyLine(QString& text, const QString& name, const QString& value);

// Appends the report's line for every property item of the picture, in the service's order.
void GetPropertyList(imaging::GpImage* image, QString& text);

}  // namespace veltra::info
