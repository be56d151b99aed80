#include "app/StartUp.h"

#include "app/MainFrm.h"
#include "platform/Bitmap.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSplashScreen>
#include <QThread>

namespace {
void SleepUntil(const QElapsedTimer &clock, qint64 ms)
{
    // To the microsecond: whole milliseconds would add half of one on average.
    const qint64 rest = ms * 1000 - clock.nsecsElapsed() / 1000;
    if (rest > 0)
        QThread::usleep(static_cast<unsigned long>(rest));
}

// Calls back once, when the window first paints.
class PaintSeen : public QObject
{
public:
    PaintSeen(QWidget *w, std::function<void()> painted) : QObject(w), m_painted(std::move(painted))
    {
        w->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && m_painted) {
            // After this paint has reached the screen.
            QMetaObject::invokeMethod(this, m_painted, Qt::QueuedConnection);
            m_painted = nullptr;
        }
        return false;
    }

private:
    std::function<void()> m_painted;
};

// What the window's first paint needs and can have before it shows: its
// native window, and the glyphs and pictures its tiles and captions draw,
// rendered once off screen.
void PrepareFirstPaint(TWBDMainFrm &main)
{
    main.winId();
    QPixmap warm(main.size());
    main.render(&warm);
}

void ShowMain(TWBDMainFrm &main)
{
    if (Settings().isMaximized) {
        main.showMaximized();
    } else {
        if (QScreen *s = main.screen())
            main.move(s->availableGeometry().center() - main.rect().center());
        main.show();
    }
}
} // namespace

std::unique_ptr<TWBDMainFrm> StartBehindSplash(const std::function<void()> &shown,
                                               const std::function<void(TWBDMainFrm &)> &prepare)
{
    // Raw pixels: the first picture shown does not wait for Qt's image
    // readers to start up (they start while the splash is up). A screen of
    // higher density gets the picture drawn for it.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal density = screen ? screen->devicePixelRatio() : 1.0;
    QImage picture = density > 1.0 ? QImage() : ResourceRawImage(QStringLiteral("SPLASH"));
    if (picture.isNull())
        picture = ResourceImage(QStringLiteral("SPLASH"), density);
    // An opaque picture gets a window without an alpha channel, which the
    // display shows sooner than one it must blend. The same pixels, read
    // as having none: the raw picture's bytes are not copied to change format.
    const QImage onScreenPicture = IsOpaque(picture) ? QImage(picture.constBits(), picture.width(), picture.height(),
                                                              int(picture.bytesPerLine()), QImage::Format_RGB32)
                                                     : picture;
    QSplashScreen splash(QPixmap::fromImage(onScreenPicture), Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    splash.setAttribute(Qt::WA_ShowWithoutActivating);
    splash.setWindowTitle(QCoreApplication::translate("StartUp", "TOVAREK W starting"));
    splash.show();
    QApplication::processEvents();
    QElapsedTimer onScreen;
    onScreen.start();

    // The window is built while the splash is on screen, so the teacher
    // waits for whichever takes longer, not for both one after the other.
    auto main = std::make_unique<TWBDMainFrm>();
    if (prepare)
        prepare(*main);
    PrepareFirstPaint(*main);
    SleepUntil(onScreen, SplashMilliseconds);

    // The splash goes before the main window shows (QSplashScreen::finish
    // would wait for the window to appear first).
    splash.close();
    if (shown)
        new PaintSeen(main.get(), shown); // the window owns it
    ShowMain(*main);
    return main;
}
