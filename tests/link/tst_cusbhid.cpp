#include "CConsole.h"
#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "FakeHidapi.h"
#include "HidapiBackend.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

namespace {

const QString serialA = QStringLiteral("PH000123");

// A well-formed frame as the hybrid sends it (40 bytes, no report id).
QByteArray deviceFrame(quint8 id, quint8 type, const QByteArray& payload)
{
    return DeviceFrame::encode(id, type, payload.constData(), payload.size());
}

QByteArray payloadOf(int length)
{
    QByteArray payload;
    for (int i = 0; i < length; ++i)
        payload.append(static_cast<char>(0x41 + i * 7));
    return payload;
}

} // namespace

class TestCUSBHID : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void frameLayout_data();
    void frameLayout();
    void knownFrames_data();
    void knownFrames();
    void refusesOverlongPayload();
    void transmitWhileClosedIsSilent();
    void queueLeavesInOrderOnePerTick();
    void receivedFrames_data();
    void receivedFrames();
    void readErrorClosesOnceAndEmptiesQueue();
    void startAndStopReturnCodes();
    void openFailureIsLogged();
    void burstWhileEventLoopBlocked();
    void unitWithoutSerialNumber();
    void receiverMayCloseTheLink();

private:
    HidapiBackend m_backend;
    CConsole* m_console = nullptr;
    CUSBHID* m_usb = nullptr;
};

void TestCUSBHID::init()
{
    FakeHidapi::reset();
    FakeHidapi::plug(serialA);
    m_console = new CConsole;
    for (CConsole::Level level : { CConsole::Error, CConsole::Warn, CConsole::Info })
        m_console->setLevelEnabled(level, true);
    // Built as the main window builds it: real units through hidapi (replaced here at link time).
    m_usb = new CUSBHID(nullptr, m_console);
}

void TestCUSBHID::cleanup()
{
    delete m_usb;
    delete m_console;
    FakeHidapi::reset();
}

void TestCUSBHID::frameLayout_data()
{
    QTest::addColumn<int>("length");
    for (int length = 0; length <= 36; ++length)
        QTest::addRow("payload %d", length) << length;
}

void TestCUSBHID::frameLayout()
{
    QFETCH(int, length);
    QCOMPARE(m_usb->start(serialA), 0);
    const QByteArray payload = payloadOf(length);
    m_usb->transmit(0x2a, 0x101, payload.constData(), length);
    m_usb->onHidTimer();

    const QList<QByteArray> written = FakeHidapi::written(serialA);
    QCOMPARE(written.size(), 1);
    const QByteArray report = written.first();
    QCOMPARE(report.size(), 41);
    QCOMPARE(quint8(report[0]), quint8(0)); // report id
    QCOMPARE(quint8(report[1]), quint8(0x2a));
    QCOMPARE(quint8(report[2]), quint8(0x01)); // low 8 bits of the type
    QCOMPARE(quint8(report[3]), quint8(length + 3));
    QCOMPARE(report.mid(4, length), payload);
    quint8 expected = 0;
    for (int i = 1; i <= length + 3; ++i)
        expected ^= quint8(report[i]);
    QCOMPARE(quint8(report[40]), expected);
    // What follows the payload is not covered by the checksum and is left zero.
    QCOMPARE(report.mid(4 + length, 36 - length), QByteArray(36 - length, '\0'));
}

void TestCUSBHID::knownFrames_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("checksum");
    QTest::newRow("firmware read") << 5 << 1 << QByteArray() << QByteArray::fromHex("00050103") << 0x07;
    QTest::newRow("identify on") << 7 << 0 << QByteArray(1, '\1') << QByteArray::fromHex("0007000401") << 0x02;
}

void TestCUSBHID::knownFrames()
{
    QFETCH(int, id);
    QFETCH(int, type);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, head);
    QFETCH(int, checksum);
    m_usb->start(serialA);
    m_usb->transmit(quint8(id), type, payload.isEmpty() ? nullptr : payload.constData(), payload.size());
    m_usb->onHidTimer();
    const QByteArray report = FakeHidapi::written(serialA).value(0);
    QVERIFY(report.startsWith(head));
    QCOMPARE(int(quint8(report[40])), checksum);
}

void TestCUSBHID::refusesOverlongPayload()
{
    m_usb->start(serialA);
    const QByteArray payload = payloadOf(37);
    m_usb->transmit(1, 0, payload.constData(), payload.size());
    QCOMPARE(m_usb->pendingCount(), 0);
    m_usb->onHidTimer();
    QVERIFY(FakeHidapi::written(serialA).isEmpty());
    QVERIFY(m_console->plainText().contains(QStringLiteral("ERROR] transmit: message length exceeded!")));
}

