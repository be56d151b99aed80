// The setup dialog: its frame and snapshot, the stock pens and pen presets,
// the tool bar composer with its tile lists, the file defaults, and the
// white board, font and picture-limit details.
#include "setup/SetupDlg.h"

#include "pens/Pens.h"
#include "platform/ImageControl.h"
#include "platform/Panel.h"
#include "setup/ColorEditor.h"
#include "settings/SettingsUi.h"
#include "tiles/MetroButton.h"
#include "tiles/ToolBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>

namespace {
constexpr int ClientWidth = 490;
constexpr int ClientHeight = 492;
constexpr TAlphaColor FrameSelected = 0xFFFF0000;
constexpr TAlphaColor FrameOther = 0xFFFFFFFF;
constexpr TAlphaColor PresetOutline = 0xFFB4B4B4;
// A list item: the small tile at (2, 2) in a 64 x 64 cell.
constexpr int TileCell = MetroSmallSize + 4;
constexpr int TileInset = 2;
constexpr TAlphaColor SelectedWash = 0x50000000;
// What a drag of tool bar items carries; drags from elsewhere are refused.
const char *const ToolBarItemMime = "application/x-tovarek-toolbar-items";

void SetPixelFont(QWidget *w, int px)
{
    QFont f = w->font();
    f.setPixelSize(px);
    w->setFont(f);
}

// Shrinks the captions of a row of controls to one font size at which each
// fits the width its place leaves (wide system fonts would otherwise run
// into the neighbouring controls).
void FitWidths(std::initializer_list<QWidget *> controls, int maxWidth)
{
    QFont f = (*controls.begin())->font();
    int px = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
    const auto fits = [&] {
        for (QWidget *w : controls)
            if (w->sizeHint().width() > maxWidth)
                return false;
        return true;
    };
    while (!fits() && px > 9) {
        f.setPixelSize(--px);
        for (QWidget *w : controls)
            w->setFont(f);
    }
    for (QWidget *w : controls)
        w->resize(std::min(w->sizeHint().width(), maxWidth), w->sizeHint().height());
}

QSpinBox *NewSpinBox(QWidget *parent, const QRect &geometry, int min, int max, int step, int fontPx = 0)
{
    auto *sb = new QSpinBox(parent);
    sb->setGeometry(geometry);
    sb->setRange(min, max);
    sb->setSingleStep(step);
    sb->setAlignment(Qt::AlignCenter);
    if (fontPx > 0)
        SetPixelFont(sb, fontPx);
    return sb;
}

// Combo boxes whose drop-down rows are itemHeight pixels high.
QComboBox *NewComboBox(QWidget *parent, const QRect &geometry)
{
    auto *cb = new QComboBox(parent);
    cb->setGeometry(geometry);
    cb->setItemDelegate(new QStyledItemDelegate(cb));
    return cb;
}

void SetItemHeight(QComboBox *cb, int itemHeight)
{
    for (int i = 0; i < cb->count(); ++i)
        cb->setItemData(i, QSize(0, itemHeight), Qt::SizeHintRole);
}

QLabel *NewLabel(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton *NewButton(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

int SenderTag(QObject *sender)
{
    bool ok = false;
    const int t = sender ? sender->property("Tag").toInt(&ok) : -1;
    return ok ? t : -1;
}

// The tile lists of the "ToolBar" tab: two columns of 64 x 64 cells, each
// showing the tile of its entry; the owner decides what a drop does.
class TileListBox : public QListWidget
{
public:
    TileListBox(QWidget *parent, const std::vector<TMetroButton *> *tiles);

    std::function<void(const QPointF &)> OnMouseDown;
    std::function<bool(const QPointF &, const QMimeData *)> OnDragOver;
    std::function<void(const QPointF &)> OnDragDrop;

protected:
    QStringList mimeTypes() const override { return {QLatin1String(ToolBarItemMime)}; }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (OnMouseDown)
            OnMouseDown(e->position());
        QListWidget::mousePressEvent(e);
    }
    void dragEnterEvent(QDragEnterEvent *e) override
    {
        QListWidget::dragEnterEvent(e);
        // Entering anywhere is fine; the moves decide where a drop may land.
        if (OnDragOver && e->mimeData() && e->mimeData()->hasFormat(QLatin1String(ToolBarItemMime)))
            AcceptAsCopy(e);
        else
            e->ignore();
    }
    void dragMoveEvent(QDragMoveEvent *e) override
    {
        QListWidget::dragMoveEvent(e); // scrolls near the edges
        if (OnDragOver && OnDragOver(e->position(), e->mimeData()))
            AcceptAsCopy(e);
        else
            e->ignore();
    }
    void dropEvent(QDropEvent *e) override
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

private:
    // A copy: a move would make the view delete the dragged items afterwards.
    static void AcceptAsCopy(QDropEvent *e)
    {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    }
};

// Paints an item as its tile; a selected item gets the highlight around the
// tile, the tile's own frame and a darker face.
class TileItemDelegate : public QStyledItemDelegate
{
public:
    TileItemDelegate(QObject *parent, const std::vector<TMetroButton *> *tiles)
        : QStyledItemDelegate(parent), m_tiles(tiles)
    {
    }

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

void AddTileItem(QListWidget *list, int tag, int tile)
{
    auto *item = new QListWidgetItem(list);
    item->setData(TSetupDlg::TagRole, tag);
    item->setData(TSetupDlg::TileRole, tile);
    item->setSizeHint(QSize(TileCell, TileCell));
}
} // namespace

// ---- frame --------------------------------------------------------------------

TSetupDlg::TSetupDlg(QWidget *mainWindow, std::function<QString()> lastFile,
                     std::function<void(const QString &)> imageOpen, int *penIndex)
    : QDialog(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mainWindow(mainWindow),
      m_lastFile(std::move(lastFile)),
      m_imageOpen(std::move(imageOpen)),
      m_penIndex(penIndex ? penIndex : &m_spareIndex)
{
    setModal(true);
    setWindowTitle(QStringLiteral("Setup"));
    // Captions are laid out for a 12-pixel font.
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    // Group titles sit on the frame's top line, so the contents placed
    // below them start inside the frame.
    setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 7px; }"
                                 "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }"
                                 "QTabBar::tab { width: 80px; height: 20px; padding: 0; }"));
    FormCreate();
}

