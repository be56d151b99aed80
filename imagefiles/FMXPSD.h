// Photoshop documents (PSD version 1, 8-bit RGB): a flat writer, a layered
// writer whose merged image is the layers drawn over black, and a reader of
// the merged image of RGB, greyscale and bitmap-mode documents.
#pragma once

#include "ImageRead.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

#include <array>

class QIODevice;

using TPSDChar4 = std::array<char, 4>;

struct TPSDChannel {
    quint16 ID = 0;
    quint32 LG = 0; // channel data length
};

struct TPSDLayer {
    QByteArray Name;
    quint32 Width = 0;
    quint32 Height = 0;
    quint32 Top = 0;
    quint32 Left = 0;
    quint16 Channels = 0;
    QVector<TPSDChannel> Channel;
    TPSDChar4 BlendMode = {0, 0, 0, 0};
    quint8 Opacity = 0;
    QImage Bitmap; // premultiplied, like every bitmap
};

struct TPSDFile {
    quint16 ColorMode = 0; // 0 bitmap, 1 greyscale, 3 RGB
    quint16 Depth = 0;
    quint16 Channels = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    quint16 LayerCount = 0;
    QVector<TPSDLayer> Layer;
};

// Releases the layers' channels and bitmaps and sets LayerCount to 0.
void FreePSDFile(TPSDFile &psd);

// The largest width or height a PSD (version 1) document may have.
constexpr int PSDMaxSide = 30000;

// Reads the merged image of a document held in memory into bitmap. On Rejected
// the bitmap is untouched; on Truncated it holds the rows decoded so far.
ImageReadResult ReadPSDData(const QByteArray &data, QImage &bitmap);

// The same for a file; result.read() is true when the picture was read.
// Throws FileError when the file cannot be opened.
ImageReadResult ReadPSDFile(const QString &fileName, QImage &bitmap);

// A flat document from the bitmap: the merged image only, straight colour
// without alpha. Returns false when the device refuses a write or the picture
// does not fit a PSD document.
bool WritePSD(QIODevice &dev, const QImage &bitmap);

// Writes the flat document through a temporary file; returns true. Throws
// FileError when the picture cannot be stored or the file cannot be written.
bool WritePSDFile(const QString &fileName, const QImage &bitmap);

// The layered form. The caller fills LayerCount and each layer's Bitmap; every
// other field is filled here (names "Layer0", "Layer1", ..., blend mode
// "norm", opacity 255, the document as large as the largest layer). Returns
// false and writes nothing when LayerCount is 0.
bool WritePSDLayers(QIODevice &dev, TPSDFile &psd);

// The same into a file, replaced only when complete. Returns false and
// creates no file when LayerCount is 0; throws FileError when the file cannot
// be written.
bool WritePSDLayers(const QString &fileName, TPSDFile &psd);

// PackBits one row of n bytes into out (room for n + n / 128 + 1 bytes);
// returns the bytes written.
int PackBitsRow(const uchar *src, int n, uchar *out);

// Unpacks at most srcLen packed bytes into at most dstLen bytes; returns the
// bytes produced. Never reads or writes past either end.
int UnpackBitsRow(const uchar *src, int srcLen, uchar *dst, int dstLen);
