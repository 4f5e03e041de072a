#include "info/tag_names.h"

#include "imaging/property_tags.h"

#include <array>
#include <cstdint>

namespace veltra::info {

namespace {

// One row per tag of the service's tag list, spelled exactly as the platform's constants are
// ("TransferFuncition", "GpsGpsTime", "ThumbnailCopyRight"): people look these names up in the
// platform's documentation, so they must match it letter for letter.
#define VELTRA_TAG_NAME_ROW(id, name) TagName{imaging::PropertyTag##name, #name},
constexpr std::array kTagNames{VELTRA_PROPERTY_TAGS(VELTRA_TAG_NAME_ROW)};
#undef VELTRA_TAG_NAME_ROW

}  // namespace

std::span<const TagName> TagNameTable()
{
    return kTagNames;
}

void GetPropertyTagName(const imaging::PropertyItem& item, QString& out)
{
    // All 32 bits take part: an id with bits above the low 16 is not a known tag, even when
    // its low half is one.
    for (const TagName& entry : kTagNames) {
        if (entry.id == item.id) {
            out = QString::fromLatin1(entry.name.data(), qsizetype(entry.name.size()));
            return;
        }
    }
    // Unknown ids are written as signed numbers, as the report has always shown them.
    out = QString::number(static_cast<std::int32_t>(item.id));
}

}  // namespace veltra::info
