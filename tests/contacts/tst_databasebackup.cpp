#include "BackupActions.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "DatabaseBackup.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "SqliteFileAccess.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Copies of the phonebook and the history: made by day and on request, seven kept, checked
// before a restore, and restored under a running program.
class TestDatabaseBackup : public QObject
{
    Q_OBJECT

private slots:
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
        QVERIFY(rig.answersRinging("0612345678"));
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
};

QTEST_MAIN(TestDatabaseBackup)
#include "tst_databasebackup.moc"
