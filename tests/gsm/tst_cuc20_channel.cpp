#include "CConsole.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "FakeHidapi.h"
#include "Uc20TestRig.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The command channel: what a line of module output means to the channel, how lines become
// responses, how responses wait for the parser, what goes out, and when the engine's timer runs.
class TestCUC20Channel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void classification_data();
    void classification();

    void receivedPayload_data();
    void receivedPayload();
    void otherMessageIdsAreIgnored();
    void responseAssembly_data();
    void responseAssembly();
    void linesArriveThroughTheLink();
    void pendingLinesSurviveReconnection();
    void responsesAreParsedOldestFirstOnePerCall();

    void sendATCmd_data();
    void sendATCmd();
    void overlongCommandIsRefused_data();
    void overlongCommandIsRefused();
    void commandWhileClosedIsDroppedSilently();
    void startupSequence();

    void errorInjectIsParsedLikeModuleOutput();
    void errorInjectWithoutFinalCodeDoesNothing();
    void errorInjectEmptyListIsDropped();

    void pendingLinesAreBounded();

    void drainTimerRunsOnlyWhileResponsesWait();
    void drainTimerParsesOnePerTickInOrder();
    void noTimerRunsWhileIdle();
};

void TestCUC20Channel::initTestCase()
{
    qRegisterMetaType<VOICECALL_STATE>("VOICECALL_STATE");
    qRegisterMetaType<SIM_STATE>("SIM_STATE");
}

void TestCUC20Channel::classification_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("result");

    QTest::newRow("OK") << "OK" << int(UC20_OK);
    QTest::newRow("CONNECT") << "CONNECT" << int(UC20_CONNECT);
    QTest::newRow("RING") << "RING" << int(UC20_RING);
    QTest::newRow("NO CARRIER") << "NO CARRIER" << int(UC20_NO_CARRIER);
    QTest::newRow("ERROR") << "ERROR" << int(UC20_ERROR);
    QTest::newRow("NO DIALTONE") << "NO DIALTONE" << int(UC20_NO_DIALTONE);
    QTest::newRow("BUSY") << "BUSY" << int(UC20_BUSY);
    QTest::newRow("NO ANSWER") << "NO ANSWER" << int(UC20_NO_ANSWER);

    // V.250 numeric forms: 5 is not a code of this set, so 6, 7 and 8 map to 5, 6 and 7.
    QTest::newRow("numeric 0") << "0" << 0;
    QTest::newRow("numeric 1") << "1" << 1;
    QTest::newRow("numeric 2") << "2" << 2;
    QTest::newRow("numeric 3") << "3" << 3;
    QTest::newRow("numeric 4") << "4" << 4;
    QTest::newRow("numeric 5") << "5" << -1;
    QTest::newRow("numeric 6") << "6" << 5;
    QTest::newRow("numeric 7") << "7" << 6;
    QTest::newRow("numeric 8") << "8" << 7;
    QTest::newRow("numeric 9") << "9" << -1;
    QTest::newRow("numeric 10") << "10" << -1;

    QTest::newRow("lower-case ok") << "ok" << -1;
    QTest::newRow("mixed-case Ok") << "Ok" << -1;
    QTest::newRow("OK and a blank") << "OK " << -1;
    QTest::newRow("blank and OK") << " OK" << -1;
    QTest::newRow("OK and CR") << "OK\r" << -1;
    QTest::newRow("CONNECT with a rate") << "CONNECT 9600" << -1;
    QTest::newRow("NO CARRIER with two blanks") << "NO  CARRIER" << -1;
    QTest::newRow("CME error") << "+CME ERROR: 10" << -1;
    QTest::newRow("CMS error") << "+CMS ERROR: 500" << -1;
    QTest::newRow("echo") << "AT+CSQ" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestCUC20Channel::classification()
{
    QFETCH(QString, line);
    QFETCH(int, result);
    QCOMPARE(int(CUC20::classifyResultCode(line)), result);
}

