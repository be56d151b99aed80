// TSetupDlg: the modal setup dialog. Its five tabs edit the process-wide
// settings in place, control by control; a snapshot taken when it opens lets
// Cancel put everything back.
#pragma once

#include "pens/Pens.h"
#include "settings/Settings.h"

#include <QDialog>
#include <QPersistentModelIndex>
#include <QPointF>
#include <array>
#include <functional>
#include <vector>

class ColorEditor;
class ImageControl;
class Panel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMimeData;
class QPainter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class TMetroButton;

class TSetupDlg : public QDialog
{
    Q_OBJECT
public:
    // mainWindow: the dialog's owner; lastFile and imageOpen: the main
    // window's last opened file and its ImageOpen, which re-opens that file
    // when the picture limit changes; penIndex: the main window's stock-pen
    // index, which dressing the stock-pen tiles updates (may be null).
    TSetupDlg(QWidget *mainWindow, std::function<QString()> lastFile, std::function<void(const QString &)> imageOpen,
              int *penIndex);
    ~TSetupDlg() override;

    // Runs the dialog modally; true when it was closed with OK. Either way
    // the settings are normalised when it closes.
    bool Execute();

    // ---- controls ---------------------------------------------------------
    QPushButton *BtnDefault = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;
    QTabWidget *TabControl1 = nullptr;
    QWidget *TabItem1 = nullptr; // "Stock Pen"
    QWidget *TabItem2 = nullptr; // "ToolBar"
    QWidget *TabItem5 = nullptr; // "Pen Setup"
    QWidget *TabItem3 = nullptr; // "File"
    QWidget *TabItem4 = nullptr; // "Detailed"

    // "Stock Pen": Rectangle1 to Rectangle10, Tag 0 to 9.
    std::array<Panel *, StockPenCount> ColorRect{};
    QComboBox *StockPenTypeCB = nullptr;
    ColorEditor *StockPenColor = nullptr;
    QSpinBox *StockPenSB = nullptr;
    QComboBox *StockPenDashCB = nullptr;

    // "ToolBar"
    QListWidget *LnchLB = nullptr;
    QListWidget *MenuLB = nullptr;
    QPushButton *MenuBarAdd = nullptr;
    QPushButton *MenuBarBack = nullptr;
    QPushButton *MenuBarBackAllBtn = nullptr;

    // "Pen Setup": the preset rectangles by Tag 0 to 9.
    QLabel *Label1 = nullptr;
    std::array<Panel *, 10> PenColorRect{};
    ColorEditor *PenColor = nullptr;
    QGroupBox *GroupBox4 = nullptr;
    std::array<QSpinBox *, 5> PenThicknessSB{};

    // "File": DefaultImageIndex1 to DefaultImageIndex5, Tag 1 to 5.
    QGroupBox *GroupBox2 = nullptr;
    std::array<QRadioButton *, 5> DefaultImageIndex{};
    QGroupBox *GroupBox3 = nullptr;
    QSpinBox *ImageJPEGQUalitySP = nullptr;
    QGroupBox *ReplayGroup = nullptr;
    QSpinBox *ReplayPaceSB = nullptr;
    QGroupBox *GroupBox5 = nullptr;
    QLineEdit *ImagePathEdit = nullptr;
    QPushButton *Button1 = nullptr;

    // "Detailed"
    QCheckBox *PenSmoothing = nullptr;
    QCheckBox *MaximizeStartup = nullptr;
    QCheckBox *ScreenPenWidth = nullptr; // isScreenPenWidth
    QCheckBox *KeepStrokes = nullptr; // isKeepStrokes
    QCheckBox *ShareThumbnails = nullptr; // isShareThumbnails
    QCheckBox *Pressure = nullptr; // isPressure
    QPushButton *ForgetStrokes = nullptr;
    // What "Forget kept strokes" does: the owner asks and empties its store.
    std::function<void()> OnForgetStrokes;
    QGroupBox *GroupBox1 = nullptr;
    QRadioButton *WBrdColor0 = nullptr;
    QRadioButton *WBrdColor1 = nullptr;
    ColorEditor *WBrdColor = nullptr;
    QLabel *Label3 = nullptr;
    QSpinBox *WBrdWSB = nullptr;
    QLabel *Label2 = nullptr;
    QSpinBox *WBrdHSB = nullptr;
    ImageControl *WBrdImage = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QLabel *Label5 = nullptr;
    QComboBox *ComboBox3 = nullptr;
    QLabel *Label6 = nullptr;
    QSpinBox *MaxPictCountSB = nullptr;

