// Tile dressing for commands and pens, the down rule of the tool bar, and
// the arithmetic of its tile places applied to the tiles.
#include "tiles/ToolBar.h"

#include "platform/Bitmap.h"
#include "settings/Settings.h"

#include <QCoreApplication>

// Captions are looked up in the user's language every time a tile is dressed.
MenuItemLook MenuCommandLook(TPWPenType t)
{
    switch (t) {
    case pwEr: return {QCoreApplication::translate("ToolBar", "Eraser"), QStringLiteral("MT_ERASER")};
    case pwMove: return {QCoreApplication::translate("ToolBar", "Move"), QStringLiteral("MT_MOVE")};
    case pwEraseAll: return {QCoreApplication::translate("ToolBar", "Erase All"), QStringLiteral("MT_ERASEALL")};
    case pwOpen: return {QCoreApplication::translate("ToolBar", "Open ..."), QStringLiteral("MT_OPEN")};
    case pwSave: return {QCoreApplication::translate("ToolBar", "Save"), QStringLiteral("MT_SAVE")};
    case pwSaveAs: return {QCoreApplication::translate("ToolBar", "Save As ..."), QStringLiteral("MT_SAVE")};
    case pwUndo: return {QCoreApplication::translate("ToolBar", "Undo"), QStringLiteral("MT_UNDO")};
    case pwRedo: return {QCoreApplication::translate("ToolBar", "Redo"), QStringLiteral("MT_REDO")};
    case pwZoom0: return {QCoreApplication::translate("ToolBar", "Zoom+"), QStringLiteral("MT_ZOOM0")};
    case pwZoom1: return {QCoreApplication::translate("ToolBar", "Zoom-"), QStringLiteral("MT_ZOOM1")};
    case pwWBrd: return {QCoreApplication::translate("ToolBar", "W-Board"), QStringLiteral("MT_WBRD")};
    case pwNext: return {QCoreApplication::translate("ToolBar", "Next"), QStringLiteral("MT_NEXT")};
    case pwPrev: return {QCoreApplication::translate("ToolBar", "Prev"), QStringLiteral("MT_PREV")};
    case pwCenter: return {QCoreApplication::translate("ToolBar", "Center"), QStringLiteral("MT_CENTER")};
    case pwLaunch: return {QCoreApplication::translate("ToolBar", "Menu ..."), QStringLiteral("MT_LAUNCH")};
    case pwMView: return {QCoreApplication::translate("ToolBar", "Multi View"), QStringLiteral("MT_MVIEW")};
    case pwTurnR: return {QCoreApplication::translate("ToolBar", "Turn Right"), QStringLiteral("MT_TURNR")};
    case pwTurnL: return {QCoreApplication::translate("ToolBar", "Turn Left"), QStringLiteral("MT_TURNL")};
    case pwLasso: return {QCoreApplication::translate("ToolBar", "Lasso"), QStringLiteral("MT_LASSO")};
    case pwInfo: return {QCoreApplication::translate("ToolBar", "Info"), QStringLiteral("MT_INFO")};
    case pwSetup: return {QCoreApplication::translate("ToolBar", "Setup ..."), QStringLiteral("MT_SETUP")};
    case pwPenSetup: return {QCoreApplication::translate("ToolBar", "Pen Setup"), QStringLiteral("MT_PENSETUP")};
    case pwClose: return {QCoreApplication::translate("ToolBar", "Close"), QStringLiteral("MT_CLOSE")};
    case pwApp: return {QCoreApplication::translate("ToolBar", "Desktop"), QStringLiteral("MT_DESKTOP")};
    case pwExport: return {QCoreApplication::translate("ToolBar", "Export ..."), QStringLiteral("MT_EXPORT")};
    case pwPrint: return {QCoreApplication::translate("ToolBar", "Print ..."), QStringLiteral("MT_PRINT")};
    case pwReplay: return {QCoreApplication::translate("ToolBar", "Replay"), QStringLiteral("MT_REPLAY")};
    default: return {};
    }
}

MenuItemLook MenuPenLook(TPWPenType t)
{
    switch (t) {
    case pwPn: return {QCoreApplication::translate("ToolBar", "Pen"), QStringLiteral("MT_PEN"), true};
    case pwMk: return {QCoreApplication::translate("ToolBar", "Marker"), QStringLiteral("MT_MARKER"), true};
    case pwRbPn: return {QCoreApplication::translate("ToolBar", "Pen"), QStringLiteral("MT_RBPEN"), false};
    case pwRbMk: return {QCoreApplication::translate("ToolBar", "Marker"), QStringLiteral("MT_RBMARKER"), false};
    case pwArPn0:
    case pwArMk0: return {QCoreApplication::translate("ToolBar", "Arrow"), QStringLiteral("MT_ARROWS"), true};
    case pwArPn1:
    case pwArMk1: return {QCoreApplication::translate("ToolBar", "Arrow Both"), QStringLiteral("MT_ARROWD"), true};
    case pwFuPn: return {QCoreApplication::translate("ToolBar", "Brush"), QStringLiteral("MT_FUPEN"), false};
    case pwFuMk: return {QCoreApplication::translate("ToolBar", "Pen Order"), QStringLiteral("MT_FUMARKER"), false};
    default: return {};
    }
}

