// The pen dialog: its tile groups, their pictures and captions, the marks
// that show the pen being built, and the handlers that change it.
#include "tiles/PenSetupDlg.h"

#include "pens/Pens.h"
#include "platform/Bitmap.h"
#include "platform/Panel.h"
#include "settings/Settings.h"
#include "tiles/DialogPlace.h"
#include "tiles/ToolBar.h"

#include <QPainter>
#include <cmath>

namespace {
constexpr TAlphaColor PenSetupBackground = 0xFF1F1F1F;
constexpr int Step = MetroSmallSize + MetroGap;
// Left edges of the nine columns: groups stand 20 pixels apart, tiles within a group 10.
constexpr std::array<int, 9> ColumnOffset = {5, 5, 15, 15, 25, 35, 45, 45, 55};

int ColumnLeft(int c) { return Step * c + ColumnOffset[size_t(c)]; }

int RowTop(int r) { return Step * r + 5; }

// The kind tiles in their order; they look as the tool bar's pen tiles do.
constexpr std::array<TPWPenType, 8> KindOrder = {pwPn, pwRbPn, pwMk, pwRbMk, pwArPn0, pwArPn1, pwFuPn, pwFuMk};

constexpr std::array<const char *, 5> DashCaptions
    = {QT_TRANSLATE_NOOP("TPenSetupDlg", "Solid"), QT_TRANSLATE_NOOP("TPenSetupDlg", "Dash"),
       QT_TRANSLATE_NOOP("TPenSetupDlg", "Dot"), QT_TRANSLATE_NOOP("TPenSetupDlg", "DashDot"),
       QT_TRANSLATE_NOOP("TPenSetupDlg", "DashDot2")};

// The group index a tile carries, or -1 when it is outside the group.
int TagOf(QObject *sender, int groupSize)
{
    auto *b = qobject_cast<TMetroButton *>(sender);
    if (!b || b->Tag < 0 || b->Tag >= groupSize)
        return -1;
    return b->Tag;
}
} // namespace

