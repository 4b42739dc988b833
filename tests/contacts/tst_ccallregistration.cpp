#include "AppContext.h"
#include "CCallRegistration.h"
#include "CConsole.h"
#include "CDatabase.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// The parties of the calls below, by the letter that stands for them.
const QStringList parties = { QStringLiteral("+49301234567"), QStringLiteral("0407654321"),
    QStringLiteral("'); DROP TABLE call_register; --"), QLatin1String("") };
const QString letters = QStringLiteral("ABQ-");

} // namespace

class TestCCallRegistration : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CConsole> m_console;
    std::unique_ptr<CDatabase> m_database;
    AppContext m_context;
    std::unique_ptr<CCallRegistration> m_registration;
    qint64 m_elapsedMs = 0;

    // A fresh database, whose file starts with this content when there is any.
    void open(const QByteArray& content = QByteArray())
    {
        m_registration.reset();
        m_database.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QFile file(m_dir->filePath(QStringLiteral("parlona.db")));
        if (!content.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) && file.flush());
        m_console = std::make_unique<CConsole>();
        m_console->setLevelEnabled(CConsole::Error, true);
        m_database = std::make_unique<CDatabase>(m_dir->path(), m_console.get());
        m_context = { nullptr, nullptr, nullptr, m_console.get(), m_database.get() };
        m_registration = std::make_unique<CCallRegistration>(&m_context);
        // Both clocks run on the test's time: the wall clock from 10:00:00.600 on 3 March 2025.
        m_elapsedMs = 0;
        m_registration->setClock(
            [this] { return QDateTime(QDate(2025, 3, 3), QTime(10, 0, 0, 600)).addMSecs(m_elapsedMs); },
            [this] { return m_elapsedMs + 5000; });
    }

    // Plays a script: "+ms" moves the clocks on, "ring:A", "call:A", "talk:A" and "idle" are
    // state reports for party A ("ring" alone: a withheld number).
    void run(const QString& script)
    {
        const QStringList names = { "idle", "call", "ring", "talk" };
        const VOICECALL_STATE states[] = { VOICECALL_IDLE, VOICECALL_CALLING, VOICECALL_INCOMING, VOICECALL_ACTIVE };
        for (const QString& step : script.split(QLatin1Char(' '))) {
            const int state = names.indexOf(step.left(4));
            if (state < 0)
                m_elapsedMs += step.toInt();
            else
                m_registration->onVoicecallStateChange(
                    states[state], step.size() > 5 ? parties[letters.indexOf(step[5])] : QString());
        }
    }

private slots:
    void init() { open(); }

    void calls_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("rows"); // party, type (0 in, 1 out, 2 missed), talk ms, start
        QTest::newRow("incoming, answered") << "+1000 ring:A +4000 talk:A +65000 idle" << QString("A 0 65000 10:00:01");
        QTest::newRow("incoming, missed") << "ring:A +20000 idle" << QString("A 2 0 10:00:00");
        QTest::newRow("outgoing, unanswered") << "+2000 call:B +30000 idle" << QString("B 1 0 10:00:02");
        QTest::newRow("outgoing, answered") << "call:B +8000 talk:B +12000 idle" << QString("B 1 12000 10:00:00");
        QTest::newRow("idle repeated") << "idle ring:A idle idle +1000 idle" << QString("A 2 0 10:00:00");
        QTest::newRow("number with quotes") << "ring:Q idle" << QString("Q 2 0 10:00:00");
        QTest::newRow("withheld number") << "ring idle" << QString("- 2 0 10:00:00");
        QTest::newRow("ringing reported twice") << "ring:A +3000 ring:A +2000 idle" << QString("A 2 0 10:00:00");
        QTest::newRow("first seen connected") << "call:B +5000 talk:B +7000 idle +100000 talk:A +30000 idle"
                                              << QString("B 1 7000 10:00:00, A 0 30000 10:01:52");
        QTest::newRow("next caller rings first")
            << "ring:A +3000 ring:B +2000 idle" << QString("A 2 0 10:00:00, B 2 0 10:00:03");
        QTest::newRow("next caller while talking") << "ring:A +1000 talk:A +20000 ring:B +1000 talk:B +9000 idle"
                                                   << QString("A 0 20000 10:00:00, B 0 9000 10:00:21");
    }

    void calls()
    {
        QFETCH(QString, script);
        QFETCH(QString, rows);
        QSignalSpy updates(m_registration.get(), &CCallRegistration::registerUpdate);
        run(script);
        QStringList written;
        for (QSqlQuery all
             = m_database->query(QStringLiteral("SELECT phone_number, call_type || ' ' || duration || ' ' "
                                                "|| replace(time_date, '2025-03-03T', '') FROM call_register"));
             all.next();)
            written << letters.mid(parties.indexOf(all.value(0).toString()), 1) + ' ' + all.value(1).toString();
        QCOMPARE(written.join(QStringLiteral(", ")), rows);
        QCOMPARE(updates.count(), written.size());
        QVERIFY(!m_console->plainText().contains(QStringLiteral("ERROR]")));
    }

    void lostCallsAreReported()
    {
        // Without its table, each call is reported as lost.
        QVERIFY(m_database->query(QStringLiteral("DROP TABLE call_register")).isActive());
        QSignalSpy updates(m_registration.get(), &CCallRegistration::registerUpdate);
        run(QStringLiteral("ring:A idle call:B idle"));
        QCOMPARE(updates.count(), 2);
        QCOMPARE(m_console->plainText().count(QStringLiteral("ERROR]")), 2);
        QVERIFY(m_console->plainText().contains(
            QStringLiteral("The call with +49301234567 at 2025-03-03T10:00:00 could not be recorded")));
        // A file that is no database is reported once, when it is opened, and not for each call.
        open(QByteArray(2048, '#'));
        QSignalSpy updatesNow(m_registration.get(), &CCallRegistration::registerUpdate);
        run(QStringLiteral("ring:A idle call:B idle"));
        QCOMPARE(updatesNow.count(), 2);
        QCOMPARE(m_console->plainText().count(QStringLiteral("ERROR]")), 1);
    }
};

QTEST_MAIN(TestCCallRegistration)
#include "tst_ccallregistration.moc"
