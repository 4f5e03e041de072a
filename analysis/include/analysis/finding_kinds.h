#pragma once

// Every kind of finding the analysis makes, as data: its group, its key in the JSON object,
// its sentence in Chinese and in English, and whether it should make a user look twice at the
// file. The command line and the window write findings from this one table, so a sentence is
// written once for both languages and a new kind of finding is one row.
//
// A sentence has numbered places (%1, %2, ...) for the finding's own values. A value is either
// written the same in both languages (a number, a name from the file), or is itself a phrase of
// the second table (a kind of trailing data, an optional clause), or a list of values joined
// as the language joins lists. Phrases may have places of their own.

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace veltra::analysis {

enum class Language { Chinese, English };

// The groups findings come in, in the order they are shown.
enum class Topic {
    Name,
    CameraRaw,
    TrailingData,
    Embedded,
    JpegCoding,
    HeifContainer,
    JpegXl,
    Photoshop,
    Provenance,
    Colour,
    Consistency,
};

enum class FindingKind : std::uint8_t {
    ExtensionFits,
    ExtensionDoesNotFit,
    NoExtension,
    EndNotFound,
    NothingAfterEnd,
    DataAfterEnd,
    ExifThumbnailUndecodable,
    ExifThumbnail,
    ExifThumbnailSamePicture,
    ExifThumbnailDiffers,
    ExifThumbnailOtherPicture,
    MpfIndex,
    PhotoshopThumbnail,
    NoEmbeddedPicture,
    JpegProcess,
    ChromaSubsampling,
    RestartInterval,
    NoRestartMarkers,
    QuantisationQuality,
    C2paManifest,
    NoC2paManifest,
    DigitalSourceType,
    DigitalSourceTypeGenerative,
    CreatorTool,
    EditHistory,
    Software,
    IccProfile,
    NoIccUncalibrated,
    NoIccExifSrgb,
    NoIccNoColourSpace,
    PixelDimensionsAgree,
    PixelDimensionsDiffer,
    ThumbnailOrientationAgrees,
    ThumbnailOrientationDiffers,
    DensityAgrees,
    DensityDiffers,
    DatesAgree,
    DatesDisagree,
    HeifBrands,
    HeifCoding,
    HeifNoTransform,
    HeifTransforms,
    HeifThumbnails,
    HeifThumbnailOfAnotherPicture,
    HeifAuxiliaryPictures,
    JpegXlCodestream,
    JpegXlRecompressedJpeg,
    JpegXlNotRecompressed,
    JpegXlMetadataBoxes,
    JpegXlNoMetadataBoxes,
    JpegXlOrientation,
    RawCamera,
    RawSensor,
    RawLibraryMissing,
    RawDngConverted,
    RawDngWrittenAsDng,
    RawPreviews,
    RawPreviewOfAnotherPicture,
    PhotoshopDocumentKind,
    PhotoshopMergedPicture,
    PhotoshopMergedPictureNotReal,
    PhotoshopNoMergedPicture,
    PhotoshopLayers,
    PhotoshopLayersSomeHidden,
    PhotoshopNoLayers,
};

// Parts of sentences that differ between the languages.
enum class Phrase : std::uint8_t {
    TrailingZip,
    TrailingRar,
    TrailingSevenZip,
    TrailingPdf,
    TrailingJpeg,
    TrailingMp4,
    TrailingText,
    TrailingZeros,
    TrailingUnknown,
    EmbeddedSignatureAt,
    MpfListsIt,
    AspectRatios,
    PaddedThumbnail,
    ProcessBaseline,
    ProcessProgressive,
    ProcessLossless,
    ProcessExtended,
    Hierarchical,
    ArithmeticCoding,
    HuffmanCoding,
    Greyscale,
    Luminance,
    Chrominance,
    StandardTable,
    OwnTable,
    HeifSequenceTrack,
    HeifSingleItem,
    HeifGrid,
    HeifChroma,
    HeifGreyscale,
    HeifAlpha,
    HeifRotation,
    HeifMirrorLeftRight,
    HeifMirrorTopBottom,
    HeifCleanAperture,
    HeifNoExifOrientation,
    HeifExifOrientationAgrees,
    HeifExifOrientationDisagrees,
    HeifThumbnail,
    ThumbnailUndecodable,
    ThumbnailSamePicture,
    ThumbnailDiffers,
    ThumbnailOtherPicture,
    HeifAuxiliaryPicture,
    AuxiliaryAlpha,
    AuxiliaryDepth,
    AuxiliaryGainMap,
    AuxiliaryMatte,
    AuxiliaryOther,
    JxlContainer,
    JxlBareCodestream,
    JxlFloatSamples,
    JxlIntegerSamples,
    JxlGrey,
    JxlColour,
    JxlAlpha,
    JxlXyb,
    JxlOwnColourSpace,
    JxlAnimation,
    JxlBox,
    JxlBrotli,
    JxlNoExifOrientation,
    JxlExifOrientationAgrees,
    JxlExifOrientationDiffers,
    RawColourFilter,
    RawFullColour,
    RawBitsPerSample,
    RawOriginalName,
    RawConverter,
    RawPreview,
    RawOfferedByLibRaw,
    RawPreviewUndecodable,
    RawPreviewSamePicture,
    RawPreviewDiffers,
    RawPreviewOtherPicture,
    PsdBitmap,
    PsdGreyscale,
    PsdIndexed,
    PsdRgb,
    PsdCmyk,
    PsdMultichannel,
    PsdDuotone,
    PsdLab,
    PsdOtherMode,
    PsdMergedAlpha,
    PsdUncompressed,
    PsdRle,
    PsdZip,
    PsdZipPredicted,
    PsdOtherCompression,
    PsdHiddenLayer,
    PsdLayerName,
};

struct FindingKindRow {
    FindingKind kind;
    Topic topic;
    const char* key;  // the finding's key in its topic's JSON object; kinds that say the same
                      // thing with another outcome share it
    const char16_t* chinese;
    const char16_t* english;
    bool lookTwice;   // a trace of tampering, hiding or generation, not the usual state
};

struct PhraseRow {
    Phrase phrase;
    const char16_t* chinese;
    const char16_t* english;
};

struct TopicRow {
    Topic topic;
    const char* name;  // the topic's key in the JSON object
    const char16_t* chinese;
    const char16_t* english;
};

std::span<const FindingKindRow> FindingKindTable();
std::span<const PhraseRow> PhraseTable();
// In the order the topics are shown.
std::span<const TopicRow> TopicTable();

const FindingKindRow& RowOf(FindingKind kind);
inline Topic TopicOf(FindingKind kind) { return RowOf(kind).topic; }
inline bool DeservesSecondLook(FindingKind kind) { return RowOf(kind).lookTwice; }

// The topic's heading ("名称与内容", "Name and content") and machine name ("name").
QString TopicHeading(Topic topic, Language language);
QString TopicName(Topic topic);

// A value in a finding's sentence.
class Wording {
public:
    // How the items of a list are joined.
    // Enumeration: "、" / ", "; Clauses: "；" / "; "; Steps: "，然后" / ", then ".
    enum class Joiner : std::uint8_t { Enumeration, Clauses, Steps };

    // Nothing: an optional part that is absent.
    Wording() = default;
    // Written the same in both languages.
    // Implicit, so that a finding's values read as a list of them.
    Wording(QString value) : m_value(std::move(value)) {}
    Wording(const char16_t* value) : m_value(QString::fromUtf16(value)) {}
    static Wording Number(qint64 number) { return Wording(QString::number(number)); }
    static Wording Fixed(double number, int decimals)
    {
        return Wording(QString::number(number, 'f', decimals));
    }
    static Wording Of(Phrase phrase, std::vector<Wording> arguments = {});
    static Wording List(Joiner joiner, std::vector<Wording> items);

    QString text(Language language) const;

private:
    enum class Form : std::uint8_t { Value, Phrase, List };
    Form m_form = Form::Value;
    QString m_value;
    Phrase m_phrase{};
    Joiner m_joiner{};
    std::vector<Wording> m_parts;  // a phrase's arguments, or a list's items
};

// The template's numbered places filled with the arguments in that language, in one pass, so
// that a value that itself contains "%2" stays as it is.
QString FillPlaces(const QString& pattern, const std::vector<Wording>& arguments,
                   Language language);

}  // namespace veltra::analysis
