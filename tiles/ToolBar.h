// The pieces of the right-hand tool bar: dressing a tile for an entry or a
// pen, the down state that marks the current pen, and the layout arithmetic
// of the tile places, kept free of any window so the main window and the
// dialogs share them.
#pragma once

#include "pens/Pens.h"
#include "tiles/MetroButton.h"

#include <QPoint>
#include <QString>
#include <functional>
#include <span>

// Tiles of the tool bar, in two columns under the header.
constexpr int MenuButtonCount = 31;
// One tile row: a small tile and the gap.
constexpr int MenuRowStep = MetroSmallSize + MetroGap;
// The tool bar's width: two columns of tiles and gaps.
constexpr int MenuPanelWidth = 2 * MenuRowStep;

// What a kind shows on its tile. Commands have a caption and an icon; pens
// also say whether the tile takes the pen's colour. Kinds without a dressing
// give an empty caption.
struct MenuItemLook {
    QString Caption;
    QString Icon; // resource name, "MT_..."
    bool Colored = false;
};
// The dressing of a command (the tool bar's command table; pwEr is a command here).
MenuItemLook MenuCommandLook(TPWPenType t);
// The dressing of a pen kind (the pen table).
MenuItemLook MenuPenLook(TPWPenType t);

// Dresses a tile for a pen: caption, then colour for the single-colour
// kinds, then icon. Kinds that are not pens leave the tile as it is.
void MenuButtonSubSet(const TPWMenuItem &item, TMetroButton *button);
// Dresses a tile for any entry. A stock-pen reference dresses it for that
// stock pen and leaves the reference's index in penIndex; an index that
// names no stock pen gives "Stock Pen" without an icon and keeps penIndex.
void MenuButtonSet(const TPWMenuItem &item, TMetroButton *button, int &penIndex);

// Whether the tile of an entry shows down while current is the board's pen.
bool MenuItemIsDown(const TPWMenuItem &entry, const TPWMenuItem &current);

// The layout of the tool bar for a panel height, the header height and the
// number of entries.
struct MenuPanelLayout {
    int Places = 0; // tile places that fit, always even
    int MenuCount = 0; // entries in the tool bar
    int CrSetup = -1; // the last visible tile, -1 when none fits

    bool IsVisible(int tile) const { return tile >= 0 && tile <= CrSetup; }
    // The tile that spans both columns: the last entry's tile when the count is odd.
    bool IsDouble(int tile) const { return tile == MenuCount - 1 && MenuCount % 2 == 1; }
    // The entry a visible tile shows, -1 for a hidden tile. The last visible
    // tile always shows the last entry (the setup command); when not every
    // entry fits, the one before it shows the launcher.
    int EntryIndex(int tile) const;
};
// The entry of the settings' MenuItems that tool bar tile shows when crSetup
// is the last visible tile of menuCount entries (tile is visible).
int MenuEntryForTile(int tile, int crSetup, int menuCount);
MenuPanelLayout MenuPanelLayoutFor(int panelHeight, int headerHeight, int menuCount);

// The fixed place of tool bar tile i in the panel.
QPoint MenuButtonPos(int i);
// Creates tool bar tile i: small, at its place, Tag i.
TMetroButton *MenuButtonNew(QWidget *panel, int i, std::function<void(QObject *)> onExecute);

// Applies a layout to the tool bar tiles: visibility, the double tile and
// the dressing of every visible tile from the settings' MenuItems.
void MenuPanelApply(const MenuPanelLayout &layout, std::span<TMetroButton *const> tiles, int &penIndex);
// Sets the tiles' Down for the current pen; the last visible tile (crSetup,
// a layout's CrSetup) is never down.
void MenuButtonDownSet(int crSetup, std::span<TMetroButton *const> tiles, const TPWMenuItem &current);
