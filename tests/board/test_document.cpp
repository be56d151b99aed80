// The board document on its own, without widgets: operation sequences of
// every kind leave layers that equal a replay of the history.
#include "../fuzz/board/BoardOps.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

class TestDocument : public QObject
{
    Q_OBJECT
private slots:
    void handMadeSequences_data()
    {
        QTest::addColumn<QByteArray>("ops");
        // Operation bytes: 0/1 stroke, 2 undo, 3 redo, 4 erase-all, 5 turn,
        // 6 lasso, 7 move, 8 drop, 9 undo budget (see BoardOps.h).
        const QByteArray pen("\x00\x00\x01\x05\x00\x00\x03\x10\x10\x80\x80\xf0\x20", 13);
        const QByteArray numbered("\x00\x0a\x00\x08\x00\x01\x02\x20\x20\x40\x40", 11);
        const QByteArray lasso("\x06\x03\x00\x00\xff\x00\xff\xff\x00\xff", 10);
        QTest::newRow("strokes, undo, redo") << QByteArray("\x00", 1) + pen + numbered + "\x02\x02\x03\x03";
        QTest::newRow("erase-all undone and redone")
            << QByteArray("\x00", 1) + pen + "\x04\x02\x03" + numbered + "\x02";
        QTest::newRow("turns between strokes")
            << QByteArray("\x01\x40", 2) + pen + "\x05\x01" + numbered + "\x05\x00\x02\x02";
        QTest::newRow("picked up, moved, dropped, undone")
            << QByteArray("\x02", 1) + pen + numbered + lasso + "\x07\x14\x00" + "\x08\x02\x02\x03";
        QTest::newRow("no undo patches") << QByteArray("\x00\x09\x00", 3) + pen + numbered + "\x02\x02\x03";
    }

    void handMadeSequences()
    {
        QFETCH(QByteArray, ops);
        const QString why = boardops::Run(reinterpret_cast<const uint8_t *>(ops.constData()), size_t(ops.size()));
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void randomSequences()
    {
        // Fixed seeds: a failure names the sequence that shows it.
        for (quint32 seed = 1; seed <= 150; ++seed) {
            QRandomGenerator rng(seed);
            QByteArray ops(200, Qt::Uninitialized);
            for (char &c : ops)
                c = char(rng.bounded(256));
            const QString why = boardops::Run(reinterpret_cast<const uint8_t *>(ops.constData()), size_t(ops.size()));
            QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("seed %1, %2").arg(seed).arg(why)));
        }
    }

    void fuzzCorpus()
    {
        // The fuzzer's seeds and every input that once broke it.
        const QString root = qEnvironmentVariable("TW_SOURCE_DIR") + QStringLiteral("/fuzz/board");
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        int files = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String(".h")) || path.endsWith(QLatin1String(".cpp"))
                || path.endsWith(QLatin1String(".txt")))
                continue;
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray ops = f.readAll();
            const QString why = boardops::Run(reinterpret_cast<const uint8_t *>(ops.constData()), size_t(ops.size()));
            QVERIFY2(why.isEmpty(), qPrintable(path + QStringLiteral(": ") + why));
            ++files;
        }
        QVERIFY2(files > 0, "the fuzzer's corpus is missing");
    }
};

QTEST_MAIN(TestDocument)
#include "test_document.moc"
