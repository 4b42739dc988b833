#include "CConsole.h"
#include "CUC20.h"
#include "Uc20TestRig.h"

#include <QSignalSpy>
#include <QTest>

// The parser: every response is fed whole to parseResponse(), as the drain timer would, and the
// signals, states and console lines that come out are compared with what the module meant.
class TestCUC20Parser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void trace();
    void resultCodes_data();
    void resultCodes();

    void identification_data();
    void identification();

    void signalQuality_data();
    void signalQuality();

    void callList_data();
    void callList();

    void simStatus_data();
    void simStatus();
    void simStatusIsReportedAlsoWhenUnchanged();

    void cmeScan_data();
    void cmeScan();

    void phonebook_data();
    void phonebook();

    void sidetone_data();
    void sidetone();

    void dtmfFromCaller_data();
    void dtmfFromCaller();

    void speechCodec_data();
    void speechCodec();

private:
    // Lines logged while parsing, without the trace of the response itself.
    QStringList parse(const QStringList& response);

    Uc20TestRig* m_rig = nullptr;
};

void TestCUC20Parser::initTestCase()
{
    qRegisterMetaType<VOICECALL_STATE>("VOICECALL_STATE");
    qRegisterMetaType<SIM_STATE>("SIM_STATE");
}

void TestCUC20Parser::init()
{
    m_rig = new Uc20TestRig;
    m_rig->console()->setLevelEnabled(CConsole::Trace, false);
}

void TestCUC20Parser::cleanup()
{
    delete m_rig;
    m_rig = nullptr;
}

QStringList TestCUC20Parser::parse(const QStringList& response)
{
    m_rig->takeLog();
    m_rig->uc20()->parseResponse(response);
    return m_rig->takeLog();
}

void TestCUC20Parser::trace()
{
    m_rig->console()->setLevelEnabled(CConsole::Trace, true);
    // Every line follows one blank, so the text starts with a blank.
    QCOMPARE(parse({ "AT+CSQ", "+CSQ: 20,99", "OK" }),
        QStringList { "TRACE] {../__src/CUC20, processMsgQueue, 240}  AT+CSQ +CSQ: 20,99 OK" });
}

void TestCUC20Parser::resultCodes_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QStringList>("log");

    // The lines before the final code would set a state and emit a signal in an OK response.
    const QStringList body { "AT+CPIN?", "+CME ERROR: 11" };
    QTest::newRow("ERROR") << body + QStringList("ERROR") << QStringList("ERROR] Invalid GSM Command: AT+CPIN?");
    QTest::newRow("RING") << body + QStringList("RING") << QStringList("INFO] Incoming call...");
    QTest::newRow("CONNECT") << body + QStringList("CONNECT") << QStringList("INFO] Connect");
    QTest::newRow("NO CARRIER") << body + QStringList("NO CARRIER") << QStringList("INFO] No Carrier");
    QTest::newRow("NO DIALTONE") << body + QStringList("NO DIALTONE") << QStringList("INFO] No Dialtone");
    QTest::newRow("BUSY") << body + QStringList("BUSY") << QStringList("INFO] Busy");
    QTest::newRow("NO ANSWER") << body + QStringList("NO ANSWER") << QStringList("INFO] No Anwer");
    QTest::newRow("numeric BUSY") << body + QStringList("7") << QStringList("INFO] Busy");
    QTest::newRow("RING alone") << QStringList("RING") << QStringList("INFO] Incoming call...");
    QTest::newRow("ERROR names the echo as received")
        << QStringList { "at+xyz=\"a\" ", "ERROR" } << QStringList("ERROR] Invalid GSM Command: at+xyz=\"a\" ");
    QTest::newRow("no final code") << body << QStringList();
}

void TestCUC20Parser::resultCodes()
{
    QFETCH(QStringList, response);
    QFETCH(QStringList, log);
    QSignalSpy sim(m_rig->uc20(), &CUC20::simStateChange);
    QSignalSpy call(m_rig->uc20(), &CUC20::voicecallStateChange);
    QCOMPARE(parse(response), log);
    // Only an OK response is analysed further.
    QCOMPARE(sim.count(), 0);
    QCOMPARE(call.count(), 0);
    QCOMPARE(m_rig->uc20()->simState(), SIM_UNKNOWN);
    QCOMPARE(m_rig->uc20()->callState(), VOICECALL_IDLE);
}

