// A minimal Qt window: prints the wall clock (ms since the epoch) when it
// first paints, then quits. The reference the program's start-up is measured against.
#include <QApplication>
#include <QDateTime>
#include <QWidget>
#include <cstdio>

class Window : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_done)
            return;
        m_done = true;
        QMetaObject::invokeMethod(
            qApp,
            [] {
                std::printf("shown %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
                std::fflush(stdout);
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    }
    bool m_done = false;
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Window w;
    w.resize(1024, 728);
    w.show();
    return app.exec();
}
