#include "CDatabase.h"
#include "CallRegisterTable.h"
#include "DatabaseMove.h"
#include "KeychainSecretStore.h"
#include "MemorySecretStore.h"
#include "ModalAnswer.h"
#include "ProgramEnvironment.h"
#include "StationMoveActions.h"
#include "StationSettings.h"
#include "StationSettingsForm.h"
#include "TestPostgres.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// Where the phonebook and history live, kept in the program's settings without the password, and
// the settings' tab for them: the operator chooses this computer or the station's server, the
// password goes to the secret store, and nothing waits on the GUI thread. The phonebook and
// history are moved between the file and the station's server, both ways: what either side knows
// already is left out, and a move that fails changes nothing.
class TestStationSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;

    std::unique_ptr<MemorySecretStore> m_store;
    std::unique_ptr<StationSettingsForm> m_form;

    template <typename T> T* field(const char* name) const
    {
        auto* found = m_form->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no field %s", name);
        return found;
    }

    QString status() const { return field<QLabel>("status")->text(); }

    void fillServer(const QString& host, int port, const QString& database, const QString& user)
    {
        field<QRadioButton>("stationServer")->click();
        field<QLineEdit>("host")->setText(host);
        field<QSpinBox>("port")->setValue(port);
        field<QLineEdit>("database")->setText(database);
        field<QLineEdit>("user")->setText(user);
    }

    void chooseTlsMode(const QString& mode)
    {
        auto* modes = field<QComboBox>("tlsMode");
        QVERIFY(modes->findData(mode) >= 0);
        modes->setCurrentIndex(modes->findData(mode));
    }

    static StationSettings server(const QString& host, int port, const QString& database, const QString& user,
                                  const QString& tlsMode)
    {
        StationSettings settings;
        settings.place = StationSettings::Place::StationServer;
        settings.server = { host, port, database, user, QStringLiteral("Zendmast-42"), tlsMode };
        return settings;
    }

    static QString serverName()
    {
        QString error;
        const QString name = TestPostgres::freshDatabase(&error);
        if (name.isEmpty())
            qWarning() << error;
        return name;
    }

    static void addContact(CDatabase* database, const QString& name, const QString& number)
    {
        QVERIFY(database->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                               "VALUES (?, '', ?, '')"),
                            { name, number })
                    .isActive());
    }

    // Names and numbers, then calls as number/type/talk/studio/declined/topic, in the order kept.
    static QStringList content(CDatabase* database)
    {
        QStringList found;
        for (QSqlQuery rows = database->query(QStringLiteral("SELECT first_name, phone_number FROM contacts ORDER BY id"));
             rows.next();)
            found << rows.value(0).toString() + QLatin1Char(' ') + rows.value(1).toString();
        for (QSqlQuery rows = CallRegisterTable::newest(database, 100); rows.next();) {
            found.prepend(QStringLiteral("%1/%2/%3/%4/%5/%6")
                              .arg(rows.value(CallRegisterTable::PhoneNumber).toString())
                              .arg(rows.value(CallRegisterTable::CallType).toInt())
                              .arg(rows.value(CallRegisterTable::Duration).toLongLong())
                              .arg(rows.value(CallRegisterTable::Studio).toString())
                              .arg(rows.value(CallRegisterTable::Declined).toBool())
                              .arg(rows.value(CallRegisterTable::NoteTopic).toString()));
        }
        return found;
    }

    static DatabaseMove::Report move(CDatabase* from, CDatabase* to, const QString& studio = QString())
    {
        DatabaseMove job(ConnectionRecipe(from->database()), ConnectionRecipe(to->database()), studio,
            QStringLiteral("Studio Oost"));
        return job.run();
    }

