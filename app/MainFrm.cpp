#include "app/MainFrm.h"

#include "settings/Settings.h"

#include <QAbstractEventDispatcher>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

namespace {
constexpr int StripHeight = 100;
constexpr int ToolBarWidth = 140;

QIcon ArrowIcon(const char *name)
{
    return QIcon(QPixmap::fromImage(ResourceImage(QString::fromLatin1(name))));
}
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

    MenuPanel = new Panel(this, 0xFF1F1F1F);
    MenuRectangle = new Panel(MenuPanel, 0xFF000000);
    RectangleBG = new Panel(this, 0);
    RectangleBG->setCursor(Qt::BlankCursor);
    ProgressBar1 = new QProgressBar(RectangleBG);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    FormCreate();
}

TWBDMainFrm::~TWBDMainFrm()
{
    FormDestroy();
}

void TWBDMainFrm::FormCreate()
{
    isWorking = true;
    isFuMode = false;
    CrSetup = -1;
    PictureIndex = -1;
    PictureCount = 0;
    LoadSettings();
    WBrdRecArray.RecInit();

    PWImage = new TPWImage(RectangleBG);
    PenIndex = 0;
    PWImage->SetCrPen(GetStartPen(PenIndex));
    PrPen = PWImage->CrPen();
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

void TWBDMainFrm::FormDestroy()
{
    if (!m_created)
        return;
    m_created = false;
    SaveSettings();
    delete PWImage;
    PWImage = nullptr;
}

void TWBDMainFrm::OpenCommandLine(const QStringList &arguments)
{
    if (arguments.size() == 1 && QFileInfo(arguments[0]).isFile())
        ImageOpen(arguments[0]);
}

void TWBDMainFrm::DoLayout()
{
    const int W = width(), H = height();
    const int ph = PicturePanel->property("CollapsedHeight").isValid() ? 0 : StripHeight;
    const int mw = MenuPanel->property("CollapsedWidth").isValid() ? 0 : ToolBarWidth;
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

void TWBDMainFrm::resizeEvent(QResizeEvent *)
{
    DoLayout();
}

// ---- white board ---------------------------------------------------------------

QImage TWBDMainFrm::WBrdBitmapMake()
{
    QSize size(1024, 768);
    if (QScreen *s = QGuiApplication::primaryScreen())
        size = s->size();
    QImage b = NewBitmap(qMax(size.width(), 1), qMax(size.height(), 1));
    BitmapClear(b, Settings().FillColor);
    return b;
}

void TWBDMainFrm::WBrdEnter()
{
    const QImage b = WBrdBitmapMake();
    PWImage->SrcBitmapRecPictSet(b, WBrdRecArray);
    PWImage->ZoomPosSet(this);
    isWBrd = true;
}

void TWBDMainFrm::WBrdLeave()
{
    RecCopy(PWImage->PWRecArray, WBrdRecArray);
    isWBrd = false;
}

void TWBDMainFrm::WBrdShow()
{
    if (PictureIndex == -1)
        return;
}

void TWBDMainFrm::ImageOpen(const QString &fileName)
{
    LastFile = fileName;
}
