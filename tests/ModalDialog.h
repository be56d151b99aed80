// Acting on modal dialogs from a test, once they are open.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// A dialog the action leaves open is rejected, so a failing test ends
// instead of hanging.
inline void OnModal(std::function<void(QDialog *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(d);
        if (d->isVisible())
            d->reject();
    });
    timer->start();
}

// Answers a modal dialog of the given kind (a folder chooser, say) once it shows.
template <class Dialog>
void WhenModalShows(std::function<void(Dialog *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (auto *d = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(d);
        }
    });
    timer->start();
}
