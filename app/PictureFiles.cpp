#include "app/PictureFiles.h"

#include "app/SharedThumbnails.h"
#include "app/WorkerPool.h"
#include "board/PWImage.h"

#include "imagefiles/BoxReduce.h"
#include "imagefiles/ExifThumbnail.h"
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FileIO.h"
#include "imagefiles/JpegEighth.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QStringDecoder>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <dirent.h>
#include <unistd.h>

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
            fileName, QCoreApplication::translate("Files", "it is larger than %1 MiB, too large for a word list")
                          .arg(MaxWordListBytes >> 20)));
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

namespace {
std::atomic<bool> ShareThumbnails{true};
std::atomic<double> Density{1.0};

// A new thumbnail-sized bitmap at the strip's density, in logical pixels.
QImage NewThumbnail(double density)
{
    const int side = int(std::lround(ThumbnailSize * density));
    QImage img = NewBitmap(side, side);
    img.setDevicePixelRatio(density);
    return img;
}

// The shared cache's folder a thumbnail for this density goes in: "normal"
// (128 px) holds enough for a tile at 1x, denser screens need "large" (256 px).
int SharedSideFor(double density)
{
    return ThumbnailSize * density <= 96 ? SharedThumbnailSide : 2 * SharedThumbnailSide;
}

QString MimeTypeOf(const QString &path)
{
    const QString ext = LowerExtension(path);
    if (ext == QLatin1String(".png"))
        return QStringLiteral("image/png");
    if (ext == QLatin1String(".bmp"))
        return QStringLiteral("image/bmp");
    if (ext == QLatin1String(".tga"))
        return QStringLiteral("image/x-tga");
    if (ext == QLatin1String(".psd"))
        return QStringLiteral("image/vnd.adobe.photoshop");
    return QStringLiteral("image/jpeg");
}

// Files up to this size are read whole before they are decoded for a thumbnail.
constexpr qint64 WholeReadBytes = qint64(64) << 20;

struct SmallPicture {
    QImage image; // upright, at least as large as a tile needs
    QSize original; // the whole picture's upright size
};

// The picture decoded only as large as the shared cache's 128 px and our
// tile need: the tile stretches the whole picture into a square, so the short
// side keeps at least a tile's pixels. Throws FileError with the reason.
// The picture a camera stored in the photo's Exif segment, upright, when it
// has a tile's pixels and the photo's proportions (a thumbnail with bars, or
// of another crop, is not the photo); a null image otherwise.
QImage ExifThumbnailFor(const QByteArray &file, const QSize &stored, double tileSide, int *orientation)
{
    if (stored.isEmpty())
        return {};
    const ExifThumbnail found = FindExifThumbnail(file);
    *orientation = found.orientation;
    if (found.jpeg.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(found.jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (size.isEmpty() || std::min(size.width(), size.height()) < tileSide || size.width() > 1024
        || size.height() > 1024)
        return {};
    const double aspect = double(size.width()) / size.height(), photo = double(stored.width()) / stored.height();
    if (std::abs(aspect / photo - 1) > 0.02)
        return {};
    const QImage img = reader.read();
    return img.isNull() ? QImage() : Upright(img, found.orientation);
}

// How large the small picture of one this large is; empty for an empty one.
QSize SmallSize(const QSize &original, int sharedSide, double tileSide)
{
    if (original.isEmpty())
        return {};
    const double w = original.width(), h = original.height();
    const double s = std::min(1.0, std::max(sharedSide / std::max(w, h), tileSide / std::min(w, h)));
    return {std::max(1, int(std::lround(w * s))), std::max(1, int(std::lround(h * s)))};
}

SmallPicture ReadSmall(const QString &path, int sharedSide, double tileSide)
{
    if (ImageFileKindOf(path) == ImageFileKind::Codec) {
        // The codecs can decode at a reduced size (JPEG's scaled decode). A
        // photo's file is read whole first: the codec's own small reads cost a
        // tenth of its decode; a larger file is read as decoded. A pipe named
        // like a picture is refused, not waited on: it would hold this thread forever.
        QFile file;
        OpenForReading(file, path);
        QBuffer whole;
        if (file.size() <= WholeReadBytes) {
            whole.setData(file.readAll());
            whole.open(QIODevice::ReadOnly);
        }
        QImageReader reader(whole.isOpen() ? static_cast<QIODevice *>(&whole) : &file);
        // Upright as on the board; the size asked for is the stored one,
        // before the turn.
        reader.setAutoTransform(true);
        QSize original = reader.size();
        const QSize scaled = SmallSize(original, sharedSide, tileSide);
        if (!scaled.isEmpty())
            reader.setScaledSize(scaled);
        if (whole.isOpen()) {
            int orientation = 1;
            const QImage embedded = ExifThumbnailFor(whole.data(), original, tileSide, &orientation);
            const QSize upright = orientation >= 5 ? original.transposed() : original;
            if (!embedded.isNull())
                return {embedded, upright};
            // A photo without one, as large as a tile needs at an eighth,
            // is read from its DC coefficients alone.
            if (!scaled.isEmpty() && (original.width() + 7) / 8 >= scaled.width()
                && (original.height() + 7) / 8 >= scaled.height()) {
                QImage eighth = ReadJpegEighth(whole.data());
                if (!eighth.isNull()) {
                    if (eighth.size() != scaled)
                        eighth = eighth.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                    return {Upright(eighth, orientation), upright};
                }
            }
        }
        QImage img = reader.read();
        if (!img.isNull()) {
            if (reader.transformation() & QImageIOHandler::TransformationRotate90)
                original.transpose();
            return {img, original};
        }
    }
    // What the codec could not read gets the full reader and its reasons.
    TFMXBitmapEx loader;
    loader.LoadFromFileEx(path, 0);
    return {loader, loader.size()};
}

// The whole picture stretched into the square tile.
QImage Tile(const QImage &img, double density)
{
    const int side = int(std::lround(ThumbnailSize * density));
    const QSize size(side, side);
    QImage tile
        = ToBitmap(img.size() == size ? img : img.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    tile.setDevicePixelRatio(density);
    return tile;
}
} // namespace

void SetShareThumbnails(bool share) { ShareThumbnails = share; }

void SetThumbnailDensity(double density) { Density = std::clamp(density, 1.0, 4.0); }
double ThumbnailDensity() { return Density; }

namespace {
// One thumbnail in the making: its sizes for the strip's density, and what
// the shared cache holds of it.
struct ThumbnailJob {
    // Taken once, so that a job started before a change of setting ends as
    // it began.
    const double density = Density;
    const bool share = ShareThumbnails;
    const int tileSide = int(std::lround(ThumbnailSize * density));
    const int sharedSide = SharedSideFor(density);
    const SharedThumbnailKey key;
    const QImage shared; // the cache's valid thumbnail; null when none

    explicit ThumbnailJob(const QString &path)
        : key(SharedThumbnailKeyOf(path)), shared(FindSharedThumbnail(key, sharedSide))
    { }
    // The small picture made: the shared cache gets its entry (when sharing),
    // the strip its tile.
    QImage Finish(const SmallPicture &small, const QString &path) const
    {
        if (share) {
            const QSize side(sharedSide, sharedSide);
            const bool fits = small.image.width() <= side.width() && small.image.height() <= side.height();
            WriteSharedThumbnail(
                key, fits ? small.image : small.image.scaled(side, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                small.original, MimeTypeOf(path));
        }
        return Tile(small.image, density);
    }
};
} // namespace

QImage MakeThumbnail(const QString &path, QString *error)
{
    const ThumbnailJob job(path);
    if (!job.shared.isNull())
        return Tile(job.shared, job.density);
    QString noted;
    if (FindThumbnailFailure(job.key, &noted)) {
        if (error)
            *error = noted.isEmpty() ? OpenErrorText(
                         path, QCoreApplication::translate("Files", "it could not be read when last tried"))
                                     : noted;
        return QImage();
    }
    try {
        return job.Finish(ReadSmall(path, job.sharedSide, job.tileSide), path);
    } catch (const FileError &e) {
        if (error)
            *error = e.message();
        // Only a file whose content is at fault is noted: one we may not read
        // now may be readable when the user has mended that.
        if (job.share && ::access(QFile::encodeName(path).constData(), R_OK) == 0)
            WriteThumbnailFailure(job.key, e.message());
        return QImage();
    }
}

QImage MakeThumbnailOf(const QString &path, const QImage &picture)
{
    const ThumbnailJob job(path);
    if (!job.shared.isNull())
        return Tile(job.shared, job.density);
    const QSize small = SmallSize(picture.size(), job.sharedSide, job.tileSide);
    if (small.isEmpty())
        return {};
    // A box mean by the whole factor (eight rows of each block are plenty),
    // then the last step smoothly.
    QImage image = BoxReduced(picture, std::min(picture.width() / small.width(), picture.height() / small.height()), 8);
    if (image.size() != small)
        image = image.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return job.Finish({image, picture.size()}, path);
}

QString PageEntryName(const QString &documentFile, int page)
{
    return QStringLiteral("%1-%2").arg(QFileInfo(documentFile).completeBaseName()).arg(page + 1);
}

QImage PageThumbnail(const TPdfPages &pdf, int page, QString *error)
{
    try {
        // Made for the strip's screen, as the pictures' thumbnails are.
        const double density = Density;
        const int side = int(std::lround(ThumbnailSize * density));
        const QImage small = pdf.Render(page, side);
        // Unlike a photo, a page squeezed into a square would be hard to
        // recognise: it keeps its shape and the rest of the tile stays white.
        QImage tile = NewBitmap(side, side);
        BitmapClear(tile, 0xFFFFFFFF);
        {
            QPainter p(&tile);
            p.drawImage((side - small.width()) / 2, (side - small.height()) / 2, small);
        }
        tile.setDevicePixelRatio(density);
        return tile;
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
    QImage img = NewThumbnail(Density);
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
    QImage img = NewThumbnail(Density);
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
