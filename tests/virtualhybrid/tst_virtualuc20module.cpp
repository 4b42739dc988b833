#include "ManualClock.h"
#include "VirtualUC20Module.h"

#include <QMetaEnum>
#include <QTest>

#include <functional>

using Module = VirtualUC20Module;

template <typename Enum> Enum value(const QString& key)
{
    return Enum(QMetaEnum::fromType<Enum>().keyToValue(key.toLatin1()));
}

// Each row is a script, run on a module just switched on. Its steps:
//   "LINE => a | b"   the answer to LINE is its echo, then a, then b (the final result code last);
//   "LINE -> a | b"   the whole answer to LINE, where no echo comes;
//   "~ a | b"         the unsolicited lines since the last look ("~" alone: none; also checked at the end);
//   "@event argument" the network side, the SIM (SimLock without "Sim"), the clock or "@power on";
//   "dtmf: keys", "sent: destination text"   what went towards the far end.
class TestVirtualUC20Module : public QObject
{
    Q_OBJECT

private slots:
    void scripts_data();
    void scripts();
};

void TestVirtualUC20Module::scripts_data()
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
            "AT+CPIN? => +CPIN: SIM PUK | OK", "AT+CPIN=1234 => +CME ERROR: 12", "AT+CPIN=\"87654321\",\"6842\" => OK",
            "~ +CPIN: READY", "@power off", "@power on", "AT+CPIN=6842 => OK", "~ +CPIN: READY" });
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
            "@wait 1", "~ RING", "@ring 0307654321", "ATA => OK", "AT+CLCC => +CLCC: 1,1,0,0,0,\"0201234567\",129 | OK",
            "@wait 10000", "~", "ATH => OK", "@ring", "~ RING", "AT+CLCC => +CLCC: 1,1,4,0,0,\"\",129 | OK",
            "@hangs-up", "~ NO CARRIER", "@ring 0201234567", "~ RING", "ATA => OK", "@key 5", "AT+QTONEDET=1 => OK",
            "@key #", "@key x", "~ +QTONEDET: 35", "AT+VTS=\"#\",255 => OK", "AT+VTS=2 => OK",
            "AT+VTS=\"*\",256 => ERROR", "dtmf: #2" });
    // Switched off, the module drops its call and takes nothing in; the codec choice counts from the next start.
    row("power cycle",
        { "@ring 0201234567", "~ RING", "ATE0 => OK", "AT+QCFG=\"amrcodec\",7 -> OK", "@power off", "@ring 0201234567",
            "AT -> ", "@power on", "AT+CLCC => OK", "@ring 0201234567", "~ RING", "ATA => OK",
            "AT+QSPCH => +QSPCH: 1,7,12200 | OK" });
    // The program's SMS test: text, even when it looks like a command, until Ctrl-Z or ESC.
    row("text message",
        { "AT+CMGF=1 => OK", "AT+CMGS=\"0612345678\" => > ", "AT+CLCC => > ", "\x1A -> +CMGS: 1 | OK",
            "sent: 0612345678 AT+CLCC\n", "AT+CMGS=\"0612345678\" => > ", "half => > ", "\x1B -> OK",
            "sent: 0612345678 AT+CLCC\n" });
}

void TestVirtualUC20Module::scripts()
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

QTEST_GUILESS_MAIN(TestVirtualUC20Module)
#include "tst_virtualuc20module.moc"
