#include "CConsole.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTest>

// A GSM module that stops answering while the unit stays connected, on a virtual hybrid.
class TestE2eWatchdog : public QObject
{
    Q_OBJECT

private slots:
    void silentModuleEndsTheCallAndIsSaidSo()
    {
        VirtualHybridRig rig;
        CUC20* engine = rig.window()->context()->uc20;
        CConsole* console = rig.window()->context()->console;
        const int timeoutMs = 1000;
        engine->setSilenceTimeout(timeoutMs);
        QVERIFY(rig.connectUnit());
        QVERIFY(rig.pumpUntil([&] { return rig.window()->statusText().contains(QLatin1String("Firmware")); }));
        const QString connectedStatus = rig.window()->statusText();
        rig.unit()->ringIn(QStringLiteral("0612345678"));
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_INCOMING; }));
        engine->answerCall();
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_ACTIVE; }));
        QElapsedTimer talked;
        talked.start();

        // The unit keeps polling, the module says nothing: the call cannot be followed any more.
        QVERIFY(rig.pumpUntil([&] { return talked.elapsed() >= 300; }));
        rig.unit()->setModuleSilent(true);
        QVERIFY(rig.pumpUntil([&] { return engine->isModuleSilent(); }, 5000));
        const qint64 untilNoticed = talked.elapsed();
        QCOMPARE(engine->callState(), VOICECALL_IDLE);
        QCOMPARE(rig.window()->statusText(), QStringLiteral("Status: Connected [GSM module not answering]"));
        QVERIFY(console->plainText().contains(QLatin1String("The GSM module has not answered for 1 s")));
        // Recorded with the time talked up to the silence, not up to when it was noticed.
        QSqlQuery row(QStringLiteral("SELECT call_type, duration FROM call_register"));
        QVERIFY(row.next());
        QCOMPARE(row.value(0).toInt(), 0);
        QVERIFY2(row.value(1).toLongLong() <= untilNoticed - timeoutMs + 50, qPrintable(row.value(1).toString()));

        // It comes back: said once, and the status is what it was.
        rig.unit()->setModuleSilent(false);
        QVERIFY(rig.pumpUntil([&] { return !engine->isModuleSilent(); }, 3000));
        QCOMPARE(rig.window()->statusText(), connectedStatus);
        QCOMPARE(console->plainText().count(QLatin1String("The GSM module answers again")), 1);
    }
};

QTEST_MAIN(TestE2eWatchdog)
#include "tst_e2e_watchdog.moc"
