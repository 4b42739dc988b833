#include "CCallHistoryForm.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {

const QString caller = QStringLiteral("0612345678");

// Statements run on the file with a connection of the test's own.
bool runOn(const QString& file, const QStringList& statements)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-side"));
        db.setDatabaseName(file);
        ok = db.open();
        for (const QString& sql : statements)
            ok = ok && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-side"));
    return ok;
}

} // namespace

// The program's database as the operator meets it: a first start, a file of an earlier release,
// and a file another program holds locked during a call.
class TestE2eDatabase : public QObject
{
    Q_OBJECT

private slots:
    void startsOnAnyFile_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("rows"); // on the call history page
        QTest::newRow("first start") << QStringList() << 0;
        QTest::newRow("earlier release: two tables with calls")
            << QStringList { "CREATE TABLE contacts (id INTEGER PRIMARY KEY AUTOINCREMENT, first_name TEXT NOT NULL, "
                             "last_name TEXT NOT NULL, phone_number TEXT NOT NULL, info TEXT)",
                   "CREATE TABLE call_register (id INTEGER PRIMARY KEY AUTOINCREMENT, phone_number TEXT NOT NULL, "
                   "call_type INTEGER NOT NULL, duration INTEGER NOT NULL, time_date TEXT NOT NULL)",
                   "INSERT INTO call_register VALUES (NULL, '0301234567', 2, 0, '2026-01-02T10:00:00')",
                   "INSERT INTO call_register VALUES (NULL, '0407654321', 1, 0, '2026-01-02T11:00:00')" }
            << 2;
    }

    void startsOnAnyFile()
    {
        QFETCH(QStringList, before);
        QFETCH(int, rows);
        QTemporaryDir dir;
        QVERIFY(before.isEmpty() || runOn(dir.filePath("parlona.db"), before));
        VirtualHybridRig rig(dir.path());
        QTableWidget* history = rig.window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        QCOMPARE(history->rowCount(), rows);
        // Clear needs a table that earlier releases never made.
        rig.window()->findChild<QPushButton*>("pushButton_clear")->click();
        QCOMPARE(history->rowCount(), 0);
        const QString console = rig.window()->context()->console->plainText();
        QVERIFY2(!console.contains("ERROR]"), qPrintable(console));
        QVERIFY(rig.window()->findChild<QLabel*>("databaseStatus")->isHidden());
    }

    // Another program holds the file locked while a call rings, is answered and ends: the program
    // goes on at its pace, and the call's row lands once the lock is gone.
    void callThroughALock_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("free") << false;
        QTest::newRow("locked by another connection") << true;
    }

    void callThroughALock()
    {
        QFETCH(bool, locked);
        QTemporaryDir dir;
        VirtualHybridRig rig(dir.path());
        CUC20* engine = rig.window()->context()->uc20;
        QVERIFY(rig.connectUnit());
        QVERIFY(rig.pumpUntil([&] { return engine->simState() == SIM_READY; }));

        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(dir.filePath("parlona.db"));
        QVERIFY(locker.open());
        QVERIFY(!locked || QSqlQuery(locker).exec("BEGIN EXCLUSIVE"));

        // The longest time the GUI thread did not come back to its event loop.
        QElapsedTimer sinceTick;
        qint64 longestStall = 0;
        QTimer tick;
        tick.setInterval(1);
        connect(&tick, &QTimer::timeout, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
        sinceTick.start();
        tick.start();
        rig.unit()->ringIn(caller);
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_INCOMING; }));
        QTest::qWait(1000);
        engine->answerCall();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_ACTIVE; }));
        QTest::qWait(2500);
        rig.unit()->farEndHangsUp();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_IDLE; }));
        QTest::qWait(500);
        tick.stop();
        qInfo("Longest stall of the GUI thread, database %s: %lld ms", locked ? "locked" : "free", longestStall);
        // The operator knows the calls are not written while it lasts.
        QCOMPARE(rig.window()->findChild<QLabel*>("databaseStatus")->isHidden(), !locked);

        QVERIFY(!locked || QSqlQuery(locker).exec("COMMIT"));
        // Each look ends its read at once: a reader left open would hold the writes back in turn.
        const auto written = [&locker] {
            QSqlQuery count(locker);
            return count.exec("SELECT count(*) FROM call_register") && count.next() && count.value(0).toInt() == 1;
        };
        QTRY_VERIFY(written());
        QSqlQuery rows(locker);
        QVERIFY(rows.exec("SELECT phone_number, call_type, duration, "
                          "(SELECT count(*) FROM call_register_open) FROM call_register"));
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toString(), caller);
        QCOMPARE(rows.value(1).toInt(), 0); // answered
        QVERIFY2(rows.value(2).toInt() >= 2500 && rows.value(2).toInt() < 6000, qPrintable(rows.value(2).toString()));
        QCOMPARE(rows.value(3).toInt(), 0); // no longer going on
        rows.finish();
        locker.close();
        locker = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    }
};

QTEST_MAIN(TestE2eDatabase)
#include "tst_e2e_database.moc"