void TestCUC20Parser::identification_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("revision");
    QTest::addColumn<QString>("imei");

    const QString none;
    QTest::newRow("AT+GMI") << QStringList { "AT+GMI", "Quectel", "OK" } << "Quectel" << none << none << none;
    QTest::newRow("AT+GMM") << QStringList { "AT+GMM", "UC20", "OK" } << none << "UC20" << none << none;
    QTest::newRow("AT+GMR") << QStringList { "AT+GMR", "Revision: UC20EQGAR01A09E1G", "OK" } << none << none
                            << "Revision: UC20EQGAR01A09E1G" << none;
    QTest::newRow("AT+GSN") << QStringList { "AT+GSN", "861075021234567", "OK" } << none << none << none
                            << "861075021234567";
    QTest::newRow("verbatim, blanks kept")
        << QStringList { "AT+GMI", "  Quectel Wireless  ", "OK" } << "  Quectel Wireless  " << none << none << none;
    QTest::newRow("lower-case echo") << QStringList { "at+gmi", "Quectel", "OK" } << "Quectel" << none << none << none;
    QTest::newRow("mixed-case echo") << QStringList { "At+GsN", "123", "OK" } << none << none << none << "123";
    QTest::newRow("no reply line: the OK") << QStringList { "AT+GMM", "OK" } << none << "OK" << none << none;
    QTest::newRow("more lines: the second")
        << QStringList { "AT+GMR", "first", "second", "OK" } << none << none << "first" << none;
    QTest::newRow("ATI") << QStringList { "ATI", "Quectel", "UC20", "Revision: X", "OK" } << none << none << none
                         << none;
    QTest::newRow("AT+CGMI") << QStringList { "AT+CGMI", "Quectel", "OK" } << none << none << none << none;
    QTest::newRow("AT+CGMM") << QStringList { "AT+CGMM", "UC20", "OK" } << none << none << none << none;
    QTest::newRow("AT+CGMR") << QStringList { "AT+CGMR", "X", "OK" } << none << none << none << none;
    QTest::newRow("AT+CGSN") << QStringList { "AT+CGSN", "861075021234567", "OK" } << none << none << none << none;
    QTest::newRow("echo with a blank") << QStringList { "AT+GMI ", "Quectel", "OK" } << none << none << none << none;
    QTest::newRow("closed by ERROR") << QStringList { "AT+GMI", "Quectel", "ERROR" } << none << none << none << none;
}

void TestCUC20Parser::identification()
{
    QFETCH(QStringList, response);
    QFETCH(QString, manufacturer);
    QFETCH(QString, model);
    QFETCH(QString, revision);
    QFETCH(QString, imei);
    QSignalSpy manufacturerSpy(m_rig->uc20(), &CUC20::manufacturerIdentification);
    QSignalSpy modelSpy(m_rig->uc20(), &CUC20::modelIdentification);
    QSignalSpy revisionSpy(m_rig->uc20(), &CUC20::firmwareRevision);
    QSignalSpy imeiSpy(m_rig->uc20(), &CUC20::IMEIIdentify);
    parse(response);

    const QList<QPair<QSignalSpy*, QString>> expectations { { &manufacturerSpy, manufacturer }, { &modelSpy, model },
        { &revisionSpy, revision }, { &imeiSpy, imei } };
    for (const auto& expectation : expectations) {
        if (expectation.second.isNull()) {
            QCOMPARE(expectation.first->count(), 0);
        } else {
            QCOMPARE(expectation.first->count(), 1);
            QCOMPARE(expectation.first->at(0).at(0).toString(), expectation.second);
        }
    }
}

