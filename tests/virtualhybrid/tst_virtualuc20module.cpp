#include "ManualClock.h"
#include "VirtualUC20Module.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString imei = QStringLiteral("861234567890126");

QStringList lines(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromLatin1(text));
    return list;
}

} // namespace

class TestVirtualUC20Module : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void answers_data();
    void answers();
    void everyAnswerEchoesFirstAndEndsWithAFinalCode();
    void echoCanBeSwitchedOff();

    void pinUnlocks();
    void threeWrongPinsLockToPuk();
    void pukUnlocksAndSetsTheNewPin();
    void tenWrongPuksBlockTheSim();
    void pinIsAskedAgainAfterPowerCycle();
    void missingSim();
    void scriptedSimChangesAreReported();

    void outgoingCall_data();
    void outgoingCall();
    void farEndAnswersEarly();
    void incomingCall();
    void callEndings_data();
    void callEndings();
    void callListShapes_data();
    void callListShapes();
    void dialRefusals_data();
    void dialRefusals();
    void noNetworkDropsTheCall();

    void callerKeysNeedToneDetection_data();
    void callerKeysNeedToneDetection();
    void dtmfTowardsTheCaller();
    void speechCodec();
    void audioModeKeepsItsOwnSidetone();
    void localToneEnds();
    void textMessage();
    void textMessageAbort();
    void textMessageNeedsSimAndNetwork();
    void powerOffDropsEverything();

private:
    QStringList send(const QString& line);
    QList<QStringList> drain();

    ManualClock* m_clock = nullptr;
    VirtualUC20Module* m_module = nullptr;
    QList<QStringList> m_batches;
};

void TestVirtualUC20Module::init()
{
    m_clock = new ManualClock;
    m_module = new VirtualUC20Module(m_clock, imei);
    connect(
        m_module, &VirtualUC20Module::output, m_module, [this](const QStringList& batch) { m_batches.append(batch); });
    m_module->powerOn();
    m_batches.clear();
}

void TestVirtualUC20Module::cleanup()
{
    delete m_module;
    delete m_clock;
    m_batches.clear();
}

// Sends one line and returns the one answer it produced (unsolicited batches stay queued).
QStringList TestVirtualUC20Module::send(const QString& line)
{
    const int before = m_batches.size();
    m_module->submit(line);
    if (m_batches.size() == before)
        return QStringList();
    return m_batches.takeAt(before);
}

QList<QStringList> TestVirtualUC20Module::drain()
{
    return std::exchange(m_batches, QList<QStringList>());
}

