// The "File" and "Detailed" tabs of the setup dialog: the default format and
// folder, the switches, the white board's colours and grid with their
// preview, the pen-order fonts and the picture limit.
#include "setup/SetupDlg.h"

#include "platform/ImageControl.h"
#include "settings/SettingsUi.h"
#include "setup/ColorEditor.h"
#include "setup/SetupControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

using namespace SetupControls;

// ---- "File" -------------------------------------------------------------------------

void TSetupDlg::CreateFileTab()
{
    GroupBox2 = new QGroupBox(tr("Default Image Format"), TabItem3);
    GroupBox2->setGeometry(12, 12, 225, 293);
    static const char *const formats[5]
        = {QT_TR_NOOP("JPEG Format"), QT_TR_NOOP("PNG Format"), QT_TR_NOOP("BMP Format"), QT_TR_NOOP("TGA Format"),
           QT_TR_NOOP("PSD (Pen Layer)")};
    for (int i = 0; i < 5; ++i) {
        auto *rb = new QRadioButton(tr(formats[i]), GroupBox2);
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
    GroupBox3 = new QGroupBox(tr("JPEG Quarity"), TabItem3);
    GroupBox3->setGeometry(240, 12, 225, 89);
    GroupBox3->setVisible(false);
    ImageJPEGQUalitySP = NewSpinBox(GroupBox3, QRect(37, 32, 150, 40), 0, 100, 1, 20);

    // How long Replay takes over each stroke.
    ReplayGroup = new QGroupBox(tr("Replay"), TabItem3);
    ReplayGroup->setGeometry(240, 112, 225, 89);
    ReplayPaceSB = NewSpinBox(ReplayGroup, QRect(12, 32, 201, 40), 100, 5000, 100, 20);
    ReplayPaceSB->setSuffix(tr(" ms a stroke"));
    connect(ReplayPaceSB, &QSpinBox::valueChanged, this, [](int ms) { Settings().ReplayStrokeMs = ms; });

    GroupBox5 = new QGroupBox(tr("Default Image Folder"), TabItem3);
    GroupBox5->setGeometry(12, 312, 449, 73);
    ImagePathEdit = new QLineEdit(GroupBox5);
    ImagePathEdit->setGeometry(8, 20, 341, 40);
    SetPixelFont(ImagePathEdit, 16);
    Button1 = NewButton(GroupBox5, tr("Browse"), QRect(356, 20, 85, 40));
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

void TSetupDlg::ShowFileTab()
{
    ShowImageType();
    const SettingsModel &s = Settings();
    const QSignalBlocker b1(ImageJPEGQUalitySP), b2(ImagePathEdit), b3(ReplayPaceSB);
    ImageJPEGQUalitySP->setValue(s.ImageJPEGQuality);
    ReplayPaceSB->setValue(s.ReplayStrokeMs);
    ImagePathEdit->setText(s.ImagePathDefault);
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
    if (!BrowseFolder(tr("Default Image Folder"), folder, this))
        return;
    // A root already ends with its separator.
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    ImagePathEdit->setText(folder);
}

// ---- "Detailed" ---------------------------------------------------------------------

void TSetupDlg::CreateDetailedTab()
{
    PenSmoothing = new QCheckBox(tr("Pen Smoothing"), TabItem4);
    PenSmoothing->move(332, 20);
    connect(PenSmoothing, &QCheckBox::toggled, this, &TSetupDlg::PenSmoothingChange);
    MaximizeStartup = new QCheckBox(tr("Maximize at Starup"), TabItem4);
    MaximizeStartup->move(332, 56);
    FitWidths({PenSmoothing, MaximizeStartup}, 135);
    connect(MaximizeStartup, &QCheckBox::toggled, this, &TSetupDlg::MaximizeStartupChange);

    GroupBox1 = new QGroupBox(tr("White Board"), TabItem4);
    GroupBox1->setGeometry(12, 16, 317, 365);
    WBrdColor0 = new QRadioButton(tr("Background Color"), GroupBox1);
    WBrdColor0->setProperty("Tag", 0);
    WBrdColor0->move(8, 20);
    WBrdColor1 = new QRadioButton(tr("Line Color"), GroupBox1);
    WBrdColor1->setProperty("Tag", 1);
    WBrdColor1->move(8, 56);
    FitWidths({WBrdColor0, WBrdColor1}, 122);
    for (QRadioButton *rb : {WBrdColor0, WBrdColor1})
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
            if (on)
                WBrdColorXClick(rb);
        });

    WBrdColor = new ColorEditor(GroupBox1);
    WBrdColor->SetAccessibleName(tr("White board color"));
    WBrdColor->move(132, 16);
    connect(WBrdColor, &ColorEditor::QDChange, this, &TSetupDlg::WBrdColorQDChange);
    connect(WBrdColor, &ColorEditor::BtnClick, this, &TSetupDlg::WBrdColorBtnClick);

    Label3 = NewLabel(GroupBox1, tr("Horizontal Grid"), 16, 140);
    WBrdWSB = NewSpinBox(GroupBox1, QRect(16, 160, 100, 22), 0, 80, 10);
    connect(WBrdWSB, &QSpinBox::valueChanged, this, &TSetupDlg::WBrdWSBChange);
    Label2 = NewLabel(GroupBox1, tr("Vertical Grid"), 16, 192);
    WBrdHSB = NewSpinBox(GroupBox1, QRect(16, 212, 100, 22), 0, 80, 10);
    Label3->setBuddy(WBrdWSB);
    Label2->setBuddy(WBrdHSB);
    connect(WBrdHSB, &QSpinBox::valueChanged, this, &TSetupDlg::WBrdHSBChange);

    auto *previewFrame = new QFrame(GroupBox1);
    previewFrame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid palette(mid); }"));
    previewFrame->setGeometry(11, 247, 295, 103);
    WBrdImage = new ImageControl(GroupBox1);
    WBrdImage->setGeometry(12, 248, 293, 101);
    WBrdImage->OnPaint = [this](QPainter &canvas, const QRect &r) { WBrdImagePaint(canvas, QRectF(r)); };

    Label4 = NewLabel(TabItem4, tr("Pen Order Number Font"), 333, 89);
    ComboBox2 = NewComboBox(TabItem4, QRect(332, 108, 133, 38));
    Label5 = NewLabel(TabItem4, tr("Pen Order BkImage Font"), 333, 157);
    ComboBox3 = NewComboBox(TabItem4, QRect(332, 176, 133, 38));
    for (QComboBox *cb : {ComboBox2, ComboBox3}) {
        FillFontComboBox(cb);
        SetItemHeight(cb, 36);
    }

    Label6 = NewLabel(TabItem4, tr("Image List Max Count"), 331, 225);
    FitWidths({Label4, Label5, Label6}, 134);
    MaxPictCountSB = NewSpinBox(TabItem4, QRect(331, 243, 134, 38), 0, 0, 5, 20);
    Label4->setBuddy(ComboBox2);
    Label5->setBuddy(ComboBox3);
    Label6->setBuddy(MaxPictCountSB);
    // The maximum first, so that the minimum never exceeds it.
    MaxPictCountSB->setMaximum(300);
    MaxPictCountSB->setMinimum(50);

    CreateDetailedSwitches();
}

