#include "ProgramEnvironment.h"
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Two starts at the same moment, as a session's autostart and an impatient double click make
// them: one program runs, the other brings it forward and ends.
class TestSingleInstance : public QObject
{
    Q_OBJECT

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
            program->start(QStringLiteral(PARLONA_PROGRAM), { "--virtual-hybrid", "--quit-after", "4000" });
        }
        QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
        const QString outputs[] = { QString::fromUtf8(first.readAllStandardOutput()),
            QString::fromUtf8(second.readAllStandardOutput()) };
        const int raised = int(outputs[0].contains("already running")) + int(outputs[1].contains("already running"));
        QCOMPARE(raised, 1);
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
