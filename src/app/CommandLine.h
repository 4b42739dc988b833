#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QString>
#include <QStringList>

// The program's command line: what to start, or the text to print and the status to exit with
// when nothing is to be started (--help, --version, a mistake).
class CommandLine
{
public:
    static constexpr int MaxVirtualUnits = 16;
    // Exit status for a command line that cannot be followed.
    static constexpr int UsageError = 2;

    // What a second invocation asks of the program already running.
    enum RemoteCommand { NoRemoteCommand, RemoteAnswer, RemoteHangUp, RemoteDial, RemoteStatus };

    // arguments as QCoreApplication::arguments() gives them, the program itself first.
    explicit CommandLine(const QStringList& arguments);

    // True when the program should start; otherwise print output() and exit with exitStatus().
    bool shouldRun() const { return m_run; }
    int exitStatus() const { return m_exitStatus; }
    // For stdout when the exit status is 0, for stderr otherwise.
    QString output() const { return m_output; }

    // 0 without --virtual-hybrid, else the number of emulated units (1 to MaxVirtualUnits).
    int virtualUnits() const { return m_virtualUnits; }
    bool service() const { return m_service; }
    bool verbose() const { return m_verbose; }
    // The language asked for with --lang ("nl", "en", ...), empty for the system's.
    QString language() const { return m_language; }
    // --answer, --hangup, --dial NUMBER or --status: no window, only a word to the running program.
    RemoteCommand remoteCommand() const { return m_remoteCommand; }
    QString dialNumber() const { return m_dialNumber; }

private:
    void refuse(const QString& reason, const QString& usage);

    bool m_run = true;
    int m_exitStatus = 0;
    QString m_output;
    int m_virtualUnits = 0;
    bool m_service = false;
    bool m_verbose = false;
    QString m_language;
    RemoteCommand m_remoteCommand = NoRemoteCommand;
    QString m_dialNumber;
};

#endif // COMMANDLINE_H