void TestCUC20Channel::receivedPayload_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("line"); // empty: nothing is kept

    QTest::newRow("text and NUL") << QByteArray("AT+CSQ\0", 7) << "AT+CSQ";
    QTest::newRow("text after the NUL is not read") << QByteArray("AT\0junk", 7) << "AT";
    QByteArray full(36, 'x');
    QTest::newRow("36 bytes without NUL") << full << QString(36, QLatin1Char('x'));
    QTest::newRow("first byte NUL") << QByteArray("\0AT+CSQ", 7) << "";
    QTest::newRow("null data") << QByteArray() << "";
    QTest::newRow("Latin-1") << QByteArray("Caf\xe9\0", 5) << QStringLiteral("Caf\u00e9");
    QTest::newRow("blanks kept") << QByteArray(" +CSQ: 20,99 \0", 14) << " +CSQ: 20,99 ";
}

void TestCUC20Channel::receivedPayload()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, line);
    Uc20TestRig rig;
    rig.receive({ QStringLiteral("first") });

    rig.uc20()->onReceiveUSB(3, 0, payload);
    rig.uc20()->onReceiveUSB(3, 0, QByteArray("OK\0", 3));

    QCOMPARE(rig.uc20()->queuedResponseCount(), 1);
    rig.console()->setLevelEnabled(CConsole::Trace, true);
    rig.drain();
    const QString expected = line.isEmpty() ? QStringLiteral(" first OK") : QStringLiteral(" first ") + line + " OK";
    QCOMPARE(rig.takeLog().last(), "TRACE] {../__src/CUC20, processMsgQueue, 240} " + expected);
}

void TestCUC20Channel::otherMessageIdsAreIgnored()
{
    Uc20TestRig rig;
    for (int id : { 0, 2, 4, 5, 13, 15, 16, 255 })
        rig.uc20()->onReceiveUSB(id, 0, QByteArray("OK\0", 3));
    QCOMPARE(rig.uc20()->pendingLineCount(), 0);
    QCOMPARE(rig.uc20()->queuedResponseCount(), 0);
}

void TestCUC20Channel::responseAssembly_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("responses");
    QTest::addColumn<int>("pending");

    QTest::newRow("echo, reply, OK") << QStringList { "AT+CSQ", "+CSQ: 20,99", "OK" } << 1 << 0;
    QTest::newRow("no final code yet") << QStringList { "AT+CSQ", "+CSQ: 20,99" } << 0 << 2;
    QTest::newRow("CME error does not close") << QStringList { "AT+CPIN?", "+CME ERROR: 10" } << 0 << 2;
    QTest::newRow("lower-case ok does not close") << QStringList { "ATI", "ok" } << 0 << 2;
    QTest::newRow("OK and a blank does not close") << QStringList { "ATI", "OK " } << 0 << 2;
    QTest::newRow("final code alone") << QStringList { "RING" } << 1 << 0;
    QTest::newRow("two responses, a line left over")
        << QStringList { "AT+CSQ", "+CSQ: 20,99", "OK", "RING", "AT+CLCC" } << 2 << 1;
    QTest::newRow("numeric codes close") << QStringList { "ATD123;", "0", "3", "7" } << 3 << 0;
}

void TestCUC20Channel::responseAssembly()
{
    QFETCH(QStringList, lines);
    QFETCH(int, responses);
    QFETCH(int, pending);
    Uc20TestRig rig;
    rig.receive(lines);
    QCOMPARE(rig.uc20()->queuedResponseCount(), responses);
    QCOMPARE(rig.uc20()->pendingLineCount(), pending);
}

void TestCUC20Channel::linesArriveThroughTheLink()
{
    Uc20TestRig rig;
    QSignalSpy manufacturer(rig.uc20(), &CUC20::manufacturerIdentification);
    rig.receiveThroughLink({ "AT+GMI", "Quectel", "OK" });
    QCOMPARE(rig.uc20()->queuedResponseCount(), 1);
    // Parsing never happens on receipt.
    QCOMPARE(manufacturer.count(), 0);
    rig.drain();
    QCOMPARE(manufacturer.count(), 1);
    QCOMPARE(manufacturer[0][0].toString(), QStringLiteral("Quectel"));
}

