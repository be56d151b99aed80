// What the PDF pages need of a PDF library. Poppler and the sixteen libraries
// it brings along live in a module of their own (tovarek-w-pdf), loaded the
// first time a document is opened: loading them with the program would add
// milliseconds to every start, for a feature a lesson may never use.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

class TPdfDocument
{
public:
    virtual ~TPdfDocument() = default;
    // Whether the document asks for a password.
    virtual bool Locked() const = 0;
    virtual int PageCount() const = 0;
    // The page's size in points as shown (its turn applied); empty when unknown.
    virtual QSizeF PageSize(int page) const = 0;
    // The page on white at xres x yres dots per inch, the w x h pixels from (x, y); null when it cannot be.
    virtual QImage Render(int page, double xres, double yres, int x, int y, int w, int h) const = 0;
};

// The module's entry: the document from its bytes, or null when it is not
// one the library can read.
using TPdfOpen = TPdfDocument *(*)(const QByteArray &data);
constexpr const char *PdfOpenSymbol = "tw_pdf_open";

// The module's entry, loaded once; null, with the reason, when the module
// cannot be found or loaded.
TPdfOpen PdfOpener(QString *reason);
