// PDF worksheets through the main window: a document's pages are the list,
// each with its own strokes, saved as pictures, kept by the document's
// content; documents that cannot be shown are refused and nothing is lost.
#include "ModalDialog.h"
#include "PdfFixture.h"
#include "app/MainFrm.h"
#include "app/PictureLister.h"
#include "imagefiles/FMXPSD.h"
#include "imagefiles/PdfPages.h"
#include "platform/Errors.h"
#include "settings/Settings.h"
#include "store/LessonStore.h"
#include "tiles/MetroButton.h"

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QColor Red(255, 0, 0), Green(0, 160, 0), Blue(0, 0, 255);

QVector<TPdfFixturePage> Pages(const QVector<QColor> &colors, QSizeF size = {595, 842})
{
    QVector<TPdfFixturePage> pages;
    for (const QColor &c : colors)
        pages.append({size, c});
    return pages;
}

// The colour of the block of the page shown on the board, and of its lower half.
QRgb Block(const QImage &page) { return page.pixel(page.width() / 2, page.height() / 4); }
QRgb Lower(const QImage &page) { return page.pixel(page.width() / 2, page.height() * 3 / 4); }

struct Window {
    QTemporaryDir config;
    QStringList messages;
    LessonStore *store = nullptr;
    std::unique_ptr<TWBDMainFrm> w;
    explicit Window(LessonStore *keep = nullptr) : store(keep)
    {
        SetSettingsFolder(config.path());
        SetDefaultSettings();
        TWBDMainFrm::MessageSink = [this](const QString &m) { messages << m; };
        w = std::make_unique<TWBDMainFrm>();
        if (store)
            w->SetLessonStore(store);
        w->resize(1024, 728);
        w->show();
    }
    ~Window()
    {
        w.reset();
        TWBDMainFrm::MessageSink = nullptr;
    }
    TPWImage &board() { return *w->PWImage; }
    void stroke(QPointF a, QPointF b)
    {
        board().ZoomReset();
        board().PWMouseDown(Single(a.x()), Single(a.y()));
        board().PWMouseMove(Single(b.x()), Single(b.y()));
        board().PWMouseUp(Single(b.x()), Single(b.y()));
    }
    bool open(const QString &path)
    {
        w->RunGuarded([&] { w->ImageOpen(path); });
        return QTest::qWaitFor([&] { return !w->IsListing(); }, 20000);
    }
    QPointF firstPoint() { return board().PWRecArray().Rec[0].Points.first(); }
};
} // namespace

