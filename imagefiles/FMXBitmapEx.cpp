// Loading and saving pictures by extension, with errors that tell the user
// which file failed and why.
#include "FMXBitmapEx.h"

#include "FMXPSD.h"
#include "FMXTGA.h"
#include "FileIO.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTransform>

#include <cmath>

namespace {

QString KindRefusal(const QString &fileName, bool saving)
{
    const QString ext = LowerExtension(fileName);
    if (ext.isEmpty() || ext == QLatin1String("."))
        return QCoreApplication::translate("Files", "the name has no extension that says what kind of picture it is");
    return (saving ? QCoreApplication::translate(
                "Files", "the program does not save %1 files (it knows JPEG, PNG, BMP, TGA and PSD)")
                   : QCoreApplication::translate(
                       "Files", "the program does not read %1 files (it knows JPEG, PNG, BMP, TGA and PSD)"))
        .arg(ext);
}

QByteArray CodecFormat(const QString &fileName)
{
    QString ext = LowerExtension(fileName).mid(1);
    if (ext == QLatin1String("jpeg") || ext == QLatin1String("jpe"))
        ext = QStringLiteral("jpg");
    return ext.toLatin1();
}

bool HasTransparency(const QImage &img)
{
    if (!img.hasAlphaChannel())
        return false;
    const QImage argb = img.format() == QImage::Format_ARGB32_Premultiplied || img.format() == QImage::Format_ARGB32
                            ? img
                            : img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return true;
    }
    return false;
}

QImage Rotated(const QImage &img, Single rotate)
{
    if (rotate == 0)
        return img;
    const double quarters = rotate / 90.0;
    if (quarters == std::floor(quarters))
        return BitmapRotated(img, int(std::fmod(quarters, 4.0)));
    QTransform tr;
    tr.rotate(rotate);
    return ToBitmap(img.transformed(tr, Qt::SmoothTransformation));
}

} // namespace

QString LowerExtension(const QString &fileName)
{
    const int slash = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const QString name = fileName.mid(slash + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    QString ext = name.mid(dot);
    // Only A-Z: other letters are never part of the extensions we know.
    for (QChar &c : ext) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return ext;
}

ImageFileKind ImageFileKindOf(const QString &fileName)
{
    const QString ext = LowerExtension(fileName);
    if (ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg") || ext == QLatin1String(".jpe")
        || ext == QLatin1String(".png") || ext == QLatin1String(".bmp"))
        return ImageFileKind::Codec;
    if (ext == QLatin1String(".psd"))
        return ImageFileKind::Psd;
    if (ext == QLatin1String(".tga"))
        return ImageFileKind::Tga;
    return ImageFileKind::None;
}

int ImageQualityParam(const QString &params)
{
    int quality = -1;
    const QStringList items = params.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const int eq = item.indexOf(QLatin1Char('='));
        if (eq < 0 || item.left(eq).trimmed().compare(QLatin1String("quality"), Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const int v = item.mid(eq + 1).trimmed().toInt(&ok);
        if (ok && v >= 0 && v <= 100)
            quality = v;
    }
    return quality;
}

TFMXBitmapEx::TFMXBitmapEx(int width, int height) : QImage(NewBitmap(width, height)) { }

TFMXBitmapEx &TFMXBitmapEx::operator=(const QImage &image)
{
    QImage::operator=(ToBitmap(image));
    return *this;
}

void TFMXBitmapEx::LoadFromFileEx(const QString &fileName, Single rotate)
{
    const ImageFileKind kind = ImageFileKindOf(fileName);
    if (kind == ImageFileKind::None)
        throw FileError(OpenErrorText(fileName, KindRefusal(fileName, false)));

    QImage img;
    if (kind == ImageFileKind::Codec) {
        // The codec reads from the file as it decodes, so only the picture
        // itself is held in memory.
        QFile file;
        OpenForReading(file, fileName);
        QImageReader reader(&file, CodecFormat(fileName));
        reader.setAllocationLimit(int(MaxImageBytes >> 20));
        // A photo is shown, turned and saved as it was taken: a phone stores a
        // portrait photo lying on its side with an orientation tag.
        reader.setAutoTransform(true);
        if (!reader.read(&img) || img.isNull())
            throw FileError(OpenErrorText(
                fileName, QCoreApplication::translate(
                              "Files", "the file is damaged or is not a picture the program can read (%1)")
                              .arg(reader.errorString())));
    } else {
        ImageReadResult result;
        if (kind == ImageFileKind::Tga) {
            QString author;
            result = ReadTGAFile(fileName, img, author);
            Author = author;
        } else {
            result = ReadPSDFile(fileName, img);
        }
        if (!result.read())
            throw FileError(OpenErrorText(fileName, result.reason));
    }
    if (img.isNull() || img.width() == 0 || img.height() == 0)
        throw FileError(OpenErrorText(fileName, QCoreApplication::translate("Files", "the file holds no picture")));
    *this = Rotated(ToBitmap(img), rotate);
}

void TFMXBitmapEx::SaveToFileEx(const QString &fileName, const QString &params)
{
    const ImageFileKind kind = ImageFileKindOf(fileName);
    if (kind == ImageFileKind::None)
        throw FileError(SaveErrorText(fileName, KindRefusal(fileName, true)));
    if (isNull() || width() == 0 || height() == 0)
        throw FileError(SaveErrorText(fileName, QCoreApplication::translate("Files", "there is no picture to save")));

    switch (kind) {
    case ImageFileKind::Tga: WriteTGAFile(fileName, *this, Author, hasAlpha); break;
    case ImageFileKind::Psd: WritePSDFile(fileName, *this); break;
    case ImageFileKind::Codec: {
        const QByteArray format = CodecFormat(fileName);
        const int quality = ImageQualityParam(params);
        // JPEG and BMP files keep no transparency: transparent parts are laid
        // onto white, as the board shows them, instead of turning black.
        QImage flat;
        if (format != "png" && HasTransparency(*this)) {
            flat = QImage(size(), QImage::Format_RGB32);
            flat.fill(Qt::white);
            QPainter p(&flat);
            p.drawImage(0, 0, *this);
        }
        const QImage &picture = flat.isNull() ? static_cast<const QImage &>(*this) : flat;
        SaveFileSafely(fileName, [&](QIODevice &dev) {
            QImageWriter writer(&dev, format);
            if (quality >= 0)
                writer.setQuality(quality);
            if (writer.write(picture))
                return true;
            // A refused write is told in the system's words; the codec only
            // knows that something went wrong.
            if (const auto *safe = dynamic_cast<const SafeFileWriter *>(&dev); safe && safe->failed())
                return false;
            throw FileError(SaveErrorText(fileName, writer.errorString()));
        });
        break;
    }
    case ImageFileKind::None: break;
    }
}
