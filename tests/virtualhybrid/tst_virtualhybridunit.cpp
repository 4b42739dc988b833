#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "ManualClock.h"
#include "VirtualCodecRegisters.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <cstring>
#include <memory>

namespace {

const QString serialA = QStringLiteral("VH000001");

// One message as the unit sent it: the payload is the part the length byte covers.
struct Message
{
    int id;
    int type;
    QByteArray payload;
};

QByteArray report(quint8 id, quint8 type, const QByteArray& payload)
{
    return QByteArray(1, '\0') + DeviceFrame::encode(id, type, payload.constData(), payload.size());
}

QByteArray atLine(const char* text)
{
    return QByteArray(text) + '\0';
}

qint32 int32At(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

float floatAt(const QByteArray& bytes, int offset)
{
    const quint32 bits = qFromLittleEndian<quint32>(bytes.constData() + offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QList<Message> withId(const QList<Message>& messages, int id)
{
    QList<Message> selected;
    for (const Message& message : messages) {
        if (message.id == id)
            selected.append(message);
    }
    return selected;
}

// The module lines among the messages, text up to the NUL.
QStringList moduleLines(const QList<Message>& messages)
{
    QStringList lines;
    for (const Message& message : withId(messages, DeviceMessage::AtCommand)) {
        // A text ends at its NUL, or at the end of a payload it fills.
        const int end = message.payload.indexOf('\0');
        lines.append(QString::fromLatin1(end < 0 ? message.payload : message.payload.left(end)));
    }
    return lines;
}

// The responses a host would assemble from module lines: each closed by a final result code.
QList<QStringList> responses(const QStringList& lines)
{
    static const QStringList finalCodes { "OK", "ERROR", "RING", "NO CARRIER", "BUSY", "NO ANSWER", "CONNECT" };
    QList<QStringList> result;
    QStringList pending;
    for (const QString& line : lines) {
        pending.append(line);
        if (finalCodes.contains(line)) {
            result.append(pending);
            pending.clear();
        }
    }
    if (!pending.isEmpty())
        result.append(pending);
    return result;
}

} // namespace

class TestVirtualHybridUnit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sentFramesAreWellFormed();
    void badFramesAreCountedAndIgnored_data();
    void badFramesAreCountedAndIgnored();
    void readRequests();
    void connectionRequests();
    void codecRegisterAccess();
    void atTunnel();
    void longLinesAreSplit();
    void firmwarePollsTheModule();
    void forwardsEveryModuleLineInOrder();
    void levelsOutsideACall();
    void levelsDuringACall();
    void levelsFollowTheCodecGains();
    void levelsAreReproducible();
    void storeIsConfirmed();
    void silentStore();
    void storedSettingsSurvivePowerCycle();
    void factoryReset();
    void reboot();
    void unplugAndPlug();
    void corruptFrames();
    void hostBufferOverflows();
    void autoAnswer();
    void identify();
    void serialNumberWrite();
    void messageTextHoldsThePolls();
    void debugText();

private:
    bool open();
    void write(quint8 id, quint8 type, const QByteArray& payload = QByteArray());
    QList<QByteArray> readReports();
    QList<Message> collect(int ms, int stepMs = 10);

    ManualClock* m_clock = nullptr;
    VirtualHybridBackend* m_backend = nullptr;
    VirtualHybridUnit* m_unit = nullptr;
    std::unique_ptr<HidDevice> m_device;
    int m_lastRead = 0;
};

void TestVirtualHybridUnit::init()
{
    m_clock = new ManualClock;
    m_backend = new VirtualHybridBackend(m_clock);
    m_unit = m_backend->addUnit(serialA);
    QVERIFY(open());
}

void TestVirtualHybridUnit::cleanup()
{
    m_device.reset();
    delete m_backend;
    delete m_clock;
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

// Everything waiting in the host's input buffer, as read() returns it.
QList<QByteArray> TestVirtualHybridUnit::readReports()
{
    QList<QByteArray> reports;
    for (;;) {
        QByteArray buffer(41, '\0');
        m_lastRead = m_device->read(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size());
        if (m_lastRead <= 0)
            return reports;
        reports.append(buffer.left(m_lastRead));
    }
}

// Lets ms of unit time pass while the host reads as often as the link would, and returns the
// messages received (all of them valid: the test fails on a malformed one).
QList<Message> TestVirtualHybridUnit::collect(int ms, int stepMs)
{
    QList<Message> messages;
    for (int elapsed = 0; elapsed < ms; elapsed += stepMs) {
        m_clock->advance(qMin(stepMs, ms - elapsed));
        for (const QByteArray& frame : readReports()) {
            if (frame.size() != 40 || !DeviceFrame::isValid(frame) || quint8(frame[2]) < 3) {
                qWarning("malformed frame %s", frame.toHex().constData());
                return QList<Message>();
            }
            messages.append(Message { quint8(frame[0]), quint8(frame[1]), frame.mid(3, quint8(frame[2]) - 3) });
        }
    }
    return messages;
}

void TestVirtualHybridUnit::sentFramesAreWellFormed()
{
    for (quint8 id : { 0, 1, 2, 5, 16 })
        write(id, DeviceMessage::Read);
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("ATI"));
    m_unit->ringIn("0201234567");
    int count = 0;
    for (int i = 0; i < 200; ++i) {
        m_clock->advance(10);
        for (const QByteArray& frame : readReports()) {
            ++count;
            QCOMPARE(frame.size(), 40);
            QVERIFY(DeviceFrame::isValid(frame));
            const int length = quint8(frame[2]);
            QVERIFY(length >= 3 && length <= 39);
            QCOMPARE(frame.mid(length, 39 - length), QByteArray(39 - length, '\0'));
        }
    }
    QVERIFY(count > 150);
    QCOMPARE(m_unit->framesSent(), count);
    QCOMPARE(m_unit->reportsLost(), 0);
}

void TestVirtualHybridUnit::badFramesAreCountedAndIgnored_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("good");
    const QByteArray good = report(5, 1, QByteArray());
    QTest::newRow("well formed") << good << true;
    QTest::newRow("no report id") << good.mid(1) << false;
    QTest::newRow("one byte too many") << good + '\0' << false;
    QByteArray reportId = good;
    reportId[0] = 1;
    QTest::newRow("report id 1") << reportId << false;
    QByteArray checksum = good;
    checksum[40] = char(checksum[40] ^ 1);
    QTest::newRow("wrong checksum") << checksum << false;
    QByteArray shortLength = good;
    shortLength[3] = 2;
    shortLength[40] = char(5 ^ 1 ^ 2);
    QTest::newRow("length byte 2") << shortLength << false;
    QByteArray longLength = good;
    longLength[3] = 40;
    QTest::newRow("length byte 40") << longLength << false;
    QByteArray tail = good;
    tail[30] = 0x55; // after the covered bytes: does not matter
    QTest::newRow("noise after the payload") << tail << true;
}

void TestVirtualHybridUnit::badFramesAreCountedAndIgnored()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, good);
    collect(50);
    QCOMPARE(m_device->write(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()), bytes.size());
    QCOMPARE(m_unit->framesReceived(), good ? 1 : 0);
    QCOMPARE(m_unit->badFramesReceived(), good ? 0 : 1);
    // Only a good request is answered.
    QCOMPARE(withId(collect(20), DeviceMessage::FirmwareVersion).size(), good ? 1 : 0);
}

