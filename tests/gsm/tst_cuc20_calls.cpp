#include "CConsole.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "Uc20TestRig.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QStringList callList(int stat, const QString& number)
{
    return { "AT+CLCC", QStringLiteral("+CLCC: 1,%1,%2,0,0,\"%3\",129").arg(stat == 2 ? 0 : 1).arg(stat).arg(number),
        "OK" };
}

const QStringList emptyCallList { "AT+CLCC", "OK" };

} // namespace

// Call operations and the two state machines, driven by module output as it arrives: line by
// line into the engine and parsed by the drain step.
class TestCUC20Calls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void initialStates();

    void callChecks_data();
    void callChecks();
    void callDoesNotChangeTheState();
    void endAndAnswerAreUnconditional_data();
    void endAndAnswerAreUnconditional();

    void callSequences_data();
    void callSequences();
    void resultCodesLeaveTheCallState_data();
    void resultCodesLeaveTheCallState();
    void linkDropKeepsTheCallState();

    void pinLockedStartUp();
    void wrongPinLeavesTheState();
    void pukEntry();
};

void TestCUC20Calls::initTestCase()
{
    qRegisterMetaType<VOICECALL_STATE>("VOICECALL_STATE");
    qRegisterMetaType<SIM_STATE>("SIM_STATE");
}

void TestCUC20Calls::initialStates()
{
    Uc20TestRig rig;
    QCOMPARE(rig.uc20()->callState(), VOICECALL_IDLE);
    QCOMPARE(rig.uc20()->simState(), SIM_UNKNOWN);
}

void TestCUC20Calls::callChecks_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("stat"); // -1: no call listed
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("sent"); // null: nothing sent

    const QString notConnected = QStringLiteral("ERROR] Not connected with device");
    const QString invalidNumber = QStringLiteral("ERROR] Invalid phone number");
    const QString callActive = QStringLiteral("ERROR] Current call active");

    // The link is checked first, then the number, then the state.
    QTest::newRow("closed, empty number") << false << -1 << QString() << QStringList(notConnected) << QString();
    QTest::newRow("closed, calling") << false << 2 << "0201234567" << QStringList(notConnected) << QString();
    QTest::newRow("open, empty number") << true << -1 << QString() << QStringList(invalidNumber) << QString();
    QTest::newRow("open, empty number, incoming") << true << 4 << QString() << QStringList(invalidNumber) << QString();
    QTest::newRow("incoming") << true << 4 << "0201234567" << QStringList(callActive) << QString();
    QTest::newRow("calling") << true << 2 << "0201234567" << QStringList(callActive) << QString();
    QTest::newRow("active") << true << 0 << "0201234567" << QStringList(callActive) << QString();

    QTest::newRow("idle") << true << -1 << "0201234567" << QStringList("INFO] Calling number: 0201234567")
                          << "ATD0201234567;";
    QTest::newRow("held call listed: still idle")
        << true << 1 << "+31201234567" << QStringList("INFO] Calling number: +31201234567") << "ATD+31201234567;";
    // The number is not examined or trimmed.
    QTest::newRow("blanks kept") << true << -1 << " 12 3 " << QStringList("INFO] Calling number:  12 3 ")
                                 << "ATD 12 3 ;";
    QTest::newRow("service code") << true << -1 << "*#06#" << QStringList("INFO] Calling number: *#06#") << "ATD*#06#;";
    const QString longest(31, QLatin1Char('9'));
    QTest::newRow("31 digits") << true << -1 << longest << QStringList("INFO] Calling number: " + longest)
                               << "ATD" + longest + ';';
    const QString tooLong(32, QLatin1Char('9'));
    QTest::newRow("32 digits") << true << -1 << tooLong
                               << QStringList({ "INFO] Calling number: " + tooLong,
                                      "ERROR] sendATCmd(), max. length of at-command exceeded!" })
                               << QString();
}

void TestCUC20Calls::callChecks()
{
    QFETCH(bool, connected);
    QFETCH(int, stat);
    QFETCH(QString, number);
    QFETCH(QStringList, log);
    QFETCH(QString, sent);

    Uc20TestRig rig;
    rig.console()->setLevelEnabled(CConsole::Trace, false);
    if (stat >= 0) {
        rig.receive(callList(stat, QStringLiteral("5")));
        rig.drain();
    }
    if (!connected)
        rig.link()->stop();
    rig.takeLog();

    rig.uc20()->call(number);
    QCOMPARE(rig.takeLog(), log);
    if (!connected)
        QVERIFY(rig.link()->start(Uc20TestRig::serial) == 0);
    const QStringList commands = rig.takeSentCommands();
    if (sent.isNull())
        QVERIFY(commands.isEmpty());
    else
        QCOMPARE(commands, QStringList(sent));
}

