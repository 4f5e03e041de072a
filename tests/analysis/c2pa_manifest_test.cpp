// Content Credentials stores built here box by box and item by item: whole, as a PNG holds
// them, split over APP11 segments, as a JPEG does, and damaged in the ways hostile files are.

#include "analysis/c2pa_manifest.h"
#include "analysis/c2pa_builders.h"

#include "analysis/row_name.h"
#include "support/qt_printers.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace veltra::analysis {
namespace {

using namespace c2pa_builders;

std::vector<std::string> GeneratorInfo(const C2paManifestSummary& summary)
{
    std::vector<std::string> rows;
    for (const C2paGeneratorInfo& info : summary.generatorInfo)
        rows.push_back((info.name + u' ' + info.version).toStdString());
    return rows;
}

void ExpectTheEditManifest(const C2paManifestSummary& summary)
{
    EXPECT_TRUE(summary.present);
    EXPECT_FALSE(summary.validated);
    EXPECT_EQ(summary.manifestCount, 2);
    EXPECT_EQ(summary.activeManifestLabel, QStringLiteral("urn:uuid:2222-edit"));
    EXPECT_EQ(summary.claimLabel, QStringLiteral("c2pa.claim"));
    EXPECT_EQ(summary.claimGenerator, QStringLiteral("Photo Editor/4.2 c2pa-rs/0.28"));
    EXPECT_EQ(GeneratorInfo(summary), (std::vector<std::string>{"Photo Editor 4.2", "c2pa-rs 0.28"}));
    EXPECT_EQ(summary.title, QStringLiteral("harbour.jpg"));
    EXPECT_EQ(summary.format, QStringLiteral("image/jpeg"));
}

TEST(C2paManifest, StoreAsAPngCarriesIt)
{
    const C2paManifestSummary summary = ReadC2paManifestStore(kStore);
    ExpectTheEditManifest(summary);
    EXPECT_TRUE(summary.problem.isEmpty()) << summary.problem.toStdString();
}

TEST(C2paManifest, NewerClaimHasOneGeneratorMapAndNoGeneratorText)
{
    const C2paManifestSummary summary = ReadC2paManifestStore(Superbox(
        "c2pa", "c2pa", {Superbox("c2ma", "urn:c2pa:3333", {Claim("c2pa.claim.v2", kClaimVersion2)})}));
    EXPECT_EQ(summary.manifestCount, 1);
    EXPECT_EQ(summary.activeManifestLabel, QStringLiteral("urn:c2pa:3333"));
    EXPECT_EQ(summary.claimLabel, QStringLiteral("c2pa.claim.v2"));
    EXPECT_TRUE(summary.claimGenerator.isEmpty());
    EXPECT_EQ(GeneratorInfo(summary), std::vector<std::string>{"Camera App 7.1.0"});
    EXPECT_TRUE(summary.problem.isEmpty()) << summary.problem.toStdString();
}

TEST(C2paManifest, OtherJumbfIsNotAStore)
{
    EXPECT_FALSE(ReadC2paManifestStore(QByteArray()).present);
    EXPECT_FALSE(ReadC2paManifestStore(Superbox("abcd", "other", {Box("json", "{}")})).present);
    EXPECT_FALSE(ReadC2paManifestStore(Box("jumd", QByteArray(20, '\0'))).present);
}

C2paManifestSummary ReadSegments(const std::vector<QByteArray>& segments)
{
    const std::vector<QByteArrayView> views(segments.begin(), segments.end());
    return ReadC2paFromJpegApp11(views);
}

TEST(C2paManifest, StoreReassembledFromInterleavedApp11Segments)
{
    const std::vector<QByteArray> store = App11Segments(kStore, 0x0211, 100, 90);
    ASSERT_GT(store.size(), 3u);
    const std::vector<QByteArray> other =
        App11Segments(Superbox("abcd", "other", {Box("json", QByteArray(150, '{'))}), 7, 60, 60);
    // Another box's segments between the store's, and a packet of the store's sent twice.
    std::vector<QByteArray> segments{other[0], store[0], store[1], other[1], store[1]};
    segments.insert(segments.end(), store.begin() + 2, store.end());
    segments.push_back(other[2]);

    const C2paManifestSummary summary = ReadSegments(segments);
    ExpectTheEditManifest(summary);
    EXPECT_TRUE(summary.problem.isEmpty()) << summary.problem.toStdString();
}

TEST(C2paManifest, StoreWithBigLengthHeaderReassembled)
{
    // The same store with a 64-bit length: 16 header bytes, repeated in every packet.
    const QByteArray content = kStore.sliced(8);
    const QByteArray store = Big32(1) + "jumb" + Big64(16 + content.size()) + content;
    std::vector<QByteArray> segments;
    segments.push_back("JP" + Big16(1) + Big32(1) + store.first(200));
    segments.push_back("JP" + Big16(1) + Big32(2) + store.first(16) + store.sliced(200));
    ExpectTheEditManifest(ReadSegments(segments));
}

TEST(C2paManifest, MissingSegmentIsReportedAndNothingIsMadeUp)
{
    std::vector<QByteArray> segments = App11Segments(kStore, 1, 100, 90);
    segments.erase(segments.begin() + 2);
    const C2paManifestSummary summary = ReadSegments(segments);
    EXPECT_TRUE(summary.present);
    EXPECT_FALSE(summary.problem.isEmpty());
}

struct Hostile {
    const char* what;
    QByteArray store;
    bool present;
    const char* claimGenerator;  // what is still read before the damage
};

class HostileStores : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileStores, ReadWhatCanBeReadAndSayWhatWentWrong)
{
    const C2paManifestSummary summary = ReadC2paManifestStore(GetParam().store);
    EXPECT_EQ(summary.present, GetParam().present);
    EXPECT_EQ(summary.claimGenerator, QString::fromUtf8(GetParam().claimGenerator));
    EXPECT_EQ(summary.problem.isEmpty(), !GetParam().present) << summary.problem.toStdString();
}

