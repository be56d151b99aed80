// The about box's version and help link by locale, and the start of the
// sibling desktop program when (and only when) it stands beside us.
#include "auxiliary/AboutDlg.h"
#include "auxiliary/HelpPage.h"
#include "settings/Settings.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

class TestAuxiliary : public QObject
{
    Q_OBJECT
private slots:
    void helpPageByLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("page");
        QTest::newRow("Japanese") << "ja_JP" << "/tovarek/WBD_ja.html";
        QTest::newRow("English") << "en_US" << "/tovarek/WBD.html";
        QTest::newRow("Chinese") << "zh_CN" << "/tovarek/WBD.html";
        QTest::newRow("Korean") << "ko_KR" << "/tovarek/WBD.html";
    }
    void helpPageByLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, page);
        SelectHelpPage(QLocale(locale));
        QVERIFY(HelpURL().startsWith(QStringLiteral("http://")));
        QVERIFY(HelpURL().endsWith(page));
        TAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About This Application"));
        QCOMPARE(about.Label4->text(), HelpURL());
        QCOMPARE(about.Label1->text(), QStringLiteral("TOVAREK W Ver.") + QStringLiteral(TW_VERSION));
        QCOMPARE(GetVersionString().split(QLatin1Char('.')).size(), 4);
    }

    void desktopProgram()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath(QStringLiteral("started"));
        const QString path = DesktopProgramPath();
        QFile::remove(path);
        // Without the program the command does nothing.
        QVERIFY(!DesktopProgramExists());
        RunDesktopProgram();
        QTest::qWait(200);
        QVERIFY(!QFile::exists(marker));
        // A stand-in that leaves a mark where it was started.
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(DesktopProgramExists());
        RunDesktopProgram();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
        QFile::remove(path);
        QVERIFY(!DesktopProgramExists());
    }
};

QTEST_MAIN(TestAuxiliary)
#include "test_auxiliary.moc"
