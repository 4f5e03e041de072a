#pragma once

// Content Credentials stores built box by box and item by item, for the tests that read them.

#include <QByteArray>
#include <QtEndian>

#include <initializer_list>
#include <vector>

namespace veltra::analysis::c2pa_builders {

template <typename Integer>
inline QByteArray BigEndian(Integer value)
{
    char bytes[sizeof(Integer)];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, sizeof(Integer));
}

inline QByteArray Big16(std::uint16_t value) { return BigEndian(value); }
inline QByteArray Big32(std::uint32_t value) { return BigEndian(value); }
inline QByteArray Big64(std::uint64_t value) { return BigEndian(value); }

// JUMBF: a box is its length, its type and its content.
inline QByteArray Box(const char* type, const QByteArray& content)
{
    return Big32(static_cast<std::uint32_t>(8 + content.size())) + type + content;
}

inline QByteArray Concat(std::initializer_list<QByteArray> parts)
{
    QByteArray joined;
    for (const QByteArray& part : parts)
        joined += part;
    return joined;
}

// A superbox: a description box (type UUID, toggles "requestable, labelled", the label and
// its terminator), then the content boxes.
inline QByteArray Superbox(const char* uuidPrefix, const char* label, std::initializer_list<QByteArray> contents)
{
    const QByteArray uuid = QByteArray(uuidPrefix) + QByteArray::fromHex("00110010800000AA00389B71");
    return Box("jumb", Box("jumd", uuid + '\x03' + label + '\0') + Concat(contents));
}

// CBOR: a head is the major type and the argument in the shortest form.
inline QByteArray Head(int majorType, std::uint64_t argument)
{
    const char major = static_cast<char>(majorType << 5);
    if (argument < 24)
        return QByteArray(1, static_cast<char>(major | static_cast<char>(argument)));
    if (argument <= 0xFF)
        return QByteArray(1, static_cast<char>(major | 24)) + static_cast<char>(argument);
    if (argument <= 0xFFFF)
        return QByteArray(1, static_cast<char>(major | 25)) + Big16(static_cast<std::uint16_t>(argument));
    if (argument <= 0xFFFFFFFF)
        return QByteArray(1, static_cast<char>(major | 26)) + Big32(static_cast<std::uint32_t>(argument));
    return QByteArray(1, static_cast<char>(major | 27)) + Big64(argument);
}

inline QByteArray Text(const char* text)
{
    return Head(3, qstrlen(text)) + text;
}

inline QByteArray Map(std::initializer_list<std::pair<const char*, QByteArray>> entries)
{
    QByteArray map = Head(5, entries.size());
    for (const auto& [key, value] : entries)
        map += Text(key) + value;
    return map;
}

inline QByteArray Array(std::initializer_list<QByteArray> items)
{
    return Head(4, items.size()) + Concat(items);
}

inline QByteArray Claim(const char* label, const QByteArray& cbor)
{
    return Superbox("c2cl", label, {Box("cbor", cbor)});
}

// Things a claim holds that are not wanted here, to be stepped over: byte strings, numbers,
// a tag, a float, nested maps.
inline const QByteArray kAssertions =
    Array({Map({{"url", Text("self#jumbf=c2pa.assertions/c2pa.actions")},
                {"hash", Head(2, 4) + "\x01\x02\x03\x04"},
                {"when", Head(6, 1) + Head(0, 1700000000)},
                {"weight", QByteArray::fromHex("fb3ff8000000000000")}})});

inline const QByteArray kClaimVersion1 = Map({
    {"claim_generator", Text("Photo Editor/4.2 c2pa-rs/0.28")},
    {"claim_generator_info",
     Array({Map({{"name", Text("Photo Editor")}, {"version", Text("4.2")}}),
            Map({{"name", Text("c2pa-rs")}, {"version", Text("0.28")}})})},
    {"signature", Text("self#jumbf=c2pa.signature")},
    {"assertions", kAssertions},
    {"dc:format", Text("image/jpeg")},
    {"instanceID", Text("xmp:iid:0f1e2d3c")},
    {"dc:title", Text("harbour.jpg")},
});

inline const QByteArray kClaimVersion2 = Map({
    {"instanceID", Text("xmp:iid:aa11")},
    {"claim_generator_info",
     Map({{"name", Text("Camera App")}, {"icon", Map({{"format", Text("image/svg+xml")}})},
          {"version", Text("7.1.0")}})},
    {"signature", Text("self#jumbf=c2pa.signature")},
    {"created_assertions", kAssertions},
});

// A store of two manifests: a capture's, then an edit's, which is the active one.
inline const QByteArray kStore = Superbox(
    "c2pa", "c2pa",
    {Superbox("c2ma", "urn:uuid:1111-capture", {Claim("c2pa.claim.v2", kClaimVersion2)}),
     Superbox("c2ma", "urn:uuid:2222-edit",
              {Superbox("c2as", "c2pa.assertions", {}), Claim("c2pa.claim", kClaimVersion1),
               Superbox("c2cs", "c2pa.signature", {Box("cbor", Head(4, 0))})})});

// The APP11 segments of one box: "JP", the instance number, the sequence number, then the
// box's first `firstPart` bytes; every later segment repeats the 8-byte header before its
// part of the rest.
inline std::vector<QByteArray> App11Segments(const QByteArray& box, std::uint16_t instance, qsizetype firstPart,
                                      qsizetype laterPart)
{
    std::vector<QByteArray> segments;
    std::uint32_t sequence = 1;
    segments.push_back("JP" + Big16(instance) + Big32(sequence) + box.first(firstPart));
    for (qsizetype at = firstPart; at < box.size(); at += laterPart) {
        segments.push_back("JP" + Big16(instance) + Big32(++sequence) + box.first(8) +
                           box.mid(at, laterPart));
    }
    return segments;
}

}  // namespace veltra::analysis::c2pa_builders
