#include "CConsole.h"
#include "CUSBHID.h"
#include "DeviceConnector.h"
#include "DevicePayload.h"
#include "FakeHidapi.h"
#include "HidDevice.h"
#include "HidapiBackend.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

const QString serialA = QStringLiteral("PH000123");

// size bytes: head (hex), zeros, and the checksum byte last.
QByteArray frame(const QByteArray& head, quint8 checksum, int size = DeviceFrame::FrameSize)
{
    return QByteArray::fromHex(head).leftJustified(size - 1, '\0') + char(checksum);
}

const QByteArray fullFrameHead = "010027" + QByteArray("01").repeated(36); // id 1, 36 bytes of 01

} // namespace

// The link as outside callers build it, with real units through hidapi (replaced at link time), and
// the payload layouts that no page or link test shows, by hand-made byte vectors and round trips.
// An idle link sleeps: the poll keeps its 1 ms pace only while reports arrive or messages wait,
// and auto-connect looks for a unit only while none is open, seldom when arrivals are announced.
class TestCUSBHID : public QObject
{
    Q_OBJECT

    CConsole* m_console = nullptr;
    CUSBHID* m_usb = nullptr;
    // A link on units of its own, for the poll's pace.
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
    void init()
    {
        FakeHidapi::reset();
        FakeHidapi::plug(serialA);
        m_console = new CConsole;
        for (CConsole::Level level : { CConsole::Error, CConsole::Warn, CConsole::Info })
            m_console->setLevelEnabled(level, true);
        m_usb = new CUSBHID(nullptr, m_console);
    }

    void cleanup()
    {
        m_link.stop();
        delete m_usb;
        delete m_console;
        FakeHidapi::reset();
    }

