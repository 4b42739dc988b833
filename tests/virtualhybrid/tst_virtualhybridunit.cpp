#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QTest>

#include <memory>

using namespace DeviceMessage;
using Messages = QHash<int, QList<QByteArray>>; // payloads by message id, in the order they came

namespace {

const QString serialA = QStringLiteral("VH000001");
const quint16 vid = CUSBHID::VendorId;
const quint16 pid = CUSBHID::ProductId;

QByteArray report(quint8 id, quint8 type, const QByteArray& payload)
{
    return QByteArray(1, '\0') + DeviceFrame::encode(id, type, payload.constData(), payload.size());
}

// The module lines: each text ends at its NUL or at the end of the payload.
QStringList lines(const Messages& messages)
{
    QStringList lines;
    for (const QByteArray& payload : messages[AtCommand])
        lines.append(QString::fromLatin1(payload.contains('\0') ? payload.left(payload.indexOf('\0')) : payload));
    return lines;
}

} // namespace

class TestVirtualHybridUnit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void hostFrames_data();
    void hostFrames();
    void connectionRequests();
    void moduleLines();
    void firmwarePollsTheModule();
    void store();
    void reboot();
    void unplugAndBackend();
    void corruptFrames();
    void autoAnswer();

private:
    bool open() { return (m_device = m_backend->open(vid, pid, serialA)) != nullptr; }
    int send(const QByteArray& r) { return m_device->write(reinterpret_cast<const uchar*>(r.data()), r.size()); }
    void write(quint8 id, quint8 type, const QByteArray& payload = QByteArray()) { send(report(id, type, payload)); }
    void writeLine(const char* line) { write(AtCommand, Write, QByteArray(line) + '\0'); }
    void writeRegister(const char* hex) { write(CodecRegister, Write, QByteArray::fromHex(hex)); }
    void powerCycle()
    {
        m_unit->unplug();
        m_unit->plug();
    }
    QList<QByteArray> readReports();
    Messages collect(int ms, int stepMs = 10);

    ManualClock m_clock;
    std::unique_ptr<VirtualHybridBackend> m_backend;
    VirtualHybridUnit* m_unit = nullptr;
    std::unique_ptr<HidDevice> m_device;
    int m_malformed = 0;
};

void TestVirtualHybridUnit::init()
{
    m_backend = std::make_unique<VirtualHybridBackend>(&m_clock);
    m_unit = m_backend->addUnit(serialA);
    m_malformed = 0;
    QVERIFY(open());
}

void TestVirtualHybridUnit::cleanup()
{
    QCOMPARE(m_malformed, 0); // every frame the unit sent was well formed
    m_device.reset();
    m_backend.reset();
}

QList<QByteArray> TestVirtualHybridUnit::readReports()
{
    QList<QByteArray> reports;
    QByteArray buffer(41, '\0');
    for (int size; (size = m_device->read(reinterpret_cast<unsigned char*>(buffer.data()), 41)) > 0;)
        reports.append(buffer.left(size));
    return reports;
}

// Lets ms of unit time pass while the host reads as often as the link would. A malformed frame
// (wrong size or checksum, length byte outside 3 to 39, bytes after the payload) fails the test.
Messages TestVirtualHybridUnit::collect(int ms, int stepMs)
{
    Messages messages;
    for (int elapsed = 0; elapsed < ms; elapsed += stepMs) {
        m_clock.advance(qMin(stepMs, ms - elapsed));
        for (const QByteArray& frame : readReports()) {
            const int length = frame.size() == 40 ? quint8(frame[2]) : 0;
            if (length < 3 || !DeviceFrame::isValid(frame) || frame.mid(length, 39 - length).count('\0') != 39 - length)
                ++m_malformed;
            else
                messages[quint8(frame[0])].append(frame.mid(3, length - 3));
        }
    }
    return messages;
}

void TestVirtualHybridUnit::hostFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("good");
    const QByteArray good = report(FirmwareVersion, Read, QByteArray());
    QTest::newRow("well formed") << good << true;
    QTest::newRow("no report id") << good.mid(1) << false;
    QTest::newRow("report id 1") << QByteArray(good).replace(0, 1, "\1") << false;
    QTest::newRow("wrong checksum") << QByteArray(good).replace(40, 1, "\6") << false;
    QTest::newRow("length byte 2") << QByteArray(good).replace(3, 1, "\2").replace(40, 1, "\4") << false;
    QTest::newRow("length byte 40") << QByteArray(good).replace(3, 1, "\x28") << false;
    QTest::newRow("noise after the payload") << QByteArray(good).replace(30, 1, "U") << true;
}

