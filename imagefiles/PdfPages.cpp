#include "imagefiles/PdfPages.h"

#include "imagefiles/FileIO.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include "imagefiles/PdfEngine.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace {
QString Reason(const char *text) { return QCoreApplication::translate("Files", text); }

std::unique_ptr<TPdfDocument> Open(const QByteArray &data)
{
    const TPdfOpen open = PdfOpener(nullptr);
    return std::unique_ptr<TPdfDocument>(open ? open(data) : nullptr);
}
} // namespace

// Opening a document costs more than rendering a small page of it (its fonts
// are found and loaded anew), so documents are kept for the next render: as
// many as renders ran at once.
struct TPdfPages::DocumentPool {
    std::mutex mutex;
    std::vector<std::unique_ptr<TPdfDocument>> idle;
};

namespace {
// A document of the pool's for one render, back in the pool afterwards.
class Lease
{
public:
    Lease(std::mutex &mutex, std::vector<std::unique_ptr<TPdfDocument>> &idle, const QByteArray &data)
        : m_mutex(mutex), m_idle(idle)
    {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_idle.empty()) {
                m_doc = std::move(m_idle.back());
                m_idle.pop_back();
            }
        }
        if (!m_doc)
            m_doc = Open(data);
    }
    ~Lease()
    {
        if (!m_doc)
            return;
        const std::lock_guard lock(m_mutex);
        m_idle.push_back(std::move(m_doc));
    }
    Lease(const Lease &) = delete;
    Lease &operator=(const Lease &) = delete;
    TPdfDocument *get() const { return m_doc.get(); }

private:
    std::mutex &m_mutex;
    std::vector<std::unique_ptr<TPdfDocument>> &m_idle;
    std::unique_ptr<TPdfDocument> m_doc;
};
} // namespace

TPdfPages TPdfPages::Load(const QString &fileName) { return FromData(ReadWholeFile(fileName), fileName); }

TPdfPages TPdfPages::FromData(const QByteArray &data, const QString &fileName)
{
    TPdfPages pages;
    pages.m_fileName = fileName;
    if (!data.startsWith("%PDF-") && !data.left(1024).contains("%PDF-"))
        throw FileError(OpenErrorText(fileName, Reason(QT_TRANSLATE_NOOP("Files", "it is not a PDF document"))));
    QString missing;
    if (!PdfOpener(&missing))
        throw FileError(OpenErrorText(
            fileName, Reason(QT_TRANSLATE_NOOP("Files", "the PDF reader cannot be loaded (%1)")).arg(missing)));
    std::unique_ptr<TPdfDocument> doc = Open(data);
    if (!doc)
        throw FileError(OpenErrorText(fileName, Reason(QT_TRANSLATE_NOOP("Files", "the PDF document is damaged"))));
    if (doc->Locked())
        throw FileError(
            OpenErrorText(fileName, Reason(QT_TRANSLATE_NOOP("Files", "the PDF document is protected by a password"))));
    const int n = doc->PageCount();
    if (n <= 0)
        throw FileError(OpenErrorText(fileName, Reason(QT_TRANSLATE_NOOP("Files", "the PDF document has no pages"))));
    pages.m_pageSizes.reserve(n);
    for (int i = 0; i < n; ++i) {
        QSizeF size = doc->PageSize(i);
        // A page without a usable size is shown as a sheet of A4.
        if (!(size.width() > 0 && size.height() > 0) || !std::isfinite(size.width()) || !std::isfinite(size.height()))
            size = QSizeF(595, 842);
        pages.m_pageSizes.append(size);
    }
    pages.m_data = data;
    pages.m_pool = std::make_shared<DocumentPool>();
    pages.m_pool->idle.push_back(std::move(doc)); // the first render takes it
    return pages;
}

QSize TPdfPages::PixelSize(int page, int side) const
{
    const QSizeF pt = PageSize(page);
    if (pt.isEmpty() || side <= 0)
        return {1, 1};
    double scale = side / std::max(pt.width(), pt.height());
    const double pixels = pt.width() * scale * pt.height() * scale;
    if (pixels > double(PdfMaxPagePixels))
        scale *= std::sqrt(double(PdfMaxPagePixels) / pixels);
    return {std::max(1, int(std::lround(pt.width() * scale))), std::max(1, int(std::lround(pt.height() * scale)))};
}

QImage TPdfPages::RenderPart(int page, int pageSide, const QRectF &part, const QSize &pixels) const
{
    if (page < 0 || page >= PageCount() || part.isEmpty() || pixels.isEmpty()
        || qint64(pixels.width()) * pixels.height() > PdfMaxPagePixels)
        return {};
    const QSize base = PixelSize(page, pageSide);
    const QSizeF pt = PageSize(page);
    const double scale = pixels.width() / part.width(); // new pixels a page pixel
    // Beyond this the view shows less than a page pixel's worth of detail per screen pixel anyway.
    if (!(scale > 0) || scale > 64)
        return {};
    const double xres = 72.0 * base.width() * scale / pt.width();
    const double yres = 72.0 * base.height() * scale / pt.height();
    try {
        const Lease doc(m_pool->mutex, m_pool->idle, m_data);
        if (!doc.get())
            return {};
        const QImage img = doc.get()->Render(page, xres, yres, int(std::lround(part.x() * scale)),
                                             int(std::lround(part.y() * scale)), pixels.width(), pixels.height());
        return img.isNull() ? QImage() : ToBitmap(img);
    } catch (...) {
        return {};
    }
}

QImage TPdfPages::Render(int page, int side) const
{
    if (page < 0 || page >= PageCount())
        throw FileError(
            OpenErrorText(m_fileName, Reason(QT_TRANSLATE_NOOP("Files", "the PDF document has no such page"))));
    const QSize px = PixelSize(page, side);
    const QSizeF pt = PageSize(page);
    const Lease doc(m_pool->mutex, m_pool->idle, m_data);
    QImage img;
    if (doc.get()) {
        // Resolutions in dots per inch that make the page exactly px.
        const double xres = 72.0 * px.width() / pt.width();
        const double yres = 72.0 * px.height() / pt.height();
        img = doc.get()->Render(page, xres, yres, 0, 0, px.width(), px.height());
    }
    if (img.isNull())
        throw FileError(OpenErrorText(
            m_fileName, Reason(QT_TRANSLATE_NOOP("Files", "a page of the PDF document cannot be shown"))));
    if (img.size() != px) {
        // Rounding may leave a pixel out or over: the page keeps its size.
        QImage sized(px, BitmapFormat);
        sized.fill(Qt::white);
        QPainter painter(&sized);
        painter.drawImage(0, 0, img);
        painter.end();
        img = sized;
    }
    return ToBitmap(img);
}
