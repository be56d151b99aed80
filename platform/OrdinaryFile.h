// Opening a file for reading only when it is an ordinary file. A pipe or a
// device named like a picture (or a link to one) would keep whoever reads it
// waiting for data that may never come, so such names are refused at once.
#pragma once

#include <QString>

class QFile;

// Opens fileName (following links) into file for reading. The type is tested
// on the opened descriptor, never on the name, and opening never waits on a
// pipe. On failure returns false and sets reason to words for the user
// ("the file does not exist", "it is not an ordinary file", ...).
bool OpenOrdinaryFile(QFile &file, const QString &fileName, QString *reason);