void MenuButtonSubSet(const TPWMenuItem &item, TMetroButton *button)
{
    if (!button)
        return;
    const MenuItemLook look = MenuPenLook(item.PenType);
    if (look.Caption.isEmpty())
        return;
    button->SetText(look.Caption);
    if (look.Colored)
        button->SetColor(item.PenColor);
    button->SetBitmap(ResourceImage(look.Icon));
}

void MenuButtonSet(const TPWMenuItem &item, TMetroButton *button, int &penIndex)
{
    if (!button)
        return;
    if (item.PenType == pwMarkPtr) {
        const int k = StockPenIndex(item);
        if (k < 0) {
            // Only an edited settings file gets here: show what the entry is
            // meant to be without reading past the stock pens.
            button->SetText(QCoreApplication::translate("ToolBar", "Stock Pen"));
            button->SetBitmap(QImage());
            return;
        }
        penIndex = k;
        MenuButtonSubSet(Settings().StockPens[size_t(k)], button);
        return;
    }
    const MenuItemLook look = MenuCommandLook(item.PenType);
    if (!look.Caption.isEmpty()) {
        button->SetText(look.Caption);
        button->SetBitmap(ResourceImage(look.Icon));
        return;
    }
    MenuButtonSubSet(item, button);
}

bool MenuItemIsDown(const TPWMenuItem &entry, const TPWMenuItem &current)
{
    switch (entry.PenType) {
    case pwPn:
    case pwMk:
    case pwArPn0:
    case pwArPn1:
    case pwArMk0:
    case pwArMk1:
    case pwFuPn:
    case pwFuMk: return entry == current;
    case pwEr:
    case pwRbPn:
    case pwRbMk:
    case pwMove:
    case pwLasso: return entry.PenType == current.PenType;
    case pwMarkPtr: {
        const int k = StockPenIndex(entry);
        return k >= 0 && Settings().StockPens[size_t(k)] == current;
    }
    default: return false;
    }
}

int MenuEntryForTile(int tile, int crSetup, int menuCount)
{
    if (tile == crSetup)
        return menuCount - 1;
    // Entries that do not fit are left out, but never the launcher: with it
    // every command stays within reach.
    if (tile == crSetup - 1 && crSetup < menuCount - 1 && menuCount >= 2
        && Settings().MenuItems[size_t(menuCount - 2)].PenType == pwLaunch)
        return menuCount - 2;
    return tile;
}

int MenuPanelLayout::EntryIndex(int tile) const
{
    if (!IsVisible(tile))
        return -1;
    return MenuEntryForTile(tile, CrSetup, MenuCount);
}

MenuPanelLayout MenuPanelLayoutFor(int panelHeight, int headerHeight, int menuCount)
{
    MenuPanelLayout l;
    l.MenuCount = qBound(0, menuCount, MenuButtonCount);
    // A panel shorter than its header fits no row rather than a negative number of them.
    l.Places = qMax(0, int(TruncZero(double(panelHeight - headerHeight) / MenuRowStep)) * 2);
    l.CrSetup = qMin(l.MenuCount, qMin(l.Places, MenuButtonCount)) - 1;
    return l;
}

QPoint MenuButtonPos(int i) { return QPoint(5 + (i % 2) * MenuRowStep, (i / 2) * MenuRowStep + 35); }

TMetroButton *MenuButtonNew(QWidget *panel, int i, std::function<void(QObject *)> onExecute)
{
    auto *b = new TMetroButton(panel, mtSmallSingle);
    b->move(MenuButtonPos(i));
    b->Tag = i;
    b->OnExecute = std::move(onExecute);
    return b;
}

void MenuPanelApply(const MenuPanelLayout &layout, std::span<TMetroButton *const> tiles, int &penIndex)
{
    const auto &items = Settings().MenuItems;
    const int n = int(tiles.size());
    for (int i = 0; i < n; ++i)
        if (tiles[size_t(i)])
            tiles[size_t(i)]->setVisible(layout.IsVisible(i));
    const int last = layout.MenuCount - 1;
    if (last >= 0 && last < n && tiles[size_t(last)])
        tiles[size_t(last)]->SetMetroButtonType(layout.IsDouble(last) ? mtSmallDouble : mtSmallSingle);
    for (int i = 0; i <= layout.CrSetup && i < n; ++i) {
        TMetroButton *b = tiles[size_t(i)];
        if (!b)
            continue;
        // Tiles are reused from one layout to the next: a tile that showed a
        // coloured pen must not lend its colour or icon to a command (the
        // dressing of a command leaves the colour alone).
        b->SetColor(MetroBlue);
        b->SetText(QString());
        b->SetBitmap(QImage());
        MenuButtonSet(items[size_t(layout.EntryIndex(i))], b, penIndex);
        b->update();
    }
}

void MenuButtonDownSet(int crSetup, std::span<TMetroButton *const> tiles, const TPWMenuItem &current)
{
    if (crSetup < 0)
        return;
    const auto &items = Settings().MenuItems;
    const int menuCount = Settings().MenuCount;
    for (int i = 0; i < int(tiles.size()); ++i) {
        TMetroButton *b = tiles[size_t(i)];
        if (b)
            b->SetDown(i < crSetup && MenuItemIsDown(items[size_t(MenuEntryForTile(i, crSetup, menuCount))], current));
    }
}
