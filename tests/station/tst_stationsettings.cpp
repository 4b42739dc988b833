#include "StationSettings.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

// Where the phonebook and history live, kept in the program's settings; the server's password
// never goes there.
class TestStationSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void init() { QSettings().clear(); }

    void roundTrip_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("tlsMode");
        QTest::addColumn<QString>("studio");
        QTest::newRow("station server") << true << "db.studio.lan" << 6543 << "omroep" << "radio"
                                        << "verify-full" << "Studio Noord";
        QTest::newRow("this computer, a server kept") << false << "10.0.0.7" << 5432 << "parlona" << "parlona"
                                                      << "disable" << "Studio 2";
    }

    void roundTrip()
    {
        QFETCH(bool, onServer);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, database);
        QFETCH(QString, user);
        QFETCH(QString, tlsMode);
        QFETCH(QString, studio);
        StationSettings saved;
        saved.place = onServer ? StationSettings::Place::StationServer : StationSettings::Place::ThisComputer;
        saved.server.host = host;
        saved.server.port = port;
        saved.server.database = database;
        saved.server.user = user;
        saved.server.tlsMode = tlsMode;
        saved.studio = studio;
        saved.save();

        const StationSettings loaded = StationSettings::load();
        QCOMPARE(loaded.place == StationSettings::Place::StationServer, onServer);
        QCOMPARE(loaded.server.host, host);
        QCOMPARE(loaded.server.port, port);
        QCOMPARE(loaded.server.database, database);
        QCOMPARE(loaded.server.user, user);
        QCOMPARE(loaded.server.tlsMode, tlsMode);
        QCOMPARE(loaded.studio, studio);
        QCOMPARE(QSettings().value("StationDatabase/Place").toString(), onServer ? "server" : "computer");
    }

    void passwordStaysOutOfTheSettingsFile()
    {
        StationSettings saved;
        saved.place = StationSettings::Place::StationServer;
        saved.server.host = QStringLiteral("db.studio.lan");
        saved.server.password = QStringLiteral("Zendmast-Lopik-42");
        saved.save();
        QSettings settings;
        settings.sync();
        QFile file(settings.fileName());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(settings.fileName()));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("db.studio.lan"));
        QVERIFY(!bytes.contains("Zendmast"));
        QVERIFY(StationSettings::load().server.password.isEmpty());
    }

    void problem_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("tlsMode");
        QTest::addColumn<bool>("usable");
        QTest::newRow("complete") << true << "db.lan" << 5432 << "parlona" << "parlona" << "prefer" << true;
        QTest::newRow("highest port") << true << "db.lan" << 65535 << "parlona" << "parlona" << "require" << true;
        QTest::newRow("no host") << true << "" << 5432 << "parlona" << "parlona" << "prefer" << false;
        QTest::newRow("blank host") << true << "   " << 5432 << "parlona" << "parlona" << "prefer" << false;
        QTest::newRow("port 0") << true << "db.lan" << 0 << "parlona" << "parlona" << "prefer" << false;
        QTest::newRow("port 65536") << true << "db.lan" << 65536 << "parlona" << "parlona" << "prefer" << false;
        QTest::newRow("no database") << true << "db.lan" << 5432 << "" << "parlona" << "prefer" << false;
        QTest::newRow("no user") << true << "db.lan" << 5432 << "parlona" << "" << "prefer" << false;
        QTest::newRow("unknown mode") << true << "db.lan" << 5432 << "parlona" << "parlona" << "strict" << false;
        QTest::newRow("mode in capitals") << true << "db.lan" << 5432 << "parlona" << "parlona" << "REQUIRE" << false;
        QTest::newRow("this computer, no host") << false << "" << 0 << "" << "" << "" << true;
    }

    void problem()
    {
        QFETCH(bool, onServer);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, database);
        QFETCH(QString, user);
        QFETCH(QString, tlsMode);
        QFETCH(bool, usable);
        StationSettings settings;
        settings.place = onServer ? StationSettings::Place::StationServer : StationSettings::Place::ThisComputer;
        settings.server.host = host;
        settings.server.port = port;
        settings.server.database = database;
        settings.server.user = user;
        settings.server.tlsMode = tlsMode;
        QCOMPARE(settings.problem().isEmpty(), usable);
    }

    void studioName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // empty: the computer's default
        QTest::newRow("plain") << "Studio 2" << "Studio 2";
        QTest::newRow("blanks around") << "  Studio Noord \t" << "Studio Noord";
        QTest::newRow("too long") << QString(70, QLatin1Char('x')) << QString(64, QLatin1Char('x'));
        QTest::newRow("cut before a blank") << QString(63, QLatin1Char('y')) + "  z" << QString(63, QLatin1Char('y'));
        QTest::newRow("only blanks") << "   " << "";
    }

    void studioName()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        StationSettings saved;
        saved.studio = typed;
        saved.save();
        const QString loaded = StationSettings::load().studio;
        QCOMPARE(loaded, kept.isEmpty() ? StationSettings().studio : kept);
    }

    void studioDefaultsToTheHostName()
    {
        const QString host = QSysInfo::machineHostName();
        const QString studio = StationSettings::load().studio;
        QVERIFY(!studio.isEmpty());
        QVERIFY(studio.size() <= 64);
        if (host.isEmpty())
            QCOMPARE(studio, QStringLiteral("Studio"));
        else
            QVERIFY2(host.startsWith(studio), qPrintable(studio));
    }

    void passwordKey()
    {
        StationSettings settings;
        settings.server.host = QStringLiteral("db.studio.lan");
        settings.server.port = 6543;
        settings.server.database = QStringLiteral("omroep");
        settings.server.user = QStringLiteral("radio");
        QCOMPARE(settings.passwordKey(), QStringLiteral("station-database/radio@db.studio.lan:6543/omroep"));
    }
};

QTEST_GUILESS_MAIN(TestStationSettings)
#include "tst_stationsettings.moc"
