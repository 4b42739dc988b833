#include "MemorySecretStore.h"
#include "StationSettings.h"
#include "StationSettingsForm.h"

#include "ProgramEnvironment.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// The settings' tab for the phonebook and history: the operator chooses this computer or the
// station's server, the password goes to the secret store, and nothing waits on the GUI thread.
class TestStationSettingsForm : public QObject
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
        StationSettings saved;
        saved.place = StationSettings::Place::StationServer;
        saved.server = { "db.studio.lan", 6543, "omroep", "radio", QString(), "prefer" };
        saved.save();
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
};

QTEST_MAIN(TestStationSettingsForm)
#include "tst_stationsettingsform.moc"
