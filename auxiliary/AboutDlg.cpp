#include "auxiliary/AboutDlg.h"

#include "auxiliary/HelpPage.h"
#include "platform/Bitmap.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

TAboutDlg::TAboutDlg(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(tr("About This Application"));
    setFixedSize(354, 174);

    Image1 = new QLabel(this);
    Image1->setGeometry(16, 16, 64, 64);
    Image1->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("ICON"))));

    // The layout is measured in pixels; point sizes would grow with the
    // screen's resolution and run over the fixed label widths.
    Label1 = new QLabel(QStringLiteral("TOVAREK W"), this);
    QFont f1 = Label1->font();
    f1.setPixelSize(13);
    Label1->setFont(f1);
    Label1->move(92, 28);

    Label3 = new QLabel(tr("Made for the classroom by ORVEN PROJECT"), this);
    QFont f3 = Label3->font();
    f3.setPixelSize(12);
    Label3->setFont(f3);
    Label3->setAlignment(Qt::AlignHCenter);
    Label3->setGeometry(20, 96, 309, 20);

    Label4 = new QLabel(this);
    QFont f4 = f3;
    f4.setBold(true);
    Label4->setFont(f4);
    Label4->setAlignment(Qt::AlignHCenter);
    Label4->setGeometry(20, 116, 309, 20);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->installEventFilter(this);

    Button1 = new QPushButton(tr("OK"), this);
    Button1->setGeometry(260, 144, 80, 22);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TAboutDlg::FormCreate()
{
    Label1->setText(Label1->text() + QStringLiteral(" Ver.") + GetVersionString());
    Label1->adjustSize();
    // An address longer than the label keeps its server and its page, and
    // the tooltip shows it whole.
    const QString url = HelpURL();
    Label4->setText(Label4->fontMetrics().elidedText(url, Qt::ElideMiddle, Label4->contentsRect().width()));
    Label4->setToolTip(url);
}

void TAboutDlg::Label4Click() { OpenHelpPage(); }

bool TAboutDlg::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Label4 && e->type() == QEvent::MouseButtonRelease) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
