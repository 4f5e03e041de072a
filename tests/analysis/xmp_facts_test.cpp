// Facts from XMP packets written here by hand: the attribute form, the element form, one as
// Adobe's tools write it, and damaged or hostile ones.

#include "analysis/xmp_facts.h"

#include "analysis/row_name.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <string>

namespace veltra::analysis {
namespace {

std::vector<std::string> Events(const XmpFacts& facts)
{
    std::vector<std::string> rows;
    for (const XmpHistoryEvent& event : facts.history) {
        rows.push_back((event.action + u'|' + event.softwareAgent + u'|' + event.when + u'|' +
                        event.changed)
                           .toStdString());
    }
    return rows;
}

QByteArray Packet(const char* descriptionBody, const char* descriptionAttributes = "")
{
    return QByteArray(R"(<x:xmpmeta xmlns:x="adobe:ns:meta/">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:xmpMM="http://ns.adobe.com/xap/1.0/mm/"
    xmlns:stEvt="http://ns.adobe.com/xap/1.0/sType/ResourceEvent#"
    xmlns:Iptc4xmpExt="http://iptc.org/std/Iptc4xmpExt/2008-02-29/" )") +
           descriptionAttributes + ">" + descriptionBody + "</rdf:Description></rdf:RDF></x:xmpmeta>";
}

TEST(XmpFacts, PropertiesAsAttributes)
{
    const XmpFacts facts = ReadXmpFacts(Packet(
        R"(<xmpMM:History><rdf:Seq>
             <rdf:li stEvt:action="created" stEvt:softwareAgent="Generator 2" stEvt:when="2024-05-01T10:00:00Z"/>
             <rdf:li stEvt:action="saved" stEvt:changed="/" stEvt:softwareAgent="Editor 7"/>
           </rdf:Seq></xmpMM:History>)",
        R"(xmp:CreatorTool="Generator 2" Iptc4xmpExt:DigitalSourceType=
           "http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia")"));
    EXPECT_TRUE(facts.complete) << facts.problem.toStdString();
    EXPECT_EQ(facts.creatorTool, QStringLiteral("Generator 2"));
    EXPECT_EQ(facts.digitalSourceType,
              QStringLiteral("http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia"));
    EXPECT_EQ(facts.digitalSourceTerm, QStringLiteral("trainedAlgorithmicMedia"));
    EXPECT_EQ(facts.digitalSourceClass, DigitalSourceClass::TrainedModel);
    EXPECT_TRUE(facts.generative);
    EXPECT_EQ(Events(facts), (std::vector<std::string>{"created|Generator 2|2024-05-01T10:00:00Z|",
                                                       "saved|Editor 7||/"}));
}

TEST(XmpFacts, PropertiesAsChildElementsWithOtherPrefixes)
{
    // The prefixes are the writer's choice; the namespaces are what count. The three entries
    // show the three ways an entry can be written.
    const XmpFacts facts = ReadXmpFacts(QByteArray(R"(<?xml version="1.0"?>
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
 <rdf:Description rdf:about="" xmlns:a="http://ns.adobe.com/xap/1.0/"
   xmlns:mm="http://ns.adobe.com/xap/1.0/mm/"
   xmlns:ev="http://ns.adobe.com/xap/1.0/sType/ResourceEvent#"
   xmlns:ext="http://iptc.org/std/Iptc4xmpExt/2008-02-29/">
  <a:CreatorTool>  Camera Firmware 1.2  </a:CreatorTool>
  <ext:DigitalSourceType rdf:resource="http://cv.iptc.org/newscodes/digitalsourcetype/digitalCapture"/>
  <mm:History>
   <rdf:Seq>
    <rdf:li rdf:parseType="Resource">
     <ev:action>created</ev:action><ev:when>2023-01-02</ev:when>
    </rdf:li>
    <rdf:li><rdf:Description ev:action="converted" ev:softwareAgent="Converter"/></rdf:li>
    <rdf:li ev:action="saved"><ev:changed>/metadata</ev:changed></rdf:li>
   </rdf:Seq>
  </mm:History>
 </rdf:Description>
</rdf:RDF>)"));
    EXPECT_TRUE(facts.complete) << facts.problem.toStdString();
    EXPECT_EQ(facts.creatorTool, QStringLiteral("Camera Firmware 1.2"));
    EXPECT_EQ(facts.digitalSourceTerm, QStringLiteral("digitalCapture"));
    EXPECT_EQ(facts.digitalSourceClass, DigitalSourceClass::Capture);
    EXPECT_FALSE(facts.generative);
    EXPECT_EQ(Events(facts), (std::vector<std::string>{"created||2023-01-02|", "converted|Converter||",
                                                       "saved|||/metadata"}));
}

// As Photoshop writes a packet: the xpacket wrapper with its byte order mark, several
// descriptions' worth of namespaces, a history with instance identifiers and the padding
// that lets the packet be edited in place.
const QByteArray kAdobePacket = QByteArray(
    "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
    R"(<x:xmpmeta xmlns:x="adobe:ns:meta/" x:xmptk="Adobe XMP Core 9.1-c001 79.675d0f7, 2023/06/11-19:21:16        ">
   <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
      <rdf:Description rdf:about=""
            xmlns:xmp="http://ns.adobe.com/xap/1.0/"
            xmlns:dc="http://purl.org/dc/elements/1.1/"
            xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/"
            xmlns:xmpMM="http://ns.adobe.com/xap/1.0/mm/"
            xmlns:stEvt="http://ns.adobe.com/xap/1.0/sType/ResourceEvent#"
            xmlns:Iptc4xmpExt="http://iptc.org/std/Iptc4xmpExt/2008-02-29/">
         <xmp:CreatorTool>Adobe Photoshop 25.0 (Windows)</xmp:CreatorTool>
         <xmp:CreateDate>2024-02-10T14:03:11+08:00</xmp:CreateDate>
         <dc:format>image/jpeg</dc:format>
         <xmpMM:InstanceID>xmp.iid:5b3c1a9e-7f2d-4c8e-9a61-0d2f4e8b7c13</xmpMM:InstanceID>
         <xmpMM:DocumentID>adobe:docid:photoshop:0f9e2a71-3c4d-11ef-8a5b-d1c2e3f4a5b6</xmpMM:DocumentID>
         <xmpMM:History>
            <rdf:Seq>
               <rdf:li rdf:parseType="Resource">
                  <stEvt:action>created</stEvt:action>
                  <stEvt:instanceID>xmp.iid:1a2b3c4d-0000-4000-8000-000000000001</stEvt:instanceID>
                  <stEvt:when>2024-02-10T14:03:11+08:00</stEvt:when>
                  <stEvt:softwareAgent>Adobe Photoshop 25.0 (Windows)</stEvt:softwareAgent>
               </rdf:li>
               <rdf:li rdf:parseType="Resource">
                  <stEvt:action>saved</stEvt:action>
                  <stEvt:instanceID>xmp.iid:1a2b3c4d-0000-4000-8000-000000000002</stEvt:instanceID>
                  <stEvt:when>2024-02-10T14:20:45+08:00</stEvt:when>
                  <stEvt:softwareAgent>Adobe Photoshop 25.0 (Windows)</stEvt:softwareAgent>
                  <stEvt:changed>/</stEvt:changed>
               </rdf:li>
               <rdf:li rdf:parseType="Resource">
                  <stEvt:action>converted</stEvt:action>
                  <stEvt:parameters>from application/vnd.adobe.photoshop to image/jpeg</stEvt:parameters>
               </rdf:li>
               <rdf:li rdf:parseType="Resource">
                  <stEvt:action>derived</stEvt:action>
                  <stEvt:parameters>converted from application/vnd.adobe.photoshop to image/jpeg</stEvt:parameters>
               </rdf:li>
            </rdf:Seq>
         </xmpMM:History>
         <Iptc4xmpExt:DigitalSourceType>http://cv.iptc.org/newscodes/digitalsourcetype/compositeWithTrainedAlgorithmicMedia</Iptc4xmpExt:DigitalSourceType>
      </rdf:Description>
   </rdf:RDF>
</x:xmpmeta>
)") + QByteArray(2000, ' ') + "\n<?xpacket end=\"w\"?>";

TEST(XmpFacts, PacketAsAdobeToolsWriteIt)
{
    const XmpFacts facts = ReadXmpFacts(kAdobePacket);
    EXPECT_TRUE(facts.complete) << facts.problem.toStdString();
    EXPECT_EQ(facts.creatorTool, QStringLiteral("Adobe Photoshop 25.0 (Windows)"));
    EXPECT_EQ(facts.digitalSourceClass, DigitalSourceClass::CompositeWithTrainedModel);
    EXPECT_TRUE(facts.generative);
    EXPECT_EQ(Events(facts),
              (std::vector<std::string>{
                  "created|Adobe Photoshop 25.0 (Windows)|2024-02-10T14:03:11+08:00|",
                  "saved|Adobe Photoshop 25.0 (Windows)|2024-02-10T14:20:45+08:00|/",
                  "converted|||", "derived|||"}));
}

TEST(XmpFacts, TrailingZeroPaddingIsNotAnError)
{
    const XmpFacts facts = ReadXmpFacts(kAdobePacket + QByteArray(64, '\0'));
    EXPECT_TRUE(facts.complete) << facts.problem.toStdString();
    EXPECT_EQ(facts.history.size(), 4u);
}

TEST(XmpFacts, MalformedPacketKeepsWhatCameBeforeTheError)
{
    // Cut inside the third history entry: the first two are whole.
    const qsizetype cut = kAdobePacket.indexOf("<stEvt:action>converted");
    const XmpFacts facts = ReadXmpFacts(kAdobePacket.first(cut + 20));
    EXPECT_FALSE(facts.complete);
    EXPECT_FALSE(facts.problem.isEmpty());
    EXPECT_EQ(facts.creatorTool, QStringLiteral("Adobe Photoshop 25.0 (Windows)"));
    EXPECT_EQ(facts.history.size(), 2u);
    EXPECT_EQ(facts.digitalSourceClass, DigitalSourceClass::NotGiven);
}

TEST(XmpFacts, DeepNestingStopsReading)
{
    QByteArray nested;
    for (int i = 0; i < 1000; ++i)
        nested += "<rdf:Bag>";
    const XmpFacts facts = ReadXmpFacts(Packet(nested.constData(), R"(xmp:CreatorTool="Tool")"));
    EXPECT_FALSE(facts.complete);
    EXPECT_TRUE(facts.problem.contains(QLatin1String("nesting"))) << facts.problem.toStdString();
    EXPECT_EQ(facts.creatorTool, QStringLiteral("Tool"));
}

TEST(XmpFacts, EntityExpansionIsBounded)
{
    // Each entity ten times the one before: the last would be a billion characters.
    QByteArray doctype = "<!DOCTYPE x:xmpmeta [<!ENTITY e0 \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        doctype += QStringLiteral("<!ENTITY e%1 \"").arg(i).toLatin1();
        for (int j = 0; j < 10; ++j)
            doctype += QStringLiteral("&e%1;").arg(i - 1).toLatin1();
        doctype += "\">";
    }
    doctype += "]>";
    const XmpFacts facts = ReadXmpFacts(doctype + Packet("<xmp:CreatorTool>&e9;</xmp:CreatorTool>"));
    EXPECT_FALSE(facts.complete);
    EXPECT_LT(facts.creatorTool.size(), 10000);
}

TEST(XmpFacts, OnlyTheStartOfAnOversizedPacketIsRead)
{
    const QByteArray packet =
        Packet((QByteArray("<!--") + QByteArray(kMaxXmpPacket, '-') + "-->").constData(),
               R"(xmp:CreatorTool="Tool")");
    const XmpFacts facts = ReadXmpFacts(packet);
    EXPECT_FALSE(facts.complete);
    EXPECT_EQ(facts.creatorTool, QStringLiteral("Tool"));
}

TEST(XmpFacts, ALongHistoryKeepsItsLatestEntries)
{
    QByteArray entries;
    const int written = static_cast<int>(kMaxXmpHistoryEvents) + 44;
    for (int i = 0; i < written; ++i)
        entries += QStringLiteral(R"(<rdf:li stEvt:action="saved %1"/>)").arg(i).toLatin1();
    const XmpFacts facts =
        ReadXmpFacts(Packet(("<xmpMM:History><rdf:Seq>" + entries + "</rdf:Seq></xmpMM:History>").constData()));
    EXPECT_TRUE(facts.complete);
    ASSERT_EQ(static_cast<qsizetype>(facts.history.size()), kMaxXmpHistoryEvents);
    EXPECT_EQ(facts.historyEventsDropped, 44);
    EXPECT_EQ(facts.history.front().action, QStringLiteral("saved 44"));
    EXPECT_EQ(facts.history.back().action, QStringLiteral("saved %1").arg(written - 1));
}

struct SourceType {
    const char* uri;
    DigitalSourceClass sourceClass;
    bool generative;
};

class DigitalSourceTypes : public ::testing::TestWithParam<SourceType> {};

TEST_P(DigitalSourceTypes, ClassifiedAsTheVocabularyDefinesThem)
{
    const DigitalSourceClass sourceClass = ClassifyDigitalSourceType(QString::fromUtf8(GetParam().uri));
    EXPECT_EQ(sourceClass, GetParam().sourceClass);
    EXPECT_EQ(IsGenerative(sourceClass), GetParam().generative);
}

// The classes follow the vocabulary's definitions of the terms.
INSTANTIATE_TEST_SUITE_P(
    Uris, DigitalSourceTypes,
    ::testing::Values(
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia",
                   DigitalSourceClass::TrainedModel, true},
        SourceType{"https://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia",
                   DigitalSourceClass::TrainedModel, true},
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/compositeWithTrainedAlgorithmicMedia",
                   DigitalSourceClass::CompositeWithTrainedModel, true},
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/algorithmicMedia",
                   DigitalSourceClass::Algorithm, true},
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/compositeSynthetic",
                   DigitalSourceClass::CompositeSynthetic, true},
        // Merged frames and non-generative processing are still a capture.
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/computationalCapture",
                   DigitalSourceClass::Capture, false},
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/algorithmicallyEnhanced",
                   DigitalSourceClass::Edit, false},
        // Retired, but files written before still carry it.
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/digitalArt",
                   DigitalSourceClass::HumanCreation, false},
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/compositeCapture",
                   DigitalSourceClass::Composite, false},
        SourceType{"http://cv.iptc.org/newscodes/digitalsourcetype/TrainedAlgorithmicMedia",
                   DigitalSourceClass::Unrecognised, false},
        SourceType{"http://c2pa.org/digitalsourcetype/empty", DigitalSourceClass::Unrecognised, false},
        SourceType{"trainedAlgorithmicMedia", DigitalSourceClass::Unrecognised, false},
        SourceType{"  ", DigitalSourceClass::NotGiven, false}),
    [](const auto& info) { return test::RowName(info.param.uri) + "_" + std::to_string(info.index); });

}  // namespace
}  // namespace veltra::analysis