TSetupDlg::~TSetupDlg()
{
    ClearLists();
    FreeLnchButtons();
}

void TSetupDlg::FormCreate()
{
    setFixedSize(ClientWidth, ClientHeight);
    PenTypeRT = {pwPn, pwMk, pwRbPn, pwRbMk, pwArPn0, pwArPn1, pwArMk0, pwArMk1, pwFuPn, pwFuMk};

    TabControl1 = new QTabWidget(this);
    TabControl1->setGeometry(4, 8, 473, 413);
    TabItem1 = new QWidget;
    TabItem2 = new QWidget;
    TabItem5 = new QWidget;
    TabItem3 = new QWidget;
    TabItem4 = new QWidget;
    TabControl1->addTab(TabItem1, QStringLiteral("Stock Pen"));
    TabControl1->addTab(TabItem2, QStringLiteral("ToolBar"));
    TabControl1->addTab(TabItem5, QStringLiteral("Pen Setup"));
    TabControl1->addTab(TabItem3, QStringLiteral("File"));
    TabControl1->addTab(TabItem4, QStringLiteral("Detailed"));
    // The stock-pen tiles follow edits made on the other tabs.
    connect(TabControl1, &QTabWidget::currentChanged, this, [this](int) {
        if (TabControl1->currentWidget() == TabItem2)
            DressLnchButtons();
    });

    CreateStockPenTab();
    CreateToolBarTab();
    CreatePenSetupTab();
    CreateFileTab();
    CreateDetailedTab();

    BtnDefault = NewButton(this, QStringLiteral("Default"), QRect(8, 436, 90, 45));
    BtnOK = NewButton(this, QStringLiteral("OK"), QRect(288, 436, 90, 45));
    BtnCancel = NewButton(this, QStringLiteral("Cancel"), QRect(392, 436, 90, 45));
    BtnOK->setDefault(true);
    connect(BtnDefault, &QPushButton::clicked, this, &TSetupDlg::BtnDefaultClick);
    connect(BtnOK, &QPushButton::clicked, this, &TSetupDlg::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TSetupDlg::BtnCancelClick);
}

