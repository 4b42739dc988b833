#include "ProgramEnvironment.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// Stopped by the system (a logout, a shutdown, systemctl, Ctrl+C): the program closes in order,
// asks nobody anything, records the call going on with its talk time so far and writes its
// settings.
class TestTermination : public QObject
{
    Q_OBJECT

private slots:
    void callOnAirIsRecordedWithoutAQuestion()
    {
        QTemporaryDir dir;
        {
            VirtualHybridRig rig(dir.path());
            QVERIFY(rig.connectUntilSimReady());
            QVERIFY(rig.answersRinging(QStringLiteral("0612345678")));
            QVERIFY(!rig.pumpUntil([] { return false; }, 3000));
            bool asked = false;
            QObject waiting;
            ModalAnswer::whenShown(&waiting, [&asked](QWidget* modal) {
                asked = true;
                static_cast<void>(modal->close());
            }, 1000);
            rig.window()->closeForShutdown();
            QVERIFY(!asked);
            QVERIFY(rig.window()->isHidden());
            QVERIFY(QSettings().contains("AutoConnect"));
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir.filePath("parlona.db"));
            QVERIFY(db.open());
            QSqlQuery row(db);
            QVERIFY(row.exec("SELECT call_type, duration, (SELECT count(*) FROM call_register_open) FROM call_register"));
            QVERIFY(row.next());
            QCOMPARE(row.value(0).toInt(), 0); // answered
            QVERIFY2(row.value(1).toInt() >= 3000 && row.value(1).toInt() < 4500, qPrintable(row.value(1).toString()));
            QCOMPARE(row.value(2).toInt(), 0);
        }
        QSqlDatabase::removeDatabase("check");
    }

    void signalsCloseInOrder_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalsCloseInOrder()
    {
        QFETCH(int, signalNumber);
        QTemporaryDir home;
        QProcess process;
        process.setProcessEnvironment(isolatedProgramEnvironment(home.path()));
        process.start(programPath(), { "--virtual-hybrid" });
        QVERIFY(process.waitForStarted());
        // Until the window is up and the handlers are in place.
        QTest::qWait(2500);
        QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QSettings written(home.filePath("config/Orvane/Parlona Control.conf"), QSettings::IniFormat);
        QVERIFY2(written.contains("TrayNotices"), qPrintable(written.fileName()));
    }
};

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
