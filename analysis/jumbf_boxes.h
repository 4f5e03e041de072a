#pragma once

// JUMBF, the box format that Content Credentials are stored in: boxes of a 4-byte length and
// a 4-byte type (as in ISO base media files), where a `jumb` superbox opens with a `jumd`
// description box (a type UUID and an optional label) and holds content boxes after it.
// JPEG files carry a JUMBF box in APP11 segments of at most 64 KiB each, so a box is
// reassembled from its segments first.

#include "imaging/iso_boxes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace veltra::analysis {

// Box types, the four characters read as a big-endian number.
inline constexpr std::uint32_t kJumbfSuperboxType = imaging::BoxType("jumb");
inline constexpr std::uint32_t kJumbfDescriptionType = imaging::BoxType("jumd");
inline constexpr std::uint32_t kJumbfCborType = imaging::BoxType("cbor");

// JUMBF boxes are boxes of the ISO base media kind, split by the service's one box walker.
using JumbfBox = imaging::IsoBox;
using JumbfBoxes = imaging::IsoBoxes;

inline JumbfBoxes SplitJumbfBoxes(QByteArrayView bytes)
{
    return imaging::SplitIsoBoxes(bytes);
}

struct JumbfDescription {
    QByteArray typeUuid;  // 16 bytes
    QString label;        // empty when it has none
};

// The contents of a `jumd` box: the type UUID, the toggles byte, then the label when the
// toggles say it is present (a zero-terminated UTF-8 string). Nothing when the box is too
// short for its UUID and toggles or its label has no terminator.
std::optional<JumbfDescription> ReadJumbfDescription(QByteArrayView content);

struct JumbfSuperbox {
    JumbfDescription description;
    std::vector<JumbfBox> contents;  // the boxes after the description box
    QString problem;                 // as SplitJumbfBoxes reports it
};

// A `jumb` box read one level deep. Nothing when the box is not a superbox or does not open
// with a readable description box.
std::optional<JumbfSuperbox> ReadJumbfSuperbox(const JumbfBox& box);

struct JpegJumbfBox {
    std::uint16_t instance = 0;  // the box instance number shared by its segments
    QByteArray bytes;            // the whole box, header included
    bool complete = false;       // as long as its header says
};

// At most this many boxes are reassembled from one file's segments.
inline constexpr std::size_t kMaxJpegJumbfBoxes = 64;

// Reassembles the JUMBF boxes of a JPEG file from the payloads of its APP11 segments (the
// bytes after each segment's length), in file order. Each payload is "JP", a 2-byte box
// instance number, a 4-byte packet sequence number, then the box's header (its length and
// type, and its 64-bit length when the length is 1) and a part of its data; the first
// packet (sequence number 1) starts the box, the later ones repeat its header before more
// data. A packet that is not the next in sequence, whose header differs from the first's,
// or that is not JUMBF is ignored, so a box missing a packet comes out incomplete. The
// boxes come in the order their first packets do.
std::vector<JpegJumbfBox> ReassembleJpegJumbf(std::span<const QByteArrayView> app11Payloads);

}  // namespace veltra::analysis
