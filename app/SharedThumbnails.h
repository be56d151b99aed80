// The desktop's shared thumbnail cache ($XDG_CACHE_HOME/thumbnails), which
// file managers and picture viewers fill and read too: what another program
// made saves decoding a photo, and what we make saves them the same. Every
// cache file is input from elsewhere and is checked before it is used.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Cache files larger than this are never read: a 256 px thumbnail with its
// keys is a few hundred KiB at most.
constexpr qint64 MaxSharedThumbnailBytes = qint64(2) << 20;
// The side of the thumbnails written (the cache's "normal" size).
constexpr int SharedThumbnailSide = 128;

// What a cache entry is known and checked by: the file's URI, the MD5 of the
// URI (the entry's name), and the file's modification time and size.
struct SharedThumbnailKey {
    QByteArray uri; // file:///… percent-encoded
    QString name; // <md5 of uri>.png
    qint64 mtime = 0; // whole seconds
    qint64 size = 0;
    bool valid = false; // false when the file could not be looked at
};
SharedThumbnailKey SharedThumbnailKeyOf(const QString &path);

// The cache's folder: $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails
// when it is unset or empty.
QString SharedThumbnailRoot();

// A valid thumbnail of the file from the normal or large folder (URI and
// modification time match, a PNG within the folder's size), or a null image.
// Wanting more than the normal folder's side (for a high-density screen),
// only the large folder serves, unless the normal thumbnail is the whole
// picture at its own size.
QImage FindSharedThumbnail(const SharedThumbnailKey &key, int wantedSide = SharedThumbnailSide);
// Whether this program noted the unchanged file as unreadable; reason gets
// what was noted with it.
bool FindThumbnailFailure(const SharedThumbnailKey &key, QString *reason);

// Writes thumb as the file's normal thumbnail (at most SharedThumbnailSide on
// a side) or large one (at most twice that); original is the picture's upright size. Failing to write leaves
// the cache as it was and is not an error: the cache is only a help.
void WriteSharedThumbnail(const SharedThumbnailKey &key, const QImage &thumb, QSize original, const QString &mimeType);
// Notes under fail/ that the file could not be read, and why.
void WriteThumbnailFailure(const SharedThumbnailKey &key, const QString &reason);
