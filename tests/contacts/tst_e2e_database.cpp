#include "BackupActions.h"
#include "CCallHistoryForm.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CallNotes.h"
#include "CallRegisterWriter.h"
#include "DatabaseBackup.h"
#include "FullDiskVfs.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "SqliteFileAccess.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {

const char* const childOption = "--killed-during";
const QString caller = QStringLiteral("0612345678");

// The program on a virtual hybrid, killed without any chance to clean up while a call rings or
// is talked. Runs in a process of its own.
int runAndGetKilled(const QString& moment, const QString& directory)
{
    VirtualHybridRig rig(directory);
    rig.window()->findChild<QTimer*>(QStringLiteral("checkpointTimer"))->setInterval(100);
    CUC20* engine = rig.window()->context()->uc20;
    if (!rig.connectUnit() || !rig.stepUntil([&] { return engine->simState() == SIM_READY; }, 3000))
        return 1;
    rig.unit()->ringIn(caller);
    if (!rig.stepUntil([&] { return engine->callState() == VOICECALL_INCOMING; }, 5000))
        return 1;
    // The producer's notes are written with the call as they come, not only when it ends.
    CallNotes* notes = rig.window()->context()->callNotes;
    const QString name = QStringLiteral("Jan de Vries");
    if (!notes->setCurrent({ name, QString(), QStringLiteral("J"), true })
        || !notes->setCurrent({ name, QString(), QStringLiteral("Ice"), true }))
        return 1;
    // Stored once the typing pauses.
    QTimer* notesTimer = rig.window()->findChild<QTimer*>(QStringLiteral("notesTimer"));
    if (!rig.pumpUntil([&] { return !notesTimer->isActive(); }, 3000))
        return 1;
    if (moment == QLatin1String("talking")) {
        engine->answerCall();
        if (!rig.stepUntil([&] { return engine->callState() == VOICECALL_ACTIVE; }, 3000))
            return 1;
        QTest::qWait(1200);
    }
    std::raise(SIGKILL);
    return 1;
}

} // namespace

