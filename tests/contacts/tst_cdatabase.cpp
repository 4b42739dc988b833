#include "CConsole.h"
#include "CDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <memory>

namespace {

const char* const createContacts = "CREATE TABLE contacts (id INTEGER PRIMARY KEY AUTOINCREMENT, first_name TEXT NOT "
                                   "NULL, last_name TEXT NOT NULL, phone_number TEXT NOT NULL, info TEXT)";
const char* const insertContact
    = "INSERT INTO contacts (first_name, last_name, phone_number, info) VALUES (?, ?, ?, '')";

struct Match
{
    int id = 0;
    QString name;
};

// The lookup rule written out plainly: every contact in id order, compared by the last nine
// characters of both numbers; the first equal one wins.
Match scanForContact(QSqlDatabase db, const QString& number)
{
    QSqlQuery all(db);
    all.exec(QStringLiteral("SELECT id, first_name, last_name, phone_number FROM contacts ORDER BY id"));
    const QString wanted = number.length() > 9 ? number.mid(number.length() - 9) : number;
    while (all.next()) {
        const QString stored = all.value(3).toString();
        const QString key = stored.length() > 9 ? stored.mid(stored.length() - 9) : stored;
        if (key == wanted)
            return { all.value(0).toInt(), all.value(1).toString() + QLatin1Char(' ') + all.value(2).toString() };
    }
    return { 0, number };
}

void makeReadOnly(const QString& path, bool readOnly)
{
    QFile::setPermissions(path,
        readOnly ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                 : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

int errorLines(const CConsole& console)
{
    return console.plainText().count(QStringLiteral("ERROR]"));
}

} // namespace

class TestCDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void location_data();
    void location();
    void unusableFileIsReportedOnce_data();
    void unusableFileIsReportedOnce();
    void dataSurviveARestart();
    void valuesAreStoredVerbatim_data();
    void valuesAreStoredVerbatim();
    void failedStatementGivesNoRows();
    void matching_data();
    void matching();
    void lookupsFollowEveryChange();
    void lookupIsServedByAnIndex();
    void lookupAgreesWithAFullScan();
    void instancesKeepTheirOwnConnections();

private:
    std::unique_ptr<CDatabase> openIn(const QString& directory);
    void addContact(CDatabase* db, const QString& first, const QString& last, const QString& number);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CConsole> m_console;
};

void TestCDatabase::initTestCase()
{
    // Permission bits do not hold back root, and this test needs a directory that cannot be
    // written to: carry on as the unprivileged user.
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        QVERIFY(nobody);
        QVERIFY(setgroups(0, nullptr) == 0);
        QVERIFY(setgid(nobody->pw_gid) == 0);
        QVERIFY(setuid(nobody->pw_uid) == 0);
        // Changing the user makes the process undumpable, which would keep the leak checker
        // of a sanitizer build from inspecting it at exit.
        QVERIFY(prctl(PR_SET_DUMPABLE, 1) == 0);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
}

void TestCDatabase::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The fallback location of the database, kept inside the test's own directory.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("data"))));
    m_console = std::make_unique<CConsole>();
    m_console->setLevelEnabled(CConsole::Error, true);
    m_console->setLevelEnabled(CConsole::Info, true);
}

void TestCDatabase::cleanup()
{
    // Give the temporary directory back its write permission so that it can be removed.
    for (const QString& name : { QStringLiteral("app"), QStringLiteral("data"), QString() })
        makeReadOnly(m_dir->filePath(name), false);
    m_console.reset();
    m_dir.reset();
}

std::unique_ptr<CDatabase> TestCDatabase::openIn(const QString& directory)
{
    return std::make_unique<CDatabase>(directory, m_console.get());
}

void TestCDatabase::addContact(CDatabase* db, const QString& first, const QString& last, const QString& number)
{
    QVERIFY(db->query(QLatin1String(insertContact), { first, last, number }).isActive());
}

void TestCDatabase::location_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("holdsDatabase");
    QTest::addColumn<bool>("inProgramDirectory");

    QTest::newRow("writable, empty") << true << false << true;
    QTest::newRow("writable, holds the file") << true << true << true;
    QTest::newRow("read-only, holds the file") << false << true << true;
    QTest::newRow("read-only, empty") << false << false << false;
}

