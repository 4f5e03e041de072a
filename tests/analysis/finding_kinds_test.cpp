// The table every finding is written from: both languages fill the same places, kinds that
// share a key share a group, and the kinds that call for a second look are the telling ones.

#include "analysis/finding_kinds.h"

#include <QRegularExpression>

#include <map>
#include <set>

#include <gtest/gtest.h>

namespace veltra::analysis {
namespace {

std::set<QString> PlacesIn(const char16_t* pattern)
{
    std::set<QString> places;
    static const QRegularExpression place(QStringLiteral("%[1-9]"));
    for (const QRegularExpressionMatch& match : place.globalMatch(QString::fromUtf16(pattern)))
        places.insert(match.captured());
    return places;
}

// Every sentence and phrase, filled with as many values as it has places, in both languages:
// the same places, and none left unfilled.
TEST(FindingKinds, BothLanguagesFillTheSamePlaces)
{
    const auto filledFully = [](const char16_t* pattern) {
        const std::set<QString> places = PlacesIn(pattern);
        std::vector<Wording> values;
        for (std::size_t index = 0; index < places.size(); ++index)
            values.emplace_back(QStringLiteral("value"));
        for (const Language language : {Language::Chinese, Language::English}) {
            const QString text = FillPlaces(QString::fromUtf16(pattern), values, language);
            EXPECT_TRUE(PlacesIn(reinterpret_cast<const char16_t*>(text.utf16())).empty())
                << text.toStdString();
        }
    };
    for (const FindingKindRow& row : FindingKindTable()) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(PlacesIn(row.chinese), PlacesIn(row.english));
        filledFully(row.chinese);
        filledFully(row.english);
    }
    for (const PhraseRow& row : PhraseTable()) {
        SCOPED_TRACE(static_cast<int>(row.phrase));
        EXPECT_EQ(PlacesIn(row.chinese), PlacesIn(row.english));
        filledFully(row.chinese);
        filledFully(row.english);
    }
}

TEST(FindingKinds, AKeyBelongsToOneTopic)
{
    std::map<QString, Topic> topicOfKey;
    for (const FindingKindRow& row : FindingKindTable()) {
        const QString key = QString::fromLatin1(row.key);
        if (key == QLatin1String("none"))  // "nothing of this kind" in several groups
            continue;
        const auto [found, inserted] = topicOfKey.emplace(key, row.topic);
        EXPECT_EQ(found->second, row.topic) << row.key;
    }
    EXPECT_EQ(TopicTable().size(), 11u);
}

TEST(FindingKinds, TellingRows)
{
    EXPECT_TRUE(DeservesSecondLook(FindingKind::ExtensionDoesNotFit));
    EXPECT_FALSE(DeservesSecondLook(FindingKind::ExtensionFits));
    EXPECT_TRUE(DeservesSecondLook(FindingKind::EndNotFound));
    EXPECT_TRUE(DeservesSecondLook(FindingKind::ExifThumbnailOtherPicture));
    EXPECT_FALSE(DeservesSecondLook(FindingKind::ExifThumbnailDiffers));
    EXPECT_TRUE(DeservesSecondLook(FindingKind::DigitalSourceTypeGenerative));
    EXPECT_FALSE(DeservesSecondLook(FindingKind::DigitalSourceType));
    EXPECT_TRUE(DeservesSecondLook(FindingKind::C2paManifest));
    EXPECT_FALSE(DeservesSecondLook(FindingKind::NoC2paManifest));
    // A container that turns the picture otherwise than its Exif says is what phones write.
    EXPECT_FALSE(DeservesSecondLook(FindingKind::HeifTransforms));
    EXPECT_FALSE(DeservesSecondLook(FindingKind::JpegXlOrientation));
}

// Values go in once: a value that looks like a place stays as it is, and phrases and lists are
// written in the sentence's language.
TEST(FindingKinds, FillingPlaces)
{
    const std::vector<Wording> values{
        QStringLiteral("x%2y"),
        Wording::List(Wording::Joiner::Clauses,
                      {Wording::Of(Phrase::Luminance), Wording::Of(Phrase::Chrominance)})};
    EXPECT_EQ(FillPlaces(QStringLiteral("%1 [%2] %3%"), values, Language::English),
              QStringLiteral("x%2y [luminance; chrominance] %3%"));
    EXPECT_EQ(FillPlaces(QStringLiteral("%2"), values, Language::Chinese),
              QStringLiteral("亮度；色度"));
}

}  // namespace
}  // namespace veltra::analysis