void TestCUC20Calls::callDoesNotChangeTheState()
{
    Uc20TestRig rig;
    QSignalSpy spy(rig.uc20(), &CUC20::voicecallStateChange);
    rig.uc20()->call(QStringLiteral("0201234567"));
    // The module's own answer to the dial command does not change it either.
    rig.receive({ "ATD0201234567;", "OK" });
    rig.drain();
    QCOMPARE(rig.uc20()->callState(), VOICECALL_IDLE);
    QCOMPARE(spy.count(), 0);
}

void TestCUC20Calls::endAndAnswerAreUnconditional_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("stat");
    QTest::newRow("ATH while idle") << false << -1;
    QTest::newRow("ATH while active") << false << 0;
    QTest::newRow("ATA while idle") << true << -1;
    QTest::newRow("ATA while incoming") << true << 4;
}

void TestCUC20Calls::endAndAnswerAreUnconditional()
{
    QFETCH(bool, answer);
    QFETCH(int, stat);
    Uc20TestRig rig;
    rig.console()->setLevelEnabled(CConsole::Trace, false);
    if (stat >= 0) {
        rig.receive(callList(stat, QStringLiteral("5")));
        rig.drain();
    }
    const VOICECALL_STATE before = rig.uc20()->callState();
    rig.takeLog();

    answer ? rig.uc20()->answerCall() : rig.uc20()->endCall();
    QCOMPARE(rig.takeSentCommands(), QStringList(answer ? "ATA" : "ATH"));
    QCOMPARE(rig.uc20()->callState(), before);

    // A closed link drops the command without a message.
    rig.link()->stop();
    rig.takeLog();
    answer ? rig.uc20()->answerCall() : rig.uc20()->endCall();
    QVERIFY(rig.takeLog().isEmpty());
    QCOMPARE(rig.link()->start(Uc20TestRig::serial), 0);
    QVERIFY(rig.takeSentCommands().isEmpty());
}

void TestCUC20Calls::callSequences_data()
{
    QTest::addColumn<QList<QStringList>>("responses");
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<QStringList>("numbers");

    const QString number = QStringLiteral("0201234567");
    QTest::newRow("outgoing") << QList<QStringList> { callList(2, number), callList(2, number), callList(3, number),
        callList(0, number), callList(0, number), emptyCallList, emptyCallList }
                              << QList<int> { VOICECALL_CALLING, VOICECALL_ACTIVE, VOICECALL_IDLE }
                              << QStringList { number, number, "" };
    QTest::newRow("incoming") << QList<QStringList> { QStringList { "RING" }, callList(4, number),
        QStringList { "RING" }, callList(4, number), callList(0, number), emptyCallList }
                              << QList<int> { VOICECALL_INCOMING, VOICECALL_ACTIVE, VOICECALL_IDLE }
                              << QStringList { number, number, "" };
    QTest::newRow("missed") << QList<QStringList> { callList(4, number), QStringList { "NO CARRIER" }, emptyCallList }
                            << QList<int> { VOICECALL_INCOMING, VOICECALL_IDLE } << QStringList { number, "" };
    QTest::newRow("failed dial") << QList<QStringList> { callList(2, number), QStringList { "BUSY" }, emptyCallList }
                                 << QList<int> { VOICECALL_CALLING, VOICECALL_IDLE } << QStringList { number, "" };
    QTest::newRow("active and waiting call") << QList<QStringList> { callList(0, number),
        QStringList { "AT+CLCC", "+CLCC: 1,1,0,0,0,\"0201234567\",129", "+CLCC: 2,1,5,0,0,\"0301234567\",129", "OK" },
        callList(0, number) } << QList<int> { VOICECALL_ACTIVE }
                                             << QStringList { number };
}

void TestCUC20Calls::callSequences()
{
    QFETCH(QList<QStringList>, responses);
    QFETCH(QList<int>, states);
    QFETCH(QStringList, numbers);

    Uc20TestRig rig;
    QSignalSpy spy(rig.uc20(), &CUC20::voicecallStateChange);
    // The firmware's polls interleave with the call: answers arrive line by line.
    for (const QStringList& response : responses) {
        rig.receive(response);
        rig.drain();
    }
    QCOMPARE(spy.count(), states.size());
    for (int i = 0; i < states.size(); ++i) {
        QCOMPARE(int(spy[i][0].value<VOICECALL_STATE>()), states.at(i));
        QCOMPARE(spy[i][1].toString(), numbers.at(i));
    }
    QCOMPARE(int(rig.uc20()->callState()), states.last());
}

