#include "imagefiles/HandoutPdf.h"

namespace {
// Objects 1 and 2 are the catalog and the page tree, written last.
constexpr int CatalogObject = 1;
constexpr int PagesObject = 2;

QByteArray Num(double v) { return QByteArray::number(v, 'f', 3); }

// The caption's grey levels, compressed (zlib, as FlateDecode reads it).
QByteArray GreyFlate(const QImage &caption)
{
    const QImage grey = caption.convertToFormat(QImage::Format_Grayscale8);
    QByteArray raw;
    raw.reserve(grey.width() * grey.height());
    for (int y = 0; y < grey.height(); ++y)
        raw.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    // qCompress puts the length in four bytes before the zlib stream.
    return qCompress(raw, 9).mid(4);
}
} // namespace

THandoutPdf::THandoutPdf(QIODevice *out) : m_out(out)
{
    m_offsets = {0, 0}; // the catalog's and the page tree's, known at the end
    // The binary comment tells readers that the file holds binary data.
    Write(QByteArray("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"));
}

bool THandoutPdf::Write(const QByteArray &bytes)
{
    if (!m_ok)
        return false;
    if (m_out->write(bytes) != bytes.size())
        m_ok = false;
    m_pos += bytes.size();
    return m_ok;
}

int THandoutPdf::NewObject()
{
    m_offsets.append(0);
    return int(m_offsets.size());
}

bool THandoutPdf::WriteStream(int object, const QByteArray &dictionary, const QByteArray &data)
{
    m_offsets[object - 1] = m_pos;
    return Write(QByteArray::number(object) + " 0 obj\n<< " + dictionary + " /Length " + QByteArray::number(data.size())
                 + " >>\nstream\n")
           && Write(data) && Write("\nendstream\nendobj\n");
}

bool THandoutPdf::AddPage(const QSizeF &pageSize, const QByteArray &jpeg, const QSize &jpegSize,
                          const QRectF &pictureRect, const QImage &caption, const QRectF &captionRect)
{
    const int picture = NewObject();
    WriteStream(picture,
                "/Type /XObject /Subtype /Image /Width " + QByteArray::number(jpegSize.width()) + " /Height "
                    + QByteArray::number(jpegSize.height())
                    + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode",
                jpeg);
    const bool captioned = !caption.isNull() && !captionRect.isEmpty();
    const int text = captioned ? NewObject() : 0;
    if (captioned)
        WriteStream(text,
                    "/Type /XObject /Subtype /Image /Width " + QByteArray::number(caption.width()) + " /Height "
                        + QByteArray::number(caption.height())
                        + " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode",
                    GreyFlate(caption));

    // The page's own coordinates grow upwards from its bottom left.
    const double h = pageSize.height();
    auto place = [h](const QRectF &r) {
        return Num(r.width()) + " 0 0 " + Num(r.height()) + " " + Num(r.left()) + " " + Num(h - r.bottom()) + " cm ";
    };
    QByteArray content = "q " + place(pictureRect) + "/P Do Q\n";
    if (captioned)
        content += "q " + place(captionRect) + "/C Do Q\n";
    const int contents = NewObject();
    WriteStream(contents, QByteArray(), content);

    const int page = NewObject();
    m_offsets[page - 1] = m_pos;
    QByteArray xobjects = "/P " + QByteArray::number(picture) + " 0 R";
    if (captioned)
        xobjects += " /C " + QByteArray::number(text) + " 0 R";
    Write(QByteArray::number(page) + " 0 obj\n<< /Type /Page /Parent " + QByteArray::number(PagesObject)
          + " 0 R /MediaBox [0 0 " + Num(pageSize.width()) + " " + Num(h) + "] /Resources << /XObject << " + xobjects
          + " >> >> /Contents " + QByteArray::number(contents) + " 0 R >>\nendobj\n");
    m_pages.append(page);
    return m_ok;
}

bool THandoutPdf::Finish()
{
    m_offsets[PagesObject - 1] = m_pos;
    QByteArray kids;
    for (int page : m_pages)
        kids += QByteArray::number(page) + " 0 R ";
    Write(QByteArray::number(PagesObject) + " 0 obj\n<< /Type /Pages /Kids [" + kids + "] /Count "
          + QByteArray::number(m_pages.size()) + " >>\nendobj\n");
    m_offsets[CatalogObject - 1] = m_pos;
    Write(QByteArray::number(CatalogObject) + " 0 obj\n<< /Type /Catalog /Pages " + QByteArray::number(PagesObject)
          + " 0 R >>\nendobj\n");
    const qint64 xref = m_pos;
    QByteArray table = "xref\n0 " + QByteArray::number(m_offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qint64 offset : m_offsets)
        table += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    Write(table);
    Write("trailer\n<< /Size " + QByteArray::number(m_offsets.size() + 1) + " /Root "
          + QByteArray::number(CatalogObject) + " 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    return m_ok;
}
