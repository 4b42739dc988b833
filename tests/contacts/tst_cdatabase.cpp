#include "CConsole.h"
#include "CDatabase.h"
#include "CallRegisterTable.h"
#include "ContactsTable.h"
#include "DatabaseLocation.h"
#include "SqliteFileAccess.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

class TestCDatabase : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }
    void setWritable(const char* name, bool on)
    {
        QFile::setPermissions(
            path(name), QFile::ReadOwner | QFile::ExeOwner | (on ? QFile::WriteOwner : QFile::ReadOwner));
    }
    // A NUL, written ~, which SQLite counts and stores unlike Qt.
    static QString tricky(QString text) { return text.replace('~', QChar(0)); }

private slots:
    void initTestCase()
    {
        // Permission bits do not hold back root: go on as nobody, still visible to the leak checker.
        const passwd* nobody = getpwnam("nobody");
        QVERIFY(geteuid() != 0
            || (nobody && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0
                && prctl(PR_SET_DUMPABLE, 1) == 0));
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path("app")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data"))); // the user's; it does not exist yet
    }

    void cleanup()
    {
        setWritable("app", true);
        setWritable("data", true);
    }

    void location_data()
    {
        QTest::addColumn<QString>("setup"); // read-only directories, and what parlona.db in the program's holds
        QTest::addColumn<QString>("where"); // empty: nowhere
        QTest::addColumn<int>("errors");    // console lines: cannot be opened, written, or damaged
        QTest::newRow("writable, empty") << "" << QString("app/parlona.db") << 0;
        QTest::newRow("read-only, holds the file") << "app read-only, database" << QString("app/parlona.db") << 1;
        QTest::newRow("read-only, empty") << "app read-only" << QString("data/Orvane/Parlona Control/parlona.db") << 0;
        QTest::newRow("nowhere to create it") << "app read-only, data read-only" << QString() << 1;
        QTest::newRow("not a database: kept aside") << "junk" << QString("app/parlona.db") << 1;
        QTest::newRow("truncated: kept aside") << "database, truncated" << QString("app/parlona.db") << 1;
    }

    void location()
    {
        QFETCH(QString, setup);
        QFETCH(QString, where);
        QFETCH(int, errors);
        if (setup.contains("database")) {
            CDatabase made(path("app"), nullptr);
            made.query(QStringLiteral("CREATE TABLE marker (x)"));
            for (int i = 0; i < 100; ++i)
                made.query(QStringLiteral("INSERT INTO marker VALUES (?)"), { QString(500, QChar('a' + i % 26)) });
        }
        QFile junk(path("app/parlona.db"));
        if (setup.contains("junk"))
            QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(4096, 'x')) && junk.flush());
        const qint64 size = junk.size();
        if (setup.contains("truncated"))
            QVERIFY(junk.resize(size / 2));
        QVERIFY(!setup.contains("data read-only") || QDir().mkpath(path("data")));
        setWritable("data", !setup.contains("data read-only"));
        setWritable("app", !setup.contains("app read-only"));
        CConsole console;
        console.setLevelEnabled(CConsole::Error, true);
        CDatabase db(path("app"), &console);
        QCOMPARE(console.plainText().count(QStringLiteral("ERROR]")), errors);
        QCOMPARE(db.problem().isEmpty(), errors == 0);
        QCOMPARE(db.isOpen() ? db.fileName() : QString(), where.isEmpty() ? where : m_dir->filePath(where));
        // A damaged file is moved aside whole, never deleted, and a fresh one takes its place.
        const bool damaged = setup.contains("junk") || setup.contains("truncated");
        const QFileInfoList aside = QDir(path("app")).entryInfoList({ "parlona.db.damaged-*" });
        QCOMPARE(aside.size(), damaged ? 1 : 0);
        QCOMPARE(damaged ? aside.constFirst().size() : size, setup.contains("truncated") ? size / 2 : size);
        QCOMPARE(db.query(QStringLiteral("SELECT * FROM marker")).isActive(), setup.contains("database") && !damaged);
    }

    // Where a new file is made: beside the program only in a directory of the user's own.
    void locationRules_data()
    {
        QTest::addColumn<bool>("owned"); // the program's directory belongs to the user
        QTest::addColumn<bool>("holds"); // it already holds parlona.db
        QTest::addColumn<QString>("where");
        QTest::newRow("own directory: a build tree") << true << false << "app/parlona.db";
        QTest::newRow("someone else's: installed") << false << false << "data/Orvane/Parlona Control/parlona.db";
        QTest::newRow("someone else's, holding the file") << false << true << "app/parlona.db";
    }

    void locationRules()
    {
        QFETCH(bool, owned);
        QFETCH(bool, holds);
        QVERIFY(!holds || QFile(path("app/parlona.db")).open(QIODevice::WriteOnly));
        DatabaseLocation location;
        location.setOwnerCheck([&](const QFileInfo& directory) {
            return owned && directory.absoluteFilePath() == QFileInfo(path("app")).absoluteFilePath();
        });
        QFETCH(QString, where);
        QCOMPARE(location.path(path("app")), m_dir->filePath(where));
        // Placing is not making: the file appears only where it was already.
        QCOMPARE(QFile::exists(path("app/parlona.db")), holds);
    }

    // Files left by earlier releases (version 0: only contacts and call_register, made by the
    // pages) open with their rows, and get what the program needs now.
    void schema_data()
    {
        QTest::addColumn<QString>("before"); // statements run on the file first, ';'-separated
        QTest::addColumn<QString>("calls");  // the numbers in call_register after opening
        const QString version0
            = "CREATE TABLE contacts (id INTEGER PRIMARY KEY AUTOINCREMENT, first_name TEXT NOT NULL, "
              "last_name TEXT NOT NULL, phone_number TEXT NOT NULL, info TEXT);"
              "CREATE TABLE call_register (id INTEGER PRIMARY KEY AUTOINCREMENT, phone_number TEXT NOT NULL, "
              "call_type INTEGER NOT NULL, duration INTEGER NOT NULL, time_date TEXT NOT NULL);";
        QTest::newRow("new file") << QString() << QString();
        QTest::newRow("earlier release, with data") << version0
                + "INSERT INTO contacts VALUES (NULL, 'Anna', 'A', '0301234567', NULL);"
                  "INSERT INTO call_register VALUES (NULL, '0301234567', 2, 0, '2026-01-02T10:00:00');"
                  "INSERT INTO call_register VALUES (NULL, '0407654321', 0, 5000, '2026-01-02T11:00:00')"
                                                    << "0301234567 0407654321";
        // The release before the producer's notes: its calls are kept and can take notes.
        QTest::newRow("previous version, a call") << version0
                + "CREATE TABLE call_register_open (call_id INTEGER PRIMARY KEY, owner TEXT);"
                  "CREATE TABLE call_declined (call_id INTEGER PRIMARY KEY);"
                + ContactsTable::lookupIndexes()[0] + ';' + ContactsTable::lookupIndexes()[1]
                + ";INSERT INTO call_register VALUES (NULL, '0612345678', 0, 9000, '2026-11-02T10:00:00');"
                  "PRAGMA user_version = 5"
                                                  << "0612345678";
    }

    void schema()
    {
        QFETCH(QString, before);
        QVERIFY(SqliteFileAccess::run(path("app/parlona.db"), before.split(';', Qt::SkipEmptyParts)));
        CConsole console;
        console.setLevelEnabled(CConsole::Error, true);
        CDatabase db(path("app"), &console);
        QStringList calls;
        for (QSqlQuery rows = db.query("SELECT phone_number FROM call_register ORDER BY id"); rows.next();)
            calls << rows.value(0).toString();
        QTEST(calls.join(' '), "calls");
        QCOMPARE(SqliteFileAccess::number(db.fileName(), "PRAGMA user_version"), 9);
        QVERIFY(!db.query("SELECT 1 FROM sqlite_master WHERE name = 'contacts_number_key'").next());
        // The lookup finds its rows by an index from the start, not by a scan at the first ring.
        QString plan;
        for (QSqlQuery rows
             = db.query(QLatin1String("EXPLAIN QUERY PLAN ") + ContactsTable::selectByKey(), { "1234567" });
             rows.next();)
            plan += rows.value(3).toString() + '\n';
        QVERIFY2(plan.contains("contacts_number_digits") && plan.contains("contacts_number_odd"), qPrintable(plan));
        QCOMPARE(db.findContactId("+49301234567"), before.contains("Anna") ? 1 : 0);
        // An earlier release's file is copied, rows and all, before it is upgraded.
        const QStringList copies = QDir(path("app/backups")).entryList({ "parlona-*-upgrade.db" });
        QCOMPARE(copies.size(), before.isEmpty() ? 0 : 1);
        QCOMPARE(copies.isEmpty()
                ? 0
                : SqliteFileAccess::number(path("app/backups/") + copies.first(), "SELECT count(*) FROM contacts"),
            int(before.count("INSERT INTO contacts")));
        // A call kept from before takes notes, which come back with it, and Clear takes them away.
        if (!calls.isEmpty()) {
            const CallNote note { QStringLiteral("Jan de Vries"), QStringLiteral("Zwolle"), QStringLiteral("Ice"),
                true };
            QVERIFY(CallRegisterTable::saveNote(
                &db, SqliteFileAccess::number(db.fileName(), "SELECT max(id) FROM call_register"), note));
            QSqlQuery newest = CallRegisterTable::newest(&db, 1);
            QVERIFY(newest.next());
            QVERIFY(CallRegisterTable::note(newest) == note);
            // Taken before studios were written: nobody's.
            QCOMPARE(newest.value(CallRegisterTable::Studio).toString(), QString());
        }
        // The history's Clear needs call_register_open, which earlier releases never made.
        QVERIFY(CallRegisterTable::clear(&db));
        QCOMPARE(SqliteFileAccess::number(db.fileName(), "SELECT count(*) FROM call_notes"), 0);
        QCOMPARE(SqliteFileAccess::number(db.fileName(), "SELECT count(*) FROM call_register"), 0);
        QCOMPARE(console.plainText().count("ERROR]"), 0);
    }

    // Two programs on one file (no session bus keeps the second from starting): the second
    // recovers only the calls of programs that are gone, never the first one's live call.
    void openCallsOfLivePrograms_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<bool>("recovered");
        QTest::newRow("this program") << CallRegisterTable::ownerTag() << false;
        QTest::newRow("an earlier release") << QString() << true;
        QTest::newRow("a program that has ended") << "ended" << true;
        QTest::newRow("another computer") << "elsewhere.example:1" << false;
    }

    void openCallsOfLivePrograms()
    {
        QFETCH(QString, owner);
        QFETCH(bool, recovered);
        if (owner == "ended") {
            QProcess ended;
            ended.start("true", QStringList());
            QVERIFY(ended.waitForFinished());
            owner = QSysInfo::machineHostName() + ':' + QString::number(ended.processId());
        }
        CDatabase db(path("app"), nullptr);
        db.query("INSERT INTO call_register VALUES (NULL, '0612345678', 0, 5000, '2026-12-07T10:00:00')");
        db.query("INSERT INTO call_register_open (call_id, owner) SELECT max(id), ? FROM call_register",
            { owner.isNull() ? QVariant() : QVariant(owner) });
        const QList<CallRegisterTable::OpenCall> found = CallRegisterTable::leftOpen(&db);
        QCOMPARE(found.size(), recovered ? 1 : 0);
        CallRegisterTable::forgetOpen(&db, found);
        QCOMPARE(SqliteFileAccess::number(db.fileName(), "SELECT count(*) FROM call_register_open"), recovered ? 0 : 1);
        // Clear leaves a call that is going on.
        QVERIFY(CallRegisterTable::clear(&db));
        QCOMPARE(SqliteFileAccess::number(db.fileName(), "SELECT count(*) FROM call_register"), recovered ? 0 : 1);
    }

    void matching_data()
    {
        QTest::addColumn<QString>("home"); // the home country; empty: none known
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("id"); // of the first contact with the same number
        const auto row = [](const char* name, const char* home, const char* number, int id) {
            QTest::newRow(name) << QString(home) << QString(number) << id;
        };
        row("national", "NL", "0612345678", 5);
        row("international, spaced", "NL", "+31 6 1234 5678", 5);
        row("international, 00", "NL", "0031612345678", 5);
        row("same last nine digits, another country", "NL", "+41612345678", 6);
        row("abroad, the national digits are that country's", "CH", "061 234 56 78", 5);
        row("no home country: last nine digits", "", "+41612345678", 5);
        row("no home country, national", "", "0049301234567", 1);
        row("abroad: the first with the same number wins", "DE", "030 1234567", 1);
        row("national elsewhere is another number", "NL", "0301234567", 2);
        row("short", "NL", "1 2 3 4 5", 3);
        row("short code", "NL", "112", 8);
        row("short, with a prefix", "NL", "0112", 0);
        row("empty: withheld, never a contact's", "NL", "", 0);
        row("letters only", "NL", "abc", 0);
        row("letters", "NL", "0800-FLOWERS", 0);
        row("NUL inside: its digits", "NL", "5~912345678", 7);
        row("inserted after the first lookup", "NL", "+31 20 555 0101", 9);
    }

    void matching()
    {
        QFETCH(QString, home);
        QFETCH(QString, number);
        QFETCH(int, id);
        CDatabase db(m_dir->path(), nullptr);
        db.setHomeCountry(home);
        for (const char* stored :
            { "+49301234567", "0301234567", "12345", "", "06 1234 5678", "+41 61 234 56 78", "99~12345678", "112" })
            db.query(QStringLiteral("INSERT INTO contacts VALUES (NULL, 'F', 'L', ?, NULL)"), { tricky(stored) });
        // Written by other code once the lookup is prepared: found all the same.
        QCOMPARE(db.findContactId(QStringLiteral("020-5550101")), 0);
        db.query(QStringLiteral("INSERT INTO contacts VALUES (NULL, 'F', 'L', '(020) 555 01 01', NULL)"));
        QCOMPARE(db.findContactId(tricky(number)), id);
        QCOMPARE(db.knownName(tricky(number)), id != 0 ? QStringLiteral("F L") : QString());
        QCOMPARE(db.findContactName(tricky(number)), id != 0 ? QStringLiteral("F L") : tricky(number));
        // The first instance holds the default connection; a second one does not take it when it goes.
        QCOMPARE(CDatabase(path("app"), nullptr).findContactId(QStringLiteral("0301234567")), 0);
        QVERIFY(QSqlQuery(QStringLiteral("SELECT id FROM contacts")).next());
    }
};

QTEST_MAIN(TestCDatabase)
#include "tst_cdatabase.moc"
