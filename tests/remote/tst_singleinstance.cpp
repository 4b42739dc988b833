#include "ProgramEnvironment.h"
#include "RemoteControl.h"
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Two starts at the same moment, as a session's autostart and an impatient double click make
// them: one program runs, the other brings it forward and ends. A studio with two lines runs one
// program per unit, and the remote options say which one they mean.
class TestSingleInstance : public QObject
{
    Q_OBJECT

    QProcessEnvironment m_environment;

    // Runs the program with arguments to its end: its exit status, and its output in output.
    int run(const QStringList& arguments, QString* output = nullptr)
    {
        QProcess program;
        program.setProcessEnvironment(m_environment);
        program.start(QStringLiteral(PARLONA_PROGRAM), arguments);
        if (!program.waitForFinished(30000))
            return -1;
        if (output)
            *output = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
        return program.exitCode();
    }

private slots:
    void twoStartsAtOnce_data()
    {
        QTest::addColumn<int>("round");
        for (int round = 1; round <= 3; ++round)
            QTest::newRow(qPrintable(QStringLiteral("round %1").arg(round))) << round;
    }

    void twoStartsAtOnce()
    {
        QTemporaryDir home;
        const QProcessEnvironment environment = isolatedProgramEnvironment(home.path());
        QProcess first;
        QProcess second;
        for (QProcess* program : { &first, &second }) {
            program->setProcessEnvironment(environment);
            program->start(QStringLiteral(PARLONA_PROGRAM), { "--virtual-hybrid", "--quit-after", "30000" });
        }
        // The one that brought the other forward ends by itself; the one running is then closed.
        QTRY_VERIFY_WITH_TIMEOUT(first.state() == QProcess::NotRunning || second.state() == QProcess::NotRunning, 15000);
        for (QProcess* program : { &first, &second }) {
            program->terminate();
            QVERIFY(program->state() == QProcess::NotRunning || program->waitForFinished(30000));
        }
        const QString outputs[]
            = { QString::fromUtf8(first.readAllStandardOutput()), QString::fromUtf8(second.readAllStandardOutput()) };
        const int raised = int(outputs[0].contains("already running")) + int(outputs[1].contains("already running"));
        QCOMPARE(raised, 1);
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
    }

    void unitBusNames_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("name");
        QTest::newRow("any unit") << QString() << "com.orvane.ParlonaControl";
        QTest::newRow("letters and digits") << "VH000001"
                                            << "com.orvane.ParlonaControl.Unit_VH000001";
        QTest::newRow("marks") << "0A:1_b.c"
                               << "com.orvane.ParlonaControl.Unit_0A_3a1_5fb_2ec";
        QTest::newRow("not ASCII") << QString::fromUtf8("\xc3\xa9") << "com.orvane.ParlonaControl.Unit__c3_a9";
    }

    // A bus name element takes letters, digits and "_" only, and no digit first.
    void unitBusNames()
    {
        QFETCH(QString, unit);
        QFETCH(QString, name);
        QCOMPARE(RemoteControl::serviceNameFor(unit), name);
        QCOMPARE(RemoteControl::unitOfServiceName(name), unit);
    }

    void oneProgramPerUnit()
    {
        QTemporaryDir home;
        m_environment = isolatedProgramEnvironment(home.path());
        QVERIFY(QDir(home.path()).mkpath("config/Orvane"));
        QFile settings(home.filePath("config/Orvane/Parlona Control.conf"));
        QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("[General]\nAutoConnect=true\n"));
        settings.close();
        QProcess lines[2];
        const QStringList arguments[] = { { "--virtual-hybrid", "--unit", "VH000001", "--quit-after", "20000" },
            { "--virtual-hybrid", "2", "--unit", "VH000002", "--quit-after", "20000" } };
        for (int i = 0; i < 2; ++i) {
            lines[i].setProcessEnvironment(m_environment);
            lines[i].start(QStringLiteral(PARLONA_PROGRAM), arguments[i]);
        }
        QString output;
        // Both run: each has its own unit's name, and each connects to its unit.
        for (const char* unit : { "VH000001", "VH000002" })
            QTRY_VERIFY_WITH_TIMEOUT(run({ "--status", "--unit", unit }, &output) == 0
                    && output.contains("connected: yes") && output.contains("sim: ready"),
                15000);
        QCOMPARE(run({ "--status", "--unit", "VH000003" }, &output), 3);
        // Without --unit the remote options do not guess.
        QCOMPARE(run({ "--status" }, &output), 2);
        QVERIFY2(output.contains("VH000001, VH000002") && output.contains("--unit"), qPrintable(output));
        // A second start for a unit brings its program forward.
        QCOMPARE(run({ "--virtual-hybrid", "--unit", "VH000001", "--quit-after", "5000" }, &output), 0);
        QVERIFY2(output.contains("already running"), qPrintable(output));
        // Each line's calls go to its own program, and both share one history.
        for (const char* unit : { "VH000001", "VH000002" }) {
            QCOMPARE(run({ "--dial", QString("06100000%1").arg(unit[7]), "--unit", unit }, &output), 0);
            QTRY_VERIFY_WITH_TIMEOUT(
                run({ "--status", "--unit", unit }, &output) == 0 && output.contains("call: active"), 15000);
        }
        for (const char* unit : { "VH000001", "VH000002" })
            QCOMPARE(run({ "--hangup", "--unit", unit }, &output), 0);
        for (QProcess& line : lines) {
            line.terminate();
            QVERIFY(line.waitForFinished(15000));
            QCOMPARE(line.exitCode(), 0);
        }
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "history");
        db.setDatabaseName(home.filePath("data/Orvane/Parlona Control/virtual-hybrid/parlona.db"));
        QVERIFY(db.open());
        QSqlQuery rows("SELECT phone_number FROM call_register ORDER BY phone_number", db);
        QStringList numbers;
        while (rows.next())
            numbers << rows.value(0).toString();
        QCOMPARE(numbers, (QStringList { "061000001", "061000002" }));
        db.close();
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
