#include "ManualClock.h"
#include "VirtualUC20Module.h"

#include <QTest>

#include <memory>
#include <utility>

using Module = VirtualUC20Module;

class TestVirtualUC20Module : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void answers_data();
    void answers();
    void pinAndPuk();
    void outgoingCall_data();
    void outgoingCall();
    void incomingCall();
    void callEndings();
    void noNetwork();
    void keys();
    void powerCycle();
    void textMessage();

private:
    QStringList send(const QString& line);
    QStringList ask(const QString& command);
    QStringList drain();

    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<Module> m_module;
    QList<QStringList> m_batches;
};

void TestVirtualUC20Module::init()
{
    m_module.reset();
    m_clock = std::make_unique<ManualClock>();
    m_module = std::make_unique<Module>(m_clock.get(), QStringLiteral("861234567890126"));
    connect(m_module.get(), &Module::output, this, [this](const QStringList& batch) { m_batches.append(batch); });
    m_module->powerOn();
    m_batches.clear();
}

// Sends one line and returns the one answer it produced; unsolicited batches stay queued.
QStringList TestVirtualUC20Module::send(const QString& line)
{
    const int before = m_batches.size();
    m_module->submit(line);
    return m_batches.size() == before ? QStringList() : m_batches.takeAt(before);
}

// The answer without its echo, which must come first.
QStringList TestVirtualUC20Module::ask(const QString& command)
{
    QStringList answer = send(command);
    return answer.value(0) == command ? answer.mid(1) : answer << QStringLiteral("(no echo)");
}

// Every unsolicited line since the last look.
QStringList TestVirtualUC20Module::drain()
{
    QStringList lines;
    for (const QStringList& batch : std::exchange(m_batches, QList<QStringList>()))
        lines += batch;
    return lines;
}

void TestVirtualUC20Module::answers_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("reply");
    QTest::newRow("SIM status") << "AT+CPIN?" << QStringList { "+CPIN: READY", "OK" };
    QTest::newRow("identification") << "ATI" << QStringList { "Quectel", "UC20", "Revision: UC20GQBR03A14E1G", "OK" };
    QTest::newRow("signal") << "AT+CSQ" << QStringList { "+CSQ: 20,99", "OK" };
    QTest::newRow("no call") << "AT+CLCC" << QStringList { "OK" };
    QTest::newRow("no speech channel") << "AT+QSPCH" << QStringList { "+QSPCH: 0,0,0", "OK" };
    QTest::newRow("audio mode 9") << "AT+QAUDMOD=9" << QStringList { "ERROR" };
    QTest::newRow("character set") << "AT+CSCS=\"EBCDIC\"" << QStringList { "ERROR" };
    QTest::newRow("DTMF without a call") << "AT+VTS=\"1\"" << QStringList { "+CME ERROR: 3" };
    QTest::newRow("answer without a call") << "ATA" << QStringList { "NO CARRIER" };
    QTest::newRow("data call") << "ATD0612345678" << QStringList { "ERROR" };
    QTest::newRow("empty number") << "ATD;" << QStringList { "ERROR" };
    QTest::newRow("letters") << "ATD06abc;" << QStringList { "ERROR" };
    QTest::newRow("plus inside") << "ATD06+1;" << QStringList { "ERROR" };
    QTest::newRow("unknown command") << "AT+QFOO" << QStringList { "ERROR" };
    QTest::newRow("not a command") << "hello" << QStringList { "ERROR" };
    QTest::newRow("read of an action") << "AT+CLCC?" << QStringList { "ERROR" };
    QTest::newRow("unknown setting") << "AT+QCFG=\"band\"" << QStringList { "ERROR" };
}

void TestVirtualUC20Module::answers()
{
    QFETCH(QString, command);
    QFETCH(QStringList, reply);
    QCOMPARE(ask(command), reply);
    QVERIFY(drain().isEmpty());
    QCOMPARE(m_module->callStatus(), Module::NoCall);
}