void TestCUC20Parser::signalQuality_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<bool>("emitted");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("dBm");

    // The module's table: 0 is -113 dBm or less, 1 is -111, 2..30 step 2 dB from -109 to -53,
    // 31 is -51 or more, 99 is not known.
    QTest::newRow("rssi 0") << QStringList { "AT+CSQ", "+CSQ: 0,99", "OK" } << true << 0 << -113;
    QTest::newRow("rssi 1") << QStringList { "AT+CSQ", "+CSQ: 1,99", "OK" } << true << 1 << -111;
    int dBm = -109;
    for (int rssi = 2; rssi <= 30; ++rssi, dBm += 2) {
        const QString reply = QStringLiteral("+CSQ: %1,0").arg(rssi);
        QTest::addRow("rssi %d", rssi) << QStringList { "AT+CSQ", reply, "OK" } << true << rssi << dBm;
    }
    QCOMPARE(dBm - 2, -53);
    QTest::newRow("rssi 31") << QStringList { "AT+CSQ", "+CSQ: 31,99", "OK" } << true << 31 << -51;
    QTest::newRow("rssi 99") << QStringList { "AT+CSQ", "+CSQ: 99,99", "OK" } << true << 99 << 0;
    QTest::newRow("rssi 32") << QStringList { "AT+CSQ", "+CSQ: 32,99", "OK" } << true << 32 << 0;
    QTest::newRow("rssi -1") << QStringList { "AT+CSQ", "+CSQ: -1,99", "OK" } << true << -1 << 0;
    QTest::newRow("rssi 100") << QStringList { "AT+CSQ", "+CSQ: 100,99", "OK" } << true << 100 << 0;
    QTest::newRow("lower-case echo") << QStringList { "at+csq", "+CSQ: 20,99", "OK" } << true << 20 << -73;
    QTest::newRow("non-numeric rssi reads 0") << QStringList { "AT+CSQ", "+CSQ: xx,99", "OK" } << true << 0 << -113;

    QTest::newRow("four lines") << QStringList { "AT+CSQ", "+CSQ: 20,99", "", "OK" } << false << 0 << 0;
    QTest::newRow("two lines") << QStringList { "AT+CSQ", "OK" } << false << 0 << 0;
    QTest::newRow("no blank") << QStringList { "AT+CSQ", "+CSQ:20,99", "OK" } << false << 0 << 0;
    QTest::newRow("two blanks") << QStringList { "AT+CSQ", "+CSQ:  20,99", "OK" } << false << 0 << 0;
    QTest::newRow("one value") << QStringList { "AT+CSQ", "+CSQ: 20", "OK" } << false << 0 << 0;
    QTest::newRow("three values") << QStringList { "AT+CSQ", "+CSQ: 20,99,1", "OK" } << false << 0 << 0;
    QTest::newRow("CME error instead") << QStringList { "AT+CSQ", "+CME ERROR: 3", "OK" } << false << 0 << 0;
    QTest::newRow("test form") << QStringList { "AT+CSQ=?", "+CSQ: (0-31,99),(0-7,99)", "OK" } << false << 0 << 0;
}

void TestCUC20Parser::signalQuality()
{
    QFETCH(QStringList, response);
    QFETCH(bool, emitted);
    QFETCH(int, rssi);
    QFETCH(int, dBm);
    QSignalSpy spy(m_rig->uc20(), &CUC20::rssiChange);
    parse(response);
    QCOMPARE(spy.count(), emitted ? 1 : 0);
    if (emitted) {
        QCOMPARE(spy[0][0].toInt(), rssi);
        QCOMPARE(spy[0][1].toInt(), dBm);
    }
}

