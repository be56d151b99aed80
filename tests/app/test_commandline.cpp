// The command line is read before there is a display: what it asks for and
// every mistake in it must be known from the arguments alone.
#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        for (const char *name : {"pic.png", "-odd.png", "locked.png"}) {
            QFile f(QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QFile(QStringLiteral("locked.png")).setPermissions(QFileDevice::WriteOwner);
        QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // a part of it
        QTest::addColumn<QStringList>("files");
        const int run = TCommandLine::Run, print = TCommandLine::Print, fail = TCommandLine::Fail;
        const QStringList pic{QStringLiteral("pic.png")};
        QTest::newRow("nothing") << QStringList() << run << 0 << QString() << QStringList();
        QTest::newRow("a picture") << pic << run << 0 << QString() << pic;
        QTest::newRow("toolkit options with values")
            << QStringList{"-platform", "offscreen", "--style=fusion", "-reverse", "pic.png"} << run << 0 << QString()
            << pic;
        QTest::newRow("a file after --") << QStringList{"--", "-odd.png"} << run << 0 << QString()
                                         << QStringList{"-odd.png"};
        QTest::newRow("help") << QStringList{"--help"} << print << 0 << "Usage: tovarek-w [OPTION]... [FILE]"
                              << QStringList();
        QTest::newRow("help before a missing file")
            << QStringList{"-h", "missing.png"} << print << 0 << "-v, --version" << QStringList();
        QTest::newRow("version") << QStringList{"pic.png", "-v"} << print << 0 << "TOVAREK W 9.8.7\n" << QStringList();
        QTest::newRow("unknown option") << QStringList{"--bogus", "pic.png"} << fail << 2
                                        << "tovarek-w: unknown option --bogus" << QStringList();
        QTest::newRow("option without its value") << QStringList{"pic.png", "-platform"} << fail << 2
                                                  << "the option -platform needs a value" << QStringList();
        QTest::newRow("missing file") << QStringList{"missing.png"} << fail << 1
                                      << "cannot open missing.png: there is no such file" << QStringList();
        QTest::newRow("folder") << QStringList{"folder"} << fail << 1 << "it is a folder, not a file" << QStringList();
        if (geteuid() != 0) // the superuser reads every file
            QTest::newRow("unreadable file")
                << QStringList{"locked.png"} << fail << 1 << "cannot be read" << QStringList();
    }

    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QStringList, files);
        const TCommandLine r = ParseCommandLine(args, QStringLiteral("tovarek-w"), QStringLiteral("9.8.7"));
        QCOMPARE(int(r.Action), action);
        QCOMPARE(r.ExitCode, exitCode);
        QVERIFY2(r.Message.contains(message), qPrintable(r.Message));
        QCOMPARE(r.Files, files);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