void TestCUSBHID::transmitWhileClosedIsSilent()
{
    const QString before = m_console->plainText();
    m_usb->transmit(5, 1, nullptr, 0);
    QCOMPARE(m_usb->pendingCount(), 0);
    const QByteArray payload = payloadOf(40);
    m_usb->transmit(5, 1, payload.constData(), payload.size());
    QCOMPARE(m_console->plainText(), before);
}

void TestCUSBHID::queueLeavesInOrderOnePerTick()
{
    m_usb->start(serialA);
    const int count = 250;
    for (int i = 0; i < count; ++i) {
        const QByteArray payload = QByteArray::number(i);
        m_usb->transmit(quint8(i % 17), 0, payload.constData(), payload.size());
    }
    QCOMPARE(m_usb->pendingCount(), count);
    for (int tick = 1; tick <= count; ++tick) {
        m_usb->onHidTimer();
        QCOMPARE(FakeHidapi::written(serialA).size(), tick);
    }
    const QList<QByteArray> written = FakeHidapi::written(serialA);
    for (int i = 0; i < count; ++i) {
        const QByteArray payload = QByteArray::number(i);
        QCOMPARE(int(quint8(written[i][1])), i % 17);
        QCOMPARE(written[i].mid(4, payload.size()), payload);
    }
    m_usb->onHidTimer();
    QCOMPARE(FakeHidapi::written(serialA).size(), count);
}

void TestCUSBHID::receivedFrames_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("delivered");

    QTest::newRow("valid, empty payload") << deviceFrame(5, 1, QByteArray()) << true;
    QTest::newRow("valid, full payload") << deviceFrame(3, 0, payloadOf(36)) << true;
    QByteArray badChecksum = deviceFrame(3, 0, "OK");
    badChecksum[39] = char(badChecksum[39] ^ 0x10);
    QTest::newRow("wrong checksum") << badChecksum << false;
    QByteArray overlong = deviceFrame(3, 0, "OK");
    overlong[2] = char(40);
    QTest::newRow("length byte 40") << overlong << false;
    QTest::newRow("short read") << deviceFrame(3, 0, "OK").left(39) << false;
    QByteArray zeroLength(40, '\0');
    QTest::newRow("length byte 0, checksum 0") << zeroLength << true;
    // Bytes after the covered length do not matter.
    QByteArray noisyTail = deviceFrame(4, 1, QByteArray::fromHex("0a3401"));
    noisyTail[30] = char(0x77);
    QTest::newRow("noise after the payload") << noisyTail << true;
}

void TestCUSBHID::receivedFrames()
{
    QFETCH(QByteArray, report);
    QFETCH(bool, delivered);
    m_usb->start(serialA);
    QSignalSpy spy(m_usb, &CUSBHID::dataAvailable);
    const QString logBefore = m_console->plainText();
    FakeHidapi::deliver(serialA, report);
    m_usb->onHidTimer();
    QCOMPARE(spy.count(), delivered ? 1 : 0);
    QCOMPARE(m_console->plainText(), logBefore);
    if (delivered) {
        QCOMPARE(spy[0][0].toInt(), int(quint8(report[0])));
        QCOMPARE(spy[0][1].toInt(), int(quint8(report[1])));
        QCOMPARE(spy[0][2].toByteArray(), report.mid(3, 36));
    }
}

void TestCUSBHID::readErrorClosesOnceAndEmptiesQueue()
{
    m_usb->start(serialA);
    QSignalSpy disconnected(m_usb, &CUSBHID::disconnected);
    for (int i = 0; i < 5; ++i)
        m_usb->transmit(3, 0, "AT", 2);
    FakeHidapi::unplug(serialA);
    m_usb->onHidTimer();
    QCOMPARE(disconnected.count(), 1);
    QVERIFY(!m_usb->isConnected());
    QCOMPARE(m_usb->pendingCount(), 0);
    QVERIFY(FakeHidapi::written(serialA).isEmpty());
    QCOMPARE(FakeHidapi::closeCalls(), 1);
    QCOMPARE(FakeHidapi::exitCalls(), 1);
    QVERIFY(m_console->plainText().endsWith(QStringLiteral("INFO] Disconnected")));
    m_usb->onHidTimer();
    QCOMPARE(m_usb->stop(), -1);
    QCOMPARE(disconnected.count(), 1);
}

