#include "AppContext.h"
#include "CCallRegistration.h"
#include "CConsole.h"
#include "CDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// One row of the register, in its column order.
struct Row
{
    QString number;
    int type;
    qint64 duration;
    QString timeDate;

    bool operator==(const Row& other) const
    {
        return number == other.number && type == other.type && duration == other.duration && timeDate == other.timeDate;
    }
};

// A step of a call's life: a state report, or time passing (state -1).
struct Step
{
    int state;
    QString number;
    qint64 waitMs = 0;
};

Step report(VOICECALL_STATE state, const QString& number = QString())
{
    return { state, number, 0 };
}

Step wait(qint64 ms)
{
    return { -1, QString(), ms };
}

const QString anna = QStringLiteral("+49301234567");
const QString bert = QStringLiteral("0407654321");

} // namespace

Q_DECLARE_METATYPE(QList<Step>)
Q_DECLARE_METATYPE(QList<Row>)

namespace QTest {
template <> char* toString(const Row& row)
{
    return qstrdup(qPrintable(
        QStringLiteral("(%1, %2, %3, %4)").arg(row.number).arg(row.type).arg(row.duration).arg(row.timeDate)));
}
} // namespace QTest

class TestCCallRegistration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void registerTableHasItsColumns();
    void calls_data();
    void calls();
    void timeDateIsLocalWithoutZone();
    void realClocks();
    void failedWriteIsReported();
    void closedDatabaseLosesCallsQuietly();

private:
    QList<Row> rows();
    void run(const QList<Step>& steps);
    void makeRegistration();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CConsole> m_console;
    std::unique_ptr<CDatabase> m_database;
    AppContext m_context;
    std::unique_ptr<CCallRegistration> m_registration;
    QDateTime m_start;
    qint64 m_elapsedMs = 0;
};

void TestCCallRegistration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_console = std::make_unique<CConsole>();
    m_console->setLevelEnabled(CConsole::Error, true);
    m_database = std::make_unique<CDatabase>(m_dir->path(), m_console.get());
    m_context = AppContext();
    m_context.console = m_console.get();
    m_context.database = m_database.get();
    makeRegistration();
}

void TestCCallRegistration::makeRegistration()
{
    m_registration = std::make_unique<CCallRegistration>(&m_context);
    // Both clocks run on the test's time: the wall clock from 10:00:00 on 3 March 2025.
    m_start = QDateTime(QDate(2025, 3, 3), QTime(10, 0, 0));
    m_elapsedMs = 0;
    m_registration->setClock([this] { return m_start.addMSecs(m_elapsedMs); }, [this] { return m_elapsedMs + 5000; });
}

void TestCCallRegistration::cleanup()
{
    m_registration.reset();
    m_database.reset();
    m_console.reset();
    m_dir.reset();
}

QList<Row> TestCCallRegistration::rows()
{
    QList<Row> result;
    QSqlQuery all = m_database->query(QStringLiteral("SELECT * FROM call_register ORDER BY id"));
    while (all.next()) {
        result.append(
            { all.value(1).toString(), all.value(2).toInt(), all.value(3).toLongLong(), all.value(4).toString() });
    }
    return result;
}

void TestCCallRegistration::run(const QList<Step>& steps)
{
    for (const Step& step : steps) {
        if (step.state < 0)
            m_elapsedMs += step.waitMs;
        else
            m_registration->onVoicecallStateChange(static_cast<VOICECALL_STATE>(step.state), step.number);
    }
}

void TestCCallRegistration::registerTableHasItsColumns()
{
    QSqlQuery columns = m_database->query(QStringLiteral("PRAGMA table_info(call_register)"));
    QStringList names;
    while (columns.next())
        names << columns.value(1).toString();
    QCOMPARE(names, QStringList({ "id", "phone_number", "call_type", "duration", "time_date" }));

    // At the next start the table and its rows stay.
    run({ report(VOICECALL_INCOMING, anna), report(VOICECALL_IDLE) });
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("table call_register already exists")));
    makeRegistration();
    QCOMPARE(rows().size(), 1);
}

