// The setup dialog and its colour editor, driven through their controls:
// clicks, typing and drops on a shown dialog, and whole modal runs closed
// with OK, Cancel, Escape or the window's close.
#include "setup/ColorEditor.h"
#include "setup/SetupDlg.h"

#include "platform/ImageControl.h"
#include "platform/Panel.h"
#include "tiles/MetroButton.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "ModalDialog.h"
#include <functional>
#include <memory>

namespace {

struct DialogFixture {
    QWidget main;
    QString lastFile;
    QStringList opened;
    int penIndex = 0;
    TSetupDlg dlg;

    DialogFixture()
        : dlg(
            &main, [this] { return lastFile; }, [this](const QString &f) { opened << f; }, &penIndex)
    { }
    // The dialog as Execute fills it, shown without a modal loop.
    bool Show()
    {
        dlg.CreateLnchButtons();
        dlg.ShowSettings();
        dlg.show();
        return QTest::qWaitForWindowExposed(&dlg);
    }
};

void Click(QWidget *w, QPoint at = QPoint())
{
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at.isNull() ? w->rect().center() : at);
}

void TypeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void ClickItem(QListWidget *list, int row)
{
    list->scrollToItem(list->item(row));
    Click(list->viewport(), list->visualItemRect(list->item(row)).center());
}

// An entry's name for messages: the kind, and a stock pen's index.
QString EntryName(const TPWMenuItem &m)
{
    QString s = PenTypeToName(m.PenType);
    if (m.PenType == pwMarkPtr)
        s += QString::number(m.PenColor & 0xFFFFFF);
    return s;
}

QStringList Names(const TPWMenuItem *items, int count)
{
    QStringList r;
    for (int i = 0; i < count; ++i)
        r << EntryName(items[i]);
    return r;
}

QStringList MenuNames() { return Names(Settings().MenuItems.data(), Settings().MenuCount); }

// What a tile list shows, by the entries its items refer to. Fails when an
// item's tile is not the tile of the entry its Tag names.
QStringList ListNames(TSetupDlg &dlg, QListWidget *list)
{
    const SettingsModel &s = Settings();
    QStringList r;
    for (int i = 0; i < list->count(); ++i) {
        const int tag = TSetupDlg::ItemTag(list->item(i));
        const TPWMenuItem e = list == dlg.MenuLB ? s.MenuItems[size_t(tag)] : s.LnchItems[size_t(tag)];
        const int tile = list->item(i)->data(TSetupDlg::TileRole).toInt();
        r << EntryName(e);
        if (tile != dlg.FindInLnch(e))
            r << QStringLiteral("<wrong tile>");
    }
    return r;
}

TPWMenuItem Cmd(TPWPenType t, Single thickness = 1) { return MakeMenuItem(t, 0xFFFFFFFF, thickness); }

// The settings after a dialog that only normalised them.
SettingsModel Normalized(const SettingsModel &s)
{
    const SettingsModel keep = Settings();
    Settings() = s;
    NormalizeSettings();
    SettingsModel r = Settings();
    Settings() = keep;
    return r;
}

// The drop of one tool bar item onto another, as the list receives it.
bool DropOnMenu(TSetupDlg &dlg, const QPoint &at, const QMimeData *mime)
{
    QWidget *vp = dlg.MenuLB->viewport();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QDropEvent drop(QPointF(at), actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &drop);
    return move.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

// One cell of the tile lists.
constexpr int TileCellSize = 64;

QImage Grab(QWidget *w) { return w->grab().toImage().convertToFormat(QImage::Format_ARGB32); }
} // namespace

