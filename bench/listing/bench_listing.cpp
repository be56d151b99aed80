// Listing a folder of large JPEG photos into the thumbnail strip: the time
// until every thumbnail can be shown, when the first one shows, and the
// longest stretch the window could not answer, with one worker thread and
// with the machine's cores. vipsthumbnail making the same thumbnails in one
// process is timed in the same run as the reference.
//
// usage: bench_listing FOLDER [RUNS]   (make the folder with make_photos.py)
#include "app/MainFrm.h"
#include "app/PictureFiles.h"
#include "app/WorkerPool.h"
#include "settings/Settings.h"

#include "BenchShort.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Listing {
    double total = 0, first = 0, freeze = 0;
};

Listing ListOnce(TWBDMainFrm &w, const QString &file)
{
    Listing r;
    QElapsedTimer t;
    bool firstSeen = false;
    auto c = QObject::connect(w.ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
        if (v > 0 && !firstSeen) {
            firstSeen = true;
            r.first = t.nsecsElapsed() / 1e6;
        }
    });
    // A timer every 5 ms: the longest gap between its ticks is the longest the window froze.
    QTimer tick;
    QElapsedTimer gap;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        r.freeze = std::max(r.freeze, gap.nsecsElapsed() / 1e6);
        gap.restart();
    });
    t.start();
    gap.start();
    tick.start();
    w.PictureListMake(file, nullptr);
    while (w.IsListing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    r.total = t.nsecsElapsed() / 1e6;
    tick.stop();
    QObject::disconnect(c);
    return r;
}

double VipsOnce(const QStringList &files, int concurrency)
{
    QTemporaryDir out;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VIPS_CONCURRENCY"), QString::number(concurrency));
    p.setProcessEnvironment(env);
    QStringList args{QStringLiteral("-s"), QStringLiteral("90"), QStringLiteral("-o"),
                     out.path() + QStringLiteral("/%s.jpg")};
    args += files;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("vipsthumbnail"), args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        return -1;
    return t.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The short mode lists a few small photos of its own.
    QTemporaryDir made;
    if (argc < 2 && BenchShort()) {
        QImage photo(400, 300, QImage::Format_RGB32);
        for (int i = 0; i < 6; ++i) {
            photo.fill(qRgb(40 * i, 100, 200 - 30 * i));
            photo.save(made.filePath(QStringLiteral("p%1.jpg").arg(i)));
        }
    } else if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : made.path();
    const int runs = argc > 2 ? std::atoi(argv[2]) : (BenchShort() ? 1 : 3);
    QStringList files;
    for (const QString &n : QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        files << QDir(folder).filePath(n);
    if (files.isEmpty()) {
        std::fprintf(stderr, "no .jpg files in %s\n", argv[1]);
        return 2;
    }
    QTemporaryDir config;
    SetSettingsFolder(config.path());
    TWBDMainFrm::MessageSink = [](const QString &) {};
    TWBDMainFrm w;
    w.show();
    Settings().MaxPictureCount = 300;
    const int cores = QThread::idealThreadCount();

    std::vector<double> one, all, firstShown, freezes, vips1, vipsAll;
    ListOnce(w, files.first()); // reads the files once, so every run finds them cached
    for (int i = 0; i < runs; ++i) {
        ThumbnailPool().SetMaxThreadCount(1);
        one.push_back(ListOnce(w, files.first()).total);
        vips1.push_back(VipsOnce(files, 1));
        ThumbnailPool().SetMaxThreadCount(cores);
        const Listing l = ListOnce(w, files.first());
        all.push_back(l.total);
        firstShown.push_back(l.first);
        freezes.push_back(l.freeze);
        vipsAll.push_back(VipsOnce(files, cores));
    }
    std::printf("%lld photos, %d runs, medians:\n", static_cast<long long>(files.size()), runs);
    std::printf("  listing, 1 thread:        %8.0f ms   vipsthumbnail, 1 thread:  %8.0f ms   ratio %.2f\n", Median(one),
                Median(vips1), Median(one) / Median(vips1));
    std::printf("  listing, %d threads:       %8.0f ms   vipsthumbnail, %d threads: %8.0f ms\n", cores, Median(all),
                cores, Median(vipsAll));
    std::printf("  listing on %d threads against vipsthumbnail on one: %.2f\n", cores, Median(all) / Median(vips1));
    std::printf("  first thumbnail shown after %.0f ms; longest freeze %.0f ms\n", Median(firstShown), Median(freezes));
    return 0;
}
