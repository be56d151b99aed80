// TFMXBitmapEx: the bitmap through which every picture file is read and
// written. The file name's extension picks the codec: the program's own TGA
// and PSD code, or Qt's codecs for JPEG, PNG and BMP.
#pragma once

#include "platform/Types.h"

#include <QImage>
#include <QString>

enum class ImageFileKind {
    None, // not a picture file the program reads or writes
    Codec, // .jpg, .jpeg, .png, .bmp through Qt's image codecs
    Psd,
    Tga,
};

// The extension of a file name: the text from the last dot of its name part,
// dot included, ASCII letters lower-cased; empty when there is none.
QString LowerExtension(const QString &fileName);

// Looks only at the name, by its LowerExtension. "x.tga.bak" is a .bak file.
ImageFileKind ImageFileKindOf(const QString &fileName);

class TFMXBitmapEx : public QImage // ARGB32 premultiplied
{
public:
    explicit TFMXBitmapEx(int width = 0, int height = 0);

    // Written into the extension area of saved TGA files; a TGA load sets it
    // to the author read (empty when the file has none).
    QString Author = QStringLiteral("ORVEN PROJECT");
    // Form of saved TGA files: true 32-bit raw with alpha, false 24-bit RLE.
    bool hasAlpha = true;

    // Reads the picture and turns it by rotate degrees (clockwise). Throws
    // FileError, naming the file and the reason, when the file is missing or
    // unreadable, its kind is not one the program reads, its header is not
    // accepted, or its data is damaged or holds no picture; the bitmap is
    // then unchanged (a TGA load still sets Author from the file).
    void LoadFromFileEx(const QString &fileName, Single rotate);

    // Writes the picture in the format the extension names, through a
    // temporary file that replaces an existing one only when complete.
    // params: comma-separated key=value pairs for Qt's codecs; "quality=N"
    // (0..100) sets the JPEG (and PNG compression) quality, unknown keys are
    // ignored, an empty string keeps the codec's defaults. TGA and PSD ignore
    // params. Throws FileError when the kind is not one the program writes,
    // the bitmap is empty, or the file cannot be written.
    void SaveToFileEx(const QString &fileName, const QString &params = QString());

    TFMXBitmapEx &operator=(const QImage &image);
};

// The value of "quality=N" in a parameter string, or -1 when it has none.
int ImageQualityParam(const QString &params);