bool TSetupDlg::Execute()
{
    TabControl1->setCurrentIndex(0);
    isOK = false;
    // The snapshot comes first: filling the tool bar list already drops the
    // entries the launcher does not offer, and Cancel must bring them back.
    TakeSnapshot();
    CreateLnchButtons();
    ShowSettings();

    QScreen *screen = m_mainWindow ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect a = screen->availableGeometry();
        move(a.left() + int(RoundEven((a.width() - width()) / 2.0)),
             a.top() + int(RoundEven((a.height() - height()) / 2.0)));
    }
    exec();

    bool reopen = false;
    if (isOK) {
        ReadControlsOnOK();
        // Compared with the limit the picture list was made under: Default
        // may already have changed the setting while the dialog was open.
        const int n = MaxPictCountSB->value();
        Settings().MaxPictureCount = n;
        reopen = n != SavedSettings.MaxPictureCount;
    } else {
        RestoreSnapshot();
    }
    NormalizeSettings();
    ClearLists();
    FreeLnchButtons();

    // Last, once the settings are whole again: re-opening lists the folder
    // anew under the new limit, and its failure must not leave the dialog's
    // work half done.
    if (reopen && m_lastFile && m_imageOpen) {
        const QString file = m_lastFile();
        if (!file.isEmpty())
            m_imageOpen(file);
    }
    return isOK;
}

void TSetupDlg::ReadControlsOnOK()
{
    SettingsModel &s = Settings();
    s.ImageJPEGQuality = ImageJPEGQUalitySP->value();
    s.ImagePathDefault = ImagePathEdit->text();
    // A font the list does not hold shows no selection; the setting stays.
    if (ComboBox2->currentIndex() >= 0)
        s.NumFont = ComboBox2->currentText();
    if (ComboBox3->currentIndex() >= 0)
        s.BkFont = ComboBox3->currentText();
}

void TSetupDlg::TakeSnapshot()
{
    SavedSettings = Settings();
}

void TSetupDlg::RestoreSnapshot()
{
    SettingsModel &s = Settings();
    const auto lnchItems = s.LnchItems;
    const int lnchCount = s.LnchCount;
    s = SavedSettings;
    s.LnchItems = lnchItems;
    s.LnchCount = lnchCount;
}

void TSetupDlg::ShowSettings()
{
    const SettingsModel &s = Settings();
    SelectStockPen(0);
    RebuildLists();
    SelectPenColor(0);
    ShowPenThickness();
    ShowImageType();
    {
        const QSignalBlocker b1(ImageJPEGQUalitySP), b2(ImagePathEdit);
        ImageJPEGQUalitySP->setValue(s.ImageJPEGQuality);
        ImagePathEdit->setText(s.ImagePathDefault);
    }
    SelectWBrdColor(0);
    ShowWBrdGrid();
    const auto selectFont = [](QComboBox *cb, const QString &family) {
        const QSignalBlocker b(cb);
        int i = cb->findText(family, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i < 0)
            i = cb->findText(family, Qt::MatchFixedString);
        cb->setCurrentIndex(i);
    };
    {
        const QSignalBlocker b1(PenSmoothing), b2(MaximizeStartup), b3(MaxPictCountSB), b4(ScreenPenWidth);
        PenSmoothing->setChecked(s.isSmoothing);
        ScreenPenWidth->setChecked(s.isScreenPenWidth);
        selectFont(ComboBox2, s.NumFont);
        selectFont(ComboBox3, s.BkFont);
        MaximizeStartup->setChecked(s.isMaximized);
        MaxPictCountSB->setValue(s.MaxPictureCount);
    }
    TabItem1->update();
    TabItem5->update();
    WBrdImage->update();
}

void TSetupDlg::BtnOKClick()
{
    isOK = true;
    accept();
}

void TSetupDlg::BtnCancelClick()
{
    reject();
}

void TSetupDlg::BtnDefaultClick()
{
    SetDefaultSettings();
    // The launcher list is made anew as well and may have another length.
    ClearLists();
    FreeLnchButtons();
    CreateLnchButtons();
    ShowSettings();
}

// ---- "Stock Pen" ------------------------------------------------------------------

