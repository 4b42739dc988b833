#include "CUSBHID.h"
#include "MainWindow.h"
#include "OrvanePPMMeter.h"
#include "VirtualHybridRig.h"

#include <QTest>
#include <QTimer>
#include <QtEndian>

// The main window's meter tick runs only while a meter has somewhere to go, and never cuts a
// release short. How far a meter falls per tick is the meter's own test.
class TestMeterTick : public QObject
{
    Q_OBJECT

    VirtualHybridRig rig;
    QTimer* tick = rig.window()->findChild<QTimer*>(QStringLiteral("meterTimer"));
    OrvanePPMMeter* recv = rig.window()->findChild<OrvanePPMMeter*>(QStringLiteral("ppm_recv"));
    OrvanePPMMeter* send = rig.window()->findChild<OrvanePPMMeter*>(QStringLiteral("ppm_send"));

    // Runs ticks while the tick is active; returns how many ran.
    int tickUntilIdle(int limit)
    {
        int ticks = 0;
        for (; tick->isActive() && ticks < limit; ++ticks)
            rig.window()->onMeterRelease();
        return ticks;
    }
    void report(float recvLevel, float sendLevel)
    {
        QByteArray payload(36, '\0');
        qToLittleEndian(recvLevel, payload.data());
        qToLittleEndian(sendLevel, payload.data() + 4);
        rig.window()->onReceiveUSB(15, 0, payload);
    }

private slots:
    void tickRunsOnlyWhileAMeterMoves()
    {
        QVERIFY(tick && recv && send && rig.connectUnit());
        // Both meters start at their level: the first tick finds nothing to do.
        QCOMPARE(tickUntilIdle(10), 1);
        // A rise takes one tick and the next finds nothing to do; the same levels again leave it asleep.
        report(0.0f, -20.0f);
        QCOMPARE(tickUntilIdle(10), 2);
        report(0.0f, -20.0f);
        QVERIFY(!tick->isActive());
        // One meter falling keeps the tick running while the other stands still.
        report(-40.0f, -20.0f);
        tickUntilIdle(1000);
        QCOMPARE(recv->dBPosition(), -40.0);
        QCOMPARE(send->dBPosition(), -20.0);
        // Losing the unit wakes the tick, and both meters fall to the floor.
        rig.window()->context()->usb->stop();
        QVERIFY(tick->isActive());
        tickUntilIdle(1000);
        QCOMPARE(recv->dBPosition(), -50.0);
        QCOMPARE(send->dBPosition(), -50.0);
    }

    void tickKeepsItsPaceUnderFrequentReports()
    {
        // Reports arriving faster than the tick must not hold it off.
        report(0.0f, 0.0f);
        rig.window()->onMeterRelease();
        QTimer reports;
        float level = -30.0f;
        connect(&reports, &QTimer::timeout, this, [&] {
            level = level == -30.0f ? -30.5f : -30.0f;
            report(level, level);
        });
        reports.start(2);
        QTRY_VERIFY(recv->dBPosition() < -1.0);
    }
};

QTEST_MAIN(TestMeterTick)
#include "tst_meter_tick.moc"
