#include "CConsole.h"
#include "CDatabase.h"

#include <QDir>
#include <QSqlQuery>
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
    // Characters SQLite counts or stores unlike Qt: ~ NUL, # U+FFFD, @ an emoji (two UTF-16 units).
    static QString tricky(QString text)
    {
        return text.replace('~', QChar(0)).replace('#', QChar(0xFFFD)).replace('@', QString("\U0001F600"));
    }

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
        QTest::addColumn<QString>("where"); // empty: nowhere, reported once
        QTest::newRow("writable, empty") << "" << QString("app/parlona.db");
        QTest::newRow("read-only, holds the file") << "app read-only, database" << QString("app/parlona.db");
        QTest::newRow("read-only, empty") << "app read-only" << QString("data/Orvane/Parlona Control/parlona.db");
        QTest::newRow("nowhere to create it") << "app read-only, data read-only" << QString();
        QTest::newRow("not a database") << "junk" << QString();
    }

    void location()
    {
        QFETCH(QString, setup);
        QFETCH(QString, where);
        if (setup.contains("database"))
            CDatabase(path("app"), nullptr).query(QStringLiteral("CREATE TABLE marker (x)"));
        QFile junk(path("app/parlona.db"));
        if (setup.contains("junk"))
            QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(4096, 'x')) && junk.flush());
        QVERIFY(!setup.contains("data read-only") || QDir().mkpath(path("data")));
        setWritable("data", !setup.contains("data read-only"));
        setWritable("app", !setup.contains("app read-only"));
        CConsole console;
        console.setLevelEnabled(CConsole::Error, true);
        CDatabase db(path("app"), &console);
        QCOMPARE(console.plainText().count(QStringLiteral("ERROR]")), where.isEmpty() ? 1 : 0);
        QCOMPARE(db.isOpen() ? db.fileName() : QString(), where.isEmpty() ? where : m_dir->filePath(where));
        QCOMPARE(db.query(QStringLiteral("SELECT * FROM marker")).isActive(), setup.contains("database"));
    }

    void matching_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("id"); // of the first contact whose number ends in the same nine characters
        QTest::newRow("key shared: the first contact wins") << "0301234567" << 1;
        QTest::newRow("longer") << "0049301234567" << 1;
        QTest::newRow("shorter, eight characters") << "01234567" << 0;
        QTest::newRow("short, with a prefix") << "012345" << 0;
        QTest::newRow("short") << "12345" << 3;
        QTest::newRow("empty: withheld, never a contact's") << "" << 0;
        QTest::newRow("NUL inside") << "77~12345678" << 5;
        QTest::newRow("non-ASCII") << "+31\u00fc12345678" << 6;
        QTest::newRow("U+FFFD") << "5#98765432" << 7;
        QTest::newRow("lone surrogate is not U+FFFD") << "4" + QString(QChar(0xDC00)) + "98765432" << 0;
        QTest::newRow("surrogate pair counts as two") << "@1234567" << 8;
    }

    void matching()
    {
        QFETCH(QString, number);
        QFETCH(int, id);
        CDatabase db(m_dir->path(), nullptr);
        db.query(QStringLiteral("CREATE TABLE contacts (id INTEGER PRIMARY KEY, first_name, last_name, phone_number)"));
        for (const char* stored :
            { "+49301234567", "0301234567", "12345", "", "99~12345678", "0\u00fc12345678", "4#98765432", "@1234567" })
            db.query(QStringLiteral("INSERT INTO contacts VALUES (NULL, 'F', 'L', ?)"), { tricky(stored) });
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
