#include "CCallHistoryForm.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CallRegisterWriter.h"
#include "CUC20.h"
#include "FullDiskVfs.h"
#include "ModalAnswer.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

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
        QTemporaryDir dir;
        QVERIFY(before.isEmpty() || runOn(dir.filePath("parlona.db"), before));
        VirtualHybridRig rig(dir.path());
        QTableWidget* history = rig.window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        QTEST(history->rowCount(), "rows");
        // Clear needs a table that earlier releases never made. It asks first when there is
        // something to clear.
        QObject waiting;
        ModalAnswer::whenShown(&waiting, [](QWidget* box) { ModalAnswer::clickButton(box, QMessageBox::Yes); });
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
        QTest::addColumn<int>("talkMs");
        QTest::newRow("free") << false << 2500;
        QTest::newRow("locked by another connection") << true << 2500;
        // The long run: the lock outlasts the ring and half a minute of talking.
        if (qEnvironmentVariableIsSet("PARLONA_SOAK"))
            QTest::newRow("locked for 30 s") << true << 29000;
    }

    void callThroughALock()
    {
        QFETCH(bool, locked);
        QFETCH(int, talkMs);
        QTemporaryDir dir;
        VirtualHybridRig rig(dir.path());
        CUC20* engine = rig.window()->context()->uc20;
        QVERIFY(rig.connectUntilSimReady());

        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(dir.filePath("parlona.db"));
        QVERIFY(locker.open());
        QVERIFY(!locked || QSqlQuery(locker).exec("BEGIN EXCLUSIVE"));

        rig.unit()->ringIn(caller);
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_INCOMING; }));
        // The unit lives on meanwhile: it keeps ringing, and then the call stays on air.
        QVERIFY(!rig.pumpUntil([&] { return engine->callState() != VOICECALL_INCOMING; }, 1000));
        engine->answerCall();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_ACTIVE; }));
        QVERIFY(!rig.pumpUntil([&] { return engine->callState() != VOICECALL_ACTIVE; }, talkMs));
        rig.unit()->farEndHangsUp();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_IDLE; }));
        QTest::qWait(500);
        // The operator knows the calls are not written while it lasts.
        QCOMPARE(rig.window()->findChild<QLabel*>("databaseStatus")->isHidden(), !locked);

        QVERIFY(!locked || QSqlQuery(locker).exec("COMMIT"));
        locker.close();
        locker = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        // One answered row, no longer going on, with the time talked.
        const QString file = dir.filePath("parlona.db");
        QTRY_COMPARE(scalar(file,
                         QStringLiteral("SELECT count(*) FROM call_register WHERE phone_number = '%1' AND "
                                        "call_type = 0 AND duration BETWEEN %2 AND %3")
                             .arg(caller)
                             .arg(talkMs)
                             .arg(talkMs + 3499)),
            1);
        QCOMPARE(scalar(file, "SELECT count(*) FROM call_register")
                + scalar(file, "SELECT count(*) FROM call_register_open"),
            1);
    }

    // The disk runs full during a call: the call goes on, its row is kept with its final values
    // while there is no room, and lands once there is, with the operator told of both.
    void callWhileTheDiskIsFull_data()
    {
        QTest::addColumn<bool>("fromTheRing"); // else from the answer on
        QTest::newRow("full from the ring") << true;
        QTest::newRow("full while talking") << false;
    }

    void callWhileTheDiskIsFull()
    {
        QFETCH(bool, fromTheRing);
        FullDiskVfs disk;
        QTemporaryDir dir;
        VirtualHybridRig rig(dir.path());
        CUC20* engine = rig.window()->context()->uc20;
        QLabel* status = rig.window()->findChild<QLabel*>("databaseStatus");
        QVERIFY(rig.connectUntilSimReady());
        disk.setFull(fromTheRing);
        QVERIFY(rig.answersRinging(caller));
        disk.setFull(true);
        QVERIFY(!rig.pumpUntil([&] { return engine->callState() != VOICECALL_ACTIVE; }, 2000));
        rig.unit()->farEndHangsUp();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_IDLE; }));
        QTest::qWait(2 * CallRegisterWriter::FullRetryIntervalMs);
        QVERIFY(!status->isHidden());
        QVERIFY2(status->text().contains("full"), qPrintable(status->text()));
        const QString during = rig.window()->context()->console->plainText();
        QVERIFY2(!during.contains("could not be recorded"), qPrintable(during));

        disk.setFull(false);
        const QString file = dir.filePath("parlona.db");
        // One answered row, closed, with the talk time it had when the caller hung up.
        const auto recorded = [&file] {
            return scalar(file, "SELECT count(*) FROM call_register") == 1
                && scalar(file, "SELECT count(*) FROM call_register_open") == 0
                && scalar(file, "SELECT count(*) FROM call_register WHERE call_type = 0 AND duration BETWEEN 2000 AND 5000")
                == 1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(recorded(), 3 * CallRegisterWriter::FullRetryIntervalMs);
        QTRY_VERIFY(status->isHidden());
        QVERIFY(rig.window()->context()->console->plainText().contains("takes writes again"));
    }

private:
    // The number a query of the test's own connection gives, or -1.
    static int scalar(const QString& file, const QString& sql)
    {
        int value = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
            db.setDatabaseName(file);
            QSqlQuery count(db);
            if (db.open() && count.exec(sql) && count.next())
                value = count.value(0).toInt();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("count"));
        return value;
    }
};

QTEST_MAIN(TestE2eDatabase)
#include "tst_e2e_database.moc"