void TestVirtualUC20Module::pinAndPuk()
{
    m_module->setPuk("87654321");
    m_module->setSimLock(Module::SimPinLocked);
    QCOMPARE(drain(), QStringList { "+CPIN: SIM PIN" });
    send("AT+CMGF=1");
    QCOMPARE(ask("ATD0612345678;"), QStringList { "+CME ERROR: 11" });
    QCOMPARE(ask("AT+CMGS=\"0612345678\""), QStringList { "+CMS ERROR: 311" });
    m_module->ringIn("0201234567"); // nobody reaches a phone with a locked SIM
    // A malformed code costs no try; a right PIN after wrong ones gives all three back.
    QCOMPARE(ask("AT+CPIN=12ab"), QStringList { "ERROR" });
    QCOMPARE(ask("AT+CPIN=1111"), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN=\"2222\""), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN=1234"), QStringList { "OK" });
    QCOMPARE(drain(), QStringList { "+CPIN: READY" }); // after the answer

    // The PIN is asked for at every power-up; three wrong ones lock the card until the PUK.
    m_module->powerOff();
    m_module->powerOn();
    QCOMPARE(ask("AT+CPIN=1111"), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN=2222"), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN?"), (QStringList { "+CPIN: SIM PIN", "OK" }));
    QCOMPARE(ask("AT+CPIN=3333"), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN?"), (QStringList { "+CPIN: SIM PUK", "OK" }));
    QCOMPARE(ask("AT+CPIN=1234"), QStringList { "+CME ERROR: 12" });
    QCOMPARE(ask("ATD0612345678;"), QStringList { "+CME ERROR: 12" });
    // The program's PUK entry: the PUK and the new PIN, both quoted.
    QCOMPARE(ask("AT+CPIN=\"11111111\",\"6842\""), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN=\"87654321\",\"6842\""), QStringList { "OK" });
    m_module->powerOff();
    m_module->powerOn();
    QCOMPARE(ask("AT+CPIN=1234"), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN=6842"), QStringList { "OK" });

    drain();
    // Ten wrong PUKs block the card until another one is put in.
    m_module->setSimLock(Module::SimPukLocked);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(ask("AT+CPIN=\"00000000\",\"1234\""), QStringList { "+CME ERROR: 16" });
    QCOMPARE(ask("AT+CPIN=\"87654321\",\"1234\""), QStringList { "+CME ERROR: 13" });
    m_module->setSimLock(Module::SimMissing);
    QCOMPARE(ask("AT+CPIN?"), QStringList { "+CME ERROR: 10" });
    QCOMPARE(ask("AT+CMGS=23"), QStringList { "+CMS ERROR: 310" }); // a PDU message, after the power cycles
    m_module->setSimLock(Module::SimUnlocked);
    QCOMPARE(ask("AT+CPIN?"), (QStringList { "+CPIN: READY", "OK" }));
    QCOMPARE(drain(), (QStringList { "+CPIN: SIM PUK", "+CPIN: READY" })); // no report for a missing card
}

void TestVirtualUC20Module::outgoingCall_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QString>("states"); // the +CLCC status every second from 0 s on, '-' for no call
    QTest::addColumn<QStringList>("reports");
    QTest::newRow("answered after 3 s") << int(Module::AnswerAfterDelay) << 3000 << "23300" << QStringList();
    QTest::newRow("answered at once") << int(Module::AnswerAfterDelay) << 0 << "00" << QStringList();
    QTest::newRow("busy after 2 s") << int(Module::Busy) << 2000 << "22--" << QStringList { "BUSY" };
    QTest::newRow("no answer after 4 s") << int(Module::NoAnswer) << 4000 << "2333-" << QStringList { "NO ANSWER" };
}

void TestVirtualUC20Module::outgoingCall()
{
    QFETCH(int, outcome);
    QFETCH(int, delayMs);
    QFETCH(QString, states);
    QFETCH(QStringList, reports);
    m_module->setOutgoingOutcome(Module::OutgoingOutcome(outcome), delayMs);
    QCOMPARE(ask("ATD0612345678;"), QStringList { "OK" });
    QStringList seen;
    for (int second = 0; second < states.size(); ++second) {
        m_clock->advance(second == 0 ? 0 : 1000);
        seen += drain();
        QStringList list { "OK" };
        if (states[second] != '-')
            list.prepend(QStringLiteral("+CLCC: 1,0,%1,0,0,\"0612345678\",129").arg(states[second]));
        QCOMPARE(ask("AT+CLCC"), list);
    }
    QCOMPARE(seen, reports);
}

void TestVirtualUC20Module::incomingCall()
{
    m_module->ringIn("0201234567");
    QCOMPARE(drain(), QStringList { "RING" });
    QCOMPARE(ask("AT+CLCC"), (QStringList { "+CLCC: 1,1,4,0,0,\"0201234567\",129", "OK" }));
    m_clock->advance(2999);
    QVERIFY(drain().isEmpty());
    m_clock->advance(1);
    QCOMPARE(drain(), QStringList { "RING" });
    m_module->ringIn("0307654321"); // a second caller meets a busy phone
    QCOMPARE(ask("ATA"), QStringList { "OK" });
    QCOMPARE(ask("AT+CLCC"), (QStringList { "+CLCC: 1,1,0,0,0,\"0201234567\",129", "OK" }));
    QCOMPARE(ask("AT+QSPCH"), (QStringList { "+QSPCH: 1,8,23850", "OK" })); // 8: WCDMA AMR WB
    m_clock->advance(10000);
    QCOMPARE(ask("ATH"), QStringList { "OK" });
    m_module->ringIn(QString()); // withheld
    QCOMPARE(ask("AT+CLCC"), (QStringList { "+CLCC: 1,1,4,0,0,\"\",129", "OK" }));
    m_module->farEndHangsUp();
    m_clock->advance(10000); // no rings while a call is answered or after it has ended
    QCOMPARE(drain(), (QStringList { "RING", "NO CARRIER" }));
}

