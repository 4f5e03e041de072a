#pragma once

// Pictures shown in a window of a known size. A JPEG larger than the window is first decoded
// at the fastest of libjpeg's scales that still covers what the window shows of it; and the
// files a window will likely open next are decoded ahead, on the service's thread, as copies
// of that size, so that opening one of them shows it at once while its pixels are decoded.

#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace veltra::imaging {

class DecodedContent;
class PropertySet;
struct FormatReader;
struct FrameHeader;

// What a copy at a scale is for, which decides the scale. A copy made ahead is kept in memory
// and painted at every step to its file: the smallest that covers the view. A copy the first
// paint waits for is decoded while the user waits: the covering scale that decodes fastest,
// which may be larger (libjpeg-turbo decodes 4/8 faster than 3/8, and the whole picture faster
// than 5/8 to 7/8).
enum class StandInUse { KeptAhead, WaitedFor };

// The fewest eighths (1 to 8) of its stored size, of those the use takes, at which a picture
// covers what a view of `view` device pixels shows of it: scaled down uniformly to fit when it
// does not fit, at natural size when it does (then 8: nothing smaller serves). `quarterTurn`:
// the picture is shown turned by a quarter, as its orientation says.
int EighthsCovering(QSize stored, bool quarterTurn, QSize view, StandInUse use);

// The fewest eighths (1 to 8) of `source`, a picture of the proportions of `picture` (its
// embedded preview, upright), of those the use takes, that cover what a view of `view` device
// pixels shows of `picture`; 0 when even the whole of it falls short.
int EighthsOfCovering(QSize source, QSize picture, QSize view, StandInUse use);

// The picture a file carries besides its frame (a camera raw's preview), chosen to stand in
// for the frame in a view: where its JPEG lies in the file, the scale that covers the view
// (0: none serves) and the turn that makes it stand as the frame does.
struct EmbeddedStandIn {
    qsizetype offset = 0;
    qsizetype length = 0;
    int eighths = 0;
    RotateFlipType turn = RotateNoneFlipNone;
};
EmbeddedStandIn EmbeddedStandInFor(const FormatReader& reader, QByteArrayView file,
                                   const FrameHeader& header, QSize view, StandInUse use);
// Decodes it at its scale and turns it: a copy of the frame, in the frame's stored orientation.
GpStatus DecodeEmbeddedStandIn(QByteArrayView file, const EmbeddedStandIn& standIn, QImage* out);

// Decodes the copy of one file and keeps it. Runs on the service's thread.
void PrepareViewCopy(const QString& path, QSize view);
// Lets go of the copies of every file but these.
void KeepViewCopiesOf(const QStringList& paths);
// The copy made ahead of this file, in stored orientation, when the file is still the one it
// was made from and its picture has this size; null otherwise.
QImage ViewCopyOf(const QString& path, QSize storedSize);

// Gives a picture loaded for a view of that size its stand-in: the copy made ahead of its
// file when there is one, else the picture the file carries besides its frame (a camera raw's
// preview) when it covers the view, else (a JPEG larger than the view shows it) one to be
// decoded at the scale that covers the view.
void PrepareStandIn(DecodedContent& content, const QString& path, QSize stored,
                    const PropertySet& properties, QSize view);

}  // namespace veltra::imaging
