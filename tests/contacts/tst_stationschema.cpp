#include "ContactsTable.h"
#include "DatabaseSchema.h"
#include "SqlDialect.h"
#include "TestPostgres.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <atomic>
#include <thread>

// One schema and one set of statements on both engines: the SQLite file of one computer, and a
// station's PostgreSQL server (scripts/with-postgres.sh starts one for the tests).
class TestStationSchema : public QObject
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

private slots:
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

QTEST_GUILESS_MAIN(TestStationSchema)
#include "tst_stationschema.moc"
