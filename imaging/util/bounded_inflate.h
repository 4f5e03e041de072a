#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace veltra::imaging {

// Compressed metadata (PNG iCCP profiles, zTXt and compressed iTXt text, XMP) is small in real
// files, while a few hostile kilobytes inflate to gigabytes, and a hundred copies of one chunk
// to a hundred times that. Every byte inflated from one file counts against this budget,
// whether its value is kept or dropped afterwards: once it is spent, nothing more is inflated.
// Twice the item values a file may hand out, so that one value too large to keep does not
// take the room of those after it.
class InflationBudget {
public:
    static constexpr qsizetype kBytesPerFile = qsizetype{32} * 1024 * 1024;

    explicit InflationBudget(qsizetype bytes = kBytesPerFile) : m_remaining(bytes) {}

    qsizetype remaining() const { return m_remaining; }
    void spend(qsizetype bytes) { m_remaining -= bytes; }

private:
    qsizetype m_remaining;
};

// The bytes of a complete zlib stream (header, deflate data, checksum), or nothing when the
// stream is damaged, truncated, or expands past `limit` bytes or past what the budget has
// left. No more than that is ever inflated, and what is inflated is spent from the budget.
std::optional<QByteArray> InflateZlib(QByteArrayView compressed, qsizetype limit,
                                      InflationBudget& budget);

}  // namespace veltra::imaging