void TestVirtualUC20Module::answers_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("expected");

    // What the program sends when it connects.
    QTest::newRow("SIM status") << "AT+CPIN?" << lines({ "AT+CPIN?", "+CPIN: READY", "OK" });
    QTest::newRow("ATI") << "ATI" << lines({ "ATI", "Quectel", "UC20", "Revision: UC20GQBR03A14E1G", "OK" });
    QTest::newRow("AMR codec query") << "AT+QCFG=\"amrcodec\""
                                     << lines({ "AT+QCFG=\"amrcodec\"", "+QCFG: \"amrcodec\",15", "OK" });
    QTest::newRow("manufacturer") << "AT+GMI" << lines({ "AT+GMI", "Quectel", "OK" });
    QTest::newRow("model") << "AT+GMM" << lines({ "AT+GMM", "UC20", "OK" });
    QTest::newRow("revision") << "AT+GMR" << lines({ "AT+GMR", "Revision: UC20GQBR03A14E1G", "OK" });
    QTest::newRow("IMEI") << "AT+GSN" << QStringList { "AT+GSN", imei, "OK" };
    // Commands are case-insensitive; the echo is what was sent.
    QTest::newRow("lower case") << "at+gmi" << lines({ "at+gmi", "Quectel", "OK" });
    QTest::newRow("27.007 names") << "AT+CGMM" << lines({ "AT+CGMM", "UC20", "OK" });
    QTest::newRow("test form") << "AT+GMR=?" << lines({ "AT+GMR=?", "OK" });
    QTest::newRow("bare AT") << "AT" << lines({ "AT", "OK" });

    // What the firmware polls.
    QTest::newRow("signal") << "AT+CSQ" << lines({ "AT+CSQ", "+CSQ: 20,99", "OK" });
    QTest::newRow("signal range") << "AT+CSQ=?" << lines({ "AT+CSQ=?", "+CSQ: (0-31,99),(0-7,99)", "OK" });
    QTest::newRow("no calls") << "AT+CLCC" << lines({ "AT+CLCC", "OK" });
    QTest::newRow("no speech channel") << "AT+QSPCH" << lines({ "AT+QSPCH", "+QSPCH: 0,0,0", "OK" });

    // Service and SMS pages.
    QTest::newRow("audio mode") << "AT+QAUDMOD=2" << lines({ "AT+QAUDMOD=2", "OK" });
    QTest::newRow("audio mode read") << "AT+QAUDMOD?" << lines({ "AT+QAUDMOD?", "+QAUDMOD: 0", "OK" });
    QTest::newRow("audio mode range") << "AT+QAUDMOD=?" << lines({ "AT+QAUDMOD=?", "+QAUDMOD: (0-8)", "OK" });
    QTest::newRow("audio mode too big") << "AT+QAUDMOD=9" << lines({ "AT+QAUDMOD=9", "ERROR" });
    QTest::newRow("side tone read") << "AT+QSIDET?" << lines({ "AT+QSIDET?", "+QSIDET: 0", "OK" });
    QTest::newRow("side tone set") << "AT+QSIDET=250" << lines({ "AT+QSIDET=250", "OK" });
    QTest::newRow("side tone too big") << "AT+QSIDET=65536" << lines({ "AT+QSIDET=65536", "ERROR" });
    QTest::newRow("test tone on") << "AT+QLTONE=1,1000,1000,1000,15300000"
                                  << lines({ "AT+QLTONE=1,1000,1000,1000,15300000", "OK" });
    QTest::newRow("test tone off") << "AT+QLTONE=0" << lines({ "AT+QLTONE=0", "OK" });
    QTest::newRow("test tone bad frequency")
        << "AT+QLTONE=1,50,1000,1000,1000" << lines({ "AT+QLTONE=1,50,1000,1000,1000", "ERROR" });
    QTest::newRow("text mode") << "AT+CMGF=1" << lines({ "AT+CMGF=1", "OK" });
    QTest::newRow("message format read") << "AT+CMGF?" << lines({ "AT+CMGF?", "+CMGF: 0", "OK" });
    QTest::newRow("character set") << "AT+CSCS=\"GSM\"" << lines({ "AT+CSCS=\"GSM\"", "OK" });
    QTest::newRow("character set read") << "AT+CSCS?" << lines({ "AT+CSCS?", "+CSCS: \"GSM\"", "OK" });
    QTest::newRow("unknown character set") << "AT+CSCS=\"EBCDIC\"" << lines({ "AT+CSCS=\"EBCDIC\"", "ERROR" });
    QTest::newRow("tone detection") << "AT+QTONEDET=1" << lines({ "AT+QTONEDET=1", "OK" });
    QTest::newRow("DTMF range") << "AT+VTS=?" << lines({ "AT+VTS=?", "+VTS: (0-9,A-D,*,#),(0-255)", "OK" });
    QTest::newRow("DTMF without a call") << "AT+VTS=\"1\"" << lines({ "AT+VTS=\"1\"", "+CME ERROR: 3" });
    QTest::newRow("answer without a call") << "ATA" << lines({ "ATA", "NO CARRIER" });
    QTest::newRow("hang up without a call") << "ATH" << lines({ "ATH", "OK" });

    // Anything else.
    QTest::newRow("unknown command") << "AT+QFOO" << lines({ "AT+QFOO", "ERROR" });
    QTest::newRow("not a command") << "hello" << lines({ "hello", "ERROR" });
    QTest::newRow("truncated") << "AT+" << lines({ "AT+", "ERROR" });
    QTest::newRow("read of an action") << "AT+CLCC?" << lines({ "AT+CLCC?", "ERROR" });
    QTest::newRow("PIN execute form") << "AT+CPIN" << lines({ "AT+CPIN", "ERROR" });
    QTest::newRow("unknown config") << "AT+QCFG=\"band\"" << lines({ "AT+QCFG=\"band\"", "ERROR" });
}

void TestVirtualUC20Module::answers()
{
    QFETCH(QString, command);
    QFETCH(QStringList, expected);
    QCOMPARE(send(command), expected);
    QVERIFY(drain().isEmpty());
}

