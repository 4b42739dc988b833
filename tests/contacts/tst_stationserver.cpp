#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CallOutbox.h"
#include "CallRegisterTable.h"
#include "ConnectionRecipe.h"
#include "ContactImportJob.h"
#include "ContactSearch.h"
#include "CuttableProxy.h"
#include "DatabaseSchema.h"
#include "PhonebookForm.h"
#include "StationCallQueue.h"
#include "TestPostgres.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTableView>
#include <QTableWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

namespace {

const char* const noServer = "no PostgreSQL server (scripts/with-postgres.sh starts one)";

} // namespace

// The station's PostgreSQL server (scripts/with-postgres.sh starts one): the phonebook and the
// history on it, through the same CDatabase and tables the program uses with its file, and the
// calls of a studio on their way to it: what waits on the studio's computer, and a call that
// reaches the server twice. A call while the server is out of reach waits on the studio's computer
// and is recorded once, with its whole talk time, when the server is back, even when the program
// was restarted meanwhile. The outage lasts 3 s here and half a minute in the long run
// (PARLONA_SOAK).
class TestStationServer : public QObject
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

    std::unique_ptr<CDatabase> m_db;
    QString m_name;

    void addContact(const QString& first, const QString& last, const QString& number)
    {
        QVERIFY(m_db->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                           "VALUES (?, ?, ?, '')"),
                        { first, last, number })
                    .isActive());
    }

    QStringList found(const QString& text)
    {
        QSqlQuery rows = m_db->query(QStringLiteral("SELECT first_name FROM contacts WHERE ")
            + ContactSearch::condition(text, m_db->dialect()) + QStringLiteral(" ORDER BY id"));
        QStringList names;
        while (rows.next())
            names << rows.value(0).toString();
        return names;
    }

    static int outageMs() { return qEnvironmentVariableIsSet("PARLONA_SOAK") ? 30000 : 1000; }

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

    // The case's database on the server, reached through relay.
    DatabaseServer throughRelay(const CuttableProxy& relay) const
    {
        DatabaseServer server = TestPostgres::server(m_name);
        server.port = relay.port();
        return server;
    }

