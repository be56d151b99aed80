#include "imagefiles/PdfEngine.h"

#include "platform/Module.h"

namespace {
struct TLoaded {
    TPdfOpen open = nullptr;
    QString reason;
};

TLoaded Load()
{
    TLoaded loaded;
    loaded.open = reinterpret_cast<TPdfOpen>(LoadModuleEntry(QString::fromUtf8(TW_PDF_MODULE_BUILT),
                                                             QStringLiteral(TW_PDF_MODULE_FROM_PROGRAM), PdfOpenSymbol,
                                                             &loaded.reason));
    return loaded;
}
} // namespace

TPdfOpen PdfOpener(QString *reason)
{
    static const TLoaded loaded = Load();
    if (!loaded.open && reason)
        *reason = loaded.reason;
    return loaded.open;
}
