#include "CConsole.h"
#include "CUC20.h"
#include "CallRegisterWriter.h"
#include "FullDiskVfs.h"
#include "MainWindow.h"
#include "SqliteFileAccess.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString caller = QStringLiteral("0612345678");

} // namespace

// The program's database as the operator meets it during a call: held locked by another program,
// or on a full disk.
class TestE2eDatabase : public QObject
{
    Q_OBJECT

private slots:
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
        // The operator knows the calls are not written while it lasts, and hears of no trouble otherwise.
        QCOMPARE(rig.window()->findChild<QLabel*>("databaseStatus")->isHidden(), !locked);
        const QString console = rig.window()->context()->console->plainText();
        QVERIFY2(locked || !console.contains("ERROR]"), qPrintable(console));

        QVERIFY(!locked || QSqlQuery(locker).exec("COMMIT"));
        locker.close();
        locker = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        // One answered row, no longer going on, with the time talked.
        QTRY_COMPARE(calls(dir.filePath("parlona.db"), talkMs, talkMs + 3499), QStringList { caller + "|0|1|0" });
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
        // One answered row, closed, with the talk time it had when the caller hung up.
        QTRY_COMPARE_WITH_TIMEOUT(calls(dir.filePath("parlona.db"), 2000, 5000), QStringList { caller + "|0|1|0" },
            3 * CallRegisterWriter::FullRetryIntervalMs);
        QTRY_VERIFY(status->isHidden());
        QVERIFY(rig.window()->context()->console->plainText().contains("takes writes again"));
    }

private:
    // The file's calls as "number|type|talked between the bounds|calls still going on".
    static QStringList calls(const QString& file, int leastMs, int mostMs)
    {
        return SqliteFileAccess::rows(file,
            QStringLiteral("SELECT phone_number, call_type, duration BETWEEN %1 AND %2, "
                           "(SELECT count(*) FROM call_register_open) FROM call_register")
                .arg(leastMs)
                .arg(mostMs));
    }
};

QTEST_MAIN(TestE2eDatabase)
#include "tst_e2e_database.moc"
