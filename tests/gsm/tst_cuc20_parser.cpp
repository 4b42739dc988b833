#include "CUC20.h"
#include "Uc20TestRig.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

namespace {

// A response closed by OK.
QStringList ok(QStringList lines)
{
    return lines << QStringLiteral("OK");
}

// An answer to AT+CLCC with one call line for each entry of fields.
QStringList calls(std::initializer_list<const char*> fields)
{
    QStringList lines { "AT+CLCC" };
    for (const char* call : fields)
        lines << QLatin1String("+CLCC: ") + QLatin1String(call);
    return ok(lines);
}

// An answer with one +CME error line for each code.
QStringList cme(std::initializer_list<const char*> codes)
{
    QStringList lines { "AT" };
    for (const char* code : codes)
        lines << QLatin1String("+CME ERROR: ") + QLatin1String(code);
    return ok(lines);
}

const int idle = VOICECALL_IDLE;
const int calling = VOICECALL_CALLING;
const int incoming = VOICECALL_INCOMING;
const int active = VOICECALL_ACTIVE;
const QString noReport;

} // namespace

// The parser: each response is handed over whole, as the module's output would be assembled,
// and the signals and console lines that come out are compared with what the module meant.
class TestCUC20Parser : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_rig = std::make_unique<Uc20TestRig>(); }
    void cleanup() { m_rig.reset(); }

    void resultCodes_data();
    void resultCodes();
    void replies_data();
    void replies();
    void callList_data();
    void callList();
    void simStatus_data();
    void simStatus();
    void cmeScan_data();
    void cmeScan();

private:
    // Parses one response; returns what was logged.
    QStringList parse(const QStringList& response)
    {
        m_rig->uc20()->errorInject(response);
        m_rig->drain();
        return m_rig->takeLog();
    }

    std::unique_ptr<Uc20TestRig> m_rig;
};

void TestCUC20Parser::resultCodes_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QString>("log");

    // Analysed as OK, the lines before the final code would report a SIM state.
    const QStringList body { "AT+CPIN?", "+CME ERROR: 11" };
    QTest::newRow("ERROR names the echo") << body + QStringList("ERROR") << "ERROR] Invalid GSM Command: AT+CPIN?";
    QTest::newRow("RING") << body + QStringList("RING") << "INFO] Incoming call...";
    QTest::newRow("NO CARRIER") << body + QStringList("NO CARRIER") << "INFO] No Carrier";
    QTest::newRow("numeric BUSY") << body + QStringList("7") << "INFO] Busy";
    QTest::newRow("no final code") << body << "";
}

void TestCUC20Parser::resultCodes()
{
    QFETCH(QStringList, response);
    QFETCH(QString, log);
    parse(calls({ "1,1,0,0,0,5,129" }));
    QSignalSpy sim(m_rig->uc20(), &CUC20::simStateChange);
    QSignalSpy call(m_rig->uc20(), &CUC20::voicecallStateChange);
    QCOMPARE(parse(response).join('\n'), log);
    // Only an OK response is analysed, and no final code ends a call: the call list does.
    QCOMPARE(sim.count() + call.count(), 0);
    QCOMPARE(m_rig->uc20()->callState(), VOICECALL_ACTIVE);
}

