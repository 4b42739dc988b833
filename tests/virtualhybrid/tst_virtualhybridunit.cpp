#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridPanel.h"
#include "VirtualHybridUnit.h"
#include "VirtualUC20Module.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using namespace DeviceMessage;
using Messages = QHash<int, QList<QByteArray>>; // payloads by message id, in the order they came

static const QString serialA = QStringLiteral("VH000001");
using Module = VirtualUC20Module;

template <typename Enum> Enum value(const QString& key)
{
    return Enum(QMetaEnum::fromType<Enum>().keyToValue(key.toLatin1()));
}

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
    // byte outside 3 to 39, bytes after the payload) is counted.
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
                    messages[quint8(frame[0])] << frame.mid(3, length - 3);
            }
        }
        return messages;
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
        // Unplugged, it is gone as well; an old handle stays dead, and closing it does not close the next session.
        m_device = open();
        m_unit->unplug();
        QVERIFY(listed().isEmpty());
        m_unit->plug();
        QVERIFY(m_device->read(buffer, 41) == -1);
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
        // An empty caller field rings in a withheld number.
        static_cast<QLineEdit*>(child("lineEdit_callerNumber"))->setText(QStringLiteral(" "));
        click("pushButton_ringIn");
        QVERIFY(m_unit->module()->callStatus() == Module::CallIncoming && m_unit->module()->callNumber().isEmpty());
        QCOMPARE(panel.statusText(), QStringLiteral("Incoming call from a withheld number · USB open"));
        click("pushButton_farEndHangsUp");

        QSignalSpy changes(m_unit, &VirtualHybridUnit::stateChanged);
        static_cast<QCheckBox*>(child("checkBox_noNetwork"))->setChecked(true);
        QVERIFY(m_unit->signal() == 99 && !child("horizontalSlider_signal")->isEnabled());
        m_unit->setSignal(31);
        QCOMPARE(static_cast<QLabel*>(child("label_signal"))->text(), QStringLiteral("31 (-51 dBm)"));
        QCOMPARE(changes.count(), 2); // one for each change, none sent back
    }

    // Each row of moduleScripts is a script, run on a module just switched on. Its steps:
    //   "LINE => a | b"   the answer to LINE is its echo, then a, then b (the final result code last);
    //   "LINE -> a | b"   the whole answer to LINE, where no echo comes;
    //   "~ a | b"         the unsolicited lines since the last look ("~" alone: none; also checked at the end);
    //   "@event argument" the network side, the SIM (SimLock without "Sim"), the clock or "@power on";
    //   "dtmf: keys", "sent: destination text"   what went towards the far end.
    void moduleScripts_data()
    {
        QTest::addColumn<QStringList>("steps");
        const auto row = [](const char* name, const QStringList& steps) { QTest::newRow(name) << steps; };
        row("answers",
            { "ATI => Quectel | UC20 | Revision: UC20GQBR03A14E1G | OK", "AT+CSQ => +CSQ: 20,99 | OK", "AT+CLCC => OK",
                "AT+QAUDMOD=9 => ERROR", "hello => ERROR", "AT+VTS=\"1\" => +CME ERROR: 3", "ATA => NO CARRIER",
                "ATD0612345678 => ERROR", "ATD06+1; => ERROR", "dtmf: " });
        // A malformed PIN costs no try, a right one gives all three back; the third wrong one wants the PUK
        // (then the new PIN, both quoted), and the new PIN holds after power-up.
        row("PIN",
            { "@sim PinLocked", "~ +CPIN: SIM PIN", "ATD0612345678; => +CME ERROR: 11", "AT+CPIN=12ab => ERROR",
                "AT+CPIN=1111 => +CME ERROR: 16", "AT+CPIN=\"2222\" => +CME ERROR: 16", "AT+CPIN=1234 => OK",
                "~ +CPIN: READY", "@power off", "@power on", "AT+CPIN=1111 => +CME ERROR: 16",
                "AT+CPIN=2222 => +CME ERROR: 16", "AT+CPIN? => +CPIN: SIM PIN | OK", "AT+CPIN=3333 => +CME ERROR: 16",
                "AT+CPIN? => +CPIN: SIM PUK | OK", "AT+CPIN=1234 => +CME ERROR: 12",
                "AT+CPIN=\"87654321\",\"6842\" => OK", "~ +CPIN: READY", "@power off", "@power on",
                "AT+CPIN=6842 => OK", "~ +CPIN: READY" });
        // The tries left, for the PIN and its PUK ("SC") and for PIN2 ("P2"), kept by the card.
        row("PIN counters",
            { "AT+QPINC=? => +QPINC: (\"SC\",\"P2\") | OK", "@sim PinLocked", "~ +CPIN: SIM PIN",
                "AT+CPIN=1111 => +CME ERROR: 16", "AT+QPINC=\"SC\" => +QPINC: \"SC\",2,10 | OK",
                "AT+CPIN=1111 => +CME ERROR: 16", "AT+CPIN=1111 => +CME ERROR: 16",
                "AT+QPINC? => +QPINC: \"SC\",0,10 | +QPINC: \"P2\",3,10 | OK",
                "AT+CPIN=\"11111111\",\"5555\" => +CME ERROR: 16", "AT+QPINC=\"SC\" => +QPINC: \"SC\",0,9 | OK",
                "AT+QPINC=\"XX\" => ERROR", "AT+QPINC => ERROR", "@sim Missing", "AT+QPINC=\"SC\" => +CME ERROR: 10" });
        // Outgoing calls: dialling (2), alerting (3), then active (0) or gone with the reason.
        row("answered after 3 s",
            { "@outcome AnswerAfterDelay 3000", "ATD0612345678; => OK", "@wait 1000",
                "AT+CLCC => +CLCC: 1,0,3,0,0,\"0612345678\",129 | OK", "@wait 2000",
                "AT+CLCC => +CLCC: 1,0,0,0,0,\"0612345678\",129 | OK" });
        row("busy after 2 s",
            { "@outcome Busy 2000", "ATD+31612345678; => OK", "@wait 1999",
                "AT+CLCC => +CLCC: 1,0,2,0,0,\"+31612345678\",145 | OK", "@wait 1", "~ BUSY", "AT+CLCC => OK" });
        // A ring every three seconds until the call is answered; a second caller meets a busy phone.
        // Tone detection is off after power-on; a tone of 256 is too long.
        row("incoming call",
            { "@ring 0201234567", "~ RING", "AT+CLCC => +CLCC: 1,1,4,0,0,\"0201234567\",129 | OK", "@wait 2999", "~",
                "@wait 1", "~ RING", "@ring 0307654321", "ATA => OK",
                "AT+CLCC => +CLCC: 1,1,0,0,0,\"0201234567\",129 | OK", "@wait 10000", "~", "ATH => OK", "@ring",
                "~ RING", "AT+CLCC => +CLCC: 1,1,4,0,0,\"\",128 | OK", "@hangs-up", "~ NO CARRIER", "@ring 0201234567",
                "~ RING", "ATA => OK", "@key 5", "AT+QTONEDET=1 => OK", "@key #", "@key x", "~ +QTONEDET: 35",
                "AT+VTS=\"#\",255 => OK", "AT+VTS=2 => OK", "AT+VTS=\"*\",256 => ERROR", "dtmf: #2" });
        // Switched off, the module drops its call and takes nothing in; the codec choice counts from the next start.
        row("power cycle",
            { "@ring 0201234567", "~ RING", "ATE0 => OK", "AT+QCFG=\"amrcodec\",7 -> OK", "@power off",
                "@ring 0201234567", "AT -> ", "@power on", "AT+CLCC => OK", "@ring 0201234567", "~ RING", "ATA => OK",
                "AT+QSPCH => +QSPCH: 1,7,12200 | OK" });
        // The program's SMS test: text, even when it looks like a command, until Ctrl-Z or ESC.
        row("text message",
            { "AT+CMGF=1 => OK", "AT+CMGS=\"0612345678\" => > ", "AT+CLCC => > ", "\x1A -> +CMGS: 1 | OK",
                "sent: 0612345678 AT+CLCC\n", "AT+CMGS=\"0612345678\" => > ", "half => > ", "\x1B -> OK",
                "sent: 0612345678 AT+CLCC\n" });
    }

    void moduleScripts()
    {
        QFETCH(QStringList, steps);
        ManualClock clock;
        Module module(&clock, QStringLiteral("861234567890126"));
        QStringList unsolicited;
        QStringList* answer = nullptr; // while a line is submitted: its answer, the first batch
        connect(&module, &Module::output, this,
            [&](const QStringList& batch) { (answer && answer->isEmpty() ? *answer : unsolicited) += batch; });
        module.setPuk(QStringLiteral("87654321"));
        module.powerOn();
        const auto lines = [](const QString& text) { return text.isEmpty() ? QStringList() : text.split(" | "); };
        const QHash<QString, std::function<void(const QString&)>> events {
            { "@ring", [&](const QString& number) { module.ringIn(number); } },
            { "@hangs-up", [&](const QString&) { module.farEndHangsUp(); } },
            { "@outcome",
                [&](const QString& a) {
                    module.setOutgoingOutcome(
                        value<Module::OutgoingOutcome>(a.section(' ', 0, 0)), a.section(' ', 1).toInt());
                } },
            { "@sim", [&](const QString& lock) { module.setSimLock(value<Module::SimLock>("Sim" + lock)); } },
            { "@key", [&](const QString& key) { module.callerPressesKey(key.at(0).toLatin1()); } },
            { "@wait", [&](const QString& ms) { clock.advance(ms.toInt()); } },
            { "@power", [&](const QString& on) { on == "on" ? module.powerOn() : module.powerOff(); } },
        };
        for (const QString& step : steps + QStringList { "~" }) {
            const int arrow = qMax(step.indexOf(" => "), step.indexOf(" -> "));
            const QString verb = step.section(' ', 0, 0);
            const QString argument = step.section(' ', 1);
            if (arrow < 0 && verb.startsWith('@')) {
                QVERIFY2(events.contains(verb), qPrintable("unknown event " + step));
                events[verb](argument);
                continue;
            }
            QStringList actual;
            QStringList expected = lines(arrow >= 0 ? step.mid(arrow + 4) : argument);
            if (arrow >= 0) {
                answer = &actual;
                module.submit(step.left(arrow));
                answer = nullptr;
                if (step.mid(arrow + 1, 2) == "=>")
                    expected.prepend(step.left(arrow));
            } else if (verb == "~") {
                actual = std::exchange(unsolicited, QStringList());
            } else if (verb == "dtmf:") {
                actual = lines(module.dtmfSent());
            } else { // "sent:"
                const Module::SentMessage last = module.sentMessages().value(module.sentMessages().size() - 1);
                actual = lines(last.destination + ' ' + last.text);
            }
            QVERIFY2(actual == expected, qPrintable(step + "  got: " + actual.join(" | ")));
        }
    }
};

QTEST_MAIN(TestVirtualHybridUnit)
#include "tst_virtualhybridunit.moc"
