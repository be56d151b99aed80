// Handing out a lesson: exporting photos with their strokes into one PDF,
// against saving the same pictures flattened as JPEG files one by one (what
// the teacher did before), side by side in every run; and the PDF's size
// against the JPEG files' total. Both at the JPEG quality of the settings'
// default (100).
//
// usage: bench_handout [FOLDER [RUNS [COUNT]]]
//   FOLDER  where the photos are (photo000.jpg …, 4000 x 3000); the ones
//           missing are made there first and kept. "-" or none:
//           $XDG_CACHE_HOME/tovarek-w-bench/photos (~/.cache when unset).
//   RUNS    3 by default; COUNT photos, 50 by default.
#include "app/Handout.h"
#include "imagefiles/FMXBitmapEx.h"

#include "BenchPhotoFiles.h"
#include "BenchShort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {
constexpr int Quality = 100;

// Ten strokes a picture, pens and wide markers, across it.
TPWRecArray Strokes(int w, int h, int seed)
{
    QRandomGenerator rng{quint32(seed)};
    TPWRecArray recs;
    recs.RecInit();
    for (int s = 0; s < 10; ++s) {
        TPathData path;
        QPointF p(rng.bounded(w), rng.bounded(h));
        path.MoveTo(p);
        for (int i = 0; i < 120; ++i) {
            p += QPointF(rng.bounded(60.0) - 20, rng.bounded(40.0) - 20);
            path.LineTo(p);
        }
        recs.RecAddLine(MakeMenuItem(s % 2 ? pwMk : pwPn, 0xFF2080FF, Single(s % 2 ? 40 : 8)), path);
    }
    return recs;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QString Figure(const std::vector<double> &v, const char *unit)
{
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return QStringLiteral("%1 %4 (%2–%3)")
        .arg(Median(v), 0, 'f', 0)
        .arg(*lo, 0, 'f', 0)
        .arg(*hi, 0, 'f', 0)
        .arg(QString::fromLatin1(unit));
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folderArg = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("-");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : (BenchShort() ? 1 : 3);
    const int count = argc > 3 ? std::max(1, std::atoi(argv[3])) : 50;

    QTemporaryDir work;
    QStringList files;
    if (BenchShort() && argc < 2) { // a few small photos of its own
        files = SmallPhotos(work.path(), 3);
    } else {
        files = Photos(folderArg == QLatin1String("-") ? BenchPhotoFolder() : folderArg, count);
    }
    THandoutJob job;
    job.JpegQuality = Quality;
    for (int i = 0; i < files.size(); ++i) {
        const QImage probe(files[i]);
        job.Entries.append(
            {QFileInfo(files[i]).fileName(), files[i], QString(), QImage(), Strokes(probe.width(), probe.height(), i)});
    }

    std::vector<double> pdfMs, jpegMs, ratio, pdfMB, jpegMB;
    for (int run = 0; run < runs; ++run) {
        // The JPEG files one by one, as Save writes the board.
        const QString folder = work.filePath(QStringLiteral("jpeg%1").arg(run));
        QDir().mkpath(folder);
        QElapsedTimer t;
        t.start();
        qint64 bytes = 0;
        for (int i = 0; i < job.Entries.size(); ++i) {
            TFMXBitmapEx bmp;
            bmp = RenderHandoutEntry(job.Entries[i], QString());
            const QString name = QDir(folder).filePath(QStringLiteral("%1.jpg").arg(i));
            bmp.SaveToFileEx(name, QStringLiteral("quality=%1").arg(Quality));
            bytes += QFileInfo(name).size();
        }
        jpegMs.push_back(double(t.elapsed()));
        jpegMB.push_back(double(bytes) / 1e6);
        QDir(folder).removeRecursively();

        // The PDF of the same entries.
        const QString pdf = work.filePath(QStringLiteral("lesson%1.pdf").arg(run));
        QString error;
        t.restart();
        if (ExportHandoutPdf(job, pdf, &error) != THandoutResult::Done) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(error));
            return 1;
        }
        pdfMs.push_back(double(t.elapsed()));
        pdfMB.push_back(double(QFileInfo(pdf).size()) / 1e6);
        QFile::remove(pdf);
        ratio.push_back(pdfMs.back() / jpegMs.back());
    }
    std::printf("%lld photos, %d runs; medians (min–max):\n", static_cast<long long>(files.size()), runs);
    std::printf("  export to one PDF:        %s, %.1f MB\n", qPrintable(Figure(pdfMs, "ms")), Median(pdfMB));
    std::printf("  saving JPEG files:        %s, %.1f MB in all\n", qPrintable(Figure(jpegMs, "ms")), Median(jpegMB));
    const auto [lo, hi] = std::minmax_element(ratio.begin(), ratio.end());
    std::printf("  time ratio PDF / JPEG:    %.2f (run by run %.2f–%.2f)\n", Median(pdfMs) / Median(jpegMs), *lo, *hi);
    std::printf("  size ratio PDF / JPEG:    %.3f\n", Median(pdfMB) / Median(jpegMB));
    return 0;
}