void TestCUC20Parser::callList_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("emitted");
    QTest::addColumn<QString>("number");

    const QString number = QStringLiteral("+31201234567");
    auto callList = [](const QString& line) { return QStringList { "AT+CLCC", line, "OK" }; };
    const QString incoming = QStringLiteral("+CLCC: 1,1,4,0,0,\"+31201234567\",145");

    QTest::newRow("stat 0 from idle") << int(VOICECALL_IDLE) << callList("+CLCC: 1,0,0,0,0,\"+31201234567\",145")
                                      << int(VOICECALL_ACTIVE) << true << number;
    QTest::newRow("stat 1 held") << int(VOICECALL_ACTIVE) << callList("+CLCC: 1,0,1,0,0,\"+31201234567\",145")
                                 << int(VOICECALL_ACTIVE) << false << QString();
    QTest::newRow("stat 2 from idle") << int(VOICECALL_IDLE) << callList("+CLCC: 1,0,2,0,0,\"0201234567\",129")
                                      << int(VOICECALL_CALLING) << true << "0201234567";
    QTest::newRow("stat 3 alerting") << int(VOICECALL_CALLING) << callList("+CLCC: 1,0,3,0,0,\"0201234567\",129")
                                     << int(VOICECALL_CALLING) << false << QString();
    QTest::newRow("stat 4 from idle") << int(VOICECALL_IDLE) << callList(incoming) << int(VOICECALL_INCOMING) << true
                                      << number;
    QTest::newRow("stat 5 waiting") << int(VOICECALL_IDLE) << callList("+CLCC: 2,1,5,0,0,\"+31201234567\",145")
                                    << int(VOICECALL_IDLE) << false << QString();
    QTest::newRow("stat 6") << int(VOICECALL_IDLE) << callList("+CLCC: 1,1,6,0,0,\"+31201234567\",145")
                            << int(VOICECALL_IDLE) << false << QString();
    QTest::newRow("stat 4 again is silent")
        << int(VOICECALL_INCOMING) << callList(incoming) << int(VOICECALL_INCOMING) << false << QString();
    QTest::newRow("stat 0 from incoming")
        << int(VOICECALL_INCOMING) << callList("+CLCC: 1,1,0,0,0,\"+31201234567\",145") << int(VOICECALL_ACTIVE) << true
        << number;
    QTest::newRow("stat 4 from active") << int(VOICECALL_ACTIVE) << callList(incoming) << int(VOICECALL_INCOMING)
                                        << true << number;
    QTest::newRow("stat 2 from active") << int(VOICECALL_ACTIVE) << callList("+CLCC: 1,0,2,0,0,\"112\",129")
                                        << int(VOICECALL_CALLING) << true << "112";
    QTest::newRow("empty number") << int(VOICECALL_IDLE) << callList("+CLCC: 1,1,4,0,0,\"\",128")
                                  << int(VOICECALL_INCOMING) << true << "";
    QTest::newRow("unquoted number") << int(VOICECALL_IDLE) << callList("+CLCC: 1,1,4,0,0,0612345678,129")
                                     << int(VOICECALL_INCOMING) << true << "0612345678";

    QTest::newRow("empty list from active")
        << int(VOICECALL_ACTIVE) << QStringList { "AT+CLCC", "OK" } << int(VOICECALL_IDLE) << true << "";
    QTest::newRow("empty list from calling")
        << int(VOICECALL_CALLING) << QStringList { "AT+CLCC", "OK" } << int(VOICECALL_IDLE) << true << "";
    QTest::newRow("empty list from incoming")
        << int(VOICECALL_INCOMING) << QStringList { "AT+CLCC", "OK" } << int(VOICECALL_IDLE) << true << "";
    QTest::newRow("empty list while idle")
        << int(VOICECALL_IDLE) << QStringList { "AT+CLCC", "OK" } << int(VOICECALL_IDLE) << false << QString();
    QTest::newRow("lower-case ok reply") << int(VOICECALL_ACTIVE) << QStringList { "AT+CLCC", "ok", "OK" }
                                         << int(VOICECALL_IDLE) << true << "";
    QTest::newRow("lower-case echo") << int(VOICECALL_IDLE) << QStringList { "at+clcc", incoming, "OK" }
                                     << int(VOICECALL_INCOMING) << true << number;

    QTest::newRow("name field") << int(VOICECALL_IDLE) << callList("+CLCC: 1,1,4,0,0,\"+31201234567\",145,\"Studio\"")
                                << int(VOICECALL_IDLE) << false << QString();
    QTest::newRow("six fields") << int(VOICECALL_IDLE) << callList("+CLCC: 1,1,4,0,0,\"+31201234567\"")
                                << int(VOICECALL_IDLE) << false << QString();
    QTest::newRow("two calls") << int(VOICECALL_ACTIVE)
                               << QStringList { "AT+CLCC", "+CLCC: 1,1,0,0,0,\"+31201234567\",145",
                                      "+CLCC: 2,1,5,0,0,\"+31209876543\",145", "OK" }
                               << int(VOICECALL_ACTIVE) << false << QString();
    QTest::newRow("two calls, none active")
        << int(VOICECALL_ACTIVE)
        << QStringList { "AT+CLCC", "+CLCC: 1,0,2,0,0,\"1\",129", "+CLCC: 2,1,4,0,0,\"2\",129", "OK" }
        << int(VOICECALL_ACTIVE) << false << QString();
    // A garbled call line is not a call; read as 0 it would pass for an active one.
    QTest::newRow("non-numeric stat") << int(VOICECALL_IDLE) << callList("+CLCC: 1,1,x,0,0,\"+31201234567\",145")
                                      << int(VOICECALL_IDLE) << false << QString();
    QTest::newRow("empty stat") << int(VOICECALL_IDLE) << callList("+CLCC: 1,1,,0,0,\"+31201234567\",145")
                                << int(VOICECALL_IDLE) << false << QString();
    QTest::newRow("closed by ERROR") << int(VOICECALL_ACTIVE) << QStringList { "AT+CLCC", "ERROR" }
                                     << int(VOICECALL_ACTIVE) << false << QString();
    QTest::newRow("echo with a parameter")
        << int(VOICECALL_ACTIVE) << QStringList { "AT+CLCC=?", "OK" } << int(VOICECALL_ACTIVE) << false << QString();
}

