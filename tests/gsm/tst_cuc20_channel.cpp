#include "CUC20.h"
#include "CUSBHID.h"
#include "Uc20TestRig.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The command channel: which lines end a response, how lines become responses and wait for the
// parser, what goes out, and when the engine's timer runs.
class TestCUC20Channel : public QObject
{
    Q_OBJECT

private slots:
    void classification_data();
    void classification();
    void assembly_data();
    void assembly();
    void pendingLinesAreBounded();
    void drainTimerRunsOnlyWhileResponsesWait();
    void linkLossDropsHalfResponsesAndEndsTheCall();
    void longLinesArePutTogether_data();
    void longLinesArePutTogether();
    void sendATCmd_data();
    void sendATCmd();
    void call_data();
    void call();
};

void TestCUC20Channel::classification_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("result");

    QTest::newRow("OK") << "OK" << int(UC20_OK);
    QTest::newRow("NO CARRIER") << "NO CARRIER" << int(UC20_NO_CARRIER);
    QTest::newRow("NO ANSWER") << "NO ANSWER" << int(UC20_NO_ANSWER);
    QTest::newRow("0") << "0" << int(UC20_OK);
    QTest::newRow("4") << "4" << int(UC20_ERROR);
    // The numeric codes skip 5: NO DIALTONE is 6, BUSY 7, NO ANSWER 8.
    QTest::newRow("5") << "5" << int(UC20_NOT_FINAL);
    QTest::newRow("6") << "6" << int(UC20_NO_DIALTONE);
    QTest::newRow("8") << "8" << int(UC20_NO_ANSWER);
    QTest::newRow("9") << "9" << int(UC20_NOT_FINAL);
    QTest::newRow("lower case") << "ok" << int(UC20_NOT_FINAL);
    QTest::newRow("trailing blank") << "OK " << int(UC20_NOT_FINAL);
    QTest::newRow("CONNECT with a rate") << "CONNECT 9600" << int(UC20_NOT_FINAL);
    QTest::newRow("CME error") << "+CME ERROR: 10" << int(UC20_NOT_FINAL);
    QTest::newRow("empty") << "" << int(UC20_NOT_FINAL);
}

void TestCUC20Channel::classification()
{
    QFETCH(QString, line);
    QFETCH(int, result);
    QCOMPARE(int(CUC20::classifyResultCode(line)), result);
}

void TestCUC20Channel::assembly_data()
{
    QTest::addColumn<QByteArrayList>("payloads"); // of id-3 messages
    QTest::addColumn<QString>("responses");       // parsed, lines joined by blanks, separated by '|'

    QTest::newRow("echo, reply, OK") << QByteArrayList { "AT+CSQ", "+CSQ: 20,99", "OK" } << "AT+CSQ +CSQ: 20,99 OK";
    QTest::newRow("no final code yet") << QByteArrayList { "AT+CPIN?", "+CME ERROR: 10" } << "";
    QTest::newRow("two, a line left over") << QByteArrayList { "AT", "OK", "RING", "AT+CSQ" } << "AT OK|RING";
    QTest::newRow("numeric codes") << QByteArrayList { "ATD1;", "0", "3" } << "ATD1; 0|3";
    QTest::newRow("text ends at the NUL") << QByteArrayList { QByteArray("AT\0junk", 7), "OK" } << "AT OK";
    QTest::newRow("empty text dropped") << QByteArrayList { QByteArray("\0AT", 3), "OK" } << "OK";
    QTest::newRow("36 bytes, no NUL") << QByteArrayList { QByteArray(36, 'x'), "OK" } << QString(36, 'x') + " OK";
    QTest::newRow("Latin-1") << QByteArrayList { "Caf\xe9", "OK" } << QStringLiteral("Caf\u00e9 OK");
}

void TestCUC20Channel::assembly()
{
    QFETCH(QByteArrayList, payloads);
    QFETCH(QString, responses);
    Uc20TestRig rig;
    for (const QByteArray& payload : payloads)
        rig.uc20()->onReceiveUSB(3, 0, payload);
    QCOMPARE(rig.drain().join('|'), responses);
}

void TestCUC20Channel::pendingLinesAreBounded()
{
    Uc20TestRig rig;
    QStringList flood;
    for (int i = 1; i <= 250; ++i)
        flood << QStringLiteral("+X: %1").arg(i);
    rig.receive(flood);
    // Said once, not once per dropped line.
    QCOMPARE(rig.takeLog(),
        QStringList("ERROR] Module output without a final result code: more than 200 lines, dropping the oldest"));
    // The response that finally closes keeps the newest 200 lines.
    rig.receive({ "OK" });
    QCOMPARE(rig.drain(), QStringList((flood.mid(51) << "OK").join(' ')));
    // After a final code a new flood is reported again.
    rig.receive(flood);
    QCOMPARE(rig.takeLog().size(), 1);
}

