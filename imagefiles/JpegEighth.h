// A photo at an eighth of its size, read from its JPEG's DC coefficients
// alone. A thumbnail needs no more, and a general decoder, even asked for an
// eighth, works through every coefficient of every block at full cost; this
// reader only steps over the others. It gives the pixels libjpeg gives at an
// eighth (the same rounding, the same chroma replication, the same colour
// conversion), so thumbnails look the same whichever reads them. One
// difference: where chroma is halved both ways (4:2:0, as most cameras
// write), libjpeg spreads each chroma block over 2 x 2 samples with a small
// inverse DCT, whose mean is the block's DC; here the DC is taken for all
// four. Scaled down to a thumbnail, the two are the same to a level or two
// at sharp colour edges, and reading chroma that way took a fifth of the
// time.
//
// It reads the JPEGs cameras and phones write: baseline or extended Huffman
// coding, 8-bit samples, one component or three in one scan (YCbCr), with
// or without restart markers. Anything else, and any file that is damaged
// or truncated, gives a null image: the caller then reads the file the usual
// way, which handles everything and says what is wrong.
#pragma once

#include <QByteArray>
#include <QImage>

// The picture as stored (orientation not applied), ceil(width / 8) x
// ceil(height / 8) pixels, Format_RGB32 or Format_Grayscale8; null when the
// file is not one this reader takes, or pixels would exceed maxPixels.
QImage ReadJpegEighth(const QByteArray &file, qint64 maxPixels = qint64(64) << 20);