void TestCCallRegistration::calls_data()
{
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QList<Row>>("expected");

    // Times below: the wall clock reads 10:00:00 plus the waits before the call began.
    QTest::newRow("incoming, answered, 65 s") << QList<Step> { wait(1000), report(VOICECALL_INCOMING, anna), wait(4000),
        report(VOICECALL_ACTIVE, anna), wait(65000), report(VOICECALL_IDLE) }
                                              << QList<Row> { { anna, 0, 65000, "2025-03-03T10:00:01" } };
    QTest::newRow("incoming, never answered") << QList<Step> { report(VOICECALL_INCOMING, anna), wait(20000),
        report(VOICECALL_IDLE) } << QList<Row> { { anna, 2, 0, "2025-03-03T10:00:00" } };
    QTest::newRow("outgoing, not answered") << QList<Step> { wait(2000), report(VOICECALL_CALLING, bert), wait(30000),
        report(VOICECALL_IDLE) } << QList<Row> { { bert, 1, 0, "2025-03-03T10:00:02" } };
    QTest::newRow("outgoing, answered, 12 s") << QList<Step> { report(VOICECALL_CALLING, bert), wait(8000),
        report(VOICECALL_ACTIVE, bert), wait(12000), report(VOICECALL_IDLE) }
                                              << QList<Row> { { bert, 1, 12000, "2025-03-03T10:00:00" } };
    QTest::newRow("idle repeated after a call") << QList<Step> { report(VOICECALL_INCOMING, anna), wait(1000),
        report(VOICECALL_IDLE), report(VOICECALL_IDLE), wait(1000), report(VOICECALL_IDLE) }
                                                << QList<Row> { { anna, 2, 0, "2025-03-03T10:00:00" } };
    QTest::newRow("idle without a call") << QList<Step> { report(VOICECALL_IDLE), report(VOICECALL_IDLE) }
                                         << QList<Row> {};
    QTest::newRow("number with quotes and SQL")
        << QList<Step> { report(VOICECALL_INCOMING, "'); DROP TABLE call_register; --"), report(VOICECALL_IDLE) }
        << QList<Row> { { "'); DROP TABLE call_register; --", 2, 0, "2025-03-03T10:00:00" } };
    QTest::newRow("withheld number") << QList<Step> { report(VOICECALL_INCOMING, QString()), report(VOICECALL_IDLE) }
                                     << QList<Row> { { "", 2, 0, "2025-03-03T10:00:00" } };
    QTest::newRow("first seen connected, as the very first call")
        << QList<Step> { wait(3000), report(VOICECALL_ACTIVE, anna), wait(10000), report(VOICECALL_IDLE) }
        << QList<Row> { { anna, 0, 10000, "2025-03-03T10:00:03" } };
    QTest::newRow("first seen connected, after another call") << QList<Step> {
        report(VOICECALL_CALLING, bert), wait(5000), report(VOICECALL_ACTIVE, bert), wait(7000), report(VOICECALL_IDLE),
        wait(100000), report(VOICECALL_ACTIVE, anna), wait(30000), report(VOICECALL_IDLE)
    } << QList<Row> { { bert, 1, 7000, "2025-03-03T10:00:00" }, { anna, 0, 30000, "2025-03-03T10:01:52" } };
    QTest::newRow("same ringing call reported twice") << QList<Step> { report(VOICECALL_INCOMING, anna), wait(3000),
        report(VOICECALL_INCOMING, anna), wait(2000), report(VOICECALL_IDLE) }
                                                      << QList<Row> { { anna, 2, 0, "2025-03-03T10:00:00" } };
    QTest::newRow("next caller rings before the idle report")
        << QList<Step> { report(VOICECALL_INCOMING, anna), wait(3000), report(VOICECALL_INCOMING, bert), wait(2000),
               report(VOICECALL_IDLE) }
        << QList<Row> { { anna, 2, 0, "2025-03-03T10:00:00" }, { bert, 2, 0, "2025-03-03T10:00:03" } };
    QTest::newRow("next caller rings while the last is still connected") << QList<Step> {
        report(VOICECALL_INCOMING, anna), wait(1000), report(VOICECALL_ACTIVE, anna), wait(20000),
        report(VOICECALL_INCOMING, bert), wait(1000), report(VOICECALL_ACTIVE, bert), wait(9000), report(VOICECALL_IDLE)
    } << QList<Row> { { anna, 0, 20000, "2025-03-03T10:00:00" }, { bert, 0, 9000, "2025-03-03T10:00:21" } };
    QTest::newRow("one of each") << QList<Step> { report(VOICECALL_INCOMING, anna), wait(1000), report(VOICECALL_IDLE),
        wait(1000), report(VOICECALL_CALLING, bert), wait(1000), report(VOICECALL_IDLE), wait(1000),
        report(VOICECALL_INCOMING, bert), wait(1000), report(VOICECALL_ACTIVE, bert), wait(1500),
        report(VOICECALL_IDLE) }
                                 << QList<Row> { { anna, 2, 0, "2025-03-03T10:00:00" },
                                        { bert, 1, 0, "2025-03-03T10:00:02" },
                                        { bert, 0, 1500, "2025-03-03T10:00:04" } };
}

