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

// The module lines: each text ends at its NUL or at the end of the payload. A piece of a line that
// goes on in the next frame (type LineContinues) ends in a backslash here.
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

    ManualClock m_clock;
    std::unique_ptr<VirtualHybridBackend> m_backend;
    VirtualHybridUnit* m_unit = nullptr;
    std::unique_ptr<HidDevice> m_device;
    int m_malformed = 0;

    std::unique_ptr<HidDevice> open(const QString& serial = serialA) { return m_backend->open(vid, pid, serial); }
    int send(const QByteArray& r) { return m_device->write(reinterpret_cast<const uchar*>(r.data()), r.size()); }
    void write(quint8 id, quint8 type, const QByteArray& payload = QByteArray()) { send(report(id, type, payload)); }
    void writeLine(const char* line) { write(AtCommand, Write, QByteArray(line) + '\0'); }
    void powerCycle()
    {
        m_unit->unplug();
        m_unit->plug();
        m_device = open();
    }

    // Lets ms of unit time pass while the host reads as often as the link would. A malformed frame
    // (wrong size or checksum, length byte outside 3 to 39, bytes after the payload) is counted.
    Messages collect(int ms, int stepMs = 10)
    {
        Messages messages;
        QByteArray buffer(41, '\0');
        for (int elapsed = 0; elapsed < ms; elapsed += stepMs) {
            m_clock.advance(qMin(stepMs, ms - elapsed));
            for (int size; (size = m_device->read(reinterpret_cast<uchar*>(buffer.data()), 41)) > 0;) {
                const QByteArray frame = buffer.left(size);
                const int length = size == 40 ? quint8(frame[2]) : 0;
                const QByteArray payload = frame.mid(3, length - 3);
                if (length < 3 || !DeviceFrame::isValid(frame)
                    || frame.mid(length, 39 - length).count('\0') != 39 - length)
                    ++m_malformed;
                else
                    messages[quint8(frame[0])].append(quint8(frame[1]) == LineContinues ? payload + "\\" : payload);
            }
        }
        return messages;
    }

