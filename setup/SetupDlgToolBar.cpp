// The "ToolBar" tab of the setup dialog: the launcher's offered entries on
// the left, the tool bar on the right, and the moves between and within them.
#include "setup/SetupDlg.h"

#include "setup/SetupControls.h"
#include "setup/SetupTileList.h"
#include "tiles/MetroButton.h"
#include "tiles/ToolBar.h"

#include <QMimeData>
#include <QPushButton>

using namespace SetupControls;

void TSetupDlg::CreateToolBarTab()
{
    auto *lnch = new TileListBox(TabItem2, &LnchBtn);
    lnch->setObjectName(QStringLiteral("LnchLB"));
    lnch->setGeometry(8, 16, 160, 361);
    lnch->setAccessibleName(tr("All commands"));
    LnchLB = lnch;

    auto *menu = new TileListBox(TabItem2, &LnchBtn);
    menu->setObjectName(QStringLiteral("MenuLB"));
    menu->setGeometry(300, 16, 160, 361);
    // One item is dragged onto another to exchange the two.
    menu->setDragEnabled(true);
    menu->setAcceptDrops(true);
    menu->setDragDropMode(QAbstractItemView::DragDrop);
    menu->setDefaultDropAction(Qt::CopyAction);
    menu->setDropIndicatorShown(false);
    menu->OnMouseDown = [this](const QPointF &p) { MenuLBMouseDown(p); };
    menu->OnDragOver = [this](const QPointF &p, const QMimeData *d) { return MenuLBDragOver(p, d); };
    menu->OnDragDrop = [this](const QPointF &p) { MenuLBDragDrop(p); };
    menu->setAccessibleName(tr("Tool bar"));
    MenuLB = menu;

    MenuBarAdd = NewButton(TabItem2, QStringLiteral(">"), QRect(176, 76, 120, 60));
    MenuBarBack = NewButton(TabItem2, QStringLiteral("<"), QRect(176, 170, 120, 60));
    MenuBarBackAllBtn = NewButton(TabItem2, QStringLiteral("<<"), QRect(176, 264, 120, 60));
    for (QPushButton *b : {MenuBarAdd, MenuBarBack, MenuBarBackAllBtn})
        SetPixelFont(b, 30);
    connect(MenuBarAdd, &QPushButton::clicked, this, &TSetupDlg::MenuBarAddClick);
    connect(MenuBarBack, &QPushButton::clicked, this, &TSetupDlg::MenuBarBackClick);
    connect(MenuBarBackAllBtn, &QPushButton::clicked, this, &TSetupDlg::MenuBarBackAllBtnClick);
}

int TSetupDlg::ItemTag(const QListWidgetItem *item)
{
    bool ok = false;
    const int t = item ? item->data(TagRole).toInt(&ok) : -1;
    return ok ? t : -1;
}

bool TSetupDlg::SameEntry(const TPWMenuItem &a, const TPWMenuItem &b)
{
    return a.PenType == b.PenType && (a.PenColor & 0xFFFFFF) == (b.PenColor & 0xFFFFFF)
           && a.PenThickness == b.PenThickness && a.PenDash == b.PenDash;
}

bool TSetupDlg::IsInMenu(const TPWMenuItem &e) const
{
    const SettingsModel &s = Settings();
    const int n = qBound(0, s.MenuCount, MenuSlotCount);
    for (int i = 0; i < n; ++i)
        if (SameEntry(s.MenuItems[size_t(i)], e))
            return true;
    return false;
}

int TSetupDlg::FindInLnch(const TPWMenuItem &e) const
{
    const SettingsModel &s = Settings();
    const int n = qBound(0, s.LnchCount - 1, LnchSlotCount);
    for (int i = 0; i < n; ++i)
        if (SameEntry(s.LnchItems[size_t(i)], e))
            return i;
    return -1;
}

int TSetupDlg::MenuInsertIndex() const
{
    for (int i = 0; i < MenuLB->count(); ++i)
        if (MenuLB->item(i)->isSelected())
            return ItemTag(MenuLB->item(i));
    return MenuLB->count();
}

void TSetupDlg::CreateLnchButtons()
{
    if (!LnchBtn.empty()) {
        ClearLists();
        FreeLnchButtons();
    }
    const SettingsModel &s = Settings();
    const int n = qBound(0, s.LnchCount - 1, LnchSlotCount);
    LnchBtn.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        // The lists paint the tiles; the tiles themselves are never shown
        // and take no pointer input, so clicks select the list items.
        auto *tile = new TMetroButton(nullptr, mtSmallSingle);
        tile->setAttribute(Qt::WA_TransparentForMouseEvents);
        tile->Tag = i;
        MenuButtonSet(s.LnchItems[size_t(i)], tile, *m_penIndex);
        LnchBtn.push_back(tile);
    }
    RebuildLists();
}

void TSetupDlg::DressLnchButtons()
{
    const SettingsModel &s = Settings();
    for (size_t i = 0; i < LnchBtn.size() && i < s.LnchItems.size(); ++i) {
        // Setting the type puts back the default colour a pen may have left.
        LnchBtn[i]->SetMetroButtonType(mtSmallSingle);
        MenuButtonSet(s.LnchItems[i], LnchBtn[i], *m_penIndex);
    }
    LnchLB->viewport()->update();
    MenuLB->viewport()->update();
}