void TestCUC20Parser::replies_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QString>("reports"); // every signal emitted, as name(args)

    QTest::newRow("manufacturer") << ok({ "AT+GMI", "Quectel" }) << "manufacturerIdentification(Quectel)";
    QTest::newRow("model") << ok({ "AT+GMM", "UC20" }) << "modelIdentification(UC20)";
    QTest::newRow("revision") << ok({ "AT+GMR", "Revision: R01A09" }) << "firmwareRevision(Revision: R01A09)";
    QTest::newRow("IMEI") << ok({ "AT+GSN", "861075021234567" }) << "IMEIIdentify(861075021234567)";
    QTest::newRow("blanks kept") << ok({ "AT+GMI", "  Quectel  " }) << "manufacturerIdentification(  Quectel  )";
    QTest::newRow("lower-case echo") << ok({ "at+gmm", "UC20" }) << "modelIdentification(UC20)";
    QTest::newRow("the second line") << ok({ "AT+GMR", "first", "second" }) << "firmwareRevision(first)";
    QTest::newRow("ATI") << ok({ "ATI", "Quectel", "UC20", "Revision: R01A09" }) << "";
    QTest::newRow("echo with a blank") << ok({ "AT+GMI ", "Quectel" }) << "";
    QTest::newRow("closed by ERROR") << QStringList { "AT+GMI", "Quectel", "ERROR" } << "";

    // rssi 0 is -113 dBm or less, 2..30 step 2 dB from -109, 31 is -51 or more, 99 not known.
    QTest::newRow("rssi 0") << ok({ "AT+CSQ", "+CSQ: 0,99" }) << "rssiChange(0, -113)";
    QTest::newRow("rssi 1") << ok({ "AT+CSQ", "+CSQ: 1,99" }) << "rssiChange(1, -111)";
    QTest::newRow("rssi 2") << ok({ "AT+CSQ", "+CSQ: 2,0" }) << "rssiChange(2, -109)";
    QTest::newRow("rssi 15") << ok({ "AT+CSQ", "+CSQ: 15,0" }) << "rssiChange(15, -83)";
    QTest::newRow("rssi 30") << ok({ "AT+CSQ", "+CSQ: 30,0" }) << "rssiChange(30, -53)";
    QTest::newRow("rssi 31") << ok({ "AT+CSQ", "+CSQ: 31,99" }) << "rssiChange(31, -51)";
    QTest::newRow("rssi 99") << ok({ "AT+CSQ", "+CSQ: 99,99" }) << "rssiChange(99, 0)";
    QTest::newRow("rssi 32") << ok({ "AT+CSQ", "+CSQ: 32,99" }) << "rssiChange(32, 0)";
    QTest::newRow("rssi -1") << ok({ "AT+CSQ", "+CSQ: -1,99" }) << "rssiChange(-1, 0)";
    QTest::newRow("rssi, no blank") << ok({ "AT+CSQ", "+CSQ:20,99" }) << "";
    QTest::newRow("rssi, one value") << ok({ "AT+CSQ", "+CSQ: 20" }) << "";
    QTest::newRow("rssi, four lines") << ok({ "AT+CSQ", "+CSQ: 20,99", "" }) << "";

    QTest::newRow("side tone") << ok({ "AT+QSIDET?", "+QSIDET: 5" }) << "sidetone(5)";
    QTest::newRow("side tone, no blank") << ok({ "AT+QSIDET?", "+QSIDET:5" }) << "";
    QTest::newRow("side tone, four lines") << ok({ "AT+QSIDET?", "+QSIDET: 5", "" }) << "";

    QTest::newRow("caller key #") << ok({ "+QTONEDET: 35" }) << "DTMFfromCaller(35)";
    QTest::newRow("caller key 9, lower case") << ok({ "+qtonedet: 57" }) << "DTMFfromCaller(57)";
    QTest::newRow("caller key, no blank") << ok({ "+QTONEDET:48" }) << "";
    QTest::newRow("caller key, closed by ERROR") << QStringList { "+QTONEDET: 48", "ERROR" } << "";

    const QStringList codecs { "UNKNOWN CODEC", "GSM FR", "GSM HR", "GSM EFR", "GSM AMR NB", "GSM HR AMR", "GSM AMR WB",
        "WCDMA AMR NB", "WCDMA AMR WB" };
    for (int type = 0; type <= 9; ++type) {
        const QString reply = QStringLiteral("+QSPCH: 1,%1,0").arg(type);
        const QString report
            = type < codecs.size() ? QStringLiteral("codecChange(%1, %2)").arg(type).arg(codecs[type]) : "";
        QTest::addRow("codec %d", type) << ok({ "AT+QSPCH", reply }) << report;
    }
    QTest::newRow("codec -1") << ok({ "AT+QSPCH", "+QSPCH: 1,-1,0" }) << "";
    QTest::newRow("codec, two fields") << ok({ "AT+QSPCH", "+QSPCH: 1,6" }) << "";
    QTest::newRow("codec, four lines") << ok({ "AT+QSPCH", "+QSPCH: 1,6,0", "" }) << "";

    const QString entry1 = R"(+CPBR: 1,"020",129,"Studio")";
    const QString entry2 = R"(+CPBR: 2,"112",145,"Smith, J.")";
    QTest::newRow("phonebook") << ok({ "AT+CPBR=1,2", entry1, entry2 })
                               << "phonebookEntry(1, 020, 129, Studio) phonebookEntry(2, 112, 145, Smith, J.)";
    QTest::newRow("phonebook, test form") << ok({ "AT+CPBR=?", "+CPBR: (1-250),40,20" }) << "";
    QTest::newRow("phonebook, three fields") << ok({ "AT+CPBR=1", R"(+CPBR: 1,"1",129)" }) << "";
    QTest::newRow("phonebook, closed by ERROR") << QStringList { "AT+CPBR=1,2", entry1, "ERROR" } << "";
}

