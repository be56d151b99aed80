// What printing needs of Qt's print support. The print dialog and the
// printer live in a module of their own (tovarek-w-print), loaded the first
// time the teacher prints: Qt's print support loaded with the program would
// add a library to every start, for a command many lessons never use.
#pragma once

#include <QString>
#include <functional>

class QPagedPaintDevice;
class QWidget;

// Prints pages first to last (counted from 0) on the printer chosen.
using TPrintPages = std::function<void(QPagedPaintDevice &printer, int first, int last)>;

// The module's entry: asks for a printer and the pages, of pages in all,
// current being the one on the board, then prints them through print.
// False when the teacher cancelled.
using TPrintAsk = bool (*)(QWidget *parent, int pages, int current, const TPrintPages &print);
constexpr const char *PrintAskSymbol = "tw_print_ask";

// The module's entry, loaded once; null, with the reason, when the module
// cannot be found or loaded.
TPrintAsk PrintAsker(QString *reason);
