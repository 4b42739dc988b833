#include "AppContext.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CuttableProxy.h"
#include "StationCallQueue.h"
#include "TestPostgres.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A studio's call while the station's database server is out of reach: the call waits on the
// studio's computer and is recorded once, with its whole talk time, when the server is back, even
// when the program was restarted meanwhile. The outage lasts 3 s here and half a minute in the
// long run (PARLONA_SOAK).
class TestE2eServerOutage : public QObject
{
    Q_OBJECT

    static int outageMs() { return qEnvironmentVariableIsSet("PARLONA_SOAK") ? 30000 : 3000; }

    // The program's part in recording calls: what it builds when it starts on a server.
    struct Program
    {
        AppContext context;
        std::unique_ptr<StationCallQueue> queue;
        std::unique_ptr<CCallRegistration> registration;
        qint64 elapsedMs = 0;

        Program(CDatabase* database, const QString& outbox)
        {
            context.database = database;
            queue = std::make_unique<StationCallQueue>(database, outbox);
            context.stationCalls = queue.get();
            registration = std::make_unique<CCallRegistration>(&context);
            registration->setClock([this] { return QDateTime(QDate(2026, 12, 7), QTime(20, 0)).addMSecs(elapsedMs); },
                [this] { return elapsedMs; });
        }
        void ringAndAnswer()
        {
            registration->onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("0612345678"));
            elapsedMs += 4000;
            registration->onVoicecallStateChange(VOICECALL_ACTIVE, QStringLiteral("0612345678"));
            elapsedMs += 10000;
            registration->checkpoint();
        }
    };

private slots:
    void callThroughAnOutage_data()
    {
        QTest::addColumn<bool>("ringsBefore"); // whether the call began before the server went
        QTest::addColumn<bool>("restarts"); // whether the program stops and starts before it is back
        QTest::newRow("server lost while talking") << true << false;
        QTest::newRow("the whole call while it is away") << false << false;
        QTest::newRow("program restarted before the server is back") << true << true;
    }

    void callThroughAnOutage()
    {
        QFETCH(bool, ringsBefore);
        QFETCH(bool, restarts);
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        QString error;
        const QString name = TestPostgres::freshDatabase(&error);
        QVERIFY2(!name.isEmpty(), qPrintable(error));
        CuttableProxy proxy(quint16(TestPostgres::server().port));
        DatabaseServer server = TestPostgres::server(name);
        server.port = proxy.port();
        CDatabase database(server, nullptr);
        QVERIFY2(database.isOpen(), qPrintable(database.problem()));
        database.setStudio(QStringLiteral("Studio Noord"));
        QTemporaryDir folder;
        const QString outbox = folder.filePath(QStringLiteral("outbox.db"));
        auto program = std::make_unique<Program>(&database, outbox);

        if (ringsBefore)
            program->ringAndAnswer();
        proxy.cut();
        // The driver finds the connection gone on its own (it listens for the server's word of
        // changes) and closes it before the next statement.
        QTest::qWait(500);
        if (!ringsBefore)
            program->ringAndAnswer();
        // The checkpoints of the talk find the server gone and wait.
        QTRY_VERIFY((program->registration->checkpoint(), database.isUnreachable()));
        QCOMPARE(program->queue->waiting(), 1);
        QTest::qWait(outageMs());
        program->elapsedMs += outageMs();
        program->registration->onVoicecallStateChange(VOICECALL_IDLE, QString());
        QCOMPARE(program->queue->waiting(), 1);
        if (restarts) {
            program.reset();
            program = std::make_unique<Program>(&database, outbox);
            QCOMPARE(program->queue->waiting(), 1);
        }
        QSignalSpy waiting(program->queue.get(), &StationCallQueue::waitingChanged);
        proxy.restore();
        QTRY_VERIFY_WITH_TIMEOUT(program->queue->waiting() == 0, 20000);
        QCOMPARE(waiting.last().at(0).toInt(), 0);
        QVERIFY(!database.isUnreachable());

        // Read back over a connection of the test's own.
        CDatabase reader(TestPostgres::server(name), nullptr);
        QSqlQuery rows = reader.query(QStringLiteral(
            "SELECT c.phone_number, c.call_type, c.duration, s.studio, "
            "(SELECT count(*) FROM call_register_open) FROM call_register AS c "
            "LEFT JOIN call_studio AS s ON s.call_id = c.id"));
        QStringList found;
        while (rows.next())
            found << QStringLiteral("%1|%2|%3|%4|%5").arg(rows.value(0).toString(), rows.value(1).toString(),
                rows.value(2).toString(), rows.value(3).toString(), rows.value(4).toString());
        // Once, answered, with its whole talk time and its studio, and no longer going on.
        QCOMPARE(found, QStringList { QStringLiteral("0612345678|0|%1|Studio Noord|0").arg(10000 + outageMs()) });
    }
};

QTEST_GUILESS_MAIN(TestE2eServerOutage)
#include "tst_e2e_serveroutage.moc"