    void transmitted_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("report"); // report id 0, then the frame; none when refused
        QTest::newRow("firmware read") << 5 << 1 << QByteArray() << frame("00050103", 0x07, 41);
        QTest::newRow("36 bytes") << 1 << 0 << QByteArray(36, '\1') << frame("00" + fullFrameHead, 0x26, 41);
        QTest::newRow("37 bytes") << 1 << 0 << QByteArray(37, '\1') << QByteArray();
    }

    void transmitted()
    {
        QFETCH(int, id);
        QFETCH(int, type);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, report);
        // While closed nothing is queued and nothing is said.
        m_usb->transmit(quint8(id), type, payload.constData(), payload.size());
        QVERIFY(!m_console->plainText().contains(QStringLiteral("exceeded")));
        m_usb->start(serialA);
        QCOMPARE(m_usb->pendingCount(), 0);
        m_usb->transmit(quint8(id), type, payload.constData(), payload.size());
        m_usb->onHidTimer();
        QCOMPARE(FakeHidapi::written(serialA), report.isEmpty() ? QList<QByteArray>() : QList<QByteArray> { report });
        const QString refusal = QStringLiteral("ERROR] transmit: message length exceeded!");
        QCOMPARE(m_console->plainText().endsWith(refusal), report.isEmpty());
    }

    void receivedFrames_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<bool>("delivered");
        QTest::newRow("36 bytes") << frame(fullFrameHead, 0x26) << true;
        QTest::newRow("wrong checksum") << frame("050103", 0x17) << false;
        // Bytes 0-39 XOR to zero: a checksum over 40 bytes would match.
        QTest::newRow("length byte 40") << frame("0501282c", 0x2c) << false;
        QTest::newRow("short read") << frame("050103", 0x07).left(39) << false;
        QTest::newRow("all zero") << QByteArray(40, '\0') << true;
        QByteArray noisyTail = frame("050103", 0x07);
        noisyTail[30] = char(0x77); // not covered by the checksum
        QTest::newRow("noise after the payload") << noisyTail << true;
    }

    void receivedFrames()
    {
        QFETCH(QByteArray, report);
        QFETCH(bool, delivered);
        m_usb->start(serialA);
        QSignalSpy spy(m_usb, &CUSBHID::dataAvailable);
        const QString logBefore = m_console->plainText();
        FakeHidapi::deliver(serialA, report);
        m_usb->onHidTimer();
        QCOMPARE(m_console->plainText(), logBefore);
        QCOMPARE(spy.count(), delivered ? 1 : 0);
        if (delivered)
            QCOMPARE(spy[0], QVariantList({ int(report[0]), int(report[1]), report.mid(3, 36) }));
    }

    void startStopAndReadError()
    {
        QSignalSpy connected(m_usb, &CUSBHID::connected);
        QSignalSpy disconnected(m_usb, &CUSBHID::disconnected);
        QCOMPARE(m_usb->stop(), -1);
        QCOMPARE(m_usb->start(QStringLiteral("NOPE")), -2);
        QVERIFY(m_console->plainText().contains(QStringLiteral("INFO] Unable to open device [NOPE]")));
        QVERIFY(m_console->plainText().endsWith(
            QStringLiteral("WARN] start() - Unable to open USB device with VID: 0x0805, PID: 0x1403")));
        QCOMPARE(m_usb->start(serialA), 0);
        QVERIFY(m_console->plainText().endsWith(QStringLiteral("INFO] Connected")));
        QCOMPARE(m_usb->start(serialA), -1);
        QCOMPARE(m_usb->start(QStringLiteral("OTHER")), -1);
        QCOMPARE(m_usb->stop(), 0);
        QVERIFY(!FakeHidapi::isOpen(serialA));
        QCOMPARE(m_usb->start(serialA), 0);
        QVERIFY(FakeHidapi::isOpen(serialA));

        // A read error closes the link, once, and what waited to be sent is dropped.
        m_usb->transmit(3, 0, "AT", 2);
        FakeHidapi::unplug(serialA);
        m_usb->onHidTimer();
        m_usb->onHidTimer();
        QVERIFY(!FakeHidapi::isOpen(serialA));
        QCOMPARE(m_usb->pendingCount(), 0);
        QVERIFY(FakeHidapi::written(serialA).isEmpty());
        QVERIFY(m_console->plainText().endsWith(QStringLiteral("INFO] Disconnected")));
        QCOMPARE(m_usb->stop(), -1);
        QCOMPARE(connected.count(), 2);
        QCOMPARE(disconnected.count(), 2);
    }

    // Two programs, as two starts without a session bus make them: the second cannot take the
    // unit the first has open, and can once the first has let it go. A unit without a serial
    // number is listed and opened by its path.
    void oneProgramPerUnit()
    {
        QTemporaryDir runtime;
        const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        FakeHidapi::reset();
        FakeHidapi::plug(QStringLiteral("PA0001"), QStringLiteral("/dev/hidraw3"));
        FakeHidapi::plug(QString(), QStringLiteral("/dev/hidraw7"));
        HidapiBackend first;
        HidapiBackend second;
        QCOMPARE(first.listDevices(CUSBHID::VendorId, CUSBHID::ProductId), QStringList({ "PA0001", "/dev/hidraw7" }));
        std::unique_ptr<HidDevice> held = first.open(CUSBHID::VendorId, CUSBHID::ProductId, QStringLiteral("PA0001"));
        QVERIFY(held);
        QVERIFY(!second.open(CUSBHID::VendorId, CUSBHID::ProductId, QStringLiteral("PA0001")));
        held.reset();
        QVERIFY(second.open(CUSBHID::VendorId, CUSBHID::ProductId, QStringLiteral("PA0001")));
        QVERIFY(HidapiBackend::lockFileName(QStringLiteral("../x y")).startsWith(runtime.path() + "/parlona-unit-"));
        QCOMPARE(m_usb->start(QStringLiteral("/dev/hidraw7")), 0);
        QVERIFY(FakeHidapi::isOpen(QString()));
        qputenv("XDG_RUNTIME_DIR", before);
    }

    void payloads()
    {
        // -12.5 is 0xC1480000 as a float32; 0 dB is all zeros. A frame brings 28 more bytes.
        const QByteArray bytes = QByteArray::fromHex("00000000 0000 48c1");
        const DevicePayload::Levels read = DevicePayload::levels(bytes + QByteArray(28, '\x7f'));
        QVERIFY(read.receive == 0.0f && read.send == -12.5f);
        QCOMPARE(DevicePayload::levelsPayload({ 0.0f, -12.5f }), bytes);
        // The debug text skips its channel byte, whatever it holds, and is Latin-1.
        QCOMPARE(DevicePayload::debugText(QByteArray("X5\xb0 up\0junk", 11)), QStringLiteral("5\u00b0 up"));
        QCOMPARE(DevicePayload::debugText(DevicePayload::debugTextPayload(QString(50, 'd'))), QString(34, 'd'));
        QCOMPARE(DevicePayload::atCommandPayload("ATA"), QByteArray("ATA\0", 4));
        QCOMPARE(DevicePayload::serialNumberPayload(QString(40, 's')).size(), DeviceMessage::MaxPayload);
        // Auto answer is the first byte.
        for (const char* hex : { "00ff", "", "ff00" })
            QCOMPARE(DevicePayload::autoAnswer(QByteArray::fromHex(hex)), hex[0] == 'f');
    }

    void moduleLineMessages_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("types"); // of the messages, in order

        QTest::newRow("empty") << 0 << "";
        QTest::newRow("36") << 36 << "0";
        QTest::newRow("37") << 37 << "192 0";
        QTest::newRow("72") << 72 << "192 0";
        QTest::newRow("73") << 73 << "192 192 0";
    }

    void moduleLineMessages()
    {
        QFETCH(int, length);
        QByteArray line;
        for (int i = 0; i < length; ++i)
            line += char('a' + i % 26);
        QStringList seen;
        QByteArray joined;
        for (const DevicePayload::Message& message : DevicePayload::atLineMessages(line)) {
            seen << QString::number(message.type);
            QVERIFY(message.payload.size() <= DeviceMessage::MaxPayload);
            joined += DevicePayload::atLine(message.payload);
        }
        QTEST(seen.join(' '), "types");
        QCOMPARE(joined, line);
    }

    void pollPace_data()
    {
        QTest::addColumn<int>("reports");  // arriving while the poll sleeps (the buffer keeps 64)
        QTest::addColumn<int>("messages"); // queued while it sleeps
        QTest::newRow("one report") << 1 << 0;
        QTest::newRow("a burst") << 70 << 0;
        QTest::newRow("messages") << 0 << 250; // more than a fixed-size queue would hold
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
            m_link.transmit(quint8(i), 1, nullptr, 0);
        // A message restores the full pace at once, a report at the tick that reads it (all that
        // wait); every tick that reads or writes, and the one after, runs at 1 ms. Messages leave
        // one per tick, in order.
        QCOMPARE(m_poll->interval() == 1, messages > 0);
        for (int tick = 0; tick <= qMax(1, messages); ++tick) {
            m_link.onHidTimer();
            QCOMPARE(m_poll->interval(), 1);
            QCOMPARE(m_units.written(QStringLiteral("A")).size(), qMin(tick + 1, messages));
        }
        QCOMPARE(delivered.count(), qMin(reports, 64));
        for (int i = 0; i < messages; ++i)
            QCOMPARE(quint8(m_units.written(QStringLiteral("A"))[i][1]), quint8(i));
        QVERIFY(quietDown());
    }

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

QTEST_MAIN(TestCUSBHID)
#include "tst_cusbhid.moc"
