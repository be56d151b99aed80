// The "Stock Pen" and "Pen Setup" tabs of the setup dialog: the ten stock
// pens, and the colours and widths the pen dialog offers.
#include "setup/SetupDlg.h"

#include "pens/Pens.h"
#include "platform/Panel.h"
#include "setup/ColorEditor.h"
#include "setup/SetupControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSpinBox>

using namespace SetupControls;

namespace {
constexpr TAlphaColor FrameSelected = 0xFFFF0000;
constexpr TAlphaColor FrameOther = 0xFFFFFFFF;
constexpr TAlphaColor PresetOutline = 0xFFB4B4B4;
} // namespace

// ---- "Stock Pen" ------------------------------------------------------------------

void TSetupDlg::CreateStockPenTab()
{
    for (int t = 0; t < StockPenCount; ++t) {
        auto *r = new Panel(TabItem1);
        r->setObjectName(QStringLiteral("Rectangle%1").arg(t + 1));
        r->setProperty("Tag", t);
        r->setGeometry(t < 5 ? 8 : 138, 12 + 60 * (t % 5), 130, 60);
        r->setCursor(Qt::PointingHandCursor);
        r->OnPaint
            = [this](QObject *sender, QPainter &canvas, const QRect &rect) { ColorRectXPaint(sender, canvas, rect); };
        r->OnClick = [this](QObject *sender) { ColorRectXMouseUp(sender); };
        ColorRect[size_t(t)] = r;
    }

    StockPenTypeCB = NewComboBox(TabItem1, QRect(280, 12, 177, 38));
    StockPenTypeCB->setAccessibleName(tr("Stock pen kind"));
    StockPenTypeCB->addItems({tr("Pen"), tr("Marker"), tr("Rainbow Pen"), tr("Rainbow Marker"), tr("Single Arrow"),
                              tr("Both Arrows"), tr("Single Arrrow Marker"), tr("Both Arrows Marker"), tr("Brush"),
                              tr("Pen Order")});
    SetItemHeight(StockPenTypeCB, 36);
    StockPenTypeCB->setMaxVisibleItems(10);
    connect(StockPenTypeCB, &QComboBox::currentIndexChanged, this, &TSetupDlg::StockPenTypeCBChange);

    StockPenColor = new ColorEditor(TabItem1);
    StockPenColor->SetAccessibleName(tr("Stock pen color"));
    StockPenColor->move(280, 56);
    connect(StockPenColor, &ColorEditor::QDChange, this, &TSetupDlg::StockPenColorQDChange);
    connect(StockPenColor, &ColorEditor::BtnClick, this, &TSetupDlg::StockPenColorBtnClick);

    StockPenSB = NewSpinBox(TabItem1, QRect(280, 290, 177, 40), 1, 40, 1, 20);
    // The tab shows no labels; assistive technology gets names instead.
    StockPenSB->setAccessibleName(tr("Stock pen thickness"));
    connect(StockPenSB, &QSpinBox::valueChanged, this, &TSetupDlg::StockPenSBChange);

    StockPenDashCB = NewComboBox(TabItem1, QRect(280, 338, 177, 38));
    StockPenDashCB->setAccessibleName(tr("Stock pen line"));
    StockPenDashCB->addItems({tr("Solid"), tr("Dash"), tr("Dot"), tr("DashDot"), tr("DashDotDot")});
    SetItemHeight(StockPenDashCB, 36);
    connect(StockPenDashCB, &QComboBox::currentIndexChanged, this, &TSetupDlg::StockPenDashCBChange);
}

int TSetupDlg::PenTypeIndex(TPWPenType t) const
{
    for (size_t i = 0; i < PenTypeRT.size(); ++i)
        if (PenTypeRT[i] == t)
            return int(i);
    return 0;
}

