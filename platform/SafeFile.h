// Writing a file so that it is either replaced whole or left exactly as it
// was. Every writer of the program (settings, TGA, PSD, and Qt's image codecs)
// writes into a SafeFileWriter: a temporary file beside the target that
// takes the target's place only after every byte was written and flushed to
// the disk. Failures keep the system's own words ("No space left on device",
// "Permission denied", "File too large") for the user's message.
#pragma once

#include <QIODevice>
#include <QString>

#include <memory>
#include <vector>

class QFile;

class SafeFileWriter : public QIODevice
{
public:
    explicit SafeFileWriter(const QString &fileName);
    // Removes the temporary file unless commit() succeeded.
    ~SafeFileWriter() override;

    // Creates the temporary file in the target's folder and opens the device
    // for writing. False when it cannot: reason() says why.
    bool create();
    // Writes what is still buffered, flushes the file to the disk and renames
    // it over the target. On any failure the temporary file is removed, the
    // target stays as it was and false is returned.
    bool commit();
    // Gives up: removes the temporary file; the target stays as it was.
    void discard();

    // True once a write, flush or rename failed; every later write fails too.
    bool failed() const { return m_errno != 0; }
    // The system's reason for the first failure; empty when there was none.
    QString reason() const;

    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    qint64 size() const override { return m_size; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override;

private:
    bool fail(int error);
    bool flushBuffer();
    bool writeAt(const char *data, qint64 len, qint64 offset);
    void removeTemporary();

    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    std::unique_ptr<QFile> m_file; // where there are no POSIX files
    int m_errno = 0;
    qint64 m_size = 0;
    // Small writes are gathered here; m_bufferAt is the file offset of its first byte.
    std::vector<char> m_buffer;
    qint64 m_bufferAt = 0;
    bool m_committed = false;
};

// The system's words for an error number ("No space left on device").
QString SystemErrorText(int error);

// Creates a folder and every missing parent. False when it cannot, with the
// system's reason in *reason.
bool MakeFolders(const QString &path, QString *reason);

// A file-size limit (RLIMIT_FSIZE) would otherwise end the program with
// SIGXFSZ in the middle of a save; ignored, the write fails with "File too
// large" and the save reports it. Called once at the start of every program.
void IgnoreFileSizeSignal();
