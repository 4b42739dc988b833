#include "ManualClock.h"

#include <QTest>

#include <memory>

class TestManualClock : public QObject
{
    Q_OBJECT

private slots:
    void startsAtZeroAndStandsStill();
    void runsDueActionsInTimeOrder();
    void sameDueTimeKeepsSchedulingOrder();
    void actionsSeeTheirDueTime();
    void actionsScheduledByActionsRunWhenDue();
    void negativeDelayAndAdvanceZero();
    void destroyedContextSkipsTheAction();
};

void TestManualClock::startsAtZeroAndStandsStill()
{
    ManualClock clock;
    QCOMPARE(clock.nowMs(), qint64(0));
    bool ran = false;
    QObject context;
    clock.schedule(10, &context, [&] { ran = true; });
    QCoreApplication::processEvents();
    QVERIFY(!ran);
    clock.advance(9);
    QVERIFY(!ran);
    QCOMPARE(clock.nowMs(), qint64(9));
    clock.advance(1);
    QVERIFY(ran);
    QCOMPARE(clock.nowMs(), qint64(10));
    QCOMPARE(clock.pendingActions(), 0);
}

void TestManualClock::runsDueActionsInTimeOrder()
{
    ManualClock clock;
    QObject context;
    QList<int> order;
    clock.schedule(30, &context, [&] { order.append(30); });
    clock.schedule(10, &context, [&] { order.append(10); });
    clock.schedule(50, &context, [&] { order.append(50); });
    clock.schedule(20, &context, [&] { order.append(20); });
    clock.advance(40);
    QCOMPARE(order, (QList<int> { 10, 20, 30 }));
    QCOMPARE(clock.nowMs(), qint64(40));
    clock.advance(100);
    QCOMPARE(order, (QList<int> { 10, 20, 30, 50 }));
    QCOMPARE(clock.nowMs(), qint64(140));
}

void TestManualClock::sameDueTimeKeepsSchedulingOrder()
{
    ManualClock clock;
    QObject context;
    QString order;
    for (char c : QByteArray("abcdef"))
        clock.schedule(5, &context, [&order, c] { order.append(QLatin1Char(c)); });
    clock.advance(5);
    QCOMPARE(order, QStringLiteral("abcdef"));
}

void TestManualClock::actionsSeeTheirDueTime()
{
    ManualClock clock;
    QObject context;
    QList<qint64> seen;
    clock.advance(100);
    clock.schedule(7, &context, [&] { seen.append(clock.nowMs()); });
    clock.schedule(250, &context, [&] { seen.append(clock.nowMs()); });
    clock.advance(1000);
    QCOMPARE(seen, (QList<qint64> { 107, 350 }));
    QCOMPARE(clock.nowMs(), qint64(1100));
}

void TestManualClock::actionsScheduledByActionsRunWhenDue()
{
    // A periodic action that reschedules itself runs once per period within the span, and the
    // next run waits for the next advance.
    ManualClock clock;
    QObject context;
    QList<qint64> ticks;
    std::function<void()> tick = [&] {
        ticks.append(clock.nowMs());
        clock.schedule(40, &context, tick);
    };
    clock.schedule(40, &context, tick);
    clock.advance(200);
    QCOMPARE(ticks, (QList<qint64> { 40, 80, 120, 160, 200 }));
    clock.advance(39);
    QCOMPARE(ticks.size(), 5);
    clock.advance(1);
    QCOMPARE(ticks.last(), qint64(240));

    // A zero delay from inside an action still runs in the same advance, after the action.
    QStringList order;
    clock.schedule(10, &context, [&] {
        order.append(QStringLiteral("outer"));
        clock.schedule(0, &context, [&] { order.append(QStringLiteral("inner")); });
    });
    clock.advance(10);
    QCOMPARE(order, (QStringList { QStringLiteral("outer"), QStringLiteral("inner") }));
}

void TestManualClock::negativeDelayAndAdvanceZero()
{
    ManualClock clock;
    QObject context;
    int runs = 0;
    clock.schedule(-50, &context, [&] { ++runs; });
    clock.schedule(0, &context, [&] { ++runs; });
    QCOMPARE(runs, 0);
    clock.advance(0);
    QCOMPARE(runs, 2);
    QCOMPARE(clock.nowMs(), qint64(0));
    clock.advance(-5);
    QCOMPARE(clock.nowMs(), qint64(0));
}

void TestManualClock::destroyedContextSkipsTheAction()
{
    ManualClock clock;
    auto doomed = std::make_unique<QObject>();
    QObject survivor;
    QStringList ran;
    clock.schedule(10, doomed.get(), [&] { ran.append(QStringLiteral("doomed")); });
    clock.schedule(10, &survivor, [&] { ran.append(QStringLiteral("survivor")); });
    // An action may destroy the context of a later one.
    clock.schedule(5, &survivor, [&] { doomed.reset(); });
    clock.advance(20);
    QCOMPARE(ran, QStringList { QStringLiteral("survivor") });
    QCOMPARE(clock.pendingActions(), 0);
}

QTEST_GUILESS_MAIN(TestManualClock)
#include "tst_manualclock.moc"