void TSetupDlg::CreateStockPenTab()
{
    for (int t = 0; t < StockPenCount; ++t) {
        auto *r = new Panel(TabItem1);
        r->setObjectName(QStringLiteral("Rectangle%1").arg(t + 1));
        r->setProperty("Tag", t);
        r->setGeometry(t < 5 ? 8 : 138, 12 + 60 * (t % 5), 130, 60);
        r->setCursor(Qt::PointingHandCursor);
        r->OnPaint = [this](QObject *sender, QPainter &canvas, const QRect &rect) {
            ColorRectXPaint(sender, canvas, rect);
        };
        r->OnClick = [this](QObject *sender) { ColorRectXMouseUp(sender); };
        ColorRect[size_t(t)] = r;
    }

    StockPenTypeCB = NewComboBox(TabItem1, QRect(280, 12, 177, 38));
    StockPenTypeCB->addItems({QStringLiteral("Pen"), QStringLiteral("Marker"), QStringLiteral("Rainbow Pen"),
                              QStringLiteral("Rainbow Marker"), QStringLiteral("Single Arrow"),
                              QStringLiteral("Both Arrows"), QStringLiteral("Single Arrrow Marker"),
                              QStringLiteral("Both Arrows Marker"), QStringLiteral("Brush"),
                              QStringLiteral("Pen Order")});
    SetItemHeight(StockPenTypeCB, 36);
    StockPenTypeCB->setMaxVisibleItems(10);
    connect(StockPenTypeCB, &QComboBox::currentIndexChanged, this, &TSetupDlg::StockPenTypeCBChange);

    StockPenColor = new ColorEditor(TabItem1);
    StockPenColor->move(280, 56);
    connect(StockPenColor, &ColorEditor::QDChange, this, &TSetupDlg::StockPenColorQDChange);
    connect(StockPenColor, &ColorEditor::BtnClick, this, &TSetupDlg::StockPenColorBtnClick);

    StockPenSB = NewSpinBox(TabItem1, QRect(280, 290, 177, 40), 1, 40, 1, 20);
    connect(StockPenSB, &QSpinBox::valueChanged, this, &TSetupDlg::StockPenSBChange);

    StockPenDashCB = NewComboBox(TabItem1, QRect(280, 338, 177, 38));
    StockPenDashCB->addItems({QStringLiteral("Solid"), QStringLiteral("Dash"), QStringLiteral("Dot"),
                              QStringLiteral("DashDot"), QStringLiteral("DashDotDot")});
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
    Label1 = NewLabel(TabItem5, QStringLiteral("Pen Color"), 8, 20);
    // The form's names of the preset rectangles, by Tag.
    static const int rectangleNumber[10] = {11, 13, 14, 15, 16, 17, 18, 19, 20, 12};
    for (int t = 0; t < 10; ++t) {
        auto *r = new Panel(TabItem5);
        r->setObjectName(QStringLiteral("Rectangle%1").arg(rectangleNumber[t]));
        r->setProperty("Tag", t);
        r->setGeometry(t < 5 ? 8 : 78, 40 + 60 * (t % 5), 60, 60);
        r->setCursor(Qt::PointingHandCursor);
        r->OnPaint = [this](QObject *sender, QPainter &canvas, const QRect &rect) {
            PenColorXPaint(sender, canvas, rect);
        };
        r->OnClick = [this](QObject *sender) { PenColorXMouseUp(sender); };
        PenColorRect[size_t(t)] = r;
    }

    PenColor = new ColorEditor(TabItem5);
    PenColor->move(148, 40);
    connect(PenColor, &ColorEditor::QDChange, this, &TSetupDlg::PenColorQDChange);
    connect(PenColor, &ColorEditor::BtnClick, this, &TSetupDlg::PenColorBtnClick);

    GroupBox4 = new QGroupBox(QStringLiteral("Pen Thickness"), TabItem5);
    GroupBox4->setGeometry(336, 20, 129, 265);
    for (int t = 0; t < 5; ++t) {
        QSpinBox *sb = NewSpinBox(GroupBox4, QRect(8, 22 + 48 * t, 110, 40), 1, 60, 1, 20);
        sb->setObjectName(QStringLiteral("PenThicknessSB%1").arg(t));
        sb->setProperty("Tag", t);
        connect(sb, &QSpinBox::valueChanged, this, [this, sb] { PenThicknessSBXChange(sb); });
        PenThicknessSB[size_t(t)] = sb;
    }
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

// ---- "ToolBar" ----------------------------------------------------------------------

void TSetupDlg::CreateToolBarTab()
{
    auto *lnch = new TileListBox(TabItem2, &LnchBtn);
    lnch->setObjectName(QStringLiteral("LnchLB"));
    lnch->setGeometry(8, 16, 160, 361);
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

void TSetupDlg::RebuildLists()
{
    LnchLB->setUpdatesEnabled(false);
    MenuLB->setUpdatesEnabled(false);
    LnchLB->clear();
    MenuLB->clear();

    SettingsModel &s = Settings();
    const int offered = qBound(0, s.LnchCount - 1, LnchSlotCount);
    for (int i = 0; i < offered; ++i)
        if (!IsInMenu(s.LnchItems[size_t(i)]))
            AddTileItem(LnchLB, i, i);

    // Entries the launcher does not offer leave the tool bar here; the
    // launcher and setup commands come back with normalisation.
    int k = 0;
    const int count = qBound(0, s.MenuCount, MenuSlotCount);
    for (int slot = 0; slot < count; ++slot) {
        const int j = FindInLnch(s.MenuItems[size_t(slot)]);
        if (j < 0)
            continue;
        s.MenuItems[size_t(k)] = s.MenuItems[size_t(slot)];
        AddTileItem(MenuLB, k, j);
        ++k;
    }
    s.MenuCount = k;
    for (int slot = k; slot < MenuSlotCount; ++slot)
        s.MenuItems[size_t(slot)] = MakeMenuItem(pwNone, 0xFFFFFFFF, 1);

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
    // Every selected entry goes in at the same place; from the last to the
    // first they end up in their list order.
    const int p = MenuInsertIndex();
    for (int i = LnchLB->count() - 1; i >= 0; --i) {
        QListWidgetItem *item = LnchLB->item(i);
        const int tag = ItemTag(item);
        if (!item->isSelected() || s.MenuCount >= MenuSlotCount || tag < 0 || tag >= LnchSlotCount)
            continue;
        if (p < 0 || p > s.MenuCount)
            break;
        for (int j = s.MenuCount; j > p; --j)
            s.MenuItems[size_t(j)] = s.MenuItems[size_t(j - 1)];
        s.MenuItems[size_t(p)] = s.LnchItems[size_t(tag)];
        ++s.MenuCount;
    }
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

void TSetupDlg::MenuLBMouseDown(const QPointF &pos)
{
    StartingItem = MenuLB->indexAt(pos.toPoint());
}

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

// ---- "File" -------------------------------------------------------------------------

void TSetupDlg::CreateFileTab()
{
    GroupBox2 = new QGroupBox(QStringLiteral("Default Image Format"), TabItem3);
    GroupBox2->setGeometry(12, 12, 225, 293);
    static const char *const formats[5] = {"JPEG Format", "PNG Format", "BMP Format", "TGA Format",
                                           "PSD (Pen Layer)"};
    for (int i = 0; i < 5; ++i) {
        auto *rb = new QRadioButton(QLatin1String(formats[i]), GroupBox2);
        rb->setObjectName(QStringLiteral("DefaultImageIndex%1").arg(i + 1));
        rb->setProperty("Tag", i + 1);
        SetPixelFont(rb, 16);
        rb->setGeometry(10, 28 + 55 * i, 205, 30);
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
            if (on)
                DefaultImageIndexXChange(rb);
        });
        DefaultImageIndex[size_t(i)] = rb;
    }

    // The quality is kept and shown to no one: its group stays hidden.
    GroupBox3 = new QGroupBox(QStringLiteral("JPEG Quarity"), TabItem3);
    GroupBox3->setGeometry(240, 12, 225, 89);
    GroupBox3->setVisible(false);
    ImageJPEGQUalitySP = NewSpinBox(GroupBox3, QRect(37, 32, 150, 40), 0, 100, 1, 20);

    GroupBox5 = new QGroupBox(QStringLiteral("Default Image Folder"), TabItem3);
    GroupBox5->setGeometry(12, 312, 449, 73);
    ImagePathEdit = new QLineEdit(GroupBox5);
    ImagePathEdit->setGeometry(8, 20, 341, 40);
    SetPixelFont(ImagePathEdit, 16);
    Button1 = NewButton(GroupBox5, QStringLiteral("Browse"), QRect(356, 20, 85, 40));
    SetPixelFont(Button1, 16);
    connect(Button1, &QPushButton::clicked, this, &TSetupDlg::Button1Click);
}

void TSetupDlg::ShowImageType()
{
    const int v = Settings().ImageTypeDefault;
    for (QRadioButton *rb : DefaultImageIndex) {
        const QSignalBlocker b(rb);
        // Exclusive buttons cannot all be off; a value outside 1 to 5 checks none.
        rb->setAutoExclusive(false);
        rb->setChecked(SenderTag(rb) == v);
        rb->setAutoExclusive(true);
    }
}

void TSetupDlg::DefaultImageIndexXChange(QObject *sender)
{
    const int t = SenderTag(sender);
    if (t >= 1 && t <= 5)
        Settings().ImageTypeDefault = t;
}

void TSetupDlg::Button1Click()
{
    QString folder = ImagePathEdit->text();
    if (!BrowseFolder(QStringLiteral("Default Image Folder"), folder, this))
        return;
    // A root already ends with its separator.
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    ImagePathEdit->setText(folder);
}

// ---- "Detailed" ---------------------------------------------------------------------

void TSetupDlg::CreateDetailedTab()
{
    PenSmoothing = new QCheckBox(QStringLiteral("Pen Smoothing"), TabItem4);
    PenSmoothing->move(332, 20);
    connect(PenSmoothing, &QCheckBox::toggled, this, &TSetupDlg::PenSmoothingChange);
    MaximizeStartup = new QCheckBox(QStringLiteral("Maximize at Starup"), TabItem4);
    MaximizeStartup->move(332, 56);
    FitWidths({PenSmoothing, MaximizeStartup}, 135);
    connect(MaximizeStartup, &QCheckBox::toggled, this, &TSetupDlg::MaximizeStartupChange);

    GroupBox1 = new QGroupBox(QStringLiteral("White Board"), TabItem4);
    GroupBox1->setGeometry(12, 16, 317, 365);
    WBrdColor0 = new QRadioButton(QStringLiteral("Background Color"), GroupBox1);
    WBrdColor0->setProperty("Tag", 0);
    WBrdColor0->move(8, 20);
    WBrdColor1 = new QRadioButton(QStringLiteral("Line Color"), GroupBox1);
    WBrdColor1->setProperty("Tag", 1);
    WBrdColor1->move(8, 56);
    FitWidths({WBrdColor0, WBrdColor1}, 122);
    for (QRadioButton *rb : {WBrdColor0, WBrdColor1})
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
            if (on)
                WBrdColorXClick(rb);
        });

    WBrdColor = new ColorEditor(GroupBox1);
    WBrdColor->move(132, 16);
    connect(WBrdColor, &ColorEditor::QDChange, this, &TSetupDlg::WBrdColorQDChange);
    connect(WBrdColor, &ColorEditor::BtnClick, this, &TSetupDlg::WBrdColorBtnClick);

    Label3 = NewLabel(GroupBox1, QStringLiteral("Horizontal Grid"), 16, 140);
    WBrdWSB = NewSpinBox(GroupBox1, QRect(16, 160, 100, 22), 0, 80, 10);
    connect(WBrdWSB, &QSpinBox::valueChanged, this, &TSetupDlg::WBrdWSBChange);
    Label2 = NewLabel(GroupBox1, QStringLiteral("Vertical Grid"), 16, 192);
    WBrdHSB = NewSpinBox(GroupBox1, QRect(16, 212, 100, 22), 0, 80, 10);
    connect(WBrdHSB, &QSpinBox::valueChanged, this, &TSetupDlg::WBrdHSBChange);

    auto *previewFrame = new QFrame(GroupBox1);
    previewFrame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid palette(mid); }"));
    previewFrame->setGeometry(11, 247, 295, 103);
    WBrdImage = new ImageControl(GroupBox1);
    WBrdImage->setGeometry(12, 248, 293, 101);
    WBrdImage->OnPaint = [this](QPainter &canvas, const QRect &r) { WBrdImagePaint(canvas, QRectF(r)); };

    Label4 = NewLabel(TabItem4, QStringLiteral("Pen Order Number Font"), 333, 89);
    ComboBox2 = NewComboBox(TabItem4, QRect(332, 108, 133, 38));
    Label5 = NewLabel(TabItem4, QStringLiteral("Pen Order BkImage Font"), 333, 157);
    ComboBox3 = NewComboBox(TabItem4, QRect(332, 176, 133, 38));
    for (QComboBox *cb : {ComboBox2, ComboBox3}) {
        FillFontComboBox(cb);
        SetItemHeight(cb, 36);
    }

    Label6 = NewLabel(TabItem4, QStringLiteral("Image List Max Count"), 331, 225);
    FitWidths({Label4, Label5, Label6}, 134);
    MaxPictCountSB = NewSpinBox(TabItem4, QRect(331, 243, 134, 38), 0, 0, 5, 20);
    // The maximum first, so that the minimum never exceeds it.
    MaxPictCountSB->setMaximum(300);
    MaxPictCountSB->setMinimum(50);

    ScreenPenWidth = new QCheckBox(QStringLiteral("Pen width as seen on the screen"), TabItem4);
    ScreenPenWidth->move(332, 296);
    FitWidths({ScreenPenWidth}, 135);
    connect(ScreenPenWidth, &QCheckBox::toggled, this, &TSetupDlg::ScreenPenWidthChange);
}

