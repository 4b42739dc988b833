#include "ManualClock.h"

#include <QTest>

#include <memory>

class TestManualClock : public QObject
{
    Q_OBJECT

private slots:
    void runsActionsInOrderAtTheirDueTime();
    void actionsScheduledByActions();
};

void TestManualClock::runsActionsInOrderAtTheirDueTime()
{
    ManualClock clock;
    QObject context;
    auto doomed = std::make_unique<QObject>();
    QStringList ran;
    const auto log = [&](const char* name) {
        return [&ran, &clock, name] { ran.append(QStringLiteral("%1@%2").arg(name).arg(clock.nowMs())); };
    };
    clock.advance(100);
    clock.schedule(30, &context, log("c"));
    clock.schedule(10, &context, log("a"));
    clock.schedule(50, &context, log("d"));
    clock.schedule(10, &context, log("b"));   // due with a, scheduled after it
    clock.schedule(-5, &context, log("now")); // a negative delay counts as 0
    clock.schedule(20, doomed.get(), log("doomed"));
    clock.schedule(15, &context, [&] { doomed.reset(); }); // an action may end a later one's context
    clock.advance(0);
    QCOMPARE(ran, QStringList { "now@100" });
    clock.advance(49);
    QCOMPARE(ran, (QStringList { "now@100", "a@110", "b@110", "c@130" }));
    clock.advance(-5);
    clock.advance(1);
    QCOMPARE(ran.last(), QStringLiteral("d@150"));
}

void TestManualClock::actionsScheduledByActions()
{
    // A periodic action runs once per period; a zero delay from an action runs in the same advance.
    ManualClock clock;
    QObject context;
    QList<qint64> ticks;
    std::function<void()> tick = [&] {
        ticks.append(clock.nowMs());
        clock.schedule(40, &context, tick);
        if (ticks.size() == 2)
            clock.schedule(0, &context, [&] { ticks.append(-clock.nowMs()); });
    };
    clock.schedule(40, &context, tick);
    clock.advance(239);
    QCOMPARE(ticks, (QList<qint64> { 40, 80, -80, 120, 160, 200 }));
    clock.advance(1);
    QCOMPARE(ticks.last(), qint64(240));
}

QTEST_GUILESS_MAIN(TestManualClock)
#include "tst_manualclock.moc"
