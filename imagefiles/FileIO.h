// File access shared by the picture readers and writers: opening for reading
// with plain error messages, and writes that replace the target only when
// complete.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;
class QIODevice;

// Opens an ordinary file for reading. Throws FileError naming the file and
// the reason when it is missing, a folder, a pipe or device, or unreadable.
void OpenForReading(QFile &file, const QString &fileName);

// The whole content of a file. Throws FileError naming the file and the reason
// when it cannot be read.
QByteArray ReadWholeFile(const QString &fileName);

// Runs write on a temporary file beside fileName (a SafeFileWriter) and puts
// it in the target's place only when write returned true and every byte
// reached the disk; the old file stays otherwise. Throws FileError naming the
// file and the reason, in the system's words when the system refused.
void SaveFileSafely(const QString &fileName, const std::function<bool(QIODevice &)> &write);

// "Cannot open "<file>": <reason>." and its counterpart for saving.
QString OpenErrorText(const QString &fileName, const QString &reason);
QString SaveErrorText(const QString &fileName, const QString &reason);
