#include "platform/Module.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

TModuleEntry LoadModuleEntry(const QString &built, const QString &fromProgram, const char *symbol)
{
    const QString installed = QCoreApplication::applicationDirPath() + QLatin1Char('/') + fromProgram;
    QStringList candidates;
    for (const QString &file : {built, installed})
        if (QFileInfo::exists(file))
            candidates << file;
    TModuleEntry loaded;
    if (candidates.isEmpty())
        loaded.reason = QStringLiteral("%1 is missing").arg(QFileInfo(installed).absoluteFilePath());
    for (const QString &file : std::as_const(candidates)) {
        QLibrary module(file);
        if (module.load() && (loaded.entry = module.resolve(symbol)))
            return loaded; // stays loaded: QLibrary does not unload on destruction
        loaded.reason = module.errorString();
    }
    return loaded;
}