// The program's database as the operator meets it during a call: held locked by another program,
// on a full disk, or left behind by a program killed during the call; and its copies, made by day
// and on request, seven kept, checked before a restore, and restored under a running program.
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

    // A call going on when the program is killed is in the call history at the next start.
    void callSurvivesAKill_data()
    {
        QTest::addColumn<QString>("moment");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("leastMs");
        QTest::newRow("ringing") << "ringing" << 2 << 0; // missed, as far as anyone knows
        QTest::newRow("talking") << "talking" << 0 << 1000;
    }

    void callSurvivesAKill()
    {
        QFETCH(QString, moment);
        QFETCH(int, type);
        QFETCH(int, leastMs);
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), { QLatin1String(childOption), moment, dir.path() });
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const QString file = dir.filePath(QStringLiteral("parlona.db"));
        QCOMPARE(SqliteFileAccess::rows(file, "PRAGMA integrity_check"), QStringList { "ok" });
        // Left open by the program killed, to be closed at the next start.
        QCOMPARE(calls(file, leastMs, leastMs + 4999), QStringList { caller + QStringLiteral("|%1|1|1").arg(type) });
        QCOMPARE(SqliteFileAccess::rows(file, "SELECT caller_name, topic, ready_for_air FROM call_notes"),
            QStringList { "Jan de Vries|Ice|1" });

        // The next start shows it, says so once, and does not count it as going on any more.
        for (int start = 0; start < 2; ++start) {
            VirtualHybridRig rig(dir.path());
            CConsole* console = rig.window()->context()->console;
            const auto told = [console] { return console->plainText().count(QLatin1String("was going on when")); };
            if (start == 0)
                QTRY_COMPARE(told(), 1);
            QTest::qWait(200);
            QCOMPARE(told(), start == 0 ? 1 : 0);
            const QTableWidget* history = rig.window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
            QCOMPARE(history->rowCount(), 1);
            QVERIFY(history->item(0, CCallHistoryForm::ColumnNotes)->toolTip().contains(QStringLiteral("Topic: Ice")));
        }
    }

    void copiesKeptAndChecked()
    {
        QTemporaryDir dir;
        {
            CDatabase database(dir.path(), nullptr);
            database.query(
                "INSERT INTO contacts (first_name, last_name, phone_number) VALUES ('A', 'B', '0612345678')");
        }
        const DatabaseBackup backup(dir.filePath("parlona.db"), QString(), dir.filePath("backups"));
        QVERIFY(backup.isDue(QDateTime::currentDateTime()));
        QStringList made;
        for (int i = 0; i < DatabaseBackup::Kept + 2; ++i) {
            QString error;
            made << backup.backUp("manual", &error);
            QVERIFY2(!made.last().isEmpty(), qPrintable(error));
            QTest::qWait(5);
        }
        const QStringList kept = backup.backups();
        QCOMPARE(kept.size(), DatabaseBackup::Kept);
        QCOMPARE(kept.first(), made.last());
        QVERIFY(!kept.contains(made.first()));
        QCOMPARE(SqliteFileAccess::number(kept.first(), "SELECT count(*) FROM contacts"), 1);
        QString error;
        QVERIFY(DatabaseBackup::check(kept.first(), &error));
        QVERIFY(!backup.isDue(QDateTime::currentDateTime()));
        QVERIFY(backup.isDue(QDateTime::currentDateTime().addSecs(DatabaseBackup::IntervalSeconds + 1)));

        QFile garbage(dir.filePath("garbage.db"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
        garbage.close();
        QVERIFY(!DatabaseBackup::check(garbage.fileName(), &error));
        QVERIFY(!DatabaseBackup::check(dir.filePath("missing.db"), &error));
    }

    // During a call a copy is made beside it; a restore brings back the copy's data to every page
    // and keeps what was in use.
    void backUpDuringACallThenRestore()
    {
        VirtualHybridRig rig;
        MainWindow* window = rig.window();
        auto* actions = window->findChild<BackupActions*>();
        QTemporaryDir folder;
        actions->setFolder(folder.path());
        CUC20* engine = window->context()->uc20;
        CDatabase* database = window->context()->database;
        database->query(
            "INSERT INTO contacts (first_name, last_name, phone_number) VALUES ('Kept', 'One', '0201111111')");
        QVERIFY(rig.connectUntilSimReady());
        QVERIFY(rig.answersRinging(caller));
        QSignalSpy done(actions, &BackupActions::backedUp);
        window->findChild<QAction*>("actionBackUp")->trigger();
        QVERIFY(rig.pumpUntil([&] { return done.count() == 1; }));
        const QString copy = done.at(0).at(0).toString();
        QVERIFY2(!copy.isEmpty(), qPrintable(done.at(0).at(1).toString()));
        QCOMPARE(engine->callState(), VOICECALL_ACTIVE);
        engine->endCall();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_IDLE; }));
        database->query(
            "INSERT INTO contacts (first_name, last_name, phone_number) VALUES ('Later', 'Two', '0202222222')");

        QObject waiting;
        ModalAnswer::whenShown(&waiting, [&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            ModalAnswer::whenOtherShown(
                &waiting, dialog, [](QWidget* box) { ModalAnswer::clickButton(box, QMessageBox::Yes); });
            ModalAnswer::chooseFile(dialog, copy);
        });
        window->findChild<QAction*>("actionRestore")->trigger();
        QCOMPARE(database->findContactName("0202222222"), QStringLiteral("0202222222"));
        QCOMPARE(database->findContactName("0201111111"), QStringLiteral("Kept One"));
        const QString said = window->context()->console->plainText();
        QVERIFY2(said.contains("restored from"), qPrintable(said));
        const QStringList aside = QFileInfo(database->fileName()).dir().entryList({ "parlona.db.before-restore-*" });
        QCOMPARE(aside.size(), 1);
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

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 4 && QLatin1String(argv[1]) == QLatin1String(childOption))
        return runAndGetKilled(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestE2eDatabase test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_database.moc"
