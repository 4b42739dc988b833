#include "AppContext.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CallOutbox.h"
#include "CallRegisterTable.h"
#include "StationCallQueue.h"
#include "TestPostgres.h"

#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

// The calls of a studio on its way to the station's server: what waits on the studio's computer,
// and a call that reaches the server twice.
class TestStationCallQueue : public QObject
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
        QCOMPARE(outbox.count(QStringLiteral("me")), 1);

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
        AppContext context;
        context.database = server.get();
        StationCallQueue queue(server.get(), path);
        context.stationCalls = &queue;
        CCallRegistration registration(&context);
        // A call of a program still running (on another computer here) is that program's to send.
        QCOMPARE(rows(server.get()), QStringList { QStringLiteral("0612345678|0|12000|Studio Zuid|false|false|") });
        QCOMPARE(queue.waiting(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStationCallQueue)
#include "tst_stationcallqueue.moc"