void TSetupDlg::KeepOfferedEntries()
{
    // pwLaunch and pwSetup are never offered; normalisation puts them back
    // when the dialog closes.
    SettingsModel &s = Settings();
    int k = 0;
    const int count = qBound(0, s.MenuCount, MenuSlotCount);
    for (int slot = 0; slot < count; ++slot)
        if (FindInLnch(s.MenuItems[size_t(slot)]) >= 0)
            s.MenuItems[size_t(k++)] = s.MenuItems[size_t(slot)];
    s.MenuCount = k;
    for (int slot = k; slot < MenuSlotCount; ++slot)
        s.MenuItems[size_t(slot)] = MakeMenuItem(pwNone, 0xFFFFFFFF, 1);
}

void TSetupDlg::RebuildLists()
{
    LnchLB->setUpdatesEnabled(false);
    MenuLB->setUpdatesEnabled(false);
    LnchLB->clear();
    MenuLB->clear();

    const SettingsModel &s = Settings();
    const int offered = qBound(0, s.LnchCount - 1, LnchSlotCount);
    for (int i = 0; i < offered; ++i)
        if (!IsInMenu(s.LnchItems[size_t(i)]))
            AddTileItem(LnchLB, i, i);

    // An entry without a tile has no item, but keeps its slot: the Tags
    // stay the slots' numbers.
    const int count = qBound(0, s.MenuCount, MenuSlotCount);
    for (int slot = 0; slot < count; ++slot) {
        const int j = FindInLnch(s.MenuItems[size_t(slot)]);
        if (j >= 0)
            AddTileItem(MenuLB, slot, j);
    }

    LnchLB->setUpdatesEnabled(true);
    MenuLB->setUpdatesEnabled(true);
}

void TSetupDlg::ClearLists()
{
    if (LnchLB)
        LnchLB->clear();
    if (MenuLB)
        MenuLB->clear();
}

void TSetupDlg::FreeLnchButtons()
{
    for (TMetroButton *b : LnchBtn)
        delete b;
    LnchBtn.clear();
}

void TSetupDlg::MenuBarAddClick()
{
    if (LnchLB->selectedItems().isEmpty())
        return;
    SettingsModel &s = Settings();
    const int p = MenuInsertIndex();
    if (p < 0 || p > s.MenuCount)
        return;
    // The selected entries go in at one place in their list order; when
    // they do not all fit, the first ones do.
    QVector<int> tags;
    for (int i = 0; i < LnchLB->count(); ++i) {
        const int tag = ItemTag(LnchLB->item(i));
        if (LnchLB->item(i)->isSelected() && tag >= 0 && tag < LnchSlotCount)
            tags.append(tag);
    }
    const int n = std::min(int(tags.size()), MenuSlotCount - s.MenuCount);
    for (int j = s.MenuCount - 1; j >= p; --j)
        s.MenuItems[size_t(j) + size_t(n)] = s.MenuItems[size_t(j)];
    for (int k = 0; k < n; ++k)
        s.MenuItems[size_t(p) + size_t(k)] = s.LnchItems[size_t(tags[k])];
    s.MenuCount += n;
    RebuildLists();
}

void TSetupDlg::MenuBarBackClick()
{
    if (MenuLB->selectedItems().isEmpty())
        return;
    SettingsModel &s = Settings();
    // From the end, so the Tags of the earlier items still name their slots.
    for (int i = MenuLB->count() - 1; i >= 0; --i) {
        QListWidgetItem *item = MenuLB->item(i);
        const int tag = ItemTag(item);
        if (!item->isSelected() || tag < 0 || tag >= s.MenuCount || s.MenuCount > MenuSlotCount)
            continue;
        for (int j = tag; j < s.MenuCount - 1; ++j)
            s.MenuItems[size_t(j)] = s.MenuItems[size_t(j) + 1];
        --s.MenuCount;
        s.MenuItems[size_t(s.MenuCount)] = MakeMenuItem(pwNone, 0xFFFFFFFF, 1);
    }
    RebuildLists();
}

void TSetupDlg::MenuBarBackAllBtnClick()
{
    Settings().MenuCount = 0;
    RebuildLists();
}

void TSetupDlg::MenuLBMouseDown(const QPointF &pos) { StartingItem = MenuLB->indexAt(pos.toPoint()); }

bool TSetupDlg::MenuLBDragOver(const QPointF &pos, const QMimeData *data)
{
    return data && data->hasFormat(QLatin1String(ToolBarItemMime)) && MenuLB->itemAt(pos.toPoint()) != nullptr;
}

void TSetupDlg::MenuLBDragDrop(const QPointF &pos)
{
    QListWidgetItem *a = StartingItem.isValid() ? MenuLB->item(StartingItem.row()) : nullptr;
    QListWidgetItem *b = MenuLB->itemAt(pos.toPoint());
    if (!a || !b || a == b)
        return;
    SettingsModel &s = Settings();
    const int ta = ItemTag(a), tb = ItemTag(b);
    if (ta < 0 || tb < 0 || ta >= s.MenuCount || tb >= s.MenuCount || s.MenuCount > MenuSlotCount)
        return;
    std::swap(s.MenuItems[size_t(ta)], s.MenuItems[size_t(tb)]);
    // The two items change places: each place keeps its slot and takes the
    // other's tile and selection, so every item still shows its slot's entry.
    const QVariant tileA = a->data(TileRole), tileB = b->data(TileRole);
    const bool selA = a->isSelected(), selB = b->isSelected();
    a->setData(TileRole, tileB);
    b->setData(TileRole, tileA);
    a->setSelected(selB);
    b->setSelected(selA);
    MenuLB->viewport()->update();
}
