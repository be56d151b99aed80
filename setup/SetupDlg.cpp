// The setup dialog's frame: the form and its tabs, the Default, OK and Cancel
// buttons, the snapshot that Cancel restores, and the run that shows the
// settings and takes them back. Each tab lives in a file of its own
// (SetupDlgPens, SetupDlgToolBar, SetupDlgDetails).
#include "setup/SetupDlg.h"

#include "platform/ImageControl.h"
#include "setup/SetupControls.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>

using namespace SetupControls;

namespace {
constexpr int ClientWidth = 490;
constexpr int ClientHeight = 492;
} // namespace

TSetupDlg::TSetupDlg(QWidget *mainWindow, std::function<QString()> lastFile,
                     std::function<void(const QString &)> imageOpen, int *penIndex)
    : QDialog(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mainWindow(mainWindow),
      m_lastFile(std::move(lastFile)),
      m_imageOpen(std::move(imageOpen)),
      m_penIndex(penIndex ? penIndex : &m_spareIndex)
{
    setModal(true);
    setWindowTitle(tr("Setup"));
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
    TabControl1->addTab(TabItem1, tr("Stock Pen"));
    TabControl1->addTab(TabItem2, tr("ToolBar"));
    TabControl1->addTab(TabItem5, tr("Pen Setup"));
    TabControl1->addTab(TabItem3, tr("File"));
    TabControl1->addTab(TabItem4, tr("Detailed"));
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

    BtnDefault = NewButton(this, tr("Default"), QRect(8, 436, 90, 45));
    BtnOK = NewButton(this, tr("OK"), QRect(288, 436, 90, 45));
    BtnCancel = NewButton(this, tr("Cancel"), QRect(392, 436, 90, 45));
    BtnOK->setDefault(true);
    connect(BtnDefault, &QPushButton::clicked, this, &TSetupDlg::BtnDefaultClick);
    connect(BtnOK, &QPushButton::clicked, this, &TSetupDlg::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TSetupDlg::BtnCancelClick);
}

bool TSetupDlg::Execute()
{
    TabControl1->setCurrentIndex(0);
    isOK = false;
    // The snapshot comes first: showing the settings drops from the tool bar
    // the entries the launcher does not offer, and Cancel must bring them back.
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

void TSetupDlg::TakeSnapshot() { SavedSettings = Settings(); }

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
    SelectStockPen(0);
    KeepOfferedEntries();
    RebuildLists();
    SelectPenColor(0);
    ShowPenThickness();
    ShowFileTab();
    ShowDetailedTab();
    TabItem1->update();
    TabItem5->update();
    WBrdImage->update();
}

void TSetupDlg::BtnOKClick()
{
    isOK = true;
    accept();
}

void TSetupDlg::BtnCancelClick() { reject(); }

void TSetupDlg::BtnDefaultClick()
{
    SetDefaultSettings();
    // The launcher list is made anew as well and may have another length.
    ClearLists();
    FreeLnchButtons();
    CreateLnchButtons();
    ShowSettings();
}
