#include "CUSBHID.h"
#include "DeviceConnector.h"
#include "ManualClock.h"
#include "MemoryHidBackend.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

// An idle link sleeps: the poll keeps its 1 ms pace only while reports arrive or messages wait,
// and auto-connect looks for a unit only while none is open, seldom when arrivals are announced.
class TestIdleLink : public QObject
{
    Q_OBJECT

    MemoryHidBackend m_units;
    CUSBHID m_link { nullptr, nullptr, &m_units };
    QTimer* m_poll = m_link.findChild<QTimer*>(QStringLiteral("pollTimer"));

    // Quiet ticks until the poll slows down; false when it has not after ten.
    bool quietDown()
    {
        for (int i = 0; i < 10 && m_poll->interval() == 1; ++i)
            m_link.onHidTimer();
        return m_poll->isActive() && m_poll->interval() > 1;
    }

private slots:
    void pollPace_data()
    {
        QTest::addColumn<int>("reports");  // arriving while the poll sleeps (the buffer keeps 64)
        QTest::addColumn<int>("messages"); // queued while it sleeps
        QTest::newRow("one report") << 1 << 0;
        QTest::newRow("a burst") << 70 << 0;
        QTest::newRow("five messages") << 0 << 5;
    }
    void pollPace()
    {
        QFETCH(int, reports);
        QFETCH(int, messages);
        m_units.plug(QStringLiteral("A"));
        QCOMPARE(m_link.start(QStringLiteral("A")), 0);
        QCOMPARE(m_poll->interval(), 1);
        QVERIFY(quietDown());
        QSignalSpy delivered(&m_link, &CUSBHID::dataAvailable);
        for (int i = 0; i < reports; ++i)
            m_units.deliver(QStringLiteral("A"), DeviceFrame::encode(15, 0, nullptr, 0));
        for (int i = 0; i < messages; ++i)
            m_link.transmit(5, 1, nullptr, 0);
        // A message restores the full pace at once, a report at the tick that reads it (all that
        // wait); every tick that reads or writes, and the one after, runs at 1 ms.
        QCOMPARE(m_poll->interval() == 1, messages > 0);
        for (int tick = 0; tick <= qMax(1, messages); ++tick) {
            m_link.onHidTimer();
            QCOMPARE(m_poll->interval(), 1);
        }
        QCOMPARE(delivered.count(), qMin(reports, 64));
        QCOMPARE(m_units.written(QStringLiteral("A")).size(), messages);
        QVERIFY(quietDown());
    }
    void cleanup() { m_link.stop(); }

    void autoConnectSearch()
    {
        ManualClock clock;
        VirtualHybridBackend hybrids(&clock);
        VirtualHybridUnit* unit = hybrids.addUnit(QStringLiteral("VH000001"));
        QWidget window;
        CUSBHID link(nullptr, nullptr, &hybrids);
        DeviceConnector connector(&hybrids, &link, &window);
        QTimer* search = window.findChild<QTimer*>(QStringLiteral("autoConnectTimer"));
        connector.setAutoConnect(true);
        QTRY_VERIFY(link.isConnected() && !search->isActive());
        // The unit announces its input: the quiet link stops polling, and learns of the unplugging
        // from the event loop. The search starts again; finding nothing, it slows down...
        link.onHidTimer();
        link.onHidTimer();
        QVERIFY(!link.findChild<QTimer*>(QStringLiteral("pollTimer"))->isActive());
        unit->unplug();
        QCoreApplication::processEvents();
        QVERIFY(!link.isConnected() && search->isActive());
        for (int i = 0; i < 30; ++i)
            connector.onAutoConnectTimeout();
        QVERIFY(search->interval() >= 1000);
        // ...but opens a unit that is plugged in from the event loop at once.
        unit->plug();
        QVERIFY(!link.isConnected());
        QCoreApplication::processEvents();
        QVERIFY(link.isConnected() && !search->isActive());
    }
};

QTEST_MAIN(TestIdleLink)
#include "tst_idle_link.moc"
