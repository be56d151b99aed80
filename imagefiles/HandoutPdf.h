// A PDF of pictures, one page each, written as the pages come: every page
// holds a JPEG picture kept exactly as encoded (so its quality is the
// caller's and nothing is encoded twice) and a caption given as a grey
// raster (any script, no fonts to embed). Memory holds one page at a time.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QVector>

class THandoutPdf
{
public:
    // Writes to out, which stays the caller's.
    explicit THandoutPdf(QIODevice *out);

    // A page of pageSize points. jpeg holds a baseline JPEG of jpegSize
    // pixels with three components, drawn into pictureRect; caption (any
    // format, shown in grey levels) is drawn into captionRect. Rectangles are
    // in points from the page's top left. False when writing failed.
    bool AddPage(const QSizeF &pageSize, const QByteArray &jpeg, const QSize &jpegSize, const QRectF &pictureRect,
                 const QImage &caption, const QRectF &captionRect);
    // Writes the page tree, the cross-reference table and the trailer.
    bool Finish();

    int PageCount() const { return int(m_pages.size()); }

private:
    int NewObject(); // its number, with its offset noted
    bool Write(const QByteArray &bytes);
    bool WriteStream(int object, const QByteArray &dictionary, const QByteArray &data);

    QIODevice *m_out;
    qint64 m_pos = 0;
    bool m_ok = true;
    QVector<qint64> m_offsets; // of objects 1, 2, ...
    QVector<int> m_pages;
};