TPenSetupDlg::TPenSetupDlg(QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint), m_mainWindow(mainWindow)
{
    setModal(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FormCreate();
}

TPenSetupDlg::~TPenSetupDlg() = default;

void TPenSetupDlg::FormCreate()
{
    setFixedSize(Step * 9 + 50, Step * 5);

    SampleRectangle = new Panel(this, 0xFFFFFFFF);
    SampleRectangle->setGeometry(5, 5, 2 * MetroSmallSize + MetroGap, MetroSmallSize);
    SampleRectangle->OnPaint = [this](QObject *s, QPainter &p, const QRect &r) { SampleRectanglePaint(s, p, r); };

    auto tile = [this](int column, int row, int tag, std::function<void(QObject *)> handler) {
        auto *b = new TMetroButton(this, mtSmallSingle);
        b->move(ColumnLeft(column), RowTop(row));
        b->Tag = tag;
        b->OnExecute = std::move(handler);
        return b;
    };
    for (int i = 0; i < 8; ++i)
        PenTBtn[size_t(i)] = tile(i % 2, i / 2 + 1, i, [this](QObject *s) { PenTBtnExecute(s); });
    for (int i = 0; i < 10; ++i)
        PenCBtn[size_t(i)] = tile(2 + i % 2, i / 2, i, [this](QObject *s) { PenCBtnExecute(s); });
    for (int i = 0; i < 5; ++i)
        PenWBtn[size_t(i)] = tile(4, i, i, [this](QObject *s) { PenWBtnExecute(s); });
    for (int i = 0; i < 5; ++i)
        PenDBtn[size_t(i)] = tile(5, i, i, [this](QObject *s) { PenDBtnExecute(s); });
    for (int i = 0; i < 10; ++i)
        PenSBtn[size_t(i)] = tile(6 + i % 2, i / 2, i, [this](QObject *s) { PenSBtnExecute(s); });
    OKButton = tile(8, 0, 0, [this](QObject *) {
        isOK = true;
        accept();
    });
    CancelButton = tile(8, 1, 0, [this](QObject *) { reject(); });

    for (int i = 0; i < 8; ++i) {
        const MenuItemLook look = MenuPenLook(KindOrder[size_t(i)]);
        PenTBtnRT[size_t(i)] = KindOrder[size_t(i)];
        PenTBtn[size_t(i)]->SetText(look.Caption);
        PenTBtn[size_t(i)]->SetBitmap(ResourceImage(look.Icon));
    }
    for (int i = 0; i < 5; ++i) {
        PenDBtn[size_t(i)]->SetText(tr(DashCaptions[size_t(i)]));
        PenDBtn[size_t(i)]->SetBitmap(DashImage(TStrokeDash(i)));
    }
    OKButton->SetColor(MetroGreen);
    OKButton->SetText(tr("OK"));
    OKButton->SetBitmap(ResourceImage(QStringLiteral("MT_OK")));
    CancelButton->SetColor(MetroRed);
    CancelButton->SetText(tr("Cancel"));
    CancelButton->SetBitmap(ResourceImage(QStringLiteral("MT_CLOSE")));
}

QImage TPenSetupDlg::DashImage(TStrokeDash dash)
{
    QImage img = NewBitmap(30, 30);
    BitmapClear(img, 0x00FFFFFF);
    QPainter p(&img);
    PreparePainter(p);
    // Flat caps: the line runs edge to edge and the dashes keep their pattern.
    p.setPen(StrokePen(0xFFFFFFFF, 2, dash, false));
    p.drawLine(QPointF(0, 15), QPointF(30, 15));
    return img;
}

QImage TPenSetupDlg::ThicknessImage(Single thickness)
{
    QImage img = NewBitmap(30, 30);
    BitmapClear(img, 0x00FFFFFF);
    // At least a dot; at most enough to cover the picture, whatever the settings file held.
    double r = double(thickness) / 60.0 * 15.0;
    r = std::isfinite(r) ? qBound(1.0, r, 30.0) : 1.0;
    QPainter p(&img);
    PreparePainter(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgba(0xFFFFFFFF));
    p.drawEllipse(QPointF(15, 15), r, r);
    return img;
}

TPWMenuItem TPenSetupDlg::Execute(const TPWMenuItem &APenItem)
{
    const SettingsModel &s = Settings();
    move(DialogCentredPos(m_mainWindow, size()));
    isOK = false;
    PenItem = APenItem;
    KindMarks();
    DashMarks();

    for (int i = 0; i < 10; ++i) {
        TMetroButton *b = PenCBtn[size_t(i)];
        const TAlphaColor c = s.PenSetupColor[size_t(i)];
        b->SetText(QStringLiteral("#%1").arg(c & 0x00FFFFFF, 6, 16, QLatin1Char('0')).toUpper());
        b->SetColor(c);
        b->update();
    }
    ColorMarks();

    for (int i = 0; i < 5; ++i) {
        TMetroButton *b = PenWBtn[size_t(i)];
        const Single t = s.PenSetupThickness[size_t(i)];
        const double shown = std::isfinite(t) ? qBound(-1e6, double(t), 1e6) : 0.0;
        b->SetText(QString::number(RoundEven(shown)) + QStringLiteral("px"));
        b->SetBitmap(ThicknessImage(t));
        b->update();
    }
    ThicknessMarks();

    for (int i = 0; i < 10; ++i) {
        TMetroButton *b = PenSBtn[size_t(i)];
        // The stock pens may have changed kind since the last showing; a
        // rainbow pen takes no colour, so the old one must not stay behind.
        b->SetColor(MetroBlue);
        b->SetText(QString());
        b->SetBitmap(QImage());
        MenuButtonSubSet(s.StockPens[size_t(i)], b);
        b->update();
    }
    StockMarks();
    SampleRectangle->update();

    exec();
    return isOK ? PenItem : APenItem;
}

void TPenSetupDlg::SampleRectanglePaint(QObject *, QPainter &canvas, const QRect &r)
{
    PWMenuItemDraw(PenItem, canvas, QRectF(r));
}

void TPenSetupDlg::PenTBtnExecute(QObject *sender)
{
    const int i = TagOf(sender, 8);
    if (i < 0)
        return;
    PenItem.PenType = PenTBtnRT[size_t(i)];
    KindMarks();
    ColorMarks();
    StockMarks();
    SampleRectangle->update();
}

void TPenSetupDlg::PenCBtnExecute(QObject *sender)
{
    const int i = TagOf(sender, 10);
    if (i < 0)
        return;
    PenItem.PenColor = Settings().PenSetupColor[size_t(i)];
    ColorMarks();
    StockMarks();
    SampleRectangle->update();
}

void TPenSetupDlg::PenWBtnExecute(QObject *sender)
{
    const int i = TagOf(sender, 5);
    if (i < 0)
        return;
    PenItem.PenThickness = Settings().PenSetupThickness[size_t(i)];
    ThicknessMarks();
    StockMarks();
    SampleRectangle->update();
}

void TPenSetupDlg::PenDBtnExecute(QObject *sender)
{
    const int i = TagOf(sender, 5);
    if (i < 0)
        return;
    PenItem.PenDash = TStrokeDash(i);
    DashMarks();
    StockMarks();
    SampleRectangle->update();
}

void TPenSetupDlg::PenSBtnExecute(QObject *sender)
{
    const int i = TagOf(sender, 10);
    if (i < 0)
        return;
    PenItem = Settings().StockPens[size_t(i)];
    StockMarks();
    KindMarks();
    DashMarks();
    ColorMarks();
    ThicknessMarks();
    SampleRectangle->update();
}

void TPenSetupDlg::KindMarks()
{
    for (int i = 0; i < 8; ++i)
        PenTBtn[size_t(i)]->SetDown(PenTBtnRT[size_t(i)] == PenItem.PenType);
}

void TPenSetupDlg::ColorMarks()
{
    // Rainbow pens have no colour of their own to mark.
    const bool rainbow = PenItem.PenType == pwRbPn || PenItem.PenType == pwRbMk;
    for (TMetroButton *b : PenCBtn)
        b->SetDown(!rainbow && b->Color() == PenItem.PenColor);
}

void TPenSetupDlg::ThicknessMarks()
{
    for (int i = 0; i < 5; ++i)
        PenWBtn[size_t(i)]->SetDown(Settings().PenSetupThickness[size_t(i)] == PenItem.PenThickness);
}

void TPenSetupDlg::DashMarks()
{
    for (int i = 0; i < 5; ++i)
        PenDBtn[size_t(i)]->SetDown(i == int(PenItem.PenDash));
}

void TPenSetupDlg::StockMarks()
{
    for (int i = 0; i < 10; ++i)
        PenSBtn[size_t(i)]->SetDown(Settings().StockPens[size_t(i)] == PenItem);
}

void TPenSetupDlg::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgba(PenSetupBackground));
}