void TestCUC20Parser::callList()
{
    QFETCH(int, before);
    QFETCH(QStringList, response);
    QFETCH(int, after);
    QFETCH(bool, emitted);
    QFETCH(QString, number);

    // Bring the engine into the starting state the way the module would.
    const QMap<int, QString> stateLines {
        { VOICECALL_CALLING, "+CLCC: 1,0,2,0,0,\"9\",129" },
        { VOICECALL_INCOMING, "+CLCC: 1,1,4,0,0,\"9\",129" },
        { VOICECALL_ACTIVE, "+CLCC: 1,1,0,0,0,\"9\",129" },
    };
    if (before != VOICECALL_IDLE)
        parse({ "AT+CLCC", stateLines.value(before), "OK" });
    QCOMPARE(int(m_rig->uc20()->callState()), before);

    QSignalSpy spy(m_rig->uc20(), &CUC20::voicecallStateChange);
    parse(response);
    QCOMPARE(int(m_rig->uc20()->callState()), after);
    QCOMPARE(spy.count(), emitted ? 1 : 0);
    if (emitted) {
        QCOMPARE(spy[0][0].value<VOICECALL_STATE>(), VOICECALL_STATE(after));
        QCOMPARE(spy[0][1].toString(), number);
    }
}

void TestCUC20Parser::simStatus_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<int>("state"); // -1: no report

    QTest::newRow("READY") << QStringList { "AT+CPIN?", "+CPIN: READY", "OK" } << int(SIM_READY);
    QTest::newRow("SIM PIN") << QStringList { "AT+CPIN?", "+CPIN: SIM PIN", "OK" } << int(SIM_PIN);
    QTest::newRow("SIM PUK") << QStringList { "AT+CPIN?", "+CPIN: SIM PUK", "OK" } << int(SIM_PUK);
    QTest::newRow("SIM PIN2 is not SIM PIN") << QStringList { "AT+CPIN?", "+CPIN: SIM PIN2", "OK" } << int(SIM_PIN2);
    QTest::newRow("SIM PUK2 is not SIM PUK") << QStringList { "AT+CPIN?", "+CPIN: SIM PUK2", "OK" } << int(SIM_PUK2);
    QTest::newRow("PH-NET PIN") << QStringList { "AT+CPIN?", "+CPIN: PH-NET PIN", "OK" } << int(SIM_PH_NET_PIN);
    QTest::newRow("PH-NET PUK") << QStringList { "AT+CPIN?", "+CPIN: PH-NET PUK", "OK" } << int(SIM_PH_NET_PUK);
    QTest::newRow("PH-NETSUB PIN") << QStringList { "AT+CPIN?", "+CPIN: PH-NETSUB PIN", "OK" }
                                   << int(SIM_PH_NETSUB_PIN);
    QTest::newRow("PH-NETSUB PUK") << QStringList { "AT+CPIN?", "+CPIN: PH-NETSUB PUK", "OK" }
                                   << int(SIM_PH_NETSUB_PUK);
    QTest::newRow("PH-SP PIN has no status text") << QStringList { "AT+CPIN?", "+CPIN: PH-SP PIN", "OK" } << -1;
    QTest::newRow("lower-case status") << QStringList { "AT+CPIN?", "+CPIN: ready", "OK" } << -1;
    QTest::newRow("no reply line") << QStringList { "AT+CPIN?", "OK" } << -1;
    QTest::newRow("READY wins over the rest")
        << QStringList { "AT+CPIN?", "+CPIN: SIM PIN READY", "OK" } << int(SIM_READY);

    QTest::newRow("unsolicited READY, closed by another OK")
        << QStringList { "+CPIN: READY", "AT+GMI", "Quectel", "OK" } << int(SIM_READY);
    QTest::newRow("unsolicited SIM PIN") << QStringList { "+CPIN: SIM PIN", "OK" } << int(SIM_PIN);
    QTest::newRow("unsolicited, lower-case prefix") << QStringList { "+cpin: SIM PUK", "OK" } << int(SIM_PUK);
    // With a query echo the reply line is read, so a status in a later line is not seen.
    QTest::newRow("status on the third line") << QStringList { "AT+CPIN?", "", "+CPIN: READY", "OK" } << -1;
    // A lower-case query echo is no "AT+CPIN?": the echo itself is searched.
    QTest::newRow("lower-case query echo") << QStringList { "at+cpin?", "+CPIN: READY", "OK" } << -1;

    QTest::newRow("PIN entry answer with READY") << QStringList { "AT+CPIN=1234", "+CPIN: READY", "OK" } << -1;
    QTest::newRow("PUK entry answer") << QStringList { "AT+CPIN=\"12345678\",\"6842\"", "OK" } << -1;
    QTest::newRow("closed by ERROR") << QStringList { "AT+CPIN?", "+CPIN: READY", "ERROR" } << -1;
}