void TestVirtualUC20Module::everyAnswerEchoesFirstAndEndsWithAFinalCode()
{
    const QStringList finalCodes { "OK", "ERROR", "NO CARRIER", "BUSY", "NO ANSWER" };
    const QStringList commands { "AT+CPIN?", "ATI", "AT+QCFG=\"amrcodec\"", "AT+GMI", "AT+GMM", "AT+GMR", "AT+GSN",
        "ATD0612345678;", "AT+CLCC", "AT+CSQ", "AT+QSPCH", "ATH", "AT+QAUDMOD=1", "AT+QSIDET?", "AT+QLTONE=0",
        "AT+CMGF=1", "AT+CSCS=\"GSM\"", "AT+XYZ", "ATA" };
    for (const QString& command : commands) {
        const QStringList answer = send(command);
        QVERIFY2(answer.size() >= 2, qPrintable(command));
        QCOMPARE(answer.first(), command);
        QVERIFY2(finalCodes.contains(answer.last()) || answer.last().startsWith("+CME ERROR: "), qPrintable(command));
        for (int i = 1; i < answer.size() - 1; ++i)
            QVERIFY2(!finalCodes.contains(answer[i]), qPrintable(command));
    }
}

void TestVirtualUC20Module::echoCanBeSwitchedOff()
{
    QCOMPARE(send("ATE0"), lines({ "ATE0", "OK" }));
    QCOMPARE(send("AT+GMI"), lines({ "Quectel", "OK" }));
    QVERIFY(!m_module->echo());
    QCOMPARE(send("ATE1"), lines({ "OK" }));
    QCOMPARE(send("AT+GMI"), lines({ "AT+GMI", "Quectel", "OK" }));
    // Every power-on starts with echo on.
    send("ATE0");
    m_module->powerOff();
    m_module->powerOn();
    QVERIFY(m_module->echo());
}

void TestVirtualUC20Module::pinUnlocks()
{
    m_module->setSimLock(VirtualUC20Module::SimPinLocked);
    drain();
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" }));
    // A locked SIM refuses calls with the code that names the lock.
    QCOMPARE(send("ATD0612345678;"), lines({ "ATD0612345678;", "+CME ERROR: 11" }));
    QCOMPARE(send("AT+CPIN=1234"), lines({ "AT+CPIN=1234", "OK" }));
    // The module reports the new state on its own, after the answer.
    QCOMPARE(drain(), QList<QStringList> { lines({ "+CPIN: READY" }) });
    QCOMPARE(m_module->simLock(), VirtualUC20Module::SimUnlocked);
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CPIN: READY", "OK" }));
    // Nothing left to unlock.
    QCOMPARE(send("AT+CPIN=1234"), lines({ "AT+CPIN=1234", "+CME ERROR: 3" }));
}

void TestVirtualUC20Module::threeWrongPinsLockToPuk()
{
    m_module->setSimLock(VirtualUC20Module::SimPinLocked);
    drain();
    QCOMPARE(send("AT+CPIN=1111"), lines({ "AT+CPIN=1111", "+CME ERROR: 16" }));
    QCOMPARE(m_module->pinTriesLeft(), 2);
    QCOMPARE(send("AT+CPIN=\"2222\""), lines({ "AT+CPIN=\"2222\"", "+CME ERROR: 16" }));
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" }));
    QCOMPARE(send("AT+CPIN=3333"), lines({ "AT+CPIN=3333", "+CME ERROR: 16" }));
    QCOMPARE(m_module->pinTriesLeft(), 0);
    QCOMPARE(m_module->simLock(), VirtualUC20Module::SimPukLocked);
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CPIN: SIM PUK", "OK" }));
    // Even the right PIN does not help now.
    QCOMPARE(send("AT+CPIN=1234"), lines({ "AT+CPIN=1234", "+CME ERROR: 12" }));
    QCOMPARE(m_module->simLock(), VirtualUC20Module::SimPukLocked);
    QVERIFY(drain().isEmpty());

    // A malformed code is a syntax error and costs no try.
    m_module->setSimLock(VirtualUC20Module::SimPinLocked);
    drain();
    QCOMPARE(send("AT+CPIN=12"), lines({ "AT+CPIN=12", "ERROR" }));
    QCOMPARE(send("AT+CPIN=12ab"), lines({ "AT+CPIN=12ab", "ERROR" }));
    QCOMPARE(m_module->pinTriesLeft(), 3);
    // A right PIN after wrong ones restores the tries.
    send("AT+CPIN=9999");
    send("AT+CPIN=9999");
    QCOMPARE(send("AT+CPIN=1234"), lines({ "AT+CPIN=1234", "OK" }));
    QCOMPARE(m_module->pinTriesLeft(), 3);
}

