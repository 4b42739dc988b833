#include "CConsole.h"
#include "CDatabase.h"

#include <QDir>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <memory>

namespace {

const char* const createContacts
    = "CREATE TABLE contacts (id INTEGER PRIMARY KEY, first_name, last_name, phone_number)";

void setWritable(const QString& path, bool writable)
{
    const auto readable = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(path, writable ? readable | QFileDevice::WriteOwner : readable);
}

void add(CDatabase* db, const QString& first, const QString& last, const QString& number)
{
    QVERIFY(
        db->query(QStringLiteral("INSERT INTO contacts VALUES (NULL, ?, ?, ?)"), { first, last, number }).isActive());
}

} // namespace

class TestCDatabase : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CConsole> m_console;

    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        // Permission bits do not hold back root: carry on as the unprivileged user.
        if (geteuid() == 0) {
            // Changing the user makes the process undumpable, hiding it from the leak checker: undo that.
            const passwd* nobody = getpwnam("nobody");
            QVERIFY(nobody && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0
                && prctl(PR_SET_DUMPABLE, 1) == 0);
        }
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path("app")));
        // The user's data directory, inside the test's own directory; it does not exist yet.
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        m_console = std::make_unique<CConsole>();
        m_console->setLevelEnabled(CConsole::Error, true);
    }

    void cleanup()
    {
        setWritable(path("app"), true);
        setWritable(path("data"), true);
        m_dir.reset();
    }

    void location_data()
    {
        QTest::addColumn<bool>("appWritable");
        QTest::addColumn<bool>("dataWritable");
        QTest::addColumn<QString>("content"); // of parlona.db in the program's directory
        QTest::addColumn<QString>("where");   // empty: nowhere
        QTest::newRow("writable, empty") << true << true << "" << QString("app");
        QTest::newRow("writable, holds the file") << true << true << "database" << QString("app");
        QTest::newRow("read-only, holds the file") << false << true << "database" << QString("app");
        QTest::newRow("read-only, empty") << false << true << "" << QString("data/Orvane/Parlona Control");
        QTest::newRow("nowhere to create it") << false << false << "" << QString();
        QTest::newRow("not a database") << true << true << "junk" << QString();
    }

    void location()
    {
        QFETCH(bool, appWritable);
        QFETCH(bool, dataWritable);
        QFETCH(QString, content);
        QFETCH(QString, where);
        if (content == "database")
            QVERIFY(CDatabase(path("app"), nullptr).query(QStringLiteral("CREATE TABLE marker (x)")).isActive());
        QFile file(path("app/parlona.db"));
        if (content == "junk")
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) && file.flush());
        if (!dataWritable)
            QVERIFY(QDir().mkpath(path("data")));
        setWritable(path("data"), dataWritable);
        setWritable(path("app"), appWritable);

        CDatabase db(path("app"), m_console.get());
        if (where.isEmpty()) {
            // Reported once; then nothing runs, nothing is found and nothing more is reported.
            QVERIFY(
                !db.query(QStringLiteral("SELECT 1")).next() && !db.query(QStringLiteral("SELECT ?"), { 1 }).next());
            QCOMPARE(db.findContactId(QStringLiteral("0301234567")), 0);
            QVERIFY(m_console->plainText().contains(QStringLiteral("Cannot open the database")));
        } else {
            QCOMPARE(db.fileName(), m_dir->filePath(where + QStringLiteral("/parlona.db")));
            QVERIFY(QFile::exists(db.fileName()));
            QCOMPARE(db.query(QStringLiteral("SELECT * FROM marker")).isActive(), content == "database");
        }
        QCOMPARE(db.isOpen(), !where.isEmpty());
        QCOMPARE(m_console->plainText().count(QStringLiteral("ERROR]")), where.isEmpty() ? 1 : 0);
    }

    void matching_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("id");
        // Stored: 1 "+49301234567", 2 "0301234567" (same last nine), 3 "12345", 4 "", 5 "987654321".
        QTest::newRow("equal") << "987654321" << 5;
        QTest::newRow("key shared: the first contact wins") << "0301234567" << 1;
        QTest::newRow("longer") << "0049301234567" << 1;
        QTest::newRow("shorter, nine characters") << "301234567" << 1;
        QTest::newRow("shorter, eight characters") << "01234567" << 0;
        QTest::newRow("short, equal") << "12345" << 3;
        QTest::newRow("short, with a prefix") << "012345" << 0;
        QTest::newRow("empty") << "" << 4;
        QTest::newRow("null") << QString() << 4;
    }

    void matching()
    {
        QFETCH(QString, number);
        QFETCH(int, id);
        CDatabase db(m_dir->path(), nullptr);
        db.query(QLatin1String(createContacts));
        for (const char* stored : { "+49301234567", "0301234567", "12345", "", "987654321" })
            add(&db, QString(), QString(), QLatin1String(stored));
        QCOMPARE(db.findContactId(number), id);
    }

    void firstInstanceIsTheDefaultConnection()
    {
        // The first database is Qt's default connection, so a default query sees its data. A
        // second one alive at the same time neither sees those data nor takes the connection
        // with it when it goes.
        CDatabase db(m_dir->path(), nullptr);
        db.query(QLatin1String(createContacts));
        add(&db, QStringLiteral("Dora"), QStringLiteral("Delta"), QStringLiteral("0301234567"));
        QSqlQuery byDefault(QStringLiteral("SELECT first_name FROM contacts"));
        QVERIFY(byDefault.next());
        QCOMPARE(byDefault.value(0).toString(), QStringLiteral("Dora"));
        {
            QTemporaryDir otherDir;
            QCOMPARE(CDatabase(otherDir.path(), nullptr).findContactId(QStringLiteral("0301234567")), 0);
        }
        QCOMPARE(db.findContactId(QStringLiteral("0301234567")), 1);
        QCOMPARE(QSqlDatabase::database().databaseName(), db.fileName());
    }

    void lookupAgreesWithAFullScan()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        CDatabase db(m_dir->path(), nullptr);
        db.query(QLatin1String(createContacts));
        // A small alphabet, so that many numbers share their key, with characters that SQLite
        // counts or stores differently from Qt: NUL, non-ASCII, lone surrogates, U+FFFD.
        const QStringList pieces = QStringList { "0", "1", "2", "+", " ", "a", "A", "ü", "😀" }
            << QChar(0) << QChar(0xDC00) << QChar(0xD800) << QChar(QChar::ReplacementCharacter);
        QRandomGenerator random(20240611);
        auto randomNumber = [&](int maxLength) {
            QString number = QLatin1String("");
            for (int i = random.bounded(maxLength + 1); i > 0; --i)
                number += pieces.at(random.bounded(10) < 7 ? random.bounded(3) : random.bounded(pieces.size()));
            return number;
        };
        QVERIFY(db.database().transaction());
        for (int i = 0; i < 400; ++i)
            add(&db, QStringLiteral("F%1").arg(i), QStringLiteral("L"), randomNumber(13));
        QVERIFY(db.database().commit());
        QStringList stored; // as SQLite gives them back
        for (QSqlQuery all = db.query(QStringLiteral("SELECT phone_number FROM contacts ORDER BY id")); all.next();)
            stored << all.value(0).toString();

        int matched = 0;
        for (const QString& number : qAsConst(stored)) {
            for (const QString& asked : { number, randomNumber(4) + number, randomNumber(12) }) {
                // The rule written out plainly: the first contact whose number has the same key.
                int expected = 0;
                for (int i = 0; i < stored.size() && !expected; ++i)
                    expected = stored[i].right(9) == asked.right(9) ? i + 1 : 0;
                QCOMPARE(db.findContactId(asked), expected);
                QCOMPARE(db.findContactName(asked), expected ? QStringLiteral("F%1 L").arg(expected - 1) : asked);
                matched += expected ? 1 : 0;
            }
        }
        QLoggingCategory::setFilterRules(QString());
        // The comparison means something only when both outcomes occur often.
        QVERIFY(matched > 400 && matched < 1100);
    }
};

QTEST_MAIN(TestCDatabase)
#include "tst_cdatabase.moc"
