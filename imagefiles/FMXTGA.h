// Truevision TGA (2.0) reading and writing: true-colour 24/32-bit pictures,
// raw or run-length encoded, with the extension area that carries the author.
// Files hold straight colour; bitmaps hold premultiplied colour.
#pragma once

#include "ImageRead.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

class QIODevice;

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

TDateTime DateTimeToDays(const QDateTime &dt);
QDateTime DaysToDateTime(TDateTime days);

struct TRGB {
    quint8 b = 0;
    quint8 g = 0;
    quint8 r = 0;
};

// Header and extension-area values of one read or write.
struct TTGAParamsVals {
    qint32 fWidth = 0;
    qint32 fHeight = 0;
    qint32 fOriginalWidth = 0;
    qint32 fOriginalHeight = 0;
    qint32 fBitsPerSample = 0;
    qint32 fSamplesPerPixel = 0;
    bool fAlphaUsed = false;
    bool fTGA_Compressed = false;
    QByteArray fTGA_Descriptor; // the image ID
    QByteArray fTGA_Author;
    TDateTime fTGA_Date = 0;
    QByteArray fTGA_ImageName; // job name/ID
    TRGB fTGA_Background; // key colour
    double fTGA_AspectRatio = 0;
    double fTGA_Gamma = 0;

    void ResetInfo();
};

constexpr int TGAHeaderSize = 18;
constexpr int TGAExtensionSize = 495;
constexpr int TGAFooterSize = 26;

// Reads a TGA picture held in memory into bitmap (premultiplied). On Rejected
// the bitmap is untouched; on Truncated it holds the rows decoded so far. The
// extension-area fields of params are filled in either case.
ImageReadResult ReadTGAData(const QByteArray &data, QImage &bitmap, TTGAParamsVals &params);

// Reads the file; author becomes the author of its extension area (empty when
// it has none), also when the header is rejected. Throws FileError when the
// file cannot be opened.
ImageReadResult ReadTGAFile(const QString &fileName, QImage &bitmap, QString &author);

// Encodes the bitmap as a TGA file: 32-bit raw when params.fAlphaUsed, else
// 24-bit, run-length encoded when params.fTGA_Compressed. Returns false when
// the device refuses a write. Pictures wider or taller than 65535 pixels
// cannot be stored (see TGASizeWritable).
bool WriteTGA(QIODevice &dev, const QImage &bitmap, const TTGAParamsVals &params);
bool TGASizeWritable(const QImage &bitmap);

// Writes the file through a temporary file that replaces fileName only when
// complete. hasAlpha: 32-bit raw with alpha; otherwise 24-bit RLE. Throws
// FileError when the picture cannot be stored or the file cannot be written.
void WriteTGAFile(const QString &fileName, const QImage &bitmap, const QString &author, bool hasAlpha);

// Run-length encodes one row of 24-bit pixels (the alpha byte of each value is
// ignored) into out, which must hold 4 * width + 4 bytes; returns the bytes
// written.
int EncodeTGARow24(const quint32 *row, int width, uchar *out);