void TestVirtualUC20Module::pukUnlocksAndSetsTheNewPin()
{
    m_module->setPuk("87654321");
    m_module->setSimLock(VirtualUC20Module::SimPukLocked);
    QCOMPARE(drain(), QList<QStringList> { lines({ "+CPIN: SIM PUK" }) });
    QCOMPARE(send("AT+CPIN=\"11111111\",\"6842\""), lines({ "AT+CPIN=\"11111111\",\"6842\"", "+CME ERROR: 16" }));
    QCOMPARE(m_module->pukTriesLeft(), 9);
    // The program's PUK entry: the PUK and the new PIN 6842, both quoted.
    QCOMPARE(send("AT+CPIN=\"87654321\",\"6842\""), lines({ "AT+CPIN=\"87654321\",\"6842\"", "OK" }));
    QCOMPARE(drain(), QList<QStringList> { lines({ "+CPIN: READY" }) });
    QCOMPARE(m_module->pin(), QStringLiteral("6842"));
    QCOMPARE(m_module->pukTriesLeft(), 10);

    // The new PIN is the one asked for after the next power-up.
    m_module->powerOff();
    m_module->powerOn();
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CPIN: SIM PIN", "OK" }));
    QCOMPARE(send("AT+CPIN=1234"), lines({ "AT+CPIN=1234", "+CME ERROR: 16" }));
    QCOMPARE(send("AT+CPIN=6842"), lines({ "AT+CPIN=6842", "OK" }));
}

void TestVirtualUC20Module::tenWrongPuksBlockTheSim()
{
    m_module->setSimLock(VirtualUC20Module::SimPukLocked);
    drain();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(send("AT+CPIN=\"00000000\",\"1234\""), lines({ "AT+CPIN=\"00000000\",\"1234\"", "+CME ERROR: 16" }));
    QVERIFY(m_module->isSimBlocked());
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CME ERROR: 13" }));
    QCOMPARE(send("AT+CPIN=\"12345678\",\"1234\""), lines({ "AT+CPIN=\"12345678\",\"1234\"", "+CME ERROR: 13" }));
    // Another card brings the module back.
    m_module->setSimLock(VirtualUC20Module::SimUnlocked);
    QVERIFY(!m_module->isSimBlocked());
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CPIN: READY", "OK" }));
}

void TestVirtualUC20Module::pinIsAskedAgainAfterPowerCycle()
{
    m_module->setSimLock(VirtualUC20Module::SimPinLocked);
    send("AT+CPIN=1234");
    QCOMPARE(m_module->simLock(), VirtualUC20Module::SimUnlocked);
    m_module->powerOff();
    m_module->powerOn();
    QCOMPARE(m_module->simLock(), VirtualUC20Module::SimPinLocked);

    // A card without a PIN check stays ready.
    m_module->setSimLock(VirtualUC20Module::SimUnlocked);
    m_module->powerOff();
    m_module->powerOn();
    QCOMPARE(m_module->simLock(), VirtualUC20Module::SimUnlocked);
}

void TestVirtualUC20Module::missingSim()
{
    m_module->setSimLock(VirtualUC20Module::SimMissing);
    QVERIFY(drain().isEmpty());
    QCOMPARE(send("AT+CPIN?"), lines({ "AT+CPIN?", "+CME ERROR: 10" }));
    QCOMPARE(send("AT+CPIN=1234"), lines({ "AT+CPIN=1234", "+CME ERROR: 10" }));
    QCOMPARE(send("ATD0612345678;"), lines({ "ATD0612345678;", "+CME ERROR: 10" }));
    // Identification still works without a card.
    QCOMPARE(send("AT+GMM"), lines({ "AT+GMM", "UC20", "OK" }));
    // Nobody can call a phone without a SIM.
    m_module->ringIn("0201234567");
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::NoCall);
    QVERIFY(drain().isEmpty());
}

void TestVirtualUC20Module::scriptedSimChangesAreReported()
{
    QSignalSpy changed(m_module, &VirtualUC20Module::simStateChanged);
    m_module->setSimLock(VirtualUC20Module::SimPinLocked);
    QCOMPARE(drain(), QList<QStringList> { lines({ "+CPIN: SIM PIN" }) });
    m_module->setSimLock(VirtualUC20Module::SimPinLocked); // no change, no report
    QVERIFY(drain().isEmpty());
    m_module->setSimLock(VirtualUC20Module::SimUnlocked);
    QCOMPARE(drain(), QList<QStringList> { lines({ "+CPIN: READY" }) });
    QCOMPARE(changed.count(), 2);
}

