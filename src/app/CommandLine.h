#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "RemoteCommand.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// The program's command line: what to start, or the text to print and the status to exit with
// when nothing is to be started (--help, --help-all, --version, a mistake).
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    static constexpr int MaxVirtualUnits = 16;
    // The longest serial number --unit takes.
    static constexpr int MaxUnitLength = 64;
    // Exit status for a command line that cannot be followed.
    static constexpr int UsageError = 2;

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
    // --minimized: the window starts hidden in the tray, or minimized without a tray.
    bool minimized() const { return m_minimized; }
    bool verbose() const { return m_verbose; }
    // The language asked for with --lang ("nl", "en", ...), empty for the system's.
    QString language() const { return m_language; }
    // --answer, --hangup, --dial NUMBER or --status: no window, only a word to the running program.
    RemoteCommand remoteCommand() const { return m_remoteCommand; }
    QString dialNumber() const { return m_dialNumber; }
    // --unit SERIAL: the hybrid this program controls, or whose program a remote option speaks
    // to; empty for any.
    QString unit() const { return m_unit; }
    // --quit-after MS (not in the help, for scripted checks of a whole start): the program ends
    // by itself MS milliseconds after its window shows; 0 when it runs until closed.
    int quitAfterMs() const { return m_quitAfterMs; }

private:
    // --help, --help-all and --version: true when one of them gives the text to print.
    bool answerWithText(const QCommandLineParser& parser, const QString& usage);
    // --unit: false when its serial number cannot be one.
    bool readUnit(const QCommandLineParser& parser, const QString& usage);
    // --answer, --hangup, --dial and --status: true when the line asks for one of them.
    bool readRemoteCommand(const QCommandLineParser& parser, const QString& usage);
    // What the program starts with: the units, the service menu, the language and the like.
    void readWindowOptions(const QCommandLineParser& parser, const QString& usage);
    void refuse(const QString& reason, const QString& usage);

    bool m_run = true;
    int m_exitStatus = 0;
    QString m_output;
    int m_virtualUnits = 0;
    bool m_service = false;
    bool m_minimized = false;
    bool m_verbose = false;
    QString m_language;
    RemoteCommand m_remoteCommand = NoRemoteCommand;
    QString m_dialNumber;
    QString m_unit;
    int m_quitAfterMs = 0;
};

#endif // COMMANDLINE_H
