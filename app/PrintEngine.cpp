#include "app/PrintEngine.h"

#include "platform/Module.h"

TPrintAsk PrintAsker(QString *reason)
{
    static const TModuleEntry loaded = LoadModuleEntry(QString::fromUtf8(TW_PRINT_MODULE_BUILT),
                                                       QStringLiteral(TW_PRINT_MODULE_FROM_PROGRAM), PrintAskSymbol);
    if (!loaded.entry && reason)
        *reason = loaded.reason;
    return reinterpret_cast<TPrintAsk>(loaded.entry);
}