void TestCUC20Parser::simStatus()
{
    QFETCH(QStringList, response);
    QFETCH(int, state);
    QSignalSpy spy(m_rig->uc20(), &CUC20::simStateChange);
    parse(response);
    if (state < 0) {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_rig->uc20()->simState(), SIM_UNKNOWN);
    } else {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].value<SIM_STATE>(), SIM_STATE(state));
        QCOMPARE(m_rig->uc20()->simState(), SIM_STATE(state));
    }
}

void TestCUC20Parser::simStatusIsReportedAlsoWhenUnchanged()
{
    QSignalSpy spy(m_rig->uc20(), &CUC20::simStateChange);
    parse({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" });
    parse({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" });
    QCOMPARE(spy.count(), 2);
    parse({ "AT+CPIN?", "+CME ERROR: 11", "OK" });
    QCOMPARE(spy.count(), 3);
    QCOMPARE(m_rig->uc20()->simState(), SIM_PIN);
}

void TestCUC20Parser::cmeScan_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("state"); // -1: no report

    QTest::newRow("SIM not inserted changes no state")
        << QStringList { "AT+CPIN?", "+CME ERROR: 10", "ATI", "Quectel", "UC20", "Revision: X", "OK" }
        << QStringList("ERROR] SIM not inserted") << -1;
    // The +CME line is the reply line of the query, so the status search finds nothing.
    QTest::newRow("SIM PIN required") << QStringList { "AT+CPIN?", "+CME ERROR: 11", "ATI", "Quectel", "UC20",
        "Revision: X", "OK" } << QStringList("ERROR] SIM PIN required")
                                      << int(SIM_PIN);

    struct SimCode
    {
        int code;
        SIM_STATE state;
        const char* text;
    };
    const SimCode simCodes[] = {
        { 11, SIM_PIN, "SIM PIN required" },
        { 12, SIM_PUK, "SIM PUK required" },
        { 17, SIM_PIN2, "SIM PIN2 required" },
        { 18, SIM_PUK2, "SIM PUK2 required" },
        { 40, SIM_PH_NET_PIN, "Network personalization PIN required" },
        { 41, SIM_PH_NET_PUK, "Network personalization PUK required" },
        { 42, SIM_PH_NETSUB_PIN, "Network subset personalization PIN required" },
        { 43, SIM_PH_NETSUB_PUK, "Network subset personalization PUK required" },
        { 44, SIM_PH_SP_PIN, "Service provider personalization PIN required" },
        { 45, SIM_PH_SP_PUK, "Service provider personalization PUK required" },
        { 46, SIM_PH_CORP_PIN, "Corporate personalization PIN required" },
        { 47, SIM_PH_CORP_PUK, "Corporate personalization PUK required" },
    };
    for (const SimCode& simCode : simCodes) {
        QTest::addRow("code %d in any response", simCode.code)
            << QStringList { "AT+GMI", QStringLiteral("+CME ERROR: %1").arg(simCode.code), "OK" }
            << QStringList(QStringLiteral("ERROR] ") + QLatin1String(simCode.text)) << int(simCode.state);
    }

    QTest::newRow("last code wins") << QStringList { "AT+CLCC", "+CME ERROR: 11", "+CME ERROR: 12", "OK" }
                                    << QStringList { "ERROR] SIM PIN required", "ERROR] SIM PUK required" }
                                    << int(SIM_PUK);
    QTest::newRow("last code changes no state")
        << QStringList { "AT+CLCC", "+CME ERROR: 11", "+CME ERROR: 16", "OK" }
        << QStringList { "ERROR] SIM PIN required", "ERROR] Incorrect password" } << -1;
    QTest::newRow("operation not allowed")
        << QStringList { "AT+CSQ", "+CME ERROR: 3", "OK" } << QStringList("ERROR] Operation not allowed") << -1;
    QTest::newRow("phone failure") << QStringList { "AT+CSQ", "+CME ERROR: 0", "OK" }
                                   << QStringList("ERROR] Phone failure") << -1;
    QTest::newRow("emergency calls only") << QStringList { "AT+CSQ", "+CME ERROR: 32", "OK" }
                                          << QStringList("ERROR] Network not allowed - emergency calls only") << -1;
    QTest::newRow("unknown code 8") << QStringList { "AT+CSQ", "+CME ERROR: 8", "OK" } << QStringList("ERROR] ") << -1;
    QTest::newRow("unknown code 100") << QStringList { "AT+CSQ", "+CME ERROR: 100", "OK" } << QStringList("ERROR] ")
                                      << -1;
    QTest::newRow("verbose text reads as code 0")
        << QStringList { "AT+CSQ", "+CME ERROR: SIM PIN required", "OK" } << QStringList("ERROR] Phone failure") << -1;
    // Found anywhere in a line; the code is always the third blank-separated field.
    QTest::newRow("inside a line") << QStringList { "AT+CSQ", "x +cme error: 12", "OK" }
                                   << QStringList("ERROR] Phone failure") << -1;
    QTest::newRow("lower case") << QStringList { "AT+CSQ", "+cme error: 12", "OK" }
                                << QStringList("ERROR] SIM PUK required") << int(SIM_PUK);
    QTest::newRow("no code") << QStringList { "AT+CSQ", "+CME ERROR:", "OK" } << QStringList("ERROR] ") << -1;
    QTest::newRow("no blank") << QStringList { "AT+CSQ", "+CME ERROR:11", "OK" } << QStringList("ERROR] ") << -1;
    QTest::newRow("line without a code after a code")
        << QStringList { "AT+CSQ", "+CME ERROR: 11", "+CME ERROR:", "OK" }
        << QStringList { "ERROR] SIM PIN required", "ERROR] " } << int(SIM_PIN);
    QTest::newRow("in the echo") << QStringList { "+CME ERROR: 18", "OK" } << QStringList("ERROR] SIM PUK2 required")
                                 << int(SIM_PUK2);
}

void TestCUC20Parser::cmeScan()
{
    QFETCH(QStringList, response);
    QFETCH(QStringList, log);
    QFETCH(int, state);
    QSignalSpy spy(m_rig->uc20(), &CUC20::simStateChange);
    QCOMPARE(parse(response), log);
    if (state < 0) {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_rig->uc20()->simState(), SIM_UNKNOWN);
    } else {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(m_rig->uc20()->simState(), SIM_STATE(state));
    }
}

void TestCUC20Parser::phonebook_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QList<QStringList>>("entries");

    QTest::newRow("two entries") << QStringList {
        "AT+CPBR=1,2", "+CPBR: 1,\"0201234567\",129,\"Studio\"", "+CPBR: 2,\"+31612345678\",145,\"News desk\"", "OK"
    } << QList<QStringList> { { "1", "0201234567", "129", "Studio" }, { "2", "+31612345678", "145", "News desk" } };
    QTest::newRow("comma inside a name") << QStringList { "AT+CPBR=5", "+CPBR: 5,\"112\",129,\"Smith, J.\"", "OK" }
                                         << QList<QStringList> { { "5", "112", "129", "Smith, J." } };
    QTest::newRow("lower-case echo") << QStringList { "at+cpbr=3", "+CPBR: 3,\"1\",129,\"A\"", "OK" }
                                     << QList<QStringList> { { "3", "1", "129", "A" } };
    QTest::newRow("empty range") << QStringList { "AT+CPBR=1,10", "OK" } << QList<QStringList>();
    QTest::newRow("test form") << QStringList { "AT+CPBR=?", "+CPBR: (1-250),40,20", "OK" } << QList<QStringList>();
    QTest::newRow("error inside") << QStringList { "AT+CPBR=300", "+CME ERROR: 21", "OK" } << QList<QStringList>();
    QTest::newRow("too few fields") << QStringList { "AT+CPBR=1", "+CPBR: 1,\"1\",129", "OK" } << QList<QStringList>();
    QTest::newRow("closed by ERROR") << QStringList { "AT+CPBR=1", "+CPBR: 1,\"1\",129,\"A\"", "ERROR" }
                                     << QList<QStringList>();
}

void TestCUC20Parser::phonebook()
{
    QFETCH(QStringList, response);
    QFETCH(QList<QStringList>, entries);
    QSignalSpy spy(m_rig->uc20(), &CUC20::phonebookEntry);
    QSignalSpy sim(m_rig->uc20(), &CUC20::simStateChange);
    parse(response);
    QCOMPARE(spy.count(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const QStringList fields { spy[i][0].toString(), spy[i][1].toString(), spy[i][2].toString(),
            spy[i][3].toString() };
        QCOMPARE(fields, entries.at(i));
    }
    QCOMPARE(sim.count(), 0);
}

void TestCUC20Parser::sidetone_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<int>("gain"); // -1: nothing emitted

    QTest::newRow("gain 5") << QStringList { "AT+QSIDET?", "+QSIDET: 5", "OK" } << 5;
    QTest::newRow("gain 0") << QStringList { "AT+QSIDET?", "+QSIDET: 0", "OK" } << 0;
    QTest::newRow("lower-case echo") << QStringList { "at+qsidet?", "+QSIDET: 12", "OK" } << 12;
    QTest::newRow("non-numeric reads 0") << QStringList { "AT+QSIDET?", "+QSIDET: x", "OK" } << 0;
    QTest::newRow("no blank") << QStringList { "AT+QSIDET?", "+QSIDET:5", "OK" } << -1;
    QTest::newRow("three fields") << QStringList { "AT+QSIDET?", "+QSIDET: 5 6", "OK" } << -1;
    QTest::newRow("four lines") << QStringList { "AT+QSIDET?", "+QSIDET: 5", "", "OK" } << -1;
    QTest::newRow("setting, not a query") << QStringList { "AT+QSIDET=5", "OK" } << -1;
}

void TestCUC20Parser::sidetone()
{
    QFETCH(QStringList, response);
    QFETCH(int, gain);
    QSignalSpy spy(m_rig->uc20(), &CUC20::sidetone);
    parse(response);
    QCOMPARE(spy.count(), gain < 0 ? 0 : 1);
    if (gain >= 0)
        QCOMPARE(spy[0][0].toInt(), gain);
}

void TestCUC20Parser::dtmfFromCaller_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<int>("key"); // -1: nothing emitted

    QTest::newRow("key 0") << QStringList { "+QTONEDET: 48", "OK" } << int('0');
    QTest::newRow("key #") << QStringList { "+QTONEDET: 35", "OK" } << int('#');
    QTest::newRow("key A") << QStringList { "+QTONEDET: 65", "OK" } << int('A');
    QTest::newRow("lower-case") << QStringList { "+qtonedet: 57", "OK" } << int('9');
    QTest::newRow("no blank") << QStringList { "+QTONEDET:48", "OK" } << -1;
    QTest::newRow("three fields") << QStringList { "+QTONEDET: 48 1", "OK" } << -1;
    QTest::newRow("closed by ERROR") << QStringList { "+QTONEDET: 48", "AT+X", "ERROR" } << -1;
}

