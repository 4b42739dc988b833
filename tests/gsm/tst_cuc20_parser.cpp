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

// The parser: a response is handed over whole, and every signal it causes and every line it logs
// are compared with what the module meant.
class TestCUC20Parser : public QObject
{
    Q_OBJECT

private slots:
    void responses_data();
    void responses();
};

void TestCUC20Parser::responses_data()
{
    QTest::addColumn<QStringList>("before"); // parsed first, unobserved
    QTest::addColumn<QStringList>("response");
    QTest::addColumn<QString>("reports"); // signals as name(args), then the log, separated by " | "
    const QStringList none;

    // Only an OK response is analysed; no final code ends a call, the call list does.
    QTest::newRow("ERROR names the echo")
        << none << QStringList { "AT+CPIN?", "+CME ERROR: 11", "ERROR" } << "ERROR] Invalid GSM Command: AT+CPIN?";
    QTest::newRow("NO CARRIER") << talking << QStringList { "ATH", "NO CARRIER" } << "INFO] No Carrier";
    QTest::newRow("identification, lower-case echo") << none << ok({ "at+gmm", "UC20" }) << "modelIdentification(UC20)";

    QTest::newRow("rssi 20") << none << ok({ "AT+CSQ", "+CSQ: 20,99" }) << "rssiChange(20, -73)";
    QTest::newRow("rssi 31") << none << ok({ "AT+CSQ", "+CSQ: 31,99" }) << "rssiChange(31, -51)";
    QTest::newRow("rssi 99") << none << ok({ "AT+CSQ", "+CSQ: 99,99" }) << "rssiChange(99, 0)";
    QTest::newRow("rssi, four lines") << none << ok({ "AT+CSQ", "+CSQ: 20,99", "" }) << "";
    QTest::newRow("side tone") << none << ok({ "AT+QSIDET?", "+QSIDET: 5" }) << "sidetone(5)";
    QTest::newRow("codec 6") << none << ok({ "AT+QSPCH", "+QSPCH: 1,6,0" }) << "codecChange(6, GSM AMR WB)";
    QTest::newRow("caller key #") << none << ok({ "+QTONEDET: 35" }) << "DTMFfromCaller(35)";
    QTest::newRow("phonebook") << none << ok({ "AT+CPBR=2", R"(+CPBR: 2,"112",145,"Smith, J.")" })
                               << "phonebookEntry(2, 112, 145, Smith, J.)";

    QTest::newRow("stat 0: active") << none << calls({ R"(1,1,0,0,0,"020",129)" }) << state(VOICECALL_ACTIVE, "020");
    // An outgoing call first seen answered still began as an outgoing call.
    QTest::newRow("stat 0, outgoing") << none << calls({ R"(1,0,0,0,0,"020",129)" })
                                      << state(VOICECALL_CALLING, "020") + ' ' + state(VOICECALL_ACTIVE, "020");
    QTest::newRow("stat 2: calling") << none << calls({ R"(1,0,2,0,0,"020",129)" }) << state(VOICECALL_CALLING, "020");
    QTest::newRow("stat 4: incoming") << none << calls({ R"(1,1,4,0,0,"020",129)" })
                                      << state(VOICECALL_INCOMING, "020");
    QTest::newRow("stat 1, held") << talking << calls({ R"(1,0,1,0,0,"020",129)" }) << "";
    QTest::newRow("stat 3, alerting") << dialling << calls({ R"(1,0,3,0,0,"020",129)" }) << "";
    QTest::newRow("stat 5, waiting") << none << calls({ R"(1,1,5,0,0,"020",129)" }) << "";
    QTest::newRow("empty list ends a call") << ringing << ok({ "AT+CLCC" }) << state(VOICECALL_IDLE, "");
    QTest::newRow("name field") << none << calls({ R"(1,1,4,0,0,"020",129,"Smith, J")" })
                                << state(VOICECALL_INCOMING, "020");
    QTest::newRow("comma in number") << none << calls({ R"(1,1,4,0,0,"02,0",129)" })
                                     << state(VOICECALL_INCOMING, "02,0");
    QTest::newRow("quote in number") << none << calls({ R"(1,1,4,0,0,"0"20",129)" })
                                     << state(VOICECALL_INCOMING, "0\"20");
    QTest::newRow("withheld") << none << calls({ R"(1,1,4,0,0,"",128)" }) << state(VOICECALL_INCOMING, "");
    QTest::newRow("six fields") << none << calls({ R"(1,1,4,0,0,"020")" }) << "";
    QTest::newRow("nine fields") << none << calls({ R"(1,1,4,0,0,"020",129,"A",1)" }) << "";
    QTest::newRow("two calls") << talking << calls({ "1,1,0,0,0,1,129", "2,1,4,0,0,2,129" }) << "";

    QTest::newRow("PIN2 is not PIN") << none << ok({ "AT+CPIN?", "+CPIN: SIM PIN2" }) << sim(SIM_PIN2);
    QTest::newRow("PIN entry echo") << none << ok({ "AT+CPIN=1234", "+CPIN: READY" }) << "";
    QTest::newRow("unsolicited READY") << none << ok({ "+CPIN: READY", "AT+GMI", "Quectel" }) << sim(SIM_READY);
    QTest::newRow("CME 10") << none << ok({ "AT+CPIN?", "+CME ERROR: 10" }) << "ERROR] SIM not inserted";
    QTest::newRow("CME 11") << none << ok({ "AT", "+CME ERROR: 11" }) << sim(SIM_PIN) + " | ERROR] SIM PIN required";
}

void TestCUC20Parser::responses()
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

QTEST_MAIN(TestCUC20Parser)
#include "tst_cuc20_parser.moc"
