// Parts of the program kept in modules of their own (the PDF reader, the
// print dialog), so that the libraries they need are loaded the first time
// the teacher uses them rather than with every start.
#pragma once

#include <QFunctionPointer>
#include <QString>

struct TModuleEntry {
    QFunctionPointer entry = nullptr;
    QString reason; // why there is none
};

// The entry symbol of the module found where the build made it (built) or
// where the package installs it (fromProgram, relative to the program's
// folder); none, with the reason, when neither can be loaded. The module
// stays loaded.
TModuleEntry LoadModuleEntry(const QString &built, const QString &fromProgram, const char *symbol);
