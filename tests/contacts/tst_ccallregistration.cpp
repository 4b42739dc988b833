#include "AppContext.h"
#include "CCallRegistration.h"
#include "CDatabase.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestCCallRegistration : public QObject
{
    Q_OBJECT

private slots:
    void calls_data()
    {
        // "+ms" moves the clocks on; "ring:A", "call:A", "talk:A" and "idle" are state reports.
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("rows"); // party, type (0 in, 1 out, 2 missed), talk ms, start
        QTest::newRow("incoming, answered") << "+1000 ring:A +4000 talk:A +65000 idle" << QString("A 0 65000 10:00:01");
        QTest::newRow("incoming, missed") << "ring:A +20000 idle" << QString("A 2 0 10:00:00");
        QTest::newRow("outgoing, unanswered") << "+2000 call:B +30000 idle" << QString("B 1 0 10:00:02");
        QTest::newRow("outgoing, answered") << "call:B +8000 talk:B +12000 idle" << QString("B 1 12000 10:00:00");
        QTest::newRow("idle repeated") << "idle ring:A idle idle +1000 idle" << QString("A 2 0 10:00:00");
        QTest::newRow("number with quotes") << "ring:'\");-- idle" << QString("'\");-- 2 0 10:00:00");
        QTest::newRow("first seen connected") << "talk:A +30000 idle" << QString("A 0 30000 10:00:00");
        QTest::newRow("next caller while talking") << "ring:A +1000 talk:A +20000 ring:B +1000 talk:B +9000 idle"
                                                   << QString("A 0 20000 10:00:00, B 0 9000 10:00:21");
    }

    void calls()
    {
        QFETCH(QString, script);
        QFETCH(QString, rows);
        QTemporaryDir dir;
        CDatabase database(dir.path(), nullptr);
        AppContext context { nullptr, nullptr, nullptr, nullptr, &database };
        CCallRegistration registration(&context);
        // Both clocks run on the test's time; the wall clock from 10:00:00.600.
        qint64 elapsedMs = 0;
        registration.setClock([&] { return QDateTime(QDate(2025, 3, 3), QTime(10, 0, 0, 600)).addMSecs(elapsedMs); },
            [&] { return elapsedMs + 5000; });
        QSignalSpy updates(&registration, &CCallRegistration::registerUpdate);
        const QStringList names = { "idle", "call", "ring", "talk" };
        const VOICECALL_STATE states[] = { VOICECALL_IDLE, VOICECALL_CALLING, VOICECALL_INCOMING, VOICECALL_ACTIVE };
        for (const QString& step : script.split(' ')) {
            const int state = names.indexOf(step.left(4));
            if (state < 0)
                elapsedMs += step.toInt();
            else
                registration.onVoicecallStateChange(states[state], step.mid(5));
        }
        QStringList written;
        for (QSqlQuery all = database.query(QStringLiteral("SELECT phone_number || ' ' || call_type || ' ' || duration "
                                                           "|| ' ' || substr(time_date, 12) FROM call_register"));
             all.next();)
            written << all.value(0).toString();
        QCOMPARE(written.join(QStringLiteral(", ")), rows);
        QCOMPARE(updates.count(), written.size());
    }
};

QTEST_MAIN(TestCCallRegistration)
#include "tst_ccallregistration.moc"