void TestVirtualHybridUnit::hostFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, good);
    QCOMPARE(send(bytes), bytes.size());
    QCOMPARE(m_unit->framesReceived(), good ? 1 : 0);
    QCOMPARE(m_unit->badFramesReceived(), good ? 0 : 1);
    QCOMPARE(collect(20).value(FirmwareVersion).size(), good ? 1 : 0); // only a good request is answered
}

void TestVirtualHybridUnit::connectionRequests()
{
    // The program's requests at every connection; 8, 12 and 14 get no answer.
    for (quint8 id : { 0, 1, 2, 8, 12, 14, 16, 5 })
        write(id, Read);
    Messages answers = collect(200);
    QCOMPARE(answers[SerialNumber], QList<QByteArray> { QByteArray("VH000001\0", 9) });
    QCOMPARE(answers[HardwareId].value(0).size(), 15);
    QCOMPARE(answers[AutoAnswer], QList<QByteArray> { QByteArray(1, '\0') });
    QCOMPARE(answers[FirmwareVersion].value(0).toHex(), QByteArray("0000000002000000010000000000000007000000"));
    QVERIFY(!answers.contains(8) && !answers.contains(12) && !answers.contains(14));
    // Request 0 brings the complete register report, 0 to 79, ending with 79.
    const QList<QByteArray> registers = answers[CodecRegister];
    QCOMPARE(registers.size(), 80);
    for (int address = 0; address < 80; ++address) {
        const quint16 value = m_unit->codecRegister(address);
        QCOMPARE(registers.value(address), QByteArray(1, char(address)) + char(value & 0xFF) + char(value >> 8));
    }
    QCOMPARE(registers[11], QByteArray::fromHex("0bff00")); // the DAC at 0 dB
}

void TestVirtualHybridUnit::moduleLines()
{
    collect(100);
    writeLine("ATI");
    writeLine("AT+GMI\r"); // a line ending from the host is not part of the command
    QCOMPARE(lines(collect(50)),
        (QStringList { "ATI", "Quectel", "UC20", "Revision: UC20GQBR03A14E1G", "OK", "AT+GMI", "Quectel", "OK" }));
    QCOMPARE(m_unit->atCommandsReceived(), (QStringList { "ATI", "AT+GMI" }));
    // A line of 36 characters fills a payload and arrives whole, without a NUL; a longer one is split.
    m_unit->ringIn("+441234567890");
    writeLine("AT+CLCC");
    QCOMPARE(lines(collect(20)), (QStringList { "RING", "AT+CLCC", "+CLCC: 1,1,4,0,0,\"+441234567890\",145", "OK" }));
    m_unit->farEndHangsUp();
    m_unit->ringIn("+4412345678901234");
    writeLine("AT+CLCC");
    QCOMPARE(lines(collect(20)),
        (QStringList { "NO CARRIER", "RING", "AT+CLCC", "+CLCC: 1,1,4,0,0,\"+4412345678901234\"", ",145", "OK" }));
}

void TestVirtualHybridUnit::firmwarePollsTheModule()
{
    // Four call polls a second, signal and codec once a second, none of them the host's.
    const QStringList polls = lines(collect(2010));
    QCOMPARE(polls.count("AT+CLCC"), 8);
    QCOMPARE(polls.count("AT+CSQ"), 2);
    QCOMPARE(polls.count("AT+QSPCH"), 2);
    QVERIFY(m_unit->atCommandsReceived().isEmpty());
    // While the module takes message text no poll gets into the message.
    writeLine("AT+CMGF=1");
    writeLine("AT+CMGS=\"0612345678\"");
    QCOMPARE(lines(collect(2000)), (QStringList { "AT+CMGF=1", "OK", "AT+CMGS=\"0612345678\"", "> " }));
    write(AtCommand, Write, QByteArray("SMS\x1a\0", 5));
    QVERIFY(lines(collect(1000)).contains("AT+CLCC"));
    QCOMPARE(m_unit->module()->sentMessages().value(0).text, QStringLiteral("SMS"));
}

