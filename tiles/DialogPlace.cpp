// The opening place of the tile dialogs.
#include "tiles/DialogPlace.h"

#include "platform/Types.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

QPoint DialogCentredPos(const QWidget *mainWindow, const QSize &dialogSize)
{
    QRect main;
    if (mainWindow)
        main = mainWindow->window()->frameGeometry();
    else if (QScreen *s = QGuiApplication::primaryScreen())
        main = s->availableGeometry();
    return QPoint(main.left() + int(RoundEven((main.width() - dialogSize.width()) / 2.0)),
                  main.top() + int(RoundEven((main.height() - dialogSize.height()) / 2.0)));
}
