// Kept lessons through the main window: the strokes of pictures, words and
// the white board come back in a new window sharing the store, found by
// content; undo and redo go on where they were.
#include "app/MainFrm.h"
#include "settings/Settings.h"
#include "store/LessonStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void SavePicture(const QString &path, QRgb colour)
{
    QImage img(120, 80, QImage::Format_RGB32);
    img.fill(colour);
    QVERIFY(img.save(path));
}

// A window over a store in a folder of its own, as the program makes them.
struct Lesson {
    LessonStore store;
    std::unique_ptr<TWBDMainFrm> w;
    QStringList problems;
    explicit Lesson(const QString &db)
    {
        QObject::connect(&store, &LessonStore::Problem, [this](const QString &m) { problems << m; });
        store.Open(db);
        QCoreApplication::processEvents();
        if (!store.IsOpen())
            qWarning() << "the store did not open:" << problems;
        w = std::make_unique<TWBDMainFrm>();
        w->SetLessonStore(&store);
        w->show();
    }
    ~Lesson()
    {
        w.reset();
        store.MarkCleanExit();
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
        w->ImageOpen(path);
        return QTest::qWaitFor([&] { return !w->IsListing(); }, 20000);
    }
    int strokes() { return board().PWRecArray().p + 1; }
};
} // namespace

class TestLessons : public QObject
{
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void init()
    {
        SetSettingsFolder(m_config.path());
        SetDefaultSettings();
        WriteSetupIni();
        TWBDMainFrm::MessageSink = [](const QString &) {};
        TWBDMainFrm::QuestionSink = [](const QString &) { return true; };
    }

    void cleanup()
    {
        TWBDMainFrm::MessageSink = nullptr;
        TWBDMainFrm::QuestionSink = nullptr;
    }

    // Pictures are known by content: a renamed one keeps its strokes, a
    // same-named one in another folder has its own, a changed one starts clean.
    void picturesKnownByContent()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("data/lessons.db");
        QVERIFY(QDir().mkpath(dir.filePath("a")) && QDir().mkpath(dir.filePath("b")));
        SavePicture(dir.filePath("a/p.png"), 0xFFFFC0C0);
        SavePicture(dir.filePath("b/p.png"), 0xFFC0C0FF);
        {
            Lesson l(db);
            QVERIFY(l.open(dir.filePath("a/p.png")));
            l.stroke({10, 10}, {60, 40});
            l.stroke({20, 50}, {80, 50});
            QVERIFY2(l.store.Flush() || (QTest::qWait(100), false), qPrintable(l.problems.join(QLatin1Char('\n'))));
        }
        QVERIFY(QFile::rename(dir.filePath("a/p.png"), dir.filePath("b/renamed.png")));
        Lesson l(db);
        QVERIFY(l.open(dir.filePath("b/renamed.png")));
        QCOMPARE(l.strokes(), 2);
        QVERIFY(l.open(dir.filePath("b/p.png")));
        QCOMPARE(l.strokes(), 0);
        SavePicture(dir.filePath("b/renamed.png"), 0xFFC0FFC0);
        QVERIFY(l.open(dir.filePath("b/renamed.png")));
        QCOMPARE(l.strokes(), 0);
    }

    // Undo and redo go on after the program was closed; the white board and
    // the words of a list keep theirs too.
    void undoRedoAfterRestartAndWords()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("data/lessons.db");
        const QString list = dir.filePath("words.txt");
        {
            QFile f(list);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("cat\ndog\n");
        }
        {
            Lesson l(db);
            l.stroke({10, 10}, {60, 40}); // the white board
            l.stroke({20, 50}, {80, 50});
            l.board().PWUndo();
            QVERIFY(l.open(list));
            l.w->PictureSelect(1);
            l.stroke({100, 100}, {300, 200});
            QVERIFY2(l.store.Flush() || (QTest::qWait(100), false), qPrintable(l.problems.join(QLatin1Char('\n'))));
        }
        Lesson l(db);
        QCOMPARE(l.board().PWRecArray().p, 0);
        QCOMPARE(l.board().PWRecArray().c, 1);
        l.board().PWRedo();
        QCOMPARE(l.strokes(), 2);
        QVERIFY(l.open(list));
        QCOMPARE(l.strokes(), 0); // "cat"
        l.w->PictureSelect(1);
        QCOMPARE(l.strokes(), 1); // "dog"
    }

    // Forgetting asks first; a No keeps everything, a Yes empties the store.
    void forgetAsksFirst()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("data/lessons.db");
        QStringList asked;
        for (const bool yes : {false, true}) {
            {
                Lesson l(db);
                l.stroke({10, 10}, {60, 40});
                TWBDMainFrm::QuestionSink = [&](const QString &q) {
                    asked << q;
                    return yes;
                };
                l.w->ForgetKeptStrokes();
                QVERIFY(l.store.Flush());
            }
            Lesson l(db);
            QCOMPARE(l.strokes(), yes ? 0 : 1);
        }
        QCOMPARE(asked.size(), 2);
        QVERIFY(asked[0].startsWith(QStringLiteral("Forget the strokes kept")));
    }

    // Switched off, nothing comes back and nothing is kept.
    void switchedOff()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("data/lessons.db");
        {
            Lesson l(db);
            l.stroke({10, 10}, {60, 40});
            QVERIFY2(l.store.Flush() || (QTest::qWait(100), false), qPrintable(l.problems.join(QLatin1Char('\n'))));
        }
        Settings().isKeepStrokes = false; // the window reads its settings file
        WriteSetupIni();
        {
            Lesson l(db);
            QCOMPARE(l.strokes(), 0);
            l.stroke({10, 10}, {60, 40});
            l.stroke({10, 20}, {60, 40});
            QVERIFY2(l.store.Flush() || (QTest::qWait(100), false), qPrintable(l.problems.join(QLatin1Char('\n'))));
        }
        Settings().isKeepStrokes = true;
        WriteSetupIni();
        Lesson l(db);
        QCOMPARE(l.strokes(), 1);
    }
};

QTEST_MAIN(TestLessons)
#include "test_lessons.moc"