private slots:
    void init()
    {
        m_backend = std::make_unique<VirtualHybridBackend>(&m_clock);
        m_unit = m_backend->addUnit(serialA);
        m_malformed = 0;
        m_device = open();
        QVERIFY(m_device);
    }

    void cleanup()
    {
        QCOMPARE(m_malformed, 0); // every frame the unit sent was well formed
        m_device.reset();
        m_backend.reset();
    }

    void clock()
    {
        // Actions due together run in the order they were scheduled; a negative delay counts as none.
        QString ran;
        const qint64 start = m_clock.nowMs();
        m_clock.schedule(10, this, [&] { ran += 'a'; });
        m_clock.schedule(10, this, [&] { ran += 'b'; });
        m_clock.schedule(-5, this, [&] { ran += QString::number(m_clock.nowMs() - start); });
        m_clock.advance(10);
        QCOMPARE(ran, QStringLiteral("0ab"));
    }

    void hostFrames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("good"); // the checksum fits every row but "wrong checksum"
        const QByteArray good = report(FirmwareVersion, Read, QByteArray());
        QTest::newRow("well formed") << good << true;
        QTest::newRow("no report id") << good.mid(1) << false;
        QTest::newRow("report id 1") << QByteArray(good).replace(0, 1, "\1") << false;
        QTest::newRow("wrong checksum") << QByteArray(good).replace(40, 1, "\6") << false;
        QTest::newRow("length byte 2") << QByteArray(good).replace(3, 1, "\2").replace(40, 1, "\4") << false;
        QTest::newRow("length byte 40") << QByteArray(good).replace(3, 1, "\x28").replace(31, 1, "\x2c") << false;
        QTest::newRow("noise after the payload") << QByteArray(good).replace(30, 1, "U") << true;
    }

    void hostFrames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, good);
        QCOMPARE(send(bytes), bytes.size());
        QVERIFY(m_unit->framesReceived() == (good ? 1 : 0) && m_unit->badFramesReceived() == (good ? 0 : 1));
        const QByteArray version = QByteArray::fromHex("0000000002000000010000000000000007000000");
        QCOMPARE(collect(20).value(FirmwareVersion), good ? QList<QByteArray> { version } : QList<QByteArray>());
    }

    void registers_data()
    {
        // Power-on values as Nuvoton's Linux driver gives them for the NAU8810; writes are address,
        // value bits 0-7, value bits 8-15, one or more.
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("powerOn"); // -1: no answer
        QTest::addColumn<QByteArray>("writes");
        QTest::addColumn<int>("readBack");
        QTest::newRow("nine bits kept") << 18 << 0x12C << QByteArray("12 55ff") << 0x155;
        QTest::newRow("first notch register") << 27 << 0x000 << QByteArray("1b c401") << 0x0C4; // update bit reads 0
        QTest::newRow("last notch register") << 30 << 0x000 << QByteArray("1e 4501") << 0x045;
        QTest::newRow("no register") << 26 << 0x000 << QByteArray("1a 5501") << 0x000;
        QTest::newRow("device id") << 63 << 0x01A << QByteArray("3f 5500") << 0x01A;
        QTest::newRow("last register") << 79 << 0x000 << QByteArray("4f 8001") << 0x180;
        QTest::newRow("beyond the last") << 80 << -1 << QByteArray("50 0100") << -1;
        QTest::newRow("register 0 resets") << 11 << 0x0FF << QByteArray("0b 8000 00 5501") << 0x0FF;
    }

    void registers()
    {
        QFETCH(int, address);
        QFETCH(int, powerOn);
        QFETCH(QByteArray, writes);
        QFETCH(int, readBack);
        write(CodecRegister, Read, QByteArray(1, char(address)));
        for (QByteArray bytes = QByteArray::fromHex(writes); !bytes.isEmpty(); bytes.remove(0, 3))
            write(CodecRegister, Write, bytes.left(3));
        write(CodecRegister, Read, QByteArray(1, char(address)));
        QList<QByteArray> expected;
        for (int value : { powerOn, readBack })
            if (value >= 0)
                expected.append(QByteArray(1, char(address)) + char(value & 0xFF) + char(value >> 8));
        QCOMPARE(collect(20).value(CodecRegister), expected);
    }

    void connectionRequests()
    {
        // The program's requests at every connection; 8, 12 and 14 get no answer.
        for (quint8 id : { 0, 1, 2, 8, 12, 14, 16, 5 })
            write(id, Read);
        Messages answers = collect(200);
        QCOMPARE(answers[SerialNumber], QList<QByteArray> { QByteArray("VH000001\0", 9) });
        QCOMPARE(answers[HardwareId].value(0).size(), 15);
        QCOMPARE(answers[AutoAnswer], QList<QByteArray> { QByteArray(1, '\0') });
        QCOMPARE(answers[FirmwareVersion].size(), 1);
        QVERIFY(!answers.contains(8) && !answers.contains(12) && !answers.contains(14));
        // Request 0 brings the complete register report, 0 to 79 in order, so that it ends with 79.
        QCOMPARE(answers[CodecRegister].size(), 80);
        for (int address = 0; address < 80; ++address)
            QCOMPARE(int(answers[CodecRegister][address][0]), address);
        QCOMPARE(answers[CodecRegister][11], QByteArray::fromHex("0bff00")); // the DAC at 0 dB
    }

    void moduleLines()
    {
        writeLine("AT+GMI\r"); // a line ending from the host is not part of the command
        QCOMPARE(lines(collect(20)), (QStringList { "AT+GMI", "Quectel", "OK" }));
        // A line of 36 characters fills a payload and arrives whole; a longer one comes in pieces.
        m_unit->ringIn("+441234567890");
        writeLine("AT+CLCC");
        QCOMPARE(
            lines(collect(20)), (QStringList { "RING", "AT+CLCC", "+CLCC: 1,1,4,0,0,\"+441234567890\",145", "OK" }));
        m_unit->farEndHangsUp();
        m_unit->ringIn("+4412345678901234", "Studio listener with a rather long name");
        writeLine("AT+CLCC");
        QCOMPARE(lines(collect(20)),
            (QStringList { "NO CARRIER", "RING", "AT+CLCC", "+CLCC: 1,1,4,0,0,\"+4412345678901234\"\\",
                ",145,\"Studio listener with a rather \\", "long name\"", "OK" }));
        // The firmware polls the module on its own, but not while the module takes message text.
        m_unit->farEndHangsUp();
        const QStringList polled = lines(collect(1000));
        QVERIFY(polled.contains("AT+CLCC") && polled.contains("AT+CSQ") && polled.contains("AT+QSPCH"));
        QCOMPARE(m_unit->atCommandsReceived(), (QStringList { "AT+GMI", "AT+CLCC", "AT+CLCC" }));
        writeLine("AT+CMGF=1");
        writeLine("AT+CMGS=\"0612345678\"");
        QCOMPARE(lines(collect(2000)), (QStringList { "AT+CMGF=1", "OK", "AT+CMGS=\"0612345678\"", "> " }));
        write(AtCommand, Write, QByteArray("SMS\x1a\0", 5));
        collect(20);
        QCOMPARE(m_unit->module()->sentMessages().value(0).text, QStringLiteral("SMS"));
    }

    void store()
    {
        write(CodecRegister, Write, QByteArray::fromHex("0b8000"));
        write(AutoAnswer, Write, QByteArray(1, '\7'));
        write(StoreSettings, Write);
        write(CodecRegister, Write, QByteArray::fromHex("0b4000")); // changed after the store: lost
        QCOMPARE(
            collect(VirtualHybridUnit::StoreDelayMs + 10).value(StoreSettings), QList<QByteArray> { QByteArray() });
        powerCycle();
        QVERIFY(m_unit->codecRegister(11) == 0x080 && m_unit->autoAnswer());
        // A silent unit counts the store but neither confirms nor keeps it.
        m_unit->setStoreSilent(true);
        write(CodecRegister, Write, QByteArray::fromHex("0b2000"));
        write(StoreSettings, Write);
        QVERIFY(collect(15000, 50).value(StoreSettings).isEmpty());
        QCOMPARE(m_unit->storeCount(), 2);
        powerCycle();
        QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
        // A factory reset reports the defaults, so that the program's pages follow, and keeps them.
        write(FactoryReset, Write);
        const Messages defaults = collect(200);
        QCOMPARE(defaults[CodecRegister].size(), 80);
        QCOMPARE(defaults[CodecRegister].value(11), QByteArray::fromHex("0bff00"));
        QCOMPARE(defaults[AutoAnswer], QList<QByteArray> { QByteArray(1, '\0') });
        powerCycle();
        QVERIFY(m_unit->codecRegister(11) == 0x0FF && !m_unit->autoAnswer());
    }

    void rebootAndUnplug()
    {
        // Units are listed in the order they were added, under the hybrid's ids only, and opened once.
        QVERIFY(!m_backend->addUnit(serialA) && m_backend->addUnit(QStringLiteral("VH000000")));
        QCOMPARE(m_backend->listDevices(vid, pid), (QStringList { serialA, "VH000000" }));
        QVERIFY(m_backend->listDevices(vid + 1, pid).isEmpty() && !m_backend->open(vid, pid + 1, "VH000000"));
        QVERIFY(!open());
        // A new serial number is answered at once and listed from the next start on.
        write(SerialNumber, Write, QByteArray("24030507V2\0", 11));
        write(SerialNumber, Read);
        QCOMPARE(collect(20).value(SerialNumber), QList<QByteArray> { QByteArray("24030507V2\0", 11) });
        QCOMPARE(m_backend->listDevices(vid, pid).value(0), serialA);
        // Rebooting, the unit is gone from USB for a while: the handle fails and the call is lost.
        m_unit->ringIn("0201234567");
        write(Reboot, Write);
        unsigned char buffer[41] = {};
        QCOMPARE(m_device->read(buffer, 41), -1);
        QVERIFY(!open() && !open("24030507V2") && m_backend->listDevices(vid, pid) == QStringList { "VH000000" });
        m_clock.advance(VirtualHybridUnit::RebootMs);
        QCOMPARE(m_backend->listDevices(vid, pid), (QStringList { "24030507V2", "VH000000" }));
        QCOMPARE(m_unit->callStateText(), QStringLiteral("Idle"));
        // Unplugged, the same; an old handle stays dead, and closing it does not close the next session.
        m_device = open("24030507V2");
        m_unit->ringIn("0201234567");
        m_unit->unplug();
        QCOMPARE(m_backend->listDevices(vid, pid), QStringList { "VH000000" });
        m_unit->plug();
        QCOMPARE(m_unit->callStateText(), QStringLiteral("Idle"));
        QCOMPARE(m_device->read(buffer, 41), -1);
        m_device = open("24030507V2"); // the old handle is closed after the new one is open
        QVERIFY(m_device && m_unit->isOpen());
    }

    void corruptFrames()
    {
        m_unit->setCorruptFrames(true);
        write(ConnectRequest0, Read);
        QVERIFY(collect(1000).isEmpty() && m_malformed > 80); // none of them well formed
        m_malformed = 0;
        m_unit->setCorruptFrames(false);
        write(FirmwareVersion, Read);
        QCOMPARE(collect(50).value(FirmwareVersion).size(), 1);
    }

    void autoAnswer()
    {
        // The third ring is answered, and the firmware's ATA is forwarded like any answer.
        write(AutoAnswer, Write, QByteArray(1, '\1'));
        m_unit->ringIn("0201234567");
        QCOMPARE(lines(collect(2 * VirtualUC20Module::RingIntervalMs - 10)).count("RING"), 2);
        const QStringList third = lines(collect(20));
        QCOMPARE(third.mid(third.indexOf("ATA")), (QStringList { "ATA", "OK" }));
        QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallActive);
        m_unit->farEndHangsUp();
        write(AutoAnswer, Write, QByteArray(1, '\0'));
        m_unit->ringIn("0201234567");
        collect(20000, 50);
        QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallIncoming);
    }
};

QTEST_GUILESS_MAIN(TestVirtualHybridUnit)
#include "tst_virtualhybridunit.moc"