void TestCUC20Parser::replies()
{
    QFETCH(QStringList, response);
    QFETCH(QString, reports);
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    const QMetaObject& engine = CUC20::staticMetaObject;
    for (int i = engine.methodOffset(); i < engine.methodCount(); ++i) {
        if (engine.method(i).methodType() == QMetaMethod::Signal)
            spies.push_back(std::make_unique<QSignalSpy>(m_rig->uc20(), engine.method(i)));
    }
    parse(response);
    QStringList emitted;
    for (const auto& spy : spies) {
        for (const QVariantList& args : *spy) {
            QStringList texts;
            for (const QVariant& arg : args)
                texts << arg.toString();
            emitted << QString::fromLatin1(spy->signal().left(spy->signal().indexOf('('))) + '(' + texts.join(", ")
                    + ')';
        }
    }
    QCOMPARE(emitted.join(' '), reports);
}

void TestCUC20Parser::callList_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("reports"); // every change reported: "state(number)"

    QTest::newRow("stat 0: active") << idle << calls({ R"(1,1,0,0,0,"020",129)" }) << active << "3(020)";
    // An outgoing call answered before any list showed it dialling is an outgoing call.
    QTest::newRow("stat 0, ours") << idle << calls({ R"(1,0,0,0,0,"020",129)" }) << active << "1(020) 3(020)";
    QTest::newRow("stat 1 (held)") << active << calls({ R"(1,0,1,0,0,"020",129)" }) << active << "";
    QTest::newRow("stat 2: calling") << idle << calls({ R"(1,0,2,0,0,"020",129)" }) << calling << "1(020)";
    QTest::newRow("stat 3 (alerting)") << calling << calls({ R"(1,0,3,0,0,"020",129)" }) << calling << "";
    QTest::newRow("stat 4: incoming") << idle << calls({ R"(1,1,4,0,0,"020",129)" }) << incoming << "2(020)";
    QTest::newRow("stat 5 (waiting)") << idle << calls({ R"(1,1,5,0,0,"020",129)" }) << idle << "";
    QTest::newRow("incoming answered") << incoming << calls({ R"(1,1,0,0,0,"020",129)" }) << active << "3(020)";
    QTest::newRow("dialled answered") << calling << calls({ R"(1,0,0,0,0,"020",129)" }) << active << "3(020)";
    QTest::newRow("same state again") << incoming << calls({ R"(1,1,4,0,0,"020",129)" }) << incoming << "";
    QTest::newRow("empty list ends a call") << active << ok({ "AT+CLCC" }) << idle << "0()";
    QTest::newRow("empty list while idle") << idle << ok({ "AT+CLCC" }) << idle << "";
    QTest::newRow("name field") << idle << calls({ R"(1,1,4,0,0,"020",129,"Smith, J")" }) << incoming << "2(020)";
    QTest::newRow("comma in number") << idle << calls({ R"(1,1,4,0,0,"02,0",129)" }) << incoming << "2(02,0)";
    QTest::newRow("quote in number") << idle << calls({ R"(1,1,4,0,0,"0"20",129)" }) << incoming << "2(0\"20)";
    QTest::newRow("withheld") << idle << calls({ R"(1,1,4,0,0,"",128)" }) << incoming << "2()";
    QTest::newRow("six fields") << idle << calls({ R"(1,1,4,0,0,"020")" }) << idle << "";
    QTest::newRow("nine fields") << idle << calls({ R"(1,1,4,0,0,"020",129,"A",1)" }) << idle << "";
    QTest::newRow("two calls") << active << calls({ "1,1,0,0,0,1,129", "2,1,5,0,0,2,129" }) << active << "";
    QTest::newRow("non-numeric stat") << idle << calls({ R"(1,1,x,0,0,"020",129)" }) << idle << "";
    QTest::newRow("closed by ERROR") << active << QStringList { "AT+CLCC", "ERROR" } << active << "";
    QTest::newRow("test form") << active << ok({ "AT+CLCC=?" }) << active << "";
}

void TestCUC20Parser::callList()
{
    QFETCH(int, before);
    QFETCH(QStringList, response);
    QFETCH(int, after);
    QFETCH(QString, reports);
    const char* const stateLines[] = { "", "1,0,2,0,0,9,129", "1,1,4,0,0,9,129", "1,1,0,0,0,9,129" };
    if (before != idle)
        parse(calls({ stateLines[before] }));
    QCOMPARE(int(m_rig->uc20()->callState()), before);

    QSignalSpy spy(m_rig->uc20(), &CUC20::voicecallStateChange);
    parse(response);
    QCOMPARE(int(m_rig->uc20()->callState()), after);
    QStringList reported;
    for (const QList<QVariant>& change : qAsConst(spy))
        reported << QStringLiteral("%1(%2)").arg(int(change[0].value<VOICECALL_STATE>())).arg(change[1].toString());
    QCOMPARE(reported.join(' '), reports);
}

void TestCUC20Parser::simStatus_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<SIM_STATE>("state"); // SIM_UNKNOWN: no report

    QTest::newRow("READY") << ok({ "AT+CPIN?", "+CPIN: READY" }) << SIM_READY;
    QTest::newRow("SIM PIN") << ok({ "AT+CPIN?", "+CPIN: SIM PIN" }) << SIM_PIN;
    QTest::newRow("SIM PIN2 is not SIM PIN") << ok({ "AT+CPIN?", "+CPIN: SIM PIN2" }) << SIM_PIN2;
    QTest::newRow("SIM PUK") << ok({ "AT+CPIN?", "+CPIN: SIM PUK" }) << SIM_PUK;
    QTest::newRow("SIM PUK2 is not SIM PUK") << ok({ "AT+CPIN?", "+CPIN: SIM PUK2" }) << SIM_PUK2;
    QTest::newRow("PH-NETSUB PUK") << ok({ "AT+CPIN?", "+CPIN: PH-NETSUB PUK" }) << SIM_PH_NETSUB_PUK;
    QTest::newRow("PH-SP PIN has no status text") << ok({ "AT+CPIN?", "+CPIN: PH-SP PIN" }) << SIM_UNKNOWN;
    QTest::newRow("unsolicited, before another answer") << ok({ "+CPIN: READY", "AT+GMI", "Quectel" }) << SIM_READY;
    QTest::newRow("answer to a PIN entry") << ok({ "AT+CPIN=1234", "+CPIN: READY" }) << SIM_UNKNOWN;
    QTest::newRow("closed by ERROR") << QStringList { "AT+CPIN?", "+CPIN: READY", "ERROR" } << SIM_UNKNOWN;
}

