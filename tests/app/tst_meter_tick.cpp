#include "CUSBHID.h"
#include "MainWindow.h"
#include "OrvanePPMMeter.h"
#include "VirtualHybridRig.h"

#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <memory>

// The main window's meter tick runs only while a meter has somewhere to go, and never cuts a
// release short. How far a meter falls per tick is the meter's own test.
class TestMeterTick : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_rig.reset(); }

    void tickRunsOnlyWhileAMeterMoves();
    void tickKeepsItsPaceUnderFrequentReports();

private:
    // Runs ticks while the tick is active; returns how many ran.
    int tickUntilIdle(int limit)
    {
        int ticks = 0;
        for (; m_tick->isActive() && ticks < limit; ++ticks)
            m_rig->window()->onMeterRelease();
        return ticks;
    }
    void report(float recv, float send)
    {
        QByteArray payload(36, '\0');
        qToLittleEndian(recv, payload.data());
        qToLittleEndian(send, payload.data() + 4);
        m_rig->window()->onReceiveUSB(15, 0, payload);
    }

    std::unique_ptr<VirtualHybridRig> m_rig;
    QTimer* m_tick = nullptr;
    OrvanePPMMeter* m_recv = nullptr;
    OrvanePPMMeter* m_send = nullptr;
};

void TestMeterTick::init()
{
    m_rig = std::make_unique<VirtualHybridRig>();
    m_tick = m_rig->window()->findChild<QTimer*>(QStringLiteral("meterTimer"));
    m_recv = m_rig->window()->findChild<OrvanePPMMeter*>(QStringLiteral("ppm_recv"));
    m_send = m_rig->window()->findChild<OrvanePPMMeter*>(QStringLiteral("ppm_send"));
    QVERIFY(m_tick && m_recv && m_send);
}

void TestMeterTick::tickRunsOnlyWhileAMeterMoves()
{
    QVERIFY(m_rig->connectUnit());
    // Both meters start at their level: the first tick finds nothing to do.
    QCOMPARE(tickUntilIdle(10), 1);
    // A rise takes one tick and the next finds nothing to do; the same levels again leave it asleep.
    report(0.0f, -20.0f);
    QCOMPARE(tickUntilIdle(10), 2);
    report(0.0f, -20.0f);
    QVERIFY(!m_tick->isActive());
    // One meter falling keeps the tick running while the other stands still.
    report(-40.0f, -20.0f);
    tickUntilIdle(1000);
    QCOMPARE(m_recv->dBPosition(), -40.0);
    QCOMPARE(m_send->dBPosition(), -20.0);
    // Losing the unit wakes the tick, and both meters fall to the floor.
    m_rig->window()->context()->usb->stop();
    QVERIFY(m_tick->isActive());
    tickUntilIdle(1000);
    QCOMPARE(m_recv->dBPosition(), -50.0);
    QCOMPARE(m_send->dBPosition(), -50.0);
}

void TestMeterTick::tickKeepsItsPaceUnderFrequentReports()
{
    // Reports arriving faster than the tick must not hold it off.
    report(0.0f, 0.0f);
    m_rig->window()->onMeterRelease();
    QTimer reports;
    float level = -30.0f;
    connect(&reports, &QTimer::timeout, this, [&] {
        level = level == -30.0f ? -30.5f : -30.0f;
        report(level, level);
    });
    reports.start(2);
    QTRY_VERIFY(m_recv->dBPosition() < -1.0);
}

QTEST_MAIN(TestMeterTick)
#include "tst_meter_tick.moc"
