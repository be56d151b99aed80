// libFuzzer target for the board document: any bytes are a sequence of
// operations (strokes of every kind, undo, redo, erase-all, turns, lasso
// selections and moves, undo budgets); after each, the incremental layers
// must equal a replay of the history.
#include "BoardOps.h"

#include "FuzzGuiApp.h"
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    StartFuzzGuiApp((*argv)[0]);
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