void TSetupDlg::SelectStockPen(int index)
{
    if (index < 0 || index >= StockPenCount)
        return;
    PenIndex = index;
    const TPWMenuItem pen = Settings().StockPens[size_t(index)];
    StockPenColor->ShowColor(pen.PenColor);
    // Showing a pen the controls cannot hold exactly (an edited file) must
    // not rewrite it; only the user's changes do.
    const QSignalBlocker b1(StockPenSB), b2(StockPenDashCB), b3(StockPenTypeCB);
    StockPenSB->setValue(int(RoundEven(pen.PenThickness)));
    StockPenDashCB->setCurrentIndex(pen.PenDash <= sdDashDotDot ? int(pen.PenDash) : 0);
    StockPenTypeCB->setCurrentIndex(PenTypeIndex(pen.PenType));
}

void TSetupDlg::ColorRectXMouseUp(QObject *sender)
{
    SelectStockPen(SenderTag(sender));
    TabItem1->update();
}

void TSetupDlg::ColorRectXPaint(QObject *sender, QPainter &canvas, const QRect &r)
{
    const int t = SenderTag(sender);
    if (t < 0 || t >= StockPenCount)
        return;
    const QRectF rf(r);
    canvas.save();
    PWMenuItemDraw(Settings().StockPens[size_t(t)], canvas, rf);
    canvas.restore();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setOpacity(1);
    canvas.setBrush(Qt::NoBrush);
    QPen frame(QColor::fromRgba(t == PenIndex ? FrameSelected : FrameOther), 2);
    frame.setJoinStyle(Qt::MiterJoin);
    canvas.setPen(frame);
    canvas.drawRect(rf.adjusted(1, 1, -1, -1));
}

void TSetupDlg::StockPenTypeCBChange()
{
    const int i = StockPenTypeCB->currentIndex();
    if (i < 0 || i >= int(PenTypeRT.size()) || PenIndex < 0 || PenIndex >= StockPenCount)
        return;
    Settings().StockPens[size_t(PenIndex)].PenType = PenTypeRT[size_t(i)];
    TabItem1->update();
}

void TSetupDlg::StockPenColorQDChange()
{
    if (PenIndex < 0 || PenIndex >= StockPenCount)
        return;
    const TAlphaColor c = StockPenColor->Color();
    Settings().StockPens[size_t(PenIndex)].PenColor = c;
    StockPenColor->SetEditColor(c);
    TabItem1->update();
}

void TSetupDlg::StockPenColorBtnClick()
{
    if (PenIndex < 0 || PenIndex >= StockPenCount)
        return;
    const TAlphaColor c = ParseColorText(StockPenColor->EditText());
    Settings().StockPens[size_t(PenIndex)].PenColor = c;
    // The edit shows what was taken, also when the text did not read.
    StockPenColor->ShowColor(c);
    TabItem1->update();
}

void TSetupDlg::StockPenSBChange()
{
    if (PenIndex < 0 || PenIndex >= StockPenCount)
        return;
    Settings().StockPens[size_t(PenIndex)].PenThickness = Single(StockPenSB->value());
    TabItem1->update();
}

void TSetupDlg::StockPenDashCBChange()
{
    const int i = StockPenDashCB->currentIndex();
    if (i < 0 || i > sdDashDotDot || PenIndex < 0 || PenIndex >= StockPenCount)
        return;
    Settings().StockPens[size_t(PenIndex)].PenDash = TStrokeDash(i);
    TabItem1->update();
}

// ---- "Pen Setup" ------------------------------------------------------------------

