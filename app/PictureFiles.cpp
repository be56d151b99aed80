#include "app/PictureFiles.h"

#include "app/WorkerPool.h"
#include "board/PWImage.h"

#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FileIO.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <dirent.h>

QStringList ListFolderPictures(const QString &folder, const QString &ext, bool *readable)
{
    // Tried, not predicted from permission bits: what counts is whether this
    // process can list it now.
    if (DIR *d = ::opendir(QFile::encodeName(folder).constData())) {
        ::closedir(d);
        if (readable)
            *readable = true;
    } else {
        if (readable)
            *readable = false;
        return {};
    }
    // The names a JPEG file goes by are one kind.
    const auto kind = [](const QString &e) {
        return e == QLatin1String(".jpeg") || e == QLatin1String(".jpe") ? QStringLiteral(".jpg") : e;
    };
    const QString wanted = kind(ext);
    QDir dir(folder);
    QStringList names;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo &fi : entries)
        // isFile follows links: a link to a pipe or device is not a picture.
        if (kind(LowerExtension(fi.fileName())) == wanted && fi.isFile())
            names << fi.fileName();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        const int c = collator.compare(a, b);
        // Names equal but for case keep a fixed order.
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

int ListWindowStart(int count, int limit, int opened)
{
    if (limit <= 0 || count <= limit || opened < limit)
        return 0;
    return qBound(0, opened - limit / 2, count - limit);
}

namespace {
QStringList SplitLines(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}
} // namespace

QStringList ReadTextFileLines(const QString &fileName, QByteArray *content)
{
    // Read no further than one byte past the limit: a longer file is refused
    // without being held whole, also when it grew after it was opened.
    QFile file;
    OpenForReading(file, fileName);
    const QByteArray data = file.read(MaxWordListBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw FileError(OpenErrorText(fileName, file.errorString()));
    if (data.size() > MaxWordListBytes)
        throw FileError(OpenErrorText(
            fileName,
            QStringLiteral("it is larger than %1 MiB, too large for a word list").arg(MaxWordListBytes >> 20)));
    if (content)
        *content = data;
    QString text;
    if (auto bom = QStringConverter::encodingForData(data)) {
        QStringDecoder dec(*bom);
        text = dec.decode(data);
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(data);
        if (utf8.hasError()) {
            // Word lists are often written on Japanese Windows, in code page
            // 932; bytes that read as it without a fault are taken so.
            QStringDecoder sjis("Shift_JIS", QStringDecoder::Flag::Stateless);
            if (sjis.isValid()) {
                text = sjis.decode(data);
                if (!sjis.hasError())
                    return SplitLines(text);
            }
            QStringDecoder local(QStringDecoder::System);
            text = local.decode(data);
        }
    }
    return SplitLines(text);
}

QStringList TextListWords(const QString &fileName, QByteArray *content)
{
    QStringList lines = ReadTextFileLines(fileName, content);
    lines.removeAll(QString());
    return lines;
}

QString TextFileFirstLine(const QString &fileName)
{
    const QStringList words = TextListWords(fileName);
    return words.isEmpty() ? QStringLiteral("A") : words.first();
}

QImage MakeThumbnail(const QString &path, QString *error)
{
    const QSize size(ThumbnailSize, ThumbnailSize);
    try {
        if (ImageFileKindOf(path) == ImageFileKind::Codec) {
            // The codecs can decode at a reduced size (JPEG's scaled decode),
            // which is all a 90 x 90 thumbnail needs. A pipe named like a
            // picture is refused, not waited on: it would hold this thread forever.
            QFile file;
            OpenForReading(file, path);
            QImageReader reader(&file);
            reader.setScaledSize(size);
            // Upright as on the board; the stored size is scaled before the
            // turn, which a square tile does not mind.
            reader.setAutoTransform(true);
            const QImage img = reader.read();
            if (!img.isNull())
                return ToBitmap(img.size() == size ? img
                                                   : img.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
        // What the codec could not read gets the full reader and its reasons.
        TFMXBitmapEx loader;
        loader.LoadFromFileEx(path, 0);
        return ToBitmap(loader.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    } catch (const FileError &e) {
        if (error)
            *error = e.message();
        return QImage();
    }
}

WorkerPool &ThumbnailPool()
{
    static WorkerPool pool;
    return pool;
}

QImage BrokenThumbnail()
{
    QImage img = NewBitmap(ThumbnailSize, ThumbnailSize);
    BitmapClear(img, 0xFFE8E8E8);
    QPainter p(&img);
    PreparePainter(p);
    // A picture frame torn in two, in grey and red: this picture cannot be shown.
    p.setPen(StrokePen(0xFF9A9A9A, 3, sdSolid, true));
    p.drawPolyline(QVector<QPointF>{{40, 22}, {20, 22}, {20, 68}, {46, 68}});
    p.drawPolyline(QVector<QPointF>{{52, 22}, {70, 22}, {70, 68}, {56, 68}});
    p.setPen(StrokePen(0xFFD83020, 4, sdSolid, true));
    p.drawLine(QPointF(40, 14), QPointF(52, 30));
    p.drawLine(QPointF(52, 30), QPointF(42, 44));
    p.drawLine(QPointF(42, 44), QPointF(54, 58));
    p.drawLine(QPointF(54, 58), QPointF(46, 76));
    return img;
}

QImage TextThumbnail(const QString &line, const QString &fontFamily)
{
    QImage img = NewBitmap(ThumbnailSize, ThumbnailSize);
    BitmapClear(img, 0xFFFFFFFF);
    // Up to six characters fill the tile. A longer line shows its first
    // five and an ellipsis at the size of six, so that it never looks like
    // the shorter word it begins with.
    QStringList cells = WordCells(line, 7);
    if (cells.size() > 6) {
        cells = cells.mid(0, 5);
        cells << QString(QChar(0x2026));
    }
    const QString t = cells.join(QString());
    if (t.isEmpty())
        return img;
    QPainter p(&img);
    PreparePainter(p);
    QFont font(fontFamily);
    SetFontPixelSize(font, 90.0 / cells.size(), &img);
    p.setFont(font);
    p.setPen(QColor::fromRgba(0xFF999999));
    p.drawText(QRectF(0, 0, 90, 90), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, t);
    return img;
}

int PictureCountFor(double panelWidth)
{
    const long long n = RoundEven((panelWidth - 100) / 100);
    return int(std::clamp<long long>(n, 0, PictureTileCount));
}

QString SaveExtension(int kind)
{
    switch (kind) {
    case 1: return QStringLiteral(".jpg");
    case 2: return QStringLiteral(".png");
    case 3: return QStringLiteral(".bmp");
    case 4: return QStringLiteral(".tga");
    case 5: return QStringLiteral(".psd");
    default: return QStringLiteral(".png");
    }
}

QString SaveFileName(const QString &fileName, int kind)
{
    const int slash = qMax(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > slash ? fileName.left(dot) : fileName;
    return base + SaveExtension(kind);
}

QString NowFileName(const QDateTime &time) { return time.toString(QStringLiteral("yyyyMMdd_HHmmss")); }

QString FreeFileName(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        return fileName;
    const QFileInfo fi(fileName);
    const QString ext
        = LowerExtension(fileName).isEmpty() ? QString() : fileName.mid(fileName.lastIndexOf(QLatin1Char('.')));
    const QString base = fileName.left(fileName.size() - ext.size());
    for (int i = 1;; ++i) {
        QString candidate = QStringLiteral("%1_%2%3").arg(base).arg(i).arg(ext);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}
