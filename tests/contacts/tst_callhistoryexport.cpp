#include "AppContext.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CallHistoryExport.h"
#include "CallRegisterTable.h"
#include "ContactsTable.h"

#include <QBuffer>
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
        // Not the name of a withheld caller.
        m_database.query(contact, { "No", "Number", "" });
        // Oldest first, as they were written.
        addCall("+49301234567", 0, 65000, "2025-01-31T23:59:59");
        addCall("0612345678", 2, 0, "2025-02-01T00:00:00");
        CallRegisterTable::saveNote(
            &m_database, 2, { QStringLiteral("Els"), QString(), QStringLiteral("Weather"), false });
        addCall("004940555666", 1, 1999, "2025-02-28T23:59:59");
        addCall("0221999888", 1, 0, "2025-03-01T00:00:00");
        addCall("", 2, 0, "2025-05-05T05:05:05");
        addCall("\"0301\",5", 2, 0, "2025-07-14T12:00:00");
        m_database.query(QStringLiteral("INSERT INTO call_declined SELECT max(id) FROM call_register"));
        addCall("0612345678", 0, 7322999, "2025-12-07T10:15:00");
        // What a producer types is written as data, never as a formula or a broken field.
        CallRegisterTable::saveNote(&m_database, 7,
            { QStringLiteral("Piet \"PJ\" de Boer"), QStringLiteral("Den Haag"), QStringLiteral("=1+1, the A2"),
                true });
        m_database.query(QStringLiteral("INSERT INTO call_studio (call_id, studio) VALUES (7, 'Studio \"2\", east')"));
        addCall("0612345678", 0, -5, "");
        // A call still ringing has no outcome yet.
        addCall("0499000111", 2, 0, "2025-12-08T09:00:00");
        m_database.query(QStringLiteral("INSERT INTO call_register_open (call_id) SELECT max(id) FROM call_register"));
    }

    void wholeRegister()
    {
        QFile expected(QFINDTESTDATA("data/call-history.csv"));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QBuffer written;
        QVERIFY(written.open(QIODevice::WriteOnly));
        CallHistoryExport history(&m_database);
        QCOMPARE(history.write(&written), 8);
        QCOMPARE(written.data(), expected.readAll());
    }

    void range_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QString>("began"); // the calls' days and times
        QTest::newRow("one day") << QDate(2025, 1, 31) << QDate(2025, 1, 31) << "01-31T23:59:59";
        QTest::newRow("both ends of February")
            << QDate(2025, 2, 1) << QDate(2025, 2, 28) << "02-01T00:00:00 02-28T23:59:59";
        QTest::newRow("from March on") << QDate(2025, 3, 1) << QDate()
                                       << "03-01T00:00:00 05-05T05:05:05 07-14T12:00:00 12-07T10:15:00";
        QTest::newRow("no call in April") << QDate(2025, 4, 1) << QDate(2025, 4, 30) << "";
        QTest::newRow("last day before first") << QDate(2025, 3, 1) << QDate(2025, 2, 1) << "";
    }

    void range()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QBuffer written;
        QVERIFY(written.open(QIODevice::WriteOnly));
        CallHistoryExport history(&m_database);
        history.setRange(first, last);
        const int count = history.write(&written);
        QStringList began;
        const QRegularExpression rowStart(QStringLiteral("^2025-(\\S{14})"), QRegularExpression::MultilineOption);
        for (auto match = rowStart.globalMatch(QString::fromUtf8(written.data())); match.hasNext();)
            began << match.next().captured(1);
        QTEST(began.join(' '), "began");
        QCOMPARE(count, began.size());
        QVERIFY(written.data().startsWith(
            "began,name,number,direction,result,talk_seconds,noted_name,noted_place,noted_topic,ready_for_air,studio\r\n"));
    }

    void offsetBehindUtc()
    {
        setZone("America/St_Johns");
        QCOMPARE(CallHistoryExport::beganText(QStringLiteral("2025-01-15T08:00:00")),
            QStringLiteral("2025-01-15T08:00:00-03:30"));
        setZone("Europe/Berlin");
    }
};

QTEST_GUILESS_MAIN(TestCallHistoryExport)
#include "tst_callhistoryexport.moc"