void TestCDatabase::location()
{
    QFETCH(bool, writable);
    QFETCH(bool, holdsDatabase);
    QFETCH(bool, inProgramDirectory);

    const QString programDir = m_dir->filePath(QStringLiteral("app"));
    QVERIFY(QDir().mkpath(programDir));
    const QString programFile = programDir + QStringLiteral("/parlona.db");
    if (holdsDatabase) {
        auto first = openIn(programDir);
        QVERIFY(first->query(QStringLiteral("CREATE TABLE marker (x TEXT)")).isActive());
        QVERIFY(first->query(QStringLiteral("INSERT INTO marker VALUES ('kept')")).isActive());
    }
    makeReadOnly(programDir, !writable);

    const QString fallbackFile = m_dir->filePath(QStringLiteral("data/Orvane/Parlona Control/parlona.db"));
    const QString expected = inProgramDirectory ? programFile : fallbackFile;
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Database file: ") + expected));
    auto db = openIn(programDir);

    QCOMPARE(db->fileName(), expected);
    QVERIFY(db->isOpen());
    QVERIFY(QFileInfo::exists(expected));
    QCOMPARE(QFileInfo::exists(fallbackFile), !inProgramDirectory);
    QCOMPARE(errorLines(*m_console), 0);
    if (holdsDatabase) {
        QSqlQuery marker = db->query(QStringLiteral("SELECT x FROM marker"));
        QVERIFY(marker.next());
        QCOMPARE(marker.value(0).toString(), QStringLiteral("kept"));
    }
}

void TestCDatabase::unusableFileIsReportedOnce_data()
{
    QTest::addColumn<bool>("garbageFile");
    QTest::newRow("nowhere to create it") << false;
    QTest::newRow("not a database") << true;
}

void TestCDatabase::unusableFileIsReportedOnce()
{
    QFETCH(bool, garbageFile);

    const QString programDir = m_dir->filePath(QStringLiteral("app"));
    QVERIFY(QDir().mkpath(programDir));
    if (garbageFile) {
        QFile file(programDir + QStringLiteral("/parlona.db"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    } else {
        // Neither the program's directory nor the user's data directory can be written.
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("data"))));
        makeReadOnly(m_dir->filePath(QStringLiteral("data")), true);
        makeReadOnly(programDir, true);
    }

    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Database file: ")));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Database not opened: ")));
    auto db = openIn(programDir);

    QVERIFY(!db->isOpen());
    QCOMPARE(errorLines(*m_console), 1);
    QVERIFY(m_console->plainText().contains(QStringLiteral("Cannot open the database")));

    // Nothing runs, nothing is found, and nothing more is reported.
    QSqlQuery result = db->query(QStringLiteral("SELECT 1"));
    QVERIFY(!result.isActive());
    QVERIFY(!result.next());
    QVERIFY(!db->query(QStringLiteral("SELECT ?"), { 1 }).isActive());
    QCOMPARE(db->findContactName(QStringLiteral("0301234567")), QStringLiteral("0301234567"));
    QTest::ignoreMessage(QtDebugMsg, "findContactId \"0301234567\"");
    QCOMPARE(db->findContactId(QStringLiteral("0301234567")), 0);
    QCOMPARE(errorLines(*m_console), 1);
}

void TestCDatabase::dataSurviveARestart()
{
    {
        auto db = openIn(m_dir->path());
        QVERIFY(db->query(QLatin1String(createContacts)).isActive());
        addContact(db.get(), QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"));
    }
    auto db = openIn(m_dir->path());
    // Creating the table again fails, is written to the debug stream and leaves the data alone.
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("table contacts already exists")));
    QVERIFY(!db->query(QLatin1String(createContacts)).isActive());
    QCOMPARE(db->findContactName(QStringLiteral("+49301234567")), QStringLiteral("Anna Alpha"));
}

