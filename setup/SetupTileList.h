// The tile lists of the setup dialog's "ToolBar" tab: a list whose items are
// shown as the tiles of their entries, and what a drag of its items carries.
#pragma once

#include <QListWidget>

#include <functional>
#include <vector>

class QMimeData;
class TMetroButton;

// What a drag of tool bar items carries; drags from elsewhere are refused.
inline constexpr char ToolBarItemMime[] = "application/x-tovarek-toolbar-items";

// Two columns of 64 x 64 cells, each showing the tile of its entry (an index
// into tiles); the owner decides what a drop does.
class TileListBox : public QListWidget
{
public:
    TileListBox(QWidget *parent, const std::vector<TMetroButton *> *tiles);

    std::function<void(const QPointF &)> OnMouseDown;
    // Whether a drag at this point may drop there.
    std::function<bool(const QPointF &, const QMimeData *)> OnDragOver;
    std::function<void(const QPointF &)> OnDragDrop;

protected:
    QStringList mimeTypes() const override;
    void mousePressEvent(QMouseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
};

// Appends an item with its Tag (TSetupDlg::TagRole) showing tile number tile.
void AddTileItem(QListWidget *list, int tag, int tile);