void TestCCallRegistration::calls()
{
    QFETCH(QList<Step>, steps);
    QFETCH(QList<Row>, expected);

    QSignalSpy updates(m_registration.get(), &CCallRegistration::registerUpdate);
    run(steps);
    const QList<Row> written = rows();
    QCOMPARE(written.size(), expected.size());
    for (int i = 0; i < written.size(); ++i)
        QCOMPARE(written.at(i), expected.at(i));
    QCOMPARE(updates.count(), expected.size());
    QVERIFY(!m_console->plainText().contains(QStringLiteral("ERROR]")));
}

void TestCCallRegistration::timeDateIsLocalWithoutZone()
{
    // Milliseconds are dropped and no zone is written, whatever the clock's time spec.
    m_registration->setClock(
        [] { return QDateTime(QDate(2031, 12, 24), QTime(7, 8, 9, 456), Qt::UTC); }, [] { return qint64(0); });
    run({ report(VOICECALL_CALLING, bert), report(VOICECALL_IDLE) });
    QCOMPARE(rows().value(0).timeDate, QStringLiteral("2031-12-24T07:08:09"));
}

void TestCCallRegistration::realClocks()
{
    m_registration = std::make_unique<CCallRegistration>(&m_context);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    run({ report(VOICECALL_INCOMING, anna), report(VOICECALL_ACTIVE, anna) });
    QTest::qWait(50);
    run({ report(VOICECALL_IDLE) });
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    const Row row = rows().value(0);
    QCOMPARE(row.type, 0);
    QVERIFY2(row.duration >= 50 && row.duration < 5000, qPrintable(QString::number(row.duration)));
    const QDateTime began = QDateTime::fromString(row.timeDate, Qt::ISODate);
    QVERIFY(began >= before.addMSecs(-before.time().msec()));
    QVERIFY(began <= after);
}

void TestCCallRegistration::failedWriteIsReported()
{
    QVERIFY(m_database->query(QStringLiteral("DROP TABLE call_register")).isActive());
    QSignalSpy updates(m_registration.get(), &CCallRegistration::registerUpdate);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("no such table: call_register")));
    run({ report(VOICECALL_INCOMING, anna), report(VOICECALL_IDLE) });
    QCOMPARE(updates.count(), 1);
    QCOMPARE(m_console->plainText().count(QStringLiteral("ERROR]")), 1);
    QVERIFY(m_console->plainText().contains(
        QStringLiteral("The call with %1 at 2025-03-03T10:00:00 could not be recorded").arg(anna)));
}

void TestCCallRegistration::closedDatabaseLosesCallsQuietly()
{
    // A file that is no database: reported once when it is opened, and not again for each call.
    m_registration.reset();
    m_database.reset();
    QFile garbage(m_dir->filePath(QStringLiteral("parlona.db")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(2048, '#'));
    garbage.close();
    m_console = std::make_unique<CConsole>();
    m_console->setLevelEnabled(CConsole::Error, true);
    m_database = std::make_unique<CDatabase>(m_dir->path(), m_console.get());
    m_context.console = m_console.get();
    m_context.database = m_database.get();
    QVERIFY(!m_database->isOpen());
    makeRegistration();

    QSignalSpy updates(m_registration.get(), &CCallRegistration::registerUpdate);
    run({ report(VOICECALL_INCOMING, anna), report(VOICECALL_IDLE), report(VOICECALL_CALLING, bert),
        report(VOICECALL_IDLE) });
    QCOMPARE(updates.count(), 2);
    QCOMPARE(m_console->plainText().count(QStringLiteral("ERROR]")), 1);
}

QTEST_MAIN(TestCCallRegistration)
#include "tst_ccallregistration.moc"
