#include "StationSettings.h"

#include "ProgramEnvironment.h"
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Where the phonebook and history live, kept in the program's settings without the password.
class TestStationSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;

    static StationSettings server(const QString& host, int port, const QString& database, const QString& user,
                                  const QString& tlsMode)
    {
        StationSettings settings;
        settings.place = StationSettings::Place::StationServer;
        settings.server = { host, port, database, user, QStringLiteral("Zendmast-42"), tlsMode };
        return settings;
    }

private slots:
    void initTestCase()
    {
        isolateSettings(m_settingsDir.path());
    }

    void init() { QSettings().clear(); }

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
};

QTEST_GUILESS_MAIN(TestStationSettings)
#include "tst_stationsettings.moc"
