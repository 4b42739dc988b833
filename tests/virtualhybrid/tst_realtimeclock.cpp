#include "RealTimeClock.h"

#include <QTest>

#include <memory>

// The program's clock runs on Qt timers; this check uses short real delays only.
class TestRealTimeClock : public QObject
{
    Q_OBJECT

private slots:
    void runsActionsFromTheEventLoop();
};

void TestRealTimeClock::runsActionsFromTheEventLoop()
{
    RealTimeClock clock;
    QObject context;
    auto cancelled = std::make_unique<QObject>();
    QList<int> order;
    qint64 ranAt = -1;
    clock.schedule(30, &context, [&] {
        order.append(30);
        ranAt = clock.nowMs();
    });
    clock.schedule(0, &context, [&] { order.append(0); });
    clock.schedule(5, cancelled.get(), [&] { order.append(5); });
    cancelled.reset();
    QVERIFY(order.isEmpty()); // never inside schedule()
    QTRY_COMPARE(order, (QList<int> { 0, 30 }));
    QVERIFY(ranAt >= 30);
}

QTEST_GUILESS_MAIN(TestRealTimeClock)
#include "tst_realtimeclock.moc"