class TestSetupDlg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The platform's own folder dialog could not be answered from here.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void init()
    {
        SetMirrorViewExists(false);
        SetDefaultSettings();
        NormalizeSettings();
    }

    // ---- colour editor ---------------------------------------------------

    void parseColorText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TAlphaColor>("color");
        QTest::newRow("orange") << "ff8000" << TAlphaColor(0xFFFF8000);
        QTest::newRow("upper case") << "00FF7F" << TAlphaColor(0xFF00FF7F);
        QTest::newRow("blue") << "0000ff" << TAlphaColor(0xFF0000FF);
        QTest::newRow("short is the low digits") << "ff" << TAlphaColor(0xFF0000FF);
        QTest::newRow("zero is black") << "0" << TAlphaColor(0xFF000000);
        QTest::newRow("largest") << "ffffff" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("one above") << "1000000" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("eight digits") << "12345678" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("alpha-looking") << "ff00ff00" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("huge") << "123456789abcdef0123456789" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("empty") << "" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("not hex") << "xyz" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("trailing junk") << "00ff00g" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("inner space") << "00 ff00" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("sign") << "-1" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("prefix") << "0x00ff00" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("full-width digits") << QString::fromUtf8("\xef\xbc\x90\xef\xbc\x91") << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("spaces around") << " 123abc " << TAlphaColor(0xFF123ABC);
    }
    void parseColorText()
    {
        QFETCH(QString, text);
        QFETCH(TAlphaColor, color);
        QCOMPARE(ParseColorText(text), color);
    }

    void hexText()
    {
        QCOMPARE(ColorHexText(0xFFFF0000), QStringLiteral("FF0000"));
        QCOMPARE(ColorHexText(0x000000AB), QStringLiteral("0000AB"));
        QCOMPARE(ColorHexText(0xFFB865CC), QStringLiteral("B865CC"));
    }

    void hslRoundTrip()
    {
        // The square stores what it computes back; a colour that is merely
        // shown must come back unchanged.
        QVector<int> steps;
        for (int v = 0; v < 256; v += 3)
            steps << v;
        steps << 1 << 254 << 255 << 127 << 128;
        for (int r : steps)
            for (int g : steps)
                for (int b : steps) {
                    const TAlphaColor c = qRgba(r, g, b, 255);
                    if (HslToRgb(RgbToHsl(c)) != c)
                        QFAIL(qPrintable(QStringLiteral("%1 comes back as %2")
                                             .arg(ColorHexText(c), ColorHexText(HslToRgb(RgbToHsl(c))))));
                }
        QCOMPARE(RgbToHsl(0xFF00FF00), (HslColor{1.0 / 3, 1, 0.5}));
        QCOMPARE(RgbToHsl(0xFF808080).Sat, 0.0);
        QCOMPARE(HslToRgb({2.0 / 3, 1, 0.5}), TAlphaColor(0xFF0000FF));
        QCOMPARE(HslToRgb({1.0, 1, 0.5}), TAlphaColor(0xFFFF0000)); // hue 1 is red again
        QCOMPARE(HslToRgb({0.5, 1, 0.5}, 0x40), TAlphaColor(0x4000FFFF));
    }

    void colorEditorControls()
    {
        ColorEditor ed;
        ed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ed));
        QSignalSpy changes(&ed, &ColorEditor::QDChange);

        // The hue strip's colour moves the square and so the swatch.
        ed.SetPickerColor(0xFFFF8000);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(ed.Color(), TAlphaColor(0xFFFF8000));
        QCOMPARE(ed.QD->Hsl(), RgbToHsl(0xFFFF8000));
        ed.SetPickerColor(0xFFFF8000);
        QCOMPARE(changes.count(), 1); // nothing changed, nothing reported

        // Dragging in the square: top left is white, bottom left black,
        // top right the hue at full saturation... at luminance 1, white too.
        // (A null point would mean the middle to QTest: the corner is pressed from outside.)
        QTest::mousePress(ed.QD, Qt::LeftButton, Qt::NoModifier, QPoint(-1, -1));
        QCOMPARE(ed.Color(), TAlphaColor(0xFFFFFFFF));
        QTest::mouseMove(ed.QD, QPoint(0, ed.QD->height() - 1));
        QCOMPARE(ed.Color(), TAlphaColor(0xFF000000));
        const QPoint middleRight = ed.QD->PointOf(1, 0.5).toPoint();
        QTest::mouseMove(ed.QD, middleRight);
        QTest::mouseRelease(ed.QD, Qt::LeftButton, Qt::NoModifier, middleRight);
        QCOMPARE(ed.Color(), TAlphaColor(0xFFFF8000));
        QCOMPARE(changes.count(), 4);

        // The hue strip: two thirds down is blue; the square keeps its point.
        QTest::mouseClick(ed.Pkr, Qt::LeftButton, Qt::NoModifier, QPoint(12, int(ed.Pkr->YOf(2.0 / 3))));
        QCOMPARE(ed.Color(), TAlphaColor(0xFF0000FF));
        QCOMPARE(ed.QD->Hsl().Sat, 1.0);
        QCOMPARE(changes.count(), 5);

        // Dragged past its edges, the values stop there.
        QTest::mousePress(ed.QD, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTest::mouseMove(ed.QD, QPoint(500, 500));
        QCOMPARE(ed.QD->Hsl().Sat, 1.0);
        QCOMPARE(ed.QD->Hsl().Lum, 0.0);
        QTest::mouseRelease(ed.QD, Qt::LeftButton, Qt::NoModifier, QPoint(500, 500));
    }

    void colorEditorEnterKey()
    {
        // Enter in the edit applies the colour and does not press the dialog's OK.
        QDialog d;
        auto *ok = new QPushButton(QStringLiteral("OK"), &d);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
        auto *ed = new ColorEditor(&d);
        ed->move(0, 30);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QSignalSpy applied(ed, &ColorEditor::BtnClick);
        ed->Edit->setFocus();
        QTest::keyClicks(ed->Edit, QStringLiteral("00ff00"));
        QTest::keyClick(ed->Edit, Qt::Key_Return);
        QCOMPARE(applied.count(), 1);
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        Click(ed->Btn);
        QCOMPARE(applied.count(), 2);
    }

    // ---- frame -------------------------------------------------------------

    void formLayout()
    {
        DialogFixture f;
        TSetupDlg &d = f.dlg;
        QCOMPARE(d.windowTitle(), QStringLiteral("Setup"));
        QCOMPARE(d.size(), QSize(490, 492));
        QCOMPARE(d.BtnDefault->geometry(), QRect(8, 436, 90, 45));
        QCOMPARE(d.BtnOK->geometry(), QRect(288, 436, 90, 45));
        QCOMPARE(d.BtnCancel->geometry(), QRect(392, 436, 90, 45));
        QCOMPARE(d.TabControl1->geometry(), QRect(4, 8, 473, 413));
        QStringList tabs;
        for (int i = 0; i < d.TabControl1->count(); ++i)
            tabs << d.TabControl1->tabText(i);
        QCOMPARE(tabs, QStringList({"Stock Pen", "ToolBar", "Pen Setup", "File", "Detailed"}));
        QCOMPARE(d.TabControl1->widget(2), d.TabItem5);
        QCOMPARE(d.ColorRect[7]->geometry(), QRect(138, 132, 130, 60));
        QCOMPARE(d.ColorRect[7]->objectName(), QStringLiteral("Rectangle8"));
        QCOMPARE(d.PenColorRect[9]->objectName(), QStringLiteral("Rectangle12"));
        QCOMPARE(d.PenColorRect[9]->geometry(), QRect(78, 280, 60, 60));
        QCOMPARE(d.StockPenColor->pos(), QPoint(280, 56));
        QCOMPARE(d.StockPenColor->QD->geometry(), QRect(0, 57, 137, 133));
        QCOMPARE(d.StockPenColor->Pkr->geometry(), QRect(152, 57, 25, 133));
        QCOMPARE(d.StockPenColor->Edit->geometry(), QRect(0, 200, 113, 22));
        QCOMPARE(d.StockPenColor->Btn->text(), QStringLiteral("color"));
        QCOMPARE(d.PenThicknessSB[3]->geometry(), QRect(8, 166, 110, 40));
        QCOMPARE(d.MenuLB->geometry(), QRect(300, 16, 160, 361));
        QCOMPARE(d.DefaultImageIndex[4]->text(), QStringLiteral("PSD (Pen Layer)"));
        QCOMPARE(d.GroupBox3->title(), QStringLiteral("JPEG Quarity"));
        QVERIFY(d.GroupBox3->isHidden());
        QCOMPARE(d.MaximizeStartup->text(), QStringLiteral("Maximize at Starup"));
        QCOMPARE(d.WBrdImage->geometry(), QRect(12, 248, 293, 101));
        QCOMPARE(d.MaxPictCountSB->minimum(), 50);
        QCOMPARE(d.MaxPictCountSB->maximum(), 300);
        QCOMPARE(d.MaxPictCountSB->singleStep(), 5);
        // The font lists are filled once, at creation.
        QVERIFY(d.ComboBox2->count() > 0);
        QCOMPARE(d.ComboBox3->count(), d.ComboBox2->count());
    }

    // ---- "Stock Pen" ---------------------------------------------------------

    void stockPenTypedColor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TAlphaColor>("color");
        QTest::newRow("blue") << "0000ff" << TAlphaColor(0xFF0000FF);
        QTest::newRow("too large") << "1000000" << TAlphaColor(0xFFFFFFFF);
        QTest::newRow("not hex") << "blue" << TAlphaColor(0xFFFFFFFF);
    }
    void stockPenTypedColor()
    {
        QFETCH(QString, text);
        QFETCH(TAlphaColor, color);
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        Click(d.ColorRect[3]);
        QCOMPARE(d.PenIndex, 3);
        QCOMPARE(d.StockPenColor->Edit->text(), QStringLiteral("00FFFF"));
        const SettingsModel before = Settings();

        TypeInto(d.StockPenColor->Edit, text);
        Click(d.StockPenColor->Btn);
        QCOMPARE(Settings().StockPens[3].PenColor, color);
        QCOMPARE(d.StockPenColor->Color(), color);
        QCOMPARE(d.StockPenColor->QD->Hsl(), RgbToHsl(color));
        QCOMPARE(d.StockPenColor->Edit->text(), ColorHexText(color));
        // Nothing else moved.
        SettingsModel expected = before;
        expected.StockPens[3].PenColor = color;
        QVERIFY(Settings() == expected);
    }

    void stockPenSquareAndStrip()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        Click(d.ColorRect[1]); // red
        ColorQuad *qd = d.StockPenColor->QD;
        QTest::mouseClick(qd, Qt::LeftButton, Qt::NoModifier, qd->PointOf(0, 0).toPoint());
        QCOMPARE(Settings().StockPens[1].PenColor, TAlphaColor(0xFF000000));
        QCOMPARE(d.StockPenColor->Edit->text(), QStringLiteral("000000"));
        QTest::mouseClick(qd, Qt::LeftButton, Qt::NoModifier, qd->PointOf(1, 0.5).toPoint());
        QTest::mouseClick(d.StockPenColor->Pkr, Qt::LeftButton, Qt::NoModifier,
                          QPoint(10, int(d.StockPenColor->Pkr->YOf(1.0 / 3))));
        QCOMPARE(Settings().StockPens[1].PenColor, TAlphaColor(0xFF00FF00));
        // Other pens are untouched, and selecting one shows its own colour.
        QCOMPARE(Settings().StockPens[2].PenColor, TAlphaColor(0xFF0000FF));
        Click(d.ColorRect[2]);
        QCOMPARE(d.StockPenColor->Color(), TAlphaColor(0xFF0000FF));
        QCOMPARE(Settings().StockPens[1].PenColor, TAlphaColor(0xFF00FF00));
    }

    void stockPenFrame()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        const auto frames = [&d] {
            QString s;
            for (Panel *r : d.ColorRect) {
                const QImage img = Grab(r);
                const QRgb edge = img.pixel(0, 30), inner = img.pixel(1, 10);
                s += edge == 0xFFFF0000 && inner == 0xFFFF0000   ? QLatin1Char('R')
                     : edge == 0xFFFFFFFF && inner == 0xFFFFFFFF ? QLatin1Char('w')
                                                                 : QLatin1Char('?');
            }
            return s;
        };
        QCOMPARE(frames(), QStringLiteral("Rwwwwwwwww"));
        Click(d.ColorRect[7]);
        QCOMPARE(d.PenIndex, 7);
        QCOMPARE(frames(), QStringLiteral("wwwwwwwRww"));
        // The sample inside: stock pen 7 is a rainbow marker 40 thick in a
        // 60-high rectangle, so its middle is coloured, its grey ground shows above.
        const QImage img = Grab(d.ColorRect[7]);
        QCOMPARE(img.pixel(65, 8), QRgb(0xFFEEEEEE));
        QVERIFY(img.pixel(65, 30) != QRgb(0xFFEEEEEE));
    }

    void stockPenKindThicknessDash()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        QStringList kinds;
        for (int i = 0; i < d.StockPenTypeCB->count(); ++i)
            kinds << d.StockPenTypeCB->itemText(i);
        QCOMPARE(kinds, QStringList({"Pen", "Marker", "Rainbow Pen", "Rainbow Marker", "Single Arrow", "Both Arrows",
                                     "Single Arrrow Marker", "Both Arrows Marker", "Brush", "Pen Order"}));
        Click(d.ColorRect[5]);
        d.StockPenTypeCB->setCurrentIndex(kinds.indexOf("Pen Order"));
        QCOMPARE(Settings().StockPens[5].PenType, pwFuMk);
        d.StockPenTypeCB->setCurrentIndex(kinds.indexOf("Brush"));
        QCOMPARE(Settings().StockPens[5].PenType, pwFuPn);
        QTest::keyClick(d.StockPenTypeCB, Qt::Key_Up); // the keyboard reaches the same handler
        QCOMPARE(Settings().StockPens[5].PenType, pwArMk1);
        d.StockPenSB->setValue(33);
        QCOMPARE(Settings().StockPens[5].PenThickness, Single(33));
        d.StockPenDashCB->setCurrentIndex(3);
        QCOMPARE(Settings().StockPens[5].PenDash, sdDashDot);
        QCOMPARE(Settings().StockPens[4], MakeMenuItem(pwPn, 0xFFFFFF00, 40));

        // A pen the controls cannot hold (an edited file) is shown as near
        // as they allow and is not rewritten by being shown.
        const TPWMenuItem odd = MakeMenuItem(pwEr, 0xFF123456, 57.5f, sdDashDotDot);
        Settings().StockPens[6] = odd;
        Click(d.ColorRect[6]);
        QCOMPARE(d.StockPenTypeCB->currentIndex(), 0);
        QCOMPARE(d.StockPenSB->value(), 40);
        QCOMPARE(d.StockPenDashCB->currentIndex(), 4);
        QCOMPARE(Settings().StockPens[6], odd);
        QCOMPARE(d.PenTypeIndex(pwFuMk), 9);
        QCOMPARE(d.PenTypeIndex(pwMove), 0);
    }

    // ---- "Pen Setup" -------------------------------------------------------------

    void presets()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        QCOMPARE(d.PenColor->Edit->text(), QStringLiteral("000000"));
        Click(d.PenColorRect[8]);
        QCOMPARE(d.PenColorIndex, 8);
        QCOMPARE(d.PenColor->Edit->text(), QStringLiteral("F39800"));
        TypeInto(d.PenColor->Edit, QStringLiteral("123abc"));
        Click(d.PenColor->Btn);
        QCOMPARE(Settings().PenSetupColor[8], TAlphaColor(0xFF123ABC));
        // The preset rectangle shows the colour inside its frame.
        const QImage img = Grab(d.PenColorRect[8]);
        QCOMPARE(img.pixel(30, 30), QRgb(0xFF123ABC));
        QCOMPARE(img.pixel(0, 30), QRgb(0xFFFF0000));
        QCOMPARE(Grab(d.PenColorRect[0]).pixel(0, 30), QRgb(0xFFFFFFFF));
        QTest::mouseClick(d.PenColor->QD, Qt::LeftButton, Qt::NoModifier, QPoint(-1, -1));
        QCOMPARE(Settings().PenSetupColor[8], TAlphaColor(0xFFFFFFFF));
        QCOMPARE(Settings().PenSetupColor[7], TAlphaColor(0xFFFFFFFF));
        QCOMPARE(Settings().PenSetupColor[9], TAlphaColor(0xFFB865CC));

        QCOMPARE(d.PenThicknessSB[4]->value(), 60);
        QCOMPARE(d.PenThicknessSB[4]->maximum(), 60);
        d.PenThicknessSB[2]->setValue(25);
        QCOMPARE(Settings().PenSetupThickness, (std::array<Single, 5>{2, 10, 25, 40, 60}));
    }

    // ---- "ToolBar" -----------------------------------------------------------------

    void toolBarLists()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        QCOMPARE(ListNames(d, d.LnchLB),
                 QStringList({"pwPrev", "pwNext", "pwZoom0", "pwZoom1", "pwWBrd", "pwLasso", "pwMarkPtr3", "pwMarkPtr4",
                              "pwMarkPtr5", "pwMarkPtr6", "pwMarkPtr7", "pwMarkPtr8", "pwMarkPtr9", "pwTurnL",
                              "pwTurnR", "pwExport", "pwPrint", "pwReplay"}));
        const QStringList menu({"pwOpen", "pwSaveAs", "pwUndo", "pwRedo", "pwMarkPtr0", "pwMarkPtr1", "pwMarkPtr2",
                                "pwPenSetup", "pwEr", "pwEraseAll", "pwMove", "pwCenter", "pwInfo"});
        QCOMPARE(ListNames(d, d.MenuLB), menu);
        QCOMPARE(MenuNames(), menu);
        // Dressing the stock-pen tiles leaves the last index in the main window's.
        QCOMPARE(f.penIndex, 9);

        // Every item shows its tile: stock pen 0 is black, a command MetroBlue.
        d.TabControl1->setCurrentWidget(d.TabItem2);
        const QImage lb = Grab(d.MenuLB->viewport());
        const auto tileCorner
            = [&](int row) { return d.MenuLB->visualItemRect(d.MenuLB->item(row)).topLeft() + QPoint(57, 10); };
        QCOMPARE(lb.pixel(tileCorner(4)), QRgb(0xFF000000));
        QCOMPARE(lb.pixel(tileCorner(0)), QRgb(MetroBlue));
        QCOMPARE(d.MenuLB->visualItemRect(d.MenuLB->item(1)).topLeft(), QPoint(64, 0));
        QCOMPARE(d.MenuLB->visualItemRect(d.MenuLB->item(2)).topLeft(), QPoint(0, 64));
    }

    void stockPenTilesFollowEdits()
    {
        // The tool bar tab shows stock pens as they are now, not as they
        // were when the dialog opened.
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        Click(d.ColorRect[0]);
        TypeInto(d.StockPenColor->Edit, QStringLiteral("ff0000"));
        Click(d.StockPenColor->Btn);
        d.TabControl1->setCurrentWidget(d.TabItem2);
        const QPoint corner = d.MenuLB->visualItemRect(d.MenuLB->item(4)).topLeft() + QPoint(57, 10);
        QCOMPARE(Grab(d.MenuLB->viewport()).pixel(corner), QRgb(0xFFFF0000));
        // A rainbow pen's tile is not coloured: the old colour must not stay.
        d.TabControl1->setCurrentWidget(d.TabItem1);
        d.StockPenTypeCB->setCurrentIndex(2);
        d.TabControl1->setCurrentWidget(d.TabItem2);
        QCOMPARE(Grab(d.MenuLB->viewport()).pixel(corner), QRgb(MetroBlue));
    }

    void toolBarUnofferedEntryLeaves()
    {
        // Multi View without a mirror window is not offered: it leaves the
        // tool bar while the dialog is filled, and Cancel brings it back.
        TPWMenuItem &slot = Settings().MenuItems[3];
        slot = Cmd(pwMView);
        const SettingsModel before = Settings();
        DialogFixture f;
        OnModal([](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            QVERIFY(!ListNames(*d, d->MenuLB).contains("pwMView"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QVERIFY(!f.dlg.Execute());
        QCOMPARE(MenuNames(), Names(before.MenuItems.data(), before.MenuCount));
        QVERIFY(Settings() == before);
    }

    void fillingListsChangesNoSetting()
    {
        // Refilling the lists only reads the settings: an entry the launcher
        // does not offer gets no item but keeps its slot, and every other
        // item still names the slot of the entry it shows.
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        Settings().MenuItems[3] = Cmd(pwMView);
        const SettingsModel before = Settings();
        d.RebuildLists();
        QVERIFY(Settings() == before);
        QCOMPARE(ListNames(d, d.MenuLB),
                 QStringList({"pwOpen", "pwSaveAs", "pwUndo", "pwMarkPtr0", "pwMarkPtr1", "pwMarkPtr2", "pwPenSetup",
                              "pwEr", "pwEraseAll", "pwMove", "pwCenter", "pwInfo"}));
        QVERIFY(ListNames(d, d.LnchLB).contains("pwRedo"));
        // "<" on the item after the gap takes out that item's own entry.
        ClickItem(d.MenuLB, 3); // pwMarkPtr0, slot 4
        Click(d.MenuBarBack);
        QCOMPARE(MenuNames().mid(3, 2), QStringList({"pwMView", "pwMarkPtr1"}));
    }

    void toolBarAdd()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        ClickItem(d.LnchLB, 4); // pwWBrd
        ClickItem(d.LnchLB, 0); // pwPrev
        ClickItem(d.MenuLB, 2); // pwUndo
        QCOMPARE(d.MenuInsertIndex(), 2);
        Click(d.MenuBarAdd);
        const QStringList menu({"pwOpen", "pwSaveAs", "pwPrev", "pwWBrd", "pwUndo", "pwRedo", "pwMarkPtr0",
                                "pwMarkPtr1", "pwMarkPtr2", "pwPenSetup", "pwEr", "pwEraseAll", "pwMove", "pwCenter",
                                "pwInfo"});
        QCOMPARE(MenuNames(), menu);
        QCOMPARE(ListNames(d, d.MenuLB), menu);
        QVERIFY(!ListNames(d, d.LnchLB).contains("pwPrev"));
        QVERIFY(!ListNames(d, d.LnchLB).contains("pwWBrd"));
        QCOMPARE(d.LnchLB->count(), 16);

        // Without a tool bar selection they go to the end; without an offered
        // selection ">" does nothing.
        ClickItem(d.LnchLB, 0); // pwNext
        QCOMPARE(d.MenuInsertIndex(), d.MenuLB->count());
        Click(d.MenuBarAdd);
        QCOMPARE(MenuNames().last(), QStringLiteral("pwNext"));
        const QStringList now = MenuNames();
        Click(d.MenuBarAdd);
        QCOMPARE(MenuNames(), now);
    }

    void toolBarBack()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        Click(d.MenuBarBack); // nothing selected: nothing happens
        QCOMPARE(Settings().MenuCount, 13);
        ClickItem(d.MenuLB, 1); // pwSaveAs
        ClickItem(d.MenuLB, 12); // pwInfo
        ClickItem(d.MenuLB, 5); // pwMarkPtr1
        Click(d.MenuBarBack);
        const QStringList menu({"pwOpen", "pwUndo", "pwRedo", "pwMarkPtr0", "pwMarkPtr2", "pwPenSetup", "pwEr",
                                "pwEraseAll", "pwMove", "pwCenter"});
        QCOMPARE(MenuNames(), menu);
        QCOMPARE(ListNames(d, d.MenuLB), menu);
        QCOMPARE(Settings().MenuItems[10].PenType, pwNone);
        // They are offered again, in the launcher's order.
        QCOMPARE(ListNames(d, d.LnchLB).mid(0, 3), QStringList({"pwSaveAs", "pwPrev", "pwNext"}));
        QVERIFY(ListNames(d, d.LnchLB).contains("pwMarkPtr1"));
        QVERIFY(ListNames(d, d.LnchLB).contains("pwInfo"));
    }

    void toolBarDropSwaps_data()
    {
        QTest::addColumn<bool>("backOnDragged");
        QTest::newRow("< on the dragged item") << true;
        QTest::newRow("< on the item dropped on") << false;
    }
    void toolBarDropSwaps()
    {
        QFETCH(bool, backOnDragged);
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        QListWidget *m = d.MenuLB;
        const QPoint a = m->visualItemRect(m->item(1)).center(); // pwSaveAs
        const QPoint b = m->visualItemRect(m->item(4)).center(); // pwMarkPtr0
        Click(m->viewport(), a);
        QCOMPARE(d.StartingItem.row(), 1);
        std::unique_ptr<QMimeData> mime(m->model()->mimeData({m->model()->index(1, 0)}));
        QVERIFY(mime);

        QVERIFY(DropOnMenu(d, b, mime.get()));
        const QStringList swapped({"pwOpen", "pwMarkPtr0", "pwUndo", "pwRedo", "pwSaveAs", "pwMarkPtr1", "pwMarkPtr2",
                                   "pwPenSetup", "pwEr", "pwEraseAll", "pwMove", "pwCenter", "pwInfo"});
        QCOMPARE(MenuNames(), swapped);
        QCOMPARE(ListNames(d, m), swapped);
        // The dragged item went with its entry and is still the selected one.
        QVERIFY(m->item(4)->isSelected());
        QVERIFY(!m->item(1)->isSelected());

        if (!backOnDragged) {
            ClickItem(m, 4);
            ClickItem(m, 1);
        }
        Click(d.MenuBarBack);
        QStringList expected = swapped;
        expected.removeAt(backOnDragged ? 4 : 1);
        QCOMPARE(MenuNames(), expected);
    }

    void toolBarDropAfterScrolling()
    {
        // The default tool bar is taller than its list: a drag from the top
        // to the bottom scrolls the list on its way, and the entry pressed
        // is still the one that moves.
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        d.TabControl1->setCurrentWidget(d.TabItem2);
        QListWidget *m = d.MenuLB;
        QScrollBar *bar = m->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->maximum() >= TileCellSize);
        Click(m->viewport(), m->visualItemRect(m->item(1)).center()); // pwSaveAs
        std::unique_ptr<QMimeData> mime(m->model()->mimeData({m->model()->index(1, 0)}));
        bar->setValue(bar->maximum());
        const QPoint b = m->visualItemRect(m->item(12)).center(); // pwInfo
        QVERIFY(m->viewport()->rect().contains(b));
        QVERIFY(DropOnMenu(d, b, mime.get()));
        const QStringList swapped({"pwOpen", "pwInfo", "pwUndo", "pwRedo", "pwMarkPtr0", "pwMarkPtr1", "pwMarkPtr2",
                                   "pwPenSetup", "pwEr", "pwEraseAll", "pwMove", "pwCenter", "pwSaveAs"});
        QCOMPARE(MenuNames(), swapped);
        QCOMPARE(ListNames(d, m), swapped);
        QVERIFY(m->item(12)->isSelected());
    }

    void toolBarDropsRefused()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        QListWidget *m = d.MenuLB;
        Click(m->viewport(), m->visualItemRect(m->item(0)).center());
        const QStringList before = MenuNames();
        // Files dragged from elsewhere are not tool bar items.
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/picture.png"))});
        QVERIFY(!DropOnMenu(d, m->visualItemRect(m->item(3)).center(), &files));
        // A drop where no item lies, and a drop of an item on itself.
        std::unique_ptr<QMimeData> mime(m->model()->mimeData({m->model()->index(0, 0)}));
        const QPoint empty = m->visualItemRect(m->item(12)).center() + QPoint(64, 0);
        QVERIFY(!m->itemAt(empty));
        QVERIFY(!DropOnMenu(d, empty, mime.get()));
        QVERIFY(DropOnMenu(d, m->visualItemRect(m->item(0)).center(), mime.get()));
        QCOMPARE(MenuNames(), before);
        QCOMPARE(ListNames(d, m), before);
    }

    void toolBarRoundTrips_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("menu");
        QTest::newRow("<< then OK") << "backAll" << QStringList({"pwLaunch", "pwSetup"});
        QTest::newRow("default then OK") << "default"
                                         << QStringList({"pwOpen", "pwSaveAs", "pwUndo", "pwRedo", "pwMarkPtr0",
                                                         "pwMarkPtr1", "pwMarkPtr2", "pwPenSetup", "pwEr", "pwEraseAll",
                                                         "pwMove", "pwCenter", "pwInfo", "pwLaunch", "pwSetup"});
    }
    void toolBarRoundTrips()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, menu);
        // Start from something else than the defaults.
        Settings().MenuItems[0] = Cmd(pwLasso);
        Settings().MenuCount = 3;
        Settings().MenuItems[1] = Cmd(pwLaunch);
        Settings().MenuItems[2] = Cmd(pwSetup);
        DialogFixture f;
        OnModal([action](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            d->TabControl1->setCurrentWidget(d->TabItem2);
            Click(action == QLatin1String("default") ? d->BtnDefault : d->MenuBarBackAllBtn);
            Click(d->BtnOK);
        });
        QVERIFY(f.dlg.Execute());
        QCOMPARE(MenuNames(), menu);
    }

    void toolBarFullAfterOK()
    {
        // Thirty-three offered entries: Multi View with the mirror window and
        // one more command, more than the tool bar's 31 places: moving them
        // all in takes the first 31, and OK keeps the first 29.
        SetMirrorViewExists(true);
        SetDefaultSettings();
        SettingsModel &s = Settings();
        s.LnchItems[size_t(s.LnchCount)] = s.LnchItems[size_t(s.LnchCount - 1)];
        s.LnchItems[size_t(s.LnchCount - 1)] = Cmd(pwSave);
        ++s.LnchCount;
        NormalizeSettings();

        DialogFixture f;
        QStringList inOrder;
        OnModal([&inOrder](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            Click(d->MenuBarBackAllBtn);
            QCOMPARE(d->LnchLB->count(), 33);
            for (int i = 0; i < d->LnchLB->count(); ++i)
                ClickItem(d->LnchLB, i);
            inOrder = ListNames(*d, d->LnchLB);
            Click(d->MenuBarAdd);
            QCOMPARE(Settings().MenuCount, 31);
            QCOMPARE(ListNames(*d, d->LnchLB), inOrder.mid(31));
            Click(d->BtnOK);
        });
        QVERIFY(f.dlg.Execute());
        SetMirrorViewExists(false);
        QCOMPARE(inOrder.last(), QStringLiteral("pwSave"));
        QCOMPARE(MenuNames(), inOrder.mid(0, 29) + QStringList({"pwLaunch", "pwSetup"}));
    }

    // ---- "File" and "Detailed" ---------------------------------------------------------

    // The picture limit takes its whole range from the keyboard and the arrows.
    void pictureLimitTakesItsRange()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        d.TabControl1->setCurrentWidget(d.TabItem4);
        QSpinBox *sb = d.MaxPictCountSB;
        auto *edit = sb->findChild<QLineEdit *>();
        QVERIFY(edit);
        for (int typed : {100, 300, 255, 50}) {
            sb->setFocus();
            edit->selectAll();
            QTest::keyClicks(sb, QString::number(typed));
            QTest::keyClick(sb, Qt::Key_Tab);
            QCOMPARE(sb->value(), typed);
            QCOMPARE(sb->text(), QString::number(typed));
        }
        sb->setValue(95);
        sb->setFocus();
        QTest::keyClick(sb, Qt::Key_Up);
        QCOMPARE(sb->value(), 100);
        QCOMPARE(sb->text(), QStringLiteral("100"));
        sb->setValue(295);
        QTest::keyClick(sb, Qt::Key_Up);
        QTest::keyClick(sb, Qt::Key_Up);
        QCOMPARE(sb->value(), 300);
        // The whole number shows in the box.
        QVERIFY(sb->fontMetrics().horizontalAdvance(QStringLiteral("300")) <= edit->width());
    }

    void formatAndSwitches()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        d.TabControl1->setCurrentWidget(d.TabItem3);
        QVERIFY(d.DefaultImageIndex[0]->isChecked());
        Click(d.DefaultImageIndex[3]);
        QCOMPARE(Settings().ImageTypeDefault, 4);
        QVERIFY(!d.DefaultImageIndex[0]->isChecked());

        Settings().ImageTypeDefault = 9; // only through an edited file
        d.ShowImageType();
        for (QRadioButton *rb : d.DefaultImageIndex)
            QVERIFY(!rb->isChecked());
        QCOMPARE(Settings().ImageTypeDefault, 9);
        Click(d.DefaultImageIndex[1]);
        QCOMPARE(Settings().ImageTypeDefault, 2);

        d.TabControl1->setCurrentWidget(d.TabItem4);
        Click(d.PenSmoothing);
        QCOMPARE(Settings().isSmoothing, false);
        Click(d.MaximizeStartup);
        QCOMPARE(Settings().isMaximized, true);
        QVERIFY(d.ScreenPenWidth->isChecked());
        QVERIFY(d.ScreenPenWidth->isVisible());
        QCOMPARE(d.ScreenPenWidth->text(), QStringLiteral("Pen width as seen on the screen"));
        Click(d.ScreenPenWidth);
        QCOMPARE(Settings().isScreenPenWidth, false);
        Settings().isScreenPenWidth = true;
        d.ShowSettings();
        QVERIFY(d.ScreenPenWidth->isChecked());
        QVERIFY(d.KeepStrokes->isChecked() && d.KeepStrokes->isVisible());
        Click(d.KeepStrokes);
        QCOMPARE(Settings().isKeepStrokes, false);
        Settings().isKeepStrokes = true;
        QVERIFY(d.ShareThumbnails->isChecked() && d.ShareThumbnails->isVisible());
        Click(d.ShareThumbnails);
        QCOMPARE(Settings().isShareThumbnails, false);
        Settings().isShareThumbnails = true;
        d.ShowSettings();
        QVERIFY(d.ShareThumbnails->isChecked());
        // The switches of the right column fit the page, one under the other.
        for (QWidget *w : {static_cast<QWidget *>(d.ScreenPenWidth), static_cast<QWidget *>(d.ShareThumbnails),
                           static_cast<QWidget *>(d.KeepStrokes), static_cast<QWidget *>(d.ForgetStrokes)})
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
        QVERIFY(d.ShareThumbnails->geometry().bottom() < d.KeepStrokes->geometry().top());
        int forgets = 0;
        d.OnForgetStrokes = [&] { ++forgets; };
        QVERIFY(d.ForgetStrokes->isVisible());
        d.ForgetStrokes->click();
        QCOMPARE(forgets, 1);
        // The pressure switch sits on the Pen Setup tab, under the widths.
        d.TabControl1->setCurrentWidget(d.TabItem5);
        QVERIFY(d.Pressure->isChecked() && d.Pressure->isVisible());
        QVERIFY(d.TabItem5->rect().contains(d.Pressure->geometry()));
        QVERIFY(!d.Pressure->geometry().intersects(d.GroupBox4->geometry()));
        Click(d.Pressure);
        QCOMPARE(Settings().isPressure, false);
        Settings().isPressure = true;
        d.ShowSettings();
        QVERIFY(d.Pressure->isChecked());
        // The right-hand column shows whole on the tab, nothing over anything else.
        const QWidget *const column[] = {d.PenSmoothing,   d.MaximizeStartup, d.Label4,      d.ComboBox2,
                                         d.ScreenPenWidth, d.ShareThumbnails, d.KeepStrokes, d.ForgetStrokes};
        for (int i = 0; i < int(std::size(column)); ++i) {
            QVERIFY2(d.TabItem4->rect().contains(column[i]->geometry()), qPrintable(QString::number(i)));
            if (i > 0)
                QVERIFY2(!column[i]->geometry().intersects(column[i - 1]->geometry()), qPrintable(QString::number(i)));
        }
    }

    void browse_data()
    {
        QTest::addColumn<QString>("pick"); // <tmp> is a temporary folder
        QTest::addColumn<QString>("shown");
        QTest::newRow("folder") << "<tmp>/class 3"
                                << "<tmp>/class 3/";
        QTest::newRow("a root keeps its one slash") << "/"
                                                    << "/";
    }
    void browse()
    {
        QFETCH(QString, pick);
        QFETCH(QString, shown);
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("class 3")));
        pick.replace(QStringLiteral("<tmp>"), tmp.path());
        shown.replace(QStringLiteral("<tmp>"), tmp.path());
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        const QString setting = Settings().ImagePathDefault;
        QString title;
        WhenModalShows<QFileDialog>([&](QFileDialog *fd) {
            title = fd->windowTitle();
            ChooseFolder(fd, pick);
        });
        Click(d.Button1);
        QCOMPARE(title, QStringLiteral("Default Image Folder"));
        QCOMPARE(d.ImagePathEdit->text(), shown);

        // Cancelled, the edit keeps its text; the setting waits for OK.
        WhenModalShows<QFileDialog>([](QFileDialog *fd) { fd->reject(); });
        Click(d.Button1);
        QCOMPARE(d.ImagePathEdit->text(), shown);
        QCOMPARE(Settings().ImagePathDefault, setting);
    }

    void whiteBoardColors()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        d.TabControl1->setCurrentWidget(d.TabItem4);
        QVERIFY(d.WBrdColor0->isChecked());
        QCOMPARE(d.WBrdColor->Edit->text(), QStringLiteral("FFFFFF"));
        Click(d.WBrdColor1);
        QCOMPARE(d.WBrdColorIndex, 1);
        QCOMPARE(d.WBrdColor->Color(), TAlphaColor(0xFFEEEEEE));
        QCOMPARE(d.WBrdColor->Edit->text(), QStringLiteral("EEEEEE"));

        TypeInto(d.WBrdColor->Edit, QStringLiteral("0000ff"));
        Click(d.WBrdColor->Btn);
        QCOMPARE(Settings().DrawColor, TAlphaColor(0xFF0000FF));
        QCOMPARE(Settings().FillColor, TAlphaColor(0xFFFFFFFF));
        // Lines at 90 % over the white ground: blue with a tenth of white.
        const QImage img = Grab(d.WBrdImage);
        const QRgb line = img.pixel(100, 50);
        QCOMPARE(qBlue(line), 255);
        QVERIFY(qRed(line) > 10 && qRed(line) < 40);
        QCOMPARE(qRed(line), qGreen(line));
        QCOMPARE(img.pixel(100, 49), QRgb(0xFFFFFFFF));

        // Back to the background: the square now edits the fill.
        Click(d.WBrdColor0);
        QTest::mouseClick(d.WBrdColor->QD, Qt::LeftButton, Qt::NoModifier, QPoint(0, d.WBrdColor->QD->height() - 1));
        QCOMPARE(Settings().FillColor, TAlphaColor(0xFF000000));
        QCOMPARE(Settings().DrawColor, TAlphaColor(0xFF0000FF));
        QCOMPARE(Grab(d.WBrdImage).pixel(100, 49), QRgb(0xFF000000));
    }

    void whiteBoardGrid_data()
    {
        QTest::addColumn<int>("lineWidth");
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<QVector<int>>("columns");
        QTest::addColumn<QVector<int>>("rows");
        QTest::newRow("0 and 50") << 0 << 50 << QVector<int>() << QVector<int>({50, 100});
        QTest::newRow("40 and 40") << 40 << 40 << QVector<int>({40, 80, 120, 160, 200, 240, 280})
                                   << QVector<int>({40, 80});
        QTest::newRow("none") << 0 << 0 << QVector<int>() << QVector<int>();
    }
    void whiteBoardGrid()
    {
        QFETCH(int, lineWidth);
        QFETCH(int, lineHeight);
        QFETCH(QVector<int>, columns);
        QFETCH(QVector<int>, rows);
        Settings().DrawColor = 0xFF000000;
        DialogFixture f;
        QVERIFY(f.Show());
        TSetupDlg &d = f.dlg;
        d.TabControl1->setCurrentWidget(d.TabItem4);
        d.WBrdWSB->setValue(lineWidth);
        d.WBrdHSB->setValue(lineHeight);
        QCOMPARE(Settings().LineWidth, lineWidth);
        QCOMPARE(Settings().LineHeight, lineHeight);
        const QImage img = Grab(d.WBrdImage);
        QCOMPARE(img.size(), QSize(293, 101));
        // Crisp lines: a pixel is either ground or line, nothing in between.
        const QRgb ground = 0xFFFFFFFF;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const bool onLine = columns.contains(x) || rows.contains(y);
                const QRgb p = img.pixel(x, y);
                if (onLine ? p == ground || qRed(p) > 40 : p != ground)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 8, 16)));
            }
    }

    // ---- whole runs ------------------------------------------------------------

    void cancelRestoresEverything_data()
    {
        QTest::addColumn<QString>("close");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("window closed") << "close";
    }
    void cancelRestoresEverything()
    {
        QFETCH(QString, close);
        const SettingsModel before = Settings();
        DialogFixture f;
        f.lastFile = QStringLiteral("/tmp/some picture.png");
        OnModal([close, &before](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            QCOMPARE(d->TabControl1->currentIndex(), 0);
            Click(d->ColorRect[2]);
            TypeInto(d->StockPenColor->Edit, QStringLiteral("ff8000"));
            Click(d->StockPenColor->Btn);
            d->StockPenTypeCB->setCurrentIndex(9);
            d->StockPenSB->setValue(3);
            d->StockPenDashCB->setCurrentIndex(2);
            Click(d->PenColorRect[4]);
            QTest::mouseClick(d->PenColor->QD, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
            d->PenThicknessSB[0]->setValue(7);
            Click(d->MenuBarBackAllBtn);
            d->TabControl1->setCurrentWidget(d->TabItem3);
            Click(d->DefaultImageIndex[4]);
            d->ImageJPEGQUalitySP->setValue(20);
            TypeInto(d->ImagePathEdit, QStringLiteral("/nowhere/"));
            d->TabControl1->setCurrentWidget(d->TabItem4);
            Click(d->PenSmoothing);
            Click(d->MaximizeStartup);
            Click(d->WBrdColor1);
            TypeInto(d->WBrdColor->Edit, QStringLiteral("00ff00"));
            Click(d->WBrdColor->Btn);
            d->WBrdWSB->setValue(30);
            d->WBrdHSB->setValue(0);
            d->ComboBox2->setCurrentIndex(d->ComboBox2->count() - 1);
            d->MaxPictCountSB->setValue(200);
            QVERIFY(!(Settings() == before));
            if (close == QLatin1String("cancel"))
                Click(d->BtnCancel);
            else if (close == QLatin1String("escape"))
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->close();
        });
        QVERIFY(!f.dlg.Execute());
        QVERIFY(!f.dlg.isVisible());
        QVERIFY(Settings() == before);
        QVERIFY(f.opened.isEmpty());
        // The tiles live only while the dialog runs.
        QVERIFY(f.dlg.LnchBtn.empty());
        QCOMPARE(f.dlg.MenuLB->count(), 0);
    }

    void defaultThenCancelOrOK_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Cancel") << false;
        QTest::newRow("OK") << true;
    }
    void defaultThenCancelOrOK()
    {
        QFETCH(bool, ok);
        SettingsModel &s = Settings();
        s.StockPens[0] = MakeMenuItem(pwMk, 0xFF00FF00, 12);
        s.PenSetupThickness[1] = 3;
        s.PenSetupColor[2] = 0xFF101010;
        s.LineHeight = 30;
        s.FillColor = 0xFF202020;
        s.ImageTypeDefault = 5;
        s.isSmoothing = false;
        s.MaxPictureCount = 120;
        s.MenuCount = 4;
        s.MenuItems[0] = Cmd(pwTurnL);
        s.MenuItems[1] = Cmd(pwNext);
        s.MenuItems[2] = Cmd(pwLaunch);
        s.MenuItems[3] = Cmd(pwSetup);
        NormalizeSettings();
        const SettingsModel before = Settings();
        SetDefaultSettings();
        const SettingsModel defaults = Normalized(Settings());
        Settings() = before;

        DialogFixture f;
        f.lastFile = QStringLiteral("/tmp/class/a.png");
        OnModal([ok](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            Click(d->BtnDefault);
            // The open dialog shows the defaults at once.
            QCOMPARE(d->StockPenColor->Edit->text(), QStringLiteral("000000"));
            QCOMPARE(d->WBrdHSB->value(), 50);
            QCOMPARE(d->MaxPictCountSB->value(), 50);
            QCOMPARE(d->MenuLB->count(), 13);
            Click(ok ? d->BtnOK : d->BtnCancel);
        });
        QCOMPARE(f.dlg.Execute(), ok);
        if (ok) {
            QVERIFY(Settings() == defaults);
            QCOMPARE(Settings().MenuItems[12].PenType, pwInfo);
            // The limit went from 120 back to 50: the list is made anew.
            QCOMPARE(f.opened, QStringList({f.lastFile}));
        } else {
            QVERIFY(Settings() == before);
            QVERIFY(f.opened.isEmpty());
        }
    }

    void valuesReadOnOK_data()
    {
        QTest::addColumn<QString>("typed"); // in the test's folder, which holds Class/
        QTest::newRow("folder with its slash") << "/Class/";
        QTest::newRow("folder typed without the slash") << "/Class";
    }
    void valuesReadOnOK()
    {
        QFETCH(QString, typed);
        DialogFixture f;
        f.lastFile = QStringLiteral("/tmp/class/b.jpg");
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("Class")));
        const QString folder = tmp.path() + QStringLiteral("/Class/");
        const SettingsModel before = Settings();
        QString otherFont;
        OnModal([&](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            d->ImageJPEGQUalitySP->setValue(80);
            TypeInto(d->ImagePathEdit, tmp.path() + typed);
            int other = d->ComboBox2->currentIndex() == 0 ? 1 : 0;
            d->ComboBox2->setCurrentIndex(other);
            d->ComboBox3->setCurrentIndex(other);
            otherFont = d->ComboBox2->itemText(other);
            d->MaxPictCountSB->setValue(10); // below the range: 50
            QCOMPARE(d->MaxPictCountSB->value(), 50);
            d->MaxPictCountSB->setValue(175);
            // Nothing of these is taken before OK.
            QCOMPARE(Settings().ImageJPEGQuality, before.ImageJPEGQuality);
            QCOMPARE(Settings().ImagePathDefault, before.ImagePathDefault);
            QCOMPARE(Settings().NumFont, before.NumFont);
            QCOMPARE(Settings().BkFont, before.BkFont);
            QCOMPARE(Settings().MaxPictureCount, before.MaxPictureCount);
            Click(d->BtnOK);
        });
        QVERIFY(f.dlg.Execute());
        QCOMPARE(Settings().ImageJPEGQuality, 80);
        QCOMPARE(Settings().ImagePathDefault, folder);
        QCOMPARE(Settings().NumFont, otherFont);
        QCOMPARE(Settings().BkFont, otherFont);
        QCOMPARE(Settings().MaxPictureCount, 175);
        QCOMPARE(f.opened, QStringList({f.lastFile}));
    }

    void limitUnchangedOrNoFile_data()
    {
        QTest::addColumn<QString>("lastFile");
        QTest::addColumn<int>("limit");
        QTest::newRow("limit unchanged") << "/tmp/class/b.jpg" << 50;
        QTest::newRow("no file opened yet") << "" << 100;
    }
    void limitUnchangedOrNoFile()
    {
        QFETCH(QString, lastFile);
        QFETCH(int, limit);
        DialogFixture f;
        f.lastFile = lastFile;
        OnModal([limit](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            d->MaxPictCountSB->setValue(limit);
            Click(d->BtnOK);
        });
        QVERIFY(f.dlg.Execute());
        QCOMPARE(Settings().MaxPictureCount, limit);
        QVERIFY(f.opened.isEmpty());
    }

    void fontOutsideTheList()
    {
        // A font the list does not hold shows no selection and is kept on OK
        // (normalisation then decides about it).
        Settings().NumFont = QStringLiteral("No Such Font Family");
        DialogFixture f;
        OnModal([](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            QCOMPARE(d->ComboBox2->currentIndex(), -1);
            QVERIFY(d->ComboBox3->currentIndex() >= 0);
            Click(d->BtnOK);
        });
        QVERIFY(f.dlg.Execute());
        QCOMPARE(Settings().NumFont, DefaultFontFamily());
    }

    void executeAgainStartsFresh()
    {
        // Each run starts on the first tab with stock pen 0 and preset 0.
        DialogFixture f;
        OnModal([](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            Click(d->ColorRect[6]);
            Click(d->PenColorRect[3]);
            d->TabControl1->setCurrentIndex(4);
            Click(d->BtnOK);
        });
        QVERIFY(f.dlg.Execute());
        OnModal([](QDialog *dlg) {
            auto *d = static_cast<TSetupDlg *>(dlg);
            QCOMPARE(d->TabControl1->currentIndex(), 0);
            QCOMPARE(d->PenIndex, 0);
            QCOMPARE(d->PenColorIndex, 0);
            QCOMPARE(d->LnchLB->count(), 18);
            Click(d->BtnCancel);
        });
        QVERIFY(!f.dlg.Execute());
    }
    // Every control a teacher can use has a name that a screen reader says,
    // on every tab.
    void controlsHaveNames()
    {
        DialogFixture f;
        QVERIFY(f.Show());
        const QSet<QAccessible::Role> used{QAccessible::Button,   QAccessible::CheckBox,     QAccessible::RadioButton,
                                           QAccessible::ComboBox, QAccessible::EditableText, QAccessible::SpinBox,
                                           QAccessible::Slider,   QAccessible::List,         QAccessible::PageTab};
        QStringList unnamed;
        std::function<void(QAccessibleInterface *, const QString &)> walk
            = [&](QAccessibleInterface *a, const QString &path) {
                  if (!a || a->state().invisible)
                      return;
                  const QString name = a->text(QAccessible::Name);
                  if (used.contains(a->role()) && name.trimmed().isEmpty() && a->object())
                      unnamed << path + QLatin1Char('/') + QString::fromLatin1(a->object()->metaObject()->className())
                                     + QLatin1Char(' ') + a->object()->objectName();
                  if (a->role() == QAccessible::List)
                      return; // its items are the list's content
                  for (int i = 0; i < a->childCount(); ++i)
                      walk(a->child(i), path + QLatin1Char('/') + name);
              };
        for (QTabWidget *tabs : f.dlg.findChildren<QTabWidget *>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                walk(QAccessible::queryAccessibleInterface(&f.dlg), QString());
            }
        }
        unnamed.removeDuplicates();
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestSetupDlg)
#include "test_setupdlg.moc"
