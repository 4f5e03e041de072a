#include "cbor_reader.h"

#include "big_endian.h"

namespace veltra::analysis {
namespace {

constexpr int kUnsigned = 0;
constexpr int kNegative = 1;
constexpr int kByteString = 2;
constexpr int kTextString = 3;
constexpr int kArray = 4;
constexpr int kMap = 5;
constexpr int kTag = 6;
constexpr int kSimpleOrFloat = 7;

constexpr std::uint8_t kIndefinite = 31;
constexpr char kBreak = '\xFF';

}  // namespace

std::optional<CborReader::Head> CborReader::PeekHead() const
{
    if (!m_ok || m_at >= m_bytes.size())
        return std::nullopt;
    const auto initial = static_cast<std::uint8_t>(m_bytes[m_at]);
    Head head;
    head.majorType = initial >> 5;
    head.additional = initial & 0x1F;
    const qsizetype remaining = m_bytes.size() - m_at - 1;
    if (head.additional < 24) {
        head.argument = head.additional;
    } else if (head.additional <= 27) {
        const int size = 1 << (head.additional - 24);  // 1, 2, 4 or 8 bytes
        if (size > remaining)
            return std::nullopt;
        head.argument = ReadBigEndian(m_bytes, m_at + 1, size);
    } else if (head.additional == kIndefinite) {
        // Open-ended strings and containers; for simple values this is the break, which
        // only ends an open-ended item and is read by Next.
        if (head.majorType != kByteString && head.majorType != kTextString &&
            head.majorType != kArray && head.majorType != kMap)
            return std::nullopt;
        head.indefinite = true;
    } else {
        return std::nullopt;  // 28 to 30 are reserved
    }
    return head;
}

std::optional<CborReader::Head> CborReader::ReadHead()
{
    const std::optional<Head> head = PeekHead();
    if (!head) {
        Fail();
        return std::nullopt;
    }
    m_at += 1;
    if (head->additional >= 24 && head->additional <= 27)
        m_at += qsizetype{1} << (head->additional - 24);
    return head;
}

std::optional<CborReader::Container> CborReader::EnterContainer(int majorType)
{
    const std::optional<Head> head = PeekHead();
    if (!head) {
        Fail();
        return std::nullopt;
    }
    if (head->majorType != majorType) {
        Skip();
        return std::nullopt;
    }
    ReadHead();
    return Container{head->indefinite, head->argument};
}

std::optional<CborReader::Container> CborReader::EnterArray()
{
    return EnterContainer(kArray);
}

std::optional<CborReader::Container> CborReader::EnterMap()
{
    return EnterContainer(kMap);
}

bool CborReader::Next(Container& container)
{
    if (!m_ok)
        return false;
    if (container.indefinite) {
        if (m_at >= m_bytes.size()) {
            Fail();
            return false;
        }
        if (m_bytes[m_at] == kBreak) {
            ++m_at;
            return false;
        }
        return true;
    }
    // A count larger than the bytes left is caught when an entry cannot be read.
    if (container.remaining == 0)
        return false;
    --container.remaining;
    return true;
}

std::optional<QByteArrayView> CborReader::ReadStringBytes(const Head& head, int majorType)
{
    if (head.majorType != majorType || head.indefinite) {
        Fail();
        return std::nullopt;
    }
    if (head.argument > static_cast<std::uint64_t>(m_bytes.size() - m_at)) {
        Fail();
        return std::nullopt;
    }
    const QByteArrayView bytes = m_bytes.sliced(m_at, static_cast<qsizetype>(head.argument));
    m_at += bytes.size();
    return bytes;
}

std::optional<QString> CborReader::ReadText()
{
    const std::optional<Head> peeked = PeekHead();
    if (!peeked) {
        Fail();
        return std::nullopt;
    }
    if (peeked->majorType != kTextString) {
        Skip();
        return std::nullopt;
    }
    const std::optional<Head> head = ReadHead();
    if (!head->indefinite) {
        const std::optional<QByteArrayView> bytes = ReadStringBytes(*head, kTextString);
        return bytes ? std::optional<QString>(QString::fromUtf8(*bytes)) : std::nullopt;
    }
    // An open-ended string is a run of counted pieces of the same kind, then a break.
    QByteArray joined;
    Container pieces{true, 0};
    while (Next(pieces)) {
        const std::optional<Head> piece = ReadHead();
        if (!piece)
            return std::nullopt;
        const std::optional<QByteArrayView> bytes = ReadStringBytes(*piece, kTextString);
        if (!bytes)
            return std::nullopt;
        joined += *bytes;
    }
    if (!m_ok)
        return std::nullopt;
    return QString::fromUtf8(joined);
}

void CborReader::Skip()
{
    SkipWithDepth(0);
}

void CborReader::SkipWithDepth(int depth)
{
    if (depth > kMaxCborDepth) {
        Fail();
        return;
    }
    const std::optional<Head> head = ReadHead();
    if (!head)
        return;
    switch (head->majorType) {
    case kUnsigned:
    case kNegative:
    case kSimpleOrFloat:
        return;  // the head is the whole item
    case kByteString:
    case kTextString:
        if (!head->indefinite) {
            ReadStringBytes(*head, head->majorType);
            return;
        }
        {
            Container pieces{true, 0};
            while (Next(pieces)) {
                const std::optional<Head> piece = ReadHead();
                if (!piece || !ReadStringBytes(*piece, head->majorType))
                    return;
            }
        }
        return;
    case kArray:
    case kMap: {
        Container entries{head->indefinite, head->argument};
        const int itemsPerEntry = head->majorType == kMap ? 2 : 1;
        while (Next(entries)) {
            for (int i = 0; i < itemsPerEntry && m_ok; ++i)
                SkipWithDepth(depth + 1);
        }
        return;
    }
    case kTag:
        SkipWithDepth(depth + 1);
        return;
    default:
        Fail();
        return;
    }
}

}  // namespace veltra::analysis
