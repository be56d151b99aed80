#include "platform/Module.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

QFunctionPointer LoadModuleEntry(const QString &built, const QString &fromProgram, const char *symbol, QString *reason)
{
    const QString installed = QCoreApplication::applicationDirPath() + QLatin1Char('/') + fromProgram;
    QStringList candidates;
    for (const QString &file : {built, installed})
        if (QFileInfo::exists(file))
            candidates << file;
    if (candidates.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("%1 is missing").arg(QFileInfo(installed).absoluteFilePath());
        return nullptr;
    }
    for (const QString &file : std::as_const(candidates)) {
        QLibrary module(file);
        if (module.load()) {
            if (const QFunctionPointer entry = module.resolve(symbol))
                return entry; // stays loaded: QLibrary does not unload on destruction
        }
        if (reason)
            *reason = module.errorString();
    }
    return nullptr;
}