void TestCUC20Channel::pendingLinesSurviveReconnection()
{
    Uc20TestRig rig;
    QSignalSpy rssi(rig.uc20(), &CUC20::rssiChange);
    rig.receive({ "AT+CSQ", "+CSQ: 20,99" });
    rig.link()->stop();
    QCOMPARE(rig.link()->start(Uc20TestRig::serial), 0);
    rig.receive({ "OK" });
    rig.drain();
    QCOMPARE(rssi.count(), 1);
    QCOMPARE(rssi[0][0].toInt(), 20);
}

void TestCUC20Channel::responsesAreParsedOldestFirstOnePerCall()
{
    Uc20TestRig rig;
    QSignalSpy manufacturer(rig.uc20(), &CUC20::manufacturerIdentification);
    QSignalSpy model(rig.uc20(), &CUC20::modelIdentification);
    rig.receive({ "AT+GMI", "Quectel", "OK", "AT+GMM", "UC20", "OK" });
    QCOMPARE(rig.uc20()->queuedResponseCount(), 2);

    rig.uc20()->processMsgQueue();
    QCOMPARE(manufacturer.count(), 1);
    QCOMPARE(model.count(), 0);
    QCOMPARE(rig.uc20()->queuedResponseCount(), 1);

    rig.uc20()->processMsgQueue();
    QCOMPARE(model.count(), 1);
    QCOMPARE(rig.uc20()->queuedResponseCount(), 0);

    // An empty queue is not an error.
    rig.uc20()->processMsgQueue();
    QCOMPARE(manufacturer.count() + model.count(), 2);
}

void TestCUC20Channel::sendATCmd_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("empty") << QString() << QByteArray(1, '\0');
    QTest::newRow("AT") << "AT" << QByteArray("AT\0", 3);
    QTest::newRow("quotes kept") << "AT+QCFG=\"amrcodec\"" << QByteArray("AT+QCFG=\"amrcodec\"\0", 19);
    const QString longest = "AT+CPIN=\"" + QString(25, QLatin1Char('1')) + '"';
    QCOMPARE(longest.size(), 35);
    QTest::newRow("35 characters") << longest << longest.toLatin1() + '\0';
    // A character outside ASCII travels as UTF-8; the length counts its bytes.
    QTest::newRow("UTF-8") << QStringLiteral("AT+X=\u00e4") << QByteArray("AT+X=\xc3\xa4\0", 8);
    QTest::newRow("20 characters, 35 bytes")
        << "AT+X=" + QString(15, QChar(0x00e4)) << QByteArray("AT+X=") + QString(15, QChar(0x00e4)).toUtf8() + '\0';
}

void TestCUC20Channel::sendATCmd()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, payload);
    Uc20TestRig rig;
    rig.uc20()->sendATCmd(command);
    QCOMPARE(rig.link()->pendingCount(), 1);
    const QList<QByteArray> sent = rig.takeSentPayloads();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first(), payload);
    QCOMPARE(rig.takeLog(), QStringList { "TRACE] {../__src/CUC20, sendATCmd, 143} " + command });
}

void TestCUC20Channel::overlongCommandIsRefused_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("36 characters") << "AT+CPIN=\"" + QString(26, QLatin1Char('1')) + '"';
    QTest::newRow("21 characters, 37 bytes") << "AT+X=" + QString(16, QChar(0x00e4));
    QTest::newRow("very long") << QString(1000, QLatin1Char('A'));
}

