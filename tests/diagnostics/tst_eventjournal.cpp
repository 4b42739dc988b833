#include "CUC20.h"
#include "EventJournal.h"
#include "EventLogDialog.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

// What happened overnight is kept: console events and calls, in the journal where one runs, in a
// rotating events file otherwise, and shown again under Help.
class TestEventJournal : public QObject
{
    Q_OBJECT

    static QStringList fileLines(const QString& name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

private slots:
    void eventsFile()
    {
        QTemporaryDir folder;
        QString name;
        {
            EventJournal journal(EventJournal::File, folder.filePath("state"));
            name = journal.fileName();
            journal.onInfo("Answered call with Anna");
            journal.onWarning("Module silent");
            journal.onError("The database did not take a statement:\nline two");
            // From here on the events are about one unit of several.
            journal.setUnit([] { return QStringLiteral("PH001234"); });
            journal.onCallBegins("0612345678", true);
            journal.onCallRecorded("0612345678", 0, QDateTime(QDate(2026, 12, 7), QTime(22, 15)), 95400);
        }
        const QStringList lines = fileLines(name);
        QCOMPARE(lines.size(), 5);
        const QDateTime written = QDateTime::fromString(lines[0].section(' ', 0, 0), Qt::ISODate);
        QVERIFY(qAbs(written.secsTo(QDateTime::currentDateTime())) < 60);
        QCOMPARE(lines[0].section(' ', 1), "info: Answered call with Anna");
        QCOMPARE(lines[1].section(' ', 1), "warning: Module silent");
        // One event, one line.
        QCOMPARE(lines[2].section(' ', 1), "error: The database did not take a statement: line two");
        QCOMPARE(
            lines[3].section(' ', 1), "info call-begin unit=PH001234 number=0612345678: call from 0612345678 rings");
        QVERIFY2(lines[4].contains("call-end unit=PH001234 number=0612345678: ")
                && lines[4].contains("2026-12-07T22:15:00") && lines[4].contains("after 95 s"),
            qPrintable(lines[4]));
    }

    void rotatesAndKeepsABoundedSize()
    {
        QTemporaryDir folder;
        QString name;
        const QString filler(200, 'x');
        {
            EventJournal journal(EventJournal::File, folder.path());
            QCOMPARE(EventLogDialog(&journal).text(), QStringLiteral("No events recorded yet."));
            name = journal.fileName();
            for (int i = 0; i < 20000; ++i)
                journal.onInfo(QStringLiteral("event %1 ").arg(i) + filler);
        }
        const QStringList kept = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(kept, QStringList({ "events.log", "events.log.1", "events.log.2" }));
        for (const QString& file : kept)
            QVERIFY(QFile(folder.filePath(file)).size() <= EventJournal::MaxFileBytes + 300);
        // The newest last, and the dialog shows them.
        const QStringList recent = EventJournal::recentEvents(name, 3);
        QCOMPARE(recent.size(), 3);
        QVERIFY(recent.last().contains("event 19999 "));
        QVERIFY(recent.first().contains("event 19997 "));
        EventJournal reopened(EventJournal::File, folder.path());
        QVERIFY(EventLogDialog(&reopened).text().endsWith(recent.last()));
    }

    // The program's own journal gets the console's events and the calls.
    void callsOfTheProgram()
    {
        QTemporaryDir state;
        qputenv("XDG_STATE_HOME", state.path().toUtf8());
        qputenv("PARLONA_EVENTS", "file");
        const QString number = QStringLiteral("0687654321");
        {
            VirtualHybridRig rig;
            CUC20* engine = rig.window()->context()->uc20;
            QVERIFY(rig.connectUntilSimReady());
            rig.unit()->ringIn(number);
            QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_INCOMING; }));
            rig.unit()->farEndHangsUp();
            QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_IDLE; }));
        }
        const QString log = fileLines(state.filePath("parlona-control/events.log")).join('\n');
        // Each event names the unit: "Connected" (logged as the unit opens) as well as the calls.
        const QString unit = QStringLiteral(" unit=") + VirtualHybridRig::serial;
        QVERIFY2(log.contains("info" + unit + ": Connected") && log.contains("call-begin" + unit + " number=" + number)
                && log.contains("call-end" + unit + " number=" + number)
                && log.contains("info" + unit + ": Missed call from " + number),
            qPrintable(log));
    }

    void systemJournal()
    {
        if (!EventJournal::journalRuns())
            QSKIP("no systemd journal on this machine; the events file stands in for it");
        const QString mark = QUuid::createUuid().toString(QUuid::WithoutBraces);
        {
            EventJournal journal(EventJournal::Journal, QDir::tempPath());
            journal.setUnit([] { return QStringLiteral("PH001234"); });
            journal.onCallBegins("0612345678", true);
            journal.onWarning("check " + mark);
        }
        QProcess journalctl;
        journalctl.start("journalctl", { "-t", "parlona-control", "-o", "verbose", "--since", "-5min", "--no-pager" });
        QVERIFY(journalctl.waitForFinished(10000));
        const QString out = QString::fromUtf8(journalctl.readAllStandardOutput());
        QVERIFY2(out.contains("MESSAGE=check " + mark), qPrintable(out.right(2000)));
        QVERIFY(out.contains("PARLONA_NUMBER=0612345678") && out.contains("PRIORITY=4"));
        QVERIFY(out.contains("PARLONA_UNIT=PH001234"));
    }
};

QTEST_MAIN(TestEventJournal)
#include "tst_eventjournal.moc"
