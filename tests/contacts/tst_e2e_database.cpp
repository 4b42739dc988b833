#include "AppContext.h"
#include "BackupActions.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CIncomingForm.h"
#include "CUC20.h"
#include "CallNoteText.h"
#include "CallNotes.h"
#include "CallRegisterWriter.h"
#include "DatabaseBackup.h"
#include "FullDiskVfs.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "ModalAnswer.h"
#include "NotedCallerSaver.h"
#include "SqliteFileAccess.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
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
// The producer's notes of the call going on: taken only during a call, cleaned and bounded, kept
// after the call for its record, emptied when the next call begins. On the virtual hybrid the
// presenter sees them in the control bar and the incoming-call window as they are written, the
// call's record keeps them for the history and its CSV, and the noted name goes into the
// phonebook with one click.
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
        QTest::newRow("free") << false << 1000;
        QTest::newRow("locked by another connection") << true << 1000;
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
        QVERIFY(!rig.pumpUntil([&] { return engine->callState() != VOICECALL_INCOMING; }, 500));
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
        // Tried again every 200 ms instead of every two seconds: the same tries, sooner.
        const int retryMs = 200;
        rig.window()->findChild<CallRegisterWriter*>()->setRetryIntervals(CallRegisterWriter::RetryIntervalMs, retryMs);
        CUC20* engine = rig.window()->context()->uc20;
        QLabel* status = rig.window()->findChild<QLabel*>("databaseStatus");
        QVERIFY(rig.connectUntilSimReady());
        disk.setFull(fromTheRing);
        QVERIFY(rig.answersRinging(caller));
        disk.setFull(true);
        QVERIFY(!rig.pumpUntil([&] { return engine->callState() != VOICECALL_ACTIVE; }, 1000));
        rig.unit()->farEndHangsUp();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_IDLE; }));
        QTest::qWait(3 * retryMs);
        QVERIFY(!status->isHidden());
        QVERIFY2(status->text().contains("full"), qPrintable(status->text()));
        const QString during = rig.window()->context()->console->plainText();
        QVERIFY2(!during.contains("could not be recorded"), qPrintable(during));

        disk.setFull(false);
        // One answered row, closed, with the talk time it had when the caller hung up.
        QTRY_COMPARE(calls(dir.filePath("parlona.db"), 1000, 4000), QStringList { caller + "|0|1|0" });
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

    void cleanup() { m_rig.reset(); }

    void cleaned_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        const QString smiley = QStringLiteral("\U0001F600"); // two UTF-16 units
        QTest::newRow("outer blanks and runs of them") << "  Jan   de Vries \t" << "Jan de Vries";
        QTest::newRow("line breaks and control characters")
            << QStringLiteral("Jan\r\nde\u0007Vries\u2028Zwolle") << "Jan de Vries Zwolle";
        QTest::newRow("200 characters kept whole") << QString(200, 'a') << QString(200, 'a');
        QTest::newRow("longer cut at 200") << QString(250, 'b') << QString(200, 'b');
        QTest::newRow("a pair across the bound is left out") << QString(199, 'c') + smiley + "d" << QString(199, 'c');
        QTest::newRow("a pair within the bound is kept")
            << QString(198, 'c') + smiley + "d" << QString(198, 'c') + smiley;
    }

    void cleaned()
    {
        QFETCH(QString, typed);
        CallNotes notes;
        notes.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("0612345678"));
        QVERIFY(notes.setCurrent({ typed, typed, typed, true }));
        const CallNote kept = notes.current();
        QTEST(kept.callerName, "kept");
        QTEST(kept.place, "kept");
        QTEST(kept.topic, "kept");
        QVERIFY(kept.readyForAir);
    }

    // Steps: "ring N", "dial N", "answer", "hang up", "note NAME".
    void lifecycle_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("taken"); // per note step: 1 taken, 0 refused
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("changes");
        QTest::newRow("refused without a call") << QStringList { "note Jan" } << "0" << "" << "" << 0;
        QTest::newRow("taken while ringing") << QStringList { "ring 0612345678", "note Jan" } << "1" << "Jan"
                                             << "0612345678" << 1;
        QTest::newRow("kept after the call")
            << QStringList { "ring 0612345678", "note Jan", "answer", "hang up" } << "1" << "Jan" << "0612345678" << 1;
        QTest::newRow("refused once the call ended")
            << QStringList { "dial 0201234567", "note Jan", "hang up", "note Piet" } << "10" << "Jan"
            << "0201234567" << 1;
        QTest::newRow("emptied when the next call begins")
            << QStringList { "ring 0612345678", "note Jan", "hang up", "dial 0201234567" } << "1" << ""
            << "0201234567" << 2;
        QTest::newRow("the same notes again change nothing")
            << QStringList { "ring 0612345678", "note Jan", "note Jan" } << "11" << "Jan" << "0612345678" << 1;
    }

    void lifecycle()
    {
        QFETCH(QStringList, steps);
        CallNotes notes;
        QSignalSpy changes(&notes, &CallNotes::currentChanged);
        QString taken;
        for (const QString& step : steps) {
            const QString word = step.section(' ', 0, 0);
            const QString rest = step.section(' ', 1);
            if (word == "note")
                taken += notes.setCurrent({ rest, QString(), QString(), false }) ? '1' : '0';
            else if (word == "ring" || word == "dial")
                notes.onVoicecallStateChange(word == "ring" ? VOICECALL_INCOMING : VOICECALL_CALLING, rest);
            else
                notes.onVoicecallStateChange(word == "answer" ? VOICECALL_ACTIVE : VOICECALL_IDLE, QString());
        }
        QTEST(taken, "taken");
        QTEST(notes.current().callerName, "name");
        QTEST(notes.number(), "number");
        QTEST(int(changes.size()), "changes");
    }

    // How the notes read on one line, with what was not noted left out.
    void oneLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("line");
        QTest::newRow("everything") << "Jan" << "Zwolle" << "Ice" << true
                                    << QStringLiteral("READY \u00b7 Jan, Zwolle \u2013 Ice");
        QTest::newRow("no place, not ready") << "Jan" << "" << "Ice" << false << QStringLiteral("Jan \u2013 Ice");
        QTest::newRow("topic alone") << "" << "" << "Ice" << false << "Ice";
        QTest::newRow("place alone") << "" << "Zwolle" << "" << false << "Zwolle";
        QTest::newRow("ready alone") << "" << "" << "" << true << "READY";
        QTest::newRow("nothing") << "" << "" << "" << false << "";
    }

    void oneLine()
    {
        QFETCH(QString, name);
        QFETCH(QString, place);
        QFETCH(QString, topic);
        QFETCH(bool, ready);
        QTEST(CallNoteText::line({ name, place, topic, ready }), "line");
    }

    // A noted name goes into the phonebook as its first word and the rest.
    void nameSplit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("with a prefix") << "Jan de Vries" << "Jan" << "de Vries";
        QTest::newRow("one word") << "Mo" << "Mo" << "";
        QTest::newRow("blanks between") << "Anna   Maria  Jansen" << "Anna" << "Maria Jansen";
    }

    void nameSplit()
    {
        QFETCH(QString, name);
        QString first;
        QString last;
        NotedCallerSaver::splitName(name, &first, &last);
        QTEST(first, "first");
        QTEST(last, "last");
    }
    void notesOfACall_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("incomingLine");
        QTest::addColumn<QString>("historyLine");
        const QString line = QStringLiteral("Jan de Vries, Zwolle \u2013 Ice on the A28");
        QTest::newRow("ready, a number") << "0612345678" << true << "READY"
                                         << QStringLiteral("READY \u00b7 Jan de Vries, Zwolle")
                                         << QStringLiteral("READY \u00b7 ") + line;
        QTest::newRow("not ready, withheld")
            << "" << false << "NOT READY" << QStringLiteral("NOT READY \u00b7 Jan de Vries, Zwolle") << line;
    }

    void notesOfACall()
    {
        QFETCH(QString, number);
        QFETCH(bool, ready);
        startRig();
        // A history without notes gives the names the whole width.
        QTableWidget* history = m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        QVERIFY(history->isColumnHidden(CCallHistoryForm::ColumnNotes));
        m_context->database->setStudio(QStringLiteral("Studio 2"));
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->stepUntil([&] { return m_rig->uc20()->simState() == SIM_READY; }, 3000));
        QVERIFY(ring(number));

        // Shown as soon as the producer writes them, before anything else happens.
        QVERIFY(m_context->callNotes->setCurrent(
            { QStringLiteral(" Jan de Vries "), QStringLiteral("Zwolle"), QStringLiteral("Ice on the A28"), ready }));
        QVERIFY(!m_rig->window()->findChild<QWidget*>(QStringLiteral("notesPanel"))->isHidden());
        QCOMPARE(label("label_notesCaller")->text(), QStringLiteral("Jan de Vries, Zwolle"));
        QCOMPARE(label("label_notesTopic")->text(), QStringLiteral("Ice on the A28"));
        QTEST(label("label_notesReady")->text(), "badge");
        CIncomingForm* incoming = VirtualHybridRig::incomingWindow();
        QVERIFY(incoming);
        QTEST(incoming->findChild<QLabel*>(QStringLiteral("label_notes"))->text(), "incomingLine");
        QCOMPARE(
            incoming->findChild<QLabel*>(QStringLiteral("label_notesTopic"))->text(), QStringLiteral("Ice on the A28"));
        QCOMPARE(saveButton()->isEnabled(), !number.isEmpty());

        m_rig->uc20()->answerCall();
        QVERIFY(m_rig->reaches(VOICECALL_ACTIVE, 3000));
        m_rig->step(2000);
        m_rig->unit()->farEndHangsUp();
        QVERIFY(m_rig->reaches(VOICECALL_IDLE, 3000));

        // The history shows them with the call, its talk time and its studio.
        QTRY_COMPARE(history->rowCount(), 1);
        QVERIFY(!history->isColumnHidden(CCallHistoryForm::ColumnNotes));
        QTableWidgetItem* notes = history->item(0, CCallHistoryForm::ColumnNotes);
        QTEST(notes->text(), "historyLine");
        QVERIFY(notes->toolTip().contains(QStringLiteral("Topic: Ice on the A28")));
        QCOMPARE(history->item(0, CCallHistoryForm::ColumnDuration)->text(), QStringLiteral("00:00:02"));
        QCOMPARE(history->item(0, CCallHistoryForm::ColumnStudio)->text(), QStringLiteral("Studio 2"));

        // Saved after the call, the noted name names the caller from the next call on.
        QCOMPARE(saveButton()->isEnabled(), !number.isEmpty());
        if (number.isEmpty())
            return;
        saveButton()->click();
        QCOMPARE(m_context->database->knownName(number), QStringLiteral("Jan de Vries"));
        QVERIFY(!saveButton()->isEnabled());
        QTRY_VERIFY(history->item(0, CCallHistoryForm::ColumnName)->text().startsWith(QStringLiteral("Jan de Vries")));
        QVERIFY(ring(number));
        QCOMPARE(m_rig->window()->findChild<QLineEdit*>(QStringLiteral("lineEdit_callnumber"))->text(),
            QStringLiteral("Jan de Vries"));
        QCOMPARE(incoming->findChild<QLabel*>(QStringLiteral("label_number"))->text(), QStringLiteral("Jan de Vries"));
        // The new call starts without notes, and the strip gives its room back.
        QCOMPARE(label("label_notesTopic")->text(), QString());
        QVERIFY(m_rig->window()->findChild<QWidget*>(QStringLiteral("notesPanel"))->isHidden());
    }

    // Notes come from a browser on another computer: what the producer typed shows as typed, in
    // the labels and in their tool tips, never read as markup.
    void notesShownAsTyped()
    {
        startRig();
        QVERIFY(m_rig->connectUntilSimReady());
        QVERIFY(ring(QStringLiteral("0612345678")));
        const QString name = QStringLiteral("<b>Jan</b>");
        const QString topic = QStringLiteral("<img src=\"x.png\"> Ice & <i>snow</i>");
        QVERIFY(m_context->callNotes->setCurrent({ name, QString(), topic, true }));
        for (QLabel* shown : { label("label_notesCaller"), label("label_notesTopic") }) {
            const QString typed = shown->text();
            QVERIFY2(shown->sizeHint().width() >= shown->fontMetrics().horizontalAdvance(typed), qPrintable(typed));
        }
        const QString details = QStringLiteral("Caller: %1\nTopic: %2\nReady for air").arg(name, topic);
        QCOMPARE(
            asToolTipShows(m_rig->window()->findChild<QWidget*>(QStringLiteral("notesPanel"))->toolTip()), details);
        CIncomingForm* incoming = VirtualHybridRig::incomingWindow();
        QVERIFY(incoming);
        QCOMPARE(asToolTipShows(incoming->findChild<QLabel*>(QStringLiteral("label_notesTopic"))->toolTip()), details);
        m_rig->uc20()->endCall();
        QVERIFY(m_rig->reaches(VOICECALL_IDLE, 3000));
        QTableWidget* history = m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        QTRY_COMPARE(history->rowCount(), 1);
        QCOMPARE(asToolTipShows(history->item(0, CCallHistoryForm::ColumnNotes)->toolTip()), details);
    }

private:
    // The program on the virtual hybrid, with the talk time on the unit's clock.
    void startRig()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_context = m_rig->window()->context();
        ManualClock* clock = m_rig->clock();
        m_rig->window()->findChild<CCallRegistration*>()->setClock(
            [] { return QDateTime::currentDateTime(); }, [clock] { return clock->nowMs(); });
    }
    // The words a tool tip shows: one that looks like markup is taken for markup.
    static QString asToolTipShows(const QString& toolTip)
    {
        if (!Qt::mightBeRichText(toolTip))
            return toolTip;
        QTextDocument document;
        document.setHtml(toolTip);
        return document.toPlainText().replace(QChar::LineSeparator, QLatin1Char('\n'));
    }
    QLabel* label(const char* name) const { return m_rig->window()->findChild<QLabel*>(QLatin1String(name)); }
    QPushButton* saveButton() const
    {
        return m_rig->window()->findChild<QPushButton*>(QStringLiteral("pushButton_saveCaller"));
    }
    bool ring(const QString& number)
    {
        m_rig->unit()->ringIn(number);
        return m_rig->reaches(VOICECALL_INCOMING);
    }

    std::unique_ptr<VirtualHybridRig> m_rig;
    const AppContext* m_context = nullptr;
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
