#include "imagefiles/PdfEngine.h"

#include "platform/Module.h"

TPdfOpen PdfOpener(QString *reason)
{
    static const TModuleEntry loaded = LoadModuleEntry(QString::fromUtf8(TW_PDF_MODULE_BUILT),
                                                       QStringLiteral(TW_PDF_MODULE_FROM_PROGRAM), PdfOpenSymbol);
    if (!loaded.entry && reason)
        *reason = loaded.reason;
    return reinterpret_cast<TPdfOpen>(loaded.entry);
}