void TestVirtualHybridUnit::readRequests()
{
    write(DeviceMessage::SerialNumber, DeviceMessage::Read);
    write(DeviceMessage::HardwareId, DeviceMessage::Read);
    write(DeviceMessage::FirmwareVersion, DeviceMessage::Read);
    write(DeviceMessage::AutoAnswer, DeviceMessage::Read);
    m_unit->setAutoAnswer(true);
    write(DeviceMessage::AutoAnswer, DeviceMessage::Read);
    const QList<Message> messages = collect(30);

    const QList<Message> serial = withId(messages, DeviceMessage::SerialNumber);
    QCOMPARE(serial.size(), 1);
    QCOMPARE(serial[0].payload, QByteArray("VH000001\0", 9));

    const QList<Message> hardware = withId(messages, DeviceMessage::HardwareId);
    QCOMPARE(hardware.size(), 1);
    QCOMPARE(hardware[0].payload.size(), 15);
    QCOMPARE(hardware[0].payload, m_unit->hardwareId());
    QVERIFY(hardware[0].payload != QByteArray(15, '\0'));

    const QList<Message> version = withId(messages, DeviceMessage::FirmwareVersion);
    QCOMPARE(version.size(), 1);
    QCOMPARE(version[0].payload.size(), 20);
    QCOMPARE(int32At(version[0].payload, 4), 2);
    QCOMPARE(int32At(version[0].payload, 8), 1);
    QCOMPARE(int32At(version[0].payload, 12), 0);
    QCOMPARE(int32At(version[0].payload, 16), 7);
    QCOMPARE(m_unit->firmwareVersionText(), QStringLiteral("2.1.0.7"));

    const QList<Message> autoAnswer = withId(messages, DeviceMessage::AutoAnswer);
    QCOMPARE(autoAnswer.size(), 2);
    QCOMPARE(autoAnswer[0].payload, QByteArray(1, '\0'));
    QCOMPARE(autoAnswer[1].payload, QByteArray(1, '\1'));

    write(DeviceMessage::AutoAnswer, DeviceMessage::Write, QByteArray(1, '\0'));
    QVERIFY(!m_unit->autoAnswer());
    write(DeviceMessage::AutoAnswer, DeviceMessage::Write, QByteArray(1, '\7'));
    QVERIFY(m_unit->autoAnswer());

    // Another unit has its own hardware id and IMEI.
    VirtualHybridUnit* other = m_backend->addUnit(QStringLiteral("VH000002"));
    QVERIFY(other->hardwareId() != m_unit->hardwareId());
    QVERIFY(other->module()->imei() != m_unit->module()->imei());
    QCOMPARE(m_unit->module()->imei().size(), 15);
}

