// Handouts: every entry of a list drawn with its strokes, as pages of one
// PDF or as a folder of pictures, and the page layout that printing shares.
#pragma once

#include "board/PWRec.h"

#include <QImage>
#include <QLocale>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class QPagedPaintDevice;

// One entry: a picture file, a word, a document's page, or a picture at hand
// (the white board).
struct THandoutEntry {
    QString Caption; // what the page names it by
    QString Path; // the picture's file
    QString Word; // the word of a word list
    QImage Picture; // when there is no file
    TPWRecArray History;
    // A document's page, rendered only when its turn comes: a long document
    // is never held whole. Throws FileError.
    std::function<QImage()> Render = nullptr;
};

struct THandoutJob {
    QVector<THandoutEntry> Entries;
    QString WordFont; // the family words are drawn in
    int JpegQuality = 100; // 0..100
    int Kind = 1; // the picture format for a folder, as the save formats count
    // Told before each entry and at the end; false cancels.
    std::function<bool(int done, int total)> Progress;
};

enum class THandoutResult { Done, Cancelled, Failed };

// Where a picture of pictureSize and its caption go on a page of pageSize
// (any unit): fitted inside the margins, the caption line under it.
struct THandoutPage {
    QRectF Picture;
    QRectF Caption;
};
THandoutPage HandoutLayout(const QSizeF &pageSize, const QSize &pictureSize);
// The page for a picture, in points: A4, or Letter where the locale measures
// in inches; landscape for a picture wider than high.
QSizeF HandoutPageSize(const QSize &pictureSize, const QLocale &locale = QLocale());
// The caption line at pixels: the name on the left, "page / pages" on the right.
QImage HandoutCaption(const QString &name, int page, int pages, const QSize &pixels);
// The entry as the board shows it, picture and strokes together. Throws
// FileError when its picture cannot be read. The layers go to picture and
// pens when asked for.
QImage RenderHandoutEntry(const THandoutEntry &entry, const QString &wordFont, QImage *picture = nullptr,
                          QImage *pens = nullptr);

// Prints entries first to last, a page each, as the PDF lays them out.
// Throws FileError when the printer cannot be used or a picture read.
void PrintHandout(QPagedPaintDevice &printer, const QVector<THandoutEntry> &entries, int first, int last,
                  const QString &wordFont);

// One PDF of all entries, a page each. Nothing is left at path when it is
// cancelled or fails (error says why).
THandoutResult ExportHandoutPdf(const THandoutJob &job, const QString &path, QString *error);
// One picture file per entry in folder, named after it; files already there
// are never replaced. What it wrote goes to written; a cancelled or failed
// export removes it again.
THandoutResult ExportHandoutFolder(const THandoutJob &job, const QString &folder, QStringList *written, QString *error);
