#include "analysis/c2pa_manifest.h"

#include "cbor_reader.h"
#include "jumbf_boxes.h"

namespace veltra::analysis {
namespace {

constexpr QLatin1StringView kStoreLabel("c2pa");
constexpr QLatin1StringView kClaimLabel("c2pa.claim");
constexpr QLatin1StringView kClaimLabelVersion2("c2pa.claim.v2");

// A claim lists each of its assertions and ingredients; a few thousand entries is already
// far beyond what a real one has.
constexpr std::uint64_t kMaxClaimEntries = 4096;

void Note(C2paManifestSummary& summary, const QString& problem)
{
    if (summary.problem.isEmpty())
        summary.problem = problem;
}

// One entry of claim_generator_info: a map whose "name" and "version" are wanted.
void ReadGeneratorInfo(CborReader& reader, C2paManifestSummary& summary)
{
    std::optional<CborReader::Container> entries = reader.EnterMap();
    if (!entries)
        return;
    C2paGeneratorInfo info;
    while (reader.Next(*entries)) {
        const std::optional<QString> key = reader.ReadText();
        if (key == QLatin1StringView("name"))
            info.name = reader.ReadText().value_or(QString());
        else if (key == QLatin1StringView("version"))
            info.version = reader.ReadText().value_or(QString());
        else
            reader.Skip();
    }
    if (summary.generatorInfo.size() < kMaxC2paGeneratorInfo)
        summary.generatorInfo.push_back(info);
}

void ReadClaim(QByteArrayView cbor, C2paManifestSummary& summary)
{
    CborReader reader(cbor);
    std::optional<CborReader::Container> entries = reader.EnterMap();
    if (!entries) {
        Note(summary, QStringLiteral("the claim is not a CBOR map"));
        return;
    }
    std::uint64_t read = 0;
    while (reader.Next(*entries)) {
        if (read++ == kMaxClaimEntries) {
            Note(summary, QStringLiteral("the claim has more than %1 entries").arg(kMaxClaimEntries));
            return;
        }
        const std::optional<QString> key = reader.ReadText();
        if (key == QLatin1StringView("claim_generator")) {
            summary.claimGenerator = reader.ReadText().value_or(QString());
        } else if (key == QLatin1StringView("claim_generator_info")) {
            // Older claims hold a list of generators, newer ones a single map.
            CborReader peek = reader;
            if (std::optional<CborReader::Container> list = peek.EnterArray()) {
                reader = peek;
                while (reader.Next(*list))
                    ReadGeneratorInfo(reader, summary);
            } else {
                ReadGeneratorInfo(reader, summary);
            }
        } else if (key == QLatin1StringView("dc:title")) {
            summary.title = reader.ReadText().value_or(QString());
        } else if (key == QLatin1StringView("dc:format")) {
            summary.format = reader.ReadText().value_or(QString());
        } else {
            reader.Skip();
        }
    }
    if (!reader.ok())
        Note(summary, QStringLiteral("the claim's CBOR is damaged at byte %1").arg(reader.position()));
}

// The manifest's claim: its superbox labelled as a claim, and the CBOR box inside it.
void ReadActiveManifest(const JumbfSuperbox& manifest, C2paManifestSummary& summary)
{
    summary.activeManifestLabel = manifest.description.label;
    for (const JumbfBox& box : manifest.contents) {
        const std::optional<JumbfSuperbox> claim = ReadJumbfSuperbox(box);
        if (!claim ||
            (claim->description.label != kClaimLabel && claim->description.label != kClaimLabelVersion2))
            continue;
        summary.claimLabel = claim->description.label;
        for (const JumbfBox& content : claim->contents) {
            if (content.type == kJumbfCborType) {
                ReadClaim(content.content, summary);
                return;
            }
        }
        Note(summary, QStringLiteral("the claim box holds no CBOR box"));
        return;
    }
    Note(summary, QStringLiteral("the active manifest has no claim"));
}

std::optional<JumbfSuperbox> StoreSuperbox(QByteArrayView jumbf)
{
    const JumbfBoxes top = SplitJumbfBoxes(jumbf);
    if (top.boxes.empty())
        return std::nullopt;
    std::optional<JumbfSuperbox> store = ReadJumbfSuperbox(top.boxes.front());
    if (!store || store->description.label != kStoreLabel)
        return std::nullopt;
    return store;
}

}  // namespace

C2paManifestSummary ReadC2paManifestStore(QByteArrayView jumbf)
{
    C2paManifestSummary summary;
    const std::optional<JumbfSuperbox> store = StoreSuperbox(jumbf);
    if (!store)
        return summary;
    summary.present = true;
    if (!store->problem.isEmpty())
        Note(summary, store->problem);

    // Every superbox in the store is a manifest; the last is the active one.
    std::optional<JumbfSuperbox> active;
    for (const JumbfBox& box : store->contents) {
        std::optional<JumbfSuperbox> manifest = ReadJumbfSuperbox(box);
        if (!manifest)
            continue;
        ++summary.manifestCount;
        active = std::move(manifest);
    }
    if (!active) {
        Note(summary, QStringLiteral("the store holds no manifest"));
        return summary;
    }
    if (!active->problem.isEmpty())
        Note(summary, active->problem);
    ReadActiveManifest(*active, summary);
    return summary;
}

C2paManifestSummary ReadC2paFromJpegApp11(std::span<const QByteArrayView> app11Payloads)
{
    for (const JpegJumbfBox& box : ReassembleJpegJumbf(app11Payloads)) {
        if (!StoreSuperbox(box.bytes))
            continue;
        C2paManifestSummary summary = ReadC2paManifestStore(box.bytes);
        if (!box.complete)
            summary.problem = QStringLiteral("the store's segments do not add up to its length") +
                              (summary.problem.isEmpty() ? QString() : QStringLiteral("; ") + summary.problem);
        return summary;
    }
    return C2paManifestSummary();
}

}  // namespace veltra::analysis