class TestPdfWorksheets : public QObject
{
    Q_OBJECT

private slots:
    void pagesAreTheList()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(QStringLiteral("worksheet.pdf"));
        QVERIFY(WritePdf(doc, MakePdf(Pages({Red, Green, Blue}))));
        Window f;
        QVERIFY(f.open(doc));
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.w->PictureFiles.Files.size(), 3);
        QCOMPARE(f.w->PictureFiles.Files[0].FileName, QStringLiteral("worksheet-1"));
        QCOMPARE(f.w->PictureFiles.Files[2].FileName, QStringLiteral("worksheet-3"));
        QCOMPARE(f.w->PictureIndex, 0);
        QVERIFY(!f.w->isWBrd);
        // The first page on white, as large as pages are shown, in its shape.
        const QImage &page = f.board().SrcBitmap();
        QCOMPARE(page.size(), QSize(1447, PdfPageSide));
        QCOMPARE(Block(page), QColor(Red).rgba());
        QCOMPARE(Lower(page), 0xFFFFFFFFu);
        // Each page's thumbnail shows that page.
        QCOMPARE(f.w->PictureButton[0]->Color(), MetroLime);
        QCOMPARE(f.w->PictureButton[1]->Bitmap().pixel(45, 30), QColor(Green).rgba());
        QCOMPARE(f.w->PictureButton[2]->Bitmap().pixel(45, 30), QColor(Blue).rgba());

        // Strokes stay with their page through Next, Prev (wrapping) and the white board.
        f.board().SetCrPen(MakeMenuItem(pwPn, 0xFFFF00FF, 8));
        f.stroke({10, 10}, {60, 10});
        f.w->MenuButtonClick(MakeMenuItem(pwNext, 0xFFFFFFFF, 1));
        QCOMPARE(f.w->PictureIndex, 1);
        QCOMPARE(Block(f.board().SrcBitmap()), QColor(Green).rgba());
        QCOMPARE(f.board().PWRecArray().c, -1);
        f.w->MenuButtonClick(MakeMenuItem(pwNext, 0xFFFFFFFF, 1));
        f.stroke({10, 40}, {60, 40});
        f.w->MenuButtonClick(MakeMenuItem(pwNext, 0xFFFFFFFF, 1));
        QCOMPARE(f.w->PictureIndex, 0);
        QCOMPARE(f.firstPoint(), QPointF(10, 10));
        f.w->MenuButtonClick(MakeMenuItem(pwPrev, 0xFFFFFFFF, 1));
        QCOMPARE(f.w->PictureIndex, 2);
        QCOMPARE(Block(f.board().SrcBitmap()), QColor(Blue).rgba());
        QCOMPARE(f.board().PWRecArray().c, 0);
        QCOMPARE(f.firstPoint(), QPointF(10, 40));
        f.w->MenuButtonClick(MakeMenuItem(pwWBrd, 0xFFFFFFFF, 1));
        QVERIFY(f.w->isWBrd);
        QCOMPARE(f.board().PWRecArray().c, -1);
        f.w->PictureButtonExecute(f.w->PictureButton[2]);
        QVERIFY(!f.w->isWBrd);
        QCOMPARE(f.firstPoint(), QPointF(10, 40));
    }

    void aTurnedPageIsSavedWithItsStrokes()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(QStringLiteral("sheet.pdf"));
        QVERIFY(WritePdf(doc, MakePdf(Pages({Red, Green}))));
        Window f;
        QVERIFY(f.open(doc));
        f.w->MenuButtonClick(MakeMenuItem(pwNext, 0xFFFFFFFF, 1));
        f.board().SetCrPen(MakeMenuItem(pwPn, 0xFF0000FF, 12));
        f.stroke({100, 1600}, {1300, 1600});
        // A flat picture and a PSD, whose merged picture is read back.
        for (const int kind : {2, 5}) {
            const QString name = f.w->ImageSaveToFile(dir.filePath(QStringLiteral("sheet-2")), kind);
            QImage saved;
            if (kind == 2)
                QVERIFY(saved.load(name));
            else
                QVERIFY(ReadPSDFile(name, saved).read());
            QCOMPARE(saved.size(), QSize(1447, PdfPageSide));
            QCOMPARE(Block(saved), QColor(Green).rgba());
            QCOMPARE(saved.pixel(700, 1600), 0xFF0000FFu);
            QCOMPARE(saved.pixel(700, 1700), 0xFFFFFFFFu);
        }
        // Save As offers the page's own name; accepted as offered, it is written.
        QTemporaryDir out;
        Settings().ImagePathDefault = out.path() + QLatin1Char('/');
        OnModal([](QDialog *d) {
            auto *fd = qobject_cast<QFileDialog *>(d);
            fd->selectNameFilter(fd->nameFilters().at(1)); // PNG
            d->accept();
        });
        f.w->ImageSaveAs();
        QImage offered;
        QVERIFY(offered.load(out.filePath(QStringLiteral("sheet-2.png"))));
        QCOMPARE(offered.pixel(700, 1600), 0xFF0000FFu);
        QVERIFY(QFile::remove(out.filePath(QStringLiteral("sheet-2.png"))));
        // The export takes every page as an entry, each with its own strokes.
        Settings().ImageTypeDefault = 2;
        QVERIFY(f.w->ExportTo(out.path(), false));
        QImage one, two;
        QVERIFY(one.load(out.filePath(QStringLiteral("sheet-1.png"))));
        QVERIFY(two.load(out.filePath(QStringLiteral("sheet-2.png"))));
        QCOMPARE(Block(one), QColor(Red).rgba());
        QCOMPARE(one.pixel(700, 1600), 0xFFFFFFFFu);
        QCOMPARE(two.pixel(700, 1600), 0xFF0000FFu);
    }

    // What cannot be shown is refused with its reason; the teacher's list,
    // page and strokes stay as they were.
    void badDocumentsLoseNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("password") << MakePdf(Pages({Red}), true) << QStringLiteral("password");
        QTest::newRow("damaged") << QByteArray("%PDF-1.4\n").append(QByteArray(3000, '\x9c'))
                                 << QStringLiteral("damaged");
        QTest::newRow("cut short") << MakePdf(Pages({Red, Green})).left(200) << QStringLiteral("damaged");
        QTest::newRow("no pages") << MakePdf({}) << QStringLiteral("no pages");
        QTest::newRow("not a PDF") << QByteArray("GIF89a, not a document") << QStringLiteral("not a PDF");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("not a PDF");
    }
    void badDocumentsLoseNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.pdf"));
        const QString bad = dir.filePath(QStringLiteral("bad.pdf"));
        QVERIFY(WritePdf(good, MakePdf(Pages({Red, Green}))));
        QVERIFY(WritePdf(bad, bytes));
        Window f;
        QVERIFY(f.open(good));
        f.w->PictureSelect(1);
        f.stroke({10, 10}, {60, 10});
        QVERIFY(f.open(bad));
        QCOMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages[0].contains(QStringLiteral("bad.pdf")) && f.messages[0].contains(reason),
                 qPrintable(f.messages[0]));
        QCOMPARE(f.w->LastFile, good);
        QCOMPARE(f.w->PictureFiles.Files.size(), 2);
        QCOMPARE(f.w->PictureIndex, 1);
        QCOMPARE(Block(f.board().SrcBitmap()), QColor(Green).rgba());
        QCOMPARE(f.board().PWRecArray().c, 0);
        f.w->PictureSelect(0);
        f.w->PictureSelect(1);
        QCOMPARE(f.board().PWRecArray().c, 0);
    }

    // Zoomed in far, the page is rendered anew at the zoom instead of showing
    // its pixels enlarged; a stroke stays on the page where it was drawn.
    void zoomedInPagesStaySharp()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(QStringLiteral("sheet.pdf"));
        QVERIFY(WritePdf(doc, MakePdf(Pages({Red}))));
        Window f;
        QVERIFY(f.open(doc));
        f.board().SetCrPen(MakeMenuItem(pwPn, 0xFF0000FF, 2));
        f.stroke({100, 410}, {300, 410});
        // The block's left edge lies at 144.7 page pixels, inside pixel 144.
        // Eight times enlarged, the page's pixels would put it at a multiple
        // of eight from there (152); rendered anew it is at 144.7 x 8.
        const int zoom = 8;
        f.board().ZoomReset();
        f.board().ZoomSet(zoom, 144, 400);
        const QImage &screen = f.board().Bitmap();
        int firstRed = -1;
        for (int x = 120; x < 180 && firstRed < 0; ++x)
            if (screen.pixel(x, 400) == QColor(Red).rgba())
                firstRed = x;
        QVERIFY2(qAbs(firstRed - (144 + 0.7 * zoom)) <= 2, qPrintable(QString::number(firstRed)));
        // The stroke at page row 410 shows at its place on the zoomed screen.
        QCOMPARE(screen.pixel(150, 400 + (410 - 400) * zoom), 0xFF0000FFu);
    }

    // A long document is cut at the picture limit and only the thumbnails in
    // view are made; a page of any size is shown within a bounded bitmap.
    void longAndHugeDocumentsStayBounded()
    {
        QTemporaryDir dir;
        QVector<QColor> colors;
        for (int i = 0; i < 400; ++i)
            colors << QColor::fromHsv(i % 360, 255, 255);
        const QString doc = dir.filePath(QStringLiteral("long.pdf"));
        QVERIFY(WritePdf(doc, MakePdf(Pages(colors))));
        Window f;
        QVERIFY(f.open(doc));
        QCOMPARE(f.w->PictureFiles.Files.size(), Settings().MaxPictureCount);
        QCOMPARE(f.messages,
                 QStringList{QStringLiteral("The %1 images were listed. ").arg(Settings().MaxPictureCount)});
        const int shown = f.w->PictureCount;
        QVERIFY(shown > 0 && shown < f.w->PictureFiles.Files.size());
        QVERIFY(!f.w->PictureFiles.Files[shown - 1].Bitmap.isNull());
        QVERIFY(f.w->PictureFiles.Files[shown].Bitmap.isNull());
        // The strip's next page gets its thumbnails when it is shown.
        f.w->Button1Click(f.w->Button2);
        QVERIFY(QTest::qWaitFor([&] { return !f.w->PictureFiles.Files[shown].Bitmap.isNull(); }, 20000));
        QCOMPARE(f.w->PictureFiles.Files[shown].Bitmap.pixel(45, 30), colors[shown].rgba());

        const QString huge = dir.filePath(QStringLiteral("huge.pdf"));
        QVERIFY(WritePdf(huge, MakePdf({{QSizeF(14400, 14400), Red}, {QSizeF(14400, 3), Green}})));
        QVERIFY(f.open(huge));
        QCOMPARE(f.board().SrcBitmap().size(), QSize(PdfPageSide, PdfPageSide));
        QCOMPARE(Block(f.board().SrcBitmap()), QColor(Red).rgba());
        f.w->PictureSelect(1); // a sliver: as wide as any page, at least a pixel high
        QCOMPARE(f.board().SrcBitmap().size(), QSize(PdfPageSide, 1));
    }

    // A page's strokes are kept by the document's content and the page's
    // number: a copy under another name has them, a changed document not.
    void keptStrokesFollowTheDocument()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("lessons.db"));
        const QString first = dir.filePath(QStringLiteral("a.pdf"));
        const QString copy = dir.filePath(QStringLiteral("copy of a.pdf"));
        const QString changed = dir.filePath(QStringLiteral("b.pdf"));
        QVERIFY(WritePdf(first, MakePdf(Pages({Red, Green, Blue}))));
        QVERIFY(WritePdf(copy, MakePdf(Pages({Red, Green, Blue}))));
        QVERIFY(WritePdf(changed, MakePdf(Pages({Red, Green, Red}))));
        {
            LessonStore store;
            QVERIFY(store.Open(db));
            Window f(&store);
            QVERIFY(f.open(first));
            f.w->PictureSelect(2);
            f.stroke({10, 10}, {60, 10});
            f.w->PictureSelect(0);
            QVERIFY(store.Flush());
        }
        LessonStore store;
        QVERIFY(store.Open(db));
        Window f(&store);
        QVERIFY(f.open(copy));
        QCOMPARE(f.board().PWRecArray().c, -1);
        f.w->PictureSelect(2);
        QCOMPARE(f.board().PWRecArray().c, 0);
        QVERIFY(f.open(changed));
        f.w->PictureSelect(2);
        QCOMPARE(f.board().PWRecArray().c, -1);
    }
};

QTEST_MAIN(TestPdfWorksheets)
#include "test_pdfworksheets.moc"
