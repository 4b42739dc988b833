#include "CDatabase.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "SqliteFileAccess.h"
#include "StationSettings.h"
#include "TestPostgres.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

// Two programs on one phonebook and history, as the programs of a two-line studio are: this test
// runs copies of itself as the two programs, started at the same moment.
namespace {

const char childDirectory[] = "PARLONA_CHILD_DIRECTORY"; // the shared database folder
const char childCalls[] = "PARLONA_CHILD_CALLS";         // calls to record
const char childPrefix[] = "PARLONA_CHILD_PREFIX";       // the digits that start its numbers
const char childStartAt[] = "PARLONA_CHILD_START_AT";    // when to begin, in ms since the epoch
const char childServer[] = "PARLONA_CHILD_SERVER";       // the station database to use instead of the file

// The program's settings of a studio on the station's server, named after its numbers.
void joinStation(const QString& database, const QString& prefix)
{
    StationSettings settings;
    settings.place = StationSettings::Place::StationServer;
    settings.server = TestPostgres::server(database);
    settings.studio = QStringLiteral("Studio ") + prefix;
    settings.save();
}

void waitForStart()
{
    const qint64 wait = qEnvironmentVariable(childStartAt).toLongLong() - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
}

// Rings, answers and ends count calls from numbers starting with prefix; 0 once all are recorded
// without trouble.
int recordCalls(const QString& directory, int count, const QString& prefix)
{
    // On a server, each program has a folder (and settings) of its own.
    const QString server = qEnvironmentVariable(childServer);
    const QString folder = server.isEmpty() ? directory : QDir(directory).filePath(prefix);
    QDir().mkpath(folder);
    VirtualHybridRig rig(folder, [&] {
        if (!server.isEmpty())
            joinStation(server, prefix);
    });
    CUC20* engine = rig.window()->context()->uc20;
    const auto reaches
        = [&](VOICECALL_STATE state) { return rig.stepUntil([&] { return engine->callState() == state; }, 8000); };
    if (!rig.connectUnit() || !rig.stepUntil([&] { return engine->simState() == SIM_READY; }, 3000))
        return 2;
    waitForStart();
    for (int i = 0; i < count; ++i) {
        CUSBHID* link = rig.window()->context()->usb;
        rig.stepUntil([&] { return link->pendingCount() == 0; }, 1000);
        rig.step(50);
        rig.unit()->ringIn(prefix + QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')));
        if (!reaches(VOICECALL_INCOMING))
            return 3;
        engine->answerCall();
        if (!reaches(VOICECALL_ACTIVE))
            return 4;
        rig.step(200);
        engine->endCall();
        if (!reaches(VOICECALL_IDLE))
            return 5;
        QCoreApplication::processEvents();
    }
    // Writes the other program's lock held back land from the writer's timer.
    const bool all = rig.pumpUntil(
        [&] {
            QSqlQuery rows(
                QStringLiteral("SELECT COUNT(*) FROM call_register WHERE phone_number LIKE '%1%'").arg(prefix));
            return rows.next() && rows.value(0).toInt() == count;
        },
        30000);
    // The other program's writes are no trouble to tell the operator of.
    const QString problem = rig.window()->context()->database->problem();
    if (!problem.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(problem));
    return !all ? 6 : problem.isEmpty() ? 0 : 7;
}

} // namespace

class TestTwoPrograms : public QObject
{
    Q_OBJECT

    // Starts two copies of this test as programs on directory and returns their exit codes.
    static QList<int> runTwo(const QString& directory, int calls, const QString& server = QString())
    {
        QProcess programs[2];
        const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QLatin1String(childDirectory), directory);
            environment.insert(QLatin1String(childCalls), QString::number(calls));
            environment.insert(QLatin1String(childPrefix), QStringLiteral("06%1").arg(i + 1));
            environment.insert(QLatin1String(childStartAt), start);
            if (!server.isEmpty())
                environment.insert(QLatin1String(childServer), server);
            programs[i].setProcessEnvironment(environment);
            programs[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            programs[i].start(QCoreApplication::applicationFilePath(), {});
        }
        QList<int> codes;
        for (QProcess& program : programs)
            codes << (program.waitForFinished(100000) && program.exitStatus() == QProcess::NormalExit
                    ? program.exitCode()
                    : -1);
        return codes;
    }

private slots:
    // Both record calls at the same moment: every call is in the history once as answered, none
    // is lost, and no call is left open.
    void bothRecordCalls()
    {
        const int calls = 300;
        QTemporaryDir directory(
            QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/parlona-two-XXXXXX") : QString());
        QCOMPARE(runTwo(directory.path(), calls), (QList<int> { 0, 0 }));
        // Calls, distinct numbers, answered ones, and calls left open.
        const QString each = QString::number(2 * calls);
        QCOMPARE(SqliteFileAccess::rows(QDir(directory.path()).filePath(QStringLiteral("parlona.db")),
                     QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT phone_number), SUM(call_type = 0), "
                                    "(SELECT COUNT(*) FROM call_register_open) FROM call_register")),
            QStringList { QStringLiteral("%1|%1|%1|0").arg(each) });
    }

    // Two studios on the station's server at the same moment: every call once, with its studio.
    // 200 calls each here, a thousand in the long run (PARLONA_STATION_CALLS).
    void twoStudiosRecordCallsOnTheServer()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
        const int calls = qEnvironmentVariableIsSet("PARLONA_STATION_CALLS")
            ? qEnvironmentVariableIntValue("PARLONA_STATION_CALLS")
            : 200;
        QString error;
        const QString name = TestPostgres::freshDatabase(&error);
        QVERIFY2(!name.isEmpty(), qPrintable(error));
        QTemporaryDir directory;
        QCOMPARE(runTwo(directory.path(), calls, name), (QList<int> { 0, 0 }));
        CDatabase server(TestPostgres::server(name), nullptr);
        QSqlQuery rows = server.query(
            QStringLiteral("SELECT s.studio, COUNT(*), COUNT(DISTINCT c.phone_number), SUM(CASE WHEN c.call_type = 0 "
                           "THEN 1 ELSE 0 END), MIN(c.phone_number), (SELECT COUNT(*) FROM call_register_open) "
                           "FROM call_register AS c LEFT JOIN call_studio AS s ON s.call_id = c.id "
                           "GROUP BY s.studio ORDER BY s.studio"));
        QStringList found;
        while (rows.next())
            found << QStringLiteral("%1 %2 %3 %4 %5 %6")
                         .arg(rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(),
                             rows.value(3).toString(), rows.value(4).toString(), rows.value(5).toString());
        // Every call once, answered, none left open.
        const QString each = QString::number(calls);
        QCOMPARE(found,
            QStringList({ QStringLiteral("Studio 061 %1 %1 %1 06100000 0").arg(each),
                QStringLiteral("Studio 062 %1 %1 %1 06200000 0").arg(each) }));
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(childDirectory)) {
        const QString directory = qEnvironmentVariable(childDirectory);
        const int calls = qEnvironmentVariableIntValue(childCalls);
        const int status = recordCalls(directory, calls, qEnvironmentVariable(childPrefix));
        // What the window left to be deleted goes before the application does.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return status;
    }
    TestTwoPrograms test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_twoprograms.moc"
