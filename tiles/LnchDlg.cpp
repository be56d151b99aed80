// The launcher: its grid of tiles rebuilt at every showing, and the
// hand-over of the chosen entry to the main window.
#include "tiles/LnchDlg.h"

#include "settings/Settings.h"
#include "tiles/DialogPlace.h"
#include "tiles/ToolBar.h"

#include <QPainter>
#include <cmath>

namespace {
constexpr TAlphaColor LnchBackground = 0xFF1F1F1F;
}

TLnchDlg::TLnchDlg(QWidget *mainWindow, std::function<void(const TPWMenuItem &)> menuButtonClick, int *penIndex)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint),
      m_mainWindow(mainWindow),
      m_menuButtonClick(std::move(menuButtonClick)),
      m_penIndex(penIndex)
{
    setModal(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TLnchDlg::~TLnchDlg() = default;

int TLnchDlg::Columns(int n)
{
    // With fewer than two entries there is no grid, but one column keeps the
    // arithmetic (and the close tile's place) defined.
    if (n < 2)
        return 1;
    return qMax(1, int(RoundEven(std::sqrt((4.0 * n - 4.0) / 3.0))));
}

void TLnchDlg::Execute()
{
    for (TMetroButton *b : LnchBtn)
        delete b;
    LnchBtn.clear();

    const auto &items = Settings().LnchItems;
    const int n = qBound(0, Settings().LnchCount, LnchSlotCount);
    // An empty list would show a dialog without a way out but Escape.
    if (n < 1)
        return;

    const int step = MetroSmallSize + MetroGap;
    const int c = Columns(n);
    setFixedSize((c + 1) * step + 10, ((n - 1) / c + 1) * step);

    int spareIndex = 0;
    int &penIndex = m_penIndex ? *m_penIndex : spareIndex;
    auto handler = [this](QObject *sender) { LnchBtnExecute(sender); };
    LnchBtn.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        auto *b = new TMetroButton(this, mtSmallSingle);
        if (i < n - 1)
            b->move(step * (i % c) + 5, step * (i / c) + 5);
        else
            b->move(step * c + 15, 5);
        b->Tag = i;
        b->OnExecute = handler;
        MenuButtonSet(items[size_t(i)], b, penIndex);
        if (i == n - 1)
            b->SetColor(MetroRed);
        LnchBtn.push_back(b);
    }

    RMenuItem = TPWMenuItem();
    RMenuItem.PenType = pwNone;
    move(DialogCentredPos(m_mainWindow, size()));
    exec();

    if (RMenuItem.PenType != pwClose && m_menuButtonClick)
        m_menuButtonClick(RMenuItem);
}

void TLnchDlg::LnchBtnExecute(QObject *sender)
{
    auto *b = qobject_cast<TMetroButton *>(sender);
    if (!b)
        return;
    const int i = b->Tag;
    if (i < 0 || i >= LnchSlotCount)
        return;
    RMenuItem = Settings().LnchItems[size_t(i)];
    accept();
}

void TLnchDlg::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgba(LnchBackground));
}