void TestVirtualUC20Module::callEndings()
{
    // The studio stops dialling: the scripted outcome never comes.
    m_module->setOutgoingOutcome(Module::Busy, 2000);
    send("ATD0612345678;");
    QCOMPARE(ask("ATH"), QStringList { "OK" });
    // The far end answers before its scripted outcome, then hangs up.
    m_module->setOutgoingOutcome(Module::NoAnswer, 30000);
    QCOMPARE(ask("ATD+31612345678;"), QStringList { "OK" });
    m_clock->advance(1500);
    m_module->farEndAnswers();
    m_clock->advance(60000);
    QVERIFY(drain().isEmpty());
    QCOMPARE(ask("AT+CLCC"), (QStringList { "+CLCC: 1,0,0,0,0,\"+31612345678\",145", "OK" }));
    m_module->farEndHangsUp();
    QCOMPARE(drain(), QStringList { "NO CARRIER" });
}

void TestVirtualUC20Module::noNetwork()
{
    m_module->ringIn("0201234567");
    send("ATA");
    QCOMPARE(ask("ATD0612345678;"), QStringList { "+CME ERROR: 3" }); // one call at a time
    drain();
    m_module->setSignal(99);
    QCOMPARE(drain(), QStringList { "NO CARRIER" });
    QCOMPARE(ask("AT+CSQ"), (QStringList { "+CSQ: 99,99", "OK" }));
    QCOMPARE(ask("ATD0612345678;"), QStringList { "NO CARRIER" });
    m_module->ringIn("0201234567");
    QCOMPARE(m_module->callStatus(), Module::NoCall);
    for (int rssi : { 0, 32, -1 }) // out of range: ignored
        m_module->setSignal(rssi);
    QCOMPARE(ask("AT+CSQ"), (QStringList { "+CSQ: 0,99", "OK" }));
    m_module->setSignal(31);
    QCOMPARE(ask("AT+CSQ"), (QStringList { "+CSQ: 31,99", "OK" }));
}

void TestVirtualUC20Module::keys()
{
    m_module->ringIn("0201234567");
    send("ATA");
    QVERIFY(!m_module->callerPressesKey('5')); // tone detection is off after power-on
    send("AT+QTONEDET=1");
    for (char key : { '5', '#', 'd', 'x' })
        m_module->callerPressesKey(key);
    QCOMPARE(drain(), (QStringList { "RING", "+QTONEDET: 53", "+QTONEDET: 35", "+QTONEDET: 68" }));
    // Keys towards the caller: a tone of 256 is too long.
    for (const char* command : { "AT+VTS=\"1\"", "AT+VTS=\"#\",255", "AT+VTS=2", "AT+VTS=\"*\",256" })
        send(command);
    QCOMPARE(m_module->dtmfSent(), QStringLiteral("1#2"));
    send("ATH"); // no call, no keys
    QVERIFY(!m_module->callerPressesKey('5'));
}

void TestVirtualUC20Module::powerCycle()
{
    // Switched off, the module drops its call and takes nothing in.
    m_module->ringIn("0201234567");
    QCOMPARE(ask("ATE0"), QStringList { "OK" });
    QCOMPARE(send("AT+QCFG=\"amrcodec\",7"), QStringList { "OK" }); // narrowband from the next start on
    drain();
    m_module->powerOff();
    m_module->ringIn("0201234567");
    m_clock->advance(20000);
    QVERIFY(drain().isEmpty());
    // Back on with the echo on and the new codec preference in force.
    m_module->powerOn();
    QCOMPARE(ask("AT+CLCC"), QStringList { "OK" });
    m_module->ringIn("0201234567");
    send("ATA");
    QCOMPARE(ask("AT+QSPCH"), (QStringList { "+QSPCH: 1,7,12200", "OK" }));
}

void TestVirtualUC20Module::textMessage()
{
    // The program's SMS test, line by line.
    QCOMPARE(ask("AT+CMGF=1"), QStringList { "OK" });
    QCOMPARE(ask("AT+CMGS=\"0612345678\""), QStringList { "> " });
    QCOMPARE(ask("Dit is een test SMS"), QStringList { "> " });
    QCOMPARE(ask("AT+CLCC"), QStringList { "> " }); // text, even when it looks like a command
    QCOMPARE(send(QStringLiteral("\x1A")), (QStringList { "+CMGS: 1", "OK" }));
    QCOMPARE(m_module->sentMessages().value(0).destination, QStringLiteral("0612345678"));
    QCOMPARE(m_module->sentMessages().value(0).text, QStringLiteral("Dit is een test SMS\nAT+CLCC\n"));
    // Text and Ctrl-Z in one line; the reference counts up. ESC drops a message.
    send("AT+CMGS=\"+31612345678\"");
    QCOMPARE(send(QStringLiteral("Hallo\x1A")), (QStringList { "Hallo", "+CMGS: 2", "OK" }));
    send("AT+CMGS=\"0612345678\"");
    send("half a message");
    QCOMPARE(send(QStringLiteral("\x1B")), QStringList { "OK" });
    QCOMPARE(m_module->sentMessages().size(), 2);
}

QTEST_GUILESS_MAIN(TestVirtualUC20Module)
#include "tst_virtualuc20module.moc"
