// Ways to make a save fail as it does on a real machine: a full disk, a
// folder the program may not write to, a file-size limit. Each is a guard
// that undoes itself; when it cannot be set up here, whyNot() says why and
// the test skips with that message.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// A small tmpfs, filled to the last byte once the old files are in place.
// Mounting needs root, as the CI runs the tests.
class FullDisk
{
public:
    explicit FullDisk(const char *size = "512k")
    {
        if (::geteuid() != 0) {
            m_whyNot = QStringLiteral("a full disk needs root to mount a small tmpfs");
            return;
        }
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                    (QByteArray("size=") + size).constData())
            != 0) {
            m_whyNot = QStringLiteral("cannot mount a tmpfs here: %1").arg(qt_error_string(errno));
            return;
        }
        m_mounted = true;
    }
    ~FullDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool ok() const { return m_mounted; }
    QString whyNot() const { return m_whyNot; }
    QString path() const { return m_dir.path(); }

    // Writes a filler file until the disk takes no more.
    void fill()
    {
        QFile filler(m_dir.filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_whyNot;
    bool m_mounted = false;
};

// A folder the program may not write to. Root may write anywhere, so for root
// the file-system user of this thread becomes "nobody" while the guard lives.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
        // The folders above must let "nobody" through to reach it.
        m_parent = QFile::encodeName(QDir(folder + QStringLiteral("/..")).absolutePath());
        struct stat st = {};
        ::stat(m_parent.constData(), &st);
        m_parentMode = st.st_mode & 07777;
        ::chmod(m_parent.constData(), 0755);
        ::chmod(m_folder.constData(), 0555);
        if (::geteuid() == 0) {
            ::setfsuid(65534);
            m_root = true;
        }
        const QByteArray probe = m_folder + "/.probe";
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.constData());
            m_whyNot = QStringLiteral("the folder stays writable here");
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_root)
            ::setfsuid(0);
        ::chmod(m_folder.constData(), 0755);
        ::chmod(m_parent.constData(), m_parentMode);
    }
    bool ok() const { return m_whyNot.isEmpty(); }
    QString whyNot() const { return m_whyNot; }

private:
    QByteArray m_folder, m_parent;
    mode_t m_parentMode = 0700;
    bool m_root = false;
    QString m_whyNot;
};

// A limit on the size of files this process writes. SIGXFSZ is ignored, as
// the programs do, so that a write past the limit fails instead of ending
// the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        m_set = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        struct rlimit small = m_old;
        small.rlim_cur = bytes;
        m_set = m_set && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            ::setrlimit(RLIMIT_FSIZE, &m_old);
    }
    bool ok() const { return m_set; }
    QString whyNot() const { return QStringLiteral("cannot set a file-size limit"); }

private:
    struct rlimit m_old = {};
    bool m_set = false;
};
