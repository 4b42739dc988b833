#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "PhonebookForm.h"
#include "ScreeningClient.h"
#include "ScreeningService.h"
#include "ScreeningSettingsForm.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <httplib.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace {
const QString password = QStringLiteral("studio-7 Geheim");
} // namespace

// The screening page's server spoken to as a browser would, on the whole program on a virtual
// hybrid: what it refuses and why, a call screened through it, the bound on changes queued for
// the GUI thread, and its tab in the settings.
class TestScreeningServer : public QObject
{
    Q_OBJECT

private slots:
    // The fewest rounds allowed: every login checks the password.
    void initTestCase() { m_password = ScreeningPassword::make(password, ScreeningPassword::LeastRounds); }

    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        QVERIFY(!screening()->isRunning()); // nothing is served before it is switched on
        QVERIFY(screening()->start(config()));
        m_client = newClient();
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->pumpUntil([this] { return uc20()->simState() == SIM_READY; }));
    }

    void cleanup()
    {
        m_client.reset();
        m_rig.reset();
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("body");   // empty: GET
        QTest::addColumn<QByteArray>("change"); // "page", "no-cookie", "bogus-cookie", "other-site", "no-token", "form"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("code");

        const auto row = [](const char* name, const QByteArray& path, const QByteArray& body, const char* change,
                             int status, const char* code) {
            QTest::newRow(name) << path << body << QByteArray(change) << status << QString(code);
        };
        row("events without logging in", "/api/events", "", "no-cookie", 401, "NotLoggedIn");
        row("answer with a made-up session", "/api/answer", "{}", "bogus-cookie", 401, "NotLoggedIn");
        row("answer from another site", "/api/answer", "{}", "other-site", 403, "CrossSite");
        row("hang up without the token", "/api/hangup", "{}", "no-token", 403, "BadToken");
        row("log out without the token", "/api/logout", "{}", "no-token", 403, "BadToken");
        row("dial as a form", "/api/dial", "number=0612345678", "form", 415, "NotJson");
        row("malformed JSON", "/api/notes", "{\"topic\": ", "page", 400, "MalformedRequest");
        row("JSON that is no object", "/api/dial", "[\"0612345678\"]", "page", 400, "MalformedRequest");
        row("number that is no text", "/api/dial", "{\"number\":612345678}", "page", 400, "MalformedRequest");
        row("oversized body", "/api/notes", "{\"topic\":\"" + QByteArray(5000, 'x') + "\"}", "page", 413, "");
        row("note too long", "/api/notes", "{\"topic\":\"" + QByteArray(201, 'x') + "\"}", "page", 413, "TooLong");
        row("dial AT text", "/api/dial", "{\"number\":\"ATH\"}", "page", 409, "InvalidNumber");
        row("dial a service code", "/api/dial", "{\"number\":\"**21*0900123456#\"}", "page", 409, "ServiceCode");
        row("decline with nothing ringing", "/api/decline", "{}", "page", 409, "NoIncomingCall");
        row("hang up without a call", "/api/hangup", "{}", "page", 409, "NoCall");
        row("notes without a call", "/api/notes", "{\"topic\":\"traffic\"}", "page", 409, "NoCall");
        row("phonebook without a call", "/api/phonebook", "{\"name\":\"Anna\"}", "page", 409, "NoNumber");
        row("unknown path", "/api/shutdown", "{}", "page", 404, "");
    }

    void refusals()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, change);
        QFETCH(int, status);
        QFETCH(QString, code);
        QVERIFY(m_client->logIn(password));
        ScreeningClient::Headers headers = m_client->page();
        if (change == "no-cookie" || change == "bogus-cookie")
            headers.removeFirst();
        if (change == "bogus-cookie")
            headers << qMakePair(QByteArray("Cookie"), QByteArray("parlona_screening=") + QByteArray(43, 'A'));
        if (change == "no-token")
            headers.removeAt(1);
        if (change == "other-site")
            headers.last().second = "http://radio.example";
        if (change == "form")
            headers << qMakePair(QByteArray("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        const auto answer = body.isEmpty() ? m_client->get(path, headers) : m_client->post(path, body, headers);
        QCOMPARE(answer.status, status);
        if (!code.isEmpty())
            QCOMPARE(answer.json().value(QStringLiteral("code")).toString(), code);
        // Nothing of it reached the line.
        QCOMPARE(uc20()->callState(), VOICECALL_IDLE);
    }

    void wrongPasswordsAreSlowedDown()
    {
        QVERIFY(!m_client->logIn(QStringLiteral("studio-7 geheim")));
        const auto again = m_client->post(
            "/api/login", "{\"password\":\"" + password.toUtf8() + "\"}", { { "Origin", m_client->origin() } });
        QCOMPARE(again.status, 429);
        QVERIFY(again.retryAfter.toInt() >= 1);
        const auto crossSite
            = m_client->post("/api/login", "{\"password\":\"x\"}", { { "Origin", "http://radio.example" } });
        QCOMPARE(crossSite.status, 403);
        QVERIFY(m_client->get("/api/session", m_client->page()).status == 401);
    }

    // The caller's history, notes and name as the page's state shows them; the browser test takes
    // the call on to its end.
    void aCallScreenedThroughThePage()
    {
        CDatabase* database = m_rig->window()->context()->database;
        for (const char* day : { "2026-11-02T09:15:00", "2026-12-01T17:40:00" })
            database->query(QStringLiteral("INSERT INTO call_register (phone_number, call_type, duration, time_date) "
                                           "VALUES ('0612345678', 0, 60000, ?)"),
                { QString::fromLatin1(day) });
        QVERIFY(m_client->logIn(password));
        m_rig->unit()->ringIn(QStringLiteral("0612345678"));
        QVERIFY(pumpUntilState([](const QJsonObject& state) {
            return state.value(QStringLiteral("call")).toString() == QLatin1String("ringing")
                && state.value(QStringLiteral("historyKnown")).toBool();
        }));
        const QJsonObject ringing = state();
        QCOMPARE(ringing.value(QStringLiteral("number")).toString(), QStringLiteral("0612345678"));
        QCOMPARE(ringing.value(QStringLiteral("historyCount")).toInt(), 2);
        QCOMPARE(ringing.value(QStringLiteral("historyLast")).toString(), QStringLiteral("2026-12-01T17:40:00"));

        QCOMPARE(m_client->post("/api/answer", "{}", m_client->page()).status, 200);
        QVERIFY(m_rig->pumpUntil([this] { return uc20()->callState() == VOICECALL_ACTIVE; }));
        const QByteArray notes = "{\"callerName\":\"Anna de Vries\",\"place\":\"Zwolle\",\"topic\":\"The new bridge\","
                                 "\"readyForAir\":true}";
        QCOMPARE(m_client->post("/api/notes", notes, m_client->page()).status, 200);
        QCOMPARE(m_client->post("/api/phonebook", "{\"name\":\"Anna de Vries\"}", m_client->page()).status, 200);
        QCOMPARE(database->knownName(QStringLiteral("0612345678")), QStringLiteral("Anna de Vries"));
        // Once only; the place noted goes with it, and the phonebook page shows the contact at once.
        const auto again = m_client->post("/api/phonebook", "{\"name\":\"Anna\"}", m_client->page());
        QCOMPARE(again.status, 409);
        QCOMPARE(again.json().value(QStringLiteral("code")).toString(), QStringLiteral("AlreadyKnown"));
        const QAbstractItemModel* phonebook
            = m_rig->window()->findChild<PhonebookForm*>()->findChild<QTableView*>()->model();
        QCOMPARE(phonebook->rowCount(), 1);
        QStringList shown;
        for (int column = 0; column < phonebook->columnCount(); ++column)
            shown << phonebook->index(0, column).data().toString();
        QVERIFY2(shown.contains(QStringLiteral("Anna")) && shown.contains(QStringLiteral("Zwolle")),
            qPrintable(shown.join(QLatin1Char('|'))));
        QVERIFY(pumpUntilState([](const QJsonObject& state) {
            return state.value(QStringLiteral("name")).toString() == QLatin1String("Anna de Vries")
                && state.value(QStringLiteral("notes")).toObject().value(QStringLiteral("place")).toString()
                == QLatin1String("Zwolle");
        }));
        // Logged out, the session is gone on the server, not only the browser's cookie.
        QCOMPARE(m_client->post("/api/logout", "{}", m_client->page()).status, 200);
        QCOMPARE(m_client->get("/api/state", m_client->page()).status, 401);
    }

    void changesQueuedForTheWindowAreBounded()
    {
        QVERIFY(m_client->logIn(password));
        // The GUI thread does not run its event loop while the requests arrive: the first
        // MaxPending wait for it, the others are refused at once.
        const int sent = ScreeningServer::MaxPending + 8;
        const int port = screening()->ports().value(0);
        const httplib::Headers headers { { "Cookie", m_client->cookie().toStdString() },
            { "X-Screening-Token", m_client->token().toStdString() }, { "Origin", m_client->origin().toStdString() } };
        std::atomic<int> busy { 0 };
        std::atomic<int> refused { 0 };
        std::vector<std::thread> pages;
        for (int i = 0; i < sent; ++i)
            pages.emplace_back([&] {
                httplib::Client client("127.0.0.1", port);
                const auto result = client.Post("/api/answer", headers, "{}", "application/json");
                (result && result->status == 503 ? busy : refused)++;
            });
        QElapsedTimer waited;
        waited.start();
        while (busy.load() < sent - ScreeningServer::MaxPending && waited.elapsed() < 2000)
            QThread::msleep(5);
        const int busyAtOnce = busy.load();
        const bool allAnswered = m_rig->pumpUntil([&] { return busy.load() + refused.load() == sent; });
        for (std::thread& page : pages)
            page.join();
        QVERIFY(allAnswered);
        QCOMPARE(busyAtOnce, sent - ScreeningServer::MaxPending);
        QCOMPARE(refused.load(), ScreeningServer::MaxPending);
    }

    void stopsWithoutWaitingForIdleConnections()
    {
        // A browser's connection kept open after a request, and one opened early that has sent
        // nothing yet: the server would wait for both before it stops.
        const int port = screening()->ports().value(0);
        httplib::Client keptOpen("127.0.0.1", port);
        keptOpen.set_keep_alive(true);
        std::thread([&keptOpen] { keptOpen.Get("/api/texts"); }).join();
        QTcpSocket early;
        early.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        QVERIFY(early.waitForConnected(2000));
        QElapsedTimer stopping;
        stopping.start();
        screening()->stop();
        QVERIFY2(stopping.elapsed() < 5000, "stop() waited for the idle connections");
        QVERIFY(early.waitForDisconnected(1000));
    }

    void https_data()
    {
        QTest::addColumn<bool>("keyMatches");
        QTest::newRow("certificate and its key") << true;
        QTest::newRow("a key that cannot be read") << false;
    }

    void https()
    {
        QFETCH(bool, keyMatches);
        QTemporaryDir folder;
        const QString certificate = folder.filePath(QStringLiteral("page.crt"));
        const QString key = folder.filePath(QStringLiteral("page.key"));
        const QStringList request
            = QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1")
                  .split(' ');
        QCOMPARE(
            QProcess::execute(QStringLiteral("openssl"), request + QStringList { "-keyout", key, "-out", certificate }),
            0);
        ScreeningConfig secure = config();
        secure.certificateFile = certificate;
        secure.keyFile = keyMatches ? key : folder.filePath(QStringLiteral("missing.key"));
        QString error;
        QCOMPARE(screening()->start(secure, &error), keyMatches);
        if (!keyMatches) {
            QCOMPARE(error, QStringLiteral("The certificate or its key cannot be read"));
            return;
        }
        const int port = screening()->ports().value(0);
        auto login = std::async(std::launch::async, [port] {
            httplib::SSLClient client("127.0.0.1", port);
            client.enable_server_certificate_verification(false);
            const std::string origin = "https://127.0.0.1:" + std::to_string(port);
            const auto result = client.Post(
                "/api/login", { { "Origin", origin } }, "{\"password\":\"studio-7 Geheim\"}", "application/json");
            return result ? result->get_header_value("Set-Cookie") : std::string("no answer");
        });
        QVERIFY(m_rig->pumpUntil(
            [&login] { return login.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        const QString cookie = QString::fromStdString(login.get());
        QVERIFY2(cookie.startsWith(QLatin1String("parlona_screening=")), qPrintable(cookie));
        QVERIFY(cookie.contains(QLatin1String("; Secure")));
        QVERIFY(cookie.contains(QLatin1String("; HttpOnly; SameSite=Strict")));
    }

    void stoppedRightAfterStarting()
    {
        // Applying the settings twice in a row: the listener's thread may not have begun yet.
        for (int i = 0; i < 100; ++i) {
            QVERIFY(screening()->start(config()));
            screening()->stop();
        }
    }

    // A second program set to the same port (two units' programs share the settings) is told
    // the port is taken; it does not share the port, with browsers handed to either program.
    void portOfOneProgram()
    {
        const int port = screening()->ports().value(0);
        ScreeningServer other(this, [](const ScreeningRequest&) { return ScreeningReply(); });
        ScreeningConfig same = config();
        same.port = port;
        QString error;
        QVERIFY(!other.start(same, "{}", &error));
        QCOMPARE(error, QStringLiteral("Cannot listen on 127.0.0.1 port %1").arg(port));
        QVERIFY(!other.isRunning());
        // Once the first has stopped, after a page had been connected, the port is free again.
        QVERIFY(m_client->logIn(password));
        screening()->stop();
        QVERIFY2(other.start(same, "{}", &error), qPrintable(error));
    }

    void servedOnlyWithAPasswordAndSwitchedOn_data()
    {
        QTest::addColumn<QString>("password"); // empty: none set
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<bool>("served");

        QTest::newRow("off by default, with a password") << "Dijkstraat 9" << false << false;
        QTest::newRow("on without a password") << "" << true << false;
        QTest::newRow("on with a password") << "Dijkstraat 9" << true << true;
    }

    void servedOnlyWithAPasswordAndSwitchedOn()
    {
        QFETCH(QString, password);
        QFETCH(bool, switchedOn);
        QFETCH(bool, served);
        auto* form = m_rig->window()->findChild<ScreeningSettingsForm*>();
        QVERIFY(form);
        ScreeningService* service = screening();
        service->stop();
        if (!password.isEmpty()) {
            form->findChild<QLineEdit*>(QStringLiteral("lineEdit_screeningPassword"))->setText(password);
            auto* set = form->findChild<QPushButton*>(QStringLiteral("pushButton_screeningPassword"));
            set->click();
            // The hash is made on a thread of its own.
            QTRY_VERIFY_WITH_TIMEOUT(set->isEnabled(), 20000);
            QSettings settings;
            QVERIFY(ScreeningPassword::load(settings).matches(password));
        }
        const int port = freePort();
        form->findChild<QCheckBox*>(QStringLiteral("checkBox_screening"))->setChecked(switchedOn);
        form->findChild<QSpinBox*>(QStringLiteral("spinBox_screeningPort"))->setValue(port);
        form->findChild<QLineEdit*>(QStringLiteral("lineEdit_screeningAddresses"))
            ->setText(QStringLiteral("127.0.0.1,"));
        form->findChild<QPushButton*>(QStringLiteral("pushButton_screeningApply"))->click();
        QCOMPARE(service->isRunning(), served);
        const QString status = form->findChild<QLabel*>(QStringLiteral("label_screeningStatus"))->text();
        if (served) {
            QCOMPARE(service->ports(), QList<int> { port });
            QCOMPARE(status, QStringLiteral("Served at http://127.0.0.1:%1").arg(port));
            // Switched off again, the port is free at once.
            form->findChild<QCheckBox*>(QStringLiteral("checkBox_screening"))->setChecked(false);
            form->findChild<QPushButton*>(QStringLiteral("pushButton_screeningApply"))->click();
            QVERIFY(!service->isRunning());
            QTcpServer again;
            QVERIFY(again.listen(QHostAddress::LocalHost, static_cast<quint16>(port)));
        } else if (switchedOn) {
            QCOMPARE(status, QStringLiteral("Not served: No password is set"));
        }
    }

private:
    static int freePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
    }

    // On a port the system picks.
    ScreeningConfig config() const
    {
        ScreeningConfig config;
        config.port = 0;
        config.password = m_password;
        return config;
    }

    ScreeningService* screening() const { return m_rig->window()->screening(); }
    CUC20* uc20() const { return m_rig->window()->context()->uc20; }

    std::unique_ptr<ScreeningClient> newClient() const
    {
        VirtualHybridRig* rig = m_rig.get();
        return std::make_unique<ScreeningClient>(screening()->ports().value(0),
            [rig](const std::function<bool()>& condition) { return rig->pumpUntil(condition); });
    }

    QJsonObject state() { return m_client->get("/api/state", m_client->page()).json(); }

    bool pumpUntilState(const std::function<bool(const QJsonObject&)>& condition)
    {
        return m_rig->pumpUntil([&] { return condition(QJsonDocument::fromJson(screening()->state()).object()); });
    }

    ScreeningPassword m_password;
    std::unique_ptr<VirtualHybridRig> m_rig;
    std::unique_ptr<ScreeningClient> m_client;
};

QTEST_MAIN(TestScreeningServer)
#include "tst_screeningserver.moc"