void TSetupDlg::CreatePenSetupTab()
{
    Label1 = NewLabel(TabItem5, tr("Pen Color"), 8, 20);
    // The form's names of the preset rectangles, by Tag.
    static const int rectangleNumber[10] = {11, 13, 14, 15, 16, 17, 18, 19, 20, 12};
    for (int t = 0; t < 10; ++t) {
        auto *r = new Panel(TabItem5);
        r->setObjectName(QStringLiteral("Rectangle%1").arg(rectangleNumber[t]));
        r->setProperty("Tag", t);
        r->setGeometry(t < 5 ? 8 : 78, 40 + 60 * (t % 5), 60, 60);
        r->setCursor(Qt::PointingHandCursor);
        r->OnPaint
            = [this](QObject *sender, QPainter &canvas, const QRect &rect) { PenColorXPaint(sender, canvas, rect); };
        r->OnClick = [this](QObject *sender) { PenColorXMouseUp(sender); };
        PenColorRect[size_t(t)] = r;
    }

    PenColor = new ColorEditor(TabItem5);
    PenColor->SetAccessibleName(tr("Pen color"));
    PenColor->move(148, 40);
    connect(PenColor, &ColorEditor::QDChange, this, &TSetupDlg::PenColorQDChange);
    connect(PenColor, &ColorEditor::BtnClick, this, &TSetupDlg::PenColorBtnClick);

    GroupBox4 = new QGroupBox(tr("Pen Thickness"), TabItem5);
    GroupBox4->setGeometry(336, 20, 129, 265);
    for (int t = 0; t < 5; ++t) {
        QSpinBox *sb = NewSpinBox(GroupBox4, QRect(8, 22 + 48 * t, 110, 40), 1, 60, 1, 20);
        sb->setObjectName(QStringLiteral("PenThicknessSB%1").arg(t));
        sb->setProperty("Tag", t);
        connect(sb, &QSpinBox::valueChanged, this, [this, sb] { PenThicknessSBXChange(sb); });
        PenThicknessSB[size_t(t)] = sb;
    }
    // A stylus's pressure, under the pen dialog's widths.
    Pressure = new QCheckBox(tr("Pen pressure"), TabItem5);
    Pressure->move(336, 300);
    FitWidths({Pressure}, 129);
    connect(Pressure, &QCheckBox::toggled, this, &TSetupDlg::PressureChange);
}

void TSetupDlg::SelectPenColor(int index)
{
    if (index < 0 || index >= 10)
        return;
    PenColorIndex = index;
    const TAlphaColor c = Settings().PenSetupColor[size_t(index)];
    PenColor->ShowColor(c);
}

void TSetupDlg::ShowPenThickness()
{
    for (size_t t = 0; t < PenThicknessSB.size(); ++t) {
        const QSignalBlocker b(PenThicknessSB[t]);
        PenThicknessSB[t]->setValue(int(RoundEven(Settings().PenSetupThickness[t])));
    }
}

void TSetupDlg::PenColorXMouseUp(QObject *sender)
{
    SelectPenColor(SenderTag(sender));
    TabItem5->update();
}

void TSetupDlg::PenColorXPaint(QObject *sender, QPainter &canvas, const QRect &r)
{
    const int t = SenderTag(sender);
    if (t < 0 || t >= 10)
        return;
    const QRectF rf(r);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setOpacity(1);
    const QRectF fill = rf.adjusted(3, 3, -3, -3);
    canvas.fillRect(fill, QColor::fromRgba(Settings().PenSetupColor[size_t(t)]));
    // A hairline keeps a white preset visible on the light page.
    canvas.setPen(QPen(QColor::fromRgba(PresetOutline), 1));
    canvas.drawRect(fill.adjusted(0, 0, -1, -1));
    canvas.setBrush(Qt::NoBrush);
    QPen frame(QColor::fromRgba(t == PenColorIndex ? FrameSelected : FrameOther), 2);
    frame.setJoinStyle(Qt::MiterJoin);
    canvas.setPen(frame);
    canvas.drawRect(rf.adjusted(1, 1, -1, -1));
}

void TSetupDlg::PenColorQDChange()
{
    if (PenColorIndex < 0 || PenColorIndex >= 10)
        return;
    const TAlphaColor c = PenColor->Color();
    Settings().PenSetupColor[size_t(PenColorIndex)] = c;
    PenColor->SetEditColor(c);
    TabItem5->update();
}

void TSetupDlg::PenColorBtnClick()
{
    if (PenColorIndex < 0 || PenColorIndex >= 10)
        return;
    const TAlphaColor c = ParseColorText(PenColor->EditText());
    Settings().PenSetupColor[size_t(PenColorIndex)] = c;
    PenColor->ShowColor(c);
    TabItem5->update();
}

void TSetupDlg::PenThicknessSBXChange(QObject *sender)
{
    const int t = SenderTag(sender);
    auto *sb = qobject_cast<QSpinBox *>(sender);
    if (!sb || t < 0 || t >= 5)
        return;
    Settings().PenSetupThickness[size_t(t)] = Single(sb->value());
}
