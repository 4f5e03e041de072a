#pragma once

// The few facts of an ICC colour profile worth showing: its name and colour space.

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace veltra::analysis {

struct IccSummary {
    QString description;  // the profile's 'desc' text ("sRGB IEC61966-2.1", "Display P3")
    QString colourSpace;  // the data colour space of the header: "RGB", "CMYK", "GRAY", ...
};

// Nothing when the bytes are not an ICC profile (too short, or without the 'acsp' signature).
// The description is read from a version 2 'desc' or a version 4 'mluc' tag (its first
// record); it is empty when neither can be read.
std::optional<IccSummary> ReadIccSummary(QByteArrayView profile);

}  // namespace veltra::analysis