void TestCUC20Channel::overlongCommandIsRefused()
{
    QFETCH(QString, command);
    Uc20TestRig rig;
    rig.uc20()->sendATCmd(command);
    QCOMPARE(rig.link()->pendingCount(), 0);
    QVERIFY(rig.takeSentPayloads().isEmpty());
    // The trace comes first, also for a refused command.
    QCOMPARE(rig.takeLog(),
        QStringList({ "TRACE] {../__src/CUC20, sendATCmd, 143} " + command,
            "ERROR] sendATCmd(), max. length of at-command exceeded!" }));
}

void TestCUC20Channel::commandWhileClosedIsDroppedSilently()
{
    Uc20TestRig rig(false);
    rig.console()->setLevelEnabled(CConsole::Trace, false);
    rig.uc20()->sendATCmd(QStringLiteral("AT+CSQ"));
    QCOMPARE(rig.link()->pendingCount(), 0);
    QVERIFY(rig.takeLog().isEmpty());
    QCOMPARE(rig.link()->start(Uc20TestRig::serial), 0);
    rig.takeLog();
    QVERIFY(rig.takeSentCommands().isEmpty());
}

void TestCUC20Channel::startupSequence()
{
    Uc20TestRig rig;
    rig.uc20()->initialize();
    const QStringList expected { "AT+CPIN?", "ATI", "AT+QCFG=\"amrcodec\"", "AT+GMI", "AT+GMM", "AT+GMR", "AT+GSN" };
    // Back to back: all are queued at once, without waiting for an answer.
    QCOMPARE(rig.link()->pendingCount(), expected.size());
    QCOMPARE(rig.takeSentCommands(), expected);

    // Every connection runs it again.
    rig.uc20()->initialize();
    QCOMPARE(rig.takeSentCommands(), expected);
}

void TestCUC20Channel::errorInjectIsParsedLikeModuleOutput()
{
    Uc20TestRig rig;
    QSignalSpy sim(rig.uc20(), &CUC20::simStateChange);
    rig.receive({ "AT+CSQ" }); // a pending line is not touched by an injection
    rig.uc20()->errorInject({ "AT+CPIN?", "+CME ERROR: 11", "OK" });
    rig.uc20()->errorInject({ "AT+GMI", "ERROR" });
    QCOMPARE(rig.uc20()->queuedResponseCount(), 2);
    QCOMPARE(rig.uc20()->pendingLineCount(), 1);
    rig.console()->setLevelEnabled(CConsole::Trace, false);

    rig.drain();
    QCOMPARE(sim.count(), 1);
    QCOMPARE(rig.uc20()->simState(), SIM_PIN);
    QCOMPARE(rig.takeLog(), QStringList({ "ERROR] SIM PIN required", "ERROR] Invalid GSM Command: AT+GMI" }));
}

void TestCUC20Channel::errorInjectWithoutFinalCodeDoesNothing()
{
    Uc20TestRig rig;
    QSignalSpy sim(rig.uc20(), &CUC20::simStateChange);
    QSignalSpy manufacturer(rig.uc20(), &CUC20::manufacturerIdentification);
    rig.console()->setLevelEnabled(CConsole::Trace, false);
    rig.uc20()->errorInject({ "AT+GMI", "+CME ERROR: 11" });
    QCOMPARE(rig.drain(), 1);
    QCOMPARE(sim.count(), 0);
    QCOMPARE(manufacturer.count(), 0);
    QVERIFY(rig.takeLog().isEmpty());
}

void TestCUC20Channel::errorInjectEmptyListIsDropped()
{
    Uc20TestRig rig;
    rig.uc20()->errorInject(QStringList());
    QCOMPARE(rig.uc20()->queuedResponseCount(), 0);
    QVERIFY(!rig.uc20()->findChild<QTimer*>(QStringLiteral("drainTimer"))->isActive());
    rig.uc20()->processMsgQueue();
    QVERIFY(rig.takeLog().isEmpty());
}

