// Where the tile dialogs open: centred over the main window, halves rounded
// to the even neighbour; over the screen when there is no main window.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

QPoint DialogCentredPos(const QWidget *mainWindow, const QSize &dialogSize);
