#include "CUC20.h"
#include "LinkRig.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

namespace {

QStringList ok(QStringList lines)
{
    return lines << QStringLiteral("OK");
}

// An answer to AT+CLCC with one call line for each entry.
QStringList calls(std::initializer_list<const char*> fields)
{
    QStringList lines { "AT+CLCC" };
    for (const char* call : fields)
        lines << QLatin1String("+CLCC: ") + QLatin1String(call);
    return ok(lines);
}

const QStringList ringing = calls({ "1,1,4,0,0,9,129" });
const QStringList dialling = calls({ "1,0,2,0,0,9,129" });
const QStringList talking = calls({ "1,1,0,0,0,9,129" });

QString state(VOICECALL_STATE state, const QString& number)
{
    return QStringLiteral("voicecallStateChange(%1, %2)").arg(int(state)).arg(number);
}

QString sim(SIM_STATE state)
{
    return QStringLiteral("simStateChange(%1)").arg(int(state));
}

} // namespace

// The command channel: which lines end a response, how module lines become responses, and what
// goes out to the module. The parser: a response is handed over whole, and every signal it causes
// and every line it logs are compared with what the module meant.
class TestCUC20Channel : public QObject
{
    Q_OBJECT

    enum Link { Closed, Ringing, Idle };

private slots:
    void classification_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("result");
        // The numeric codes skip 5: NO DIALTONE is 6, BUSY 7, NO ANSWER 8.
        QTest::newRow("5") << "5" << int(UC20_NOT_FINAL);
        QTest::newRow("6") << "6" << int(UC20_NO_DIALTONE);
        QTest::newRow("7") << "7" << int(UC20_BUSY);
        QTest::newRow("8") << "8" << int(UC20_NO_ANSWER);
        QTest::newRow("lower case") << "ok" << int(UC20_NOT_FINAL);
        QTest::newRow("trailing blank") << "OK " << int(UC20_NOT_FINAL);
    }

    void classification()
    {
        QFETCH(QString, line);
        QTEST(int(CUC20::classifyResultCode(line)), "result");
    }

    void assembly_data()
    {
        // Payloads of id-3 messages; one ending in '\' is a piece of a line that goes on.
        QTest::addColumn<QByteArrayList>("payloads");
        QTest::addColumn<QStringList>("responses"); // parsed, lines joined by blanks
        QTest::addColumn<int>("errors");

        QTest::newRow("a line left over")
            << QByteArrayList { "AT", "OK", "RING", "AT+CSQ" } << QStringList { "AT OK", "RING" } << 0;
        QTest::newRow("text ends at the NUL")
            << QByteArrayList { QByteArray("AT\0z", 4), "OK" } << QStringList("AT OK") << 0;
        QTest::newRow("empty text dropped") << QByteArrayList { QByteArray("\0AT", 3), "OK" } << QStringList("OK") << 0;
        QTest::newRow("36 bytes, no NUL")
            << QByteArrayList { QByteArray(36, 'x'), "OK" } << QStringList(QString(36, 'x') + " OK") << 0;
        QTest::newRow("Latin-1") << QByteArrayList { "Caf\xe9", "OK" } << QStringList(QStringLiteral("Caf\u00e9 OK"))
                                 << 0;
        const QByteArrayList pieces { QByteArray(36, 'a') + '\\', QByteArray("b\0z", 3) + '\\', "c", "OK" };
        QTest::newRow("line in pieces") << pieces << QStringList(QString(36, 'a') + "bc OK") << 0;
        QByteArrayList longLine;
        for (int i = 0; i < 20; ++i)
            longLine << QByteArray(36, 'x') + '\\';
        longLine += QByteArrayList { "x", "OK" };
        QTest::newRow("long line cut") << longLine << QStringList(QString(CUC20::MaxLineLength, 'x') + " OK") << 1;
        // A response keeps its newest 200 lines, the final code among them; a flood is reported once.
        QByteArrayList flood;
        QStringList kept;
        for (int i = 1; i <= 250; ++i) {
            flood << "+X: " + QByteArray::number(i);
            if (i > 51)
                kept << QString::fromLatin1(flood.last());
        }
        kept << "OK";
        QTest::newRow("pending lines bounded")
            << (flood + QByteArrayList { "OK" } + flood) << QStringList(kept.join(' ')) << 2;
    }

    void assembly()
    {
        QFETCH(QByteArrayList, payloads);
        LinkRig rig;
        for (const QByteArray& payload : payloads) {
            const bool goesOn = payload.endsWith('\\');
            rig.uc20()->onReceiveUSB(DeviceMessage::AtCommand,
                goesOn ? DeviceMessage::LineContinues : DeviceMessage::Write, goesOn ? payload.chopped(1) : payload);
        }
        // One response per tick of the drain timer, oldest first; then the timer stops.
        QStringList parsed;
        while (rig.drainTimer()->isActive()) {
            const QStringList tick = rig.drain(1);
            QCOMPARE(tick.size(), 1);
            parsed += tick;
        }
        QTEST(parsed, "responses");
        QTEST(int(rig.takeLog().filter("ERROR]").size()), "errors");
    }

    void linkLossEndsTheCallAndDropsHalfResponses()
    {
        LinkRig rig;
        rig.receive({ "AT+CLCC", "+CLCC: 1,1,0,0,0,\"020\",129", "OK" });
        rig.drain();
        // Half a response and the first piece of a line are waiting when the link closes.
        rig.receive({ "AT+CSQ" });
        rig.uc20()->onReceiveUSB(DeviceMessage::AtCommand, DeviceMessage::LineContinues, "+QIND: ");
        QSignalSpy spy(rig.uc20(), &CUC20::voicecallStateChange);
        rig.link()->stop();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].value<VOICECALL_STATE>(), VOICECALL_IDLE);
        QVERIFY(rig.takeLog().contains("ERROR] Connection with the device lost: the call is ended here"));

        QCOMPARE(rig.link()->start(LinkRig::serial), 0);
        rig.receive({ "AT+CPIN?", "+CPIN: READY", "OK" });
        QCOMPARE(rig.drain(), QStringList("AT+CPIN? +CPIN: READY OK"));
        // A loss while idle reports nothing.
        rig.link()->stop();
        QCOMPARE(spy.count(), 1);
    }

    void sendATCmdSendsAtMost35Bytes()
    {
        LinkRig rig;
        const QString fits = "AT+CPIN=\"" + QString(25, '1') + '"';
        // The third has 21 characters in 36 bytes.
        for (const QString& command : { fits, fits + '1', "AT+XY=" + QString(15, QChar(0xe4)) })
            rig.uc20()->sendATCmd(command);
        QCOMPARE(rig.takeSent(), QStringList(fits));
        const QString refused = QStringLiteral("ERROR] sendATCmd(), max. length of at-command exceeded!");
        QCOMPARE(rig.takeLog(), QStringList({ refused, refused }));
    }

    void call_data()
    {
        QTest::addColumn<int>("link"); // Ringing: a call rings already
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("error"); // empty: dialled
        QTest::addColumn<QString>("dialled"); // what follows ATD

        // call() checks the link, then the number, then the call state.
        const QString invalid = QStringLiteral("Invalid phone number");
        const QString tooLong = QStringLiteral("Phone number too long");
        QTest::newRow("closed, no number") << int(Closed) << QString() << "Not connected with device" << QString();
        QTest::newRow("ringing, no number") << int(Ringing) << QString() << invalid << QString();
        QTest::newRow("ringing") << int(Ringing) << "020" << QStringLiteral("Current call active") << QString();
        // Digits, + * # go out; the separators people write stay behind.
        QTest::newRow("written out") << int(Idle) << "+31 (20) 123-45.67" << QString() << "+31201234567";
        QTest::newRow("spaced") << int(Idle) << "06 1234 5678" << QString() << "0612345678";
        QTest::newRow("service code") << int(Idle) << "*#06#" << QString() << "*#06#";
        // The length counts what is sent: 31 digits fill the 35 bytes with "ATD;".
        QTest::newRow("long, spaced") << int(Idle) << "0123456789 0123456789 0123456789 0"
                                      << QString() << "0123456789012345678901234567890";
        QTest::newRow("too long") << int(Idle) << "01234567890123456789012345678901" << tooLong << QString();
        QTest::newRow("second command") << int(Idle) << "123;+CFUN=0" << invalid << QString();
        QTest::newRow("dial string end") << int(Idle) << "020;" << invalid << QString();
        QTest::newRow("line end") << int(Idle) << "123\rATH" << invalid << QString();
        QTest::newRow("NUL") << int(Idle) << QString("12") + QChar(0) + '3' << invalid << QString();
        QTest::newRow("quote") << int(Idle) << "12\"3" << invalid << QString();
        QTest::newRow("letters") << int(Idle) << "0800-FLOWERS" << invalid << QString();
        QTest::newRow("separators only") << int(Idle) << "+ (-)" << invalid << QString();
    }

    void call()
    {
        QFETCH(int, link);
        QFETCH(QString, number);
        QFETCH(QString, error);
        QFETCH(QString, dialled);
        LinkRig rig;
        if (link == Ringing)
            rig.receive(ringing);
        rig.drain();
        if (link == Closed)
            rig.link()->stop();
        rig.takeLog();
        rig.uc20()->call(number);
        QCOMPARE(rig.takeLog().filter("ERROR] ").join('|'), error.isEmpty() ? "" : "ERROR] " + error);
        QCOMPARE(rig.takeSent(), error.isEmpty() ? QStringList("ATD" + dialled + ';') : QStringList());
    }

    // A repeat of a dial, answer or hang-up waits until the module has answered the first and,
    // for a call it placed, answered or ended, until the call list shows it.
    void repeatsWaitForTheModule_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("still"); // a repeat after these is still refused
        QTest::addColumn<QStringList>("done");  // after these it goes out again
        QTest::addColumn<QString>("refusal");
        const QStringList nothing;
        QTest::newRow("dial refused") << "ATD020;" << nothing << QStringList { "ATD020;", "ERROR" }
                                      << "Call already being placed";
        QTest::newRow("answer refused") << "ATA" << nothing << QStringList { "ATA", "NO CARRIER" }
                                        << "Call already being answered";
        QTest::newRow("answered") << "ATA" << ok({ "ATA" }) << talking << "Call already being answered";
        QTest::newRow("hung up") << "ATH" << ok({ "ATH" }) << calls({}) << "Call already being ended";
    }

    void repeatsWaitForTheModule()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, still);
        QFETCH(QStringList, done);
        QFETCH(QString, refusal);
        LinkRig rig;
        if (command == QLatin1String("ATH"))
            rig.receive(talking);
        rig.drain();
        const auto act = [&] {
            if (command == QLatin1String("ATA"))
                rig.uc20()->answerCall();
            else if (command == QLatin1String("ATH"))
                rig.uc20()->endCall();
            else
                rig.uc20()->call(QStringLiteral("020"));
        };
        for (int i = 0; i < 500; ++i)
            act();
        QCOMPARE(rig.takeSent(), QStringList(command));
        QCOMPARE(rig.takeLog().filter(QStringLiteral("ERROR] ") + refusal).size(), 499);
        rig.receive(still);
        rig.drain();
        act();
        QCOMPARE(rig.takeSent(), QStringList());
        rig.receive(done);
        rig.drain();
        act();
        QCOMPARE(rig.takeSent(), QStringList(command));
    }

    void serviceCodes_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("serviceCode");
        QTest::newRow("divert all") << "**21*0900123456#" << true;
        QTest::newRow("change PIN") << "**04*1234*0000*0000#" << true;
        QTest::newRow("IMEI") << "*#06#" << true;
        QTest::newRow("hide the number, then call") << "*31#0612345678" << false;
        QTest::newRow("number") << "+31 20 123 45 67" << false;
        QTest::newRow("hash alone") << "#" << false;
    }

    void serviceCodes()
    {
        QFETCH(QString, number);
        QTEST(CUC20::isServiceCode(number), "serviceCode");
    }

    void responses_data();
    void responses();
};

