#pragma once

// The boxes of a HEIF or AVIF file that say what it holds: the brands of its `ftyp`, and in its
// `meta` box the items (pictures, tiles, thumbnails, auxiliary pictures, Exif and XMP), where
// their bytes are (`iloc`), how they refer to one another (`iref`) and the properties each is
// given (`iprp`: `ipco` holds them, `ipma` associates them). Read with our own code, bounded by
// the bytes the boxes hold, so the facts never need the codec library.

#include "imaging/iso_boxes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace veltra::imaging {

struct HeifExtent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;  // 0: to the end of what holds the data
};

struct HeifItem {
    std::uint32_t id = 0;
    std::uint32_t type = 0;  // "hvc1", "av01", "grid", "Exif", "mime", ...
    QByteArray contentType;  // for "mime" items: "application/rdf+xml" for XMP
    bool hidden = false;
    // Where its bytes are (iloc): 0 in the file, 1 in the meta box's `idat`.
    bool located = false;
    int constructionMethod = 0;
    std::uint16_t dataReferenceIndex = 0;
    std::uint64_t baseOffset = 0;
    std::vector<HeifExtent> extents;
};

struct HeifReference {
    std::uint32_t type = 0;  // "dimg", "thmb", "auxl", "cdsc", "prem", ...
    std::uint32_t from = 0;
    std::vector<std::uint32_t> to;
};

struct HeifProperty {
    std::uint32_t type = 0;
    QByteArrayView content;  // after the box header
    QByteArrayView box;      // the whole box, header included
};

struct HeifAssociation {
    std::uint16_t index = 0;  // 1-based into the properties; 0 means none
    bool essential = false;
};

struct HeifBoxes {
    // The bytes the boxes were read from; the views below point into them.
    QByteArrayView file;
    std::uint32_t majorBrand = 0;
    std::vector<std::uint32_t> compatibleBrands;
    bool hasMeta = false;
    bool hasMovie = false;  // a `moov` box: an image sequence as a track
    std::uint32_t handler = 0;
    std::optional<std::uint32_t> primaryId;
    std::vector<HeifItem> items;
    std::vector<HeifReference> references;
    std::vector<HeifProperty> properties;
    // Per item, its associations in the order the file lists them.
    std::vector<std::pair<std::uint32_t, std::vector<HeifAssociation>>> associations;
    QByteArrayView itemData;  // the `idat` box's content
    // What made the walk stop early or skip something; empty when nothing did.
    QString problem;
    // Lookups by item id, made once the boxes are read: hostile files list tens of thousands
    // of entries, and a search of every list for every item would take quadratic time.
    std::unordered_map<std::uint32_t, std::size_t> itemIndex;
    std::unordered_map<std::uint32_t, std::size_t> associationIndex;
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> referencesFrom;

    const HeifItem* item(std::uint32_t id) const;
    // The properties associated with the item, in the order of its associations.
    std::vector<const HeifProperty*> propertiesOf(std::uint32_t id) const;
    // The same with whether each association is marked essential.
    std::vector<std::pair<const HeifProperty*, bool>> associationsOf(std::uint32_t id) const;
    // The first property of that type associated with the item.
    const HeifProperty* propertyOf(std::uint32_t id, std::uint32_t type) const;
    // The items the item refers to by references of that type, in stored order.
    std::vector<std::uint32_t> referencedBy(std::uint32_t from, std::uint32_t type) const;
    // The items that refer to `to` by references of that type, in stored order.
    std::vector<std::uint32_t> referring(std::uint32_t to, std::uint32_t type) const;
    bool hasBrand(std::uint32_t brand) const;
};

// At most this many items, references or associations are read; a real file has a few hundred
// at most (a camera's grid of 512 x 512 tiles), a hostile one may claim billions.
inline constexpr std::size_t kMaxHeifEntries = 65536;

// The boxes of the file; a file that is not an ISO base media file gives empty boxes.
HeifBoxes ReadHeifBoxes(QByteArrayView file);

// The item's bytes, its extents joined, when every extent lies inside the file (or the idat
// box) and they come to at most `maxBytes`; nothing otherwise.
std::optional<QByteArray> HeifItemBytes(const HeifBoxes& boxes, const HeifItem& item,
                                        qsizetype maxBytes);

// The four characters of a type, for messages and for the analysis.
QByteArray FourCcText(std::uint32_t type);

}  // namespace veltra::imaging
