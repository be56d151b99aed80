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
#include <functional>
#include <memory>

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

// Chooses a folder in an open folder dialog as a user does: goes there and
// presses Choose with nothing selected. The dialog reads folders in the
// background, and a late update could change what it reports once closed, so
// the choice waits until the folder has been read.
inline void ChooseFolder(QFileDialog *d, const QString &folder)
{
    auto *model = d->findChild<QFileSystemModel *>();
    std::unique_ptr<QSignalSpy> loaded;
    if (model)
        loaded = std::make_unique<QSignalSpy>(model, &QFileSystemModel::directoryLoaded);
    d->setDirectory(folder);
    const QString wanted = QDir(folder).canonicalPath();
    // A folder read before gives no signal; it is chosen after the wait.
    const bool read = QTest::qWaitFor([&] {
        if (!loaded)
            return true;
        for (const QList<QVariant> &args : std::as_const(*loaded))
            if (QDir(args.value(0).toString()).canonicalPath() == wanted)
                return true;
        return false;
    }, 3000);
    Q_UNUSED(read);
    static_cast<QDialog *>(d)->accept(); // QFileDialog::accept, which checks the choice
}
