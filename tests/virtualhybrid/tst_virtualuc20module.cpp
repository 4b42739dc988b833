#include "ManualClock.h"
#include "VirtualUC20Module.h"

#include <QHash>
#include <QMetaEnum>
#include <QTest>

#include <functional>
#include <utility>

using Module = VirtualUC20Module;

// An enum value by its name.
template <typename Enum> Enum value(const QString& key)
{
    return Enum(QMetaEnum::fromType<Enum>().keyToValue(key.toLatin1()));
}

// Each row is a script, run on a module just switched on. Its steps:
//   "LINE => a | b"   the answer to LINE is its echo, then a, then b (the final result code last);
//   "LINE -> a | b"   the whole answer to LINE, where no echo comes;
//   "~ a | b"         the unsolicited lines since the last look ("~" alone: none);
//   "@event argument" the network side, the SIM (SimLock names without "Sim"), the clock or the power;
//   "dtmf: keys", "sent: destination text"   what went towards the far end.
// Every unsolicited line must have been looked at when the script ends.
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
    row("identification", { "ATI => Quectel | UC20 | Revision: UC20GQBR03A14E1G | OK" });
    row("idle",
        { "AT+CPIN? => +CPIN: READY | OK", "AT+CSQ => +CSQ: 20,99 | OK", "AT+CLCC => OK",
            "AT+QSPCH => +QSPCH: 0,0,0 | OK" });
    row("settings refused", { "AT+QAUDMOD=9 => ERROR", "AT+CSCS=\"EBCDIC\" => ERROR", "AT+QCFG=\"band\" => ERROR" });
    row("not understood", { "AT+QFOO => ERROR", "hello => ERROR", "AT+CLCC? => ERROR" });
    row("no call to act on", { "AT+VTS=\"1\" => +CME ERROR: 3", "ATA => NO CARRIER", "dtmf: " });
    row("dial strings refused",
        { "ATD0612345678 => ERROR", "ATD; => ERROR", "ATD06abc; => ERROR", "ATD06+1; => ERROR", "AT+CLCC => OK" });

    // A malformed PIN costs no try and a right one gives all three back; the third wrong one wants the PUK.
    row("PIN",
        { "@sim PinLocked", "~ +CPIN: SIM PIN", "ATD0612345678; => +CME ERROR: 11", "AT+CMGF=1 => OK",
            "AT+CMGS=\"0612345678\" => +CMS ERROR: 311", "@ring 0201234567", "AT+CPIN=12ab => ERROR",
            "AT+CPIN=1111 => +CME ERROR: 16", "AT+CPIN=\"2222\" => +CME ERROR: 16", "AT+CPIN=1234 => OK",
            "~ +CPIN: READY", "@off", "@on", "AT+CPIN=1111 => +CME ERROR: 16", "AT+CPIN=2222 => +CME ERROR: 16",
            "AT+CPIN? => +CPIN: SIM PIN | OK", "AT+CPIN=3333 => +CME ERROR: 16", "AT+CPIN? => +CPIN: SIM PUK | OK",
            "AT+CPIN=1234 => +CME ERROR: 12" });
    // The program's PUK entry: the PUK and the new PIN, both quoted. The new PIN holds after power-up.
    row("PUK",
        { "@sim PukLocked", "~ +CPIN: SIM PUK", "ATD0612345678; => +CME ERROR: 12",
            "AT+CPIN=\"11111111\",\"6842\" => +CME ERROR: 16", "AT+CPIN=\"87654321\",\"6842\" => OK", "~ +CPIN: READY",
            "@off", "@on", "AT+CPIN=1234 => +CME ERROR: 16", "AT+CPIN=6842 => OK", "~ +CPIN: READY" });
    QStringList blocked { "@sim PukLocked", "~ +CPIN: SIM PUK" };
    for (int i = 0; i < 10; ++i)
        blocked << "AT+CPIN=\"00000000\",\"1234\" => +CME ERROR: 16";
    row("ten wrong PUKs, then no card",
        blocked
            + QStringList { "AT+CPIN=\"87654321\",\"1234\" => +CME ERROR: 13", "@sim Missing",
                "AT+CPIN? => +CME ERROR: 10", "AT+CMGS=23 => +CMS ERROR: 310", "@sim Unlocked", "~ +CPIN: READY",
                "AT+CPIN? => +CPIN: READY | OK" });

    // Outgoing calls, their +CLCC status looked at every second ('-': no call).
    const auto dial = [&](const char* name, const char* outcome, const QString& states, const char* report) {
        QStringList steps { outcome, "ATD0612345678; => OK" };
        for (int second = 0; second < states.size(); ++second)
            steps << "@wait " + QString::number(second ? 1000 : 0)
                  << (states[second] == '-' ? QStringLiteral("AT+CLCC => OK")
                                            : QStringLiteral("AT+CLCC => +CLCC: 1,0,%1,0,0,\"0612345678\",129 | OK")
                                                  .arg(states[second]));
        row(name, steps << report);
    };
    dial("answered after 3 s", "@outcome AnswerAfterDelay 3000", "23300", "~");
    dial("answered at once", "@outcome AnswerAfterDelay 0", "00", "~");
    dial("busy after 2 s", "@outcome Busy 2000", "22--", "~ BUSY");
    dial("no answer after 4 s", "@outcome NoAnswer 4000", "2333-", "~ NO ANSWER");
    row("dialling stopped",
        { "@outcome Busy 2000", "ATD0612345678; => OK", "ATH => OK", "@wait 5000", "AT+CLCC => OK" });
    row("far end answers early",
        { "@outcome NoAnswer 30000", "ATD+31612345678; => OK", "@wait 1500", "@answers", "@wait 60000", "~",
            "AT+CLCC => +CLCC: 1,0,0,0,0,\"+31612345678\",145 | OK", "@hangs-up", "~ NO CARRIER", "AT+CLCC => OK" });

    // A ring every three seconds until the call is answered; a second caller meets a busy phone.
    row("incoming call",
        { "@ring 0201234567", "~ RING", "AT+CLCC => +CLCC: 1,1,4,0,0,\"0201234567\",129 | OK", "@wait 2999", "~",
            "@wait 1", "~ RING", "@ring 0307654321", "ATA => OK", "AT+CLCC => +CLCC: 1,1,0,0,0,\"0201234567\",129 | OK",
            "AT+QSPCH => +QSPCH: 1,8,23850 | OK", "@wait 10000", "~", "ATH => OK", "@ring", "~ RING",
            "AT+CLCC => +CLCC: 1,1,4,0,0,\"\",129 | OK", "@hangs-up", "~ NO CARRIER", "@wait 10000", "~" });
    row("no network",
        { "@ring 0201234567", "~ RING", "ATA => OK", "ATD0612345678; => +CME ERROR: 3", "@signal 99", "~ NO CARRIER",
            "AT+CSQ => +CSQ: 99,99 | OK", "ATD0612345678; => NO CARRIER", "@ring 0201234567", "AT+CLCC => OK",
            "@signal 0", "@signal 32", "@signal -1", "AT+CSQ => +CSQ: 0,99 | OK", "@signal 31",
            "AT+CSQ => +CSQ: 31,99 | OK" });
    // Tone detection is off after power-on; a tone of 256 is too long.
    row("keys",
        { "@ring 0201234567", "~ RING", "ATA => OK", "@key 5", "AT+QTONEDET=1 => OK", "@key 5", "@key #", "@key d",
            "@key x", "~ +QTONEDET: 53 | +QTONEDET: 35 | +QTONEDET: 68", "AT+VTS=\"1\" => OK", "AT+VTS=\"#\",255 => OK",
            "AT+VTS=2 => OK", "AT+VTS=\"*\",256 => ERROR", "dtmf: 1#2", "ATH => OK", "@key 5" });
    // Switched off, the module drops its call and takes nothing in; the codec choice counts from the next start.
    row("power cycle",
        { "@ring 0201234567", "~ RING", "ATE0 => OK", "AT+QCFG=\"amrcodec\",7 -> OK", "@off", "@ring 0201234567",
            "@wait 20000", "AT -> ", "@on", "AT+CLCC => OK", "@ring 0201234567", "~ RING", "ATA => OK",
            "AT+QSPCH => +QSPCH: 1,7,12200 | OK" });
    // The program's SMS test, line by line: text, even when it looks like a command, until Ctrl-Z or ESC.
    row("text message",
        { "AT+CMGF=1 => OK", "AT+CMGS=\"0612345678\" => > ", "Dit is een test SMS => > ", "AT+CLCC => > ",
            "\x1A -> +CMGS: 1 | OK", "sent: 0612345678 Dit is een test SMS\nAT+CLCC\n",
            "AT+CMGS=\"+31612345678\" => > ", "Hallo\x1A -> Hallo | +CMGS: 2 | OK", "AT+CMGS=\"0612345678\" => > ",
            "half a message => > ", "\x1B -> OK", "sent: +31612345678 Hallo" });
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
        { "@answers", [&](const QString&) { module.farEndAnswers(); } },
        { "@hangs-up", [&](const QString&) { module.farEndHangsUp(); } },
        { "@outcome",
            [&](const QString& a) {
                module.setOutgoingOutcome(
                    value<Module::OutgoingOutcome>(a.section(' ', 0, 0)), a.section(' ', 1).toInt());
            } },
        { "@signal", [&](const QString& rssi) { module.setSignal(rssi.toInt()); } },
        { "@sim", [&](const QString& lock) { module.setSimLock(value<Module::SimLock>("Sim" + lock)); } },
        { "@key", [&](const QString& key) { module.callerPressesKey(key.at(0).toLatin1()); } },
        { "@wait", [&](const QString& ms) { clock.advance(ms.toInt()); } },
        { "@off", [&](const QString&) { module.powerOff(); } },
        { "@on", [&](const QString&) { module.powerOn(); } },
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
        } else if (verb == "sent:") {
            const Module::SentMessage last = module.sentMessages().value(module.sentMessages().size() - 1);
            actual = lines(last.destination + ' ' + last.text);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
        QVERIFY2(actual == expected, qPrintable(step + "  got: " + actual.join(" | ")));
    }
}

QTEST_GUILESS_MAIN(TestVirtualUC20Module)
#include "tst_virtualuc20module.moc"