void TestVirtualUC20Module::outgoingCall_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QStringList>("statesEverySecond"); // +CLCC stat (or "-" for no call) at 0, 1, 2 ... s
    QTest::addColumn<QString>("report");

    QTest::newRow("answered after 3 s") << int(VirtualUC20Module::AnswerAfterDelay) << 3000
                                        << QStringList { "2", "3", "3", "0", "0" } << QString();
    QTest::newRow("answered at once") << int(VirtualUC20Module::AnswerAfterDelay) << 0 << QStringList { "0", "0" }
                                      << QString();
    QTest::newRow("busy after 2 s") << int(VirtualUC20Module::Busy) << 2000 << QStringList { "2", "2", "-", "-" }
                                    << QStringLiteral("BUSY");
    QTest::newRow("not answered after 4 s") << int(VirtualUC20Module::NoAnswer) << 4000
                                            << QStringList { "2", "3", "3", "3", "-" } << QStringLiteral("NO ANSWER");
}

void TestVirtualUC20Module::outgoingCall()
{
    QFETCH(int, outcome);
    QFETCH(int, delayMs);
    QFETCH(QStringList, statesEverySecond);
    QFETCH(QString, report);
    m_module->setOutgoingOutcome(VirtualUC20Module::OutgoingOutcome(outcome), delayMs);
    QCOMPARE(send("ATD0612345678;"), lines({ "ATD0612345678;", "OK" }));
    QStringList reports;
    for (int second = 0; second < statesEverySecond.size(); ++second) {
        if (second > 0)
            m_clock->advance(1000);
        else
            m_clock->advance(0);
        for (const QStringList& batch : drain())
            reports += batch;
        const QString expected = statesEverySecond[second];
        const QStringList answer = send("AT+CLCC");
        if (expected == "-") {
            QCOMPARE(answer, lines({ "AT+CLCC", "OK" }));
        } else {
            QCOMPARE(answer.size(), 3);
            QCOMPARE(answer[1], QStringLiteral("+CLCC: 1,0,%1,0,0,\"0612345678\",129").arg(expected));
        }
    }
    QCOMPARE(reports, report.isEmpty() ? QStringList() : QStringList { report });
}

void TestVirtualUC20Module::farEndAnswersEarly()
{
    m_module->setOutgoingOutcome(VirtualUC20Module::NoAnswer, 30000);
    send("ATD+31612345678;");
    m_clock->advance(1500);
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::CallAlerting);
    m_module->farEndAnswers();
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::CallActive);
    // The scripted outcome no longer applies.
    m_clock->advance(60000);
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::CallActive);
    QVERIFY(drain().isEmpty());
    QCOMPARE(send("AT+CLCC"), lines({ "AT+CLCC", "+CLCC: 1,0,0,0,0,\"+31612345678\",145", "OK" }));
}

void TestVirtualUC20Module::incomingCall()
{
    QSignalSpy callChanges(m_module, &VirtualUC20Module::callStateChanged);
    m_module->ringIn("0201234567");
    QCOMPARE(drain(), QList<QStringList> { lines({ "RING" }) });
    QCOMPARE(send("AT+CLCC"), lines({ "AT+CLCC", "+CLCC: 1,1,4,0,0,\"0201234567\",129", "OK" }));
    m_clock->advance(2999);
    QVERIFY(drain().isEmpty());
    m_clock->advance(1);
    QCOMPARE(drain(), QList<QStringList> { lines({ "RING" }) });
    m_clock->advance(6000);
    QCOMPARE(drain(), (QList<QStringList> { lines({ "RING" }), lines({ "RING" }) }));

    // A second caller meets a busy phone.
    m_module->ringIn("0307654321");
    QCOMPARE(m_module->callNumber(), QStringLiteral("0201234567"));

    QCOMPARE(send("ATA"), lines({ "ATA", "OK" }));
    QCOMPARE(send("AT+CLCC"), lines({ "AT+CLCC", "+CLCC: 1,1,0,0,0,\"0201234567\",129", "OK" }));
    m_clock->advance(10000);
    QVERIFY(drain().isEmpty()); // no more rings once answered
    QCOMPARE(callChanges.count(), 2);
}

void TestVirtualUC20Module::callEndings_data()
{
    QTest::addColumn<bool>("incoming");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<bool>("byFarEnd");
    QTest::addColumn<QStringList>("reports");
    QTest::newRow("caller hangs up") << true << true << true << lines({ "NO CARRIER" });
    QTest::newRow("caller gives up ringing") << true << false << true << lines({ "NO CARRIER" });
    QTest::newRow("studio rejects") << true << false << false << QStringList();
    QTest::newRow("studio hangs up") << true << true << false << QStringList();
    QTest::newRow("far end hangs up") << false << true << true << lines({ "NO CARRIER" });
    QTest::newRow("studio cancels dialling") << false << false << false << QStringList();
}