void TestVirtualHybridUnit::connectionRequests()
{
    collect(100);
    // The program's requests at every connection, in its order.
    for (quint8 id : { 0, 1, 2, 8, 12, 14, 16, 5 })
        write(id, DeviceMessage::Read);
    QList<Message> answers;
    for (const Message& message : collect(200)) {
        if (message.id != DeviceMessage::AudioLevels && message.id != DeviceMessage::AtCommand)
            answers.append(message);
    }
    QCOMPARE(answers.size(), 80 + 4);
    // Request 0 brings the complete register report, 0 to 79, ending with 79.
    for (int address = 0; address < 80; ++address) {
        QCOMPARE(answers[address].id, 4);
        QCOMPARE(answers[address].payload.size(), 3);
        QCOMPARE(int(quint8(answers[address].payload[0])), address);
        const int value = quint8(answers[address].payload[1]) | quint8(answers[address].payload[2]) << 8;
        QCOMPARE(value, int(VirtualCodecRegisters::powerOnValue(address)));
    }
    // 8, 12 and 14 are not answered.
    QCOMPARE(answers[80].id, 1);
    QCOMPARE(answers[81].id, 2);
    QCOMPARE(answers[82].id, 16);
    QCOMPARE(answers[83].id, 5);
    QCOMPARE(m_unit->framesReceived(), 8);
}

void TestVirtualHybridUnit::codecRegisterAccess()
{
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("2dab00"));
    QCOMPARE(int(m_unit->codecRegister(45)), 0xAB);
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0bff01"));
    QCOMPARE(int(m_unit->codecRegister(11)), 0x1FF);
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("1a5501")); // no register 26
    QCOMPARE(int(m_unit->codecRegister(26)), 0);
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("2d")); // too short
    QCOMPARE(int(m_unit->codecRegister(45)), 0xAB);

    write(DeviceMessage::CodecRegister, DeviceMessage::Read, QByteArray::fromHex("2d"));
    write(DeviceMessage::CodecRegister, DeviceMessage::Read, QByteArray::fromHex("0b"));
    write(DeviceMessage::CodecRegister, DeviceMessage::Read, QByteArray::fromHex("50")); // 80: none
    const QList<Message> messages = collect(30);
    const QList<Message> registers = withId(messages, DeviceMessage::CodecRegister);
    QCOMPARE(registers.size(), 2);
    QCOMPARE(registers[0].payload, QByteArray::fromHex("2dab00"));
    QCOMPARE(registers[1].payload, QByteArray::fromHex("0bff01"));
    QVERIFY(withId(messages, DeviceMessage::DebugText).last().payload.contains("codec register 80 does not exist"));

    // A write to register 0 resets the codec.
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("000000"));
    QCOMPARE(int(m_unit->codecRegister(45)), 0x010);
    QCOMPARE(int(m_unit->codecRegister(11)), 0x0FF);
}

