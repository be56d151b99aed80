// Whole-file reads and safe replacing writes for the picture files.
#include "FileIO.h"

#include "platform/Errors.h"
#include "platform/OrdinaryFile.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Nothing the program reads comes near this; a bigger file is not a picture of ours.
constexpr qint64 MaxFileBytes = qint64(4) << 30;

QString NativeName(const QString &fileName) { return QDir::toNativeSeparators(fileName); }

} // namespace

QString OpenErrorText(const QString &fileName, const QString &reason)
{
    return QCoreApplication::translate("Files", "Cannot open \"%1\": %2.").arg(NativeName(fileName), reason);
}

QString SaveErrorText(const QString &fileName, const QString &reason)
{
    return QCoreApplication::translate("Files", "Cannot save \"%1\": %2.").arg(NativeName(fileName), reason);
}

void OpenForReading(QFile &file, const QString &fileName)
{
    QString reason;
    if (!OpenOrdinaryFile(file, fileName, &reason))
        throw FileError(OpenErrorText(fileName, reason));
}

QByteArray ReadWholeFile(const QString &fileName)
{
    QFile file;
    OpenForReading(file, fileName);
    const qint64 size = file.size();
    if (size > MaxFileBytes)
        throw FileError(OpenErrorText(fileName, QCoreApplication::translate("Files", "the file is too large")));
    QByteArray data;
    if (size > 0) {
        data.resize(size);
        qint64 got = 0;
        while (got < size) {
            const qint64 n = file.read(data.data() + got, size - got);
            if (n <= 0)
                break;
            got += n;
        }
        if (got < size && file.error() != QFileDevice::NoError)
            throw FileError(OpenErrorText(fileName, file.errorString()));
        data.truncate(got);
    }
    return data;
}

void SaveFileSafely(const QString &fileName, const std::function<bool(QIODevice &)> &write)
{
    if (fileName.isEmpty())
        throw FileError(SaveErrorText(fileName, QCoreApplication::translate("Files", "no file name was given")));
    const QFileInfo info(fileName);
    if (!info.absoluteDir().exists())
        throw FileError(SaveErrorText(fileName, QCoreApplication::translate("Files", "the folder does not exist")));
    if (info.isDir())
        throw FileError(SaveErrorText(fileName, QCoreApplication::translate("Files", "a folder of that name exists")));
    SafeFileWriter file(fileName);
    if (!file.create())
        throw FileError(SaveErrorText(fileName, file.reason()));
    if (!write(file)) {
        // The system's reason when it refused a write; the writer has none of its own.
        const QString reason
            = file.failed() ? file.reason() : QCoreApplication::translate("Files", "the data could not be written");
        file.discard();
        throw FileError(SaveErrorText(fileName, reason));
    }
    if (!file.commit())
        throw FileError(SaveErrorText(fileName, file.reason()));
}
