#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridPanel.h"
#include "VirtualHybridUnit.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace DeviceMessage;
using Messages = QHash<int, QList<QByteArray>>; // payloads by message id, in the order they came

static const QString serialA = QStringLiteral("VH000001");

class TestVirtualHybridUnit : public QObject
{
    Q_OBJECT

    ManualClock m_clock;
    std::unique_ptr<VirtualHybridBackend> m_backend;
    VirtualHybridUnit* m_unit = nullptr;
    std::unique_ptr<HidDevice> m_device;
    int m_malformed = 0;

    static QByteArray report(quint8 id, quint8 type, const QByteArray& payload)
    {
        return QByteArray(1, '\0') + DeviceFrame::encode(id, type, payload.constData(), payload.size());
    }
    std::unique_ptr<HidDevice> open() { return m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, serialA); }
    QStringList listed() { return m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId); }
    int send(const QByteArray& r) { return m_device->write(reinterpret_cast<const uchar*>(r.data()), r.size()); }
    void write(quint8 id, quint8 type, const QByteArray& payload = QByteArray()) { send(report(id, type, payload)); }
    void powerCycle()
    {
        m_unit->unplug();
        m_unit->plug();
        m_device = open();
    }

    // Lets ms pass while the host reads as the link would. A malformed frame (wrong size or checksum, length
    // byte outside 3 to 39, bytes after the payload) is counted; a line piece of type 0xC0 gets a backslash.
    Messages collect(int ms, int stepMs = 10)
    {
        Messages messages;
        QByteArray buffer(41, '\0');
        for (int elapsed = 0; elapsed < ms; elapsed += stepMs) {
            m_clock.advance(qMin(stepMs, ms - elapsed));
            for (int size; (size = m_device->read(reinterpret_cast<uchar*>(buffer.data()), 41)) > 0;) {
                const QByteArray frame = buffer.left(size);
                const int length = size == 40 ? quint8(frame[2]) : 0;
                if (length < 3 || !DeviceFrame::isValid(frame)
                    || frame.mid(length, 39 - length).count('\0') != 39 - length)
                    ++m_malformed;
                else
                    messages[quint8(frame[0])] << frame.mid(3, length - 3) + (quint8(frame[1]) == 0xC0 ? "\\" : "");
            }
        }
        return messages;
    }

    // The module lines of the next ms; each text ends at its NUL or at the end of the payload.
    QStringList lines(int ms)
    {
        QStringList lines;
        for (const QByteArray& payload : collect(ms).value(AtCommand))
            lines.append(QString::fromLatin1(payload).section(QChar(0), 0, 0));
        return lines;
    }

