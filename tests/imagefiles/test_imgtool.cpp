// The imgtool command: conversion by extension, --info, and exit statuses
// with a message on standard error.
#include "TestPictures.h"
#include "imagefiles/FMXBitmapEx.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestImgtool : public QObject
{
    Q_OBJECT

    QString m_tool;
    QTemporaryDir m_dir;

    struct Result
    {
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

private slots:
    void initTestCase()
    {
        m_tool = qEnvironmentVariable("TW_BINARY_DIR") + "/tools/imgtool/imgtool";
        QVERIFY2(QFileInfo(m_tool).isExecutable(), qPrintable(m_tool));
        TFMXBitmapEx src;
        src = FPicture();
        src.Author = "Teacher";
        src.SaveToFileEx(m_dir.filePath("f.tga"));
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
        QVERIFY(!QFile::exists(m_dir.filePath("out.gif")));
    }
};

QTEST_GUILESS_MAIN(TestImgtool)
#include "test_imgtool.moc"
