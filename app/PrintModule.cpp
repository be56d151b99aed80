// The print module: Qt's print dialog and printer, behind PrintEngine.h.
#include "app/PrintEngine.h"

#include <QPrintDialog>
#include <QPrinter>
#include <type_traits>

extern "C" Q_DECL_EXPORT bool tw_print_ask(QWidget *parent, int pages, int current, const TPrintPages &print)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dlg(&printer, parent);
    dlg.setOption(QAbstractPrintDialog::PrintCurrentPage);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange);
    dlg.setMinMax(1, pages);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    int first = 0, last = pages - 1;
    if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = qBound(0, current, pages - 1);
    } else if (printer.printRange() == QPrinter::PageRange) {
        first = qBound(0, printer.fromPage() - 1, pages - 1);
        last = qBound(first, printer.toPage() - 1, pages - 1);
    }
    print(printer, first, last);
    return true;
}

// The entry's type is the one the program calls it by.
static_assert(std::is_same_v<decltype(&tw_print_ask), TPrintAsk>);
