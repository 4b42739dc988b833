#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QTest>
#include <QtEndian>

#include <cstring>
#include <memory>

using namespace DeviceMessage;

namespace {

const QString serialA = QStringLiteral("VH000001");

struct Message
{
    int id;
    QByteArray payload; // the bytes the length byte covers
};

QByteArray report(quint8 id, quint8 type, const QByteArray& payload)
{
    return QByteArray(1, '\0') + DeviceFrame::encode(id, type, payload.constData(), payload.size());
}

float floatAt(const QByteArray& bytes, int offset)
{
    const quint32 bits = qFromLittleEndian<quint32>(bytes.constData() + offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QList<QByteArray> payloads(const QList<Message>& messages, int id)
{
    QList<QByteArray> selected;
    for (const Message& message : messages) {
        if (message.id == id)
            selected.append(message.payload);
    }
    return selected;
}

// The module lines among the messages: each text ends at its NUL or at the end of the payload.
QStringList lines(const QList<Message>& messages)
{
    QStringList lines;
    for (const QByteArray& payload : payloads(messages, AtCommand)) {
        const int end = payload.indexOf('\0');
        lines.append(QString::fromLatin1(end < 0 ? payload : payload.left(end)));
    }
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
    void sentFramesAreWellFormed();
    void connectionRequests();
    void codecRegisters();
    void moduleLines();
    void firmwarePollsTheModule();
    void levels();
    void levelsFollowTheCodecGains();
    void store();
    void factoryReset();
    void reboot();
    void unplugAndPlug();
    void corruptFrames();
    void hostBufferOverflows();
    void autoAnswer();
    void debugText();
    void backend();

private:
    bool open();
    void write(quint8 id, quint8 type, const QByteArray& payload = QByteArray());
    void writeLine(const char* line) { write(AtCommand, Write, QByteArray(line) + '\0'); }
    void powerCycle()
    {
        m_unit->unplug();
        m_unit->plug();
    }
    QList<QByteArray> readReports();
    QList<Message> collect(int ms, int stepMs = 10);

    ManualClock* m_clock = nullptr;
    VirtualHybridBackend* m_backend = nullptr;
    VirtualHybridUnit* m_unit = nullptr;
    std::unique_ptr<HidDevice> m_device;
    int m_malformed = 0;
};

void TestVirtualHybridUnit::init()
{
    m_clock = new ManualClock;
    m_backend = new VirtualHybridBackend(m_clock);
    m_unit = m_backend->addUnit(serialA);
    m_malformed = 0;
    QVERIFY(open());
}

void TestVirtualHybridUnit::cleanup()
{
    m_device.reset();
    delete m_backend;
    delete m_clock;
    QCOMPARE(m_malformed, 0);
}

bool TestVirtualHybridUnit::open()
{
    m_device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, serialA);
    return m_device != nullptr;
}

void TestVirtualHybridUnit::write(quint8 id, quint8 type, const QByteArray& payload)
{
    const QByteArray bytes = report(id, type, payload);
    QCOMPARE(m_device->write(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()), 41);
}

// Everything waiting in the host's input buffer.
QList<QByteArray> TestVirtualHybridUnit::readReports()
{
    QList<QByteArray> reports;
    QByteArray buffer(41, '\0');
    for (int size; (size = m_device->read(reinterpret_cast<unsigned char*>(buffer.data()), 41)) > 0;)
        reports.append(buffer.left(size));
    return reports;
}

// Lets ms of unit time pass while the host reads as often as the link would; a malformed frame
// (wrong size or checksum, length byte outside 3 to 39, bytes after the payload) fails the test.
QList<Message> TestVirtualHybridUnit::collect(int ms, int stepMs)
{
    QList<Message> messages;
    for (int elapsed = 0; elapsed < ms; elapsed += stepMs) {
        m_clock->advance(qMin(stepMs, ms - elapsed));
        for (const QByteArray& frame : readReports()) {
            const int length = frame.size() == 40 ? quint8(frame[2]) : 0;
            if (length < 3 || !DeviceFrame::isValid(frame) || frame.mid(length, 39 - length).count('\0') != 39 - length)
                ++m_malformed;
            else
                messages.append(Message { quint8(frame[0]), frame.mid(3, length - 3) });
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
    QTest::newRow("wrong checksum") << QByteArray(good).replace(40, 1, QByteArray(1, char(good[40] ^ 1))) << false;
    QTest::newRow("length byte 2") << QByteArray(good).replace(3, 1, "\2").replace(40, 1, "\4") << false;
    QTest::newRow("length byte 40") << QByteArray(good).replace(3, 1, "\x28") << false;
    QTest::newRow("noise after the payload") << QByteArray(good).replace(30, 1, "U") << true;
}

void TestVirtualHybridUnit::hostFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, good);
    collect(50);
    QCOMPARE(m_device->write(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()), bytes.size());
    QCOMPARE(m_unit->framesReceived(), good ? 1 : 0);
    QCOMPARE(m_unit->badFramesReceived(), good ? 0 : 1);
    QCOMPARE(payloads(collect(20), FirmwareVersion).size(), good ? 1 : 0);
}

void TestVirtualHybridUnit::sentFramesAreWellFormed()
{
    for (quint8 id : { 0, 1, 2, 5, 16 })
        write(id, Read);
    writeLine("ATI");
    m_unit->ringIn("0201234567");
    const int received = collect(2000).size();
    QVERIFY(received > 150);
    QCOMPARE(m_unit->framesSent(), received);
    QCOMPARE(m_unit->reportsLost(), 0);
}

void TestVirtualHybridUnit::connectionRequests()
{
    collect(100);
    // The program's requests at every connection, in its order; 8, 12 and 14 get no answer.
    for (quint8 id : { 0, 1, 2, 8, 12, 14, 16, 5 })
        write(id, Read);
    QList<Message> answers;
    for (const Message& message : collect(200)) {
        if (message.id != AudioLevels && message.id != AtCommand)
            answers.append(message);
    }
    QCOMPARE(answers.size(), 80 + 4);
    // Request 0 brings the complete register report, 0 to 79, ending with 79.
    for (int address = 0; address < 80; ++address) {
        const QByteArray payload = answers[address].payload;
        QCOMPARE(answers[address].id, int(CodecRegister));
        QCOMPARE(payload.size(), 3);
        QCOMPARE(int(quint8(payload[0])), address);
        QCOMPARE(quint8(payload[1]) | quint8(payload[2]) << 8, int(m_unit->codecRegister(address)));
    }
    QCOMPARE(int(quint8(answers[11].payload[1])), 0xFF); // the DAC at 0 dB
    QCOMPARE(answers[80].payload, QByteArray("VH000001\0", 9));
    QCOMPARE(answers[81].id, int(HardwareId));
    QCOMPARE(answers[81].payload, m_unit->hardwareId());
    QCOMPARE(answers[81].payload.size(), 15);
    QCOMPARE(answers[82].payload, QByteArray(1, '\0')); // auto answer off
    QCOMPARE(answers[83].payload.toHex(),
        QByteArray("00000000020000000100000000000000"
                   "07000000"));
}

void TestVirtualHybridUnit::codecRegisters()
{
    write(CodecRegister, Write, QByteArray::fromHex("2dab00"));
    write(CodecRegister, Write, QByteArray::fromHex("0bff01"));
    write(CodecRegister, Write, QByteArray::fromHex("2d")); // too short
    write(CodecRegister, Read, QByteArray::fromHex("2d"));
    write(CodecRegister, Read, QByteArray::fromHex("0b"));
    write(CodecRegister, Read, QByteArray::fromHex("50")); // 80: none
    const QList<Message> messages = collect(30);
    QCOMPARE(payloads(messages, CodecRegister),
        (QList<QByteArray> { QByteArray::fromHex("2dab00"), QByteArray::fromHex("0bff01") }));
    QVERIFY(payloads(messages, DebugText).last().contains("codec register 80 does not exist"));
    write(CodecRegister, Write, QByteArray::fromHex("000000")); // register 0 resets the codec
    QCOMPARE(int(m_unit->codecRegister(45)), 0x010);
    QCOMPARE(int(m_unit->codecRegister(11)), 0x0FF);
}

void TestVirtualHybridUnit::moduleLines()
{
    collect(100);
    writeLine("ATI");
    writeLine("AT+GMI\r"); // a line ending from the host is not part of the command
    QCOMPARE(lines(collect(50)),
        (QStringList { "ATI", "Quectel", "UC20", "Revision: UC20GQBR03A14E1G", "OK", "AT+GMI", "Quectel", "OK" }));
    QCOMPARE(m_unit->atCommandsReceived(), (QStringList { "ATI", "AT+GMI" }));
    // A line of 36 characters fills a payload and arrives whole, without a NUL; a longer one is
    // split.
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
    QCOMPARE(polls.count("OK"), 12);
    QVERIFY(m_unit->atCommandsReceived().isEmpty());
    m_unit->ringIn("0201234567");
    QVERIFY(lines(collect(300)).contains("+CLCC: 1,1,4,0,0,\"0201234567\",129"));

    // While the module takes message text, no poll gets into the message.
    writeLine("AT+CMGF=1");
    writeLine("AT+CMGS=\"0612345678\"");
    QCOMPARE(lines(collect(2000)), (QStringList { "AT+CMGF=1", "OK", "AT+CMGS=\"0612345678\"", "> " }));
    writeLine("Dit is een test SMS");
    write(AtCommand, Write, QByteArray("\x1a\0", 2));
    QVERIFY(lines(collect(1000)).contains("AT+CLCC"));
    QCOMPARE(m_unit->module()->sentMessages().value(0).text, QStringLiteral("Dit is een test SMS\n"));
}

void TestVirtualHybridUnit::levels()
{
    // Outside a call: 25 reports a second on the noise floor.
    QList<QByteArray> levels = payloads(collect(1010), AudioLevels);
    QCOMPARE(levels.size(), 25);
    for (const QByteArray& payload : levels) {
        QCOMPARE(payload.size(), 8);
        QVERIFY(qMin(floatAt(payload, 0), floatAt(payload, 4)) >= -60.0f);
        QVERIFY(qMax(floatAt(payload, 0), floatAt(payload, 4)) <= -55.0f);
    }
    // In a call both sides talk: the levels swing over most of the speech range.
    m_unit->ringIn("0201234567");
    writeLine("ATA");
    float lowest[2] = { 0.0f, 0.0f };
    float highest[2] = { -100.0f, -100.0f };
    for (const QByteArray& payload : payloads(collect(20000), AudioLevels)) {
        for (int channel : { 0, 1 }) {
            lowest[channel] = qMin(lowest[channel], floatAt(payload, channel * 4));
            highest[channel] = qMax(highest[channel], floatAt(payload, channel * 4));
        }
    }
    for (int channel : { 0, 1 }) {
        QVERIFY(lowest[channel] >= -40.0f && lowest[channel] < -35.0f);
        QVERIFY(highest[channel] <= -3.0f && highest[channel] > -10.0f);
    }
    m_unit->farEndHangsUp();
    collect(10); // a report still on its way
    for (const QByteArray& payload : payloads(collect(500), AudioLevels))
        QVERIFY(floatAt(payload, 0) <= -55.0f);
}

void TestVirtualHybridUnit::levelsFollowTheCodecGains()
{
    m_unit->ringIn("0201234567");
    writeLine("ATA");
    write(CodecRegister, Write, QByteArray::fromHex("0bd700")); // DAC gain code 215: 20 dB down
    write(CodecRegister, Write, QByteArray::fromHex("2d5000")); // PGA muted
    collect(10);
    for (const QByteArray& payload : payloads(collect(10000), AudioLevels)) {
        QVERIFY(floatAt(payload, 0) <= -23.0f);
        QCOMPARE(floatAt(payload, 4), -60.0f);
    }
    write(CodecRegister, Write, QByteArray::fromHex("0a4000")); // DAC soft mute
    collect(10);
    for (const QByteArray& payload : payloads(collect(2000), AudioLevels))
        QCOMPARE(floatAt(payload, 0), -60.0f);
}

void TestVirtualHybridUnit::store()
{
    write(CodecRegister, Write, QByteArray::fromHex("0b8000"));
    write(AutoAnswer, Write, QByteArray(1, '\7'));
    write(StoreSettings, Write);
    QVERIFY(payloads(collect(VirtualHybridUnit::StoreDelayMs - 10), StoreSettings).isEmpty());
    QCOMPARE(payloads(collect(20), StoreSettings).size(), 1);
    write(StoreSettings, Read); // a read request is no store
    QCOMPARE(m_unit->storeCount(), 1);
    write(CodecRegister, Write, QByteArray::fromHex("0b4000")); // changed after the store: lost
    powerCycle();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
    QVERIFY(m_unit->autoAnswer());

    // A power cut while the store is being written loses it.
    QVERIFY(open());
    write(CodecRegister, Write, QByteArray::fromHex("0b2000"));
    write(StoreSettings, Write);
    collect(VirtualHybridUnit::StoreDelayMs / 2);
    powerCycle();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x080);

    // A silent unit counts the store but neither confirms nor keeps it.
    QVERIFY(open());
    m_unit->setStoreSilent(true);
    write(CodecRegister, Write, QByteArray::fromHex("0b2000"));
    write(StoreSettings, Write);
    QCOMPARE(m_unit->storeCount(), 3);
    QVERIFY(payloads(collect(15000, 50), StoreSettings).isEmpty());
    powerCycle();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
}

void TestVirtualHybridUnit::factoryReset()
{
    write(CodecRegister, Write, QByteArray::fromHex("0b8000"));
    write(AutoAnswer, Write, QByteArray(1, '\1'));
    write(StoreSettings, Write);
    collect(500);
    write(FactoryReset, Write);
    // The unit reports the defaults so that the program's pages follow, and keeps them.
    const QList<Message> messages = collect(200);
    const QList<QByteArray> registers = payloads(messages, CodecRegister);
    QCOMPARE(registers.size(), 80);
    QCOMPARE(registers[11], QByteArray::fromHex("0bff00"));
    QCOMPARE(registers.last(), QByteArray::fromHex("4f0000"));
    QCOMPARE(payloads(messages, AutoAnswer), QList<QByteArray> { QByteArray(1, '\0') });
    powerCycle();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x0FF);
    QVERIFY(!m_unit->autoAnswer());
}