void TestVirtualUC20Module::callEndings()
{
    QFETCH(bool, incoming);
    QFETCH(bool, answered);
    QFETCH(bool, byFarEnd);
    QFETCH(QStringList, reports);
    if (incoming) {
        m_module->ringIn("0201234567");
        if (answered)
            send("ATA");
    } else {
        m_module->setOutgoingOutcome(VirtualUC20Module::AnswerAfterDelay, answered ? 0 : 10000);
        send("ATD0201234567;");
        m_clock->advance(0);
    }
    drain();
    if (byFarEnd)
        m_module->farEndHangsUp();
    else
        QCOMPARE(send("ATH"), lines({ "ATH", "OK" }));
    QStringList seen;
    for (const QStringList& batch : drain())
        seen += batch;
    QCOMPARE(seen, reports);
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::NoCall);
    QCOMPARE(send("AT+CLCC"), lines({ "AT+CLCC", "OK" }));
    m_clock->advance(20000);
    QVERIFY(drain().isEmpty());
}

void TestVirtualUC20Module::callListShapes_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("type");
    QTest::newRow("national") << "0612345678"
                              << "129";
    QTest::newRow("international") << "+31612345678"
                                   << "145";
    QTest::newRow("short code") << "*100#"
                                << "129";
    QTest::newRow("withheld") << ""
                              << "129";
}

void TestVirtualUC20Module::callListShapes()
{
    QFETCH(QString, number);
    QFETCH(QString, type);
    m_module->ringIn(number);
    const QStringList answer = send("AT+CLCC");
    QCOMPARE(answer.size(), 3);
    // Seven fields: index, direction, status, mode, multiparty, number, type.
    const QStringList fields = answer[1].split(QLatin1Char(','));
    QCOMPARE(fields.size(), 7);
    QCOMPARE(fields[0], QStringLiteral("+CLCC: 1"));
    QCOMPARE(fields[1], QStringLiteral("1"));
    QCOMPARE(fields[2], QStringLiteral("4"));
    QCOMPARE(fields[5], QStringLiteral("\"%1\"").arg(number));
    QCOMPARE(fields[6], type);
}

void TestVirtualUC20Module::dialRefusals_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("result");
    QTest::newRow("data call") << "ATD0612345678"
                               << "ERROR";
    QTest::newRow("empty number") << "ATD;"
                                  << "ERROR";
    QTest::newRow("letters") << "ATD06abc;"
                             << "ERROR";
    QTest::newRow("plus inside") << "ATD06+1;"
                                 << "ERROR";
    QTest::newRow("only a plus") << "ATD+;"
                                 << "ERROR";
}

void TestVirtualUC20Module::dialRefusals()
{
    QFETCH(QString, command);
    QFETCH(QString, result);
    QCOMPARE(send(command), (QStringList { command, result }));
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::NoCall);
}

void TestVirtualUC20Module::noNetworkDropsTheCall()
{
    m_module->setOutgoingOutcome(VirtualUC20Module::AnswerAfterDelay, 0);
    send("ATD0612345678;");
    m_clock->advance(0);
    // A second call while one is up is not allowed.
    QCOMPARE(send("ATD0201234567;"), lines({ "ATD0201234567;", "+CME ERROR: 3" }));
    m_module->setSignal(99);
    QCOMPARE(drain(), QList<QStringList> { lines({ "NO CARRIER" }) });
    QCOMPARE(send("AT+CSQ"), lines({ "AT+CSQ", "+CSQ: 99,99", "OK" }));
    QCOMPARE(send("ATD0612345678;"), lines({ "ATD0612345678;", "NO CARRIER" }));
    m_module->ringIn("0201234567");
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::NoCall);
    // Out-of-range values are ignored.
    m_module->setSignal(32);
    m_module->setSignal(-1);
    QCOMPARE(m_module->signal(), 99);
    m_module->setSignal(31);
    QCOMPARE(send("AT+CSQ"), lines({ "AT+CSQ", "+CSQ: 31,99", "OK" }));
}

void TestVirtualUC20Module::callerKeysNeedToneDetection_data()
{
    QTest::addColumn<char>("key");
    QTest::addColumn<QString>("report");
    QTest::newRow("0") << '0' << "+QTONEDET: 48";
    QTest::newRow("9") << '9' << "+QTONEDET: 57";
    QTest::newRow("*") << '*' << "+QTONEDET: 42";
    QTest::newRow("#") << '#' << "+QTONEDET: 35";
    QTest::newRow("A") << 'A' << "+QTONEDET: 65";
    QTest::newRow("d") << 'd' << "+QTONEDET: 68";
    QTest::newRow("not a key") << 'x' << QString();
}

