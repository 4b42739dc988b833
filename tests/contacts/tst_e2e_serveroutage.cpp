#include "AppContext.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CallOutbox.h"
#include "CallRegisterTable.h"
#include "CuttableProxy.h"
#include "StationCallQueue.h"
#include "TestPostgres.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The calls of a studio on their way to the station's server: what waits on the studio's computer,
// and a call that reaches the server twice. A call while the server is out of reach waits on the
// studio's computer and is recorded once, with its whole talk time, when the server is back, even
// when the program was restarted meanwhile. The outage lasts 3 s here and half a minute in the
// long run (PARLONA_SOAK).
class TestE2eServerOutage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

    static CallRecord call(const QString& uid, qint64 durationMs, bool finished, const QString& owner)
    {
        return { uid, QStringLiteral("0612345678"), CallRegisterTable::Incoming, durationMs,
            QStringLiteral("2026-12-08T10:00:00"), false, CallNote(), finished, owner };
    }

    // A row of the server's history as text: number, type, talk time, studio, open, declined, topic.
    static QStringList rows(CDatabase* database)
    {
        QSqlQuery read = database->query(QStringLiteral(
            "SELECT c.phone_number, c.call_type, c.duration, s.studio, "
            "EXISTS (SELECT 1 FROM call_register_open WHERE call_id = c.id), "
            "EXISTS (SELECT 1 FROM call_declined WHERE call_id = c.id), COALESCE(n.topic, '') "
            "FROM call_register AS c JOIN call_studio AS s ON s.call_id = c.id "
            "LEFT JOIN call_notes AS n ON n.call_id = c.id ORDER BY c.id"));
        QStringList found;
        while (read.next()) {
            QStringList row;
            for (int column = 0; column < 7; ++column)
                row << read.value(column).toString();
            found << row.join(QLatin1Char('|'));
        }
        return found;
    }

    std::unique_ptr<CDatabase> freshServer()
    {
        QString error;
        const QString name = TestPostgres::freshDatabase(&error);
        if (name.isEmpty())
            qWarning() << error;
        auto database = std::make_unique<CDatabase>(TestPostgres::server(name), nullptr);
        database->setStudio(QStringLiteral("Studio Zuid"));
        return database;
    }

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
    void outboxKeepsTheLatestRecordInTheOrderCallsBegan()
    {
        CallOutbox outbox(m_folder.filePath(QStringLiteral("order.db")));
        QVERIFY2(outbox.problem().isEmpty(), qPrintable(outbox.problem()));
        QVERIFY(outbox.keep(call(QStringLiteral("a"), 0, false, QStringLiteral("me"))));
        QVERIFY(outbox.keep(call(QStringLiteral("b"), 0, true, QStringLiteral("other"))));
        CallRecord later = call(QStringLiteral("a"), 7000, true, QStringLiteral("me"));
        later.note.topic = QStringLiteral("het verkeer");
        QVERIFY(outbox.keep(later));

        QList<CallOutbox::Waiting> waiting = outbox.waiting();
        QCOMPARE(waiting.size(), 2);
        QCOMPARE(waiting.at(0).call.uid, QStringLiteral("a"));
        QCOMPARE(waiting.at(0).call.durationMs, qint64(7000));
        QVERIFY(waiting.at(0).call.finished);
        QCOMPARE(waiting.at(0).call.note.topic, QStringLiteral("het verkeer"));
        QCOMPARE(waiting.at(1).call.uid, QStringLiteral("b"));

        // Sent while a later record arrived: the later one stays.
        QVERIFY(outbox.keep(call(QStringLiteral("a"), 9000, true, QStringLiteral("me"))));
        outbox.forget(QStringLiteral("a"), waiting.at(0).version);
        QCOMPARE(outbox.waiting().at(0).call.durationMs, qint64(9000));
        outbox.forget(QStringLiteral("a"), outbox.waiting().at(0).version);
        QCOMPARE(outbox.count(), 1);
    }

    void outboxThatCannotBeMadeKeepsInMemory()
    {
        CallOutbox outbox(m_folder.filePath(QStringLiteral("no/such/folder/outbox.db")));
        QVERIFY(!outbox.problem().isEmpty());
        QVERIFY(outbox.keep(call(QStringLiteral("a"), 0, true, QStringLiteral("me"))));
        QCOMPARE(outbox.count(), 1);
    }

    void aRecordSentTwiceWritesOneRow()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        std::unique_ptr<CDatabase> server = freshServer();
        QVERIFY(CallRegisterTable::store(server.get(), call(QStringLiteral("x"), 2000, false, QStringLiteral("me"))));
        QCOMPARE(rows(server.get()), QStringList { QStringLiteral("0612345678|0|2000|Studio Zuid|true|false|") });
        // The answer to the first sending was lost: the same record again, then the call's end.
        CallRecord ended = call(QStringLiteral("x"), 2000, false, QStringLiteral("me"));
        QVERIFY(CallRegisterTable::store(server.get(), ended));
        ended = { QStringLiteral("x"), QStringLiteral("0612345678"), CallRegisterTable::Missed, 0,
            QStringLiteral("2026-12-08T10:00:00"), true, { QString(), QString(), QStringLiteral("weer"), false }, true,
            QStringLiteral("me") };
        QVERIFY(CallRegisterTable::store(server.get(), ended));
        QVERIFY(CallRegisterTable::store(server.get(), ended));
        QCOMPARE(rows(server.get()), QStringList { QStringLiteral("0612345678|2|0|Studio Zuid|false|true|weer") });
    }

    void aCallLeftBehindByAProgramGoneIsRecordedAtTheNextStart()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        std::unique_ptr<CDatabase> server = freshServer();
        const QString path = m_folder.filePath(QStringLiteral("left.db"));
        {
            // A program killed while talking, with the server away: its call waits, open.
            CallOutbox outbox(path);
            const QString gone = QSysInfo::machineHostName() + QStringLiteral(":999999999");
            QVERIFY(outbox.keep(call(QStringLiteral("left"), 12000, false, gone)));
            QVERIFY(outbox.keep(call(QStringLiteral("alive"), 3000, false, QStringLiteral("studio-pc:1"))));
        }
        const Program program(server.get(), path);
        // A call of a program still running (on another computer here) is that program's to send.
        QCOMPARE(rows(server.get()), QStringList { QStringLiteral("0612345678|0|12000|Studio Zuid|false|false|") });
        QCOMPARE(program.queue->waiting(), 0);
    }

    // Before the server is back, the calls a program gone left behind count among those waiting.
    void callsLeftBehindCountAsWaiting()
    {
        const QString path = m_folder.filePath(QStringLiteral("counted.db"));
        {
            CallOutbox outbox(path);
            QVERIFY(outbox.keep(call(QStringLiteral("left"), 5000, true, QSysInfo::machineHostName() + QStringLiteral(":999999999"))));
            QVERIFY(outbox.keep(call(QStringLiteral("other"), 3000, true, QStringLiteral("studio-pc:1"))));
        }
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        DatabaseServer away;
        away.host = QStringLiteral("127.0.0.1");
        away.port = listener.serverPort();
        listener.close();
        CDatabase server(away, nullptr);
        QVERIFY(server.isUnreachable());
        StationCallQueue queue(&server, path);
        QCOMPARE(queue.waiting(), 1);
    }

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

        // Read back over a connection of the test's own: once, answered, with its whole talk time
        // and its studio, and no longer going on.
        CDatabase reader(TestPostgres::server(name), nullptr);
        QCOMPARE(rows(&reader),
            QStringList { QStringLiteral("0612345678|0|%1|Studio Noord|false|false|").arg(10000 + outageMs()) });
    }
};

QTEST_GUILESS_MAIN(TestE2eServerOutage)
#include "tst_e2e_serveroutage.moc"
