#include "AppContext.h"
#include "CCallRegistration.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "RemoteControl.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>
#include <utility>

// What a client on another connection hears from the program.
class BusListener : public QObject
{
    Q_OBJECT

public:
    QStringList heard;

public slots:
    void callStateChanged(const QString& state, const QString& number, const QString& name)
    {
        heard << QStringList({ state, number, name }).join(QLatin1Char('|'));
    }
    void callRecorded(const QString& start, const QString& number, const QString& name, const QString& direction,
        bool answered, int talkSeconds)
    {
        heard << QStringLiteral("recorded|%1|%2|%3|%4|%5|%6")
                     .arg(QDateTime::fromString(start, Qt::ISODate).isValid() ? QStringLiteral("at") : start, number,
                         name, direction, answered ? QStringLiteral("answered") : QStringLiteral("missed"))
                     .arg(talkSeconds);
    }
};

// The remote control on a private session bus (the test runs under dbus-run-session): a client
// on a connection of its own, and the program started a second time, drive the whole program
// on a virtual hybrid.
class TestRemoteControl : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        // Talk time is measured on the unit's clock.
        ManualClock* clock = m_rig->clock();
        m_rig->window()->findChild<CCallRegistration*>()->setClock(
            [] { return QDateTime::currentDateTime(); }, [clock] { return clock->nowMs(); });
        QVERIFY(m_rig->window()->remoteControl()->publish(QDBusConnection::sessionBus()));
        m_client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client")));
        QVERIFY(m_client->isConnected());
        QVERIFY(m_client->connect(RemoteControl::ServiceName, RemoteControl::ObjectPath, RemoteControl::InterfaceName,
            QStringLiteral("CallStateChanged"), &m_listener, SLOT(callStateChanged(QString, QString, QString))));
        QVERIFY(m_client->connect(RemoteControl::ServiceName, RemoteControl::ObjectPath, RemoteControl::InterfaceName,
            QStringLiteral("CallRecorded"), &m_listener,
            SLOT(callRecorded(QString, QString, QString, QString, bool, int))));
    }

    void cleanup()
    {
        m_client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::sessionBus().unregisterService(RemoteControl::ServiceName);
        QDBusConnection::sessionBus().unregisterObject(RemoteControl::ObjectPath);
        m_rig.reset();
        m_listener.heard.clear();
    }

    void callsDrivenByAClient()
    {
        QCOMPARE(statusOf({ "connected" }), QStringLiteral("false"));
        connectUnit();
        m_rig->window()->context()->database->query(
            QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) VALUES (?, ?, ?, ?)"),
            { QStringLiteral("Anna"), QStringLiteral("d'Ávila"), QStringLiteral("0612345678"), QString() });

        QCOMPARE(statusOf({ "connected", "simState", "callState" }), QStringLiteral("true|ready|idle"));

        // Out: dialled by the client, answered at the far end, ended by the client.
        m_rig->unit()->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 300);
        QVERIFY(reply("Dial", { QStringLiteral("+31201234567") }).errorName().isEmpty());
        QVERIFY(hears("active|+31201234567|"));
        QVERIFY(m_rig->unit()->atCommandsReceived().contains(QStringLiteral("ATD+31201234567;")));
        QVERIFY(reply("HangUp").errorName().isEmpty());
        QVERIFY(hears("recorded|at|+31201234567||outgoing|answered|0"));

        // In: a known caller rings, is named, answered by the client and talks for 3 s.
        m_rig->unit()->ringIn(QStringLiteral("0612345678"));
        QVERIFY(hears("ringing|0612345678|Anna d'Ávila"));
        QCOMPARE(statusOf({ "name" }), QStringLiteral("Anna d'Ávila"));
        QVERIFY(reply("Answer").errorName().isEmpty());
        QVERIFY(hears("active|0612345678|Anna d'Ávila"));
        m_rig->step(3000);
        QVERIFY(reply("HangUp").errorName().isEmpty());
        QVERIFY(hears("idle|0612345678|Anna d'Ávila"));
        QVERIFY(hears("recorded|at|0612345678|Anna d'Ávila|incoming|answered|3"));
        // The call's end comes before its record.
        QVERIFY(m_listener.heard.indexOf(QRegularExpression(QStringLiteral("idle\\|0612.*")))
            < m_listener.heard.indexOf(QRegularExpression(QStringLiteral("recorded\\|at\\|0612.*"))));

        // A missed call: rings and stops ringing. A withheld caller after it is nobody's, and not
        // the caller before.
        m_rig->unit()->ringIn(QStringLiteral("0301234567"));
        QVERIFY(hears("ringing|0301234567|"));
        m_rig->unit()->farEndHangsUp();
        QVERIFY(hears("recorded|at|0301234567||incoming|missed|0"));
        m_rig->unit()->ringIn(QString());
        QVERIFY(hears("ringing||Withheld number"));
        const RemoteStatus status = run({ "--status" });
        QVERIFY2(status[1].contains(QLatin1String("call: ringing\nnumber: \nname: Withheld number\n")),
            qPrintable(status[1]));
        m_rig->unit()->farEndHangsUp();
        QVERIFY(hears("recorded|at||Withheld number|incoming|missed|0"));

        const QString console = m_rig->window()->context()->console->plainText();
        QVERIFY(console.contains(QRegularExpression(
            QStringLiteral("Remote control \\(tst_remotecontr\\w*, process \\d+\\): dial \\+31201234567"))));
        QVERIFY(console.contains(QLatin1String("): answer")));

        // Without a unit no caller or SIM is reported.
        m_rig->unit()->unplug();
        QVERIFY(m_rig->pumpUntil([this] { return !m_rig->window()->context()->usb->isConnected(); }));
        QCOMPARE(statusOf({ "simState", "number", "name" }), QStringLiteral("unknown||"));
    }

    void refusalsAndMalformedRequests_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("inCall");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("consoleLine");
        QTest::addColumn<QString>("request"); // as the console shows it; empty: not checked

        const QString prefix = RemoteControl::ErrorPrefix;
        const QString unknown = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
        const auto row
            = [](const char* name, bool connected, bool inCall, const char* method, const QVariantList& arguments,
                  const QString& error, const char* consoleLine = "", const QString& request = QString()) {
                  QTest::newRow(name) << connected << inCall << QString(method) << arguments << error
                                      << QString(consoleLine) << request;
              };
        const char* const invalid = "Invalid phone number";
        row("dial, not connected", false, false, "Dial", { "0612345678" }, prefix + "NotConnected",
            "Not connected with device", "dial 0612345678");
        row("answer, not connected", false, false, "Answer", {}, prefix + "NotConnected", "Not connected with device",
            "answer");
        row("command in the number", true, false, "Dial", { "123;+CFUN=0" }, prefix + "InvalidNumber", invalid);
        row("line breaks and markup in the number", true, false, "Dial", { "12\r\n<b>3</b>\u2029\t4" },
            prefix + "InvalidNumber", invalid, "dial 12\\r\\n<b>3</b>\\u2029\\t4");
        row("empty number", true, false, "Dial", { "" }, prefix + "InvalidNumber", invalid);
        row("number too long", true, false, "Dial", { QString(1000000, '1') }, prefix + "InvalidNumber",
            "Phone number too long", "dial " + QString(40, '1') + "\u2026");
        row("diversion code", true, false, "Dial", { "**21*0900123456#" }, prefix + "ServiceCode",
            "Service codes are not dialled by remote control");
        row("dial in a call", true, true, "Dial", { "0612345678" }, prefix + "CallActive", "Current call active");
        row("answer, no ring", true, false, "Answer", {}, prefix + "NoIncomingCall", "No incoming call to answer");
        row("hang up, no call", true, false, "HangUp", {}, prefix + "NoCall", "No call to end");
        row("number as an integer", true, false, "Dial", { 612345678 }, unknown);
        row("no number", true, false, "Dial", {}, unknown);
        row("two numbers", true, false, "Dial", { "1", "2" }, unknown);
        row("answer with an argument", true, false, "Answer", { true }, unknown);
        row("no such method", true, false, "Transfer", {}, unknown);
    }

    void refusalsAndMalformedRequests()
    {
        QFETCH(bool, connected);
        QFETCH(bool, inCall);
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QFETCH(QString, consoleLine);
        QFETCH(QString, request);
        if (connected)
            connectUnit();
        if (inCall) {
            m_rig->unit()->ringIn(QStringLiteral("0301234567"));
            QVERIFY(hears("ringing|0301234567|"));
        }
        const int sentBefore = callCommands();
        const QDBusMessage answer = reply(method.toLatin1().constData(), arguments);
        QTEST(answer.errorName(), "error");
        if (!consoleLine.isEmpty()) {
            QCOMPARE(answer.errorMessage(), consoleLine);
            QVERIFY(m_rig->window()->context()->console->plainText().contains(consoleLine));
        }
        const QString console = m_rig->window()->context()->console->plainText();
        QVERIFY2(request.isEmpty() || console.contains("): " + request + '\n'), qPrintable(console.right(300)));
        // Nothing reached the module, and the program still answers.
        QCOMPARE(callCommands(), sentBefore);
        QCOMPARE(statusOf({ "callState" }), inCall ? QStringLiteral("ringing") : QStringLiteral("idle"));
    }

    // Five hundred presses of a playout button while a call rings: one answer reaches the
    // module, the others are told why not, and the console gets a few lines for them.
    void repeatedRequests()
    {
        connectUnit();
        m_rig->unit()->ringIn(QStringLiteral("0301234567"));
        QVERIFY(hears("ringing|0301234567|"));
        CConsole* console = m_rig->window()->context()->console;
        const int linesBefore = console->lineCount();
        QList<QDBusPendingCall> answers;
        for (int i = 0; i < 500; ++i)
            answers << m_client->asyncCall(QDBusMessage::createMethodCall(RemoteControl::ServiceName,
                RemoteControl::ObjectPath, RemoteControl::InterfaceName, QStringLiteral("Answer")));
        QVERIFY(m_rig->pumpUntil([&] {
            return std::all_of(answers.cbegin(), answers.cend(), [](const auto& a) { return a.isFinished(); });
        }));
        QStringList errors;
        for (const QDBusPendingCall& answer : std::as_const(answers))
            errors << answer.reply().errorName() + ' ' + answer.reply().errorMessage();
        QCOMPARE(errors.count(QStringLiteral(" ")), 1);
        QVERIFY(errors.contains(RemoteControl::ErrorPrefix + "ActionPending Call already being answered"));
        QVERIFY(hears("active|0301234567|"));
        QCOMPARE(m_rig->unit()->atCommandsReceived().count(QStringLiteral("ATA")), 1);
        QVERIFY(m_rig->pumpUntil([&] { return console->plainText().contains(QLatin1String(" times)")); }));
        QVERIFY2(console->lineCount() - linesBefore < 20, qPrintable(console->plainText().right(2000)));
    }

    void dialFromTheCommandLine_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("silent"); // the module answers nothing
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("placed") << "0612345678" << false << 0 << "";
        QTest::newRow("placed, spaced") << "0612 345 678" << false << 0 << "";
        QTest::newRow("refused by the module") << "0612+345678" << false << 1 << "The module refused the number\n";
        QTest::newRow("no answer") << "0612345678" << true << 1 << "No answer from the module\n";
    }

    // --dial waits for the call to be placed, or for why it was not.
    void dialFromTheCommandLine()
    {
        QFETCH(QString, number);
        QFETCH(bool, silent);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        connectUnit();
        m_rig->unit()->setModuleSilent(silent);
        QCOMPARE(run({ "--dial", number }), RemoteStatus({ QString::number(exitCode), "", error }));
    }

    void commandLineClient()
    {
        connectUnit();
        QSignalSpy raised(m_rig->window()->remoteControl(), &RemoteControl::raiseRequested);

        QCOMPARE(run({ "--hangup" }), RemoteStatus({ "1", "", "No call to end\n" }));
        m_rig->unit()->ringIn(QStringLiteral("0301234567"));
        QVERIFY(hears("ringing|0301234567|"));
        const RemoteStatus status = run({ "--status" });
        QCOMPARE(status[0], QStringLiteral("0"));
        QVERIFY2(status[1].contains(QLatin1String("connected: yes\nsim: ready\n")), qPrintable(status[1]));
        QVERIFY2(
            status[1].contains(QLatin1String("call: ringing\nnumber: 0301234567\nname: \n")), qPrintable(status[1]));
        QCOMPARE(run({ "--answer" }), RemoteStatus({ "0", "", "" }));
        QVERIFY(hears("active|0301234567|"));
        QCOMPARE(run({ "--dial", "0612345678" }), RemoteStatus({ "1", "", "Current call active\n" }));
        QCOMPARE(run({ "--hangup" }), RemoteStatus({ "0", "", "" }));
        QVERIFY(hears("idle|0301234567|"));

        // A second plain start brings this window forward and ends.
        const RemoteStatus second = run({ "-platform", "offscreen" });
        QCOMPARE(second[0], QStringLiteral("0"));
        QVERIFY(second[1].contains(QLatin1String("already running")));
        QCOMPARE(raised.count(), 1);

        // Nobody to talk to: the program gives up its own name and its unit's.
        QVERIFY(QDBusConnection::sessionBus().unregisterService(RemoteControl::ServiceName));
        QVERIFY(
            QDBusConnection::sessionBus().unregisterService(RemoteControl::serviceNameFor(VirtualHybridRig::serial)));
        QCOMPARE(run({ "--answer" }), RemoteStatus({ "3", "", "Parlona Control is not running.\n" }));
        QCOMPARE(run({ "--answer", "--hangup" })[0], QStringLiteral("2"));
    }

