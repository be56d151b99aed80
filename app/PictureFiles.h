// The picture list's data and the work around it that needs no window:
// listing a folder, reading a word list, making thumbnails, naming saved files.
#pragma once

#include "board/PWRec.h"
#include "imagefiles/FMXBitmapEx.h" // LowerExtension
#include "imagefiles/PdfPages.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

constexpr int ThumbnailSize = 90;
constexpr int PictureTileCount = 25;

struct TPictureFile {
    QString FileName; // name within the list's folder, or the word of a text list
    TPWRecArray PWRecArray; // the strokes kept for this entry
    QImage Bitmap; // 90 x 90 thumbnail
    QString Error; // why the picture could not be read, empty when it could
    QString StoreKey; // what its strokes are kept under; empty when they cannot be
    bool StoreKeyMade = false;
    bool StoreLooked = false; // the store was asked for its strokes
};

struct TPictureFiles {
    QString Path; // folder of the listed pictures, ending with "/"; empty for a text list
    QVector<TPictureFile> Files;
    QByteArray ListContent; // a word list's bytes, which its words' kept strokes are known by
    // The document whose pages are the list (entry k is page k); null for a
    // folder or a word list. Shared with the threads making its thumbnails.
    std::shared_ptr<const TPdfPages> Pdf;
    QString DocumentKey; // what its pages' strokes are kept under, made once
};

// The name a document's page goes by in the list, in handouts and as the
// name offered when it is saved: "<document name>-<page from 1>".
QString PageEntryName(const QString &documentFile, int page);
// A 90 x 90 thumbnail of a document's page: the whole page, as wide or high
// as the tile, on white. Safe to call on worker threads. On failure returns
// a null image and sets error.
QImage PageThumbnail(const TPdfPages &pdf, int page, QString *error);

// Names of the ordinary files (or links to them) in folder whose extension
// equals ext (lower case, with the dot; .jpg, .jpeg and .jpe are one), sorted without regard to case in the
// user's collation. A folder that cannot be read sets readable to false.
QStringList ListFolderPictures(const QString &folder, const QString &ext, bool *readable = nullptr);
// The first of the at most limit names listed out of count when the opened
// one is name opened (-1 when not among them): the first ones, or, when the
// opened one lies beyond them, the run of names around it.
int ListWindowStart(int count, int limit, int opened);

// Word lists larger than this are refused: one word a line, even a year's
// lists stay far below it.
constexpr qint64 MaxWordListBytes = qint64(1) << 20;

// The lines of a text list, decoded by byte-order mark (UTF-8, UTF-16 either
// order); without one, UTF-8 when the bytes are valid UTF-8, else Shift-JIS
// (code page 932) when they are valid as it, else the system's 8-bit code page. CR LF, LF and CR end lines. Throws FileError when the file
// cannot be read or is larger than MaxWordListBytes.
QStringList ReadTextFileLines(const QString &fileName, QByteArray *content = nullptr);
// The non-empty lines.
QStringList TextListWords(const QString &fileName, QByteArray *content = nullptr);
// The first non-empty line, or "A" when there is none.
QString TextFileFirstLine(const QString &fileName);

// A 90 x 90 thumbnail of a picture file, the whole picture stretched into it,
// taken from the desktop's shared thumbnail cache when that holds a valid one.
// Safe to call on worker threads. On failure returns a null image and sets
// error; a picture noted in the cache as unreadable is not read again.
QImage MakeThumbnail(const QString &path, QString *error);
// The same thumbnail of a picture already read whole from path, as for the
// board (upright): made from those pixels rather than from the file again.
// A null image for a null picture.
QImage MakeThumbnailOf(const QString &path, const QImage &picture);
// Whether MakeThumbnail writes what it makes (and what it failed to read) to
// the shared cache; reading from it is always on. Set from the window's
// thread, read by the workers.
void SetShareThumbnails(bool share);
// The device pixel ratio of the strip's screen: thumbnails are made with
// that many pixels per logical pixel (and carry it). Set from the window's
// thread, read by the workers.
void SetThumbnailDensity(double density);
double ThumbnailDensity();
// The worker threads that make thumbnails (as many as the machine has cores).
class WorkerPool;
WorkerPool &ThumbnailPool();
// The thumbnail of a picture that cannot be read.
QImage BrokenThumbnail();
// The thumbnail of a word: the word in grey on white; a line of more than six
// characters shows its first five and an ellipsis.
QImage TextThumbnail(const QString &line, const QString &fontFamily);

// Thumbnail places between the paging buttons of a strip this wide, 0 to 25.
int PictureCountFor(double panelWidth);

// Save formats: 1 JPEG, 2 PNG, 3 BMP, 4 TGA, 5 PSD with a pen layer; others PNG.
QString SaveExtension(int kind);
// The name with its extension replaced by (or extended with) the kind's.
QString SaveFileName(const QString &fileName, int kind);
// "yyyymmdd_hhnnss" of the given local time.
QString NowFileName(const QDateTime &time = QDateTime::currentDateTime());
// fileName itself when no such file exists, else the first free name with
// "_1", "_2", ... before the extension.
QString FreeFileName(const QString &fileName);
