#pragma once

// Where the raw formats outside TIFF keep their TIFF structures and previews: the boxes of a
// CR3, the JPEG of a RAF, the blocks of an MRW and the heap of a CRW. Every offset and length
// is checked against the file; what cannot be found is empty.

#include "metadata/item_budget.h"
#include "imaging/property_record.h"

#include <QByteArrayView>

namespace veltra::imaging {

struct Cr3Boxes {
    // Canon's metadata boxes, each a TIFF structure: IFD0, the Exif directory and the GPS
    // directory.
    QByteArrayView cmt1;
    QByteArrayView cmt2;
    QByteArrayView cmt4;
    // The JPEGs of the thumbnail (THMB) and preview (PRVW) boxes.
    QByteArrayView thumbnailJpeg;
    QByteArrayView previewJpeg;
};

Cr3Boxes ReadCr3Boxes(QByteArrayView file);

// The JPEG a RAF's header points to, which holds the picture's Exif.
QByteArrayView RafJpeg(QByteArrayView file);

// The Exif block (a TIFF structure) of a JPEG's first Exif APP1 segment.
QByteArrayView JpegExifBlock(QByteArrayView jpeg);

// The TIFF structure of an MRW's "\0TTW" block.
QByteArrayView MrwTiffBlock(QByteArrayView file);

// What a CRW's CIFF heap says that has a TIFF or Exif tag: the camera's make and model, its
// firmware as Software, its owner as Artist and the time of the shot as DateTimeOriginal.
PropertyRecords ReadCiffItems(QByteArrayView file, ItemBudget& budget);

}  // namespace veltra::imaging