void TestVirtualHybridUnit::reboot()
{
    write(SerialNumber, Write, QByteArray("24030507V2\0", 11));
    write(SerialNumber, Read);
    QCOMPARE(payloads(collect(20), SerialNumber), QList<QByteArray> { QByteArray("24030507V2\0", 11) });
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), QStringList { serialA });
    m_unit->ringIn("0201234567");
    write(Reboot, Write);
    // Gone from USB: the open handle fails, the unit is neither listed nor openable, the call is lost.
    unsigned char buffer[41] = {};
    QCOMPARE(m_device->read(buffer, 41), -1);
    QCOMPARE(m_device->write(buffer, 41), -1);
    QVERIFY(m_unit->isRebooting());
    QVERIFY(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId).isEmpty());
    QVERIFY(!open());
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::NoCall);
    m_clock->advance(VirtualHybridUnit::RebootMs - 1);
    QVERIFY(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId).isEmpty());
    m_clock->advance(1);
    // Back, under the serial number written before.
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), QStringList { "24030507V2" });
    QCOMPARE(m_backend->unit(QStringLiteral("24030507V2")), m_unit);
    m_device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, QStringLiteral("24030507V2"));
    QVERIFY(m_device);
    // Texts that cannot be a serial number are refused.
    write(SerialNumber, Write, QByteArray("\0", 1));
    write(SerialNumber, Write, QByteArray("A B\0", 4));
    QCOMPARE(m_unit->serialNumber(), QStringLiteral("24030507V2"));
}