private slots:
    void init()
    {
        m_backend = std::make_unique<VirtualHybridBackend>(&m_clock);
        m_unit = m_backend->addUnit(serialA);
        QVERIFY((m_device = open()));
    }

    void cleanup()
    {
        QCOMPARE(std::exchange(m_malformed, 0), 0); // every frame the unit sent was well formed
        m_device.reset();
        m_backend.reset();
    }

    void hostFrames()
    {
        // Only well-formed frames count and get an answer; noise after the payload does no harm.
        const QByteArray good = report(FirmwareVersion, Read, QByteArray());
        const QByteArray badLength = QByteArray(good).replace(3, 1, "\2").replace(40, 1, "\4");
        for (const QByteArray& bad : { good.mid(1), QByteArray(good).replace(40, 1, "\6"), badLength })
            QCOMPARE(send(bad), bad.size());
        send(QByteArray(good).replace(30, 1, "U"));
        QVERIFY(m_unit->framesReceived() == 1 && m_unit->badFramesReceived() == 3);
        QCOMPARE(collect(20).value(FirmwareVersion).size(), 1);
        // A unit set to corrupt its frames sends none well formed.
        m_unit->setCorruptFrames(true);
        write(ConnectRequest0, Read);
        QVERIFY(collect(1000).isEmpty() && std::exchange(m_malformed, 0) > 80);
    }

    void registers()
    {
        // Writes are address, bits 0-7, bits 8-15: nine bits are kept, the notch update bit reads 0,
        // nothing lies beyond 79, and a write to register 0 brings back the power-on values.
        for (const char* hex : { "1255ff", "1bc401", "500100" })
            write(CodecRegister, Write, QByteArray::fromHex(hex));
        for (char address : { 18, 27, 80 })
            write(CodecRegister, Read, QByteArray(1, address));
        write(CodecRegister, Write, QByteArray::fromHex("005501"));
        write(CodecRegister, Read, QByteArray(1, 18));
        QCOMPARE(collect(20).value(CodecRegister).join(), QByteArray::fromHex("125501 1bc400 122c01"));
    }

    void connectionRequests()
    {
        // The program's requests at every connection; 8, 12 and 14 get no answer.
        for (quint8 id : { 0, 1, 2, 8, 12, 14, 16, 5 })
            write(id, Read);
        Messages answers = collect(200);
        QCOMPARE(answers[SerialNumber] + answers[AutoAnswer],
            (QList<QByteArray> { QByteArray("VH000001\0", 9), QByteArray(1, 0) }));
        QVERIFY(!answers.contains(8) && !answers.contains(12) && !answers.contains(14));
        // Request 0 brings the complete register report, 0 to 79 in order, so that it ends with 79.
        QCOMPARE(answers[CodecRegister].size(), 80);
        for (int address = 0; address < 80; ++address)
            QCOMPARE(int(answers[CodecRegister][address][0]), address);
    }

    void moduleLines()
    {
        // The echo first, the final result code last; a line ending from the host is not part of it.
        write(AtCommand, Write, QByteArray("AT+GMI\r\0", 8));
        QCOMPARE(lines(20), (QStringList { "AT+GMI", "Quectel", "OK" }));
        // A line of 36 characters fills a payload and arrives whole; a longer one comes in pieces.
        m_unit->ringIn("+441234567890");
        write(AtCommand, Write, QByteArray("AT+CLCC\0", 8));
        QCOMPARE(lines(20), (QStringList { "RING", "AT+CLCC", "+CLCC: 1,1,4,0,0,\"+441234567890\",145", "OK" }));
        m_unit->farEndHangsUp();
        m_unit->ringIn("+4412345678901234", "Studio listener with a rather long name");
        write(AtCommand, Write, QByteArray("AT+CLCC\0", 8));
        QCOMPARE(lines(20),
            (QStringList { "NO CARRIER", "RING", "AT+CLCC", "+CLCC: 1,1,4,0,0,\"+4412345678901234\"\\",
                ",145,\"Studio listener with a rather \\", "long name\"", "OK" }));
    }

    void store()
    {
        write(CodecRegister, Write, QByteArray::fromHex("0b8000"));
        write(AutoAnswer, Write, QByteArray(1, '\7'));
        write(StoreSettings, Write);
        write(CodecRegister, Write, QByteArray::fromHex("0b4000")); // changed after the store: lost
        QVERIFY(collect(VirtualHybridUnit::StoreDelayMs + 10)[StoreSettings] == QList<QByteArray> { QByteArray() });
        powerCycle();
        QVERIFY(m_unit->codecRegister(11) == 0x080 && m_unit->autoAnswer());
        // A silent unit counts the store but neither confirms nor keeps it.
        m_unit->setStoreSilent(true);
        write(CodecRegister, Write, QByteArray::fromHex("0b2000"));
        write(StoreSettings, Write);
        QVERIFY(collect(15000, 50).value(StoreSettings).isEmpty() && m_unit->storeCount() == 2);
        powerCycle();
        QCOMPARE(int(m_unit->codecRegister(11)), 0x080);
        // A factory reset reports the defaults, so that the program's pages follow.
        write(FactoryReset, Write);
        const Messages defaults = collect(200);
        QVERIFY(defaults[CodecRegister].size() == 80 && defaults[CodecRegister][11] == QByteArray::fromHex("0bff00"));
        QCOMPARE(defaults[AutoAnswer], QList<QByteArray> { QByteArray(1, '\0') });
        powerCycle(); // and they are kept
        QVERIFY(m_unit->codecRegister(11) == 0x0FF && !m_unit->autoAnswer());
    }

    void rebootAndUnplug()
    {
        QVERIFY(!open()); // a unit is opened once
        // Rebooting, the unit is gone from USB for a while: the handle fails and the call is lost.
        m_unit->ringIn("0201234567");
        write(Reboot, Write);
        unsigned char buffer[41] = {};
        QVERIFY(m_device->read(buffer, 41) == -1 && !open() && listed().isEmpty());
        m_clock.advance(VirtualHybridUnit::RebootMs);
        QVERIFY(listed() == QStringList { serialA } && m_unit->callStateText() == "Idle");
        // Unplugged, the same; an old handle stays dead, and closing it does not close the next session.
        m_device = open();
        m_unit->ringIn("0201234567");
        m_unit->unplug();
        QVERIFY(listed().isEmpty());
        m_unit->plug();
        QVERIFY(m_unit->callStateText() == "Idle" && m_device->read(buffer, 41) == -1);
        m_device = open(); // the old handle is closed after the new one is open
        QVERIFY(m_device && m_unit->isOpen());
    }

    // What is done on the panel reaches the unit; what happens to the unit shows without being sent back.
    void panel()
    {
        VirtualHybridPanel panel(m_backend.get());
        panel.show();
        const auto child = [&](const char* name) { return panel.findChild<QWidget*>(QLatin1String(name)); };
        const auto click = [&](const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); };
        static_cast<QLineEdit*>(child("lineEdit_callerNumber"))->setText(QStringLiteral(" +31201234567 "));
        click("pushButton_ringIn");
        QCOMPARE(panel.statusText(), QStringLiteral("Incoming call from +31201234567 · USB open"));
        QVERIFY(!child("pushButton_ringIn")->isEnabled());
        m_unit->module()->submit(QStringLiteral("ATA"));
        QCOMPARE(panel.statusText(), QStringLiteral("In call with +31201234567 · USB open"));
        click("pushButton_farEndHangsUp");
        QCOMPARE(panel.statusText(), QStringLiteral("Idle · USB open"));

        QSignalSpy changes(m_unit, &VirtualHybridUnit::stateChanged);
        static_cast<QCheckBox*>(child("checkBox_noNetwork"))->setChecked(true);
        QVERIFY(m_unit->signal() == 99 && !child("horizontalSlider_signal")->isEnabled());
        m_unit->setSignal(31);
        QCOMPARE(static_cast<QLabel*>(child("label_signal"))->text(), QStringLiteral("31 (-51 dBm)"));
        QCOMPARE(changes.count(), 2); // one for each change, none sent back
    }
};

QTEST_MAIN(TestVirtualHybridUnit)
#include "tst_virtualhybridunit.moc"
