#include "app/MainFrm.h"

#include "app/PictureLister.h"
#include "app/SaveNotice.h"

#include "mirror/ViewFrm.h"
#include "platform/Errors.h"
#include "settings/Settings.h"
#include "tiles/MetroButton.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

namespace {
constexpr int StripHeight = 100;
constexpr int ToolBarWidth = 140;

QIcon ArrowIcon(const char *name) { return QIcon(QPixmap::fromImage(ResourceImage(QString::fromLatin1(name)))); }
} // namespace

TWBDMainFrm::TWBDMainFrm(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("TOVAREK W"));
    setWindowIcon(QIcon(QPixmap::fromImage(ResourceImage(QStringLiteral("ICON")))));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    resize(1024, 728);

    PicturePanel = new Panel(this, 0xFF000000);
    PicturePanel->setObjectName(QStringLiteral("PicturePanel"));
    Button1 = new QPushButton(PicturePanel);
    Button1->setProperty("Tag", -1);
    Button1->setIcon(ArrowIcon("ARROW_L"));
    Button1->setIconSize(QSize(13, 20));
    Button1->setFocusPolicy(Qt::NoFocus);
    Button2 = new QPushButton(PicturePanel);
    Button2->setProperty("Tag", 1);
    Button2->setIcon(ArrowIcon("ARROW_R"));
    Button2->setIconSize(QSize(13, 20));
    Button2->setFocusPolicy(Qt::NoFocus);
    // Names for assistive technology, which sees only arrows here.
    Button1->setAccessibleName(tr("Previous pictures"));
    Button2->setAccessibleName(tr("Next pictures"));
    PicturePanel->setAccessibleName(tr("Pictures"));

    MenuPanel = new Panel(this, 0xFF1F1F1F);
    MenuPanel->setObjectName(QStringLiteral("MenuPanel"));
    MenuPanel->setAccessibleName(tr("Tool bar"));
    MenuRectangle = new Panel(MenuPanel, 0xFF000000);
    MenuRectangle->setObjectName(QStringLiteral("MenuRectangle"));
    RectangleBG = new Panel(this, 0);
    RectangleBG->setCursor(Qt::BlankCursor);
    ProgressBar1 = new QProgressBar(RectangleBG);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    PicturePanel->OnResize = [this](QObject *) { PicturePanelResize(); };
    MenuPanel->OnResize = [this](QObject *) { MenuPanelResize(); };
    MenuRectangle->OnClick = [this](QObject *) { MenuRectangleClick(); };
    MenuRectangle->OnPaint = [this](QObject *, QPainter &p, const QRect &r) { MenuRectanglePaint(p, r); };
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button1Click(Button2); });
    m_saveNotice = new SaveNotice(this);
    m_lister = new PictureLister(this);
    connect(m_lister, &PictureLister::ThumbnailReady, this, &TWBDMainFrm::PictureThumbnailReady);
    connect(m_lister, &PictureLister::Finished, this, &TWBDMainFrm::ListingEnd);

    FormCreate();
}

TWBDMainFrm::~TWBDMainFrm() { FormDestroy(); }

void TWBDMainFrm::FormCreate()
{
    isWorking = true;
    isFuMode = false;
    CrSetup = -1;
    PictureIndex = -1;
    PictureCount = 0;
    LoadSettings();
    WBrdRecArray.RecInit();
    DoLayout();
    PictureButtonCreate();
    MenuButtonCreate();

    PWImage = new TPWImage(RectangleBG);
    PenIndex = 0;
    PWImage->SetCrPen(GetStartPen(PenIndex));
    PrPen = PWImage->CrPen();
    ApplyBoardSettings();
    ConnectMirror();
    // Each change of a history goes to the store as it happens.
    connect(PWImage, &TPWImage::HistoryChanged, this, &TWBDMainFrm::KeepBoardStrokes);
    m_created = true;
    DoLayout();

    WBrdEnter();
    PWImage->PWResize();

    // The application's idle notification keeps the mirror's cursor in step.
    if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance())
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (PWImage)
                PWImage->ViewFrmOnIdle();
        });
    LastFile.clear();
    isWorking = false;
}

void TWBDMainFrm::ApplyBoardSettings()
{
    const SettingsModel &s = Settings();
    TRenderStyle style;
    style.Smoothing = s.isSmoothing;
    style.NumberFont = s.NumFont;
    PWImage->SetRenderStyle(style);
    PWImage->SetWordFont(s.BkFont);
    PWImage->SetScreenPenWidth(s.isScreenPenWidth);
    PWImage->SetReplayPace(s.ReplayStrokeMs);
    PWImage->SetPressureOn(s.isPressure);
    // A stylus's eraser end erases as the tool bar's eraser does.
    for (int i = 0; i < s.MenuCount && i < int(s.MenuItems.size()); ++i)
        if (s.MenuItems[size_t(i)].PenType == pwEr) {
            PWImage->SetEraserPen(s.MenuItems[size_t(i)]);
            break;
        }
}

