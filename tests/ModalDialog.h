// Acting on modal dialogs from a test, once they are open.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

// Answers a modal dialog of the given kind (a folder chooser, say) once it shows.
template <class Dialog> void WhenModalShows(std::function<void(Dialog *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto *d = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(d);
    });
    timer->start();
}

// A dialog the action leaves open is rejected, so a failing test ends
// instead of hanging.
inline void OnModal(std::function<void(QDialog *)> action)
{
    WhenModalShows<QDialog>([action](QDialog *d) {
        action(d);
        if (d->isVisible())
            d->reject();
    });
}

// Chooses a folder in an open folder dialog as a user does: goes there and
// presses Choose with nothing selected. The dialog reads folders in the
// background, and a late update could change what it reports once closed, so
// the choice waits until the folder has been read.
inline void ChooseFolder(QFileDialog *d, const QString &folder)
{
    QSignalSpy loaded(d->findChild<QFileSystemModel *>(), &QFileSystemModel::directoryLoaded);
    d->setDirectory(folder);
    const QString wanted = QDir(folder).canonicalPath();
    // A folder read before gives no signal; it is chosen once the wait ends.
    (void)QTest::qWaitFor(
        [&] {
            return std::any_of(loaded.cbegin(), loaded.cend(), [&](const QList<QVariant> &args) {
                return QDir(args.value(0).toString()).canonicalPath() == wanted;
            });
        },
        3000);
    static_cast<QDialog *>(d)->accept(); // QFileDialog::accept, which checks the choice
}
