#include "CommandLine.h"
#include "LogCategories.h"

#include <QCoreApplication>
#include <QTest>

// What the program makes of its command line, and what --verbose switches on.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7")); }

    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status"); // -1: the program runs
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("output"); // a piece of what is printed, or of the language
        QTest::newRow("nothing") << QStringList {} << -1 << 0 << QString();
        QTest::newRow("one virtual unit") << QStringList { "--virtual-hybrid" } << -1 << 1 << QString();
        QTest::newRow("three") << QStringList { "--virtual-hybrid", "3" } << -1 << 3 << QString();
        QTest::newRow("sixteen with =") << QStringList { "--virtual-hybrid=16" } << -1 << 16 << QString();
        QTest::newRow("with the rest") << QStringList { "--service", "--verbose", "--virtual-hybrid", "--lang", "nl" }
                                       << -1 << 1 << "nl";
        QTest::newRow("Qt's own options")
            << QStringList { "-platform", "offscreen", "-style=fusion", "-reverse" } << -1 << 0 << QString();
        QTest::newRow("seventeen") << QStringList { "--virtual-hybrid", "17" } << 2 << 0 << "1 to 16";
        QTest::newRow("not a count") << QStringList { "--virtual-hybrid=x" } << 2 << 0 << "1 to 16";
        QTest::newRow("two counts") << QStringList { "--virtual-hybrid", "2", "3" } << 2 << 0 << "1 to 16";
        QTest::newRow("count alone") << QStringList { "4" } << 2 << 0 << "Unexpected argument '4'";
        QTest::newRow("unknown option") << QStringList { "--bogus" } << 2 << 0 << "Unknown option 'bogus'";
        QTest::newRow("language missing") << QStringList { "--lang" } << 2 << 0 << "Missing value after '--lang'";
        QTest::newRow("two remote commands") << QStringList { "--answer", "--hangup" } << 2 << 0 << "one at a time";
        QTest::newRow("remote with a unit")
            << QStringList { "--status", "--virtual-hybrid" } << 2 << 0 << "one at a time";
        QTest::newRow("unit with a space") << QStringList { "--unit", "VH 1" } << 2 << 0 << "serial number";
        QTest::newRow("unit empty") << QStringList { "--status", "--unit=" } << 2 << 0 << "serial number";
        QTest::newRow("dial without a number") << QStringList { "--dial" } << 2 << 0 << "Missing value after '--dial'";
        QTest::newRow("help") << QStringList { "--help" } << 0 << 0 << "--virtual-hybrid";
        QTest::newRow("help with Qt's options") << QStringList { "--help-all" } << 0 << 0 << "-stylesheet <file>";
        QTest::newRow("quit after") << QStringList { "--virtual-hybrid", "--quit-after", "300" } << -1 << 1
                                    << QString();
        QTest::newRow("quit after nothing") << QStringList { "--quit-after=0" } << 2 << 0 << "milliseconds";
        QTest::newRow("remote, quit after")
            << QStringList { "--status", "--quit-after=9" } << 2 << 0 << "one at a time";
        QTest::newRow("version") << QStringList { "--version" } << 0 << 0 << "9.8.7";
        QTest::newRow("in the tray at the session's start") << QStringList { "--minimized" } << -1 << 0 << QString();
        QTest::newRow("remote, minimized") << QStringList { "--hangup", "--minimized" } << 2 << 0 << "one at a time";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, units);
        QFETCH(QString, output);
        const CommandLine line(QStringList { QStringLiteral("parlona-control") } + arguments);
        QCOMPARE(line.shouldRun(), status < 0);
        QCOMPARE(line.virtualUnits(), units);
        if (status < 0) {
            QCOMPARE(line.language(), output);
            QCOMPARE(line.service(), arguments.contains(QStringLiteral("--service")));
            QCOMPARE(line.verbose(), arguments.contains(QStringLiteral("--verbose")));
            QCOMPARE(line.minimized(), arguments.contains(QStringLiteral("--minimized")));
            QCOMPARE(line.quitAfterMs(), arguments.contains(QStringLiteral("--quit-after")) ? 300 : 0);
            return;
        }
        QCOMPARE(line.exitStatus(), status);
        QVERIFY2(line.output().contains(output), qPrintable(line.output()));
        // A mistake is followed by the usage, so that the right form is at hand.
        QCOMPARE(
            line.output().contains(QStringLiteral("--service")), status == 2 || arguments.first().startsWith("--help"));
        // Qt's own options are known, but only the long help shows them; the test hook never.
        QCOMPARE(line.output().contains(QStringLiteral("-platform <")), arguments.first() == "--help-all");
        QVERIFY(!line.output().contains(QStringLiteral("--quit-after <")));
    }

    void remoteCommands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("number");
        QTest::newRow("status, verbose") << QStringList { "--verbose", "--status" } << int(RemoteStatus)
                                         << QString();
        QTest::newRow("dial") << QStringList { "--dial", "+31 20 123" } << int(RemoteDial) << "+31 20 123";
        QTest::newRow("dial with =") << QStringList { "--dial=0612" } << int(RemoteDial) << "0612";
        QTest::newRow("a window") << QStringList { "--service" } << int(NoRemoteCommand) << QString();
        QTest::newRow("status of one unit")
            << QStringList { "--status", "--unit", "VH000002" } << int(RemoteStatus) << QString();
        QTest::newRow("a window for one unit")
            << QStringList { "--virtual-hybrid", "--unit=SN:12.a-b" } << int(NoRemoteCommand) << QString();
    }

    void remoteCommands()
    {
        QFETCH(QStringList, arguments);
        const CommandLine line(QStringList { QStringLiteral("parlona-control") } + arguments);
        QVERIFY(line.shouldRun());
        QTEST(int(line.remoteCommand()), "command");
        QTEST(line.dialNumber(), "number");
        const QString unit = arguments.filter(QStringLiteral("VH00")).value(0) + arguments.filter("--unit=").value(0).mid(7);
        QCOMPARE(line.unit(), unit);
    }

    void verboseSwitchesDiagnosticsOn()
    {
        for (const QLoggingCategory* category : { &lcLink(), &lcGsm(), &lcContacts() }) {
            QVERIFY(category->isWarningEnabled());
            QVERIFY(!category->isDebugEnabled());
        }
        enableVerboseLogging();
        for (const QLoggingCategory* category : { &lcLink(), &lcGsm(), &lcContacts() })
            QVERIFY(category->isDebugEnabled());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
