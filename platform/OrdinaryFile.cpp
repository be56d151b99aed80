#include "platform/OrdinaryFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString ReasonFor(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return QCoreApplication::translate("Files", "the file does not exist");
    case EACCES:
    case EPERM: return QCoreApplication::translate("Files", "the program is not allowed to read it");
    case ELOOP: return QCoreApplication::translate("Files", "its links lead round in a circle");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}
} // namespace

bool OpenOrdinaryFile(QFile &file, const QString &fileName, QString *reason)
{
    auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (fileName.isEmpty())
        return fail(QCoreApplication::translate("Files", "no file name was given"));
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(ReasonFor(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(ReasonFor(error));
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(QCoreApplication::translate("Files", "it is a folder, not a file"));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(QCoreApplication::translate("Files", "it is not an ordinary file"));
    }
    // Reads of an ordinary file never wait; blocking mode is what readers expect.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return true;
}
