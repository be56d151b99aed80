// Listing a folder of large JPEG photos into the thumbnail strip, against
// vipsthumbnail making the same thumbnails in one process on one thread,
// timed side by side in every run:
// - the first opening (the desktop's shared thumbnail cache empty) on the
//   machine's cores, a picture opened as the teacher opens it: until every
//   thumbnail is in, and from the picture and its list shown until the
//   list's first page of thumbnails is;
// - the second opening, with what the first wrote to the cache;
// - an opening with a cache another program wrote (Pillow, when python3 has
//   it): no photo may be decoded, which shows as every tile being that
//   program's thumbnail.
//
// usage: bench_listing [FOLDER [RUNS [COUNT]]]
//   FOLDER  where the photos are (photo000.jpg …, 4000 x 3000); the ones
//           missing are made there first and kept for later runs. "-" or
//           none: $XDG_CACHE_HOME/tovarek-w-bench/photos (~/.cache when unset);
//           "camera": the same photos with an Exif thumbnail each, as phones
//           and cameras write them (in photos-camera beside).
//   RUNS    3 by default; COUNT photos, 300 by default (at most 300 are listed).
// The reference needs vipsthumbnail (Debian: libvips-tools); the shared cache
// is a folder of the run's own, never the user's.
#include "app/MainFrm.h"
#include "app/PictureFiles.h"
#include "app/PictureLister.h"
#include "app/WorkerPool.h"
#include "settings/Settings.h"

#include "BenchFigures.h"
#include "BenchPhotoFiles.h"
#include "BenchShort.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr QRgb ForeignColour = 0xFFDC1EDC; // the other program's thumbnails: magenta

struct Listing {
    double total = 0; // from the opening until every thumbnail is in
    double opening = 0; // the opening itself: the picture read, the board and the list shown
    double firstPage = 0; // from the list shown until its first page is filled
    double freeze = 0; // after that, the longest the window did not answer
};

Listing ListOnce(TWBDMainFrm &w, const QString &file)
{
    Listing r;
    auto *lister = w.findChild<PictureLister *>();
    QElapsedTimer t, shown, gap;
    QSet<int> pageLeft;
    bool pageDone = false;
    // Connected after the window's own slot: the tile is filled when this runs.
    auto c = QObject::connect(lister, &PictureLister::ThumbnailReady, [&](int k, const QImage &, const QString &) {
        if (!pageDone && pageLeft.remove(k) && pageLeft.isEmpty()) {
            pageDone = true;
            r.firstPage = shown.nsecsElapsed() / 1e6;
        }
    });
    // A timer every 5 ms: the longest gap between its ticks is the longest the window froze.
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        r.freeze = std::max(r.freeze, gap.nsecsElapsed() / 1e6);
        gap.restart();
    });
    // Opened as the teacher opens a picture: it is read, shown on the board
    // and its folder listed into the strip, which then fills in.
    t.start();
    w.ImageOpen(file);
    r.opening = t.nsecsElapsed() / 1e6;
    shown.start();
    gap.start();
    tick.start();
    const int n = int(w.PictureFiles.Files.size());
    for (int i = 0; i < w.PictureCount; ++i)
        if (w.PicturePage * w.PictureCount + i < n)
            pageLeft.insert(w.PicturePage * w.PictureCount + i);
    while (w.IsListing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    r.total = t.nsecsElapsed() / 1e6;
    tick.stop();
    QObject::disconnect(c);
    return r;
}

double VipsOnce(const QStringList &files)
{
    QTemporaryDir out;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    QStringList args{QStringLiteral("-s"), QStringLiteral("90"), QStringLiteral("-o"),
                     out.path() + QStringLiteral("/%s.jpg")};
    args += files;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("vipsthumbnail"), args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return t.nsecsElapsed() / 1e6;
}

