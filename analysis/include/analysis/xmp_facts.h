#pragma once

// Facts from one XMP packet that say where a picture came from: the IPTC digital source
// type (captured, edited, made by a generative model...), the tool that created it, and the
// edit history that Adobe's tools and others keep.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

namespace veltra::analysis {

// The IPTC digital source types, grouped by what they say about the picture's origin.
enum class DigitalSourceClass {
    NotGiven,      // the packet names no digital source type
    Unrecognised,  // a type outside the IPTC vocabulary, or a term it does not have
    Capture,       // sampled from real life: a camera, a scan of film or print, a screen
    Edit,          // a capture edited by a person or enhanced by an algorithm
    HumanCreation, // made by a person with digital tools, or drawn from data by a program
    Composite,     // several elements, captured or of unknown origin
    // The generative ones.
    TrainedModel,               // made by a model trained on sampled content
    Algorithm,                  // made purely by an algorithm, without training data
    CompositeWithTrainedModel,  // a composite that includes elements made by a trained model
    CompositeSynthetic,         // a composite that includes synthetic elements
};

// The class of a digital source type URI such as
// "http://cv.iptc.org/newscodes/digitalsourcetype/trainedAlgorithmicMedia" (http or https).
// NotGiven for an empty URI, Unrecognised for any other vocabulary or an unknown term.
DigitalSourceClass ClassifyDigitalSourceType(QStringView uri);

// True for the classes of media made wholly or partly by a generative model or algorithm.
bool IsGenerative(DigitalSourceClass sourceClass);

// One xmpMM:History entry (stEvt fields), as written; absent fields are empty.
struct XmpHistoryEvent {
    QString action;         // "created", "saved", "converted", "derived"...
    QString softwareAgent;  // the tool that acted
    QString when;           // the date as written, usually ISO 8601
    QString changed;        // the parts changed, "/" for all
};

struct XmpFacts {
    QString digitalSourceType;  // Iptc4xmpExt:DigitalSourceType, the URI as written
    QString digitalSourceTerm;  // its last path segment: "trainedAlgorithmicMedia"
    DigitalSourceClass digitalSourceClass = DigitalSourceClass::NotGiven;
    bool generative = false;    // IsGenerative(digitalSourceClass)
    QString creatorTool;        // xmp:CreatorTool
    // The history in the order written, oldest first. Past kMaxXmpHistoryEvents entries the
    // oldest are dropped, since the latest are the telling ones, and counted here.
    std::vector<XmpHistoryEvent> history;
    qsizetype historyEventsDropped = 0;
    // False when reading stopped early: malformed XML, a packet larger than kMaxXmpPacket
    // (only its start is read), nesting deeper than kMaxXmpDepth, or too many entity
    // expansions. What was read before is kept; `problem` says what stopped it.
    bool complete = true;
    QString problem;
};

inline constexpr qsizetype kMaxXmpPacket = qsizetype{4} * 1024 * 1024;
inline constexpr int kMaxXmpDepth = 64;
inline constexpr qsizetype kMaxXmpHistoryEvents = 256;

// Reads an XMP packet (an x:xmpmeta or rdf:RDF document, with or without the xpacket
// wrapper). Each property may be an attribute of rdf:Description or a child element, and
// each history entry an rdf:li with stEvt attributes, with stEvt child elements, or holding
// an rdf:Description with either. Properties are matched by namespace, whatever their
// prefixes; the first value of each wins. Never throws; linear in the packet's size.
XmpFacts ReadXmpFacts(QByteArrayView packet);

}  // namespace veltra::analysis