void TestVirtualHybridUnit::atTunnel()
{
    collect(100);
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("ATI"));
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+GSN"));
    const QList<Message> messages = collect(50);
    QCOMPARE(moduleLines(messages),
        (QStringList {
            "ATI", "Quectel", "UC20", "Revision: UC20GQBR03A14E1G", "OK", "AT+GSN", m_unit->module()->imei(), "OK" }));
    for (const Message& message : withId(messages, DeviceMessage::AtCommand)) {
        QVERIFY(message.payload.endsWith('\0'));
        QCOMPARE(message.payload.indexOf('\0'), message.payload.size() - 1);
    }
    // A line ending from the host is not part of the command.
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+GMI\r"));
    QCOMPARE(moduleLines(collect(20)), (QStringList { "AT+GMI", "Quectel", "OK" }));
    QCOMPARE(m_unit->atCommandsReceived(), (QStringList { "ATI", "AT+GSN", "AT+GMI" }));
}

void TestVirtualHybridUnit::longLinesAreSplit()
{
    collect(100);
    // 36 characters fill a payload exactly and arrive as one line, without a NUL.
    m_unit->ringIn("+441234567890");
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+CLCC"));
    const QString fitting = QStringLiteral("+CLCC: 1,1,4,0,0,\"+441234567890\",145");
    QCOMPARE(fitting.size(), 36);
    QCOMPARE(moduleLines(collect(20)), (QStringList { "RING", "AT+CLCC", fitting, "OK" }));
    m_unit->farEndHangsUp();
    collect(100);

    // 40 characters: 36 in the first frame, the rest in the next.
    m_unit->ringIn("+4412345678901234");
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+CLCC"));
    const QStringList lines = moduleLines(collect(20));
    const QString full = QStringLiteral("+CLCC: 1,1,4,0,0,\"+4412345678901234\",145");
    QCOMPARE(lines, (QStringList { "RING", "AT+CLCC", full.left(36), full.mid(36), "OK" }));
}

void TestVirtualHybridUnit::firmwarePollsTheModule()
{
    // Frames leave one per millisecond: the last poll's answer needs a few more.
    const QList<QStringList> polls = responses(moduleLines(collect(2010)));
    QStringList echoes;
    for (const QStringList& response : polls) {
        echoes.append(response.first());
        QCOMPARE(response.last(), QStringLiteral("OK"));
    }
    // Four call polls a second, signal and codec once a second.
    QCOMPARE(echoes.count("AT+CLCC"), 8);
    QCOMPARE(echoes.count("AT+CSQ"), 2);
    QCOMPARE(echoes.count("AT+QSPCH"), 2);
    QCOMPARE(echoes.size(), 12);
    QVERIFY(polls.contains(QStringList { "AT+CSQ", "+CSQ: 20,99", "OK" }));
    // The firmware's own commands are not the host's.
    QVERIFY(m_unit->atCommandsReceived().isEmpty());

    // The call list follows a call.
    m_unit->ringIn("0201234567");
    const QList<QStringList> ringing = responses(moduleLines(collect(300)));
    QVERIFY(ringing.contains(QStringList { "AT+CLCC", "+CLCC: 1,1,4,0,0,\"0201234567\",129", "OK" }));
}

