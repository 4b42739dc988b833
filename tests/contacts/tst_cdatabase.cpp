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

void setWritable(const QString& path, bool writable)
{
    const auto readable = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(path, writable ? readable | QFileDevice::WriteOwner : readable);
}

// A contacts table holding these numbers, with ids from 1 and first names F0, F1, ...
void addContacts(CDatabase* db, const QStringList& numbers)
{
    db->query(QStringLiteral("CREATE TABLE contacts (id INTEGER PRIMARY KEY, first_name, last_name, phone_number)"));
    QVERIFY(db->database().transaction());
    for (int i = 0; i < numbers.size(); ++i)
        db->query(
            QStringLiteral("INSERT INTO contacts VALUES (NULL, ?, 'L', ?)"), { "F" + QString::number(i), numbers[i] });
    QVERIFY(db->database().commit());
}

} // namespace

class TestCDatabase : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        // Permission bits do not hold back root: go on as nobody, still visible to the leak checker.
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            QVERIFY(nobody && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0
                && prctl(PR_SET_DUMPABLE, 1) == 0);
        }
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path("app")));
        // The user's data directory, inside the test's own; it does not exist yet.
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
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
        QTest::addColumn<QString>("where");   // empty: nowhere, reported once
        QTest::newRow("writable, empty") << true << true << "" << QString("app");
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
            CDatabase(path("app"), nullptr).query(QStringLiteral("CREATE TABLE marker (x)"));
        QFile junk(path("app/parlona.db"));
        if (content == "junk")
            QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(4096, 'x')) && junk.flush());
        if (!dataWritable)
            QVERIFY(QDir().mkpath(path("data")));
        setWritable(path("data"), dataWritable);
        setWritable(path("app"), appWritable);

        CConsole console;
        console.setLevelEnabled(CConsole::Error, true);
        CDatabase db(path("app"), &console);
        QCOMPARE(db.isOpen(), !where.isEmpty());
        QCOMPARE(console.plainText().count(QStringLiteral("ERROR]")), where.isEmpty() ? 1 : 0);
        if (!where.isEmpty()) {
            QCOMPARE(db.fileName(), m_dir->filePath(where + QStringLiteral("/parlona.db")));
            QCOMPARE(db.query(QStringLiteral("SELECT * FROM marker")).isActive(), content == "database");
        }
    }

    void matching_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("id");
        // Stored: 1 "+49301234567", 2 "0301234567" (same last nine), 3 "12345", 4 "".
        QTest::newRow("key shared: the first contact wins") << "0301234567" << 1;
        QTest::newRow("longer") << "0049301234567" << 1;
        QTest::newRow("shorter, eight characters") << "01234567" << 0;
        QTest::newRow("short, with a prefix") << "012345" << 0;
        QTest::newRow("empty") << "" << 4;
    }

    void matching()
    {
        QFETCH(QString, number);
        QFETCH(int, id);
        CDatabase db(m_dir->path(), nullptr);
        addContacts(&db, { "+49301234567", "0301234567", "12345", "" });
        QCOMPARE(db.findContactId(number), id);
    }

    void firstInstanceIsTheDefaultConnection()
    {
        // A default query sees the first database's data; a second one alive at the same time
        // does not, nor does it take the connection with it when it goes.
        CDatabase db(m_dir->path(), nullptr);
        addContacts(&db, { "0301234567" });
        QTemporaryDir otherDir;
        QCOMPARE(CDatabase(otherDir.path(), nullptr).findContactId(QStringLiteral("0301234567")), 0);
        QSqlQuery byDefault(QStringLiteral("SELECT first_name FROM contacts"));
        QVERIFY(byDefault.next());
        QCOMPARE(byDefault.value(0).toString(), QStringLiteral("F0"));
    }

    void lookupAgreesWithAFullScan()
    {
        // Numbers from a small alphabet share many keys; some hold characters that SQLite counts
        // or stores differently from Qt: NUL, non-ASCII, lone surrogates, U+FFFD.
        const QStringList pieces { "0", "1", "+", "ü", "😀", QChar(0), QChar(0xDC00),
            QChar(QChar::ReplacementCharacter) };
        QRandomGenerator random(20240611);
        QStringList numbers; // the first 150 are stored, the rest only asked for
        for (int i = 0; i < 300; ++i) {
            numbers << QLatin1String("");
            for (int n = random.bounded(13); n > 0; --n)
                numbers[i] += pieces.at(random.bounded(4) ? random.bounded(2) : random.bounded(pieces.size()));
        }
        CDatabase db(m_dir->path(), nullptr);
        addContacts(&db, numbers.mid(0, 150));
        QSqlQuery all = db.query(QStringLiteral("SELECT phone_number FROM contacts ORDER BY id"));
        for (int i = 0; all.next(); ++i)
            numbers[i] = all.value(0).toString(); // as SQLite gives them back

        int matched = 0;
        for (const QString& asked : qAsConst(numbers)) {
            // The rule written out plainly: the first contact whose number ends alike.
            int expected = 0;
            for (int i = 0; i < 150 && !expected; ++i)
                expected = numbers[i].right(9) == asked.right(9) ? i + 1 : 0;
            QCOMPARE(db.findContactId(asked), expected);
            matched += expected ? 1 : 0;
        }
        QVERIFY(matched > 150 && matched < 300); // both outcomes occur among the numbers not stored
    }
};

QTEST_MAIN(TestCDatabase)
#include "tst_cdatabase.moc"
