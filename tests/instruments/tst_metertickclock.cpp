#include <QtTest>

#include "MeterTickClock.h"

// The release ticks a frame owes the meters, against a clock the test sets.
class TestMeterTickClock : public QObject
{
    Q_OBJECT

private slots:
    void dueTicks_data()
    {
        QTest::addColumn<QList<qint64>>("readings"); // ms; the first restarts the clock
        QTest::addColumn<QList<int>>("ahead");       // ms a frame looks ahead at each later reading
        QTest::addColumn<QList<int>>("due");         // ticks owed at each later reading
        QTest::newRow("none before the first tick") << QList<qint64> { 1000, 1009 } << QList<int> { 0 } << QList<int> { 0 };
        QTest::newRow("one on the tick") << QList<qint64> { 1000, 1010 } << QList<int> { 0 } << QList<int> { 1 };
        QTest::newRow("frames of 40 ms") << QList<qint64> { 0, 40, 80, 120 } << QList<int> { 0, 0, 0 }
                                         << QList<int> { 4, 4, 4 };
        // Late and early frames neither lose nor gain ticks: 11 ticks by 115 ms, however they fall.
        QTest::newRow("uneven frames") << QList<qint64> { 0, 37, 81, 115 } << QList<int> { 0, 0, 0 }
                                       << QList<int> { 3, 5, 3 };
        QTest::newRow("asked twice at once") << QList<qint64> { 0, 45, 45 } << QList<int> { 0, 0 } << QList<int> { 4, 0 };
        QTest::newRow("a long stall") << QList<qint64> { 0, 60000 } << QList<int> { 0 } << QList<int> { 6000 };
        // A clock that goes back owes nothing, and then counts on from the ticks already run.
        QTest::newRow("clock going back") << QList<qint64> { 1000, 1100, 1050, 1111 } << QList<int> { 0, 0, 0 }
                                          << QList<int> { 10, 0, 1 };
        QTest::newRow("a tick that falls due within the time ahead")
            << QList<qint64> { 0, 31 } << QList<int> { 9 } << QList<int> { 4 };
        QTest::newRow("none before it") << QList<qint64> { 0, 31 } << QList<int> { 8 } << QList<int> { 3 };
        // A tick taken ahead is not owed again: 8 ticks by 80 ms, however they were taken.
        QTest::newRow("then on time") << QList<qint64> { 0, 31, 39, 80 } << QList<int> { 9, 0, 0 }
                                      << QList<int> { 4, 0, 4 };
    }

    void dueTicks()
    {
        QFETCH(QList<qint64>, readings);
        QFETCH(QList<int>, ahead);
        QFETCH(QList<int>, due);
        qint64 now = readings.first();
        MeterTickClock clock(10, [&now] { return now; });
        QList<int> owed;
        for (int i = 1; i < readings.size(); ++i) {
            now = readings[i];
            owed << clock.takeDueTicks(ahead[i - 1]);
        }
        QCOMPARE(owed, due);
    }

    // A restart forgets the ticks owed: the first falls due one tick after it.
    void restart()
    {
        qint64 now = 0;
        MeterTickClock clock(10, [&now] { return now; });
        now = 95;
        clock.restart();
        now = 104;
        QCOMPARE(clock.takeDueTicks(), 0);
        now = 105;
        QCOMPARE(clock.takeDueTicks(), 1);
    }
};

QTEST_MAIN(TestMeterTickClock)
#include "tst_metertickclock.moc"