    // ---- fields -----------------------------------------------------------
    bool isOK = false;
    // The kinds of the kind combo box, by position.
    std::array<TPWPenType, 10> PenTypeRT{};
    int PenIndex = 0;
    // One tile per offered launcher entry; list items show them by index.
    std::vector<TMetroButton *> LnchBtn;
    int PenColorIndex = 0;
    int WBrdColorIndex = 0;
    // The tool bar item the pointer last went down on (invalid when it went
    // down where no item lies). The item, not the point: the list scrolls
    // while an item is dragged.
    QPersistentModelIndex StartingItem;

    // What Cancel restores: the settings as they were when the dialog opened,
    // all but the launcher list (LnchItems, LnchCount).
    SettingsModel SavedSettings;

    // List item data: the item's Tag (an index into LnchItems in LnchLB,
    // into MenuItems in MenuLB) and the index of the tile it shows.
    static constexpr int TagRole = Qt::UserRole;
    static constexpr int TileRole = Qt::UserRole + 1;
    static int ItemTag(const QListWidgetItem *item);

    // ---- frame (SetupDlg.cpp) -------------------------------------------------
    // Fills every tab from the settings, the tool bar first brought down to
    // the entries the launcher offers (KeepOfferedEntries).
    void ShowSettings();
    void BtnOKClick();
    void BtnCancelClick();
    void BtnDefaultClick();

    // ---- "Stock Pen" and "Pen Setup" (SetupDlgPens.cpp) ---------------------------
    void SelectStockPen(int index);
    int PenTypeIndex(TPWPenType t) const;
    void ColorRectXMouseUp(QObject *sender);
    void ColorRectXPaint(QObject *sender, QPainter &canvas, const QRect &r);
    void StockPenTypeCBChange();
    void StockPenColorQDChange();
    void StockPenColorBtnClick();
    void StockPenSBChange();
    void StockPenDashCBChange();

    void SelectPenColor(int index);
    void ShowPenThickness();
    void PenColorXMouseUp(QObject *sender);
    void PenColorXPaint(QObject *sender, QPainter &canvas, const QRect &r);
    void PenColorQDChange();
    void PenColorBtnClick();
    void PenThicknessSBXChange(QObject *sender);

    // ---- "ToolBar" (SetupDlgToolBar.cpp) ------------------------------------------
    void CreateLnchButtons();
    // Takes out of the tool bar (MenuItems) the entries the launcher does not
    // offer, keeping the order of the rest: the tab edits only what it can
    // show. A change of the settings, made when they are shown; Cancel's
    // snapshot brings the entries back.
    void KeepOfferedEntries();
    // Fills both lists from MenuItems and LnchItems; changes no setting.
    void RebuildLists();
    void ClearLists();
    void FreeLnchButtons();
    // Entries are equal here when kind, low 24 colour bits, thickness and dash agree.
    static bool SameEntry(const TPWMenuItem &a, const TPWMenuItem &b);
    bool IsInMenu(const TPWMenuItem &e) const;
    int FindInLnch(const TPWMenuItem &e) const;
    int MenuInsertIndex() const;

    void MenuBarAddClick();
    void MenuBarBackClick();
    void MenuBarBackAllBtnClick();
    void MenuLBMouseDown(const QPointF &pos);
    // Whether a drag over the tool bar list at pos may drop there.
    bool MenuLBDragOver(const QPointF &pos, const QMimeData *data);
    void MenuLBDragDrop(const QPointF &pos);

    // ---- "File" and "Detailed" (SetupDlgDetails.cpp) ------------------------------
    void ShowImageType();
    void DefaultImageIndexXChange(QObject *sender);
    void Button1Click();

    void PenSmoothingChange();
    void MaximizeStartupChange();
    void ScreenPenWidthChange();
    void KeepStrokesChange();
    void ShareThumbnailsChange();
    void PressureChange();
    void SelectWBrdColor(int index);
    void WBrdColorXClick(QObject *sender);
    void WBrdColorQDChange();
    void WBrdColorBtnClick();
    void ShowWBrdGrid();
    void WBrdWSBChange();
    void WBrdHSBChange();
    // The white board's drawing over the preview's area, one pixel per pixel.
    void WBrdImagePaint(QPainter &canvas, const QRectF &r);

private:
    void FormCreate();
    void TakeSnapshot();
    void RestoreSnapshot();
    void ReadControlsOnOK();

    void CreateStockPenTab();
    void CreatePenSetupTab();
    void CreateToolBarTab();
    // Dresses every tile for its entry again: stock pens may have changed.
    void DressLnchButtons();
    void CreateFileTab();
    void ShowFileTab();
    void CreateDetailedTab();
    void CreateDetailedSwitches();
    void ShowDetailedTab();

    QWidget *m_mainWindow;
    std::function<QString()> m_lastFile;
    std::function<void(const QString &)> m_imageOpen;
    int m_spareIndex = 0;
    int *m_penIndex; // the caller's, or m_spareIndex
};
