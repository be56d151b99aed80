// Small PDF documents written byte by byte, so that tests and benchmarks
// need no tool to make them: white pages, each with a block of its own
// colour over the middle of its upper half.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QSizeF>
#include <QString>
#include <QVector>
#include <map>

struct TPdfFixturePage {
    QSizeF size{595, 842}; // points
    QColor color;
};

// A document of the numbered objects 1 to n - 1 (1 the catalogue), with
// its cross-reference table; trailer adds entries to the trailer.
inline QByteArray PdfFile(const std::map<int, QByteArray> &objs, const QByteArray &trailer = {})
{
    const int n = objs.empty() ? 1 : objs.rbegin()->first + 1;
    QByteArray out = "%PDF-1.4\n";
    std::map<int, qsizetype> offsets;
    for (const auto &[k, body] : objs) {
        offsets[k] = out.size();
        out += QByteArray::number(k) + " 0 obj\n" + body + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(n) + "\n0000000000 65535 f \n";
    for (int k = 1; k < n; ++k)
        out += QByteArray::number(qlonglong(offsets[k])).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(n) + " /Root 1 0 R" + trailer + " >>\nstartxref\n"
           + QByteArray::number(qlonglong(xref)) + "\n%%EOF\n";
    return out;
}

// A document of pages; locked adds a password the empty one does not open.
inline QByteArray MakePdf(const QVector<TPdfFixturePage> &pages, bool locked = false)
{
    std::map<int, QByteArray> objs;
    objs[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    QByteArray kids;
    int n = 3;
    for (const TPdfFixturePage &p : pages) {
        const double w = p.size.width(), h = p.size.height();
        const QByteArray content
            = QByteArray::number(p.color.redF(), 'f', 3) + ' ' + QByteArray::number(p.color.greenF(), 'f', 3) + ' '
              + QByteArray::number(p.color.blueF(), 'f', 3) + " rg " + QByteArray::number(w * 0.1, 'f', 1) + ' '
              + QByteArray::number(h * 0.55, 'f', 1) + ' ' + QByteArray::number(w * 0.8, 'f', 1) + ' '
              + QByteArray::number(h * 0.35, 'f', 1) + " re f";
        objs[n] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(w) + ' ' + QByteArray::number(h)
                  + "] /Contents " + QByteArray::number(n + 1) + " 0 R >>";
        objs[n + 1] = "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream";
        kids += QByteArray::number(n) + " 0 R ";
        n += 2;
    }
    objs[2] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages.size()) + " >>";
    QByteArray trailer;
    if (locked) {
        // Owner and user entries that match no password: the document stays locked.
        objs[n] = "<< /Filter /Standard /V 1 /R 2 /O <" + QByteArray(64, '4') + "> /U <" + QByteArray(64, '5')
                  + "> /P -4 >>";
        trailer = " /Encrypt " + QByteArray::number(n) + " 0 R /ID [<" + QByteArray(32, '0') + "><"
                  + QByteArray(32, '0') + ">]";
    }
    return PdfFile(objs, trailer);
}

inline bool WritePdf(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
