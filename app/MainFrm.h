// TWBDMainFrm: the main window. It hosts the board, the tool bar of tiles on
// the right and the strip of picture thumbnails along the bottom, dispatches
// every command, and keeps the picture list and the white board's strokes.
#pragma once

#include "board/PWImage.h"
#include "board/PWRec.h"
#include "platform/Panel.h"

#include <QPushButton>
#include <QWidget>
#include <array>

class QProgressBar;
class QLabel;

class TWBDMainFrm : public QWidget
{
    Q_OBJECT
public:
    explicit TWBDMainFrm(QWidget *parent = nullptr);
    ~TWBDMainFrm() override;

    // ---- controls ----------------------------------------------------------------
    Panel *PicturePanel = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    Panel *MenuPanel = nullptr;
    Panel *MenuRectangle = nullptr;
    Panel *RectangleBG = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    // ---- fields ----------------------------------------------------------------------
    bool isFuMode = false;
    int PictureIndex = -1;
    int PicturePage = 0;
    int PictureCount = 0;
    bool isWBrd = false;
    TPWRecArray WBrdRecArray;
    int PenIndex = 0;
    bool isWorking = false;
    TPWMenuItem PrPen;
    int CrSetup = -1;
    TPWImage *PWImage = nullptr;
    QString LastFile;

    void FormCreate();
    void FormDestroy();

    // Runs the command line: one argument naming an existing file opens it.
    void OpenCommandLine(const QStringList &arguments);

    // ---- white board -------------------------------------------------------------------
    QImage WBrdBitmapMake();
    void WBrdEnter();
    void WBrdLeave();
    void WBrdShow();

    // ---- picture list (joins with the picture list) ------------------------------------
    void ImageOpen(const QString &fileName);

    // Lays out the panels: the strip along the bottom, the tool bar on the right,
    // the board in what is left.
    void DoLayout();

protected:
    void resizeEvent(QResizeEvent *) override;

private:
    bool m_created = false;
};
