// Acting on a modal dialog from a test: the action runs once the dialog is
// open, and a dialog the action leaves open is rejected, so a failing test
// ends instead of hanging.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

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
