// TLnchDlg: the launcher. A borderless modal grid of tiles, one per entry of
// the launcher list, with the close tile in a column of its own; the chosen
// entry runs as if its tool bar tile had been pressed.
#pragma once

#include "pens/Pens.h"
#include "tiles/MetroButton.h"

#include <QDialog>
#include <functional>
#include <vector>

class TLnchDlg : public QDialog
{
    Q_OBJECT
public:
    // mainWindow: what the dialog is centred over; menuButtonClick: the main
    // window's command dispatch; penIndex: the main window's stock-pen index,
    // which dressing the stock-pen tiles updates.
    TLnchDlg(QWidget *mainWindow, std::function<void(const TPWMenuItem &)> menuButtonClick, int *penIndex);
    ~TLnchDlg() override;

    // The tiles of the current showing, one per entry.
    std::vector<TMetroButton *> LnchBtn;
    // The chosen entry; pwNone until a tile is chosen.
    TPWMenuItem RMenuItem;

    // Builds the tiles, shows the dialog modally and hands the choice to the
    // main window unless it is the close entry.
    void Execute();

    // Grid columns for n entries: the first n - 1 about four columns for every three rows.
    static int Columns(int n);

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    void LnchBtnExecute(QObject *sender);

    QWidget *m_mainWindow;
    std::function<void(const TPWMenuItem &)> m_menuButtonClick;
    int *m_penIndex;
};
