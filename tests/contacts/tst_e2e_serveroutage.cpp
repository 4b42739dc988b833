#include "AppContext.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CuttableProxy.h"
#include "TestPostgres.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

#include <memory>

// A studio's call while the station's database server is out of reach: the call is recorded
// once, with its whole talk time, when the server is back. The outage lasts 3 s here and half a
// minute in the long run (PARLONA_SOAK).
class TestE2eServerOutage : public QObject
{
    Q_OBJECT

    static int outageMs() { return qEnvironmentVariableIsSet("PARLONA_SOAK") ? 30000 : 3000; }

private slots:
    void callThroughAnOutage_data()
    {
        QTest::addColumn<bool>("ringsBefore"); // whether the call began before the server went
        QTest::newRow("server lost while talking") << true;
        QTest::newRow("the whole call while it is away") << false;
    }

    void callThroughAnOutage()
    {
        QFETCH(bool, ringsBefore);
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
        AppContext context;
        context.database = &database;
        auto registration = std::make_unique<CCallRegistration>(&context);
        qint64 elapsedMs = 0;
        registration->setClock([&] { return QDateTime(QDate(2026, 12, 7), QTime(20, 0)).addMSecs(elapsedMs); },
            [&] { return elapsedMs; });
        QSignalSpy recorded(registration.get(), &CCallRegistration::registerUpdate);

        const auto ringAndAnswer = [&] {
            registration->onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("0612345678"));
            elapsedMs += 4000;
            registration->onVoicecallStateChange(VOICECALL_ACTIVE, QStringLiteral("0612345678"));
            elapsedMs += 10000;
            registration->checkpoint();
        };
        if (ringsBefore)
            ringAndAnswer();
        proxy.cut();
        // The driver finds the connection gone on its own (it listens for the server's word of
        // changes) and closes it before the next statement.
        QTest::qWait(500);
        if (!ringsBefore)
            ringAndAnswer();
        // The checkpoints of the talk find the server gone and wait.
        QTRY_VERIFY((registration->checkpoint(), database.isUnreachable()));
        QTest::qWait(outageMs());
        elapsedMs += outageMs();
        registration->onVoicecallStateChange(VOICECALL_IDLE, QString());
        QCOMPARE(recorded.count(), 0);
        proxy.restore();
        QTRY_VERIFY_WITH_TIMEOUT(recorded.count() >= 1, 20000);
        QVERIFY(!database.isUnreachable());

        // Read back over a connection of the test's own.
        CDatabase reader(TestPostgres::server(name), nullptr);
        QSqlQuery rows = reader.query(QStringLiteral(
            "SELECT c.phone_number, c.call_type, c.duration, s.studio, "
            "(SELECT count(*) FROM call_register_open) FROM call_register AS c "
            "LEFT JOIN call_studio AS s ON s.call_id = c.id"));
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toString(), QStringLiteral("0612345678"));
        QCOMPARE(rows.value(1).toInt(), 0); // answered
        QCOMPARE(rows.value(2).toLongLong(), qint64(10000 + outageMs()));
        QCOMPARE(rows.value(3).toString(), QStringLiteral("Studio Noord"));
        QCOMPARE(rows.value(4).toInt(), 0);
        QVERIFY2(!rows.next(), "the call is recorded once");
    }
};

QTEST_GUILESS_MAIN(TestE2eServerOutage)
#include "tst_e2e_serveroutage.moc"