void TestCUC20Channel::responses_data()
{
    QTest::addColumn<QStringList>("before"); // parsed first, unobserved
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QString>("reports"); // signals as name(args), then the log, separated by " | "
    const auto row = [](const char* name, const QStringList& response, const QString& reports,
                         const QStringList& before = {}) { QTest::newRow(name) << before << response << reports; };

    // Only an OK response is analysed; no final code ends a call, the call list does.
    row("ERROR names the echo", { "AT+CPIN?", "+CME ERROR: 11", "ERROR" }, "ERROR] Invalid GSM Command: AT+CPIN?");
    row("NO CARRIER", { "ATH", "NO CARRIER" }, "INFO] No Carrier", talking);
    row("dial refused", { "ATD12#3;", "ERROR" },
        "dialFailed(12#3, The module refused the number) | ERROR] Invalid GSM Command: ATD12#3;");
    // The error is no final code: the next answer closes the response.
    row("dial refused, CME", ok({ "ATD020;", "+CME ERROR: 3", "AT+CLCC" }),
        "dialFailed(020, Operation not allowed) | ERROR] Operation not allowed");
    row("dialled", ok({ "ATD020;" }), "");
    row("caller hangs up", calls({}), state(VOICECALL_IDLE, "") + " callEnded(0, 9, 0)", talking);
    row("PIN tries", ok({ "AT+QPINC=\"SC\"", "+QPINC: \"SC\",2,10" }), "simAttemptsLeft(2, 10)");
    row("PIN2 tries", ok({ "AT+QPINC=\"P2\"", "+QPINC: \"P2\",3,10" }), "");
    row("identification, lower-case echo", ok({ "at+gmm", "UC20" }), "modelIdentification(UC20)");

    row("rssi 20", ok({ "AT+CSQ", "+CSQ: 20,99" }), "rssiChange(20, -73)");
    row("rssi 31", ok({ "AT+CSQ", "+CSQ: 31,99" }), "rssiChange(31, -51)");
    row("rssi 99", ok({ "AT+CSQ", "+CSQ: 99,99" }), "rssiChange(99, 0)");
    row("rssi, four lines", ok({ "AT+CSQ", "+CSQ: 20,99", "" }), "");
    row("side tone", ok({ "AT+QSIDET?", "+QSIDET: 5" }), "sidetone(5)");
    row("codec 6", ok({ "AT+QSPCH", "+QSPCH: 1,6,0" }), "codecChange(6, GSM AMR WB)");
    row("phonebook", ok({ "AT+CPBR=2", R"(+CPBR: 2,"112",145,"Smith, J.")" }),
        "phonebookEntry(2, 112, 145, Smith, J.)");

    // An outgoing call first seen answered still began as an outgoing call.
    row("stat 0, outgoing", calls({ R"(1,0,0,0,0,"020",129)" }),
        state(VOICECALL_CALLING, "020") + ' ' + state(VOICECALL_ACTIVE, "020"));
    row("stat 1, held", calls({ R"(1,0,1,0,0,"020",129)" }), "", talking);
    row("stat 3, alerting", calls({ R"(1,0,3,0,0,"020",129)" }), "", dialling);
    row("stat 5, waiting", calls({ R"(1,1,5,0,0,"020",129)" }), "");
    row("comma in number", calls({ R"(1,1,4,0,0,"02,0",129)" }), state(VOICECALL_INCOMING, "02,0"));
    row("quote in number", calls({ R"(1,1,4,0,0,"0"20",129)" }), state(VOICECALL_INCOMING, "0\"20"));
    row("withheld", calls({ R"(1,1,4,0,0,"",128)" }), state(VOICECALL_INCOMING, ""));
    row("six fields", calls({ R"(1,1,4,0,0,"020")" }), "");
    row("nine fields", calls({ R"(1,1,4,0,0,"020",129,"A",1)" }), "");
    row("two calls", calls({ "1,1,0,0,0,1,129", "2,1,4,0,0,2,129" }), "", talking);

    row("PIN2 is not PIN", ok({ "AT+CPIN?", "+CPIN: SIM PIN2" }), sim(SIM_PIN2));
    row("PIN entry echo", ok({ "AT+CPIN=1234", "+CPIN: READY" }), "");
    row("unsolicited READY", ok({ "+CPIN: READY", "AT+GMI", "Quectel" }), sim(SIM_READY));
    row("CME 10", ok({ "AT+CPIN?", "+CME ERROR: 10" }), "ERROR] SIM not inserted");
    row("CME 11", ok({ "AT", "+CME ERROR: 11" }), sim(SIM_PIN) + " | ERROR] SIM PIN required");
    // Lines the table cannot name are still told: by their code, their words or as they came.
    row("CME without blank", ok({ "AT+CPIN?", "+CME ERROR:10" }), "ERROR] SIM not inserted");
    row("CME in words", ok({ "AT", "+cme error: sim pin required" }), sim(SIM_PIN) + " | ERROR] SIM PIN required");
    row("CME unknown code", ok({ "AT", "+CME ERROR: 515" }), "ERROR] Module error 515");
    row("CME unknown words", ok({ "AT", "+CME ERROR: invalid input value" }),
        "ERROR] Module error: invalid input value");
    row("CME without code", ok({ "AT", "+CME ERROR" }), "ERROR] Module error without a code: +CME ERROR");
    row("CME colon only", ok({ "AT", " +CME ERROR: " }), "ERROR] Module error without a code: +CME ERROR:");
    row("CME huge number", ok({ "AT", "+CME ERROR: 99999999999" }), "ERROR] Module error: 99999999999");
}