private:
    // What a second invocation ends with: its exit code, standard output and standard error.
    using RemoteStatus = QStringList;

    void connectUnit() { QVERIFY(m_rig->connectUntilSimReady()); }

    // One request from the client, the program's event loop running until the answer is in.
    QDBusMessage reply(const char* method, const QVariantList& arguments = {})
    {
        QDBusMessage request = QDBusMessage::createMethodCall(
            RemoteControl::ServiceName, RemoteControl::ObjectPath, RemoteControl::InterfaceName, QLatin1String(method));
        request.setArguments(arguments);
        QDBusPendingCall pending = m_client->asyncCall(request);
        m_rig->pumpUntil([&] { return pending.isFinished(); });
        return pending.reply();
    }

    // The values the Status request reports for these keys, joined by '|'.
    QString statusOf(const QStringList& keys)
    {
        const QDBusMessage answer = reply("Status");
        const QVariantMap map
            = answer.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(answer.arguments().constFirst());
        QStringList values;
        for (const QString& key : keys)
            values << map.value(key).toString();
        return values.join('|');
    }

    bool hears(const char* line)
    {
        if (m_rig->pumpUntil([&] { return m_listener.heard.contains(QString::fromUtf8(line)); }, 5000))
            return true;
        qWarning().noquote() << "heard:" << m_listener.heard;
        return false;
    }

    // The commands that dial, answer or end a call that reached the module.
    int callCommands() const
    {
        int count = 0;
        for (const QString& command : m_rig->unit()->atCommandsReceived())
            count += command.startsWith(QLatin1String("ATD")) || command == QLatin1String("ATA")
                || command == QLatin1String("ATH");
        return count;
    }

    // The program started as a second invocation with these arguments.
    RemoteStatus run(const QStringList& arguments)
    {
        QProcess program;
        program.start(QStringLiteral(PARLONA_PROGRAM), arguments);
        m_rig->pumpUntil([&] { return program.state() == QProcess::NotRunning; }, 20000);
        return { QString::number(program.exitCode()), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError()) };
    }

    std::unique_ptr<VirtualHybridRig> m_rig;
    std::unique_ptr<QDBusConnection> m_client;
    BusListener m_listener;
};

QTEST_MAIN(TestRemoteControl)
#include "tst_remotecontrol.moc"
