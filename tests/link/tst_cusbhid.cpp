#include "CConsole.h"
#include "CUSBHID.h"
#include "FakeHidapi.h"
#include "HidapiBackend.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString serialA = QStringLiteral("PH000123");

// size bytes: head (hex), zeros, and the checksum byte last.
QByteArray frame(const QByteArray& head, quint8 checksum, int size = DeviceFrame::FrameSize)
{
    return QByteArray::fromHex(head).leftJustified(size - 1, '\0') + char(checksum);
}

const QByteArray fullFrameHead = "010027" + QByteArray("01").repeated(36); // id 1, 36 bytes of 01

} // namespace

// The link as outside callers build it, with real units through hidapi (replaced at link time).
class TestCUSBHID : public QObject
{
    Q_OBJECT

    CConsole* m_console = nullptr;
    CUSBHID* m_usb = nullptr;

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
        QTest::newRow("identify on") << 7 << 0 << QByteArray(1, '\1') << frame("0007000401", 0x02, 41);
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

    void queueLeavesInOrderOnePerTick()
    {
        m_usb->start(serialA);
        const int count = 250; // more than a fixed-size queue would hold
        for (int i = 0; i < count; ++i)
            m_usb->transmit(quint8(i), 0, nullptr, 0);
        QCOMPARE(m_usb->pendingCount(), count);
        for (int tick = 1; tick <= count + 1; ++tick) {
            m_usb->onHidTimer();
            QCOMPARE(FakeHidapi::written(serialA).size(), qMin(tick, count));
        }
        const QList<QByteArray> written = FakeHidapi::written(serialA);
        for (int i = 0; i < count; ++i)
            QCOMPARE(quint8(written[i][1]), quint8(i));
    }

    void receivedFrames_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<bool>("delivered");
        QTest::newRow("no payload") << frame("050103", 0x07) << true;
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

    void unitWithoutSerialNumber()
    {
        FakeHidapi::reset();
        FakeHidapi::plug(QString(), QStringLiteral("/dev/hidraw7"));
        const QStringList listed = HidapiBackend().listDevices(CUSBHID::VendorId, CUSBHID::ProductId);
        QCOMPARE(listed, QStringList { QStringLiteral("/dev/hidraw7") });
        QCOMPARE(m_usb->start(listed.first()), 0);
        QVERIFY(FakeHidapi::isOpen(QString()));
    }

    void receiverMayCloseTheLink()
    {
        m_usb->start(serialA);
        m_usb->transmit(5, 1, nullptr, 0);
        connect(m_usb, &CUSBHID::dataAvailable, m_usb, [this] { m_usb->stop(); });
        FakeHidapi::deliver(serialA, frame("050103", 0x07));
        FakeHidapi::deliver(serialA, frame("050103", 0x07));
        m_usb->onHidTimer();
        QVERIFY(!m_usb->isConnected());
        QVERIFY(FakeHidapi::written(serialA).isEmpty());
    }
};

QTEST_MAIN(TestCUSBHID)
#include "tst_cusbhid.moc"
