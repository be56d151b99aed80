// A short notice over the board that tells where a picture was saved. It is
// a widget of its own above the board, so it never reaches the board's
// pictures, the mirror or a saved file; it takes neither the focus nor the
// pointer, and goes away by itself.
#pragma once

#include <QLabel>
#include <QTimer>

class SaveNotice : public QLabel
{
    Q_OBJECT
public:
    explicit SaveNotice(QWidget *parent);
    // Shows text centred near the bottom of area (in the parent's
    // coordinates) for the given time; a notice still shown is replaced.
    void Show(const QString &text, const QRect &area, int milliseconds);

private:
    QTimer m_timer;
};