void TestCUC20Channel::responses()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, response);
    QFETCH(QString, reports);
    LinkRig rig;
    rig.uc20()->errorInject(before);
    rig.drain();
    rig.takeLog();
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    const QMetaObject& engine = CUC20::staticMetaObject;
    for (int i = engine.methodOffset(); i < engine.methodCount(); ++i) {
        // A signal with a default argument is listed a second time, as a clone.
        if (engine.method(i).methodType() == QMetaMethod::Signal
            && !(engine.method(i).attributes() & QMetaMethod::Cloned))
            spies.push_back(std::make_unique<QSignalSpy>(rig.uc20(), engine.method(i)));
    }
    rig.uc20()->errorInject(response);
    rig.drain();

    QStringList emitted;
    for (const auto& spy : spies) {
        for (const QVariantList& args : *spy) {
            QStringList texts;
            for (const QVariant& arg : args) {
                const bool isEnum = QMetaType::typeFlags(arg.userType()) & QMetaType::IsEnumeration;
                texts << (isEnum ? QString::number(*static_cast<const int*>(arg.constData())) : arg.toString());
            }
            emitted << QString::fromLatin1(spy->signal().left(spy->signal().indexOf('('))) + '(' + texts.join(", ")
                    + ')';
        }
    }
    QStringList lines = rig.takeLog();
    if (!emitted.isEmpty())
        lines.prepend(emitted.join(' '));
    QCOMPARE(lines.join(" | "), reports);
}

QTEST_MAIN(TestCUC20Channel)
#include "tst_cuc20_channel.moc"
