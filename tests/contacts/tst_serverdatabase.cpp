#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CDatabase.h"
#include "CallRegisterTable.h"
#include "ConnectionRecipe.h"
#include "ContactImportJob.h"
#include "ContactSearch.h"
#include "CuttableProxy.h"
#include "DatabaseSchema.h"
#include "PhonebookForm.h"
#include "TestPostgres.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTcpServer>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

// The phonebook and the history on a station's PostgreSQL server, through the same CDatabase and
// tables the program uses with its file (scripts/with-postgres.sh starts the server).
class TestServerDatabase : public QObject
{
    Q_OBJECT

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

private slots:
    void init()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        QString error;
        m_name = TestPostgres::freshDatabase(&error);
        QVERIFY2(!m_name.isEmpty(), qPrintable(error));
        m_db = std::make_unique<CDatabase>(TestPostgres::server(m_name), nullptr);
        m_db->setHomeCountry(QStringLiteral("NL"));
    }

    void cleanup() { m_db.reset(); }

    // A new server database is made up to date; a second studio finds it so and writes nothing.
    void opens()
    {
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
        CuttableProxy proxy(quint16(TestPostgres::server().port));
        DatabaseServer server = TestPostgres::server(m_name);
        server.port = proxy.port();
        CDatabase database(server, nullptr);
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

    // A server that is not there: told, never taken for one without contacts or calls.
    void unreachable()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        DatabaseServer server = TestPostgres::server(m_name);
        server.port = listener.serverPort();
        listener.close();
        CDatabase away(server, nullptr);
        QVERIFY(!away.isOpen());
        QVERIFY(away.isUnreachable());
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
        // Through a relay of its own, whose port alone goes silent: the other tests go on using
        // the server meanwhile.
        DatabaseServer server = TestPostgres::server(m_name);
        CuttableProxy relay(quint16(server.port));
        server.port = relay.port();
        CDatabase database(server, nullptr);
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

QTEST_MAIN(TestServerDatabase)
#include "tst_serverdatabase.moc"