void TestCUC20Calls::resultCodesLeaveTheCallState_data()
{
    QTest::addColumn<QString>("line");
    for (const char* line : { "RING", "CONNECT", "NO CARRIER", "NO DIALTONE", "BUSY", "NO ANSWER", "ERROR" })
        QTest::newRow(line) << QString::fromLatin1(line);
}

void TestCUC20Calls::resultCodesLeaveTheCallState()
{
    QFETCH(QString, line);
    for (int stat : { -1, 0, 2, 4 }) {
        Uc20TestRig rig;
        if (stat >= 0) {
            rig.receive(callList(stat, QStringLiteral("5")));
            rig.drain();
        }
        const VOICECALL_STATE before = rig.uc20()->callState();
        QSignalSpy spy(rig.uc20(), &CUC20::voicecallStateChange);
        rig.receive({ line });
        rig.drain();
        QCOMPARE(rig.uc20()->callState(), before);
        QCOMPARE(spy.count(), 0);
    }
}

void TestCUC20Calls::linkDropKeepsTheCallState()
{
    Uc20TestRig rig;
    rig.receive(callList(0, QStringLiteral("0201234567")));
    rig.drain();
    QSignalSpy spy(rig.uc20(), &CUC20::voicecallStateChange);
    rig.link()->stop();
    QCOMPARE(rig.link()->start(Uc20TestRig::serial), 0);
    rig.uc20()->initialize();
    QCOMPARE(rig.uc20()->callState(), VOICECALL_ACTIVE);
    QCOMPARE(spy.count(), 0);

    // The next call list decides.
    rig.receive(emptyCallList);
    rig.drain();
    QCOMPARE(rig.uc20()->callState(), VOICECALL_IDLE);
    QCOMPARE(spy.count(), 1);
}

void TestCUC20Calls::pinLockedStartUp()
{
    Uc20TestRig rig;
    QSignalSpy spy(rig.uc20(), &CUC20::simStateChange);
    rig.uc20()->initialize();
    QCOMPARE(rig.takeSentCommands().value(0), QStringLiteral("AT+CPIN?"));

    rig.receive({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" });
    rig.drain();
    QCOMPARE(rig.uc20()->simState(), SIM_PIN);

    // The operator's PIN goes out as typed; its answer says nothing about the state.
    rig.uc20()->sendATCmd(QStringLiteral("AT+CPIN=1234"));
    QCOMPARE(rig.takeSentCommands(), QStringList("AT+CPIN=1234"));
    rig.receive({ "AT+CPIN=1234", "OK" });
    rig.drain();
    QCOMPARE(rig.uc20()->simState(), SIM_PIN);
    QCOMPARE(spy.count(), 1);

    // The module's unsolicited report, arriving ahead of a poll answer, sets it.
    rig.receive({ "+CPIN: READY", "AT+CSQ", "+CSQ: 20,99", "OK" });
    rig.drain();
    QCOMPARE(rig.uc20()->simState(), SIM_READY);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy[0][0].value<SIM_STATE>(), SIM_PIN);
    QCOMPARE(spy[1][0].value<SIM_STATE>(), SIM_READY);
}

void TestCUC20Calls::wrongPinLeavesTheState()
{
    Uc20TestRig rig;
    rig.receive({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" });
    rig.drain();
    rig.console()->setLevelEnabled(CConsole::Trace, false);
    rig.takeLog();

    // The module answers a wrong PIN with a +CME line, which does not close the response: the
    // next poll answer's OK does, and the whole is read as the PIN entry's answer.
    QSignalSpy spy(rig.uc20(), &CUC20::simStateChange);
    rig.receive({ "AT+CPIN=0000", "+CME ERROR: 16" });
    QCOMPARE(rig.uc20()->queuedResponseCount(), 0);
    rig.receive({ "AT+CSQ", "+CSQ: 20,99", "OK" });
    rig.drain();
    QCOMPARE(rig.takeLog(), QStringList("ERROR] Incorrect password"));
    QCOMPARE(rig.uc20()->simState(), SIM_PIN);
    QCOMPARE(spy.count(), 0);

    // The next query reports the state again.
    rig.receive({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" });
    rig.drain();
    QCOMPARE(spy.count(), 1);
}

void TestCUC20Calls::pukEntry()
{
    Uc20TestRig rig;
    rig.receive({ "AT+CPIN?", "+CPIN: SIM PUK", "OK" });
    rig.drain();
    QCOMPARE(rig.uc20()->simState(), SIM_PUK);
    rig.receive({ "AT+CPIN=\"12345678\",\"6842\"", "OK", "AT+CPIN?", "+CPIN: READY", "OK" });
    QCOMPARE(rig.drain(), 2);
    QCOMPARE(rig.uc20()->simState(), SIM_READY);
}

QTEST_MAIN(TestCUC20Calls)
#include "tst_cuc20_calls.moc"
