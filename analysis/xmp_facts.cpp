#include "analysis/xmp_facts.h"

#include <QXmlStreamReader>

#include <array>
#include <optional>

namespace veltra::analysis {
namespace {

constexpr QLatin1StringView kRdfNamespace("http://www.w3.org/1999/02/22-rdf-syntax-ns#");
constexpr QLatin1StringView kXmpNamespace("http://ns.adobe.com/xap/1.0/");
constexpr QLatin1StringView kXmpMediaManagementNamespace("http://ns.adobe.com/xap/1.0/mm/");
constexpr QLatin1StringView kResourceEventNamespace("http://ns.adobe.com/xap/1.0/sType/ResourceEvent#");
constexpr QLatin1StringView kIptcExtensionNamespace("http://iptc.org/std/Iptc4xmpExt/2008-02-29/");

// The vocabulary's own address; files write it with http, some tools with https.
constexpr std::array kDigitalSourceVocabularies = {
    QLatin1StringView("http://cv.iptc.org/newscodes/digitalsourcetype/"),
    QLatin1StringView("https://cv.iptc.org/newscodes/digitalsourcetype/"),
};

struct DigitalSourceTerm {
    QLatin1StringView term;
    DigitalSourceClass sourceClass;
};

// Every term of the IPTC digital source type vocabulary, retired ones included, since
// files written before a term was retired still carry it.
constexpr std::array kDigitalSourceTerms = {
    DigitalSourceTerm{QLatin1StringView("digitalCapture"), DigitalSourceClass::Capture},
    DigitalSourceTerm{QLatin1StringView("computationalCapture"), DigitalSourceClass::Capture},
    DigitalSourceTerm{QLatin1StringView("negativeFilm"), DigitalSourceClass::Capture},
    DigitalSourceTerm{QLatin1StringView("positiveFilm"), DigitalSourceClass::Capture},
    DigitalSourceTerm{QLatin1StringView("print"), DigitalSourceClass::Capture},
    DigitalSourceTerm{QLatin1StringView("screenCapture"), DigitalSourceClass::Capture},
    // A live recording of a virtual scene: recorded, whatever the scene was made of.
    DigitalSourceTerm{QLatin1StringView("virtualRecording"), DigitalSourceClass::Capture},
    DigitalSourceTerm{QLatin1StringView("humanEdits"), DigitalSourceClass::Edit},
    DigitalSourceTerm{QLatin1StringView("minorHumanEdits"), DigitalSourceClass::Edit},
    DigitalSourceTerm{QLatin1StringView("algorithmicallyEnhanced"), DigitalSourceClass::Edit},
    DigitalSourceTerm{QLatin1StringView("digitalCreation"), DigitalSourceClass::HumanCreation},
    DigitalSourceTerm{QLatin1StringView("digitalArt"), DigitalSourceClass::HumanCreation},
    DigitalSourceTerm{QLatin1StringView("softwareImage"), DigitalSourceClass::HumanCreation},
    DigitalSourceTerm{QLatin1StringView("dataDrivenMedia"), DigitalSourceClass::HumanCreation},
    DigitalSourceTerm{QLatin1StringView("composite"), DigitalSourceClass::Composite},
    DigitalSourceTerm{QLatin1StringView("compositeCapture"), DigitalSourceClass::Composite},
    DigitalSourceTerm{QLatin1StringView("trainedAlgorithmicMedia"), DigitalSourceClass::TrainedModel},
    DigitalSourceTerm{QLatin1StringView("algorithmicMedia"), DigitalSourceClass::Algorithm},
    DigitalSourceTerm{QLatin1StringView("compositeWithTrainedAlgorithmicMedia"),
                      DigitalSourceClass::CompositeWithTrainedModel},
    DigitalSourceTerm{QLatin1StringView("compositeSynthetic"), DigitalSourceClass::CompositeSynthetic},
};

// Internal entities of a DTD are the only ones the reader expands; a packet has no use for
// them, and a few nested ones can grow to gigabytes.
constexpr int kEntityExpansionLimit = 1024;

QStringView LastPathSegment(QStringView uri)
{
    const qsizetype slash = uri.lastIndexOf(u'/');
    return slash < 0 ? uri : uri.sliced(slash + 1);
}

enum class Property { None, CreatorTool, DigitalSourceType, Action, SoftwareAgent, When, Changed };

std::optional<Property> TopLevelProperty(QStringView namespaceUri, QStringView name)
{
    if (namespaceUri == kXmpNamespace && name == u"CreatorTool")
        return Property::CreatorTool;
    if (namespaceUri == kIptcExtensionNamespace && name == u"DigitalSourceType")
        return Property::DigitalSourceType;
    return std::nullopt;
}

std::optional<Property> EventProperty(QStringView namespaceUri, QStringView name)
{
    if (namespaceUri != kResourceEventNamespace)
        return std::nullopt;
    if (name == u"action")
        return Property::Action;
    if (name == u"softwareAgent")
        return Property::SoftwareAgent;
    if (name == u"when")
        return Property::When;
    if (name == u"changed")
        return Property::Changed;
    return std::nullopt;
}

// Walks the packet once, keeping only the state it needs: how deep it is, where the history
// and the entry being read began, and which property's text is being gathered.
class XmpWalker {
public:
    explicit XmpWalker(QByteArrayView packet) : m_reader(packet.toByteArray())
    {
        m_reader.setNamespaceProcessing(true);
        m_reader.setEntityExpansionLimit(kEntityExpansionLimit);
    }