void TestVirtualHybridUnit::unplugAndPlug()
{
    m_unit->ringIn("0201234567");
    m_unit->unplug();
    unsigned char buffer[41];
    QCOMPARE(m_device->read(buffer, 41), -1);
    QVERIFY(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId).isEmpty());
    QCOMPARE(m_unit->callStateText(), QStringLiteral("Unplugged"));
    m_unit->ringIn("0201234567"); // nothing happens on an unplugged unit
    m_clock->advance(5000);
    m_unit->plug();
    QCOMPARE(m_unit->callStateText(), QStringLiteral("Idle"));
    QCOMPARE(m_device->read(buffer, 41), -1); // an old handle stays dead
    m_device.reset();                         // and closing it does not close the next session
    QVERIFY(open());
    QVERIFY(m_unit->isOpen());
}

void TestVirtualHybridUnit::corruptFrames()
{
    collect(100);
    m_unit->setCorruptFrames(true);
    write(ConnectRequest0, Read);
    int reports = 0;
    for (int i = 0; i < 100; ++i) {
        m_clock->advance(10);
        for (const QByteArray& frame : readReports()) {
            ++reports;
            QVERIFY(frame.size() != 40 || !DeviceFrame::isValid(frame));
        }
    }
    QVERIFY(reports > 100);
    m_unit->setCorruptFrames(false);
    write(FirmwareVersion, Read);
    QCOMPARE(payloads(collect(50), FirmwareVersion).size(), 1);
}

