// Handouts: a list exported to one PDF (checked with poppler's pdfinfo and
// pdftoppm, readers of their own) or to a folder of pictures; a cancelled or
// failed export leaves nothing behind.
#include "app/Handout.h"
#include "app/PrintEngine.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
const QSize Sizes[] = {{200, 100}, {100, 200}, {150, 150}};
const char *Names[] = {"wide.png", "tall.png", "square.png"};

// A red stroke across the middle of a w x h picture.
TPWRecArray Across(int w, int h)
{
    TPWRecArray recs;
    recs.RecInit();
    TPathData path;
    path.MoveTo(QPointF(10, h / 2.0));
    path.LineTo(QPointF(w - 10, h / 2.0));
    recs.RecAddLine(MakeMenuItem(pwPn, 0xFFFF0000, 8), path);
    return recs;
}

bool Reddish(QRgb c) { return qRed(c) > 200 && qGreen(c) < 90 && qBlue(c) < 90; }

QString Run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class TestHandout : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    THandoutJob m_job;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); // A4
        for (int i = 0; i < 3; ++i) {
            QImage white(Sizes[i], QImage::Format_RGB32);
            white.fill(Qt::white);
            const QString path = m_dir.filePath(QString::fromLatin1(Names[i]));
            QVERIFY(white.save(path));
            m_job.Entries.append({QString::fromLatin1(Names[i]), path, QString(), QImage(),
                                  Across(Sizes[i].width(), Sizes[i].height())});
        }
        m_job.JpegQuality = 90;
    }

    void pdfHasAPageEachWithItsStrokes()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("poppler-utils are not installed (the README's test command installs them)");
        const QString pdf = m_dir.filePath(QStringLiteral("lesson.pdf"));
        QString error;
        QCOMPARE(ExportHandoutPdf(m_job, pdf, &error), THandoutResult::Done);
        const QString info = Run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                             QStringLiteral("-l"), QStringLiteral("3"), pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))), qPrintable(info));
        // Landscape for the wide picture, portrait for the others.
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page +1 size: +842 x 595 pts \\(A4\\)"))),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page +2 size: +595 x 842 pts \\(A4\\)"))),
                 qPrintable(info));
        for (int page = 1; page <= 3; ++page) {
            const QString prefix = m_dir.filePath(QStringLiteral("page%1").arg(page));
            Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                                             QString::number(page), QStringLiteral("-l"), QString::number(page),
                                             QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix});
            const QImage shown(prefix + QStringLiteral(".png"));
            QVERIFY2(!shown.isNull(), "pdftoppm rendered nothing");
            const QSize size = Sizes[page - 1];
            const THandoutPage layout = HandoutLayout(HandoutPageSize(size), size);
            // The stroke runs across the picture's middle, and only there.
            const QPointF middle = layout.Picture.center();
            QVERIFY2(Reddish(shown.pixel(middle.toPoint())), qPrintable(QString::number(page)));
            QVERIFY(!Reddish(shown.pixel(QPointF(middle.x(), layout.Picture.top() + 3).toPoint())));
            // The caption line under it holds its name and number.
            int dark = 0;
            const QRect caption = layout.Caption.toRect();
            for (int y = caption.top(); y <= caption.bottom(); ++y)
                for (int x = caption.left(); x <= caption.right(); ++x)
                    dark += qGray(shown.pixel(x, y)) < 128;
            QVERIFY2(dark > 20, qPrintable(QStringLiteral("page %1 has no caption").arg(page)));
        }
    }

    void folderHasAFileEachAndKeepsWhatWasThere()
    {
        QTemporaryDir out;
        QImage mine(10, 10, QImage::Format_RGB32);
        mine.fill(Qt::green);
        QVERIFY(mine.save(out.filePath(QStringLiteral("wide.jpg"))));
        THandoutJob job = m_job;
        job.Kind = 1;
        QStringList written;
        QString error;
        QCOMPARE(ExportHandoutFolder(job, out.path(), &written, &error), THandoutResult::Done);
        QCOMPARE(written,
                 QStringList({out.filePath(QStringLiteral("wide_1.jpg")), out.filePath(QStringLiteral("tall.jpg")),
                              out.filePath(QStringLiteral("square.jpg"))}));
        QCOMPARE(QImage(out.filePath(QStringLiteral("wide.jpg"))).size(), QSize(10, 10)); // not replaced
        const QImage tall(out.filePath(QStringLiteral("tall.jpg")));
        QCOMPARE(tall.size(), QSize(100, 200));
        QVERIFY(Reddish(tall.pixel(50, 100)));
    }

    // Printing lays the pages out as the PDF does: here into a PDF printer.
    void printsTheChosenPages()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("poppler-utils are not installed (the README's test command installs them)");
        const QString out = m_dir.filePath(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        PrintHandout(printer, m_job.Entries, 1, 2, QString());
        const QString info = Run(QStringLiteral("pdfinfo"), {out});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
    }

    // The print dialog comes from its module. Accepted as it opens, it hands
    // every page over; cancelled, none. (What it prints with them is the
    // test above's.)
    void printDialogComesFromItsModule()
    {
        QString missing;
        const TPrintAsk ask = PrintAsker(&missing);
        QVERIFY2(ask, qPrintable(missing));
        for (const bool accept : {false, true}) {
            QTimer::singleShot(0, [&] {
                auto *dlg = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
                QVERIFY(dlg);
                accept ? dlg->accept() : dlg->reject();
            });
            QPoint pages(-1, -1);
            const bool done
                = ask(nullptr, 3, 1, [&](QPagedPaintDevice &, int first, int last) { pages = QPoint(first, last); });
            QCOMPARE(done, accept);
            QCOMPARE(pages, accept ? QPoint(0, 2) : QPoint(-1, -1));
        }
    }

    // Cancelled after two of three entries, or failing on a damaged picture:
    // no PDF and no new picture file.
    void cancelledOrFailedLeavesNothing_data()
    {
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("PDF cancelled") << true << false;
        QTest::newRow("folder cancelled") << false << false;
        QTest::newRow("PDF of a damaged picture") << true << true;
        QTest::newRow("folder of a damaged picture") << false << true;
    }

    void cancelledOrFailedLeavesNothing()
    {
        QFETCH(bool, pdf);
        QFETCH(bool, damaged);
        QTemporaryDir out;
        THandoutJob job = m_job;
        if (damaged) {
            const QString bad = m_dir.filePath(QStringLiteral("bad.png"));
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a picture at all");
            f.close();
            job.Entries[2].Path = bad;
        } else {
            job.Progress = [](int done, int) { return done < 2; };
        }
        const QString pdfPath = out.filePath(QStringLiteral("lesson.pdf"));
        QString error;
        QStringList written;
        const THandoutResult r
            = pdf ? ExportHandoutPdf(job, pdfPath, &error) : ExportHandoutFolder(job, out.path(), &written, &error);
        QCOMPARE(r, damaged ? THandoutResult::Failed : THandoutResult::Cancelled);
        if (damaged)
            QVERIFY2(error.contains(QStringLiteral("bad.png")), qPrintable(error));
        QVERIFY(written.isEmpty());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_MAIN(TestHandout)
#include "test_handout.moc"
