#include "app/SharedThumbnails.h"

#include "platform/OrdinaryFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {

const QString KeyUri = QStringLiteral("Thumb::URI");
const QString KeyMTime = QStringLiteral("Thumb::MTime");
// Our own key, beside the standard ones, in our fail/ entries only.
const QString KeyReason = QStringLiteral("X-TOVAREK-W::Reason");
// A noted reason longer than this is not ours.
constexpr int MaxReasonLength = 4096;

QString FailFolder() { return QStringLiteral("fail/tovarek-w-") + QStringLiteral(TW_VERSION); }

// The cache file, read whole but never more than the limit, decoded as a PNG
// no larger than maxSide on a side; null when it is not such a file or its
// keys do not name this very file as it is now.
QImage ReadEntry(const QString &fileName, const SharedThumbnailKey &key, int maxSide, QString *reason = nullptr)
{
    QFile file;
    if (!OpenOrdinaryFile(file, fileName, nullptr))
        return {};
    const QByteArray bytes = file.read(MaxSharedThumbnailBytes + 1);
    if (bytes.isEmpty() || bytes.size() > MaxSharedThumbnailBytes)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > maxSide || size.height() > maxSide)
        return {};
    // The keys are looked at once the whole file is read: a writer may put
    // them after the pixels.
    QImage img;
    if (!reader.read(&img) || img.isNull())
        return {};
    if (img.text(KeyUri).toUtf8() != key.uri)
        return {};
    bool ok = false;
    const qint64 mtime = img.text(KeyMTime).trimmed().toLongLong(&ok);
    if (!ok || mtime != key.mtime)
        return {};
    if (reason) {
        *reason = img.text(KeyReason);
        if (reason->size() > MaxReasonLength)
            reason->clear();
    }
    return img;
}

// Makes each missing folder from the cache's root down to folder, for the
// user alone; folders that exist are left as they are.
bool MakeFolders(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent == folder || !MakeFolders(parent))
        return false;
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || errno == EEXIST;
}

// Writes img with the keys as folder/<name> through a temporary file in the
// same folder, readable by the user alone, renamed into place when complete:
// a reader never sees half a thumbnail.
void WriteEntry(const QString &folder, const QString &name, const QImage &img,
                const QList<QPair<QString, QString>> &keys)
{
    if (!MakeFolders(folder))
        return;
    QTemporaryFile temp(folder + QStringLiteral("/.tovarek-w-XXXXXX.png"));
    if (!temp.open())
        return;
    // The keys go on the image: the writer's own setText splits a key at its
    // first colon, and every key here holds two.
    QImage keyed = img;
    for (const auto &[k, v] : keys)
        keyed.setText(k, v);
    QImageWriter writer(&temp, "png");
    // zlib's faster levels: a tenth larger, a quarter of the time, which
    // counts while the strip waits for a folder's thumbnails.
    writer.setQuality(80);
    const bool written = writer.write(keyed) && temp.flush();
    temp.close();
    if (!written)
        return;
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(folder + QLatin1Char('/') + name).constData())
        == 0)
        temp.setAutoRemove(false);
}

} // namespace

SharedThumbnailKey SharedThumbnailKeyOf(const QString &path)
{
    SharedThumbnailKey key;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    struct stat st;
    if (::stat(QFile::encodeName(absolute).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return key;
    key.uri = QUrl::fromLocalFile(absolute).toEncoded();
    key.name = QString::fromLatin1(QCryptographicHash::hash(key.uri, QCryptographicHash::Md5).toHex())
               + QStringLiteral(".png");
    key.mtime = qint64(st.st_mtime);
    key.size = qint64(st.st_size);
    key.valid = true;
    return key;
}

QString SharedThumbnailRoot()
{
    QString cache = QFile::decodeName(qgetenv("XDG_CACHE_HOME"));
    // The base directory rules take only an absolute path.
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/thumbnails");
}

namespace {
// The whole picture at its own size: nothing larger exists to be made.
bool WholePicture(const QImage &img)
{
    return img.text(QStringLiteral("Thumb::Image::Width")) == QString::number(img.width())
           && img.text(QStringLiteral("Thumb::Image::Height")) == QString::number(img.height());
}
} // namespace

QImage FindSharedThumbnail(const SharedThumbnailKey &key, int wantedSide)
{
    if (!key.valid)
        return {};
    const QString root = SharedThumbnailRoot();
    QImage img = ReadEntry(root + QStringLiteral("/normal/") + key.name, key, SharedThumbnailSide);
    if (!img.isNull() && (wantedSide <= SharedThumbnailSide || WholePicture(img)))
        return img;
    return ReadEntry(root + QStringLiteral("/large/") + key.name, key, 2 * SharedThumbnailSide);
}

bool FindThumbnailFailure(const SharedThumbnailKey &key, QString *reason)
{
    if (!key.valid)
        return false;
    QString noted;
    const QString file = SharedThumbnailRoot() + QLatin1Char('/') + FailFolder() + QLatin1Char('/') + key.name;
    if (ReadEntry(file, key, 16, &noted).isNull())
        return false;
    if (reason)
        *reason = noted;
    return true;
}

void WriteSharedThumbnail(const SharedThumbnailKey &key, const QImage &thumb, QSize original, const QString &mimeType)
{
    if (!key.valid || thumb.isNull())
        return;
    const bool normal = std::max(thumb.width(), thumb.height()) <= SharedThumbnailSide;
    WriteEntry(SharedThumbnailRoot() + (normal ? QStringLiteral("/normal") : QStringLiteral("/large")), key.name, thumb,
               {{KeyUri, QString::fromLatin1(key.uri)},
                {KeyMTime, QString::number(key.mtime)},
                {QStringLiteral("Thumb::Size"), QString::number(key.size)},
                {QStringLiteral("Thumb::Mimetype"), mimeType},
                {QStringLiteral("Thumb::Image::Width"), QString::number(original.width())},
                {QStringLiteral("Thumb::Image::Height"), QString::number(original.height())},
                {QStringLiteral("Software"), QStringLiteral("TOVAREK W ") + QStringLiteral(TW_VERSION)}});
}

void WriteThumbnailFailure(const SharedThumbnailKey &key, const QString &reason)
{
    if (!key.valid)
        return;
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    WriteEntry(SharedThumbnailRoot() + QLatin1Char('/') + FailFolder(), key.name, mark,
               {{KeyUri, QString::fromLatin1(key.uri)},
                {KeyMTime, QString::number(key.mtime)},
                {QStringLiteral("Thumb::Size"), QString::number(key.size)},
                {QStringLiteral("Software"), QStringLiteral("TOVAREK W ") + QStringLiteral(TW_VERSION)},
                {KeyReason, reason.left(MaxReasonLength)}});
}