private slots:
    // Each case gets a database of its own on the server, where there is one.
    void init()
    {
        if (!TestPostgres::available())
            return;
        QString error;
        m_name = TestPostgres::freshDatabase(&error);
        QVERIFY2(!m_name.isEmpty(), qPrintable(error));
        m_db = std::make_unique<CDatabase>(TestPostgres::server(m_name), nullptr);
        m_db->setHomeCountry(QStringLiteral("NL"));
    }

    void cleanup() { m_db.reset(); }

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
        if (!m_db)
            QSKIP(noServer);
        m_db->setStudio(QStringLiteral("Studio Zuid"));
        QVERIFY(CallRegisterTable::store(m_db.get(), call(QStringLiteral("x"), 2000, false, QStringLiteral("me"))));
        QCOMPARE(rows(m_db.get()), QStringList { QStringLiteral("0612345678|0|2000|Studio Zuid|true|false|") });
        // The answer to the first sending was lost: the same record again, then the call's end.
        CallRecord ended = call(QStringLiteral("x"), 2000, false, QStringLiteral("me"));
        QVERIFY(CallRegisterTable::store(m_db.get(), ended));
        ended = { QStringLiteral("x"), QStringLiteral("0612345678"), CallRegisterTable::Missed, 0,
            QStringLiteral("2026-12-08T10:00:00"), true, { QString(), QString(), QStringLiteral("weer"), false }, true,
            QStringLiteral("me") };
        QVERIFY(CallRegisterTable::store(m_db.get(), ended));
        QVERIFY(CallRegisterTable::store(m_db.get(), ended));
        QCOMPARE(rows(m_db.get()), QStringList { QStringLiteral("0612345678|2|0|Studio Zuid|false|true|weer") });
    }

    void aCallLeftBehindByAProgramGoneIsRecordedAtTheNextStart()
    {
        if (!m_db)
            QSKIP(noServer);
        m_db->setStudio(QStringLiteral("Studio Zuid"));
        const QString path = m_folder.filePath(QStringLiteral("left.db"));
        {
            // A program killed while talking, with the server away: its call waits, open.
            CallOutbox outbox(path);
            const QString gone = QSysInfo::machineHostName() + QStringLiteral(":999999999");
            QVERIFY(outbox.keep(call(QStringLiteral("left"), 12000, false, gone)));
            QVERIFY(outbox.keep(call(QStringLiteral("alive"), 3000, false, QStringLiteral("studio-pc:1"))));
        }
        const Program program(m_db.get(), path);
        // A call of a program still running (on another computer here) is that program's to send.
        QCOMPARE(rows(m_db.get()), QStringList { QStringLiteral("0612345678|0|12000|Studio Zuid|false|false|") });
        QCOMPARE(program.queue->waiting(), 0);
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
        if (!m_db)
            QSKIP(noServer);
        // The case's database, reached through a relay that can be cut.
        CuttableProxy proxy(quint16(TestPostgres::server().port));
        CDatabase database(throughRelay(proxy), nullptr);
        QVERIFY2(database.isOpen(), qPrintable(database.problem()));
        // The server is asked after it every fifth of a second here, every two seconds in the long
        // run, as in the program.
        if (!qEnvironmentVariableIsSet("PARLONA_SOAK"))
            database.setReconnectInterval(200);
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
        // Sent as soon as the server answers again, not at the outbox's next round ten seconds on.
        QTRY_VERIFY_WITH_TIMEOUT(program->queue->waiting() == 0, StationCallQueue::RetryIntervalMs / 2);
        QCOMPARE(waiting.last().at(0).toInt(), 0);
        QVERIFY(!database.isUnreachable());

        // Read back over a connection of the test's own: once, answered, with its whole talk time
        // and its studio, and no longer going on.
        CDatabase reader(TestPostgres::server(m_name), nullptr);
        QCOMPARE(rows(&reader),
            QStringList { QStringLiteral("0612345678|0|%1|Studio Noord|false|false|").arg(10000 + outageMs()) });
    }
    // A new server database is made up to date; a second studio finds it so and writes nothing.
    void opens()
    {
        if (!m_db)
            QSKIP(noServer);
        QVERIFY2(m_db->isOpen(), qPrintable(m_db->problem()));
        QVERIFY(m_db->isServer());
        QVERIFY(m_db->problem().isEmpty());
        QVERIFY(m_db->fileName().endsWith(QLatin1Char('/') + m_name));
        QCOMPARE(DatabaseSchema::version(m_db->database()), DatabaseSchema::currentVersion());
        CDatabase second(TestPostgres::server(m_name), nullptr);
        QVERIFY2(second.isOpen() && second.problem().isEmpty(), qPrintable(second.problem()));
        QString kept;
        QString error;
        QVERIFY(!m_db->restore(QStringLiteral("/nonexistent"), &kept, &error));
        QVERIFY(!error.isEmpty());
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("other case") << "RADIO" << QStringList { "Radio" };
        QTest::newRow("without the accent") << "eloise" << QStringList { "Éloïse" };
        QTest::newRow("accented, lower case") << "éloïse" << QStringList { "Éloïse" };
        QTest::newRow("across the names") << "Radio Noord" << QStringList { "Radio" };
        QTest::newRow("number without its blanks") << "0612345678" << QStringList { "Radio" };
        QTest::newRow("percent") << "50%" << QStringList { "50%" };
        QTest::newRow("underscore") << "a_b" << QStringList { "a_b" };
        QTest::newRow("quote") << "O'Brien" << QStringList { "O'Brien" };
        QTest::newRow("regular expression's own") << "(1+1)" << QStringList { "(1+1)" };
        QTest::newRow("backslash") << "c\\d" << QStringList { "c\\d" };
        QTest::newRow("regular expression's own, beside an accent") << "zoë (2)" << QStringList { "Zoë (2)" };
    }

    // The phonebook's search finds on the server what it finds in the file.
    void search()
    {
        if (!m_db)
            QSKIP(noServer);
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        for (const char* contact : { "Radio|Noord|06 1234 5678", "Éloïse|Durand|0201111111", "50%|x|0202222222",
                 "50|x|0203333333", "a_b|x|0204444444", "axb|x|0205555555", "O'Brien|x|0206666666",
                 "(1+1)|x|0207777777", "11|x|0208888888", "c\\d|x|0209999999", "Zoë (2)|x|0210000000",
                 "Zoë 2|x|0210000001" }) {
            const QStringList fields = QString::fromUtf8(contact).split(QLatin1Char('|'));
            addContact(fields[0], fields[1], fields[2]);
        }
        QCOMPARE(found(text), names);
    }

    // The phonebook page on the server: a contact added there is numbered by the server, found by
    // the page's search, and names its caller.
    void phonebookPage()
    {
        if (!m_db)
            QSKIP(noServer);
        AppContext context;
        context.database = m_db.get();
        PhonebookForm form(&context);
        form.addContact(
            QStringLiteral("Marieke"), QStringLiteral("de Vries"), QStringLiteral("+31 6 1234 5678"), QString());
        form.addContact(QStringLiteral("Bert"), QStringLiteral("Bos"), QStringLiteral("020 555 1234"), QString());
        QVERIFY2(m_db->problem().isEmpty(), qPrintable(m_db->problem()));
        QCOMPARE(m_db->findContactName(QStringLiteral("0612345678")), QStringLiteral("Marieke de Vries"));
        form.findChild<QLineEdit*>(QStringLiteral("search"))->setText(QStringLiteral("MARIEKE"));
        QCOMPARE(form.findChild<QTableView*>()->model()->rowCount(), 1);
    }

    // A call recorded as the program records it: opened as it rings, updated, closed; notes
    // written and replaced; a declined mark set twice; the history's reads.
    void calls()
    {
        if (!m_db)
            QSKIP(noServer);
        m_db->setStudio(QStringLiteral("Studio Noord"));
        const qint64 open
            = CallRegisterTable::open(m_db.get(), "0612345678", CallRegisterTable::Incoming, "2026-12-07 20:00:00");
        QVERIFY2(open > 0, qPrintable(m_db->problem()));
        QVERIFY(CallRegisterTable::update(m_db.get(), open, CallRegisterTable::Incoming, 5000));
        QCOMPARE(CallRegisterTable::finishedCount(m_db.get()), 0);
        QCOMPARE(CallRegisterTable::leftOpen(m_db.get()).size(), 0); // its program is this one, alive
        QVERIFY(CallRegisterTable::close(m_db.get(), open, CallRegisterTable::Incoming, 61000));

        CallNote note { QStringLiteral("Anna"), QStringLiteral("Assen"), QStringLiteral("the road"), true };
        QVERIFY(CallRegisterTable::insert(
            m_db.get(), "0201111111", CallRegisterTable::Missed, 0, "2026-12-07 20:05:00", note));
        QSqlQuery newest = CallRegisterTable::newest(m_db.get(), 10);
        QVERIFY(newest.next());
        const qint64 missed = newest.value(CallRegisterTable::Id).toLongLong();
        QVERIFY(missed > open);
        QCOMPARE(CallRegisterTable::note(newest), note);
        QCOMPARE(newest.value(CallRegisterTable::Studio).toString(), QStringLiteral("Studio Noord"));
        note.topic = QStringLiteral("the bridge");
        QVERIFY(CallRegisterTable::saveNote(m_db.get(), missed, note));
        QVERIFY(CallRegisterTable::markDeclined(m_db.get(), missed));
        QVERIFY(CallRegisterTable::markDeclined(m_db.get(), missed));
        QVERIFY(newest.next());
        QCOMPARE(newest.value(CallRegisterTable::Duration).toLongLong(), 61000);

        QSqlQuery missedCalls = CallRegisterTable::newestMissed(m_db.get(), 10);
        QVERIFY(missedCalls.next());
        QCOMPARE(missedCalls.value(CallRegisterTable::Declined).toInt(), 1);
        QCOMPARE(CallRegisterTable::note(missedCalls).topic, QStringLiteral("the bridge"));
        QCOMPARE(CallRegisterTable::finishedCount(m_db.get(), QStringLiteral("Studio Noord")), 2);
        QCOMPARE(CallRegisterTable::studios(m_db.get()), QStringList { "Studio Noord" });
        QVERIFY(CallRegisterTable::clear(m_db.get(), QStringLiteral("Studio Zuid")));
        QCOMPARE(CallRegisterTable::finishedCount(m_db.get()), 2);
        QVERIFY(m_db->problem().isEmpty());
    }

    // The history page keeps the calls in sight while the server is away, instead of showing none.
    void historyWhileTheServerIsAway()
    {
        if (!m_db)
            QSKIP(noServer);
        CuttableProxy proxy(quint16(TestPostgres::server().port));
        CDatabase database(throughRelay(proxy), nullptr);
        QVERIFY(CallRegisterTable::insert(
            &database, "0612345678", CallRegisterTable::Incoming, 9000, "2026-12-07 20:00:00"));
        AppContext context;
        context.database = &database;
        CCallHistoryForm form(&context, nullptr);
        auto* table = form.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
        form.LoadTable();
        QCOMPARE(table->rowCount(), 1);
        proxy.cut();
        QTRY_VERIFY((database.query(QStringLiteral("SELECT 1")), database.isUnreachable()));
        form.LoadTable();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("0612345678"));
    }

    // A contacts file imported on the import's own thread, through its own server connection:
    // the number already in the phonebook is left out.
    void import()
    {
        if (!m_db)
            QSKIP(noServer);
        addContact(QStringLiteral("Anna"), QStringLiteral("Smit"), QStringLiteral("+31 6 1234 5678"));
        QTemporaryFile file(QDir::tempPath() + QStringLiteral("/XXXXXX.csv"));
        QVERIFY(file.open());
        file.write("first_name,last_name,phone_number,info\nAnna,Smit,0612345678,\nBert,Bos,020 555 1234,regular\n");
        file.close();
        ContactImportJob job(file.fileName(), ContactExchange::FORMAT_UNKNOWN, ConnectionRecipe(m_db->database()));
        QSignalSpy finished(&job, &ContactImportJob::finished);
        job.start();
        QVERIFY(finished.wait(10000));
        QVERIFY2(job.result().ok, qPrintable(job.result().error));
        QCOMPARE(job.result().added, 1);
        QCOMPARE(job.result().duplicates.size(), 1);
        QCOMPARE(m_db->findContactName(QStringLiteral("+31205551234")), QStringLiteral("Bert Bos"));
    }

    // What another studio writes is told to this one's pages; what this one writes is not told
    // back to it, and a burst of writes is told once.
    void changesOfOthers()
    {
        if (!m_db)
            QSKIP(noServer);
        CDatabase other(TestPostgres::server(m_name), nullptr);
        other.setStudio(QStringLiteral("Studio Zuid"));
        QSignalSpy contacts(m_db.get(), &CDatabase::contactsChanged);
        QSignalSpy calls(m_db.get(), &CDatabase::callsChanged);
        QSignalSpy otherContacts(&other, &CDatabase::contactsChanged);
        for (int i = 0; i < 20; ++i)
            QVERIFY(other
                        .query(QStringLiteral(
                                   "INSERT INTO contacts (first_name, last_name, phone_number) VALUES ('Z', ?, ?)"),
                            { QString::number(i), QStringLiteral("06200000%1").arg(i, 2, 10, QLatin1Char('0')) })
                        .isActive());
        QVERIFY(contacts.wait(5000));
        QTest::qWait(300);
        QCOMPARE(contacts.count(), 1);
        QCOMPARE(calls.count(), 0);
        QCOMPARE(m_db->findContactName(QStringLiteral("+31620000007")), QStringLiteral("Z 7"));

        QVERIFY(CallRegisterTable::insert(&other, "0620000007", CallRegisterTable::Missed, 0, "2026-12-07T21:00:00"));
        QVERIFY(calls.wait(5000));
        QCOMPARE(contacts.count(), 1);
        addContact(QStringLiteral("Own"), QStringLiteral("Change"), QStringLiteral("0201234567"));
        QVERIFY(otherContacts.wait(5000));
        QTest::qWait(300);
        QCOMPARE(contacts.count(), 1);
    }

    // A server that is not there: told, never taken for one without contacts or calls. The calls a
    // program gone left behind count among those waiting before it is back.
    void unreachable()
    {
        const QString path = m_folder.filePath(QStringLiteral("counted.db"));
        {
            CallOutbox outbox(path);
            const QString gone = QSysInfo::machineHostName() + QStringLiteral(":999999999");
            QVERIFY(outbox.keep(call(QStringLiteral("left"), 5000, true, gone)));
            QVERIFY(outbox.keep(call(QStringLiteral("other"), 3000, true, QStringLiteral("studio-pc:1"))));
        }
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        DatabaseServer server = TestPostgres::server(QStringLiteral("parlona"));
        server.host = QStringLiteral("127.0.0.1");
        server.port = listener.serverPort();
        listener.close();
        CDatabase away(server, nullptr);
        QVERIFY(!away.isOpen());
        QVERIFY(away.isUnreachable());
        QCOMPARE(StationCallQueue(&away, path).waiting(), 1);
        QVERIFY2(
            away.problem().contains(QLatin1String("Cannot reach the station database")), qPrintable(away.problem()));
        QCOMPARE(away.findContactName(QStringLiteral("0612345678")), QStringLiteral("0612345678"));
        QCOMPARE(CallRegisterTable::open(&away, "0612345678", CallRegisterTable::Incoming, "2026-12-07 20:00:00"), -1);
    }

    // The server's network gone without a word (a cable pulled): nothing closes the connection,
    // and a statement would wait for the system's TCP retries, a quarter of an hour with the
    // window frozen on air. It gives up within seconds and the server is taken for away. The
    // silence is a firewall rule dropping what goes to the server, where one can be set (root).
    void silentNetworkGivesUpSoon()
    {
        if (!m_db)
            QSKIP(noServer);
        // Through a relay of its own, whose port alone goes silent: the other tests go on using
        // the server meanwhile.
        CuttableProxy relay(quint16(TestPostgres::server().port));
        CDatabase database(throughRelay(relay), nullptr);
        QVERIFY(database.query(QStringLiteral("SELECT COUNT(*) FROM contacts")).isActive());
        const QStringList rule { QStringLiteral("INPUT"), QStringLiteral("-p"), QStringLiteral("tcp"),
            QStringLiteral("--dport"), QString::number(relay.port()), QStringLiteral("-j"), QStringLiteral("DROP") };
        if (QProcess::execute(QStringLiteral("iptables"), QStringList { QStringLiteral("-A") } + rule) != 0)
            QSKIP("no firewall rule can be set here (iptables, as root)");
        struct Lifted
        {
            QStringList rule;
            ~Lifted() { QProcess::execute(QStringLiteral("iptables"), QStringList { QStringLiteral("-D") } + rule); }
        } lifted { rule };
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!database.query(QStringLiteral("SELECT COUNT(*) FROM contacts")).isActive());
        QVERIFY2(waited.elapsed() < 8000, qPrintable(QString::number(waited.elapsed())));
        QVERIFY(database.isUnreachable());
    }
};

QTEST_MAIN(TestStationServer)
#include "tst_stationserver.moc"
