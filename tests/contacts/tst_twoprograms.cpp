#include "CDatabase.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "ContactsTable.h"
#include "DatabaseSchema.h"
#include "MainWindow.h"
#include "SqlDialect.h"
#include "SqliteFileAccess.h"
#include "StationSettings.h"
#include "TestPostgres.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>

#include <atomic>
#include <cstdio>
#include <thread>

// Two programs on one phonebook and history, as the programs of a two-line studio are: this test
// runs copies of itself as the two programs, started at the same moment.
namespace {

const char childDirectory[] = "PARLONA_CHILD_DIRECTORY"; // the shared database folder
const char childCalls[] = "PARLONA_CHILD_CALLS";         // calls to record
const char childPrefix[] = "PARLONA_CHILD_PREFIX";       // the digits that start its numbers
const char childStartAt[] = "PARLONA_CHILD_START_AT";    // when to begin, in ms since the epoch
const char childServer[] = "PARLONA_CHILD_SERVER";       // the station database to use instead of the file

// The program's settings of a studio on the station's server, named after its numbers.
void joinStation(const QString& database, const QString& prefix)
{
    StationSettings settings;
    settings.place = StationSettings::Place::StationServer;
    settings.server = TestPostgres::server(database);
    settings.studio = QStringLiteral("Studio ") + prefix;
    settings.save();
}

void waitForStart()
{
    const qint64 wait = qEnvironmentVariable(childStartAt).toLongLong() - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
}

// Rings, answers and ends count calls from numbers starting with prefix; 0 once all are recorded
// without trouble.
int recordCalls(const QString& directory, int count, const QString& prefix)
{
    // On a server, each program has a folder (and settings) of its own.
    const QString server = qEnvironmentVariable(childServer);
    const QString folder = server.isEmpty() ? directory : QDir(directory).filePath(prefix);
    QDir().mkpath(folder);
    VirtualHybridRig rig(folder, [&] {
        if (!server.isEmpty())
            joinStation(server, prefix);
    });
    CUC20* engine = rig.window()->context()->uc20;
    const auto reaches
        = [&](VOICECALL_STATE state) { return rig.stepUntil([&] { return engine->callState() == state; }, 8000); };
    if (!rig.connectUnit() || !rig.stepUntil([&] { return engine->simState() == SIM_READY; }, 3000))
        return 2;
    waitForStart();
    for (int i = 0; i < count; ++i) {
        CUSBHID* link = rig.window()->context()->usb;
        rig.stepUntil([&] { return link->pendingCount() == 0; }, 1000);
        rig.step(50);
        rig.unit()->ringIn(prefix + QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')));
        if (!reaches(VOICECALL_INCOMING))
            return 3;
        engine->answerCall();
        if (!reaches(VOICECALL_ACTIVE))
            return 4;
        rig.step(200);
        engine->endCall();
        if (!reaches(VOICECALL_IDLE))
            return 5;
        QCoreApplication::processEvents();
    }
    // Writes the other program's lock held back land from the writer's timer.
    const bool all = rig.pumpUntil(
        [&] {
            QSqlQuery rows(
                QStringLiteral("SELECT COUNT(*) FROM call_register WHERE phone_number LIKE '%1%'").arg(prefix));
            return rows.next() && rows.value(0).toInt() == count;
        },
        30000);
    // The other program's writes are no trouble to tell the operator of.
    const QString problem = rig.window()->context()->database->problem();
    if (!problem.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(problem));
    return !all ? 6 : problem.isEmpty() ? 0 : 7;
}

} // namespace

// The programs share one schema and one set of statements on both engines: the SQLite file of one
// computer, and a station's PostgreSQL server (scripts/with-postgres.sh starts one for the tests).
class TestTwoPrograms : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    QStringList m_connections;

    // A new, empty database of the engine: a file, or a database of its own on the server.
    QSqlDatabase fresh(SqlDialect::Engine engine)
    {
        const QString name = QUuid::createUuid().toString(QUuid::Id128);
        m_connections << name;
        if (engine == SqlDialect::SQLite) {
            QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            file.setDatabaseName(m_folder.filePath(name + QStringLiteral(".db")));
            return file.open() ? file : QSqlDatabase();
        }
        QString error;
        const DatabaseServer server = TestPostgres::server(TestPostgres::freshDatabase(&error));
        if (server.database.isEmpty())
            qWarning() << error;
        QSqlDatabase station = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        station.setHostName(server.host);
        station.setPort(server.port);
        station.setUserName(server.user);
        station.setDatabaseName(server.database);
        return !server.database.isEmpty() && station.open() ? station : QSqlDatabase();
    }

    static QVariantList column(QSqlQuery query)
    {
        QVariantList values;
        while (query.next())
            values << query.value(0);
        return values;
    }

