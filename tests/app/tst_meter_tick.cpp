#include "CUSBHID.h"
#include "FakeHidapi.h"
#include "HidapiBackend.h"
#include "MainWindow.h"
#include "OrvanePPMMeter.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <cstring>

namespace {

QByteArray levelPayload(float recv, float send)
{
    QByteArray payload(36, '\0');
    quint32 bits;
    std::memcpy(&bits, &recv, sizeof bits);
    qToLittleEndian(bits, payload.data());
    std::memcpy(&bits, &send, sizeof bits);
    qToLittleEndian(bits, payload.data() + 4);
    return payload;
}

} // namespace

// The main window's meter tick runs only while a meter has somewhere to go, and never cuts a
// release short.
class TestMeterTick : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void idleOnceSettled();
    void levelBelowTheFloorSettlesAtOnce();
    void releaseRunsToTheTargetThenIdles();
    void unchangedLevelsDoNotWakeTheTick();
    void resetAfterDisconnectionWakesTheTick();
    void tickKeepsItsPaceUnderFrequentReports();

private:
    // Runs ticks while the tick is active; returns how many ran.
    int tickUntilIdle(int limit);
    void report(float recv, float send);

    QTemporaryDir m_settingsDir;
    HidapiBackend m_backend;
    MainWindow* m_window = nullptr;
    QTimer* m_meterTimer = nullptr;
    OrvanePPMMeter* m_recv = nullptr;
    OrvanePPMMeter* m_send = nullptr;
};

void TestMeterTick::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestMeterTick::init()
{
    FakeHidapi::reset();
    m_window = new MainWindow(&m_backend, m_settingsDir.path());
    m_meterTimer = m_window->findChild<QTimer*>(QStringLiteral("meterTimer"));
    m_recv = m_window->findChild<OrvanePPMMeter*>(QStringLiteral("ppm_recv"));
    m_send = m_window->findChild<OrvanePPMMeter*>(QStringLiteral("ppm_send"));
    QVERIFY(m_meterTimer && m_recv && m_send);
}

void TestMeterTick::cleanup()
{
    delete m_window;
    m_window = nullptr;
    FakeHidapi::reset();
}

int TestMeterTick::tickUntilIdle(int limit)
{
    int ticks = 0;
    while (m_meterTimer->isActive() && ticks < limit) {
        m_window->onMeterRelease();
        ++ticks;
    }
    return ticks;
}

void TestMeterTick::report(float recv, float send)
{
    m_window->onReceiveUSB(15, 0, levelPayload(recv, send));
}

void TestMeterTick::idleOnceSettled()
{
    QCOMPARE(m_meterTimer->interval(), MainWindow::MeterTickMs);
    QVERIFY(m_meterTimer->isActive());
    // Both meters start at their level: the first tick finds nothing to do.
    QCOMPARE(tickUntilIdle(10), 1);
    QCOMPARE(m_recv->dBPosition(), -50.0);
    QCOMPARE(m_send->dBPosition(), -50.0);
}

void TestMeterTick::levelBelowTheFloorSettlesAtOnce()
{
    tickUntilIdle(10);
    report(-60.0f, -60.0f);
    QVERIFY(m_meterTimer->isActive());
    QCOMPARE(tickUntilIdle(10), 1);
    QCOMPARE(m_recv->dBPosition(), -50.0);
    QCOMPARE(m_send->dBPosition(), -50.0);
}

void TestMeterTick::releaseRunsToTheTargetThenIdles()
{
    tickUntilIdle(10);
    report(0.0f, -20.0f);
    // The rise takes one tick; the next finds nothing to do.
    QCOMPARE(tickUntilIdle(10), 2);
    QCOMPARE(m_recv->dBPosition(), 0.0);
    QCOMPARE(m_send->dBPosition(), -20.0);

    // 40 dB at 0.133 dB per tick: 300 whole steps and a last part step, then the idle tick
    // (a few more may be spent on rounding residue).
    report(-40.0f, -20.0f);
    const int ticks = tickUntilIdle(1000);
    QCOMPARE(m_recv->dBPosition(), -40.0);
    QCOMPARE(m_send->dBPosition(), -20.0);
    QVERIFY2(ticks >= 302 && ticks <= 306, qPrintable(QString::number(ticks)));
}

void TestMeterTick::unchangedLevelsDoNotWakeTheTick()
{
    report(-10.0f, -12.0f);
    tickUntilIdle(10);
    QVERIFY(!m_meterTimer->isActive());
    report(-10.0f, -12.0f);
    QVERIFY(!m_meterTimer->isActive());
    report(-10.0f, -12.5f);
    QVERIFY(m_meterTimer->isActive());
}

void TestMeterTick::resetAfterDisconnectionWakesTheTick()
{
    const QString serial = QStringLiteral("PH000031");
    FakeHidapi::plug(serial);
    CUSBHID* link = m_window->context()->usb;
    QCOMPARE(link->start(serial), 0);
    report(0.0f, 0.0f);
    tickUntilIdle(10);
    QCOMPARE(m_recv->dBPosition(), 0.0);

    link->stop();
    QVERIFY(m_meterTimer->isActive());
    tickUntilIdle(1000);
    QCOMPARE(m_recv->dBPosition(), -50.0);
    QCOMPARE(m_send->dBPosition(), -50.0);
}

void TestMeterTick::tickKeepsItsPaceUnderFrequentReports()
{
    // Reports arriving faster than the tick must not hold it off.
    report(0.0f, 0.0f);
    m_window->onMeterRelease();
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
