#include "RealTimeClock.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

// The program's clock runs on Qt timers; these checks use short real delays only.
class TestRealTimeClock : public QObject
{
    Q_OBJECT

private slots:
    void runsActionsFromTheEventLoop();
    void destroyedContextCancels();
};

void TestRealTimeClock::runsActionsFromTheEventLoop()
{
    RealTimeClock clock;
    QObject context;
    QList<int> order;
    qint64 ranAt = -1;
    clock.schedule(30, &context, [&] {
        order.append(30);
        ranAt = clock.nowMs();
    });
    clock.schedule(0, &context, [&] { order.append(0); });
    QVERIFY(order.isEmpty()); // never inside schedule()
    QTRY_COMPARE(order, (QList<int> { 0, 30 }));
    QVERIFY(ranAt >= 30);
}

void TestRealTimeClock::destroyedContextCancels()
{
    RealTimeClock clock;
    auto context = std::make_unique<QObject>();
    QObject other;
    bool cancelledRan = false;
    bool otherRan = false;
    clock.schedule(5, context.get(), [&] { cancelledRan = true; });
    clock.schedule(20, &other, [&] { otherRan = true; });
    context.reset();
    QTRY_VERIFY(otherRan);
    QVERIFY(!cancelledRan);
}

QTEST_GUILESS_MAIN(TestRealTimeClock)
#include "tst_realtimeclock.moc"
