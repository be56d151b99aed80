// The right-hand tool bar: its tiles from the settings' entries, the down
// state of the current pen, and the header that hides the tool bar and the
// strip so the board fills the window.
#include "app/MainFrm.h"

#include "settings/Settings.h"
#include "tiles/MetroButton.h"
#include "tiles/ToolBar.h"

#include <QPainter>

void TWBDMainFrm::MenuButtonCreate()
{
    for (int i = 0; i < MenuButtonCount; ++i)
        MenuButton[i] = MenuButtonNew(MenuPanel, i, [this](QObject *sender) { MenuButtonExecute(sender); });
    MenuPanelResize();
}

void TWBDMainFrm::MenuButtonFree()
{
    // The setup command frees the tiles from inside a tile's own click:
    // they go once that click has returned.
    for (TMetroButton *&t : MenuButton) {
        if (t) {
            t->hide();
            t->OnExecute = nullptr;
            t->deleteLater();
        }
        t = nullptr;
    }
    CrSetup = -1;
}

void TWBDMainFrm::MenuPanelResize()
{
    if (!MenuButton[0])
        return;
    const MenuPanelLayout layout
        = MenuPanelLayoutFor(MenuPanel->height(), MenuRectangle->height(), Settings().MenuCount);
    CrSetup = layout.CrSetup;
    // Laying the tiles out dresses them; keypad / goes on from the stock pen in use.
    int dressed = PenIndex;
    MenuPanelApply(layout, MenuButton, dressed);
    MenuButtonUpdate();
}

void TWBDMainFrm::MenuButtonExecute(QObject *sender)
{
    auto *t = qobject_cast<TMetroButton *>(sender);
    if (!t)
        return;
    const SettingsModel &s = Settings();
    const int i = t->Tag;
    if (i < 0 || i > CrSetup)
        return;
    const int entry = MenuEntryForTile(i, CrSetup, s.MenuCount);
    if (entry >= 0 && entry < s.MenuCount)
        MenuButtonClick(s.MenuItems[entry]);
}

void TWBDMainFrm::MenuButtonUpdate()
{
    if (CrSetup < 0 || !MenuButton[0])
        return;
    // Before the board exists the tiles follow the start pen.
    const TPWMenuItem current = PWImage ? PWImage->CrPen() : GetStartPen(PenIndex);
    MenuButtonDownSet(CrSetup, MenuButton, current);
}

void TWBDMainFrm::RepaintHeader() { MenuRectangle->update(); }

void TWBDMainFrm::MenuRectanglePaint(QPainter &canvas, const QRect &r)
{
    const QImage arrow = ResourceImage(QStringLiteral("PW_RIGHT"), MenuRectangle->devicePixelRatioF());
    const QSize logical = LogicalSize(arrow);
    const int w = arrow.isNull() ? 30 : logical.width();
    if (!arrow.isNull())
        DrawBitmap(canvas, arrow, QRectF(0, 0, arrow.width(), arrow.height()),
                   QRectF(0, 0, logical.width(), logical.height()), 0.4, true);
    if (PWImage)
        PWMenuItemDraw(PWImage->CrPen(), canvas, QRectF(r.left() + w + 10, r.top(), r.width() - w - 10, r.height()));
}

void TWBDMainFrm::MenuRectangleClick()
{
    PWImage->SetOnPWMenu([this](QObject *) { BackToMenu(); });
    m_toolBarShown = false;
    DoLayout();
}

void TWBDMainFrm::BackToMenu()
{
    PWImage->SetOnPWMenu(nullptr);
    m_toolBarShown = true;
    DoLayout();
}