void TestCUC20Channel::pendingLinesAreBounded()
{
    Uc20TestRig rig;
    QStringList flood;
    for (int i = 1; i <= 250; ++i)
        flood.append(QStringLiteral("line %1").arg(i));
    rig.receive(flood);
    QCOMPARE(rig.uc20()->pendingLineCount(), CUC20::MaxPendingLines);
    QCOMPARE(rig.uc20()->queuedResponseCount(), 0);

    // Said once, not once per dropped line.
    const QStringList log = rig.takeLog();
    QCOMPARE(log.size(), 1);
    QVERIFY(log.first().startsWith(QStringLiteral("ERROR] Module output without a final result code")));

    // The response that finally closes keeps the newest lines: 250 lines and OK, bounded to 200.
    rig.receive({ "OK" });
    QCOMPARE(rig.uc20()->pendingLineCount(), 0);
    rig.drain();
    QString expected;
    for (int i = 52; i <= 250; ++i)
        expected += QStringLiteral(" line %1").arg(i);
    expected += QStringLiteral(" OK");
    QCOMPARE(rig.takeLog(), QStringList { "TRACE] {../__src/CUC20, processMsgQueue, 240} " + expected });

    // After a final code a new flood is reported again.
    rig.receive(flood);
    QCOMPARE(rig.takeLog().size(), 1);
}

void TestCUC20Channel::drainTimerRunsOnlyWhileResponsesWait()
{
    Uc20TestRig rig;
    const QTimer* drainTimer = rig.uc20()->findChild<QTimer*>(QStringLiteral("drainTimer"));
    QVERIFY(drainTimer);
    QCOMPARE(drainTimer->interval(), 1);
    QVERIFY(!drainTimer->isActive());

    rig.receive({ "AT+CSQ", "+CSQ: 20,99" });
    QVERIFY(!drainTimer->isActive()); // lines without a final code give the parser nothing
    rig.receive({ "OK", "AT+GMI", "Quectel", "OK" });
    QVERIFY(drainTimer->isActive());

    rig.uc20()->processMsgQueue();
    QVERIFY(drainTimer->isActive()); // one more waits
    rig.uc20()->processMsgQueue();
    QVERIFY(!drainTimer->isActive());

    rig.uc20()->errorInject({ "RING" });
    QVERIFY(drainTimer->isActive());
    rig.uc20()->processMsgQueue();
    QVERIFY(!drainTimer->isActive());
}

void TestCUC20Channel::drainTimerParsesOnePerTickInOrder()
{
    Uc20TestRig rig;
    QStringList order;
    connect(rig.uc20(), &CUC20::manufacturerIdentification, this, [&](const QString& text) { order << text; });
    connect(rig.uc20(), &CUC20::modelIdentification, this, [&](const QString& text) { order << text; });
    connect(rig.uc20(), &CUC20::rssiChange, this, [&](int rssi, int) { order << QString::number(rssi); });

    // Three responses completed at once, in one burst of input reports.
    rig.receiveThroughLink({ "AT+GMI", "Quectel", "OK", "AT+GMM", "UC20", "OK", "AT+CSQ", "+CSQ: 7,99", "OK" });
    QCOMPARE(rig.uc20()->queuedResponseCount(), 3);
    QVERIFY(order.isEmpty());

    QTRY_COMPARE(order, QStringList({ "Quectel", "UC20", "7" }));
    QVERIFY(!rig.uc20()->findChild<QTimer*>(QStringLiteral("drainTimer"))->isActive());
}

void TestCUC20Channel::noTimerRunsWhileIdle()
{
    Uc20TestRig rig;
    rig.uc20()->initialize();
    rig.takeSentCommands();
    rig.receive({ "AT+CPIN?", "+CPIN: READY", "OK" });
    rig.drain();
    const QList<QTimer*> timers = rig.uc20()->findChildren<QTimer*>();
    QVERIFY(!timers.isEmpty());
    for (const QTimer* timer : timers)
        QVERIFY2(!timer->isActive(), qPrintable(timer->objectName()));
}

QTEST_MAIN(TestCUC20Channel)
#include "tst_cuc20_channel.moc"
