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
        QTest::addColumn<QPoint>("p");
        QTest::addColumn<QRect>("chosen");
        const QRect left(0, 0, 1024, 728), right(1024, 0, 1280, 984);
        QTest::newRow("on the left") << QPoint(100, 100) << right;
        QTest::newRow("on the right") << QPoint(1100, 100) << left;
        // A corner exactly on a work area's edge counts as outside it.
        QTest::newRow("on the left edge") << QPoint(0, 100) << right;
        QTest::newRow("on the top edge") << QPoint(100, 0) << right;
        QTest::newRow("on the shared edge") << QPoint(1024, 100) << right;
        QTest::newRow("outside both") << QPoint(-5, -5) << right;
    }
    void choiceOfScreen()
    {
        QFETCH(QPoint, p);
        QFETCH(QRect, chosen);
        const QList<QRect> areas{QRect(0, 0, 1024, 728), QRect(1024, 0, 1280, 984)};
        QCOMPARE(ViewRectGet(p, areas), chosen);
        QCOMPARE(ViewRectGet(p, {}), QRect(0, 0, 0, 0));
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
};

QTEST_MAIN(TestMirror)
#include "test_mirror.moc"
