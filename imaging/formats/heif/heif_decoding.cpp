#include "formats/format_decoder.h"

#include "formats/heif/heif_boxes.h"
#include "formats/heif/heif_decoder.h"
#include "formats/heif/heif_picture.h"
#include "formats/heif/heif_picture_file.h"
#include "formats/pixel_budget.h"
#include "imaging/logging.h"

namespace veltra::imaging {
namespace {

GpStatus DecodeHeif(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    const HeifBoxes boxes = ReadHeifBoxes(file);
    const HeifPicture primary = DescribePrimaryPicture(boxes);
    if (primary.refusal != LoadFailureReason::None)
        return UnknownImageFormat;
    // The decoder is given the primary picture alone (its tiles and its alpha plane with it):
    // the rest of the file, whatever it holds, is never parsed by it.
    const QByteArray alone = HeifFileOfPicture(boxes, primary.id, file.size(), true);
    if (alone.isEmpty())
        qCInfo(lcImaging,
               "the primary picture could not be taken apart; libheif reads the whole file");
    return DecodeHeifPrimary(alone.isEmpty() ? file : QByteArrayView(alone), primary,
                             PixelBudgetFor(file.size()), pixels);
}

}  // namespace

const FormatDecoder kHeifDecoder{
    .format = FileFormat::Heif,
    .decode = DecodeHeif,
};

}  // namespace veltra::imaging
