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
        QTest::newRow("Japanese") << "ja_JP"
                                  << "/tovarek/WBD_ja.html";
        QTest::newRow("English") << "en_US"
                                 << "/tovarek/WBD.html";
        QTest::newRow("Chinese") << "zh_CN"
                                 << "/tovarek/WBD.html";
        QTest::newRow("Korean") << "ko_KR"
                                << "/tovarek/WBD.html";
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
        QCOMPARE(about.Label4->toolTip(), HelpURL());
        QCOMPARE(about.Label1->text(), QStringLiteral("TOVAREK W Ver.") + QStringLiteral(TW_VERSION));
        QCOMPARE(GetVersionString().split(QLatin1Char('.')).size(), 4);
    }

    // Every label shows its whole text within its own width and inside the
    // box, at the pixel sizes of the layout; an address too long for its
    // label is shortened visibly and shown whole in the tooltip.
    void aboutLabelsFit_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("Japanese page") << "ja_JP";
        QTest::newRow("other page") << "en_US";
    }
    void aboutLabelsFit()
    {
        QFETCH(QString, locale);
        SelectHelpPage(QLocale(locale));
        TAboutDlg about;
        QCOMPARE(about.Label3->geometry(), QRect(20, 96, 309, 20));
        QCOMPARE(about.Label4->geometry(), QRect(20, 116, 309, 20));
        for (QLabel *l : {about.Label1, about.Label3, about.Label4}) {
            const QFontMetrics fm(l->font());
            const QRect box = l->contentsRect();
            QVERIFY2(fm.horizontalAdvance(l->text()) <= box.width(),
                     qPrintable(QStringLiteral("\"%1\" is %2 pixels wide in a label of %3")
                                    .arg(l->text())
                                    .arg(fm.horizontalAdvance(l->text()))
                                    .arg(box.width())));
            QVERIFY2(fm.height() <= box.height(), qPrintable(l->text()));
            QVERIFY2(QRect(QPoint(), about.size()).contains(l->geometry()), qPrintable(l->text()));
        }
        QCOMPARE(about.Label1->font().pixelSize(), 13);
        QCOMPARE(about.Label3->font().pixelSize(), 12);
        QCOMPARE(about.Label4->font().pixelSize(), 12);
        QVERIFY(about.Label4->font().bold());
        QVERIFY(about.Label1->text().startsWith(QStringLiteral("TOVAREK W Ver.")));
        QCOMPARE(about.Label3->text(), QStringLiteral("Made for the classroom by ORVEN PROJECT"));
        // The link: whole, or its start and its page with an ellipsis between.
        const QString shown = about.Label4->text();
        QCOMPARE(about.Label4->toolTip(), HelpURL());
        if (shown != HelpURL()) {
            const QStringList ends = shown.split(QChar(0x2026));
            QCOMPARE(ends.size(), 2);
            QVERIFY(HelpURL().startsWith(ends[0]) && ends[0].startsWith(QStringLiteral("http://")));
            QVERIFY(HelpURL().endsWith(ends[1]) && ends[1].endsWith(QStringLiteral(".html")));
        }
    }

    void desktopProgram()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath(QStringLiteral("started"));
        const QString path = DesktopProgramPath();
        QFile::remove(path);
        // Without the program the command does nothing.
        QVERIFY(!DesktopProgramExists());
        QVERIFY(!RunDesktopProgram());
        // A stand-in that leaves a mark where it was started.
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(DesktopProgramExists());
        QVERIFY(RunDesktopProgram());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
        QFile::remove(path);
        QVERIFY(!DesktopProgramExists());
    }
};

QTEST_MAIN(TestAuxiliary)
#include "test_auxiliary.moc"
