// The PDF module: documents read and pages rendered by Poppler's Qt 6 binding.
#include "imagefiles/PdfEngine.h"

#include <poppler-qt6.h>

#include <memory>

namespace {
// Poppler writes what it finds wrong in a document to the terminal; the
// teacher gets the reason in a message instead.
void Quiet(const QString &, const QVariant &) { }

class TPopplerDocument final : public TPdfDocument
{
public:
    explicit TPopplerDocument(std::unique_ptr<Poppler::Document> doc) : m_doc(std::move(doc)) { }
    bool Locked() const override { return m_doc->isLocked(); }
    int PageCount() const override { return m_doc->numPages(); }
    QSizeF PageSize(int page) const override
    {
        const std::unique_ptr<Poppler::Page> p = m_doc->page(page);
        return p ? p->pageSizeF() : QSizeF();
    }
    QImage Render(int page, double xres, double yres, int x, int y, int w, int h) const override
    {
        const std::unique_ptr<Poppler::Page> p = m_doc->page(page);
        return p ? p->renderToImage(xres, yres, x, y, w, h) : QImage();
    }

private:
    std::unique_ptr<Poppler::Document> m_doc;
};
} // namespace

extern "C" Q_DECL_EXPORT TPdfDocument *tw_pdf_open(const QByteArray &data)
{
    static const bool quieted = [] {
        Poppler::setDebugErrorFunction(Quiet, QVariant());
        return true;
    }();
    (void)quieted;
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(data);
    if (!doc)
        return nullptr;
    doc->setPaperColor(Qt::white);
    doc->setRenderHint(Poppler::Document::Antialiasing, true);
    doc->setRenderHint(Poppler::Document::TextAntialiasing, true);
    return new TPopplerDocument(std::move(doc));
}