// The switches under the picture limit, added after the tab's first controls.
void TSetupDlg::CreateDetailedSwitches()
{
    ScreenPenWidth = new QCheckBox(tr("Pen width as seen on the screen"), TabItem4);
    ScreenPenWidth->move(332, 288);
    connect(ScreenPenWidth, &QCheckBox::toggled, this, &TSetupDlg::ScreenPenWidthChange);
    ShareThumbnails = new QCheckBox(tr("Share thumbnails"), TabItem4);
    ShareThumbnails->move(332, 310);
    ShareThumbnails->setToolTip(tr("Keep the picture list's thumbnails where file managers find them, and use theirs"));
    connect(ShareThumbnails, &QCheckBox::toggled, this, &TSetupDlg::ShareThumbnailsChange);
    KeepStrokes = new QCheckBox(tr("Keep strokes after closing"), TabItem4);
    KeepStrokes->move(332, 332);
    FitWidths({ScreenPenWidth, ShareThumbnails, KeepStrokes}, 135);
    connect(KeepStrokes, &QCheckBox::toggled, this, &TSetupDlg::KeepStrokesChange);
    ForgetStrokes = new QPushButton(tr("Forget kept strokes"), TabItem4);
    ForgetStrokes->setGeometry(332, 354, 135, 28);
    connect(ForgetStrokes, &QPushButton::clicked, this, [this] {
        if (OnForgetStrokes)
            OnForgetStrokes();
    });
}

void TSetupDlg::ShowDetailedTab()
{
    SelectWBrdColor(0);
    ShowWBrdGrid();
    const auto selectFont = [](QComboBox *cb, const QString &family) {
        const QSignalBlocker b(cb);
        int i = cb->findText(family, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i < 0)
            i = cb->findText(family, Qt::MatchFixedString);
        cb->setCurrentIndex(i);
    };
    const SettingsModel &s = Settings();
    const QSignalBlocker b1(PenSmoothing), b2(MaximizeStartup), b3(MaxPictCountSB), b4(ScreenPenWidth), b5(KeepStrokes),
        b6(ShareThumbnails), b7(Pressure);
    PenSmoothing->setChecked(s.isSmoothing);
    ScreenPenWidth->setChecked(s.isScreenPenWidth);
    KeepStrokes->setChecked(s.isKeepStrokes);
    ShareThumbnails->setChecked(s.isShareThumbnails);
    Pressure->setChecked(s.isPressure);
    selectFont(ComboBox2, s.NumFont);
    selectFont(ComboBox3, s.BkFont);
    MaximizeStartup->setChecked(s.isMaximized);
    MaxPictCountSB->setValue(s.MaxPictureCount);
}

void TSetupDlg::PenSmoothingChange() { Settings().isSmoothing = PenSmoothing->isChecked(); }

void TSetupDlg::MaximizeStartupChange() { Settings().isMaximized = MaximizeStartup->isChecked(); }

void TSetupDlg::ScreenPenWidthChange() { Settings().isScreenPenWidth = ScreenPenWidth->isChecked(); }

void TSetupDlg::KeepStrokesChange() { Settings().isKeepStrokes = KeepStrokes->isChecked(); }

void TSetupDlg::ShareThumbnailsChange() { Settings().isShareThumbnails = ShareThumbnails->isChecked(); }

void TSetupDlg::PressureChange() { Settings().isPressure = Pressure->isChecked(); }

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