    XmpFacts Walk()
    {
        while (!m_reader.atEnd() && m_facts.complete) {
            switch (m_reader.readNext()) {
            case QXmlStreamReader::StartElement:
                StartElement();
                break;
            case QXmlStreamReader::EndElement:
                EndElement();
                break;
            case QXmlStreamReader::Characters:
                if (m_gathering != Property::None && m_depth == m_gatheringDepth)
                    m_gathered += m_reader.text();
                break;
            default:
                break;
            }
        }
        if (m_reader.hasError() && m_facts.complete)
            Stop(m_reader.errorString());
        return m_facts;
    }

private:
    void Stop(const QString& problem)
    {
        m_facts.complete = false;
        m_facts.problem = problem;
    }

    void StartElement()
    {
        ++m_depth;
        if (m_depth > kMaxXmpDepth) {
            Stop(QStringLiteral("nesting deeper than %1 elements").arg(kMaxXmpDepth));
            return;
        }
        const QStringView namespaceUri = m_reader.namespaceUri();
        const QStringView name = m_reader.name();
        const bool inEvent = m_eventDepth > 0;

        if (inEvent) {
            ReadEventAttributes();
            if (const std::optional<Property> property = EventProperty(namespaceUri, name))
                Gather(*property);
            return;
        }
        if (m_historyDepth > 0) {
            // The entries of the history's rdf:Seq (or rdf:Bag) are its grandchildren.
            if (namespaceUri == kRdfNamespace && name == u"li" && m_depth == m_historyDepth + 2) {
                m_eventDepth = m_depth;
                m_event = XmpHistoryEvent();
                ReadEventAttributes();
            }
            return;
        }
        if (namespaceUri == kXmpMediaManagementNamespace && name == u"History") {
            m_historyDepth = m_depth;
            return;
        }
        if (namespaceUri == kRdfNamespace && name == u"Description") {
            for (const QXmlStreamAttribute& attribute : m_reader.attributes()) {
                if (const std::optional<Property> property =
                        TopLevelProperty(attribute.namespaceUri(), attribute.name()))
                    Store(*property, attribute.value());
            }
            return;
        }
        if (const std::optional<Property> property = TopLevelProperty(namespaceUri, name)) {
            // A URI may be written as a resource rather than as text.
            const QStringView resource = m_reader.attributes().value(kRdfNamespace, QLatin1StringView("resource"));
            if (!resource.isEmpty())
                Store(*property, resource);
            else
                Gather(*property);
        }
    }

