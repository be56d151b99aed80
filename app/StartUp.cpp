#include "app/StartUp.h"

#include "app/MainFrm.h"
#include "platform/Bitmap.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSplashScreen>
#include <QThread>

std::unique_ptr<TWBDMainFrm> StartBehindSplash()
{
    QSplashScreen splash(QPixmap::fromImage(ResourceImage(QStringLiteral("SPLASH"))),
                         Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    splash.setAttribute(Qt::WA_ShowWithoutActivating);
    splash.setWindowTitle(QStringLiteral("TOVAREK W starting"));
    splash.show();
    QApplication::processEvents();
    QElapsedTimer onScreen;
    onScreen.start();

    // The window is built while the splash is on screen, so the teacher
    // waits for whichever takes longer, not for both one after the other.
    auto main = std::make_unique<TWBDMainFrm>();
    const qint64 rest = SplashMilliseconds - onScreen.elapsed();
    if (rest > 0)
        QThread::msleep(static_cast<unsigned long>(rest));

    // The splash goes before the main window shows (QSplashScreen::finish
    // would wait for the window to appear first).
    splash.close();
    if (Settings().isMaximized) {
        main->showMaximized();
    } else {
        if (QScreen *s = main->screen())
            main->move(s->availableGeometry().center() - main->rect().center());
        main->show();
    }
    return main;
}