void TestVirtualUC20Module::callerKeysNeedToneDetection()
{
    QFETCH(char, key);
    QFETCH(QString, report);
    m_module->ringIn("0201234567");
    send("ATA");
    drain();
    // Tone detection is off after power-on: nothing is reported.
    QVERIFY(!m_module->callerPressesKey(key));
    QVERIFY(drain().isEmpty());
    send("AT+QTONEDET=1");
    QCOMPARE(m_module->callerPressesKey(key), !report.isEmpty());
    QCOMPARE(drain(), report.isEmpty() ? QList<QStringList>() : QList<QStringList> { QStringList { report } });
    // No call, no keys.
    send("ATH");
    QVERIFY(!m_module->callerPressesKey('5'));
    QVERIFY(drain().isEmpty());
}

void TestVirtualUC20Module::dtmfTowardsTheCaller()
{
    m_module->ringIn("0201234567");
    send("ATA");
    QCOMPARE(send("AT+VTS=\"1\""), lines({ "AT+VTS=\"1\"", "OK" }));
    QCOMPARE(send("AT+VTS=\"#\""), lines({ "AT+VTS=\"#\"", "OK" }));
    QCOMPARE(send("AT+VTS=\"*\",10"), lines({ "AT+VTS=\"*\",10", "OK" }));
    QCOMPARE(send("AT+VTS=2"), lines({ "AT+VTS=2", "OK" }));
    QCOMPARE(send("AT+VTS=\"E\""), lines({ "AT+VTS=\"E\"", "ERROR" }));
    QCOMPARE(send("AT+VTS=\"1\",256"), lines({ "AT+VTS=\"1\",256", "ERROR" }));
    QCOMPARE(m_module->dtmfSent(), QStringLiteral("1#*2"));
}

void TestVirtualUC20Module::speechCodec()
{
    m_module->ringIn("0201234567");
    QCOMPARE(send("AT+QSPCH"), lines({ "AT+QSPCH", "+QSPCH: 0,0,0", "OK" }));
    send("ATA");
    // Three fields, the second the codec type: 8 is WCDMA AMR WB.
    QCOMPARE(send("AT+QSPCH"), lines({ "AT+QSPCH", "+QSPCH: 1,8,23850", "OK" }));
    send("ATH");

    // Without wideband AMR in the codec preference the next start-up uses narrowband.
    QCOMPARE(send("AT+QCFG=\"amrcodec\",7"), lines({ "AT+QCFG=\"amrcodec\",7", "OK" }));
    QCOMPARE(send("AT+QCFG=\"amrcodec\""), lines({ "AT+QCFG=\"amrcodec\"", "+QCFG: \"amrcodec\",7", "OK" }));
    QCOMPARE(send("AT+QCFG=\"amrcodec\",256"), lines({ "AT+QCFG=\"amrcodec\",256", "ERROR" }));
    QCOMPARE(m_module->speechCodec(), VirtualUC20Module::SpeechCodecWcdmaAmrWb);
    m_module->powerOff();
    m_module->powerOn();
    QCOMPARE(m_module->speechCodec(), VirtualUC20Module::SpeechCodecWcdmaAmrNb);
    m_module->ringIn("0201234567");
    send("ATA");
    QCOMPARE(send("AT+QSPCH"), lines({ "AT+QSPCH", "+QSPCH: 1,7,12200", "OK" }));
}

void TestVirtualUC20Module::audioModeKeepsItsOwnSidetone()
{
    send("AT+QAUDMOD=1");
    send("AT+QSIDET=1200");
    send("AT+QAUDMOD=0");
    QCOMPARE(send("AT+QSIDET?"), lines({ "AT+QSIDET?", "+QSIDET: 0", "OK" }));
    send("AT+QAUDMOD=1");
    QCOMPARE(send("AT+QSIDET?"), lines({ "AT+QSIDET?", "+QSIDET: 1200", "OK" }));
    QCOMPARE(m_module->sidetoneGain(), 1200);
    // Not kept over a power cycle.
    m_module->powerOff();
    m_module->powerOn();
    QCOMPARE(m_module->audioMode(), 0);
    send("AT+QAUDMOD=1");
    QCOMPARE(m_module->sidetoneGain(), 0);
}

void TestVirtualUC20Module::localToneEnds()
{
    send("AT+QLTONE=1,1000,200,300,3000");
    QVERIFY(m_module->isPlayingTone());
    m_clock->advance(2999);
    QVERIFY(drain().isEmpty());
    m_clock->advance(1);
    QCOMPARE(drain(), QList<QStringList> { lines({ "+QLTONE: 0" }) });
    QVERIFY(!m_module->isPlayingTone());

    // Stopped by hand, it reports nothing.
    send("AT+QLTONE=1,1000,1000,1000,15300000");
    send("AT+QLTONE=0");
    QVERIFY(!m_module->isPlayingTone());
    m_clock->advance(20000000);
    QVERIFY(drain().isEmpty());
}