void TestVirtualHybridUnit::hostBufferOverflows()
{
    collect(100);
    const int sentBefore = m_unit->framesSent();
    // The host stops reading for 3 s while the unit sends levels, polls and a register report.
    write(ConnectRequest0, Read);
    m_clock->advance(3000);
    const int sent = m_unit->framesSent() - sentBefore;
    QVERIFY(sent > 64);
    QCOMPARE(m_unit->reportsLost(), sent - 64);
    const QList<QByteArray> waiting = readReports();
    QCOMPARE(waiting.size(), 64);
    // The oldest reports are kept: the register report came first.
    QCOMPARE(waiting.first().left(4), QByteArray::fromHex("04010600"));
}

void TestVirtualHybridUnit::autoAnswer()
{
    write(AutoAnswer, Write, QByteArray(1, '\1'));
    m_unit->ringIn("0201234567");
    QCOMPARE(lines(collect(2 * VirtualUC20Module::RingIntervalMs - 10)).count("RING"), 2);
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallIncoming);
    // The third ring is answered, and the firmware's ATA is forwarded like any answer.
    const QStringList third = lines(collect(20));
    QCOMPARE(third.first(), QStringLiteral("RING"));
    QCOMPARE(third.mid(third.indexOf("ATA")), (QStringList { "ATA", "OK" }));
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallActive);
    m_unit->farEndHangsUp();
    write(AutoAnswer, Write, QByteArray(1, '\0'));
    m_unit->ringIn("0201234567");
    collect(20000, 50);
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallIncoming);
}

