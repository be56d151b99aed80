// The stroke history: appends, undo and redo, copies, and the rule by which
// later edit and turn records move earlier strokes.
#include "board/PWRec.h"

#include <QtTest>

namespace {
TPathData Path(std::initializer_list<QPointF> pts)
{
    TPathData p;
    bool first = true;
    for (const QPointF &q : pts) {
        if (first)
            p.MoveTo(q);
        else
            p.LineTo(q);
        first = false;
    }
    return p;
}

const TPWMenuItem Pen = MakeMenuItem(pwPn, 0xFF000000, 4);

bool Near(const QPointF &a, const QPointF &b)
{
    return std::abs(a.x() - b.x()) < 1e-3 && std::abs(a.y() - b.y()) < 1e-3;
}
} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private slots:
    void undoRedoAndNewStroke()
    {
        TPWRecArray h;
        h.RecInit();
        QVERIFY(!h.RecCanUndo());
        h.RecAddLine(Pen, Path({{1, 1}, {2, 2}}));
        QCOMPARE(h.p, 0);
        QCOMPARE(h.c, 0);
        h.RecUndo();
        QCOMPARE(h.p, -1);
        QCOMPARE(h.c, 0);
        QVERIFY(!h.RecCanUndo());
        QVERIFY(h.RecCanRedo());
        h.RecRedo();
        QCOMPARE(h.p, 0);
        h.RecUndo();
        // A new stroke discards the redo entry for good.
        h.RecAddLine(Pen, Path({{5, 5}}));
        QCOMPARE(h.p, 0);
        QCOMPARE(h.c, 0);
        QVERIFY(!h.RecCanRedo());
        QCOMPARE(h.Rec[0].Points.size(), 1);
        QCOMPARE(h.Rec[0].Points[0], QPointF(5, 5));
    }

    void emptyAppendsAddNothing()
    {
        TPWRecArray h;
        h.RecAddLine(Pen, TPathData());
        QCOMPARE(h.c, -1);
        h.RecAddEdit(MatTranslate(3, 4), TLines());
        QCOMPARE(h.c, -1);
        h.RecAddLine(Pen, Path({{0, 0}}));
        h.RecAddEdit(MatIdentity(), TLines{0});
        QCOMPARE(h.c, 0);
    }

    void capacityGrowsByHundred()
    {
        TPWRecArray h;
        QCOMPARE(h.Capacity(), 0);
        h.RecAddLine(Pen, Path({{0, 0}}));
        QCOMPARE(h.Capacity(), 100);
        for (int i = 1; i < 100; ++i)
            h.RecAddLine(Pen, Path({{double(i), 0}}));
        QCOMPARE(h.Capacity(), 100);
        h.RecAddLine(Pen, Path({{100, 0}}));
        QCOMPARE(h.p, 100);
        QCOMPARE(h.Capacity(), 200);
    }

    void moveThenTurnComposes()
    {
        // A 200 x 100 picture; a stroke moved by (10, 0), then the picture turned right.
        TPWRecArray h;
        h.RecAddLine(Pen, Path({{20, 30}}));
        h.RecAddEdit(MatTranslate(10, 0), TLines{0});
        QVERIFY(Near(h.RecPoints(0)[0], QPointF(30, 30)));
        h.RecAddTurn(true, 200, 100);
        // Turning right: (x, y) -> (H - y, x) for the W x H picture.
        QVERIFY(Near(h.RecPoints(0)[0], QPointF(100 - 30, 30)));
        QCOMPARE(h.RecTurn(), 1);
        // Undoing the turn leaves only the move.
        h.RecUndo();
        QVERIFY(Near(h.RecPoints(0)[0], QPointF(30, 30)));
        QCOMPARE(h.RecTurn(), 0);
        // A redo entry never moves a stroke.
        h.RecUndo();
        QVERIFY(Near(h.RecPoints(0)[0], QPointF(20, 30)));
    }

    void editOnlyMovesItsStrokesAndTwiceListedAppliesTwice()
    {
        TPWRecArray h;
        h.RecAddLine(Pen, Path({{0, 0}}));
        h.RecAddLine(Pen, Path({{5, 5}}));
        h.RecAddEdit(MatTranslate(1, 2), TLines{1, 1});
        QVERIFY(Near(h.RecPoints(0)[0], QPointF(0, 0)));
        QVERIFY(Near(h.RecPoints(1)[0], QPointF(7, 9)));
    }

    void fourTurnsAndLeftTurns_data()
    {
        QTest::addColumn<QString>("turns");
        QTest::addColumn<int>("net");
        QTest::newRow("none") << "" << 0;
        QTest::newRow("R") << "R" << 1;
        QTest::newRow("L") << "L" << 3;
        QTest::newRow("RRRR") << "RRRR" << 0;
        QTest::newRow("RL") << "RL" << 0;
        QTest::newRow("LLR") << "LLR" << 3;
    }
    void fourTurnsAndLeftTurns()
    {
        QFETCH(QString, turns);
        QFETCH(int, net);
        TPWRecArray h;
        Single w = 300, hh = 100;
        h.RecAddLine(Pen, Path({{10, 20}}));
        for (QChar c : turns) {
            h.RecAddTurn(c == QLatin1Char('R'), w, hh);
            std::swap(w, hh);
        }
        QCOMPARE(h.RecTurn(), net);
        if (net == 0)
            QVERIFY(Near(h.RecPoints(0)[0], QPointF(10, 20)));
    }

    void recCopyIsDeepAndKeepsRedo()
    {
        TPWRecArray src;
        src.RecAddLine(Pen, Path({{0, 0}, {1, 1}}));
        src.RecAddLine(Pen, Path({{2, 2}}));
        src.RecAddEdit(MatTranslate(3, 3), TLines{0, 1});
        src.RecUndo(); // the edit becomes a redo entry
        TPWRecArray dst;
        dst.RecAddLine(Pen, Path({{9, 9}}));
        RecCopy(src, dst);
        QCOMPARE(dst.p, 1);
        QCOMPARE(dst.c, 2);
        QCOMPARE(dst.Capacity(), 3); // slots beyond c are not copied
        QCOMPARE(dst.Rec[2].Lines, (TLines{0, 1}));
        QVERIFY(dst.RecCanRedo());
        dst.Rec[2].Lines[0] = 7;
        dst.Rec[0].Points[0] = QPointF(42, 42);
        QCOMPARE(src.Rec[2].Lines[0], 0);
        QCOMPARE(src.Rec[0].Points[0], QPointF(0, 0));

        TPWRecArray empty, target;
        target.RecAddLine(Pen, Path({{1, 1}}));
        RecCopy(empty, target);
        QCOMPARE(target.c, -1);
        QCOMPARE(target.Capacity(), 0);
    }

    void matrices()
    {
        QVERIFY(MatIsIdentity(MatIdentity()));
        QVERIFY(!MatIsIdentity(MatTranslate(0, 1e-7f)));
        // B is applied first, then A.
        const TAr3x3 m = MatMul(MatTranslate(10, 0), MatRotate(Single(M_PI / 2)));
        QVERIFY(Near(MatApply(QPointF(1, 0), m), QPointF(10, 1)));
        // The turn about the centre puts the centre of a W x H picture at (H/2, W/2).
        const TAr3x3 t = MatTurnAt(150, 50, Single(M_PI / 2));
        QVERIFY(Near(MatApply(QPointF(150, 50), t), QPointF(50, 150)));
        QVERIFY(Near(MatApply(QPointF(0, 0), t), QPointF(100, 0)));
    }
};

QTEST_APPLESS_MAIN(TestHistory)
#include "test_history.moc"
