// The tile lists of the "ToolBar" tab: their layout, drag and drop as the
// owner allows it, and items painted as tiles.
#include "setup/SetupTileList.h"

#include "setup/SetupDlg.h"
#include "tiles/MetroButton.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {
// A list item: the small tile at (2, 2) in a 64 x 64 cell.
constexpr int TileCell = MetroSmallSize + 4;
constexpr int TileInset = 2;
constexpr TAlphaColor SelectedWash = 0x50000000;

// A copy: a move would make the view delete the dragged items afterwards.
void AcceptAsCopy(QDropEvent *e)
{
    e->setDropAction(Qt::CopyAction);
    e->accept();
}

// Paints an item as its tile; a selected item gets the highlight around the
// tile, the tile's own frame and a darker face.
class TileItemDelegate : public QStyledItemDelegate
{
public:
    TileItemDelegate(QObject *parent, const std::vector<TMetroButton *> *tiles)
        : QStyledItemDelegate(parent), m_tiles(tiles)
    { }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect cell = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(cell, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        bool ok = false;
        const int t = index.data(TSetupDlg::TileRole).toInt(&ok);
        if (!ok || t < 0 || size_t(t) >= m_tiles->size() || !(*m_tiles)[size_t(t)])
            return;
        TMetroButton *tile = (*m_tiles)[size_t(t)];
        const bool wasDown = tile->Down();
        tile->SetDown(selected);
        const QPixmap look = tile->grab();
        tile->SetDown(wasDown);
        const QPoint at = cell.topLeft() + QPoint(TileInset, TileInset);
        p->drawPixmap(at, look);
        // A selected tile is also darkened, which shows on every tile colour.
        if (selected)
            p->fillRect(QRect(at, look.deviceIndependentSize().toSize()).adjusted(3, 3, -3, -3),
                        QColor::fromRgba(SelectedWash));
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(TileCell, TileCell);
    }

private:
    const std::vector<TMetroButton *> *m_tiles;
};
} // namespace

TileListBox::TileListBox(QWidget *parent, const std::vector<TMetroButton *> *tiles) : QListWidget(parent)
{
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setGridSize(QSize(TileCell, TileCell));
    setUniformItemSizes(true);
    setSpacing(0);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(TileCell / 4);
    setItemDelegate(new TileItemDelegate(this, tiles));
    setDragEnabled(false);
    setAcceptDrops(false);
}

QStringList TileListBox::mimeTypes() const { return {QLatin1String(ToolBarItemMime)}; }

void TileListBox::mousePressEvent(QMouseEvent *e)
{
    if (OnMouseDown)
        OnMouseDown(e->position());
    QListWidget::mousePressEvent(e);
}

void TileListBox::dragEnterEvent(QDragEnterEvent *e)
{
    QListWidget::dragEnterEvent(e);
    // Entering anywhere is fine; the moves decide where a drop may land.
    if (OnDragOver && e->mimeData() && e->mimeData()->hasFormat(QLatin1String(ToolBarItemMime)))
        AcceptAsCopy(e);
    else
        e->ignore();
}

void TileListBox::dragMoveEvent(QDragMoveEvent *e)
{
    QListWidget::dragMoveEvent(e); // scrolls near the edges
    if (OnDragOver && OnDragOver(e->position(), e->mimeData()))
        AcceptAsCopy(e);
    else
        e->ignore();
}

void TileListBox::dropEvent(QDropEvent *e)
{
    if (OnDragOver && OnDragOver(e->position(), e->mimeData())) {
        if (OnDragDrop)
            OnDragDrop(e->position());
        AcceptAsCopy(e);
    } else {
        e->ignore();
    }
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}

void AddTileItem(QListWidget *list, int tag, int tile)
{
    auto *item = new QListWidgetItem(list);
    item->setData(TSetupDlg::TagRole, tag);
    item->setData(TSetupDlg::TileRole, tile);
    item->setSizeHint(QSize(TileCell, TileCell));
}