void TestCDatabase::valuesAreStoredVerbatim_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("apostrophe") << QStringLiteral("O'Brien");
    QTest::newRow("closing statement") << QStringLiteral("x'); DELETE FROM contacts; --");
    QTest::newRow("drop table") << QStringLiteral("'; DROP TABLE contacts; --");
    QTest::newRow("semicolons and quotes") << QStringLiteral("a;b\"c\"'d'");
    QTest::newRow("placeholders") << QStringLiteral("? :name %1");
    QTest::newRow("non-ASCII") << QStringLiteral("Jürgen \u00e9\u00e8 \U0001F600");
}

void TestCDatabase::valuesAreStoredVerbatim()
{
    QFETCH(QString, text);
    auto db = openIn(m_dir->path());
    QVERIFY(db->query(QLatin1String(createContacts)).isActive());
    addContact(db.get(), QStringLiteral("Keep"), QStringLiteral("Me"), QStringLiteral("111"));
    addContact(db.get(), text, text, text);

    QSqlQuery rows = db->query(QStringLiteral("SELECT first_name, last_name, phone_number FROM contacts ORDER BY id"));
    QVERIFY(rows.next());
    QCOMPARE(rows.value(0).toString(), QStringLiteral("Keep"));
    QVERIFY(rows.next());
    QCOMPARE(rows.value(0).toString(), text);
    QCOMPARE(rows.value(1).toString(), text);
    QCOMPARE(rows.value(2).toString(), text);
    QVERIFY(!rows.next());

    QSqlQuery found = db->query(QStringLiteral("SELECT count(*) FROM contacts WHERE phone_number = ?"), { text });
    QVERIFY(found.next());
    QCOMPARE(found.value(0).toInt(), 1);
}

void TestCDatabase::failedStatementGivesNoRows()
{
    auto db = openIn(m_dir->path());
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("no such table: nowhere")));
    QSqlQuery result = db->query(QStringLiteral("SELECT * FROM nowhere"));
    QVERIFY(!result.isActive());
    QVERIFY(!result.next());

    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("no such table: nowhere")));
    QVERIFY(!db->query(QStringLiteral("SELECT * FROM nowhere WHERE x = ?"), { 1 }).isActive());
    // The connection is still usable afterwards.
    QVERIFY(db->query(QStringLiteral("SELECT 1")).next());
}

void TestCDatabase::matching_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");

    // Contacts (id: stored number): 1 "+49301234567", 2 "0301234567" (same last nine digits
    // "301234567"), 3 "12345", 4 "", 5 "987654321", 6 "abcDEF123".
    QTest::newRow("equal to a stored number") << QStringLiteral("+49301234567") << 1 << QStringLiteral("Anna Alpha");
    QTest::newRow("shared key: the first contact wins")
        << QStringLiteral("0301234567") << 1 << QStringLiteral("Anna Alpha");
    QTest::newRow("longer prefix") << QStringLiteral("0049301234567") << 1 << QStringLiteral("Anna Alpha");
    QTest::newRow("just the nine digits") << QStringLiteral("301234567") << 1 << QStringLiteral("Anna Alpha");
    QTest::newRow("eight of the nine digits") << QStringLiteral("01234567") << 0 << QStringLiteral("01234567");
    QTest::newRow("short number, same short key") << QStringLiteral("12345") << 3 << QStringLiteral("Carl Gamma");
    QTest::newRow("short number with a prefix") << QStringLiteral("012345") << 0 << QStringLiteral("012345");
    QTest::newRow("short end of a long stored number") << QStringLiteral("234567") << 0 << QStringLiteral("234567");
    QTest::newRow("stored with exactly nine") << QStringLiteral("987654321") << 5 << QStringLiteral("Emil Epsilon");
    QTest::newRow("exactly nine stored, longer asked")
        << QStringLiteral("+1987654321") << 5 << QStringLiteral("Emil Epsilon");
    QTest::newRow("empty number") << QStringLiteral("") << 4 << QStringLiteral("Dora Delta");
    QTest::newRow("null number") << QString() << 4 << QStringLiteral("Dora Delta");
    QTest::newRow("letters compare exactly") << QStringLiteral("abcdef123") << 0 << QStringLiteral("abcdef123");
    QTest::newRow("letters with a prefix") << QStringLiteral("xabcDEF123") << 6 << QStringLiteral("Fritz Zeta");
    QTest::newRow("unknown") << QStringLiteral("+44207946000") << 0 << QStringLiteral("+44207946000");
}

