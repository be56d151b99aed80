// The main window as a whole: start-up on the white board, the picture list
// with strokes kept per entry, paging, saving in every format, bad files,
// the pen state of the commands, keys and the tool bar.
#include "ModalDialog.h"
#include "app/MainFrm.h"
#include "app/PictureLister.h"
#include "app/SharedThumbnails.h"
#include "app/StartUp.h"
#include "app/WorkerPool.h"
#include "imagefiles/FMXBitmapEx.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "settings/Settings.h"
#include "setup/SetupDlg.h"
#include "tiles/MetroButton.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplashScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <mutex>

#include <sys/fsuid.h>
#include <unistd.h>

namespace {
QImage Colored(QRgb c, int w = 120, int h = 80)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// A settings folder of its own, messages captured, one window.
struct Fixture {
    QTemporaryDir config;
    QStringList messages;
    std::unique_ptr<TWBDMainFrm> w;
    explicit Fixture(const std::function<void()> &beforeCreate = {})
    {
        SetSettingsFolder(config.path());
        TWBDMainFrm::MessageSink = [this](const QString &m) { messages << m; };
        if (beforeCreate) {
            LoadSettings();
            beforeCreate();
            WriteSetupIni();
        }
        w = std::make_unique<TWBDMainFrm>();
        w->show();
    }
    ~Fixture()
    {
        w.reset();
        TWBDMainFrm::MessageSink = nullptr;
    }
    TPWImage &board() { return *w->PWImage; }
    // A stroke at zoom 1: control and picture coordinates agree.
    void stroke(QPointF a, QPointF b)
    {
        board().ZoomReset();
        board().PWMouseDown(Single(a.x()), Single(a.y()));
        board().PWMouseMove(Single(b.x()), Single(b.y()));
        board().PWMouseUp(Single(b.x()), Single(b.y()));
    }
    // Opens a file as the Open command does and waits until its folder is listed.
    bool open(const QString &path)
    {
        w->ImageOpen(path);
        return QTest::qWaitFor([&] { return !w->IsListing(); }, 20000);
    }
    void click(TPWPenType t)
    {
        TPWMenuItem m = MakeMenuItem(t, 0xFFFFFFFF, 1);
        w->MenuButtonClick(m);
    }
};

// Thumbnails that take their time, for listings a test can act during.
PictureLister::Thumb SlowThumbnail(const QString &path)
{
    QThread::msleep(150);
    PictureLister::Thumb t;
    t.image = MakeThumbnail(path, &t.error);
    return t;
}

// The pictures made, in the order made (one worker: the order handed out).
std::mutex MadeMutex;
QStringList MadeOrder;
PictureLister::Thumb RecordedThumbnail(const QString &path)
{
    {
        const std::lock_guard lock(MadeMutex);
        MadeOrder << QFileInfo(path).fileName();
    }
    PictureLister::Thumb t;
    t.image = MakeThumbnail(path, &t.error);
    return t;
}

struct SlowListing {
    SlowListing() { PictureLister::SetMaker(SlowThumbnail); }
    ~SlowListing() { PictureLister::SetMaker(nullptr); }
};

// Every interface under root, depth first.
void Walk(QAccessibleInterface *root, QList<QAccessibleInterface *> &all)
{
    if (!root)
        return;
    all << root;
    for (int i = 0; i < root->childCount(); ++i)
        Walk(root->child(i), all);
}

QAccessibleInterface *Named(const QList<QAccessibleInterface *> &all, QAccessible::Role role, const QString &name)
{
    for (QAccessibleInterface *a : all)
        if (a->role() == role && a->text(QAccessible::Name) == name)
            return a;
    return nullptr;
}

TPWMenuItem Pen(TAlphaColor c, Single w = 8) { return MakeMenuItem(pwPn, c, w); }
} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT
private slots:
    void startsOnTheWhiteBoard()
    {
        Fixture f;
        QVERIFY(f.w->isWBrd);
        QCOMPARE(f.w->PictureIndex, -1);
        QCOMPARE(f.w->windowTitle(), QStringLiteral("TOVAREK W"));
        // The start pen is the first stock-pen entry of the tool bar.
        QCOMPARE(f.board().CrPen(), Settings().StockPens[0]);
        for (TMetroButton *t : f.w->PictureButton)
            QVERIFY(!t->isVisible());
        // Default white board: light grey lines every 50 pixels, none vertical.
        const QImage &wb = f.board().SrcBitmap();
        QCOMPARE(wb.size(), QGuiApplication::primaryScreen()->size());
        QVERIFY(wb.pixel(10, 50) != 0xFFFFFFFFu);
        QCOMPARE(wb.pixel(10, 49), 0xFFFFFFFFu);
        QCOMPARE(wb.pixel(10, 0), 0xFFFFFFFFu);
        QCOMPARE(wb.pixel(40, 10), 0xFFFFFFFFu);
        // At the design size there are 16 tile places.
        QCOMPARE(f.w->MenuPanel->height(), 628);
        QCOMPARE(f.w->CrSetup, Settings().MenuCount - 1);
        // Closing writes the settings file.
        const QString ini = SettingsFilePath();
        QVERIFY(!QFile::exists(ini));
        f.w.reset();
        QVERIFY(QFile::exists(ini));
    }

    void squareGrid()
    {
        Fixture f([] {
            Settings().LineWidth = 40;
            Settings().LineHeight = 40;
        });
        const QImage &wb = f.board().SrcBitmap();
        QVERIFY(wb.pixel(40, 10) != 0xFFFFFFFFu);
        QVERIFY(wb.pixel(10, 40) != 0xFFFFFFFFu);
        QCOMPARE(wb.pixel(0, 10), 0xFFFFFFFFu);
        QCOMPARE(wb.pixel(39, 10), 0xFFFFFFFFu);
    }

    void listingAFolder()
    {
        QTemporaryDir pics;
        const QRgb colors[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
        const char *names[] = {"c.PNG", "a.png", "b.png", "B2.png"};
        for (int i = 0; i < 4; ++i)
            QVERIFY(Colored(colors[i]).save(pics.filePath(QString::fromLatin1(names[i])), "PNG"));
        QVERIFY(Colored(0xFF000000).save(pics.filePath(QStringLiteral("d.jpg")), "JPG"));
        Fixture f;
        QVERIFY(f.open(pics.filePath(QStringLiteral("b.png"))));
        QCOMPARE(f.w->PictureFiles.Files.size(), 4);
        QCOMPARE(f.w->PictureFiles.Files[0].FileName, QStringLiteral("a.png"));
        QCOMPARE(f.w->PictureFiles.Files[3].FileName, QStringLiteral("c.PNG"));
        QCOMPARE(f.w->PictureIndex, 1);
        QVERIFY(!f.w->isWBrd);
        QCOMPARE(f.board().SrcBitmap().pixel(5, 5), 0xFF0000FFu);
        // The current entry's tile is lime, the others white; thumbnails are shown.
        QCOMPARE(f.w->PictureButton[1]->Color(), MetroLime);
        QCOMPARE(f.w->PictureButton[0]->Color(), 0xFFFFFFFFu);
        QCOMPARE(f.w->PictureButton[0]->Bitmap().pixel(45, 45), 0xFF00FF00u);
        QCOMPARE(f.w->LastFile, pics.filePath(QStringLiteral("b.png")));

        // Strokes are kept per entry; Next and Prev wrap.
        f.board().SetCrPen(Pen(0xFFFF00FF));
        f.board().ZoomReset();
        f.stroke({10, 10}, {60, 10});
        f.click(pwNext);
        QCOMPARE(f.w->PictureIndex, 2);
        QCOMPARE(f.board().PWRecArray().c, -1);
        f.stroke({10, 40}, {60, 40});
        f.click(pwNext);
        f.click(pwNext);
        QCOMPARE(f.w->PictureIndex, 0); // wrapped
        f.click(pwPrev);
        QCOMPARE(f.w->PictureIndex, 3);
        f.w->PictureSelect(1);
        QCOMPARE(f.board().PWRecArray().c, 0);
        QCOMPARE(f.board().PWRecArray().Rec[0].Points.first(), QPointF(10, 10));
        f.w->PictureSelect(2);
        QCOMPARE(f.board().PWRecArray().Rec[0].Points.first(), QPointF(10, 40));
    }

    void whiteBoardKeepsItsStrokes()
    {
        QTemporaryDir pics;
        QVERIFY(Colored(0xFF808080).save(pics.filePath(QStringLiteral("p1.png"))));
        QVERIFY(Colored(0xFF404040).save(pics.filePath(QStringLiteral("p2.png"))));
        Fixture f;
        // Before any file is opened, W-Board does nothing.
        f.click(pwWBrd);
        QVERIFY(f.w->isWBrd);
        f.stroke({10, 10}, {100, 10});
        QVERIFY(f.open(pics.filePath(QStringLiteral("p1.png"))));
        f.stroke({20, 20}, {30, 30});
        f.click(pwWBrd);
        QVERIFY(f.w->isWBrd);
        QCOMPARE(f.board().PWRecArray().c, 0);
        QCOMPARE(f.board().PWRecArray().Rec[0].Points.first(), QPointF(10, 10));
        f.w->PictureSelect(0);
        QCOMPARE(f.board().PWRecArray().c, 0);
        f.click(pwWBrd);
        f.click(pwWBrd);
        QCOMPARE(f.board().PWRecArray().c, 0);
        f.w->PictureSelect(0);
        QCOMPARE(f.board().PWRecArray().c, 0);
    }

    void tooManyPictures()
    {
        QTemporaryDir pics;
        for (int i = 0; i < 60; ++i)
            QVERIFY(Colored(0xFF000000 | (i * 4))
                        .save(pics.filePath(QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0')))));
        Fixture f;
        // Among the first 50: those are listed.
        QVERIFY(f.open(pics.filePath(QStringLiteral("p05.bmp"))));
        QCOMPARE(f.w->PictureFiles.Files.size(), 50);
        QCOMPARE(f.w->PictureFiles.Files.first().FileName, QStringLiteral("p00.bmp"));
        QCOMPARE(f.w->PictureIndex, 5);
        QCOMPARE(f.messages, QStringList{QStringLiteral("The 50 images were listed. ")});
        // Beyond them: the run of 50 around it, so that it is the current
        // entry and keeps its strokes when the teacher moves on and back.
        QVERIFY(f.open(pics.filePath(QStringLiteral("p54.bmp"))));
        QCOMPARE(f.w->PictureFiles.Files.size(), 50);
        QCOMPARE(f.w->PictureFiles.Files.first().FileName, QStringLiteral("p10.bmp"));
        QCOMPARE(f.w->PictureIndex, 44);
        QCOMPARE(f.w->PictureFiles.Files[44].FileName, QStringLiteral("p54.bmp"));
        QCOMPARE(f.messages.size(), 2);
        QCOMPARE(f.board().SrcBitmap().pixel(1, 1), 0xFF000000u | (54 * 4));
        f.stroke({10, 10}, {60, 10});
        f.w->PictureSelect(0);
        f.w->PictureSelect(44);
        QCOMPARE(f.board().PWRecArray().c, 0);
        // Paging: 20-ish tiles per page at this width; past the end stays on a blank page.
        f.w->resize(1024, 728);
        QCOMPARE(f.w->PictureCount, 9);
        for (int i = 0; i < 8; ++i)
            f.w->Button1Click(f.w->Button2);
        QCOMPARE(f.w->PicturePage, 5);
        QCOMPARE(f.w->PictureButton[4]->Tag, 49);
        QCOMPARE(f.w->PictureButton[5]->Tag, -1);
        f.w->Button1Click(f.w->Button1);
        QCOMPARE(f.w->PicturePage, 4);
    }

    // Opened beyond the strip's first page, the page in view is made first.
    void pageInViewIsListedFirst()
    {
        QTemporaryDir pics;
        for (int i = 0; i < 30; ++i)
            QVERIFY(Colored(0xFF000000 | (i * 4))
                        .save(pics.filePath(QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0')))));
        Fixture f;
        const int threads = ThumbnailPool().MaxThreadCount();
        ThumbnailPool().SetMaxThreadCount(1);
        PictureLister::SetMaker(RecordedThumbnail);
        const auto restore = qScopeGuard([&] {
            PictureLister::SetMaker(nullptr);
            ThumbnailPool().SetMaxThreadCount(threads);
        });
        MadeOrder.clear();
        QVERIFY(f.open(pics.filePath(QStringLiteral("p25.bmp"))));
        const int count = f.w->PictureCount;
        QVERIFY(count > 0 && count < 25);
        QCOMPARE(f.w->PicturePage, 25 / count);
        // The opened picture's own thumbnail is made from what the board
        // read, not from its file again.
        QCOMPARE(f.w->PictureFiles.Files[25].Bitmap.pixel(45, 45), 0xFF000000 | (25 * 4));
        const std::lock_guard lock(MadeMutex);
        QCOMPARE(MadeOrder.size(), 29);
        QVERIFY(!MadeOrder.contains(QStringLiteral("p25.bmp")));
        int made = 0;
        for (int k = f.w->PicturePage * count; k < std::min(30, (f.w->PicturePage + 1) * count); ++k)
            if (k != 25)
                QCOMPARE(MadeOrder[made++], QStringLiteral("p%1.bmp").arg(k, 2, 10, QLatin1Char('0')));
    }

    // The window hands the setting to the thumbnail makers: off, a listed
    // folder leaves nothing in the shared cache; on, each picture has its entry.
    void sharingThumbnailsFollowsTheSetting()
    {
        QTemporaryDir pics;
        const QString a = pics.filePath(QStringLiteral("a.png")), b = pics.filePath(QStringLiteral("b.png"));
        QVERIFY(Colored(0xFF00FF00).save(a) && Colored(0xFF0000FF).save(b));
        const auto entry = [](const QString &path) {
            return SharedThumbnailRoot() + QStringLiteral("/normal/") + SharedThumbnailKeyOf(path).name;
        };
        Fixture f;
        Settings().isShareThumbnails = false;
        const auto restore = qScopeGuard([] { Settings().isShareThumbnails = true; });
        QVERIFY(f.open(a));
        QVERIFY(!QFileInfo::exists(entry(a)) && !QFileInfo::exists(entry(b)));
        Settings().isShareThumbnails = true;
        QVERIFY(f.open(a));
        QVERIFY(QFileInfo::exists(entry(a)) && QFileInfo::exists(entry(b)));
    }

    void badPicturesLoseNothing()
    {
        QTemporaryDir pics;
        QVERIFY(Colored(0xFF00FF00).save(pics.filePath(QStringLiteral("good.png"))));
        Write(pics.filePath(QStringLiteral("broken.png")), "not a png at all");
        Write(pics.filePath(QStringLiteral("bad.tga")), QByteArray(40, '\xFF'));
        Fixture f;
        f.stroke({10, 10}, {100, 10});
        // A corrupt file: a message naming it, and nothing changes.
        f.w->RunGuarded([&] { f.w->ImageOpen(pics.filePath(QStringLiteral("bad.tga"))); });
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].contains(QStringLiteral("bad.tga")));
        QVERIFY(f.w->isWBrd);
        QCOMPARE(f.board().PWRecArray().c, 0);
        QVERIFY(f.w->LastFile.isEmpty());
        // A folder with a broken picture lists it with a broken thumbnail.
        QVERIFY(f.open(pics.filePath(QStringLiteral("good.png"))));
        QCOMPARE(f.w->PictureFiles.Files.size(), 2);
        QVERIFY(!f.w->PictureFiles.Files[0].Error.isEmpty());
        QCOMPARE(f.w->PictureIndex, 1);
        f.stroke({10, 10}, {50, 50});
        f.w->PictureButtonExecute(f.w->PictureButton[0]);
        QCOMPARE(f.messages.size(), 2);
        QVERIFY(f.messages[1].contains(QStringLiteral("broken.png")));
        QCOMPARE(f.w->PictureIndex, 1);
        QCOMPARE(f.board().PWRecArray().c, 0);
        // Next skips nothing: it tries the broken entry, reports it, and stays.
        f.click(pwNext);
        QCOMPARE(f.w->PictureIndex, 1);
    }

    void saveAsAsksAboutTheFileItWrites()
    {
        QTemporaryDir out;
        Fixture f([&] { Settings().ImagePathDefault = out.path() + QLatin1Char('/'); });
        const QString png = out.filePath(QStringLiteral("lesson1.png"));
        Write(png, "the old lesson");
        QStringList asked;
        bool replace = false;
        TWBDMainFrm::QuestionSink = [&](const QString &q) {
            asked << q;
            return replace;
        };
        // Types "lesson1" with the PNG filter, as a teacher would; a dialog
        // shown again (after No) is cancelled.
        auto saveAs = [&](const QString &typed) {
            OnModal([&, typed](QDialog *d) {
                auto *fd = qobject_cast<QFileDialog *>(d);
                fd->selectNameFilter(fd->nameFilters().at(1));
                fd->selectFile(typed);
                if (!replace)
                    OnModal([](QDialog *again) { again->reject(); });
                d->accept();
            });
            f.w->ImageSaveAs();
        };
        saveAs(QStringLiteral("lesson1"));
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains(QStringLiteral("lesson1.png")), qPrintable(asked[0]));
        QFile old(png);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("the old lesson"));
        old.close();
        replace = true;
        saveAs(QStringLiteral("lesson1"));
        QCOMPARE(asked.size(), 2);
        QCOMPARE(QImage(png).size(), f.board().DspBitmap().size());
        // A new name asks nothing.
        saveAs(QStringLiteral("lesson2.jpg"));
        QCOMPARE(asked.size(), 2);
        QVERIFY(QFile::exists(out.filePath(QStringLiteral("lesson2.png"))));
        auto *notice = f.w->findChild<QLabel *>(QStringLiteral("SaveNotice"));
        QVERIFY(notice && notice->isVisible());
        QVERIFY2(notice->text().contains(QStringLiteral("lesson2.png")), qPrintable(notice->text()));
        TWBDMainFrm::QuestionSink = nullptr;
    }

    void closingDuringAListingEndsPromptly()
    {
        QTemporaryDir pics;
        for (int i = 0; i < 40; ++i)
            QVERIFY(Colored(0xFF000000 | (i * 5))
                        .save(pics.filePath(QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0')))));
        SlowListing slow;
        Fixture f;
        f.w->ImageOpen(pics.filePath(QStringLiteral("p00.png")));
        QVERIFY(f.w->IsListing());
        // The window answers meanwhile: a key pressed during the listing acts once it ends.
        const Single z = f.board().Zoom();
        QTest::keyClick(f.w.get(), Qt::Key_PageUp);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return f.w->PictureFiles.Files[1].Error.isEmpty() && f.w->PictureButton[1]->Bitmap().pixel(45, 45) != 0;
            },
            5000));
        QVERIFY(f.w->IsListing());
        QCOMPARE(f.board().Zoom(), z);
        QVERIFY(QTest::qWaitFor([&] { return !f.w->IsListing(); }, 20000));
        QVERIFY(f.board().Zoom() > z);
        // Closing mid-listing: the window goes at once, and the workers are
        // done with the pictures they were reading well within 2 s.
        f.w->ImageOpen(pics.filePath(QStringLiteral("p00.png")));
        QVERIFY(f.w->IsListing());
        QVERIFY(f.w->close());
        QVERIFY(!f.w->IsListing());
        f.w.reset();
        QVERIFY(ThumbnailPool().WaitForDone(2000));
    }

    void aFailedFolderReadChangesNothing()
    {
        if (geteuid() != 0 && access("/", W_OK) != 0)
            QSKIP("needs root to read a folder as another user");
        QTemporaryDir dir;
        const QString words = dir.filePath(QStringLiteral("words.txt"));
        Write(words, "one\ntwo\nthree\n");
        const QString hidden = dir.filePath(QStringLiteral("hidden"));
        QVERIFY(QDir().mkdir(hidden));
        const QString pic = hidden + QStringLiteral("/p.png");
        QVERIFY(Colored(0xFF00FF00).save(pic));
        // The picture can be read; its folder cannot be listed.
        QFile::setPermissions(dir.path(), QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ExeOther | QFileDevice::ExeGroup);
        QFile::setPermissions(hidden, QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOther | QFileDevice::ExeGroup);
        QFile::setPermissions(pic, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                                       | QFileDevice::ReadGroup);
        Fixture f;
        QVERIFY(f.open(words));
        QCOMPARE(f.w->PictureFiles.Files.size(), 3);
        const int was = setfsuid(65534); // nobody: root would read any folder
        QVERIFY(f.open(pic));
        setfsuid(uid_t(was));
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].contains(QStringLiteral("cannot be read")));
        // The word list is still the list, and its words still show as words.
        QVERIFY(f.w->isFuMode);
        QCOMPARE(f.w->PictureFiles.Files.size(), 3);
        f.w->PictureButtonExecute(f.w->PictureButton[1]);
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.w->PictureIndex, 1);
        QCOMPARE(f.board().FuCount(), 3);
    }

    void longWordListsOpenAtOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("many.txt"));
        QByteArray text;
        for (int i = 0; i < 100000; ++i)
            text += QByteArray::number(i) + '\n';
        Write(path, text);
        Fixture f;
        QVERIFY(f.open(path));
        QCOMPARE(f.w->PictureFiles.Files.size(), 100000);
        // Thumbnails only for the places the strip shows.
        int drawn = 0;
        for (const TPictureFile &e : f.w->PictureFiles.Files)
            drawn += e.Bitmap.isNull() ? 0 : 1;
        QVERIFY2(drawn <= PictureTileCount, qPrintable(QString::number(drawn)));
        QVERIFY(drawn >= 1);
        f.w->PictureSelect(99999);
        QCOMPARE(f.board().FuCount(), 5);
        // Over the size a word list can have: refused, naming the reason; nothing changes.
        const QString huge = dir.filePath(QStringLiteral("huge.txt"));
        Write(huge, QByteArray(int(MaxWordListBytes) + 1, 'a'));
        f.w->RunGuarded([&] { f.w->ImageOpen(huge); });
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].contains(QStringLiteral("too large")));
        QCOMPARE(f.w->PictureFiles.Files.size(), 100000);
        QCOMPARE(f.w->PictureIndex, 99999);
    }

    void savingInEveryFormat_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("ext");
        QTest::newRow("jpeg") << 1 << ".jpg";
        QTest::newRow("png") << 2 << ".png";
        QTest::newRow("bmp") << 3 << ".bmp";
        QTest::newRow("tga") << 4 << ".tga";
        QTest::newRow("psd") << 5 << ".psd";
    }
    void savingInEveryFormat()
    {
        QFETCH(int, kind);
        QFETCH(QString, ext);
        QTemporaryDir out;
        QTemporaryDir pics;
        QVERIFY(Colored(0xFFFFFFFF, 200, 100).save(pics.filePath(QStringLiteral("white.png"))));
        Fixture f;
        QVERIFY(f.open(pics.filePath(QStringLiteral("white.png"))));
        f.board().SetCrPen(Pen(0xFFFF0000, 10));
        f.board().ZoomReset();
        f.stroke({20, 50}, {180, 50});
        const QString name = f.w->ImageSaveToFile(out.filePath(QStringLiteral("lesson1.jpeg")), kind);
        QCOMPARE(name, out.filePath(QStringLiteral("lesson1") + ext));
        QVERIFY(QFile::exists(name));
        // An independent reader sees the stroke in its colour, and the picture around it.
        QProcess im;
        im.start(QStringLiteral("/usr/bin/convert"),
                 {name + (kind == 5 ? QStringLiteral("[0]") : QString()), QStringLiteral("-crop"),
                  QStringLiteral("1x1+100+50"), QStringLiteral("-depth"), QStringLiteral("8"),
                  QStringLiteral("txt:-")});
        if (!im.waitForStarted())
            QSKIP("ImageMagick is not installed");
        QVERIFY(im.waitForFinished());
        const QString txt = QString::fromLatin1(im.readAllStandardOutput());
        QVERIFY2(txt.contains(QStringLiteral("#FF0000")) || txt.contains(QStringLiteral("#FE0000"))
                     || txt.contains(QStringLiteral("#FF0100")),
                 qPrintable(txt));
        if (kind == 5) {
            QProcess id;
            id.start(QStringLiteral("/usr/bin/identify"),
                     {QStringLiteral("-format"), QStringLiteral("%[label];"), name});
            QVERIFY(id.waitForFinished());
            QCOMPARE(QString::fromLatin1(id.readAllStandardOutput()), QStringLiteral(";Layer0;Layer1;"));
        }
        // Quick saves in the same second keep both files.
        Settings().ImagePathDefault = out.path() + QLatin1Char('/');
        Settings().ImageTypeDefault = kind;
        f.click(pwSave);
        f.click(pwSave);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 3);
    }

    void wordList()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("words.txt"));
        Write(path, "ABCDEFGH\r\n\r\nxy\r\n");
        Fixture f;
        f.w->ImageOpen(path);
        QVERIFY(f.w->isFuMode);
        QCOMPARE(f.board().FuCount(), 8);
        QCOMPARE(f.board().SrcBitmap().width(), 4000);
        QCOMPARE(f.w->PictureFiles.Files.size(), 2);
        QCOMPARE(f.w->PictureFiles.Files[0].FileName, QStringLiteral("ABCDEFGH"));
        QCOMPARE(f.w->PictureIndex, 0);
        f.click(pwNext);
        QCOMPARE(f.board().FuCount(), 2);
        QCOMPARE(f.board().SrcBitmap().width(), 1000);
    }

    void penStateToggles()
    {
        Fixture f;
        const TPWMenuItem a = Pen(0xFF000000), b = Pen(0xFFFF0000);
        f.w->MenuButtonClick(a);
        f.click(pwEr);
        QCOMPARE(f.board().CrPen().PenType, pwEr);
        f.click(pwEr);
        QCOMPARE(f.board().CrPen(), a);
        // Eraser, move, move: back to the pen.
        f.click(pwEr);
        f.click(pwMove);
        f.click(pwMove);
        QCOMPARE(f.board().CrPen(), a);
        // Pen A, eraser, pen B, eraser, eraser: pen B.
        f.click(pwEr);
        f.w->MenuButtonClick(b);
        f.click(pwEr);
        f.click(pwEr);
        QCOMPARE(f.board().CrPen(), b);
        // Stock pens step with keypad / and wrap from 9 to 0.
        f.w->PenIndex = 8;
        QTest::keyClick(f.w.get(), Qt::Key_Slash, Qt::KeypadModifier);
        QCOMPARE(f.w->PenIndex, 9);
        QCOMPARE(f.board().CrPen(), Settings().StockPens[9]);
        QTest::keyClick(f.w.get(), Qt::Key_Slash, Qt::KeypadModifier);
        QCOMPARE(f.w->PenIndex, 0);
        // A stock-pen entry beyond the ten pens chooses nothing.
        const TPWMenuItem before = f.board().CrPen();
        f.w->MenuButtonClick(MakeMenuItem(pwMarkPtr, 12, 1));
        QCOMPARE(f.board().CrPen(), before);
        QCOMPARE(f.w->PenIndex, 0);
        QVERIFY(!f.w->isWorking);
    }

    void keysPanAndZoom()
    {
        Fixture f;
        TPWImage &b = f.board();
        // A sixteenth of the board's height for a picture wider than high, else of its width.
        const bool wide = b.SrcBitmap().width() > b.SrcBitmap().height();
        const double s = (wide ? b.height() : b.width()) / 16.0;
        auto x0 = b.ZoomPosition().x();
        QTest::keyClick(f.w.get(), Qt::Key_Right);
        QVERIFY(std::abs((b.ZoomPosition().x() - x0) * b.Zoom() - s) < 1e-3);
        x0 = b.ZoomPosition().x();
        QTest::keyClick(f.w.get(), Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(std::abs((b.ZoomPosition().x() - x0) * b.Zoom() + 4 * s) < 1e-3);
        x0 = b.ZoomPosition().x();
        QTest::keyClick(f.w.get(), Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
        QVERIFY(std::abs((b.ZoomPosition().x() - x0) * b.Zoom() + 1) < 1e-3);
        const Single z = b.Zoom();
        QTest::keyClick(f.w.get(), Qt::Key_PageUp, Qt::ShiftModifier);
        QCOMPARE(b.Zoom(), z * Single(1.2));
        QTest::keyClick(f.w.get(), Qt::Key_3, Qt::KeypadModifier);
        QCOMPARE(b.Zoom(), z * Single(1.2) / Single(1.2));
        // Unmapped keys run nothing; keys while the board works run nothing.
        f.stroke({10, 10}, {50, 50});
        QTest::keyClick(f.w.get(), Qt::Key_A);
        QTest::keyClick(f.w.get(), Qt::Key_Escape);
        QCOMPARE(b.PWRecArray().c, 0);
        b.PWMouseDown(10, 10);
        QTest::keyClick(f.w.get(), Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(b.PWRecArray().c, 0);
        b.PWMouseUp(10, 10);
        QTest::keyClick(f.w.get(), Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(b.PWRecArray().p, 2); // the click drew a dot
        QCOMPARE(b.PWRecArray().Rec[2].Menu.PenType, pwEraseAll);
    }

    // Erase All, by keypad minus or its tile, can be undone and redone, on a
    // picture and on the white board, also after going elsewhere and back.
    void eraseAllCanBeUndone()
    {
        QTemporaryDir pics;
        QVERIFY(Colored(0xFFFFFFFF).save(pics.filePath(QStringLiteral("p1.png"))));
        QVERIFY(Colored(0xFF808080).save(pics.filePath(QStringLiteral("p2.png"))));
        Fixture f;
        TPWImage &b = f.board();
        auto inked = [&](QPointF p) { return qAlpha(b.PenBitmap().pixel(p.toPoint())) == 255; };
        // The white board, with the Erase All tile.
        f.w->MenuButtonClick(Pen(0xFF000000));
        f.stroke({10, 10}, {100, 10});
        TMetroButton *eraseTile = nullptr;
        for (TMetroButton *t : f.w->MenuButton)
            if (t && t->isVisible() && t->Tag >= 0 && t->Tag < Settings().MenuCount
                && Settings().MenuItems[size_t(t->Tag)].PenType == pwEraseAll)
                eraseTile = t;
        QVERIFY(eraseTile);
        QTest::mouseClick(eraseTile, Qt::LeftButton, Qt::NoModifier, eraseTile->rect().center());
        QVERIFY(!inked({50, 10}));
        f.click(pwUndo);
        QVERIFY(inked({50, 10}));
        f.click(pwRedo);
        QVERIFY(!inked({50, 10}));
        f.click(pwUndo);
        // A picture, with keypad minus.
        QVERIFY(f.open(pics.filePath(QStringLiteral("p1.png"))));
        f.stroke({20, 20}, {60, 60});
        QTest::keyClick(f.w.get(), Qt::Key_Minus, Qt::KeypadModifier);
        QVERIFY(!inked({40, 40}));
        QCOMPARE(b.DspBitmap().pixel(40, 40), 0xFFFFFFFFu);
        f.click(pwUndo);
        QVERIFY(inked({40, 40}));
        QCOMPARE(b.DspBitmap().pixel(40, 40), 0xFF000000u);
        f.click(pwRedo);
        QVERIFY(!inked({40, 40}));
        // Elsewhere and back: the erase-all came along and can still be undone.
        f.w->PictureSelect(1);
        f.w->PictureSelect(0);
        QVERIFY(!inked({40, 40}));
        f.click(pwUndo);
        QVERIFY(inked({40, 40}));
        // The white board kept its own: the stroke, erased then undone.
        f.click(pwWBrd);
        QVERIFY(inked({50, 10}));
        QCOMPARE(b.PWRecArray().c, 1);
    }

    // With widths as seen on the screen (the default), a stroke on the
    // fitted white board is as thick on the screen as the header's sample.
    void headerSampleAgreesWithTheStroke()
    {
        Fixture f;
        TPWImage &b = f.board();
        QVERIFY(b.Zoom() < 0.9); // the screen-sized white board, fitted into the window
        f.w->MenuButtonClick(Pen(0xFF000000, 8));
        const QImage header = f.w->MenuRectangle->grab().toImage();
        const int x = header.width() - 40;
        int sample = 0;
        for (int y = 0; y < header.height(); ++y)
            sample += qGray(header.pixel(x, y)) < 128;
        b.PWMouseDown(100, 200);
        b.PWMouseMove(200, 200);
        b.PWMouseMove(300, 200);
        b.PWMouseUp(300, 200);
        int stroke = 0;
        for (int y = 180; y < 220; ++y)
            stroke += qGray(b.Bitmap().pixel(200, y)) < 128;
        QVERIFY2(qAbs(stroke - sample) <= 1, qPrintable(QStringLiteral("%1 %2").arg(stroke).arg(sample)));
    }

    void headerHidesAndRestores()
    {
        Fixture f;
        f.w->MenuRectangleClick();
        QCOMPARE(f.w->MenuPanel->width(), 0);
        QCOMPARE(f.w->PicturePanel->height(), 0);
        QCOMPARE(f.board().width(), f.w->width());
        QVERIFY(bool(f.board().PWMenu()));
        f.board().PWMenu()(&f.board());
        QCOMPARE(f.w->MenuPanel->width(), 140);
        QCOMPARE(f.w->PicturePanel->height(), 100);
        QVERIFY(!f.board().PWMenu());
    }

    // No dialog is built with the window; each command builds its dialog on
    // first use and uses the same one again after that.
    void dialogsAreBuiltOnFirstUse()
    {
        Fixture f;
        QVERIFY(f.w->findChildren<QDialog *>().isEmpty());
        const struct {
            TPWPenType command;
            const char *dialog;
        } uses[] = {{pwInfo, "TAboutDlg"},  {pwLaunch, "TLnchDlg"}, {pwPenSetup, "TPenSetupDlg"},
                    {pwSetup, "TSetupDlg"}, {pwInfo, "TAboutDlg"},  {pwSetup, "TSetupDlg"}};
        QStringList built;
        for (const auto &use : uses) {
            QString opened;
            OnModal([&](QDialog *d) { opened = QString::fromLatin1(d->metaObject()->className()); });
            f.click(use.command);
            QCOMPARE(opened, QString::fromLatin1(use.dialog));
            if (!built.contains(opened))
                built << opened;
            QStringList children;
            for (const QDialog *d : f.w->findChildren<QDialog *>(Qt::FindDirectChildrenOnly))
                children << QString::fromLatin1(d->metaObject()->className());
            children.sort();
            QStringList expected = built;
            expected.sort();
            QCOMPARE(children, expected);
        }
        QVERIFY(!f.w->isWorking);
    }

    // A drawing on a transparent background: over white on the board and in
    // the formats without alpha, its transparency kept in the others.
    void transparentPictures()
    {
        QTemporaryDir dir;
        QImage pic(200, 100, QImage::Format_ARGB32);
        pic.fill(Qt::transparent);
        {
            QPainter p(&pic);
            p.fillRect(QRect(90, 0, 20, 100), Qt::black);
        }
        const QString path = dir.filePath(QStringLiteral("drawing.png"));
        QVERIFY(pic.save(path));
        Fixture f;
        QVERIFY(f.open(path));
        const QImage &screen = f.board().Bitmap();
        const QPoint clear = f.board().PictureToScreen(QPointF(20, 50)).toPoint();
        const QPoint bar = f.board().PictureToScreen(QPointF(100, 50)).toPoint();
        QCOMPARE(QColor(screen.pixel(clear)), QColor(Qt::white));
        QCOMPARE(QColor(screen.pixel(bar)), QColor(Qt::black));
        for (int kind = 1; kind <= 4; ++kind) {
            const QString name = f.w->ImageSaveToFile(dir.filePath(QStringLiteral("out")), kind);
            TFMXBitmapEx back;
            back.LoadFromFileEx(name, 0);
            const QRgb c = back.pixel(20, 50), b = back.pixel(100, 50);
            if (kind == 1 || kind == 3) {
                QVERIFY2(qAlpha(c) == 255 && qRed(c) > 245 && qGreen(c) > 245 && qBlue(c) > 245, qPrintable(name));
                QVERIFY2(qAlpha(b) == 255 && qRed(b) < 10, qPrintable(name));
            } else {
                QVERIFY2(qAlpha(c) == 0, qPrintable(name));
                QVERIFY2(qAlpha(b) == 255 && qRed(b) == 0, qPrintable(name));
            }
        }
    }

    // After a save a notice on the board tells the file's name and folder.
    // It is no part of the board's pictures, takes no focus and goes by itself.
    void saveShowsWhereThePictureWent()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            if (oldConfig.isNull())
                qunsetenv("XDG_CONFIG_HOME");
            else
                qputenv("XDG_CONFIG_HOME", oldConfig);
        });
        const QString out = home.filePath(QStringLiteral("lessons"));
        QVERIFY(QDir().mkpath(out));
        Fixture f([&] {
            Settings().ImagePathDefault = out + QLatin1Char('/');
            Settings().ImageTypeDefault = 2;
        });
        f.w->activateWindow();
        QWidget *focused = QApplication::focusWidget();
        const QImage screen = f.board().Bitmap().copy();
        f.click(pwSave);
        auto *notice = f.w->findChild<QLabel *>(QStringLiteral("SaveNotice"));
        QVERIFY(notice && notice->isVisible());
        const QStringList saved = QDir(out).entryList(QDir::Files);
        QCOMPARE(saved.size(), 1);
        QVERIFY2(notice->text().contains(saved[0]) && notice->text().contains(QDir::toNativeSeparators(out)),
                 qPrintable(notice->text()));
        QVERIFY(!notice->isWindow());
        QCOMPARE(notice->focusPolicy(), Qt::NoFocus);
        QCOMPARE(QApplication::focusWidget(), focused);
        QCOMPARE(f.board().Bitmap(), screen);
        QCOMPARE(ToBitmap(QImage(out + QLatin1Char('/') + saved[0])), f.board().DspBitmap());
        QTRY_VERIFY_WITH_TIMEOUT(!notice->isVisible(), 15000);

        // The default folder is gone: the picture goes to the picture folder, and the notice says so.
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Pictures"))));
        Settings().ImagePathDefault = home.filePath(QStringLiteral("gone/"));
        f.click(pwSave);
        QVERIFY(notice->isVisible());
        const QStringList inPictures = QDir(home.filePath(QStringLiteral("Pictures"))).entryList(QDir::Files);
        QCOMPARE(inPictures.size(), 1);
        QVERIFY2(notice->text().contains(QStringLiteral("does not exist"))
                     && notice->text().contains(QDir::toNativeSeparators(home.filePath(QStringLiteral("gone"))))
                     && notice->text().contains(inPictures[0])
                     && notice->text().contains(QDir::toNativeSeparators(home.filePath(QStringLiteral("Pictures")))),
                 qPrintable(notice->text()));

        // No picture folder at all: the home folder stands in for it, and the notice says so.
        QVERIFY(QDir(home.filePath(QStringLiteral("Pictures"))).removeRecursively());
        Settings().ImagePathDefault = GetMyPicturesFolder();
        QCOMPARE(Settings().ImagePathDefault, home.path() + QLatin1Char('/'));
        f.click(pwSave);
        const QStringList inHome = QDir(home.path()).entryList(QDir::Files);
        QCOMPARE(inHome.size(), 1);
        QVERIFY2(notice->text().contains(QStringLiteral("no picture folder")) && notice->text().contains(inHome[0]),
                 qPrintable(notice->text()));
    }

    // Keypad / goes on from the stock pen in use, whatever the setup dialog showed.
    void stockPenStepAfterSetup()
    {
        Fixture f;
        f.w->MenuButtonClick(MakeMenuItem(pwMarkPtr, 4, 1));
        QCOMPARE(f.board().CrPen(), Settings().StockPens[4]);
        for (bool ok : {true, false}) {
            OnModal([ok](QDialog *d) {
                auto *s = static_cast<TSetupDlg *>(d);
                QPushButton *b = ok ? s->BtnOK : s->BtnCancel;
                QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
            });
            f.click(pwSetup);
            QTest::keyClick(f.w.get(), Qt::Key_Slash, Qt::KeypadModifier);
            QCOMPARE(f.board().CrPen(), Settings().StockPens[ok ? 5 : 6]);
        }
    }

    // A tool bar too short for its entries keeps the launcher beside Setup.
    void launcherStaysReachable()
    {
        Fixture f;
        f.w->resize(1024, 500);
        const int crSetup = f.w->CrSetup;
        QVERIFY(crSetup < Settings().MenuCount - 1);
        QCOMPARE(f.w->MenuButton[crSetup - 1]->Text(), QStringLiteral("Menu ..."));
        QString opened;
        OnModal([&](QDialog *d) { opened = QString::fromLatin1(d->metaObject()->className()); });
        f.w->MenuButtonExecute(f.w->MenuButton[crSetup - 1]);
        QCOMPARE(opened, QStringLiteral("TLnchDlg"));
    }

    // A word list without a word says so and changes nothing.
    void emptyWordList()
    {
        QTemporaryDir dir;
        QVERIFY(Colored(0xFF336699).save(dir.filePath(QStringLiteral("a.png"))));
        const QString empty = dir.filePath(QStringLiteral("empty.txt"));
        Write(empty, "\r\n\n\r");
        Fixture f;
        QVERIFY(f.open(dir.filePath(QStringLiteral("a.png"))));
        f.stroke({10, 10}, {60, 10});
        f.w->RunGuarded([&] { f.w->ImageOpen(empty); });
        QCOMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages[0].contains(QStringLiteral("holds no words"))
                     && f.messages[0].contains(QStringLiteral("empty.txt")),
                 qPrintable(f.messages[0]));
        QVERIFY(!f.w->isFuMode);
        QCOMPARE(f.w->PictureIndex, 0);
        QCOMPARE(f.w->PictureFiles.Files.size(), 1);
        QCOMPARE(f.board().PWRecArray().c, 0);
        QCOMPARE(f.board().SrcBitmap().pixel(5, 5), 0xFF336699u);
        QCOMPARE(f.w->LastFile, dir.filePath(QStringLiteral("a.png")));
    }

    // Opening, choosing and turning a picture show the busy cursor while they work.
    void busyCursorWhileReadingAndTurning()
    {
        QTemporaryDir dir;
        QVERIFY(Colored(0xFF336699, 400, 300).save(dir.filePath(QStringLiteral("a.png"))));
        QVERIFY(Colored(0xFF996633, 400, 300).save(dir.filePath(QStringLiteral("b.png"))));
        Fixture f;
        QStringList seen;
        TWBDMainFrm::BusyProbe = [&](const QString &what) {
            const QCursor *c = QApplication::overrideCursor();
            if (c && c->shape() == Qt::WaitCursor)
                seen << what;
        };
        QVERIFY(f.open(dir.filePath(QStringLiteral("a.png"))));
        f.w->PictureButtonExecute(f.w->PictureButton[1]);
        f.click(pwTurnR);
        f.click(pwTurnL);
        TWBDMainFrm::BusyProbe = nullptr;
        QCOMPARE(seen, (QStringList{QStringLiteral("open"), QStringLiteral("select"), QStringLiteral("turn"),
                                    QStringLiteral("turn")}));
        QVERIFY(!QApplication::overrideCursor());
    }

    // Assistive technology finds every tile of the tool bar by its caption,
    // the board, and the strip's thumbnails by their pictures' names; and a
    // tile pressed through it runs as a click would.
    void accessibleByName()
    {
        QTemporaryDir pics;
        QVERIFY(Colored(0xFFFF0000).save(pics.filePath(QStringLiteral("apple.png")), "PNG"));
        QVERIFY(Colored(0xFF00FF00).save(pics.filePath(QStringLiteral("pear.png")), "PNG"));
        Fixture f;
        QVERIFY(f.open(pics.filePath(QStringLiteral("apple.png"))));
        QList<QAccessibleInterface *> all;
        Walk(QAccessible::queryAccessibleInterface(f.w.get()), all);

        int tiles = 0;
        for (TMetroButton *b : f.w->MenuButton) {
            if (!b || !b->isVisible() || b->Text().isEmpty())
                continue;
            ++tiles;
            QVERIFY2(Named(all, QAccessible::Button, b->Text().simplified()), qPrintable(b->Text()));
        }
        QVERIFY(tiles > 10);
        QVERIFY(Named(all, QAccessible::Canvas, QStringLiteral("Board")));
        QVERIFY(Named(all, QAccessible::Button, QStringLiteral("pear.png")));
        QVERIFY(Named(all, QAccessible::Button, QStringLiteral("Next pictures")));

        QAccessibleInterface *pear = Named(all, QAccessible::Button, QStringLiteral("pear.png"));
        pear->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.w->PictureIndex, 1);
        QVERIFY(pear->state().checked == false);
    }

    // Export takes every entry's strokes, also of the entries not shown,
    // and Replay and a key afterwards leave the board as it was.
    void exportsEveryEntryWithItsStrokes()
    {
        QTemporaryDir pics, out;
        for (const char *name : {"a.png", "b.png"})
            QVERIFY(Colored(0xFFFFFFFF, 200, 100).save(pics.filePath(QString::fromLatin1(name)), "PNG"));
        Fixture f;
        QVERIFY(f.open(pics.filePath(QStringLiteral("a.png"))));
        f.board().SetCrPen(Pen(0xFFFF0000, 10));
        f.stroke({20, 30}, {180, 30}); // a.png: a line near the top
        f.click(pwNext);
        f.board().SetCrPen(Pen(0xFF0000FF, 10));
        f.stroke({20, 70}, {180, 70}); // b.png, shown: near the bottom
        Settings().ImageTypeDefault = 2; // PNG
        QVERIFY(f.w->ExportTo(out.path(), false));
        const QImage a(out.filePath(QStringLiteral("a.png"))), b(out.filePath(QStringLiteral("b.png")));
        QCOMPARE(a.pixel(100, 30), 0xFFFF0000u);
        QCOMPARE(a.pixel(100, 70), 0xFFFFFFFFu);
        QCOMPARE(b.pixel(100, 70), 0xFF0000FFu);
        QCOMPARE(b.pixel(100, 30), 0xFFFFFFFFu);
        QVERIFY(f.messages.isEmpty());

        const QImage shown = f.board().DspBitmap().copy();
        f.click(pwReplay);
        QVERIFY(f.board().IsReplaying());
        QTest::keyClick(f.w.get(), Qt::Key_PageUp); // a key stops it, and does nothing else
        QVERIFY(!f.board().IsReplaying());
        QCOMPARE(f.board().DspBitmap(), shown);
        QCOMPARE(f.board().PWRecArray().c, 0);
    }

    void startsBehindTheSplash_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("centred") << false;
        QTest::newRow("maximised") << true;
    }

    // The window is built behind the splash, yet the splash stays up for its
    // full time and is gone before the window shows.
    void startsBehindTheSplash()
    {
        QFETCH(bool, maximized);
        QTemporaryDir config;
        SetSettingsFolder(config.path());
        LoadSettings();
        Settings().isMaximized = maximized;
        WriteSetupIni();

        struct Watch : QObject {
            QElapsedTimer clock;
            QStringList order;
            qint64 splashShown = -1, splashGone = -1;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() != QEvent::Show && e->type() != QEvent::Hide)
                    return false;
                const bool show = e->type() == QEvent::Show;
                if (qobject_cast<QSplashScreen *>(o)) {
                    order << (show ? QStringLiteral("splash shown") : QStringLiteral("splash gone"));
                    (show ? splashShown : splashGone) = clock.elapsed();
                } else if (qobject_cast<TWBDMainFrm *>(o) && show) {
                    order << QStringLiteral("window shown");
                }
                return false;
            }
        } watch;
        watch.clock.start();
        qApp->installEventFilter(&watch);
        const std::unique_ptr<TWBDMainFrm> w = StartBehindSplash();
        qApp->removeEventFilter(&watch);

        QCOMPARE(watch.order, (QStringList{QStringLiteral("splash shown"), QStringLiteral("splash gone"),
                                           QStringLiteral("window shown")}));
        QVERIFY2(watch.splashGone - watch.splashShown >= SplashMilliseconds,
                 qPrintable(QStringLiteral("the splash was up %1 ms").arg(watch.splashGone - watch.splashShown)));
        QVERIFY(w->isVisible());
        QCOMPARE(w->isMaximized(), maximized);
        if (!maximized) {
            QCOMPARE(w->size(), QSize(1024, 728));
            // centred, give or take the window frame
            QVERIFY((w->geometry().center() - w->screen()->availableGeometry().center()).manhattanLength() <= 8);
        }
        // It shows the white board with the start pen.
        QCOMPARE(w->PictureIndex, -1);
        QVERIFY(w->isWBrd);
        QCOMPARE(w->PWImage->CrPen(), Settings().StockPens[0]);
    }
};

QTEST_MAIN(TestMainFrame)
#include "test_mainframe.moc"