    void EndElement()
    {
        if (m_gathering != Property::None && m_depth == m_gatheringDepth) {
            Store(m_gathering, m_gathered);
            m_gathering = Property::None;
        }
        if (m_depth == m_eventDepth) {
            KeepEvent();
            m_eventDepth = 0;
        } else if (m_depth == m_historyDepth) {
            m_historyDepth = 0;
        }
        --m_depth;
    }

    void ReadEventAttributes()
    {
        for (const QXmlStreamAttribute& attribute : m_reader.attributes()) {
            if (const std::optional<Property> property =
                    EventProperty(attribute.namespaceUri(), attribute.name()))
                Store(*property, attribute.value());
        }
    }

    void Gather(Property property)
    {
        m_gathering = property;
        m_gatheringDepth = m_depth;
        m_gathered.clear();
    }

    void Store(Property property, QStringView value)
    {
        const QString text = value.trimmed().toString();
        QString* field = nullptr;
        switch (property) {
        case Property::CreatorTool:
            field = &m_facts.creatorTool;
            break;
        case Property::DigitalSourceType:
            field = &m_facts.digitalSourceType;
            break;
        case Property::Action:
            field = &m_event.action;
            break;
        case Property::SoftwareAgent:
            field = &m_event.softwareAgent;
            break;
        case Property::When:
            field = &m_event.when;
            break;
        case Property::Changed:
            field = &m_event.changed;
            break;
        case Property::None:
            return;
        }
        if (field->isEmpty())
            *field = text;
    }

    void KeepEvent()
    {
        if (static_cast<qsizetype>(m_facts.history.size()) == kMaxXmpHistoryEvents) {
            m_facts.history.erase(m_facts.history.begin());
            ++m_facts.historyEventsDropped;
        }
        m_facts.history.push_back(m_event);
    }

    QXmlStreamReader m_reader;
    XmpFacts m_facts;
    int m_depth = 0;
    int m_historyDepth = 0;  // depth of xmpMM:History while inside it, else 0
    int m_eventDepth = 0;    // depth of the history entry's rdf:li while inside it, else 0
    XmpHistoryEvent m_event;
    Property m_gathering = Property::None;
    int m_gatheringDepth = 0;
    QString m_gathered;
};

}  // namespace

DigitalSourceClass ClassifyDigitalSourceType(QStringView uri)
{
    const QStringView trimmed = uri.trimmed();
    if (trimmed.isEmpty())
        return DigitalSourceClass::NotGiven;
    for (const QLatin1StringView vocabulary : kDigitalSourceVocabularies) {
        if (!trimmed.startsWith(vocabulary))
            continue;
        const QStringView term = trimmed.sliced(vocabulary.size());
        for (const DigitalSourceTerm& known : kDigitalSourceTerms) {
            if (term == known.term)
                return known.sourceClass;
        }
    }
    return DigitalSourceClass::Unrecognised;
}

bool IsGenerative(DigitalSourceClass sourceClass)
{
    switch (sourceClass) {
    case DigitalSourceClass::TrainedModel:
    case DigitalSourceClass::Algorithm:
    case DigitalSourceClass::CompositeWithTrainedModel:
    case DigitalSourceClass::CompositeSynthetic:
        return true;
    default:
        return false;
    }
}

XmpFacts ReadXmpFacts(QByteArrayView packet)
{
    // Some writers pad the packet with zero bytes after its end, which is not XML.
    while (!packet.isEmpty() && packet.back() == '\0')
        packet.chop(1);
    const bool tooLarge = packet.size() > kMaxXmpPacket;
    XmpWalker walker(tooLarge ? packet.first(kMaxXmpPacket) : packet);
    XmpFacts facts = walker.Walk();
    if (tooLarge) {
        facts.complete = false;
        facts.problem = QStringLiteral("packet larger than %1 bytes; only its start was read")
                            .arg(kMaxXmpPacket);
    }
    facts.digitalSourceTerm = LastPathSegment(facts.digitalSourceType).toString();
    facts.digitalSourceClass = ClassifyDigitalSourceType(facts.digitalSourceType);
    facts.generative = IsGenerative(facts.digitalSourceClass);
    return facts;
}

}  // namespace veltra::analysis