void TestVirtualHybridUnit::debugText()
{
    // Byte 0 is skipped by the program; the text follows.
    QCOMPARE(collect(10).value(0).payload, QByteArray("\1Parlona VH000001 v2.1.0.7 ready\0", 33));
    write(200, Read);
    write(Identify, Write, QByteArray(1, '\1'));
    QVERIFY(m_unit->isIdentifying());
    QCOMPARE(payloads(collect(10), DebugText),
        (QList<QByteArray> { QByteArray("\1unknown message id 200\0", 24), QByteArray("\1identify on\0", 13) }));
}

void TestVirtualHybridUnit::backend()
{
    // Units are listed in the order they were added, and only under the hybrid's ids.
    QVERIFY(!m_backend->addUnit(serialA));
    m_backend->addUnit(QStringLiteral("VH000000"));
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), (QStringList { serialA, "VH000000" }));
    QVERIFY(m_backend->listDevices(CUSBHID::VendorId + 1, CUSBHID::ProductId).isEmpty());
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId + 1, QStringLiteral("VH000000")));
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, QStringLiteral("VH000009")));
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, serialA)); // open already
    // Closing ends the session: what the unit had queued does not reach the next one.
    write(FirmwareVersion, Read);
    m_device.reset();
    QVERIFY(!m_unit->isOpen());
    QVERIFY(open());
    QVERIFY(payloads(collect(100), FirmwareVersion).isEmpty());
    // A device outlives its backend.
    delete m_backend;
    m_backend = nullptr;
    unsigned char buffer[41] = {};
    QCOMPARE(m_device->read(buffer, 41), -1);
    QCOMPARE(m_device->write(buffer, 41), -1);
}

QTEST_GUILESS_MAIN(TestVirtualHybridUnit)
#include "tst_virtualhybridunit.moc"