void TestVirtualHybridUnit::forwardsEveryModuleLineInOrder()
{
    QStringList produced;
    connect(m_unit->module(), &VirtualUC20Module::output, this,
        [&produced](const QStringList& lines) { produced += lines; });
    m_unit->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 2500);
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("ATD0612345678;"));
    QStringList received = moduleLines(collect(1000));
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+CPIN?"));
    received += moduleLines(collect(2000));
    m_unit->callerPressesKey('7');
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+VTS=\"5\""));
    m_unit->farEndHangsUp();
    m_unit->ringIn("0201234567");
    received += moduleLines(collect(4000));
    // All but the lines still on their way, in the order the module put them out.
    QVERIFY(produced.size() - received.size() < 10);
    QCOMPARE(received, produced.mid(0, received.size()));
    QVERIFY(received.contains("+QTONEDET: 55"));
    QVERIFY(received.contains("NO CARRIER"));
    QCOMPARE(received.count("RING"), 2);
}

void TestVirtualHybridUnit::levelsOutsideACall()
{
    const QList<Message> levels = withId(collect(1010), DeviceMessage::AudioLevels);
    QCOMPARE(levels.size(), 25);
    for (const Message& message : levels) {
        QCOMPARE(message.payload.size(), 8);
        for (int offset : { 0, 4 }) {
            const float db = floatAt(message.payload, offset);
            QVERIFY2(db >= -60.0f && db <= -55.0f, qPrintable(QString::number(double(db))));
        }
    }
}

void TestVirtualHybridUnit::levelsDuringACall()
{
    m_unit->ringIn("0201234567");
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("ATA"));
    const QList<Message> levels = withId(collect(20000), DeviceMessage::AudioLevels);
    QVERIFY(levels.size() >= 20 * 20 && levels.size() <= 20 * 50);
    float lowest[2] = { 0.0f, 0.0f };
    float highest[2] = { -100.0f, -100.0f };
    for (const Message& message : levels) {
        for (int channel : { 0, 1 }) {
            const float db = floatAt(message.payload, channel * 4);
            QVERIFY2(db >= -40.0f && db <= -3.0f, qPrintable(QString::number(double(db))));
            lowest[channel] = qMin(lowest[channel], db);
            highest[channel] = qMax(highest[channel], db);
        }
    }
    // Both sides talk: the levels swing over most of the speech range.
    for (int channel : { 0, 1 }) {
        QVERIFY(highest[channel] > -10.0f);
        QVERIFY(lowest[channel] < -35.0f);
    }
    // Back to the noise floor when the call ends.
    m_unit->farEndHangsUp();
    collect(10); // a report still on its way
    for (const Message& message : withId(collect(500), DeviceMessage::AudioLevels))
        QVERIFY(floatAt(message.payload, 0) <= -55.0f);
}

void TestVirtualHybridUnit::levelsFollowTheCodecGains()
{
    m_unit->ringIn("0201234567");
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("ATA"));
    // DAC gain code 215: 20 dB down. PGA muted.
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0bd700"));
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("2d5000"));
    collect(10);
    for (const Message& message : withId(collect(10000), DeviceMessage::AudioLevels)) {
        QVERIFY(floatAt(message.payload, 0) <= -23.0f);
        QCOMPARE(floatAt(message.payload, 4), -60.0f);
    }
    // DAC soft mute.
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0a4000"));
    collect(10);
    for (const Message& message : withId(collect(2000), DeviceMessage::AudioLevels))
        QCOMPARE(floatAt(message.payload, 0), -60.0f);
}

void TestVirtualHybridUnit::levelsAreReproducible()
{
    // Another backend with a unit of the same serial number reports the very same levels.
    ManualClock otherClock;
    VirtualHybridBackend otherBackend(&otherClock);
    VirtualHybridUnit* twin = otherBackend.addUnit(serialA);
    std::unique_ptr<HidDevice> twinDevice = otherBackend.open(CUSBHID::VendorId, CUSBHID::ProductId, serialA);
    QVERIFY(twinDevice);
    m_unit->ringIn("0201234567");
    twin->ringIn("0201234567");
    m_unit->module()->submit("ATA");
    twin->module()->submit("ATA");

    QList<QByteArray> mine;
    QList<QByteArray> theirs;
    for (int i = 0; i < 101; ++i) {
        m_clock->advance(10);
        otherClock.advance(10);
        for (const QByteArray& frame : readReports()) {
            if (quint8(frame[0]) == DeviceMessage::AudioLevels)
                mine.append(frame);
        }
        QByteArray buffer(41, '\0');
        while (twinDevice->read(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size()) > 0) {
            if (quint8(buffer[0]) == DeviceMessage::AudioLevels)
                theirs.append(buffer.left(40));
        }
    }
    QCOMPARE(mine.size(), 25);
    QCOMPARE(mine, theirs);
}

