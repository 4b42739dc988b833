#include "ProgramEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// What the program itself writes to the terminal: warnings only, unless --verbose asks for its
// diagnostics. The real program is started in a home of its own, on a virtual hybrid that it
// connects to by itself, and ends itself after a moment as if closed.
class TestTerminalOutput : public QObject
{
    Q_OBJECT

    struct Run
    {
        int status = -1;
        QStringList errorLines; // each "type category: message"
        QString output;
    };

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = isolatedProgramEnvironment(m_home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
        // Never the desktop's bus: a program running there would be raised instead.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
        environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{type} %{category}: %{message}"));
        environment.remove(QStringLiteral("QT_LOGGING_RULES"));
        return environment;
    }

    Run start(const QStringList& arguments, const QProcessEnvironment& environment) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(programPath(), arguments);
        Run run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.errorLines = QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        run.output = QString::fromUtf8(process.readAllStandardOutput());
        return run;
    }

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(programPath()).isExecutable(), qPrintable(programPath()));
        QVERIFY(QDir().mkpath(m_home.filePath("runtime")));
        QFile::setPermissions(m_home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The program connects at once, so that the link and the engines have something to say.
        QSettings settings(m_home.filePath("config/Orvane/Parlona Control.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("AutoConnect"), true);
    }

    void diagnostics_data()
    {
        QTest::addColumn<bool>("verbose");
        QTest::newRow("quiet") << false;
        QTest::newRow("verbose") << true;
    }

    void diagnostics()
    {
        QFETCH(bool, verbose);
        QStringList arguments { "--virtual-hybrid", "--quit-after", "2000" };
        if (verbose)
            arguments << "--verbose";
        const Run run = start(arguments, environment());
        QCOMPARE(run.status, 0);
        QStringList chatter; // what is below a warning
        for (const QString& line : run.errorLines) {
            if (line.startsWith("debug ") || line.startsWith("info "))
                chatter << line;
            // Every line of the program's own goes through a category of its subsystem.
            QVERIFY2(!line.startsWith("debug default:") && !line.startsWith("info default:"), qPrintable(line));
        }
        if (!verbose) {
            QCOMPARE(chatter, QStringList());
            return;
        }
        // The start, the link's traffic and the end are told, each by its subsystem.
        for (const char* expected : { "debug parlona.contacts: Database file:", "debug parlona.link: in id 3",
                 "debug parlona.gsm: ", "debug parlona.app: ~MainWindow" })
            QVERIFY2(!chatter.filter(QLatin1String(expected)).isEmpty(), expected);
    }

    // The long help lists Qt's own options, also where there is no display to show a window on.
    void helpAllWithoutDisplay()
    {
        QProcessEnvironment environment = this->environment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const Run run = start({ "--help-all" }, environment);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.output.contains("--virtual-hybrid") && run.output.contains("-platform <"), qPrintable(run.output));
        QCOMPARE(run.errorLines, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestTerminalOutput)
#include "tst_terminaloutput.moc"
