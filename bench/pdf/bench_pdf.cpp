// Opening a 40-page PDF worksheet, timed side by side in every run with
// pdftoppm (poppler-utils) making the same 40 thumbnails in one process:
// - the first page on the board: from the file chosen until the board shows
//   the page and the strip is listed (ImageOpen returns);
// - all 40 page thumbnails, made on the machine's cores as the strip makes
//   them, against `pdftoppm -scale-to 90 -png` of the same document;
// - zooming in to four times the fit zoom, where the part of the page in
//   view is rendered anew (no reference: for the record).
//
// usage: bench_pdf [RUNS [PAGES]]   (5 runs and 40 pages by default)
// The worksheet is written by the benchmark: each page has a heading, thirty
// lines of text, ruled answer lines, a grid and a few shapes.
#include "app/MainFrm.h"
#include "app/PictureFiles.h"
#include "app/PictureLister.h"
#include "app/WorkerPool.h"
#include "settings/Settings.h"

#include "BenchFigures.h"
#include "BenchShort.h"
#include "PdfFixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

QByteArray Num(double v) { return QByteArray::number(v, 'f', 1); }

// One page of a worksheet, in PDF drawing operators.
QByteArray WorksheetPage(int page)
{
    QByteArray c;
    c += "BT /F1 22 Tf 60 780 Td (Worksheet " + QByteArray::number(page + 1) + ": fractions and shapes) Tj ET\n";
    for (int i = 0; i < 30; ++i)
        c += "BT /F1 11 Tf 60 " + Num(740 - i * 14) + " Td (" + QByteArray::number(i + 1) + ". What is "
             + QByteArray::number(page + i + 2) + "/" + QByteArray::number(i + 3) + " of "
             + QByteArray::number((page + 1) * (i + 5)) + "? Write the answer and draw it in the grid below.) Tj ET\n";
    c += "0.6 G 0.5 w\n";
    for (int i = 0; i < 8; ++i)
        c += "60 " + Num(300 - i * 22) + " m 535 " + Num(300 - i * 22) + " l S\n";
    c += "0.8 G\n";
    for (int i = 0; i <= 10; ++i)
        c += Num(330 + i * 20) + " 80 m " + Num(330 + i * 20) + " 280 l S " + "330 " + Num(80 + i * 20) + " m 530 "
             + Num(80 + i * 20) + " l S\n";
    c += "0.2 0.4 0.8 rg 80 100 120 80 re f 0.9 0.3 0.2 rg 220 140 m 300 140 l 260 210 l h f\n";
    return c;
}

QByteArray WorksheetPdf(int pages)
{
    std::map<int, QByteArray> objs;
    objs[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objs[3] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    QByteArray kids;
    int n = 4;
    for (int p = 0; p < pages; ++p) {
        const QByteArray content = WorksheetPage(p);
        objs[n] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> "
                  "/Contents "
                  + QByteArray::number(n + 1) + " 0 R >>";
        objs[n + 1] = "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "endstream";
        kids += QByteArray::number(n) + " 0 R ";
        n += 2;
    }
    objs[2] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    return PdfFile(objs);
}

// pdftoppm making every page's thumbnail in one process; -1 when it cannot run.
double PdftoppmOnce(const QString &pdf)
{
    QTemporaryDir out;
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-scale-to"), QStringLiteral("90"), QStringLiteral("-png"), pdf, out.filePath("t")});
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return t.nsecsElapsed() / 1e6;
}

// Every page's thumbnail through the strip's lister and its workers.
double ThumbnailsOnce(const std::shared_ptr<const TPdfPages> &pdf, int *made)
{
    PictureLister lister;
    QVector<int> all;
    for (int k = 0; k < pdf->PageCount(); ++k)
        all << k;
    *made = 0;
    QObject::connect(&lister, &PictureLister::ThumbnailReady, [&](int, const QImage &image, const QString &) {
        if (!image.isNull())
            ++*made;
    });
    QElapsedTimer t;
    t.start();
    lister.StartEntries(
        all,
        [pdf](int k) {
            PictureLister::Thumb th;
            th.image = PageThumbnail(*pdf, k, &th.error);
            return th;
        },
        pdf->FileName());
    while (lister.IsRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : (BenchShort() ? 1 : 5);
    const int pages = argc > 2 ? std::max(1, std::atoi(argv[2])) : (BenchShort() ? 3 : 40);

    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("worksheet.pdf"));
    {
        QFile f(doc);
        if (!f.open(QIODevice::WriteOnly) || f.write(WorksheetPdf(pages)) < 0)
            return 1;
    }
    QTemporaryDir config;
    SetSettingsFolder(config.path());
    TWBDMainFrm::MessageSink = [](const QString &m) { std::fprintf(stderr, "%s\n", qPrintable(m)); };
    TWBDMainFrm w;
    w.resize(1280, 800);
    w.show();
    ThumbnailPool().SetMaxThreadCount(QThread::idealThreadCount());

    Figures ref, board, thumbs, zoom;
    int made = 0;
    bool shown = true;
    for (int i = 0; i < runs; ++i) {
        if (const double v = PdftoppmOnce(doc); v >= 0)
            ref.v.push_back(v);
        QElapsedTimer t;
        t.start();
        w.ImageOpen(doc);
        board.v.push_back(t.nsecsElapsed() / 1e6);
        shown = shown && w.PictureFiles.Files.size() == pages && w.PWImage->SrcBitmap().height() == PdfPageSide;
        while (w.IsListing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        thumbs.v.push_back(ThumbnailsOnce(w.PictureFiles.Pdf, &made));
        TPWImage &b = *w.PWImage;
        t.restart();
        b.ZoomSet(b.Zoom() * 4, Single(b.width() / 2), Single(b.height() / 2));
        zoom.v.push_back(t.nsecsElapsed() / 1e6);
    }
    if (!shown || made != pages) {
        std::fprintf(stderr, "FAIL: the document was not shown whole (%d of %d thumbnails)\n", made, pages);
        return 1;
    }
    const double r = ref.Median();
    std::printf("%d pages, %d runs, %d threads; medians (min–max):\n", pages, runs, ThumbnailPool().MaxThreadCount());
    std::printf("  first page on the board:           %s   (goal: 300 ms)\n", qPrintable(board.Text()));
    std::printf("  pdftoppm -scale-to 90 -png, all:   %s\n", qPrintable(ref.Text()));
    std::printf("  zoom in to 4x fit, page anew:      %s\n", qPrintable(zoom.Text()));
    std::printf("  all page thumbnails:               %s   %s of pdftoppm\n", qPrintable(thumbs.Text()),
                r > 0 ? qPrintable(QStringLiteral("%1×").arg(thumbs.Median() / r, 0, 'f', 3)) : "n/a");
    return 0;
}