void TestVirtualHybridUnit::storeIsConfirmed()
{
    collect(100);
    write(DeviceMessage::StoreSettings, DeviceMessage::Write);
    QCOMPARE(m_unit->storeCount(), 1);
    QVERIFY(withId(collect(VirtualHybridUnit::StoreDelayMs - 10), DeviceMessage::StoreSettings).isEmpty());
    const QList<Message> confirmations = withId(collect(20), DeviceMessage::StoreSettings);
    QCOMPARE(confirmations.size(), 1);
    // A read request with the store's id is no store.
    write(DeviceMessage::StoreSettings, DeviceMessage::Read);
    QCOMPARE(m_unit->storeCount(), 1);
    QVERIFY(withId(collect(2000), DeviceMessage::StoreSettings).isEmpty());
}

void TestVirtualHybridUnit::silentStore()
{
    m_unit->setStoreSilent(true);
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0b8000"));
    write(DeviceMessage::StoreSettings, DeviceMessage::Write);
    QCOMPARE(m_unit->storeCount(), 1);
    QVERIFY(withId(collect(15000, 50), DeviceMessage::StoreSettings).isEmpty());
    // Nothing was stored either.
    m_unit->unplug();
    m_unit->plug();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x0FF);
}

void TestVirtualHybridUnit::storedSettingsSurvivePowerCycle()
{
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0b8000"));
    write(DeviceMessage::AutoAnswer, DeviceMessage::Write, QByteArray(1, '\1'));
    write(DeviceMessage::StoreSettings, DeviceMessage::Write);
    collect(VirtualHybridUnit::StoreDelayMs + 10);
    // Changed after the store: lost at the next power cycle.
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0b4000"));
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("2d3000"));
    m_unit->unplug();
    m_unit->plug();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
    QCOMPARE(int(m_unit->codecRegister(45)), 0x010);
    QVERIFY(m_unit->autoAnswer());

    // A power cut while the store is being written loses it.
    QVERIFY(open());
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0b2000"));
    write(DeviceMessage::StoreSettings, DeviceMessage::Write);
    collect(VirtualHybridUnit::StoreDelayMs / 2);
    m_unit->unplug();
    m_unit->plug();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
}

void TestVirtualHybridUnit::factoryReset()
{
    write(DeviceMessage::CodecRegister, DeviceMessage::Write, QByteArray::fromHex("0b8000"));
    write(DeviceMessage::AutoAnswer, DeviceMessage::Write, QByteArray(1, '\1'));
    write(DeviceMessage::StoreSettings, DeviceMessage::Write);
    collect(500);
    write(DeviceMessage::FactoryReset, DeviceMessage::Write);
    QCOMPARE(int(m_unit->codecRegister(11)), 0x0FF);
    QVERIFY(!m_unit->autoAnswer());
    // The unit reports the defaults so that the program's pages follow.
    const QList<Message> messages = collect(200);
    const QList<Message> registers = withId(messages, DeviceMessage::CodecRegister);
    QCOMPARE(registers.size(), 80);
    QCOMPARE(registers.last().payload, QByteArray::fromHex("4f0000"));
    QCOMPARE(registers[11].payload, QByteArray::fromHex("0bff00"));
    QCOMPARE(withId(messages, DeviceMessage::AutoAnswer).value(0).payload, QByteArray(1, '\0'));
    // The defaults are what the unit starts with from now on.
    m_unit->unplug();
    m_unit->plug();
    QCOMPARE(int(m_unit->codecRegister(11)), 0x0FF);
    QVERIFY(!m_unit->autoAnswer());
}