    // Starts two copies of this test as programs on directory and returns their exit codes.
    static QList<int> runTwo(const QString& directory, int calls, const QString& server = QString())
    {
        QProcess programs[2];
        const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QLatin1String(childDirectory), directory);
            environment.insert(QLatin1String(childCalls), QString::number(calls));
            environment.insert(QLatin1String(childPrefix), QStringLiteral("06%1").arg(i + 1));
            environment.insert(QLatin1String(childStartAt), start);
            if (!server.isEmpty())
                environment.insert(QLatin1String(childServer), server);
            programs[i].setProcessEnvironment(environment);
            programs[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            programs[i].start(QCoreApplication::applicationFilePath(), {});
        }
        QList<int> codes;
        for (QProcess& program : programs)
            codes << (program.waitForFinished(100000) && program.exitStatus() == QProcess::NormalExit
                    ? program.exitCode()
                    : -1);
        return codes;
    }

private slots:
    // Both record calls at the same moment: every call is in the history once as answered, none
    // is lost, and no call is left open.
    void bothRecordCalls()
    {
        const int calls = 300;
        QTemporaryDir directory(
            QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/parlona-two-XXXXXX") : QString());
        QCOMPARE(runTwo(directory.path(), calls), (QList<int> { 0, 0 }));
        // Calls, distinct numbers, answered ones, and calls left open.
        const QString each = QString::number(2 * calls);
        QCOMPARE(SqliteFileAccess::rows(QDir(directory.path()).filePath(QStringLiteral("parlona.db")),
                     QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT phone_number), SUM(call_type = 0), "
                                    "(SELECT COUNT(*) FROM call_register_open) FROM call_register")),
            QStringList { QStringLiteral("%1|%1|%1|0").arg(each) });
    }

    // Two studios on the station's server at the same moment: every call once, with its studio.
    // 50 calls each here, a thousand in the long run (PARLONA_STATION_CALLS).
    void twoStudiosRecordCallsOnTheServer()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        const int calls = qEnvironmentVariableIsSet("PARLONA_STATION_CALLS")
            ? qEnvironmentVariableIntValue("PARLONA_STATION_CALLS")
            : 50;
        QString error;
        const QString name = TestPostgres::freshDatabase(&error);
        QVERIFY2(!name.isEmpty(), qPrintable(error));
        QTemporaryDir directory;
        QCOMPARE(runTwo(directory.path(), calls, name), (QList<int> { 0, 0 }));
        CDatabase server(TestPostgres::server(name), nullptr);
        QSqlQuery rows = server.query(
            QStringLiteral("SELECT s.studio, COUNT(*), COUNT(DISTINCT c.phone_number), SUM(CASE WHEN c.call_type = 0 "
                           "THEN 1 ELSE 0 END), MIN(c.phone_number), (SELECT COUNT(*) FROM call_register_open) "
                           "FROM call_register AS c LEFT JOIN call_studio AS s ON s.call_id = c.id "
                           "GROUP BY s.studio ORDER BY s.studio"));
        QStringList found;
        while (rows.next())
            found << QStringLiteral("%1 %2 %3 %4 %5 %6")
                         .arg(rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(),
                             rows.value(3).toString(), rows.value(4).toString(), rows.value(5).toString());
        // Every call once, answered, none left open.
        const QString each = QString::number(calls);
        QCOMPARE(found,
            QStringList({ QStringLiteral("Studio 061 %1 %1 %1 06100000 0").arg(each),
                QStringLiteral("Studio 062 %1 %1 %1 06200000 0").arg(each) }));
    }
    void cleanup()
    {
        for (const QString& name : qAsConst(m_connections)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        m_connections.clear();
    }

    void engines_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("from"); // the version the database has before; -1: empty
        QTest::newRow("SQLite, empty") << int(SqlDialect::SQLite) << -1;
        QTest::newRow("SQLite, previous version") << int(SqlDialect::SQLite) << DatabaseSchema::currentVersion() - 1;
        QTest::newRow("server, empty") << int(SqlDialect::PostgreSQL) << -1;
        QTest::newRow("server, previous version")
            << int(SqlDialect::PostgreSQL) << DatabaseSchema::currentVersion() - 1;
        QTest::newRow("server, first version") << int(SqlDialect::PostgreSQL) << 1;
    }

    // Made up to date from empty or from an earlier version, the database keeps its rows and
    // answers the program's statements alike on both engines.
    void engines()
    {
        QFETCH(int, engine);
        QFETCH(int, from);
        if (engine == SqlDialect::PostgreSQL && !TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        QSqlDatabase db = fresh(SqlDialect::Engine(engine));
        QVERIFY2(db.isOpen(), qPrintable(db.lastError().text()));
        QCOMPARE(SqlDialect::of(db).engine(), SqlDialect::Engine(engine));
        QString reason;
        QSqlQuery rows(db);
        if (from > 0) {
            QVERIFY2(DatabaseSchema::upgrade(db, from, &reason), qPrintable(reason));
            QCOMPARE(DatabaseSchema::version(db), from);
            QVERIFY(rows.exec("INSERT INTO call_register (phone_number, call_type, duration, time_date) "
                              "VALUES ('0612345678', 0, 61, '2026-12-07T10:00:00')"));
        }
        QVERIFY2(DatabaseSchema::upgrade(db, &reason), qPrintable(reason));
        QCOMPARE(DatabaseSchema::version(db), DatabaseSchema::currentVersion());
        // Up to date: nothing more is done.
        QVERIFY2(DatabaseSchema::upgrade(db, &reason), qPrintable(reason));
        QCOMPARE(column(QSqlQuery("SELECT COUNT(*) FROM call_register", db)).value(0).toInt(), from > 0 ? 1 : 0);

        for (const char* number : { "+31 6 1234-5678", "0800-FLOWERS", "020 7654321", "06 12345679" })
            QVERIFY(rows.exec(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number) "
                                             "VALUES ('a', 'b', '%1')")
                                  .arg(QLatin1String(number))));
        // The caller's last seven digits find the contact with them, and the number that is not
        // digits is always checked; ids are numbered from 1 on both engines.
        QVERIFY(rows.prepare(ContactsTable::selectByKey(SqlDialect::of(db))));
        rows.addBindValue(QStringLiteral("2345678"));
        QVERIFY2(rows.exec(), qPrintable(rows.lastError().text()));
        QCOMPARE(column(rows), (QVariantList { 1, 2 }));

        const SqlDialect dialect = SqlDialect::of(db);
        for (int i = 0; i < 2; ++i)
            QVERIFY(rows.exec(dialect.insertOrIgnore("call_declined", "call_id", "7")));
        QCOMPARE(column(QSqlQuery("SELECT COUNT(*) FROM call_declined", db)).value(0).toInt(), 1);
        for (const char* topic : { "'first'", "'second'" }) {
            QVERIFY2(rows.exec(dialect.insertOrReplace("call_notes",
                         { "call_id", "caller_name", "place", "topic", "ready_for_air" },
                         QStringLiteral("7, 'Jan', 'Zwolle', %1, 1").arg(QLatin1String(topic)))),
                qPrintable(rows.lastError().text()));
        }
        QCOMPARE(column(QSqlQuery("SELECT topic FROM call_notes", db)), (QVariantList { "second" }));
    }

    void twoProgramsAtOnce_data()
    {
        QTest::addColumn<int>("engine");
        QTest::newRow("SQLite") << int(SqlDialect::SQLite);
        QTest::newRow("server") << int(SqlDialect::PostgreSQL);
    }

    // Two programs starting at the same moment on a new database (two units' programs at the
    // start of a session, two studios on one server): both find it up to date, neither fails.
    void twoProgramsAtOnce()
    {
        QFETCH(int, engine);
        if (engine == SqlDialect::PostgreSQL && !TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        for (int round = 0; round < 8; ++round) {
            const QSqlDatabase made = fresh(SqlDialect::Engine(engine));
            QVERIFY2(made.isOpen(), qPrintable(made.lastError().text()));
            std::atomic<int> ready { 0 };
            QString reasons[2];
            const auto program = [&](int which) {
                const QString connection = made.connectionName() + QString::number(which);
                {
                    QSqlDatabase db = QSqlDatabase::cloneDatabase(made.connectionName(), connection);
                    ++ready;
                    while (ready < 2)
                        std::this_thread::yield();
                    if (!db.open() || !DatabaseSchema::upgrade(db, &reasons[which]))
                        reasons[which] += db.lastError().text() + QStringLiteral(" (failed)");
                }
                QSqlDatabase::removeDatabase(connection);
            };
            std::thread other(program, 1);
            program(0);
            other.join();
            QVERIFY2(reasons[0].isEmpty() && reasons[1].isEmpty(), qPrintable(reasons[0] + reasons[1]));
            QSqlDatabase db = QSqlDatabase::database(made.connectionName());
            QCOMPARE(DatabaseSchema::version(db), DatabaseSchema::currentVersion());
        }
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(childDirectory)) {
        const QString directory = qEnvironmentVariable(childDirectory);
        const int calls = qEnvironmentVariableIntValue(childCalls);
        const int status = recordCalls(directory, calls, qEnvironmentVariable(childPrefix));
        // What the window left to be deleted goes before the application does.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return status;
    }
    TestTwoPrograms test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_twoprograms.moc"
