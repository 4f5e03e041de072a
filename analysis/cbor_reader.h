#pragma once

// A small CBOR reader for untrusted bytes: enough to walk a map, read text strings and skip
// everything else. Every length is checked against the bytes that remain before it is used,
// nesting is capped, and each step consumes at least one byte, so a hostile item costs time
// in proportion to its size. The first fault stops the reader for good.

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

namespace veltra::analysis {

// Deeper than this, an item is refused rather than skipped.
inline constexpr int kMaxCborDepth = 32;

class CborReader {
public:
    explicit CborReader(QByteArrayView bytes) : m_bytes(bytes) {}

    // False once anything was damaged, truncated or too deep.
    bool ok() const { return m_ok; }
    qsizetype position() const { return m_at; }

    // The entries of an array or a map that starts here, counted or open-ended. Reads the
    // container's head; nothing (and the item is skipped) when the next item is not one.
    struct Container {
        bool indefinite = false;
        std::uint64_t remaining = 0;  // items for an array, pairs for a map
    };
    std::optional<Container> EnterArray();
    std::optional<Container> EnterMap();

    // True when another entry of `container` follows; consumes the break that ends an
    // open-ended container.
    bool Next(Container& container);

    // The text string that starts here (open-ended strings are joined). Nothing, with the
    // item skipped, when the next item is something else.
    std::optional<QString> ReadText();

    // Steps over the next item whatever it holds.
    void Skip();

private:
    struct Head {
        int majorType = 0;
        std::uint8_t additional = 0;
        std::uint64_t argument = 0;
        bool indefinite = false;
    };
    std::optional<Head> PeekHead() const;
    std::optional<Head> ReadHead();
    std::optional<Container> EnterContainer(int majorType);
    std::optional<QByteArrayView> ReadStringBytes(const Head& head, int majorType);
    void SkipWithDepth(int depth);
    void Fail() { m_ok = false; }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

}  // namespace veltra::analysis
