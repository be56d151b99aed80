// TPenSetupDlg: the pen dialog. A borderless modal grid of tiles that builds
// a pen from kind, colour, thickness and dash, or takes a stock pen whole,
// with a sample of the pen so far.
#pragma once

#include "pens/Pens.h"
#include "platform/Panel.h"
#include "tiles/MetroButton.h"

#include <QDialog>
#include <array>

class QPainter;

class TPenSetupDlg : public QDialog
{
    Q_OBJECT
public:
    // mainWindow: what the dialog is centred over.
    explicit TPenSetupDlg(QWidget *mainWindow);
    ~TPenSetupDlg() override;

    // Shows the dialog for a pen: the edited pen after OK, the given pen
    // after Cancel, Escape or any other way of closing.
    TPWMenuItem Execute(const TPWMenuItem &APenItem);

    Panel *SampleRectangle = nullptr;
    TPWMenuItem PenItem;
    std::array<TMetroButton *, 8> PenTBtn{};
    std::array<TPWPenType, 8> PenTBtnRT{};
    std::array<TMetroButton *, 10> PenCBtn{};
    std::array<TMetroButton *, 5> PenWBtn{};
    std::array<TMetroButton *, 5> PenDBtn{};
    std::array<TMetroButton *, 10> PenSBtn{};
    TMetroButton *OKButton = nullptr;
    TMetroButton *CancelButton = nullptr;
    bool isOK = false;

    // The picture of a thickness tile: a white dot of the thickness, scaled so that 60 fills it.
    static QImage ThicknessImage(Single thickness);
    // The picture of a dash tile: a white line of that dash.
    static QImage DashImage(TStrokeDash dash);

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    void FormCreate();
    void SampleRectanglePaint(QObject *sender, QPainter &canvas, const QRect &r);

    void PenTBtnExecute(QObject *sender);
    void PenCBtnExecute(QObject *sender);
    void PenWBtnExecute(QObject *sender);
    void PenDBtnExecute(QObject *sender);
    void PenSBtnExecute(QObject *sender);

    // The marks: Down on the tiles that match PenItem.
    void KindMarks();
    void ColorMarks();
    void ThicknessMarks();
    void DashMarks();
    void StockMarks();

    QWidget *m_mainWindow;
};