void TestCUSBHID::startAndStopReturnCodes()
{
    QSignalSpy connected(m_usb, &CUSBHID::connected);
    QSignalSpy disconnected(m_usb, &CUSBHID::disconnected);
    QCOMPARE(m_usb->stop(), -1);
    QCOMPARE(m_usb->start(serialA), 0);
    QVERIFY(m_usb->isConnected());
    QVERIFY(FakeHidapi::isOpen(serialA));
    QCOMPARE(m_usb->start(serialA), -1);
    QCOMPARE(m_usb->start(QStringLiteral("OTHER")), -1);
    QCOMPARE(connected.count(), 1);
    QCOMPARE(FakeHidapi::openCalls(), 1);
    QCOMPARE(m_usb->stop(), 0);
    QVERIFY(!FakeHidapi::isOpen(serialA));
    QCOMPARE(m_usb->stop(), -1);
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(m_usb->start(serialA), 0);
    QCOMPARE(connected.count(), 2);
    QVERIFY(m_console->plainText().contains(QStringLiteral("INFO] Connected")));
}

void TestCUSBHID::openFailureIsLogged()
{
    QSignalSpy connected(m_usb, &CUSBHID::connected);
    FakeHidapi::setOpenFails(serialA, true);
    QCOMPARE(m_usb->start(serialA), -2);
    QCOMPARE(m_usb->start(QStringLiteral("NOPE")), -2);
    QCOMPARE(connected.count(), 0);
    const QString log = m_console->plainText();
    QVERIFY(log.contains(QStringLiteral("INFO] Unable to open device [PH000123]")));
    QVERIFY(log.contains(QStringLiteral("INFO] Unable to open device [NOPE]")));
    QVERIFY(log.contains(QStringLiteral("WARN] start() - Unable to open USB device with VID: 0x0805, PID: 0x1403")));
}

void TestCUSBHID::burstWhileEventLoopBlocked()
{
    // The unit sends 200 frames, two per millisecond, for 100 ms while the GUI thread is busy
    // (a dialog opening, a table reload) and lets the event loop run only every 30 ms. The
    // fake unit buffers 64 reports like hidraw: a link that read one report per tick would
    // lose most of them.
    FakeHidapi::setBufferCapacity(64);
    m_usb->start(serialA);
    QSignalSpy spy(m_usb, &CUSBHID::dataAvailable);
    QList<QByteArray> expected;
    for (int ms = 0; ms < 100; ++ms) {
        for (int k = 0; k < 2; ++k) {
            const QByteArray payload = QByteArray::number(expected.size());
            expected.append(payload);
            QVERIFY(FakeHidapi::deliver(serialA, deviceFrame(15, 0, payload)));
        }
        QThread::usleep(1000);
        if (ms % 30 == 29)
            QCoreApplication::processEvents();
    }
    QTRY_COMPARE(spy.count(), expected.size());
    QCOMPARE(FakeHidapi::dropped(serialA), 0);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(spy[i][2].toByteArray().left(expected[i].size()), expected[i]);
}

void TestCUSBHID::unitWithoutSerialNumber()
{
    FakeHidapi::reset();
    FakeHidapi::plug(QString(), QStringLiteral("/dev/hidraw7"));
    const QStringList listed = m_backend.listDevices(CUSBHID::VendorId, CUSBHID::ProductId);
    QCOMPARE(listed, QStringList { QStringLiteral("/dev/hidraw7") });
    QCOMPARE(m_usb->start(listed.first()), 0);
    QVERIFY(FakeHidapi::isOpen(QString()));
    // A path that is not a listed unit without a serial number is not opened.
    m_usb->stop();
    QCOMPARE(m_usb->start(QStringLiteral("/dev/hidraw0")), -2);
}

void TestCUSBHID::receiverMayCloseTheLink()
{
    m_usb->start(serialA);
    m_usb->transmit(5, 1, nullptr, 0);
    connect(m_usb, &CUSBHID::dataAvailable, m_usb, [this] { m_usb->stop(); });
    FakeHidapi::deliver(serialA, deviceFrame(3, 0, "RING"));
    FakeHidapi::deliver(serialA, deviceFrame(3, 0, "RING"));
    m_usb->onHidTimer();
    QVERIFY(!m_usb->isConnected());
    QVERIFY(FakeHidapi::written(serialA).isEmpty());
}

QTEST_MAIN(TestCUSBHID)
#include "tst_cusbhid.moc"