void TestVirtualUC20Module::textMessage()
{
    // The program's SMS test: six lines back to back.
    QCOMPARE(send("AT+CMGF=1"), lines({ "AT+CMGF=1", "OK" }));
    QCOMPARE(send("AT+CSCS=\"GSM\""), lines({ "AT+CSCS=\"GSM\"", "OK" }));
    QCOMPARE(send("AT+CMGS=\"0612345678\""), lines({ "AT+CMGS=\"0612345678\"", "> " }));
    QVERIFY(m_module->isAwaitingText());
    // Message text is not a command, even when it looks like one.
    QCOMPARE(send("Dit is een test SMS"), lines({ "Dit is een test SMS", "> " }));
    QCOMPARE(send("AT+CLCC"), lines({ "AT+CLCC", "> " }));
    QCOMPARE(send(QString(QChar(0x1A))), lines({ "+CMGS: 1", "OK" }));
    QVERIFY(!m_module->isAwaitingText());
    QCOMPARE(m_module->sentMessages().size(), 1);
    QCOMPARE(m_module->sentMessages()[0].destination, QStringLiteral("0612345678"));
    QCOMPARE(m_module->sentMessages()[0].text, QStringLiteral("Dit is een test SMS\nAT+CLCC\n"));

    // Text and Ctrl-Z in one line; message references count up.
    send("AT+CMGS=\"+31612345678\"");
    QCOMPARE(send(QStringLiteral("Hallo") + QChar(0x1A)), lines({ "Hallo", "+CMGS: 2", "OK" }));
    QCOMPARE(m_module->sentMessages()[1].text, QStringLiteral("Hallo"));

    // In PDU mode (the default after power-on) the argument is a length.
    send("AT+CMGF=0");
    QCOMPARE(send("AT+CMGS=\"0612345678\""), lines({ "AT+CMGS=\"0612345678\"", "ERROR" }));
    QCOMPARE(send("AT+CMGS=23"), lines({ "AT+CMGS=23", "> " }));
    QCOMPARE(send(QStringLiteral("0011000B91") + QChar(0x1A)), lines({ "0011000B91", "+CMGS: 3", "OK" }));
}

void TestVirtualUC20Module::textMessageAbort()
{
    send("AT+CMGF=1");
    send("AT+CMGS=\"0612345678\"");
    send("half a message");
    QCOMPARE(send(QString(QChar(0x1B))), lines({ "OK" }));
    QVERIFY(!m_module->isAwaitingText());
    QVERIFY(m_module->sentMessages().isEmpty());
    QCOMPARE(send("AT+GMI"), lines({ "AT+GMI", "Quectel", "OK" }));
}

void TestVirtualUC20Module::textMessageNeedsSimAndNetwork()
{
    send("AT+CMGF=1");
    m_module->setSimLock(VirtualUC20Module::SimPinLocked);
    QCOMPARE(send("AT+CMGS=\"0612345678\""), lines({ "AT+CMGS=\"0612345678\"", "+CMS ERROR: 311" }));
    m_module->setSimLock(VirtualUC20Module::SimMissing);
    QCOMPARE(send("AT+CMGS=\"0612345678\""), lines({ "AT+CMGS=\"0612345678\"", "+CMS ERROR: 310" }));
    m_module->setSimLock(VirtualUC20Module::SimUnlocked);
    m_module->setSignal(99);
    QCOMPARE(send("AT+CMGS=\"0612345678\""), lines({ "AT+CMGS=\"0612345678\"", "+CMS ERROR: 331" }));
    QVERIFY(!m_module->isAwaitingText());
}

void TestVirtualUC20Module::powerOffDropsEverything()
{
    m_module->ringIn("0201234567");
    send("AT+QLTONE=1,1000,200,300,3000");
    drain();
    m_module->powerOff();
    QCOMPARE(m_module->callStatus(), VirtualUC20Module::NoCall);
    QVERIFY(!m_module->isPlayingTone());
    m_module->submit("ATI");
    m_module->ringIn("0201234567");
    m_clock->advance(10000);
    QVERIFY(drain().isEmpty());
    m_module->powerOn();
    QCOMPARE(send("AT+CLCC"), lines({ "AT+CLCC", "OK" }));
}

QTEST_GUILESS_MAIN(TestVirtualUC20Module)
#include "tst_virtualuc20module.moc"