QByteArray StoreWithClaim(const QByteArray& cbor)
{
    return Superbox("c2pa", "c2pa", {Superbox("c2ma", "urn:uuid:9", {Claim("c2pa.claim", cbor)})});
}

QByteArray DeeplyNested(int depth)
{
    QByteArray box = Box("cbor", QByteArray());
    for (int i = 0; i < depth; ++i)
        box = Superbox("c2ma", "urn:uuid:deep", {box});
    return box;
}

const QByteArray kGenerator = Text("claim_generator") + Text("Tool 1");

INSTANTIATE_TEST_SUITE_P(
    Damage, HostileStores,
    ::testing::Values(
        Hostile{"cut short inside the last box", kStore.first(kStore.size() - 40), true,
                "Photo Editor/4.2 c2pa-rs/0.28"},
        Hostile{"store length past the end", Big32(0x7FFFFFFF) + kStore.sliced(4), true,
                "Photo Editor/4.2 c2pa-rs/0.28"},
        Hostile{"64-bit length past the end", Big32(1) + "jumb" + Big64(~std::uint64_t{0}) + kStore.sliced(8),
                true, "Photo Editor/4.2 c2pa-rs/0.28"},
        Hostile{"box shorter than its header",
                Superbox("c2pa", "c2pa", {Big32(4) + "jumb" + QByteArray(64, '\0')}), true, ""},
        Hostile{"manifests nested a thousand deep", Superbox("c2pa", "c2pa", {DeeplyNested(1000)}), true, ""},
        Hostile{"claim map counting more entries than it has",
                StoreWithClaim(Head(5, 1u << 30) + kGenerator), true, "Tool 1"},
        Hostile{"text longer than the bytes left",
                StoreWithClaim(Head(5, 2) + kGenerator + Text("dc:title") + Head(3, ~std::uint64_t{0} >> 1)), true,
                "Tool 1"},
        Hostile{"arrays nested a thousand deep",
                StoreWithClaim(Head(5, 2) + kGenerator + Text("x") + QByteArray(1000, '\x81') + Head(0, 0)), true,
                "Tool 1"},
        Hostile{"reserved additional information",
                StoreWithClaim(Head(5, 2) + kGenerator + Text("x") + "\x1C"), true, "Tool 1"},
        Hostile{"store label without its terminator",
                Box("jumb", Box("jumd", QByteArray("c2pa") + QByteArray(12, '\0') + '\x03' + "c2pa")), false, ""}),
    [](const auto& info) { return test::RowName(info.param.what); });

}  // namespace
}  // namespace veltra::analysis
