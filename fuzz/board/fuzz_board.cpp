// libFuzzer target for the board document: any bytes are a sequence of
// operations (strokes of every kind, undo, redo, erase-all, turns, lasso
// selections and moves, undo budgets); after each, the incremental layers
// must equal a replay of the history.
#include "BoardOps.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {
QGuiApplication *g_app = nullptr; // the font database needs it; lives for the whole run
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    g_app = new QGuiApplication(qtArgc, qtArgv);
    // Closed before the leak check, which would otherwise count the font
    // configuration the application still holds.
    std::atexit([] {
        delete g_app;
        g_app = nullptr;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString why = boardops::Run(data, size);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        std::abort();
    }
    return 0;
}
