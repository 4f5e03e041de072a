#pragma once

// The quality a JPEG quantisation table was made at. Most encoders (libjpeg and everything
// built on it, most editors, many phones) scale the two example tables of the JPEG standard
// by the quality setting, so a table usually tells the quality it was saved at exactly. A
// camera or an editor with tables of its own gives a table that no quality reproduces; then
// the nearest quality and how far the table is from it are the useful facts.

#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <optional>

namespace veltra::analysis {

// 64 quantiser steps in natural (row-major) order, as 8-bit or 16-bit values.
using QuantisationTable = std::array<std::uint16_t, 64>;

enum class QuantisationTableKind {
    Luminance,    // scaled from the standard's luminance example table
    Chrominance,  // scaled from the standard's chrominance example table
};

struct JpegQualityEstimate {
    // The standard table the estimate was made against.
    QuantisationTableKind kind = QuantisationTableKind::Luminance;
    // True when the other standard table fits exactly as well, so that the values alone do
    // not tell the kind: the all-ones table of quality 100 is both.
    bool kindAmbiguous = false;
    // True when some quality 1..100 reproduces the table exactly.
    bool standard = false;
    // When standard, the highest quality that reproduces the table; several do where the
    // steps are clamped, as at the lowest qualities, and the highest is the one that loses
    // least, so it is the fairer claim. Otherwise the quality whose table is nearest: the
    // least sum of absolute differences over the 64 steps, the higher quality on a tie.
    int quality = 0;
    // When standard, the lowest quality that reproduces the table (equal to `quality` when
    // only one does). Otherwise equal to `quality`.
    int lowestQuality = 0;
    // How far the table is from the nearest standard one: the sum of the absolute
    // differences of the steps divided by the sum of the standard table's steps, so 0.08
    // reads "the steps differ by 8 % of the standard table's". 0 when standard.
    double relativeDifference = 0.0;
};

// The estimate against the standard table of the given kind: use it when the table's role
// is known (table 0 of a JPEG file is the luminance table in practice, table 1 the
// chrominance table).
JpegQualityEstimate EstimateJpegQuality(const QuantisationTable& table, QuantisationTableKind kind);

// The estimate against both standard tables, choosing the kind that fits better: an exact
// fit first, then the smaller relative difference, the luminance table on a tie (and then
// `kindAmbiguous` is set). For a table of a camera's own, the kind is the standard shape it
// resembles more, which is a guess: a very flat table resembles the chrominance table.
JpegQualityEstimate EstimateJpegQuality(const QuantisationTable& table);

// A table from 64 little-endian 16-bit values in natural order, as the imaging service
// hands out the JPEG quantisation tables (property items 0x5090 and 0x5091). Nothing when
// the bytes are not exactly 128.
std::optional<QuantisationTable> QuantisationTableFromLittleEndianShorts(QByteArrayView bytes);

}  // namespace veltra::analysis
