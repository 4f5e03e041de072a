#pragma once

// Content Credentials (C2PA): a store of signed manifests that says which tools made and
// changed a picture. Here the store is only read, to tell that it is there, how many
// manifests it holds and what the latest one's claim says made it. Nothing is validated:
// not the signature, not the certificates, not the hashes that bind it to the picture. So
// a store that is present proves nothing by itself; it is a lead, not a verdict.

#include <QByteArrayView>
#include <QString>

#include <span>
#include <vector>

namespace veltra::analysis {

struct C2paGeneratorInfo {
    QString name;
    QString version;
};

struct C2paManifestSummary {
    bool present = false;  // a JUMBF superbox labelled "c2pa" was found
    bool validated = false; // always false: nothing is checked, and the finding says so
    int manifestCount = 0;
    // The active manifest is the last one in the store.
    QString activeManifestLabel;  // "urn:uuid:..." or "urn:c2pa:..."
    QString claimLabel;           // "c2pa.claim" or "c2pa.claim.v2"
    QString claimGenerator;       // the claim's claim_generator text (older claims)
    // The claim's claim_generator_info: a list in older claims, one entry in newer ones.
    // At most kMaxC2paGeneratorInfo entries are kept.
    std::vector<C2paGeneratorInfo> generatorInfo;
    QString title;   // dc:title
    QString format;  // dc:format
    // What could not be read, when something could not; what was read before is kept.
    QString problem;
};

inline constexpr std::size_t kMaxC2paGeneratorInfo = 16;

// Reads a manifest store from the bytes of its JUMBF superbox, as a PNG's caBX chunk holds
// it whole or as ReassembleJpegJumbf gives it back. Never throws.
C2paManifestSummary ReadC2paManifestStore(QByteArrayView jumbf);

// Reassembles the JUMBF boxes a JPEG carries in its APP11 segments (payloads in file order,
// the bytes after each segment's length) and reads the first that is a manifest store.
C2paManifestSummary ReadC2paFromJpegApp11(std::span<const QByteArrayView> app11Payloads);

}  // namespace veltra::analysis