void TWBDMainFrm::ConnectMirror()
{
    if (!ViewFrm)
        return;
    // The mirror repeats what the board announces; the board knows nothing of it.
    connect(PWImage, &TPWImage::ViewChanged, ViewFrm,
            [this] { ViewFrm->ShowPicture(PWImage->DspBitmap(), PWImage->ViewRect(), PWImage->PictureOpaque()); });
    connect(PWImage, &TPWImage::ViewCursorChanged, ViewFrm, &TViewFrm::ShowCursor);
    connect(PWImage, &TPWImage::ViewCursorMoved, ViewFrm, &TViewFrm::MoveCursor);
    ViewFrm->OnViewResize = [this](QObject *) { PWImage->ViewResize(ViewFrm->Image->size()); };
}

void TWBDMainFrm::DoViewFrmShowMaximize()
{
    ViewFrmShowMaximize(this);
    if (!ViewFrm)
        return;
    PWImage->ViewResize(ViewFrm->isVisible() ? ViewFrm->Image->size() : QSize());
    PWImage->ViewCursorUpdate();
    PWImage->ViewFrmUpdate();
}

void TWBDMainFrm::FormDestroy()
{
    if (!m_created)
        return;
    m_created = false;
    if (ViewFrm)
        ViewFrm->OnViewResize = nullptr;
    // The settings could not be kept: the user is told, and the program still ends.
    RunGuarded([] { SaveSettings(); });
    PictureButtonFree();
    MenuButtonFree();
    delete PWImage;
    PWImage = nullptr;
}

void TWBDMainFrm::OpenCommandLine(const QStringList &arguments)
{
    if (arguments.size() == 1 && QFileInfo(arguments[0]).isFile())
        RunGuarded([&] { ImageOpen(arguments[0]); });
}

void TWBDMainFrm::RunGuarded(const std::function<void()> &action)
{
    try {
        action();
    } catch (const FileError &e) {
        ShowError(e.message());
    } catch (const std::exception &e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
}

void TWBDMainFrm::closeEvent(QCloseEvent *e)
{
    // A listing still running stops handing out thumbnails; its workers
    // finish the picture each is reading and nothing waits for the rest.
    m_listingWarning.clear();
    m_pendingKeys.clear();
    m_lister->Cancel();
    QWidget::closeEvent(e);
}

void TWBDMainFrm::DoLayout()
{
    const int W = width(), H = height();
    const int ph = m_toolBarShown ? StripHeight : 0;
    const int mw = m_toolBarShown ? ToolBarWidth : 0;
    PicturePanel->setGeometry(0, H - ph, W, ph);
    Button1->setGeometry(0, 0, 20, ph);
    Button2->setGeometry(W - 20, 0, 20, ph);
    MenuPanel->setGeometry(W - mw, 0, mw, H - ph);
    MenuRectangle->setGeometry(0, 0, mw, 30);
    RectangleBG->setGeometry(0, 0, W - mw, H - ph);
    ProgressBar1->setGeometry(0, RectangleBG->height() - 20, RectangleBG->width(), 20);
    if (PWImage)
        PWImage->setGeometry(0, 0, RectangleBG->width(), RectangleBG->height());
}

void TWBDMainFrm::resizeEvent(QResizeEvent *) { DoLayout(); }

// ---- white board ---------------------------------------------------------------

QImage TWBDMainFrm::WBrdBitmapMake()
{
    // The primary screen's size: the white board fills it when fitted.
    QSize size(1024, 768);
    if (QScreen *s = QGuiApplication::primaryScreen())
        size = s->size();
    const SettingsModel &st = Settings();
    QImage b(qMax(size.width(), 1), qMax(size.height(), 1), BitmapFormat);
    BitmapClear(b, st.FillColor);
    QPainter p(&b);
    // Grid lines are one pixel wide and sit on whole pixels, crisp at any fill colour.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(ToQColor(st.DrawColor), 1));
    p.setOpacity(0.9);
    if (st.LineWidth > 0)
        for (qint64 x = st.LineWidth; x < b.width(); x += st.LineWidth)
            p.drawLine(QPointF(x, 0), QPointF(x, b.height()));
    if (st.LineHeight > 0)
        for (qint64 y = st.LineHeight; y < b.height(); y += st.LineHeight)
            p.drawLine(QPointF(0, y), QPointF(b.width(), y));
    return b;
}

void TWBDMainFrm::WBrdEnter()
{
    LoadKeptBoardStrokes();
    const QImage b = WBrdBitmapMake();
    PWImage->SrcBitmapRecPictSet(b, WBrdRecArray);
    PWImage->ZoomPosSet(this);
    isWBrd = true;
}

void TWBDMainFrm::WBrdLeave()
{
    RecCopy(PWImage->PWRecArray(), WBrdRecArray);
    isWBrd = false;
}

void TWBDMainFrm::WBrdShow()
{
    if (PictureIndex == -1)
        return;
    StoreBoardStrokes();
    WBrdEnter();
}

void TWBDMainFrm::StoreBoardStrokes()
{
    if (isWBrd)
        WBrdLeave();
    else if (PictureIndex >= 0 && PictureIndex < PictureFiles.Files.size())
        RecCopy(PWImage->PWRecArray(), PictureFiles.Files[PictureIndex].PWRecArray);
}
