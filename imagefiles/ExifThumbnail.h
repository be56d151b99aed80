// The small picture a camera or phone stores inside a JPEG's Exif segment
// (the second image file directory's JPEGInterchangeFormat), found without
// decoding the photo: a tile in the strip can be made from it in a
// millisecond where decoding the photo takes tens. The segment is input from
// elsewhere: every offset and length is checked against what is there.
#pragma once

#include <QByteArray>
#include <QImage>

struct ExifThumbnail {
    QByteArray jpeg; // the embedded JPEG, empty when there is none
    int orientation = 1; // the photo's orientation tag (1 to 8), which the embedded picture shares; also without one
};

// Looks through the segments before the photo's scan; never reads past the data.
ExifThumbnail FindExifThumbnail(const QByteArray &file);

// A picture stored as a photo's orientation tag says, made upright.
QImage Upright(const QImage &stored, int orientation);
