// The mirror window: the choice of screen, and with two screens the board
// repeated on the other one; with one or three screens no mirror exists.
#include "app/MainFrm.h"
#include "mirror/ViewFrm.h"
#include "settings/Settings.h"

#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class TestMirror : public QObject
{
    Q_OBJECT
    int screens = 0;
    QTemporaryDir config;

private slots:
    void initTestCase()
    {
        screens = qEnvironmentVariableIntValue("TW_SCREENS");
        QCOMPARE(int(QGuiApplication::screens().size()), screens);
        CreateViewFrm();
        SetMirrorViewExists(ViewFrm != nullptr);
        SetSettingsFolder(config.path());
    }
    void cleanupTestCase() { FreeViewFrm(); }

    void choiceOfScreen_data()
    {
        QTest::addColumn<int>("own");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QRect>("chosen");
        const QRect left(0, 0, 1024, 728), right(1024, 0, 1280, 984), none(0, 0, 0, 0);
        QTest::newRow("main on the left") << 0 << QList<QRect>{left, right} << right;
        QTest::newRow("main on the right") << 1 << QList<QRect>{left, right} << left;
        QTest::newRow("main on no known screen") << -1 << QList<QRect>{left, right} << right;
        QTest::newRow("only the main window's screen") << 0 << QList<QRect>{left} << none;
        QTest::newRow("no screens") << -1 << QList<QRect>{} << none;
    }
    void choiceOfScreen()
    {
        QFETCH(int, own);
        QFETCH(QList<QRect>, areas);
        QFETCH(QRect, chosen);
        QCOMPARE(ViewRectGet(own, areas), chosen);
    }

    void multiView()
    {
        TWBDMainFrm w;
        w.move(QGuiApplication::screens().first()->geometry().topLeft() + QPoint(10, 10));
        w.show();
        const SettingsModel &s = Settings();
        bool offered = false;
        for (int i = 0; i < s.MenuCount; ++i)
            offered |= s.MenuItems[i].PenType == pwMView;
        QCOMPARE(offered, screens == 2);
        w.MenuButtonClick(MakeMenuItem(pwMView, 0xFFFFFFFF, 1));
        if (screens != 2) {
            QVERIFY(!ViewFrm);
            return;
        }
        QVERIFY(ViewFrm);
        QVERIFY(ViewFrm->isVisible());
        const QRect other = QGuiApplication::screens().at(1)->availableGeometry();
        QCOMPARE(ViewFrm->geometry(), other);
        QVERIFY(!ViewFrm->HasBorder());
        // A stroke on the board appears in the mirror's picture.
        TPWImage &b = *w.PWImage;
        b.SetCrPen(MakeMenuItem(pwPn, 0xFFFF0000, 40));
        b.PWMouseDown(100, 100);
        b.PWMouseMove(300, 100);
        b.PWMouseUp(300, 100);
        const QPointF m = b.PictureToView(b.ScreenToPicture(QPointF(200, 100)));
        QCOMPARE(ViewFrm->Image->Bitmap.pixel(int(m.x()), int(m.y())), 0xFFFF0000u);
        // A click toggles between the small bordered window and the full work area.
        QTest::mouseClick(ViewFrm, Qt::RightButton);
        QVERIFY(ViewFrm->HasBorder());
        QCOMPARE(ViewFrm->size(), QSize(640, 320));
        QCOMPARE(ViewFrm->windowTitle(), QStringLiteral("640 x 320"));
        QTest::mouseClick(ViewFrm, Qt::LeftButton);
        QVERIFY(!ViewFrm->HasBorder());
        QCOMPARE(ViewFrm->geometry(), other);
        // Multi View again hides it.
        w.MenuButtonClick(MakeMenuItem(pwMView, 0xFFFFFFFF, 1));
        QVERIFY(!ViewFrm->isVisible());
    }

    // A maximised main window's corner lies on its work area's edge; the
    // mirror still goes to the other screen and never covers the board.
    void maximisedMainWindow_data()
    {
        QTest::addColumn<int>("own");
        QTest::newRow("on the first screen") << 0;
        QTest::newRow("on the second screen") << 1;
    }
    void maximisedMainWindow()
    {
        QFETCH(int, own);
        if (screens != 2)
            QSKIP("the mirror needs two screens");
        const QList<QScreen *> all = QGuiApplication::screens();
        TWBDMainFrm w;
        w.move(all.at(own)->availableGeometry().topLeft() + QPoint(40, 40));
        w.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(w.frameGeometry(), all.at(own)->availableGeometry());
        QCOMPARE(w.screen(), all.at(own));
        w.MenuButtonClick(MakeMenuItem(pwMView, 0xFFFFFFFF, 1));
        QVERIFY(ViewFrm->isVisible());
        QCOMPARE(ViewFrm->geometry(), all.at(1 - own)->availableGeometry());
        QVERIFY(!ViewFrm->geometry().intersects(w.geometry()));
        w.MenuButtonClick(MakeMenuItem(pwMView, 0xFFFFFFFF, 1));
        QVERIFY(!ViewFrm->isVisible());
    }
};

QTEST_MAIN(TestMirror)
#include "test_mirror.moc"