void TSetupDlg::PenSmoothingChange()
{
    Settings().isSmoothing = PenSmoothing->isChecked();
}

void TSetupDlg::MaximizeStartupChange()
{
    Settings().isMaximized = MaximizeStartup->isChecked();
}

void TSetupDlg::ScreenPenWidthChange()
{
    Settings().isScreenPenWidth = ScreenPenWidth->isChecked();
}

void TSetupDlg::SelectWBrdColor(int index)
{
    WBrdColorIndex = index;
    {
        const QSignalBlocker b0(WBrdColor0), b1(WBrdColor1);
        WBrdColor0->setChecked(index == 0);
        WBrdColor1->setChecked(index == 1);
    }
    const SettingsModel &s = Settings();
    const TAlphaColor c = index != 0 ? s.DrawColor : s.FillColor;
    WBrdColor->ShowColor(c);
}

void TSetupDlg::WBrdColorXClick(QObject *sender)
{
    SelectWBrdColor(SenderTag(sender));
    WBrdImage->update();
}

void TSetupDlg::WBrdColorQDChange()
{
    const TAlphaColor c = WBrdColor->Color();
    (WBrdColorIndex != 0 ? Settings().DrawColor : Settings().FillColor) = c;
    WBrdColor->SetEditColor(c);
    WBrdImage->update();
}