void TestVirtualHybridUnit::reboot()
{
    QSignalSpy stateChanged(m_unit, &VirtualHybridUnit::stateChanged);
    m_unit->ringIn("0201234567");
    write(DeviceMessage::Reboot, DeviceMessage::Write);
    QVERIFY(m_unit->isRebooting());
    QVERIFY(m_unit->isPlugged());
    QVERIFY(!m_unit->isOpen());
    QVERIFY(stateChanged.count() > 0);
    // The unit is gone from USB: the open handle fails, and it is neither listed nor openable.
    unsigned char buffer[41];
    QCOMPARE(m_device->read(buffer, 41), -1);
    const QByteArray request = report(5, 1, QByteArray());
    QCOMPARE(m_device->write(reinterpret_cast<const unsigned char*>(request.constData()), 41), -1);
    QVERIFY(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId).isEmpty());
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, serialA));
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::NoCall);

    m_clock->advance(VirtualHybridUnit::RebootMs - 1);
    QVERIFY(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId).isEmpty());
    m_clock->advance(1);
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), QStringList { serialA });
    QVERIFY(!m_unit->isRebooting());
    QCOMPARE(m_device->read(buffer, 41), -1); // an old handle stays dead
    std::unique_ptr<HidDevice> fresh = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, serialA);
    QVERIFY(fresh);
    m_device = std::move(fresh);
    write(DeviceMessage::FirmwareVersion, DeviceMessage::Read);
    QCOMPARE(withId(collect(20), DeviceMessage::FirmwareVersion).size(), 1);
}

void TestVirtualHybridUnit::unplugAndPlug()
{
    m_unit->ringIn("0201234567");
    m_unit->unplug();
    QVERIFY(!m_unit->isPlugged());
    QVERIFY(!m_unit->isOpen());
    unsigned char buffer[41];
    QCOMPARE(m_device->read(buffer, 41), -1);
    QVERIFY(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId).isEmpty());
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::NoCall);
    QCOMPARE(m_unit->callStateText(), QStringLiteral("Unplugged"));
    // Nothing happens on an unplugged unit.
    m_unit->ringIn("0201234567");
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::NoCall);
    m_clock->advance(5000);

    m_unit->plug();
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), QStringList { serialA });
    QCOMPARE(m_device->read(buffer, 41), -1);
    m_device.reset(); // closing a dead handle does not close the unit's next session
    QVERIFY(open());
    QVERIFY(m_unit->isOpen());
    QCOMPARE(m_unit->callStateText(), QStringLiteral("Idle"));
}

void TestVirtualHybridUnit::corruptFrames()
{
    collect(100);
    m_unit->setCorruptFrames(true);
    write(DeviceMessage::ConnectRequest0, DeviceMessage::Read);
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
    write(DeviceMessage::FirmwareVersion, DeviceMessage::Read);
    QCOMPARE(withId(collect(50), DeviceMessage::FirmwareVersion).size(), 1);
}

void TestVirtualHybridUnit::hostBufferOverflows()
{
    collect(100);
    const int sentBefore = m_unit->framesSent();
    // The host stops reading for 3 s while the unit sends levels, polls and a register report.
    write(DeviceMessage::ConnectRequest0, DeviceMessage::Read);
    m_clock->advance(3000);
    const int sent = m_unit->framesSent() - sentBefore;
    QVERIFY(sent > 64);
    QCOMPARE(m_unit->reportsLost(), sent - 64);
    const QList<QByteArray> waiting = readReports();
    QCOMPARE(waiting.size(), 64);
    // The oldest reports are kept: the register report came first.
    QCOMPARE(int(waiting.first()[0]), int(DeviceMessage::CodecRegister));
    QCOMPARE(int(waiting.first()[3]), 0);
    QCOMPARE(m_lastRead, 0);
}

void TestVirtualHybridUnit::autoAnswer()
{
    write(DeviceMessage::AutoAnswer, DeviceMessage::Write, QByteArray(1, '\1'));
    m_unit->ringIn("0201234567");
    QStringList lines = moduleLines(collect(2 * VirtualUC20Module::RingIntervalMs - 10));
    QCOMPARE(lines.count("RING"), 2);
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallIncoming);
    lines = moduleLines(collect(20));
    // The third ring is answered by the firmware, and its ATA is forwarded like any answer
    // (after the call poll that fell due at the same moment).
    QCOMPARE(lines.first(), QStringLiteral("RING"));
    const int answer = lines.indexOf("ATA");
    QVERIFY(answer > 0);
    QCOMPARE(lines.mid(answer), (QStringList { "ATA", "OK" }));
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallActive);
    QVERIFY(m_unit->atCommandsReceived().isEmpty());
    m_unit->farEndHangsUp();

    // Switched off, a call keeps ringing.
    write(DeviceMessage::AutoAnswer, DeviceMessage::Write, QByteArray(1, '\0'));
    m_unit->ringIn("0201234567");
    collect(20000, 50);
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallIncoming);
}

