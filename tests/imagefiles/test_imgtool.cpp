// The imgtool command: conversion by extension, --info, and exit statuses
// with a message on standard error; the memory a read takes, measured on the
// process.
#include "TestPictures.h"
#include "imagefiles/FMXBitmapEx.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class TestImgtool : public QObject
{
    Q_OBJECT

    QString m_tool;
    QTemporaryDir m_dir;

    struct Result {
        int code = -1;
        QByteArray out, err;
    };

    Result run(const QStringList &args)
    {
        QProcess p;
        p.start(m_tool, args);
        Result r;
        if (!p.waitForFinished(60000))
            return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    struct Limited {
        int code = -1; // exit status, -1 when a signal ended it
        int signal = 0;
        QByteArray err;
        long peakKiB = 0; // the process's largest resident size
    };

    // Runs imgtool as its own process with SIGXFSZ at its default action and,
    // when fileSizeLimit >= 0, that limit on the size of files it writes.
    Limited runLimited(const QStringList &args, long fileSizeLimit = -1)
    {
        Limited r;
        const QByteArray tool = QFile::encodeName(m_tool);
        QList<QByteArray> argBytes{tool};
        for (const QString &a : args)
            argBytes << QFile::encodeName(a);
        std::vector<char *> argv;
        for (QByteArray &a : argBytes)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const QByteArray errFile = QFile::encodeName(m_dir.filePath("stderr.txt"));
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            if (fileSizeLimit >= 0) {
                struct rlimit lim = {rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &lim);
            }
            const int fd = ::open(errFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        struct rusage usage = {};
        if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid)
            return r;
        if (WIFEXITED(status))
            r.code = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            r.signal = WTERMSIG(status);
        r.peakKiB = usage.ru_maxrss;
        QFile f(QFile::decodeName(errFile));
        if (f.open(QIODevice::ReadOnly))
            r.err = f.readAll();
        return r;
    }

    // The peak of reading a tiny picture: what the program needs anyway.
    long m_basePeakKiB = 0;

private slots:
    void initTestCase()
    {
        m_tool = qEnvironmentVariable("TW_BINARY_DIR") + "/tools/imgtool/imgtool";
        QVERIFY2(QFileInfo(m_tool).isExecutable(), qPrintable(m_tool));
        TFMXBitmapEx src;
        src = FPicture();
        src.Author = "Teacher";
        src.SaveToFileEx(m_dir.filePath("f.tga"));
        const Limited base = runLimited({"--info", m_dir.filePath("f.tga")});
        QCOMPARE(base.code, 0);
        m_basePeakKiB = base.peakKiB;
    }

    void convertsByExtension()
    {
        const Result toPsd = run({m_dir.filePath("f.tga"), m_dir.filePath("f.psd")});
        QCOMPARE(toPsd.code, 0);
        QVERIFY(toPsd.err.isEmpty());
        const Result toPng = run({m_dir.filePath("f.psd"), m_dir.filePath("f.png")});
        QCOMPARE(toPng.code, 0);
        TFMXBitmapEx png;
        png.LoadFromFileEx(m_dir.filePath("f.png"), 0);
        QCOMPARE(png.size(), QSize(13, 11));
        QCOMPARE(PixelAt(png, 0, 0), qRgb(0, 255, 0));

        QCOMPARE(run({"--no-alpha", m_dir.filePath("f.png"), m_dir.filePath("rle.tga")}).code, 0);
        QFile rle(m_dir.filePath("rle.tga"));
        QVERIFY(rle.open(QIODevice::ReadOnly));
        QCOMPARE(int(rle.read(3)[2]), 10);
    }

    void info()
    {
        const Result r = run({"--info", m_dir.filePath("f.tga")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("width: 13\nheight: 11\nauthor: Teacher\n"));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing input") << QStringList{"absent.png", "out.png"} << "does not exist";
        QTest::newRow("unknown output kind") << QStringList{"@f.tga", "out.gif"} << "does not save .gif";
        QTest::newRow("no such folder") << QStringList{"@f.tga", "@no/such/out.png"} << "folder does not exist";
        QTest::newRow("unknown option") << QStringList{"--frobnicate", "a", "b"} << "unknown option";
        QTest::newRow("one file") << QStringList{"@f.tga"} << "usage";
        QTest::newRow("--layer into a PNG")
            << QStringList{"--layer", "@f.tga", "@f.tga", "@out.png"} << "must end in .psd";
        QTest::newRow("--layer into a GIF")
            << QStringList{"--layer", "@f.tga", "@f.tga", "@out.gif"} << "must end in .psd";
        QTest::newRow("--layer with --author")
            << QStringList{"--layer", "@f.tga", "--author", "A", "@f.tga", "@out.psd"} << "cannot be used with --layer";
        QTest::newRow("--layer with --no-alpha")
            << QStringList{"--no-alpha", "--layer", "@f.tga", "@f.tga", "@out.psd"} << "cannot be used with --layer";
        for (const char *q : {"101", "-1", "high", "50.5", ""})
            QTest::newRow(qPrintable(QString("--quality %1").arg(q)))
                << QStringList{"--quality", q, "@f.tga", "@out.jpg"} << "from 0 to 100";
        QTest::newRow("--quality without a value") << QStringList{"@f.tga", "@out.jpg", "--quality"} << "needs a value";
    }

    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        for (QString &a : args)
            if (a.startsWith('@'))
                a = m_dir.filePath(a.mid(1));
        const Result r = run(args);
        QVERIFY(r.code > 0);
        QVERIFY2(QString::fromLocal8Bit(r.err).contains(message), r.err.constData());
        for (const char *out : {"out.gif", "out.png", "out.psd", "out.jpg"})
            QVERIFY(!QFile::exists(m_dir.filePath(out)));
    }

    void qualityBounds()
    {
        for (const char *q : {"0", "100"})
            QCOMPARE(run({"--quality", q, m_dir.filePath("f.tga"), m_dir.filePath("q.jpg")}).code, 0);
    }

    // A file-size limit fails the save with the system's reason instead of
    // ending the program, and the old file stays.
    void fileSizeLimit()
    {
        const QString old = m_dir.filePath("limited.bmp");
        QCOMPARE(run({m_dir.filePath("f.tga"), old}).code, 0);
        QFile f(old);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        TFMXBitmapEx big;
        big = FPicture(300, 300);
        big.SaveToFileEx(m_dir.filePath("big.tga"));
        const Limited r = runLimited({m_dir.filePath("big.tga"), old}, 4096);
        QCOMPARE(r.signal, 0);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("File too large"), r.err.constData());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == before);
    }

    // A header promises more than the file holds: the read is refused before
    // a bitmap of that size exists. Measured as the peak resident size of
    // imgtool --info, against the peak for a tiny picture.
    void tinyHeaderTakesNoMemory_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("code"); // the exit status; -1 for either 0 or 1
        auto make = [this](const QString &name, const QByteArray &bytes) {
            QFile f(m_dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            return f.fileName();
        };
        const QByteArray footer(26, '\0');
        QTest::newRow("44-byte raw TGA of 16000 x 16000")
            << make("raw.tga", TgaHeader(2, 16000, 16000, 32, 0x28) + footer) << 1;
        QTest::newRow("44-byte RLE TGA of 16000 x 16000")
            << make("rle.tga", TgaHeader(10, 16000, 16000, 24, 0x20) + footer) << 1;
        QTest::newRow("PSD of 16000 x 16000, packed")
            << make("packed.psd", PsdHead(3, 16000, 16000, 8, 3) + QByteArray("\x00\x01\x00\x02\x00\x02", 6)) << 1;
        QTest::newRow("PSD of 16000 x 16000, raw")
            << make("raw.psd", PsdHead(3, 16000, 16000, 8, 3) + QByteArray("\x00\x00\x01\x02\x03", 5)) << 1;
        QTest::newRow("PSD of 16000 x 16000, row table only") << make(
            "table.psd", PsdHead(3, 16000, 16000, 8, 3) + QByteArray("\x00\x01", 2) + QByteArray(3 * 16000 * 2, '\x01'))
                                                              << 1;
        QTest::newRow("PSD bitmap mode of 16000 x 16000")
            << make("bits.psd", PsdHead(1, 16000, 16000, 1, 0) + QByteArray("\x00\x01", 2)) << 1;
        const QDir crashers(qEnvironmentVariable("TW_SOURCE_DIR") + "/fuzz/imagefiles/crashers");
        for (const QString &name : crashers.entryList(QDir::Files))
            QTest::newRow(qPrintable("crasher " + name)) << crashers.filePath(name) << -1;

        // A small picture at the start of a huge (sparse) file: only what the
        // picture needs is read.
        QByteArray tga = TgaHeader(2, 64, 64, 32, 0x28);
        tga += QByteArray(64 * 64 * 4, '\x7F');
        const QString sparse = make("sparse.tga", tga);
        QVERIFY(QFile::resize(sparse, qint64(1) << 30));
        QTest::newRow("64 x 64 TGA in a 1 GiB file") << sparse << 0;
        const QByteArray psd = PsdHead(3, 64, 64, 8, 3) + QByteArray(2, '\0') + QByteArray(3 * 64 * 64, '\x40');
        const QString sparsePsd = make("sparse.psd", psd);
        QVERIFY(QFile::resize(sparsePsd, qint64(1) << 30));
        QTest::newRow("64 x 64 PSD in a 1 GiB file") << sparsePsd << 0;
    }

    void tinyHeaderTakesNoMemory()
    {
        QFETCH(QString, path);
        QFETCH(int, code);
        const Limited r = runLimited({"--info", path});
        QCOMPARE(r.signal, 0);
        if (code >= 0)
            QCOMPARE(r.code, code);
        QVERIFY(r.code == 0 || r.code == 1);
        if (r.code == 1)
            QVERIFY2(!r.err.isEmpty(), "a refusal gives a reason");
        const long extraMiB = (r.peakKiB - m_basePeakKiB) / 1024;
        QVERIFY2(extraMiB < 32, qPrintable(QString("%1 MiB more than for a tiny picture").arg(extraMiB)));
    }
};

QTEST_GUILESS_MAIN(TestImgtool)
#include "test_imgtool.moc"