void TestVirtualHybridUnit::store()
{
    writeRegister("0b8000");
    write(AutoAnswer, Write, QByteArray(1, '\7'));
    write(StoreSettings, Write);
    QVERIFY(collect(VirtualHybridUnit::StoreDelayMs - 10).value(StoreSettings).isEmpty());
    QCOMPARE(collect(20).value(StoreSettings).size(), 1);
    writeRegister("0b4000"); // changed after the store: lost at the next power cycle
    powerCycle();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
    QVERIFY(m_unit->autoAnswer());
    QCOMPARE(m_unit->storeCount(), 1);
    // A silent unit counts the store but neither confirms nor keeps it.
    QVERIFY(open());
    m_unit->setStoreSilent(true);
    writeRegister("0b2000");
    write(StoreSettings, Write);
    QVERIFY(collect(15000, 50).value(StoreSettings).isEmpty());
    QCOMPARE(m_unit->storeCount(), 2);
    powerCycle();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
    // A factory reset reports the defaults, so that the program's pages follow, and keeps them.
    QVERIFY(open());
    write(FactoryReset, Write);
    const Messages defaults = collect(200);
    QCOMPARE(defaults[CodecRegister].size(), 80);
    QCOMPARE(defaults[CodecRegister][11], QByteArray::fromHex("0bff00"));
    QCOMPARE(defaults[AutoAnswer], QList<QByteArray> { QByteArray(1, '\0') });
    powerCycle();
    QVERIFY(m_unit->codecRegister(11) == 0x0FF && !m_unit->autoAnswer());
}

void TestVirtualHybridUnit::reboot()
{
    write(SerialNumber, Write, QByteArray("24030507V2\0", 11));
    write(SerialNumber, Read);
    QCOMPARE(collect(20).value(SerialNumber), QList<QByteArray> { QByteArray("24030507V2\0", 11) });
    QCOMPARE(m_backend->listDevices(vid, pid), QStringList { serialA }); // until the unit starts again
    m_unit->ringIn("0201234567");
    write(Reboot, Write);
    // Gone from USB: the handle fails, the unit is neither listed nor openable, the call is lost.
    unsigned char buffer[41] = {};
    QCOMPARE(m_device->read(buffer, 41), -1);
    QVERIFY(m_backend->listDevices(vid, pid).isEmpty());
    QVERIFY(!open());
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::NoCall);
    m_clock.advance(VirtualHybridUnit::RebootMs - 1);
    QVERIFY(m_backend->listDevices(vid, pid).isEmpty());
    m_clock.advance(1);
    QCOMPARE(m_backend->listDevices(vid, pid), QStringList { "24030507V2" });
    QVERIFY(m_backend->open(vid, pid, QStringLiteral("24030507V2")));
}

void TestVirtualHybridUnit::unplugAndBackend()
{
    // Units are listed in the order they were added, and only under the hybrid's ids.
    QVERIFY(!m_backend->addUnit(serialA));
    m_backend->addUnit(QStringLiteral("VH000000"));
    QCOMPARE(m_backend->listDevices(vid, pid), (QStringList { serialA, "VH000000" }));
    QVERIFY(m_backend->listDevices(vid + 1, pid).isEmpty() && !m_backend->open(vid, pid + 1, "VH000000"));
    QVERIFY(!m_backend->open(vid, pid, serialA)); // open already
    // Unplugged, the unit drops its call and its session.
    m_unit->ringIn("0201234567");
    m_unit->unplug();
    QCOMPARE(m_backend->listDevices(vid, pid), QStringList { "VH000000" });
    m_unit->plug();
    QCOMPARE(m_unit->callStateText(), QStringLiteral("Idle"));
    unsigned char buffer[41] = {};
    QCOMPARE(m_device->read(buffer, 41), -1); // an old handle stays dead
    m_device.reset();                         // and closing it does not close the next session
    QVERIFY(open());
    QVERIFY(m_unit->isOpen());
}

void TestVirtualHybridUnit::corruptFrames()
{
    m_unit->setCorruptFrames(true);
    write(ConnectRequest0, Read);
    QList<QByteArray> reports;
    for (int i = 0; i < 100; ++i, m_clock.advance(10))
        reports += readReports();
    QVERIFY(reports.size() > 80);
    for (const QByteArray& frame : qAsConst(reports))
        QVERIFY(frame.size() != 40 || !DeviceFrame::isValid(frame));
    m_unit->setCorruptFrames(false);
    write(FirmwareVersion, Read);
    QCOMPARE(collect(50).value(FirmwareVersion).size(), 1);
}

void TestVirtualHybridUnit::autoAnswer()
{
    write(AutoAnswer, Write, QByteArray(1, '\1'));
    m_unit->ringIn("0201234567");
    QCOMPARE(lines(collect(2 * VirtualUC20Module::RingIntervalMs - 10)).count("RING"), 2);
    // The third ring is answered, and the firmware's ATA is forwarded like any answer.
    const QStringList third = lines(collect(20));
    QCOMPARE(third.mid(third.indexOf("ATA")), (QStringList { "ATA", "OK" }));
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallActive);
    m_unit->farEndHangsUp();
    write(AutoAnswer, Write, QByteArray(1, '\0'));
    m_unit->ringIn("0201234567");
    collect(20000, 50);
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallIncoming);
}

QTEST_GUILESS_MAIN(TestVirtualHybridUnit)
#include "tst_virtualhybridunit.moc"
