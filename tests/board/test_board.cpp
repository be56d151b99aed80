#include <QtTest>
class TestBoard : public QObject { Q_OBJECT };
QTEST_MAIN(TestBoard)
#include "test_board.moc"