void TestCUC20Parser::simStatus()
{
    QFETCH(QStringList, response);
    QFETCH(SIM_STATE, state);
    QSignalSpy spy(m_rig->uc20(), &CUC20::simStateChange);
    // Every report is passed on, also one that does not change the state.
    parse(response);
    parse(response);
    QCOMPARE(spy.count(), state == SIM_UNKNOWN ? 0 : 2);
    for (const QVariantList& report : spy)
        QCOMPARE(report[0].value<SIM_STATE>(), state);
}

void TestCUC20Parser::cmeScan_data()
{
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QString>("errors");  // logged, separated by '|'
    QTest::addColumn<SIM_STATE>("state"); // SIM_UNKNOWN: no report

    // In a status query the +CME line is the reply line: only the scan reports the state.
    QTest::newRow("SIM not inserted") << ok({ "AT+CPIN?", "+CME ERROR: 10" }) << "SIM not inserted" << SIM_UNKNOWN;
    QTest::newRow("SIM PIN required") << ok({ "AT+CPIN?", "+CME ERROR: 11" }) << "SIM PIN required" << SIM_PIN;
    QTest::newRow("PIN2 in any answer") << cme({ "17" }) << "SIM PIN2 required" << SIM_PIN2;
    QTest::newRow("code 47") << cme({ "47" }) << "Corporate personalization PUK required" << SIM_PH_CORP_PUK;
    QTest::newRow("last code wins") << cme({ "11", "12" }) << "SIM PIN required|SIM PUK required" << SIM_PUK;
    QTest::newRow("last, no SIM state") << cme({ "11", "16" }) << "SIM PIN required|Incorrect password" << SIM_UNKNOWN;
    QTest::newRow("lower case") << ok({ "AT", "+cme error: 12" }) << "SIM PUK required" << SIM_PUK;
    QTest::newRow("unknown code") << cme({ "8" }) << "" << SIM_UNKNOWN;
    QTest::newRow("no code") << ok({ "AT", "+CME ERROR:" }) << "" << SIM_UNKNOWN;
    QTest::newRow("code, then none") << ok({ "AT", "+CME ERROR: 11", "+CME ERROR:" }) << "SIM PIN required|" << SIM_PIN;
}

void TestCUC20Parser::cmeScan()
{
    QFETCH(QStringList, response);
    QFETCH(QString, errors);
    QFETCH(SIM_STATE, state);
    QSignalSpy spy(m_rig->uc20(), &CUC20::simStateChange);
    QCOMPARE(parse(response).join('|'), "ERROR] " + errors.split('|').join("|ERROR] "));
    QCOMPARE(spy.count(), state == SIM_UNKNOWN ? 0 : 1);
    if (state != SIM_UNKNOWN)
        QCOMPARE(spy[0][0].value<SIM_STATE>(), state);
}

QTEST_MAIN(TestCUC20Parser)
#include "tst_cuc20_parser.moc"