void TestCUC20Parser::dtmfFromCaller()
{
    QFETCH(QStringList, response);
    QFETCH(int, key);
    QSignalSpy spy(m_rig->uc20(), &CUC20::DTMFfromCaller);
    parse(response);
    QCOMPARE(spy.count(), key < 0 ? 0 : 1);
    if (key >= 0)
        QCOMPARE(spy[0][0].toInt(), key);
}

void TestCUC20Parser::speechCodec_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<int>("type"); // -1: nothing emitted
    QTest::addColumn<QString>("name");

    const QStringList names { "UNKNOWN CODEC", "GSM FR", "GSM HR", "GSM EFR", "GSM AMR NB", "GSM HR AMR", "GSM AMR WB",
        "WCDMA AMR NB", "WCDMA AMR WB" };
    for (int type = 0; type <= 9; ++type) {
        QTest::addRow("type %d", type) << QStringList { "AT+QSPCH", QStringLiteral("+QSPCH: 1,%1,0").arg(type), "OK" }
                                       << (type <= 8 ? type : -1) << names.value(type);
    }
    QTest::newRow("lower-case echo") << QStringList { "at+qspch", "+QSPCH: 1,6,0", "OK" } << 6 << "GSM AMR WB";
    QTest::newRow("non-numeric reads 0") << QStringList { "AT+QSPCH", "+QSPCH: 1,x,0", "OK" } << 0 << "UNKNOWN CODEC";
    QTest::newRow("negative type") << QStringList { "AT+QSPCH", "+QSPCH: 1,-1,0", "OK" } << -1 << "";
    QTest::newRow("two fields") << QStringList { "AT+QSPCH", "+QSPCH: 1,6", "OK" } << -1 << "";
    QTest::newRow("four fields") << QStringList { "AT+QSPCH", "+QSPCH: 1,6,0,0", "OK" } << -1 << "";
    QTest::newRow("four lines") << QStringList { "AT+QSPCH", "+QSPCH: 1,6,0", "", "OK" } << -1 << "";
    QTest::newRow("two lines") << QStringList { "AT+QSPCH", "OK" } << -1 << "";
}

void TestCUC20Parser::speechCodec()
{
    QFETCH(QStringList, response);
    QFETCH(int, type);
    QFETCH(QString, name);
    QSignalSpy spy(m_rig->uc20(), &CUC20::codecChange);
    parse(response);
    QCOMPARE(spy.count(), type < 0 ? 0 : 1);
    if (type >= 0) {
        QCOMPARE(spy[0][0].toInt(), type);
        QCOMPARE(spy[0][1].toString(), name);
    }
}

QTEST_MAIN(TestCUC20Parser)
#include "tst_cuc20_parser.moc"