void TestVirtualHybridUnit::identify()
{
    write(DeviceMessage::Identify, DeviceMessage::Write, QByteArray(1, '\1'));
    QVERIFY(m_unit->isIdentifying());
    write(DeviceMessage::Identify, DeviceMessage::Write, QByteArray(1, '\0'));
    QVERIFY(!m_unit->isIdentifying());
}

void TestVirtualHybridUnit::serialNumberWrite()
{
    write(DeviceMessage::SerialNumber, DeviceMessage::Write, QByteArray("24030507V2\0", 11));
    QCOMPARE(m_unit->serialNumber(), QStringLiteral("24030507V2"));
    write(DeviceMessage::SerialNumber, DeviceMessage::Read);
    QCOMPARE(withId(collect(20), DeviceMessage::SerialNumber).value(0).payload, QByteArray("24030507V2\0", 11));
    // USB keeps the old serial number until the unit starts again.
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), QStringList { serialA });
    QCOMPARE(m_backend->unit(serialA), m_unit);
    write(DeviceMessage::Reboot, DeviceMessage::Write);
    m_clock->advance(VirtualHybridUnit::RebootMs);
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), QStringList { "24030507V2" });
    QCOMPARE(m_backend->unit(QStringLiteral("24030507V2")), m_unit);
    QVERIFY(!m_backend->unit(serialA));

    // Texts that cannot be a serial number are refused.
    m_device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, QStringLiteral("24030507V2"));
    QVERIFY(m_device);
    write(DeviceMessage::SerialNumber, DeviceMessage::Write, QByteArray("\0", 1));
    write(DeviceMessage::SerialNumber, DeviceMessage::Write, QByteArray("A B\0", 4));
    QCOMPARE(m_unit->serialNumber(), QStringLiteral("24030507V2"));
}

void TestVirtualHybridUnit::messageTextHoldsThePolls()
{
    collect(100);
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+CMGF=1"));
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("AT+CMGS=\"0612345678\""));
    QStringList lines = moduleLines(collect(2000));
    const int prompt = lines.indexOf("> ");
    QVERIFY(prompt > 0);
    QCOMPARE(lines.mid(prompt + 1), QStringList()); // no polls while the text is written
    write(DeviceMessage::AtCommand, DeviceMessage::Write, atLine("Dit is een test SMS"));
    write(DeviceMessage::AtCommand, DeviceMessage::Write, QByteArray("\x1a\0", 2));
    lines = moduleLines(collect(1000));
    QCOMPARE(lines.mid(0, 4), (QStringList { "Dit is een test SMS", "> ", "+CMGS: 1", "OK" }));
    QVERIFY(lines.contains("AT+CLCC"));
    QCOMPARE(m_unit->module()->sentMessages().value(0).text, QStringLiteral("Dit is een test SMS\n"));
}

void TestVirtualHybridUnit::debugText()
{
    m_device.reset();
    QVERIFY(open());
    QList<Message> messages = collect(10);
    QVERIFY(!messages.isEmpty());
    QCOMPARE(messages.first().id, int(DeviceMessage::DebugText));
    // Byte 0 is skipped by the program; the text follows.
    QCOMPARE(messages.first().payload.mid(1), QByteArray("Parlona VH000001 v2.1.0.7 ready\0", 32));
    write(200, DeviceMessage::Read);
    messages = withId(collect(10), DeviceMessage::DebugText);
    QCOMPARE(messages.value(0).payload.mid(1), QByteArray("unknown message id 200\0", 23));
}

QTEST_GUILESS_MAIN(TestVirtualHybridUnit)
#include "tst_virtualhybridunit.moc"
