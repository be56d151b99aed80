#include "app/PrintEngine.h"

#include "platform/Module.h"

namespace {
struct TLoaded {
    TPrintAsk ask = nullptr;
    QString reason;
};

TLoaded Load()
{
    TLoaded loaded;
    loaded.ask = reinterpret_cast<TPrintAsk>(LoadModuleEntry(QString::fromUtf8(TW_PRINT_MODULE_BUILT),
                                                             QStringLiteral(TW_PRINT_MODULE_FROM_PROGRAM),
                                                             PrintAskSymbol, &loaded.reason));
    return loaded;
}
} // namespace

TPrintAsk PrintAsker(QString *reason)
{
    static const TLoaded loaded = Load();
    if (!loaded.ask && reason)
        *reason = loaded.reason;
    return loaded.ask;
}