void TestCDatabase::matching()
{
    QFETCH(QString, number);
    QFETCH(int, id);
    QFETCH(QString, name);

    auto db = openIn(m_dir->path());
    QVERIFY(db->query(QLatin1String(createContacts)).isActive());
    QVERIFY(db->database().transaction());
    addContact(db.get(), QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("+49301234567"));
    addContact(db.get(), QStringLiteral("Bert"), QStringLiteral("Beta"), QStringLiteral("0301234567"));
    addContact(db.get(), QStringLiteral("Carl"), QStringLiteral("Gamma"), QStringLiteral("12345"));
    addContact(db.get(), QStringLiteral("Dora"), QStringLiteral("Delta"), QStringLiteral(""));
    addContact(db.get(), QStringLiteral("Emil"), QStringLiteral("Epsilon"), QStringLiteral("987654321"));
    addContact(db.get(), QStringLiteral("Fritz"), QStringLiteral("Zeta"), QStringLiteral("abcDEF123"));
    QVERIFY(db->database().commit());

    QCOMPARE(db->findContactName(number), name);
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("findContactId \"%1\"").arg(number)));
    QCOMPARE(db->findContactId(number), id);
}

void TestCDatabase::lookupsFollowEveryChange()
{
    auto db = openIn(m_dir->path());
    const QString number = QStringLiteral("+49301234567");
    // Before the phonebook made its table nothing matches.
    QCOMPARE(db->findContactName(number), number);

    QVERIFY(db->query(QLatin1String(createContacts)).isActive());
    QCOMPARE(db->findContactName(number), number);
    addContact(db.get(), QStringLiteral("Bert"), QStringLiteral("Beta"), QStringLiteral("0301234567"));
    QCOMPARE(db->findContactName(number), QStringLiteral("Bert Beta"));

    QVERIFY(db->query(QStringLiteral("UPDATE contacts SET first_name = ? WHERE id = 1"), { QStringLiteral("Berta") })
                .isActive());
    QCOMPARE(db->findContactName(number), QStringLiteral("Berta Beta"));

    QVERIFY(db->query(QStringLiteral("UPDATE contacts SET phone_number = '0401234567' WHERE id = 1")).isActive());
    QCOMPARE(db->findContactName(number), number);
    QCOMPARE(db->findContactName(QStringLiteral("0401234567")), QStringLiteral("Berta Beta"));

    QVERIFY(db->query(QStringLiteral("DELETE FROM contacts")).isActive());
    QCOMPARE(db->findContactName(QStringLiteral("0401234567")), QStringLiteral("0401234567"));

    // A table dropped and made anew is looked up too.
    QVERIFY(db->query(QStringLiteral("DROP TABLE contacts")).isActive());
    QCOMPARE(db->findContactName(number), number);
    QVERIFY(db->query(QLatin1String(createContacts)).isActive());
    addContact(db.get(), QStringLiteral("Carl"), QStringLiteral("Gamma"), number);
    QCOMPARE(db->findContactName(number), QStringLiteral("Carl Gamma"));

    // So are changes made by another connection to the same file.
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName(db->fileName());
    QVERIFY(other.open());
    QVERIFY(QSqlQuery(other).exec(QStringLiteral("UPDATE contacts SET last_name = 'Gammon'")));
    QCOMPARE(db->findContactName(number), QStringLiteral("Carl Gammon"));
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

void TestCDatabase::lookupIsServedByAnIndex()
{
    auto db = openIn(m_dir->path());
    QVERIFY(db->query(QLatin1String(createContacts)).isActive());
    addContact(db.get(), QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"));
    QCOMPARE(db->findContactName(QStringLiteral("0301234567")), QStringLiteral("Anna Alpha"));

    QSqlQuery plan = db->query(QStringLiteral("EXPLAIN QUERY PLAN SELECT id FROM contacts "
                                              "WHERE substr(phone_number, -9) = ? ORDER BY id"),
        { QStringLiteral("301234567") });
    QStringList steps;
    while (plan.next())
        steps << plan.value(3).toString();
    QVERIFY2(steps.join(QLatin1Char('|')).contains(QStringLiteral("USING INDEX contacts_number_key")),
        qPrintable(steps.join(QLatin1Char('|'))));

    // The file stays readable the old way: the table's columns are untouched.
    QSqlQuery columns = db->query(QStringLiteral("SELECT * FROM contacts"));
    QVERIFY(columns.next());
    QCOMPARE(columns.value(3).toString(), QStringLiteral("0301234567"));
}

void TestCDatabase::lookupAgreesWithAFullScan()
{
    auto db = openIn(m_dir->path());
    QVERIFY(db->query(QLatin1String(createContacts)).isActive());

    // Numbers from a small alphabet, so that many share their last nine characters, with the
    // characters that SQLite counts or stores differently from Qt mixed in.
    const QStringList pieces = { QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("+"),
        QStringLiteral(" "), QStringLiteral("a"), QStringLiteral("A"), QString(QChar(0)), QStringLiteral("\u00fc"),
        QStringLiteral("\U0001F600"), QString(QChar(0xDC00)), QString(QChar(0xD800)),
        QString(QChar(QChar::ReplacementCharacter)) };
    QRandomGenerator random(20240611);
    auto randomNumber = [&](int maxLength) {
        QString number = QLatin1String("");
        const int length = random.bounded(maxLength + 1);
        for (int i = 0; i < length; ++i) {
            // Mostly digits, now and then anything else.
            const int pick = random.bounded(10) < 7 ? random.bounded(3) : random.bounded(pieces.size());
            number += pieces.at(pick);
        }
        return number;
    };

    QVERIFY(db->database().transaction());
    for (int i = 0; i < 400; ++i)
        addContact(db.get(), QStringLiteral("F%1").arg(i), QStringLiteral("L%1").arg(i), randomNumber(13));
    QVERIFY(db->database().commit());
    QStringList asked;
    for (int i = 0; i < 400; ++i) {
        // Stored numbers read back, with a new prefix, and numbers made up afresh.
        QSqlQuery row = db->query(QStringLiteral("SELECT phone_number FROM contacts WHERE id = ?"), { i + 1 });
        QVERIFY(row.next());
        const QString back = row.value(0).toString();
        asked << back << randomNumber(4) + back << randomNumber(12);
    }

    int matched = 0;
    for (const QString& number : qAsConst(asked)) {
        const Match expected = scanForContact(db->database(), number);
        QCOMPARE(db->findContactName(number), expected.name);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^findContactId ")));
        QCOMPARE(db->findContactId(number), expected.id);
        if (expected.id != 0)
            ++matched;
    }
    // The comparison means something only when both outcomes occur often.
    QVERIFY(matched > 400);
    QVERIFY(matched < asked.size() - 100);
}

void TestCDatabase::instancesKeepTheirOwnConnections()
{
    QTemporaryDir otherDir;
    auto a = openIn(m_dir->path());
    auto b = openIn(otherDir.path());
    QVERIFY(a->database().connectionName() != b->database().connectionName());
    QVERIFY(a->query(QLatin1String(createContacts)).isActive());
    QVERIFY(b->query(QLatin1String(createContacts)).isActive());
    addContact(a.get(), QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"));

    QCOMPARE(a->findContactName(QStringLiteral("0301234567")), QStringLiteral("Anna Alpha"));
    QCOMPARE(b->findContactName(QStringLiteral("0301234567")), QStringLiteral("0301234567"));
    // Qt's default connection is left to others.
    QVERIFY(!QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection)));

    const QString nameOfA = a->database().connectionName();
    a.reset();
    QVERIFY(!QSqlDatabase::contains(nameOfA));
    QCOMPARE(b->findContactName(QStringLiteral("0301234567")), QStringLiteral("0301234567"));
}

QTEST_MAIN(TestCDatabase)
#include "tst_cdatabase.moc"
