#include "CCallHistoryForm.h"
#include "CConsole.h"
#include "CUC20.h"
#include "CallNotes.h"
#include "MainWindow.h"
#include "SqliteFileAccess.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QProcess>
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

// A call going on when the program is killed is in the call history at the next start.
class TestE2eCallRecovery : public QObject
{
    Q_OBJECT

private slots:
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
        QFETCH(int, leastMs);
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), { QLatin1String(childOption), moment, dir.path() });
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const QString file = dir.filePath(QStringLiteral("parlona.db"));
        QCOMPARE(SqliteFileAccess::rows(file, "PRAGMA integrity_check"), QStringList { "ok" });
        const QStringList call
            = SqliteFileAccess::rows(file, "SELECT phone_number, call_type, duration FROM call_register");
        QCOMPARE(call.size(), 1);
        QCOMPARE(call[0].section('|', 0, 0), caller);
        QTEST(call[0].section('|', 1, 1).toInt(), "type");
        const int talked = call[0].section('|', 2).toInt();
        QVERIFY2(talked >= leastMs && talked < leastMs + 5000, qPrintable(call[0]));
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
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 4 && QLatin1String(argv[1]) == QLatin1String(childOption))
        return runAndGetKilled(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestE2eCallRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_callrecovery.moc"