// Another program's thumbnails of files, made with Pillow as the cache's
// rules say. False when there is no python3 with Pillow.
bool WriteForeignThumbnails(const QString &cacheRoot, const QStringList &files)
{
    const QString script = QStringLiteral(R"(
import hashlib, os, sys, urllib.parse
from PIL import Image, PngImagePlugin
root, colour = sys.argv[1], tuple(int(c) for c in sys.argv[2].split(","))
os.makedirs(os.path.join(root, "normal"), mode=0o700, exist_ok=True)
for path in sys.argv[3:]:
    uri = "file://" + urllib.parse.quote(os.path.abspath(path))
    info = PngImagePlugin.PngInfo()
    info.add_text("Thumb::URI", uri)
    info.add_text("Thumb::MTime", str(int(os.stat(path).st_mtime)))
    info.add_text("Software", "Pillow")
    Image.new("RGB", (128, 96), colour).save(
        os.path.join(root, "normal", hashlib.md5(uri.encode()).hexdigest() + ".png"), pnginfo=info)
)");
    QProcess p;
    QStringList args{
        QStringLiteral("-c"), script, cacheRoot,
        QStringLiteral("%1,%2,%3").arg(qRed(ForeignColour)).arg(qGreen(ForeignColour)).arg(qBlue(ForeignColour))};
    args += files;
    // The system's python3, where Debian's Pillow is.
    p.start(QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                  : QStringLiteral("python3"),
            args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// An opening with a cache of another program's: every tile must be its thumbnail.
QString ForeignOpening(TWBDMainFrm &w, const QString &cacheRoot, const QStringList &files)
{
    QDir(cacheRoot).removeRecursively();
    if (!WriteForeignThumbnails(cacheRoot, files))
        return QStringLiteral("n/a (no python3 with Pillow)");
    const Listing f = ListOnce(w, files.first());
    int decoded = 0;
    for (const TPictureFile &e : std::as_const(w.PictureFiles.Files))
        if (e.Bitmap.pixel(45, 45) != ForeignColour)
            ++decoded;
    return QStringLiteral("%1 ms, photos decoded: %2 of %3").arg(f.total, 0, 'f', 0).arg(decoded).arg(files.size());
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString defaultFolder = BenchPhotoFolder();
    const QString folderArg = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("-");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : (BenchShort() ? 1 : 3);
    const int count = argc > 3 ? std::max(1, std::atoi(argv[3])) : 300;

    // The short mode lists a few small photos of its own.
    QTemporaryDir made;
    QStringList files;
    if (BenchShort() && argc < 2) {
        files = SmallPhotos(made.path(), 6);
    } else {
        files = folderArg == QLatin1String("camera")
                    ? CameraPhotos(defaultFolder + QStringLiteral("-camera"), count)
                    : Photos(folderArg == QLatin1String("-") ? defaultFolder : folderArg, count);
    }
    for (const QString &f : files) { // in the page cache for every run alike
        QFile file(f);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    }

    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString cacheRoot = cache.path() + QStringLiteral("/thumbnails");
    QTemporaryDir config;
    SetSettingsFolder(config.path());
    TWBDMainFrm::MessageSink = [](const QString &) {};
    TWBDMainFrm w;
    w.resize(1280, 800);
    w.show();
    Settings().MaxPictureCount = 300;
    Settings().isShareThumbnails = true;
    ThumbnailPool().SetMaxThreadCount(QThread::idealThreadCount());

    Figures vips, first, firstOpening, firstPage, firstFreeze, second, secondPage;
    for (int i = 0; i < runs; ++i) {
        if (const double v = VipsOnce(files); v >= 0)
            vips.v.push_back(v);
        QDir(cacheRoot).removeRecursively();
        const Listing a = ListOnce(w, files.first());
        first.v.push_back(a.total);
        firstOpening.v.push_back(a.opening);
        firstPage.v.push_back(a.firstPage);
        firstFreeze.v.push_back(a.freeze);
        const Listing b = ListOnce(w, files.first());
        second.v.push_back(b.total);
        secondPage.v.push_back(b.firstPage);
    }

    const QString foreign = ForeignOpening(w, cacheRoot, files);

    const double ref = vips.Median();
    auto ratio = [&](const Figures &f) {
        return ref > 0 ? QStringLiteral("%1×").arg(f.Median() / ref, 0, 'f', 3) : QStringLiteral("n/a");
    };
    std::printf("%lld photos, %d runs, %d threads; medians (min–max):\n", static_cast<long long>(files.size()), runs,
                ThumbnailPool().MaxThreadCount());
    std::printf("  vipsthumbnail -s 90, one thread:  %s\n", qPrintable(vips.Text()));
    std::printf("  first opening, all in:            %s   %s of vipsthumbnail\n", qPrintable(first.Text()),
                qPrintable(ratio(first)));
    std::printf("    the opening (picture and list shown): %s\n", qPrintable(firstOpening.Text()));
    std::printf("    its first page, after the list: %s; longest freeze %s\n", qPrintable(firstPage.Text()),
                qPrintable(firstFreeze.Text()));
    std::printf("  second opening, all in:           %s   %s of vipsthumbnail\n", qPrintable(second.Text()),
                qPrintable(ratio(second)));
    std::printf("    its first page, after the list: %s\n", qPrintable(secondPage.Text()));
    std::printf("  another program's cache:          %s\n", qPrintable(foreign));
    return 0;
}