void TSetupDlg::WBrdColorBtnClick()
{
    const TAlphaColor c = ParseColorText(WBrdColor->EditText());
    (WBrdColorIndex != 0 ? Settings().DrawColor : Settings().FillColor) = c;
    WBrdColor->ShowColor(c);
    WBrdImage->update();
}

void TSetupDlg::ShowWBrdGrid()
{
    const QSignalBlocker b1(WBrdWSB), b2(WBrdHSB);
    // A value the spin box cannot show (an edited file) is shown clamped but not rewritten.
    WBrdWSB->setValue(Settings().LineWidth);
    WBrdHSB->setValue(Settings().LineHeight);
}

void TSetupDlg::WBrdWSBChange()
{
    Settings().LineWidth = WBrdWSB->value();
    WBrdImage->update();
}

void TSetupDlg::WBrdHSBChange()
{
    Settings().LineHeight = WBrdHSB->value();
    WBrdImage->update();
}

void TSetupDlg::WBrdImagePaint(QPainter &canvas, const QRectF &r)
{
    const SettingsModel &s = Settings();
    canvas.save();
    canvas.setOpacity(1);
    canvas.fillRect(r, QColor::fromRgba(s.FillColor));
    // One-pixel lines on whole pixels, as on the white board itself.
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(QPen(QColor::fromRgba(s.DrawColor), 1));
    canvas.setOpacity(0.9);
    if (s.LineWidth > 0)
        for (qint64 x = qint64(r.left()) + s.LineWidth; x < r.right(); x += s.LineWidth)
            canvas.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    if (s.LineHeight > 0)
        for (qint64 y = qint64(r.top()) + s.LineHeight; y < r.bottom(); y += s.LineHeight)
            canvas.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    canvas.restore();
}