void TestCUC20Channel::drainTimerRunsOnlyWhileResponsesWait()
{
    Uc20TestRig rig;
    const QTimer* timer = rig.drainTimer();
    rig.uc20()->initialize();
    rig.uc20()->errorInject({});
    rig.uc20()->onReceiveUSB(15, 0, "OK"); // not module output
    rig.receive({ "AT+CSQ", "+CSQ: 20,99" });
    QVERIFY(!timer->isActive());

    rig.receive({ "OK", "AT+GMI", "Quectel", "OK" });
    QVERIFY(timer->isActive());
    // One response per tick, oldest first.
    QCOMPARE(rig.drain(1), QStringList("AT+CSQ +CSQ: 20,99 OK"));
    QVERIFY(timer->isActive());
    QCOMPARE(rig.drain(1), QStringList("AT+GMI Quectel OK"));
    QVERIFY(!timer->isActive());

    // Run by the event loop, it parses in arrival order and stops; then no timer of the engine runs.
    rig.receive({ "AT+GMM", "UC20", "OK", "RING" });
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(rig.drain(), QStringList({ "AT+GMM UC20 OK", "RING" }));
    for (const QTimer* engineTimer : rig.uc20()->findChildren<QTimer*>())
        QVERIFY(!engineTimer->isActive());
}

void TestCUC20Channel::linkLossDropsHalfResponsesAndEndsTheCall()
{
    Uc20TestRig rig;
    // An active call, the first piece of a long line and half a response when the link closes.
    rig.receive({ "AT+CLCC", "+CLCC: 1,1,0,0,0,\"020\",129", "OK" });
    rig.drain();
    rig.receive({ "AT+CSQ", "+CSQ: 20,99", "OK", "AT+CSQ" });
    rig.uc20()->onReceiveUSB(DeviceMessage::AtCommand, DeviceMessage::LineContinues, "+QIND: ");
    QSignalSpy spy(rig.uc20(), &CUC20::voicecallStateChange);
    rig.takeLog();
    rig.link()->stop();
    QCOMPARE(rig.uc20()->callState(), VOICECALL_IDLE);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].value<VOICECALL_STATE>(), VOICECALL_IDLE);
    QCOMPARE(rig.takeLog().first(), QStringLiteral("ERROR] Connection with the device lost: the call is ended here"));
    // Nothing received before the loss is parsed, or glued to what comes after it.
    QCOMPARE(rig.drain(), QStringList());
    QCOMPARE(rig.link()->start(Uc20TestRig::serial), 0);
    rig.receive({ "AT+CPIN?", "+CPIN: READY", "OK" });
    QCOMPARE(rig.drain(), QStringList("AT+CPIN? +CPIN: READY OK"));
    QCOMPARE(rig.uc20()->simState(), SIM_READY);
    // A loss while idle reports nothing.
    rig.link()->stop();
    QCOMPARE(spy.count(), 1);
}

void TestCUC20Channel::longLinesArePutTogether_data()
{
    QTest::addColumn<QByteArrayList>("pieces"); // id-3 payloads; all but the last say the line goes on
    QTest::addColumn<QString>("line");

    const QByteArray clcc36 = R"(+CLCC: 1,1,4,0,0,"+4915112345678",1)";
    QTest::newRow("two pieces") << QByteArrayList { clcc36, "45" } << QString(clcc36 + "45");
    QTest::newRow("three pieces") << QByteArrayList { QByteArray(36, 'a'), QByteArray(36, 'b'), "c" }
                                  << QString(QByteArray(36, 'a') + QByteArray(36, 'b') + "c");
    // A piece that carries a NUL ends its text there.
    QTest::newRow("NUL inside a piece") << QByteArrayList { QByteArray("ab\0zz", 5), "cd" } << "abcd";
    QByteArrayList flood;
    for (int i = 0; i < 20; ++i)
        flood << QByteArray(36, 'x');
    QTest::newRow("bounded") << flood << QString(CUC20::MaxLineLength, 'x');
}

void TestCUC20Channel::longLinesArePutTogether()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QString, line);
    Uc20TestRig rig;
    rig.receive({ "AT+CLCC" });
    for (int i = 0; i < pieces.size(); ++i) {
        const bool last = i == pieces.size() - 1;
        rig.uc20()->onReceiveUSB(DeviceMessage::AtCommand, last ? DeviceMessage::Write : DeviceMessage::LineContinues,
            pieces[i].leftJustified(DeviceMessage::MaxPayload, '\0'));
    }
    rig.receive({ "OK" });
    QCOMPARE(rig.drain(), QStringList("AT+CLCC " + line + " OK"));
    const bool cut = line.size() == CUC20::MaxLineLength;
    QCOMPARE(rig.takeLog().filter("longer than").size(), cut ? 1 : 0);
}

