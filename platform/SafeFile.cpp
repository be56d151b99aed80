// The temporary file is written with plain system calls rather than through
// QFile or QSaveFile: their buffered flush can lose a short write and then
// rename a cut-off file over the old one, and they turn errno into messages
// of their own. Here every write is checked to its last byte and the first
// errno is kept.
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Writes smaller than DirectWrite are gathered, up to BufferSize, before
// they reach the system; larger ones go straight to the file.
constexpr size_t BufferSize = size_t(1) << 20;
constexpr qint64 DirectWrite = qint64(64) << 10;

QByteArray Encoded(const QString &path) { return QFile::encodeName(path); }

} // namespace

QString SystemErrorText(int error) { return qt_error_string(error); }

SafeFileWriter::SafeFileWriter(const QString &fileName)
{
    const QFileInfo info(fileName);
    // A link is followed: the file it points to is the one replaced, and the
    // link stays a link.
    m_target = info.isSymLink() && info.exists() ? info.symLinkTarget() : info.absoluteFilePath();
}

SafeFileWriter::~SafeFileWriter()
{
    if (!m_committed)
        discard();
}

QString SafeFileWriter::reason() const { return m_errno ? SystemErrorText(m_errno) : QString(); }

bool SafeFileWriter::fail(int error)
{
    if (m_errno == 0) {
        m_errno = error ? error : EIO;
        setErrorString(SystemErrorText(m_errno));
    }
    return false;
}

#if defined(Q_OS_UNIX)

bool SafeFileWriter::create()
{
    if (isOpen() || m_committed)
        return false;
    const QByteArray target = Encoded(m_target);
    struct stat old = {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return fail(EISDIR);
    // A file the user made read-only is not replaced behind their back.
    if (exists && ::access(target.constData(), W_OK) != 0)
        return fail(errno);

    const QFileInfo info(m_target);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.');
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = stem + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp");
        // 0666 less the umask, as any new file of the user's gets.
        m_fd = ::open(Encoded(m_temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) {
            const int error = errno;
            m_temporary.clear();
            return fail(error);
        }
    }
    if (m_fd < 0) {
        m_temporary.clear();
        return fail(EEXIST);
    }
    // The new file keeps the old one's permissions.
    if (exists)
        ::fchmod(m_fd, old.st_mode & 07777);
    m_buffer.reserve(BufferSize);
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool SafeFileWriter::writeAt(const char *data, qint64 len, qint64 offset)
{
    while (len > 0) {
        const ssize_t n = ::pwrite(m_fd, data, size_t(std::min<qint64>(len, qint64(1) << 30)), off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        // No progress and no error: the disk takes nothing more.
        if (n == 0)
            return fail(ENOSPC);
        data += n;
        len -= n;
        offset += n;
    }
    return true;
}

bool SafeFileWriter::commit()
{
    if (!isOpen() || m_fd < 0) {
        if (!failed())
            fail(EBADF);
        discard();
        return false;
    }
    bool ok = !failed() && flushBuffer();
    // The data must be on the disk before the name points at it, or a crash
    // right after the rename could leave an empty file in place of the old one.
    if (ok && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        ok = fail(errno);
    if (::close(m_fd) != 0 && ok && errno != EINTR)
        ok = fail(errno);
    m_fd = -1;
    if (ok && ::rename(Encoded(m_temporary).constData(), Encoded(m_target).constData()) != 0)
        ok = fail(errno);
    if (!ok) {
        discard();
        return false;
    }
    m_temporary.clear();
    m_committed = true;
    QIODevice::close();
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(Encoded(QFileInfo(m_target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void SafeFileWriter::removeTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(Encoded(m_temporary).constData());
        m_temporary.clear();
    }
}

bool MakeFolders(const QString &path, QString *reason)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString sofar;
    for (const QString &part : parts) {
        sofar += QLatin1Char('/') + part;
        const QByteArray name = Encoded(sofar);
        struct stat st = {};
        if (::stat(name.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            if (reason)
                *reason = SystemErrorText(ENOTDIR);
            return false;
        }
        if (::mkdir(name.constData(), 0777) != 0 && errno != EEXIST) {
            if (reason)
                *reason = SystemErrorText(errno);
            return false;
        }
    }
    return true;
}

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

#else // not Unix: Qt's file access, without the flush to the disk

bool SafeFileWriter::create()
{
    if (isOpen() || m_committed)
        return false;
    const QFileInfo info(m_target);
    if (info.isDir())
        return fail(EISDIR);
    if (info.exists() && !info.isWritable())
        return fail(EACCES);
    m_temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.')
                  + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp");
    m_file = std::make_unique<QFile>(m_temporary);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        m_file.reset();
        m_temporary.clear();
        return fail(EACCES);
    }
    m_fd = 0;
    m_buffer.reserve(BufferSize);
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool SafeFileWriter::writeAt(const char *data, qint64 len, qint64 offset)
{
    if (!m_file->seek(offset) || m_file->write(data, len) != len)
        return fail(EIO);
    return true;
}

bool SafeFileWriter::commit()
{
    bool ok = isOpen() && !failed() && flushBuffer();
    if (ok) {
        m_file.reset();
        m_fd = -1;
        QFile::remove(m_target);
        ok = QFile::rename(m_temporary, m_target) || fail(EIO);
    }
    if (!ok) {
        discard();
        return false;
    }
    m_temporary.clear();
    m_committed = true;
    QIODevice::close();
    return true;
}

void SafeFileWriter::removeTemporary()
{
    m_file.reset();
    m_fd = -1;
    if (!m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
        m_temporary.clear();
    }
}

bool MakeFolders(const QString &path, QString *reason)
{
    if (QDir().mkpath(path))
        return true;
    if (reason)
        *reason = SystemErrorText(EACCES);
    return false;
}

void IgnoreFileSizeSignal() { }

#endif

void SafeFileWriter::discard()
{
    removeTemporary();
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

bool SafeFileWriter::flushBuffer()
{
    if (m_buffer.empty())
        return !failed();
    const bool ok = !failed() && writeAt(m_buffer.data(), qint64(m_buffer.size()), m_bufferAt);
    m_buffer.clear();
    return ok;
}

bool SafeFileWriter::seek(qint64 pos)
{
    if (pos < 0)
        return false;
    return QIODevice::seek(pos);
}

qint64 SafeFileWriter::writeData(const char *data, qint64 len)
{
    if (failed() || m_fd < 0)
        return -1;
    const qint64 at = pos();
    // The buffer holds one stretch of the file: a write elsewhere (a length
    // filled in after the fact) sends it first.
    if (!m_buffer.empty() && at != m_bufferAt + qint64(m_buffer.size()) && !flushBuffer())
        return -1;
    if (len >= DirectWrite) {
        if (!flushBuffer() || !writeAt(data, len, at))
            return -1;
    } else {
        if (m_buffer.empty())
            m_bufferAt = at;
        m_buffer.insert(m_buffer.end(), data, data + len);
        if (m_buffer.size() >= BufferSize && !flushBuffer())
            return -1;
    }
    m_size = std::max(m_size, at + len);
    return len;
}