private slots:
    void initTestCase()
    {
        isolateSettings(m_settingsDir.path());
        qRegisterMetaType<StationSettings>();
    }

    void init()
    {
        QSettings().clear();
        m_store = std::make_unique<MemorySecretStore>();
        m_form = std::make_unique<StationSettingsForm>(m_store.get());
    }

    void cleanup()
    {
        m_form.reset();
        m_store.reset();
    }

    // Saved and loaded again, all but the password, which never reaches the file.
    void roundTrip_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<QString>("studio");
        QTest::addColumn<QString>("loadedStudio"); // empty: the computer's default name
        QTest::newRow("server") << true << "Studio Noord" << "Studio Noord";
        QTest::newRow("this computer") << false << "Studio 2" << "Studio 2";
        QTest::newRow("blanks around the studio") << true << "  Studio Noord \t" << "Studio Noord";
        QTest::newRow("studio too long") << true << QString(70, 'x') << QString(64, 'x');
        QTest::newRow("studio cut before a blank") << true << QString(63, 'y') + "  z" << QString(63, 'y');
        QTest::newRow("studio only blanks") << true << "   " << "";
    }

    void roundTrip()
    {
        QFETCH(bool, onServer);
        QFETCH(QString, studio);
        QFETCH(QString, loadedStudio);
        StationSettings saved = server("db.studio.lan", 6543, "omroep", "radio", "verify-full");
        saved.place = onServer ? StationSettings::Place::StationServer : StationSettings::Place::ThisComputer;
        saved.studio = studio;
        saved.save();
        const StationSettings loaded = StationSettings::load();
        QCOMPARE(loaded.place, saved.place);
        QCOMPARE(loaded.server.host, QStringLiteral("db.studio.lan"));
        QCOMPARE(loaded.server.port, 6543);
        QCOMPARE(loaded.server.database, QStringLiteral("omroep"));
        QCOMPARE(loaded.server.user, QStringLiteral("radio"));
        QCOMPARE(loaded.server.tlsMode, QStringLiteral("verify-full"));
        QCOMPARE(loaded.studio, loadedStudio.isEmpty() ? StationSettings().studio : loadedStudio);
        QVERIFY(!loaded.studio.isEmpty() && loaded.studio.size() <= 64);
        QVERIFY(loaded.server.password.isEmpty());

        QSettings settings;
        settings.sync();
        QCOMPARE(settings.value("StationDatabase/Place").toString(), onServer ? "server" : "computer");
        QFile file(settings.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("db.studio.lan"));
        QVERIFY(!bytes.contains("Zendmast"));
    }

    void problem_data()
    {
        QTest::addColumn<StationSettings>("settings");
        QTest::addColumn<bool>("usable");
        QTest::newRow("complete") << server("db.lan", 5432, "parlona", "parlona", "prefer") << true;
        QTest::newRow("highest port") << server("db.lan", 65535, "parlona", "parlona", "require") << true;
        QTest::newRow("no host") << server("", 5432, "parlona", "parlona", "prefer") << false;
        QTest::newRow("blank host") << server("   ", 5432, "parlona", "parlona", "prefer") << false;
        QTest::newRow("port 0") << server("db.lan", 0, "parlona", "parlona", "prefer") << false;
        QTest::newRow("port 65536") << server("db.lan", 65536, "parlona", "parlona", "prefer") << false;
        QTest::newRow("no database") << server("db.lan", 5432, "", "parlona", "prefer") << false;
        QTest::newRow("no user") << server("db.lan", 5432, "parlona", "", "prefer") << false;
        QTest::newRow("unknown mode") << server("db.lan", 5432, "parlona", "parlona", "strict") << false;
        QTest::newRow("mode in capitals") << server("db.lan", 5432, "parlona", "parlona", "REQUIRE") << false;
        StationSettings local = server("", 0, "", "", "");
        local.place = StationSettings::Place::ThisComputer;
        QTest::newRow("this computer, no server") << local << true;
    }

    void problem()
    {
        QFETCH(StationSettings, settings);
        QFETCH(bool, usable);
        QCOMPARE(settings.problem().isEmpty(), usable);
    }
    void serverFieldsFollowThePlace_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : { "host", "port", "database", "user", "password", "tlsMode", "studio", "testConnection" })
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void serverFieldsFollowThePlace()
    {
        QFETCH(QString, name);
        auto* widget = m_form->findChild<QWidget*>(name);
        QVERIFY(widget);
        QVERIFY(field<QRadioButton>("thisComputer")->isChecked());
        QVERIFY(!widget->isEnabled());
        field<QRadioButton>("stationServer")->click();
        QVERIFY(widget->isEnabled());
        field<QRadioButton>("thisComputer")->click();
        QVERIFY(!widget->isEnabled());
    }

    // Which servers cannot be used is StationSettings::problem()'s to tell; the form neither saves
    // one nor keeps its password.
    void applyRefusesAnUnusableServer()
    {
        QSignalSpy applied(m_form.get(), &StationSettingsForm::applied);
        QSignalSpy written(m_store.get(), &SecretStore::writeDone);
        fillServer(QString(), 5432, QStringLiteral("parlona"), QStringLiteral("parlona"));
        field<QLineEdit>("password")->setText(QStringLiteral("Zendmast-42"));
        field<QPushButton>("apply")->click();
        QVERIFY(!status().isEmpty());
        QVERIFY2(!status().startsWith(QLatin1String("Saved")), qPrintable(status()));
        QVERIFY(!written.wait(100));
        QCOMPARE(applied.count(), 0);
        QVERIFY(m_store->secrets().isEmpty());
        QVERIFY(!QSettings().childGroups().contains(QStringLiteral("StationDatabase")));
    }

    void applySavesTheServerAndItsPassword()
    {
        QSignalSpy applied(m_form.get(), &StationSettingsForm::applied);
        fillServer(QStringLiteral("db.studio.lan"), 6543, QStringLiteral("omroep"), QStringLiteral("radio"));
        chooseTlsMode(QStringLiteral("verify-full"));
        field<QLineEdit>("studio")->setText(QStringLiteral("  Studio Noord "));
        field<QLineEdit>("password")->setText(QStringLiteral("Zendmast-42"));
        field<QPushButton>("apply")->click();
        QCOMPARE(status(), QStringLiteral("Saved. The program uses it from its next start."));

        QSettings settings;
        settings.beginGroup(QStringLiteral("StationDatabase"));
        QCOMPARE(settings.value("Place").toString(), QStringLiteral("server"));
        QCOMPARE(settings.value("Host").toString(), QStringLiteral("db.studio.lan"));
        QCOMPARE(settings.value("Port").toInt(), 6543);
        QCOMPARE(settings.value("Database").toString(), QStringLiteral("omroep"));
        QCOMPARE(settings.value("User").toString(), QStringLiteral("radio"));
        QCOMPARE(settings.value("TlsMode").toString(), QStringLiteral("verify-full"));
        QCOMPARE(settings.value("Studio").toString(), QStringLiteral("Studio Noord"));

        QCOMPARE(applied.count(), 1);
        const auto emitted = applied.at(0).at(0).value<StationSettings>();
        QCOMPARE(emitted.server.host, QStringLiteral("db.studio.lan"));
        QCOMPARE(emitted.studio, QStringLiteral("Studio Noord"));
        const QMap<QString, QString> expected { { QStringLiteral("station-database/radio@db.studio.lan:6543/omroep"),
                                                  QStringLiteral("Zendmast-42") } };
        QTRY_COMPARE(m_store->secrets(), expected);
        QTRY_COMPARE(field<QLineEdit>("password")->placeholderText(), QStringLiteral("(unchanged)"));
        QVERIFY(field<QLineEdit>("password")->text().isEmpty());
    }

    void storeErrorIsShown()
    {
        m_store->setFailure(QStringLiteral("The name org.freedesktop.secrets was not provided"));
        fillServer(QStringLiteral("db.studio.lan"), 5432, QStringLiteral("parlona"), QStringLiteral("parlona"));
        field<QLineEdit>("password")->setText(QStringLiteral("Zendmast-42"));
        field<QPushButton>("apply")->click();
        QTRY_VERIFY2(status().contains(QLatin1String("org.freedesktop.secrets was not provided")), qPrintable(status()));
        QVERIFY(status().contains(QLatin1String("not kept anywhere else")));
        // The rest is saved all the same.
        QCOMPARE(StationSettings::load().server.host, QStringLiteral("db.studio.lan"));
        QVERIFY(field<QLineEdit>("password")->placeholderText().isEmpty());
    }

    void storedPasswordShowsAsUnchanged_data()
    {
        QTest::addColumn<QString>("storedUnder");
        QTest::addColumn<QString>("placeholder");
        QTest::newRow("this server's") << "station-database/radio@db.studio.lan:6543/omroep" << "(unchanged)";
        QTest::newRow("another server's") << "station-database/radio@db.studio.lan:5432/omroep" << "";
    }

    void storedPasswordShowsAsUnchanged()
    {
        QFETCH(QString, storedUnder);
        QFETCH(QString, placeholder);
        server("db.studio.lan", 6543, "omroep", "radio", "prefer").save();
        m_store->put(storedUnder, QStringLiteral("Zendmast-42"));
        QSignalSpy read(m_store.get(), &SecretStore::readDone);
        m_form = std::make_unique<StationSettingsForm>(m_store.get());
        QVERIFY(field<QRadioButton>("stationServer")->isChecked());
        QCOMPARE(field<QSpinBox>("port")->value(), 6543);
        QTRY_COMPARE(read.count(), 1);
        QCOMPARE(field<QLineEdit>("password")->placeholderText(), placeholder);
        // Left unchanged, the password goes along to the server's new port.
        field<QSpinBox>("port")->setValue(7000);
        field<QPushButton>("apply")->click();
        const QString moved = QStringLiteral("station-database/radio@db.studio.lan:7000/omroep");
        QTRY_COMPARE(m_store->secrets().value(moved), placeholder.isEmpty() ? QString() : "Zendmast-42");
        // Nothing stays behind under the old address once the password went along.
        QTRY_COMPARE(m_store->secrets().size(), 1);
    }

    void testConnection_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::newRow("server listening") << true;
        QTest::newRow("nothing listening") << false;
    }

    // The connection is tried on a worker thread: the GUI thread goes on meanwhile.
    void testConnection()
    {
        QFETCH(bool, listening);
        if (qEnvironmentVariableIsEmpty("PARLONA_TEST_PGHOST")) {
            if (qgetenv("PARLONA_REQUIRE_POSTGRES") == "1")
                QFAIL("no PostgreSQL server, and PARLONA_REQUIRE_POSTGRES=1");
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        }
        int port = qEnvironmentVariableIntValue("PARLONA_TEST_PGPORT");
        if (!listening) {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        fillServer(qEnvironmentVariable("PARLONA_TEST_PGHOST"), port, QStringLiteral("postgres"),
                   qEnvironmentVariable("PARLONA_TEST_PGUSER"));
        chooseTlsMode(QStringLiteral("prefer"));
        int ticks = 0;
        QTimer ticking;
        connect(&ticking, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticking.start(1);

        auto* button = field<QPushButton>("testConnection");
        button->click();
        // The click has returned before the answer.
        QVERIFY(!button->isEnabled());
        QVERIFY2(!status().contains(QLatin1String("onnected")), qPrintable(status()));
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
        QVERIFY(ticks > 0);
        if (listening) {
            QVERIFY2(QRegularExpression(QStringLiteral("^Connected: PostgreSQL \\d+(\\.\\d+)?")).match(status()).hasMatch(),
                     qPrintable(status()));
        } else {
            QVERIFY2(status().startsWith(QLatin1String("Not connected: ")), qPrintable(status()));
            QVERIFY(status().size() > QStringLiteral("Not connected: ").size());
        }
    }

    // The desktop's secret store, where there is none: the tests run without a session bus (CTest
    // points it at nothing). Every call answers, without waiting on the caller, with the store's
    // error, so that the settings can tell the operator; nothing is kept anywhere else instead.
    void answersWithTheError_data()
    {
        QTest::addColumn<int>("call"); // 0 read, 1 write, 2 remove
        QTest::newRow("read") << 0;
        QTest::newRow("write") << 1;
        QTest::newRow("remove") << 2;
    }

    void answersWithTheError()
    {
        QFETCH(int, call);
        if (!qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").contains(QLatin1String("nonexistent")))
            QSKIP("run through CTest, without a session bus");
        KeychainSecretStore store;
        QSignalSpy read(&store, &SecretStore::readDone);
        QSignalSpy written(&store, &SecretStore::writeDone);
        const QString key = QStringLiteral("station-database/radio@db.studio.lan:5432/omroep");
        if (call == 0)
            store.read(key);
        else if (call == 1)
            store.write(key, QStringLiteral("Zendmast-42"));
        else
            store.remove(key);
        // The answer never comes before the call has returned.
        QCOMPARE(read.count() + written.count(), 0);
        QSignalSpy& answer = call == 0 ? read : written;
        QTRY_COMPARE_WITH_TIMEOUT(answer.count(), 1, 10000);
        QCOMPARE(answer.at(0).at(0).toString(), key);
        const QString error = answer.at(0).last().toString();
        QVERIFY2(!error.isEmpty(), "no error without a secret store");
        if (call == 0)
            QVERIFY(answer.at(0).at(1).toString().isEmpty());
    }
    void fileToServerAndBackLeavesOutWhatIsKnown()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        QTemporaryDir fileDir;
        CDatabase file(fileDir.path(), nullptr);
        file.setStudio(QStringLiteral("Studio Zuid"));
        addContact(&file, QStringLiteral("Anna"), QStringLiteral("06 12345678"));
        addContact(&file, QStringLiteral("Bert"), QStringLiteral("020 7654321"));
        QVERIFY(CallRegisterTable::insert(&file, QStringLiteral("0612345678"), CallRegisterTable::Incoming, 61000,
            QStringLiteral("2026-12-01T10:00:00"), { QStringLiteral("Anna"), QString(), QStringLiteral("files"), true }));
        QVERIFY(CallRegisterTable::insert(&file, QStringLiteral("0201111111"), CallRegisterTable::Missed, 0,
            QStringLiteral("2026-12-01T11:00:00")));
        QVERIFY(CallRegisterTable::markDeclined(&file, 2));

        CDatabase server(TestPostgres::server(serverName()), nullptr);
        server.setStudio(QStringLiteral("Studio Noord"));
        // The station knows Anna by another way of writing her number, and the declined call.
        addContact(&server, QStringLiteral("Anna N."), QStringLiteral("+31 6 1234 5678"));
        QVERIFY(CallRegisterTable::insert(&server, QStringLiteral("0201111111"), CallRegisterTable::Missed, 0,
            QStringLiteral("2026-12-01T11:00:00")));

        DatabaseMove::Report report = move(&file, &server);
        QVERIFY2(report.ok, qPrintable(report.error));
        QCOMPARE(QList<int>({ report.contactsAdded, report.contactsKnown, report.callsAdded, report.callsKnown }),
            QList<int>({ 1, 1, 1, 1 }));
        const QStringList joined { QStringLiteral("0201111111/2/0/Studio Noord/0/"),
            QStringLiteral("0612345678/0/61000/Studio Zuid/0/files"), QStringLiteral("Anna N. +31 6 1234 5678"),
            QStringLiteral("Bert 020 7654321") };
        QCOMPARE(content(&server), joined);
        // Again: all of it is known now.
        report = move(&file, &server);
        QCOMPARE(QList<int>({ report.contactsAdded, report.contactsKnown, report.callsAdded, report.callsKnown }),
            QList<int>({ 0, 2, 0, 2 }));
        QCOMPARE(content(&server), joined);

        // Leaving the station: the phonebook, and the calls of the studio that leaves.
        QTemporaryDir backDir;
        CDatabase back(backDir.path(), nullptr);
        report = move(&server, &back, QStringLiteral("Studio Zuid"));
        QVERIFY2(report.ok, qPrintable(report.error));
        QCOMPARE(content(&back),
            QStringList({ QStringLiteral("0612345678/0/61000/Studio Zuid/0/files"),
                QStringLiteral("Anna N. +31 6 1234 5678"), QStringLiteral("Bert 020 7654321") }));
    }

    void aMoveThatFailsChangesNothing()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        QTemporaryDir fileDir;
        CDatabase file(fileDir.path(), nullptr);
        addContact(&file, QStringLiteral("Anna"), QStringLiteral("0612345678"));
        QVERIFY(CallRegisterTable::insert(&file, QStringLiteral("0612345678"), CallRegisterTable::Incoming, 5000,
            QStringLiteral("2026-12-01T10:00:00"), { QString(), QString(), QStringLiteral("refused"), false }));
        CDatabase server(TestPostgres::server(serverName()), nullptr);
        // The server refuses the call's notes, after the contact and the call went in.
        QVERIFY(server.query(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                                            "$$ BEGIN RAISE EXCEPTION 'notes refused'; END $$"))
                    .isActive());
        QVERIFY(server.query(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON call_notes FOR EACH ROW "
                                            "EXECUTE FUNCTION refuse()"))
                    .isActive());
        const DatabaseMove::Report report = move(&file, &server);
        QVERIFY(!report.ok);
        QVERIFY2(report.error.contains(QLatin1String("notes refused")), qPrintable(report.error));
        QCOMPARE(report.contactsAdded + report.callsAdded, 0);
        QCOMPARE(content(&server), QStringList());
    }

    void theOperatorMovesBackAndTheNextStartUsesTheFile()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        StationSettings settings;
        settings.place = StationSettings::Place::StationServer;
        settings.server = TestPostgres::server(serverName());
        settings.save();
        CDatabase server(settings.server, nullptr);
        addContact(&server, QStringLiteral("Carla"), QStringLiteral("0687654321"));
        MemorySecretStore secrets;
        QWidget window;
        QTemporaryDir fileDir;
        StationMoveActions actions(&server, &secrets, fileDir.path(), &window);
        QString told;
        // The question, then the progress of the copy, then what it did.
        std::function<void(QWidget*)> answer = [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->standardButtons().testFlag(QMessageBox::Yes)) {
                if (box)
                    ModalAnswer::clickButton(box, QMessageBox::Yes);
                ModalAnswer::whenOtherShown(this, modal, answer, 20000);
                return;
            }
            told = box->text();
            ModalAnswer::clickButton(box, QMessageBox::Ok);
        };
        ModalAnswer::whenShown(this, answer);
        actions.moveToComputer();
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 20000);
        QVERIFY2(told.contains(QLatin1String("Copied 1 contacts and 0 calls")), qPrintable(told));
        QVERIFY(StationSettings::load().place == StationSettings::Place::ThisComputer);
        CDatabase file(fileDir.path(), nullptr);
        QCOMPARE(content(&file), QStringList { QStringLiteral("Carla 0687654321") });
    }
};

QTEST_MAIN(TestStationSettings)
#include "tst_stationsettings.moc"
