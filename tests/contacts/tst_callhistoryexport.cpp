#include "AppContext.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CallHistoryExport.h"
#include "ContactsTable.h"

#include <QBuffer>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

// The call register written as CSV.
class TestCallHistoryExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    CDatabase m_database { m_dir.path(), nullptr };
    AppContext m_context { nullptr, nullptr, nullptr, nullptr, &m_database };
    CCallRegistration m_makesTheRegister { &m_context };

    void addCall(const QString& number, int type, qint64 duration, const QString& timeDate)
    {
        m_database.query(QStringLiteral("INSERT INTO call_register VALUES (NULL, ?, ?, ?, ?)"),
            { number, type, duration, timeDate });
    }

    static void setZone(const char* zone)
    {
        qputenv("TZ", zone);
        tzset();
    }

private slots:
    void initTestCase()
    {
        setZone("Europe/Berlin");
        ContactsTable::create(&m_database);
        const QString contact = QStringLiteral("INSERT INTO contacts VALUES (NULL, ?, ?, ?, '')");
        m_database.query(contact, { "Anna \"Annie\"", "Alpha, Jr.", "0301234567" });
        m_database.query(contact, { "Jürgen", "Øster", "+4940555666" });
        m_database.query(contact, { "Bert", "Line\r\nTwo", "0221999888" });
        // Oldest first, as they were written.
        addCall("+49301234567", 0, 65000, "2025-01-31T23:59:59");
        addCall("0612345678", 2, 0, "2025-02-01T00:00:00");
        addCall("004940555666", 1, 1999, "2025-02-28T23:59:59");
        addCall("0221999888", 1, 0, "2025-03-01T00:00:00");
        addCall("\"0301\",5", 2, 0, "2025-07-14T12:00:00");
        addCall("0612345678", 0, 7322999, "2025-12-07T10:15:00");
        addCall("0612345678", 0, -5, "");
        // A call still ringing has no outcome yet.
        addCall("0499000111", 2, 0, "2025-12-08T09:00:00");
        m_database.query(QStringLiteral("INSERT INTO call_register_open SELECT max(id) FROM call_register"));
    }

    void wholeRegister()
    {
        QFile expected(QFINDTESTDATA("data/call-history.csv"));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QBuffer written;
        QVERIFY(written.open(QIODevice::WriteOnly));
        CallHistoryExport history(&m_database);
        QCOMPARE(history.write(&written), 7);
        QCOMPARE(written.data(), expected.readAll());
    }

    void range_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QStringList>("began");
        QTest::newRow("one day") << QDate(2025, 1, 31) << QDate(2025, 1, 31) << QStringList { "2025-01-31T23:59:59" };
        QTest::newRow("both ends of February")
            << QDate(2025, 2, 1) << QDate(2025, 2, 28) << QStringList { "2025-02-01T00:00:00", "2025-02-28T23:59:59" };
        QTest::newRow("from March on") << QDate(2025, 3, 1) << QDate() << QStringList { "2025-03-01T00:00:00",
            "2025-07-14T12:00:00", "2025-12-07T10:15:00" };
        QTest::newRow("no call in April") << QDate(2025, 4, 1) << QDate(2025, 4, 30) << QStringList();
        QTest::newRow("last day before first") << QDate(2025, 3, 1) << QDate(2025, 2, 1) << QStringList();
    }

    void range()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QStringList, began);
        QBuffer written;
        QVERIFY(written.open(QIODevice::WriteOnly));
        CallHistoryExport history(&m_database);
        history.setRange(first, last);
        QCOMPARE(history.write(&written), began.size());
        const QString text = QString::fromUtf8(written.data());
        QVERIFY(text.startsWith(QLatin1String("began,name,number,direction,result,talk_seconds\r\n")));
        QStringList found;
        const QRegularExpression rowStart(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)"),
            QRegularExpression::MultilineOption);
        for (auto match = rowStart.globalMatch(text); match.hasNext();)
            found << match.next().captured(1);
        QCOMPARE(found, began);
    }

    void beganText_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("timeDate");
        QTest::addColumn<QString>("began");
        QTest::newRow("behind UTC by half hours")
            << QByteArray("America/St_Johns") << "2025-01-15T08:00:00" << QString("2025-01-15T08:00:00-03:30");
        QTest::newRow("ahead by half hours")
            << QByteArray("Asia/Kolkata") << "2025-01-15T08:00:00" << QString("2025-01-15T08:00:00+05:30");
        QTest::newRow("UTC") << QByteArray("UTC") << "2025-01-15T08:00:00" << QString("2025-01-15T08:00:00+00:00");
        QTest::newRow("not a time") << QByteArray("UTC") << "yesterday" << QString();
    }

    void beganText()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, timeDate);
        setZone(zone.constData());
        QTEST(CallHistoryExport::beganText(timeDate), "began");
        setZone("Europe/Berlin");
    }

    void failedWrite_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder missing behind a file") << "plain.txt/calls.csv";
        QTest::newRow("name of a folder") << "folder";
    }

    void failedWrite()
    {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("kept") == 4);
        plain.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

        CallHistoryExport history(&m_database);
        QCOMPARE(history.save(dir.filePath(target)), -1);
        QVERIFY(!history.errorString().isEmpty());
        // Nothing half written is left behind, and what was there stays.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList({ "folder", "plain.txt" }));
        QVERIFY(QDir(dir.filePath(QStringLiteral("folder"))).isEmpty());
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QCOMPARE(plain.readAll(), QByteArray("kept"));
    }
};

QTEST_GUILESS_MAIN(TestCallHistoryExport)
#include "tst_callhistoryexport.moc"
