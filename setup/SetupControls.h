// The few ways the setup dialog's tabs make and size their controls: fixed
// places and pixel fonts, as the dialog is laid out, and the Tag a shared
// handler reads from its sender.
#pragma once

#include <QRect>
#include <QString>

#include <initializer_list>

class QComboBox;
class QLabel;
class QObject;
class QPushButton;
class QSpinBox;
class QWidget;

namespace SetupControls {

void SetPixelFont(QWidget *w, int px);

// Shrinks the captions of a row of controls to one font size at which each
// fits the width its place leaves (wide system fonts would otherwise run
// into the neighbouring controls).
void FitWidths(std::initializer_list<QWidget *> controls, int maxWidth);

// A centred spin box; fontPx 0 keeps the dialog's font.
QSpinBox *NewSpinBox(QWidget *parent, const QRect &geometry, int min, int max, int step, int fontPx = 0);
// A combo box whose rows SetItemHeight can make taller.
QComboBox *NewComboBox(QWidget *parent, const QRect &geometry);
void SetItemHeight(QComboBox *cb, int itemHeight);
QLabel *NewLabel(QWidget *parent, const QString &text, int x, int y);
// A button that Enter in another control does not press.
QPushButton *NewButton(QWidget *parent, const QString &text, const QRect &geometry);

// The sender's "Tag" property; -1 when it has none.
int SenderTag(QObject *sender);

} // namespace SetupControls
