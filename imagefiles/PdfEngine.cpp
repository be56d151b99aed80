#include "imagefiles/PdfEngine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace {
struct TLoaded {
    TPdfOpen open = nullptr;
    QString reason;
};

TLoaded Load()
{
    // Beside the build's own program, or where the package puts it.
    const QString installed
        = QCoreApplication::applicationDirPath() + QStringLiteral("/" TW_PDF_MODULE_FROM_PROGRAM);
    QStringList candidates;
    for (const QString &file : {QString::fromUtf8(TW_PDF_MODULE_BUILT), installed})
        if (QFileInfo::exists(file))
            candidates << file;
    TLoaded loaded;
    if (candidates.isEmpty()) {
        loaded.reason = QStringLiteral("%1 is missing").arg(QFileInfo(installed).absoluteFilePath());
        return loaded;
    }
    for (const QString &file : std::as_const(candidates)) {
        QLibrary module(file);
        if (!module.load()) {
            loaded.reason = module.errorString();
            continue;
        }
        loaded.open = reinterpret_cast<TPdfOpen>(module.resolve(PdfOpenSymbol));
        if (loaded.open)
            return loaded; // stays loaded: QLibrary does not unload on destruction
        loaded.reason = module.errorString();
    }
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