void TestCUC20Channel::sendATCmd_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("sent");

    QTest::newRow("AT") << "AT" << true;
    QTest::newRow("35 characters") << "AT+CPIN=\"" + QString(25, '1') + '"' << true;
    QTest::newRow("36 characters") << "AT+CPIN=\"" + QString(26, '1') + '"' << false;
    // The limit is on the UTF-8 bytes.
    QTest::newRow("20 characters, 35 bytes") << "AT+X=" + QString(15, QChar(0xe4)) << true;
    QTest::newRow("21 characters, 36 bytes") << "AT+XY=" + QString(15, QChar(0xe4)) << false;
}

void TestCUC20Channel::sendATCmd()
{
    QFETCH(QString, command);
    QFETCH(bool, sent);
    Uc20TestRig rig;
    rig.uc20()->sendATCmd(command);
    const QString refused = QStringLiteral("ERROR] sendATCmd(), max. length of at-command exceeded!");
    QCOMPARE((rig.takeLog() + rig.takeSentCommands()).join('|'), sent ? command : refused);
}

void TestCUC20Channel::call_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("result"); // the lines logged, then the commands sent, separated by '|'

    // call() checks the link first, then the number, then the call state; answering and hanging
    // up go out unchecked, but not through a closed link.
    const QString number = QStringLiteral("020");
    QTest::newRow("closed") << false << int(VOICECALL_IDLE) << QString() << "ERROR] Not connected with device";
    QTest::newRow("no number") << true << int(VOICECALL_INCOMING) << QString() << "ERROR] Invalid phone number|ATA|ATH";
    QTest::newRow("incoming") << true << int(VOICECALL_INCOMING) << number << "ERROR] Current call active|ATA|ATH";
    QTest::newRow("calling") << true << int(VOICECALL_CALLING) << number << "ERROR] Current call active|ATA|ATH";
    QTest::newRow("idle") << true << int(VOICECALL_IDLE) << number << "INFO] Calling number: 020|ATD020;|ATA|ATH";
    // A dial string carries digits, + * # and the separators people write; nothing else reaches
    // the module, least of all a second command.
    const QString refused = QStringLiteral("ERROR] Invalid phone number|ATA|ATH");
    QTest::newRow("written out") << true << int(VOICECALL_IDLE) << "+31 (20) 123-45.67"
                                 << "INFO] Calling number: +31 (20) 123-45.67|ATD+31 (20) 123-45.67;|ATA|ATH";
    QTest::newRow("service code") << true << int(VOICECALL_IDLE) << "*#06#"
                                  << "INFO] Calling number: *#06#|ATD*#06#;|ATA|ATH";
    QTest::newRow("second command") << true << int(VOICECALL_IDLE) << "123;+CFUN=0" << refused;
    QTest::newRow("line end") << true << int(VOICECALL_IDLE) << "123\rATH" << refused;
    QTest::newRow("NUL") << true << int(VOICECALL_IDLE) << QString::fromLatin1("12\0" "3", 4) << refused;
    QTest::newRow("quote") << true << int(VOICECALL_IDLE) << "12\"3" << refused;
    QTest::newRow("letters") << true << int(VOICECALL_IDLE) << "0800-FLOWERS" << refused;
    QTest::newRow("separators only") << true << int(VOICECALL_IDLE) << "+ (-)" << refused;
}

void TestCUC20Channel::call()
{
    QFETCH(bool, connected);
    QFETCH(int, state);
    QFETCH(QString, number);
    QFETCH(QString, result);
    Uc20TestRig rig;
    const char* const callLines[] = { "", "+CLCC: 1,0,2,0,0,9,129", "+CLCC: 1,1,4,0,0,9,129" };
    rig.receive({ "AT+CLCC", callLines[state], "OK" });
    rig.drain();
    QCOMPARE(int(rig.uc20()->callState()), state);
    if (!connected)
        rig.link()->stop();
    rig.takeLog();

    rig.uc20()->call(number);
    rig.uc20()->answerCall();
    rig.uc20()->endCall();
    QCOMPARE((rig.takeLog() + rig.takeSentCommands()).join('|'), result);
    // The call list, not a command, changes the state.
    QCOMPARE(int(rig.uc20()->callState()), state);
}

QTEST_MAIN(TestCUC20Channel)
#include "tst_cuc20_channel.moc"
