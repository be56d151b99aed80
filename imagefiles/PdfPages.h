// The pages of a PDF document as pictures, read through Poppler. The reader
// keeps the document's bytes and nothing of Poppler in sight: a render takes
// a Poppler document no other render is using (opened from the bytes when
// none is idle), so pages can be rendered on several threads at once.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <memory>

// The longest side, in pixels, a page is rendered at for the board. It is the
// same on every screen, so that strokes, kept in the picture's pixels, stay
// in place when the document is opened again on another screen; 2048 fills a
// full-HD board twice over and a 4K board at fit zoom.
constexpr int PdfPageSide = 2048;
// No page is ever rendered larger than this many pixels, whatever its size.
constexpr qint64 PdfMaxPagePixels = qint64(PdfPageSide) * PdfPageSide;

class TPdfPages
{
public:
    // Reads and checks the document. Throws FileError naming the file and the
    // reason when it cannot be read, is damaged, asks for a password or has
    // no pages.
    static TPdfPages Load(const QString &fileName);
    // The same from bytes already read; fileName only names it in messages.
    static TPdfPages FromData(const QByteArray &data, const QString &fileName);

    int PageCount() const { return int(m_pageSizes.size()); }
    // The page's size in points as shown (its turn applied).
    QSizeF PageSize(int page) const { return m_pageSizes.value(page); }
    const QByteArray &Content() const { return m_data; }
    const QString &FileName() const { return m_fileName; }

    // The pixel size a page is rendered at when its longest side is side
    // pixels, with no more than PdfMaxPagePixels; at least 1 x 1.
    QSize PixelSize(int page, int side) const;
    // The page on white at PixelSize(page, side), as a bitmap. Safe to call
    // from several threads at once. Throws FileError when it cannot be rendered.
    QImage Render(int page, int side = PdfPageSide) const;

    // The part (in the pixels of the page rendered at pageSide) of the page
    // rendered anew at pixels, for a sharp view when zoomed in. Null when it
    // cannot be rendered or would be larger than PdfMaxPagePixels; never throws.
    QImage RenderPart(int page, int pageSide, const QRectF &part, const QSize &pixels) const;

private:
    struct DocumentPool;
    QByteArray m_data;
    std::shared_ptr<DocumentPool> m_pool; // the Poppler documents idle between renders
    QString m_fileName;
    QVector<QSizeF> m_pageSizes;
};
