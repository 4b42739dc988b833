#include "CConsole.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"
#include "VirtualUC20Module.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <malloc.h>
#include <map>

namespace {

// Resident memory of this process in kB (statm counts pages), once the allocator has handed back
// what is free: what is left is what the program keeps, not how busy the machine made the heap.
long residentKb()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    return statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ').value(1).toLong() * 4 : 0;
}

} // namespace

// Many calls of every kind on a virtual hybrid whose clock the test runs: each call is recorded
// exactly once, the console keeps its bound and memory stays flat.
class TestSoak : public QObject
{
    Q_OBJECT

    // The database in memory-backed storage where there is some: the disk's syncs are not what
    // this test is about, and would make it take minutes. Declared before the rig, so that a
    // failed run's rig is gone before its folder, and writes no settings into a new one.
    QTemporaryDir m_dir { QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/parlona-soak-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/parlona-soak-XXXXXX") };
    std::unique_ptr<VirtualHybridRig> m_rig;
    CUC20* m_engine = nullptr;

    bool reaches(VOICECALL_STATE state) { return m_rig->stepUntil([&] { return m_engine->callState() == state; }, 8000); }
    bool connectAndWait()
    {
        return m_rig->connectUnit() && m_rig->stepUntil([&] { return m_engine->simState() == SIM_READY; }, 3000);
    }

    // One call of the given kind; an answered one is cut by unplugging the unit when unplug is set.
    bool call(int kind, int i, bool unplug)
    {
        const QString number = QStringLiteral("06%1").arg(i, 8, 10, QLatin1Char('0'));
        VirtualHybridUnit* unit = m_rig->unit();
        const bool incoming = kind < 2;
        const bool answered = kind % 2 == 0;
        // The last call's hang-up may still be on its way when the engine already saw the call end.
        CUSBHID* link = m_rig->window()->context()->usb;
        m_rig->stepUntil([&] { return link->pendingCount() == 0; }, 1000);
        m_rig->step(50);
        if (incoming) {
            unit->ringIn(number);
            if (!reaches(VOICECALL_INCOMING))
                return false;
            if (answered)
                m_engine->answerCall();
        } else {
            unit->setOutgoingOutcome(answered ? VirtualHybridUnit::AnswerAfterDelay : VirtualHybridUnit::NoAnswer, 300);
            m_engine->call(number);
            if (!reaches(VOICECALL_CALLING))
                return false;
        }
        if (answered && !reaches(VOICECALL_ACTIVE))
            return false;
        m_rig->step(answered ? 600 : 300);
        if (answered && unplug) {
            unit->unplug();
            const bool ended = reaches(VOICECALL_IDLE);
            unit->plug();
            return ended && connectAndWait();
        }
        if (incoming && !answered)
            unit->farEndHangsUp();
        else
            m_engine->endCall();
        return reaches(VOICECALL_IDLE);
    }

private slots:
    void manyCalls()
    {
        const int calls = qEnvironmentVariableIntValue("PARLONA_SOAK_CALLS") > 0
            ? qEnvironmentVariableIntValue("PARLONA_SOAK_CALLS")
            : 10000;
        m_rig = std::make_unique<VirtualHybridRig>(m_dir.path());
        m_engine = m_rig->window()->context()->uc20;
        QVERIFY(connectAndWait());
        std::map<int, int> expected; // call_type -> rows
        long rssAfterFirstThousand = 0;
        for (int i = 0; i < calls; ++i) {
            const int kind = i % 4;
            QVERIFY2(call(kind, i, i % 100 == 98), qPrintable(QStringLiteral("call %1").arg(i)));
            // What the program posted meanwhile (repaints, shown windows) is handled, as its event loop would.
            QCoreApplication::processEvents();
            ++expected[kind == 0 ? 0 : kind == 1 ? 2 : 1];
            if (i == 999)
                rssAfterFirstThousand = residentKb();
        }
        std::map<int, int> rows;
        QSqlQuery query(QStringLiteral("SELECT call_type, COUNT(*) FROM call_register GROUP BY call_type"));
        while (query.next())
            rows[query.value(0).toInt()] = query.value(1).toInt();
        QCOMPARE(rows, expected);
        QVERIFY(m_rig->window()->context()->console->plainText().count(QLatin1Char('\n')) < CConsole::MaxLines);
        const long grownKb = residentKb() - rssAfterFirstThousand;
        std::printf("%d calls; resident memory after the first thousand: %ld kB, grown since: %ld kB\n", calls,
            rssAfterFirstThousand, grownKb);
        // Still filling after the first thousand calls: the console up to its bound and SQLite's page
        // cache (2 MB); 2 to 3.5 MB in all, the more the busier the machine. Half a kilobyte kept
        // per call would add 4.5 MB over nine thousand.
        if (calls >= 5000)
            QVERIFY2(grownKb < 6 * 1024, qPrintable(QString::number(grownKb)));
        m_rig.reset();
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
