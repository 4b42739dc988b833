#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <utility>

namespace {

const QString virtualHybridName = QStringLiteral("virtual-hybrid");

} // namespace

CommandLine::CommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("CommandLine", "Controls the Orvane Parlona telephone hybrid."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption virtualHybrid(virtualHybridName,
        QCoreApplication::translate("CommandLine",
            "Attach N emulated hybrids (1 to %1, default 1) instead of USB: --virtual-hybrid [N].")
            .arg(MaxVirtualUnits));
    const QCommandLineOption service(QStringLiteral("service"),
        QCoreApplication::translate("CommandLine", "Offer the service pages (Debug, SMS, Dynamics) in a Service menu."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
        QCoreApplication::translate("CommandLine", "Write the program's diagnostics to the standard error output."));
    const QCommandLineOption language(QStringLiteral("lang"),
        QCoreApplication::translate("CommandLine", "Show the program in this language (for example nl or en)."),
        QStringLiteral("code"));
    const QCommandLineOption answer(QStringLiteral("answer"),
        QCoreApplication::translate("CommandLine", "Answer the ringing call in the running program."));
    const QCommandLineOption hangUp(QStringLiteral("hangup"),
        QCoreApplication::translate("CommandLine", "End the call in the running program."));
    const QCommandLineOption dial(QStringLiteral("dial"),
        QCoreApplication::translate("CommandLine", "Dial a number from the running program."), QStringLiteral("number"));
    const QCommandLineOption status(QStringLiteral("status"),
        QCoreApplication::translate("CommandLine", "Print the running program's connection, SIM, signal and call state."));
    parser.addOptions({ virtualHybrid, service, verbose, language, answer, hangUp, dial, status });
    // Qt's own options (-platform xcb, -style fusion, ...) are taken by the application object,
    // which is made after this: they are known here so as not to be refused, but not shown.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : { "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
             "qwindowicon", "qwindowtitle", "display", "geometry", "style", "stylesheet", "session", "name",
             "dialogs", "qmljsdebugger" }) {
        QCommandLineOption qtOption(QLatin1String(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char* name : { "reverse", "widgetcount", "nograb", "dograb", "sync", "testability" }) {
        QCommandLineOption qtOption { QLatin1String(name) };
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    parser.addPositionalArgument(QStringLiteral("N"),
        QCoreApplication::translate("CommandLine", "Number of emulated hybrids, after --virtual-hybrid."), QStringLiteral("[N]"));

    // The count may follow the option as "--virtual-hybrid=N" as well as "--virtual-hybrid N".
    QStringList split;
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--") + virtualHybridName + QLatin1Char('='))) {
            split << argument.section(QLatin1Char('='), 0, 0) << argument.section(QLatin1Char('='), 1);
        } else {
            split << argument;
        }
    }

    const QString usage = parser.helpText();
    if (!parser.parse(split)) {
        refuse(parser.errorText(), usage);
        return;
    }
    if (parser.isSet(help)) {
        m_run = false;
        m_output = usage;
        return;
    }
    if (parser.isSet(version)) {
        m_run = false;
        m_output = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
            + QLatin1Char('\n');
        return;
    }

    const QStringList counts = parser.positionalArguments();
    const std::pair<const QCommandLineOption*, RemoteCommand> remoteOptions[] = { { &answer, RemoteAnswer },
        { &hangUp, RemoteHangUp }, { &dial, RemoteDial }, { &status, RemoteStatus } };
    int remoteCount = 0;
    for (const auto& [option, command] : remoteOptions) {
        if (parser.isSet(*option)) {
            m_remoteCommand = command;
            ++remoteCount;
        }
    }
    if (remoteCount > 0) {
        if (remoteCount > 1 || parser.isSet(virtualHybrid) || parser.isSet(service) || !counts.isEmpty()) {
            m_remoteCommand = NoRemoteCommand;
            refuse(QCoreApplication::translate(
                       "CommandLine", "--answer, --hangup, --dial and --status are given alone, one at a time."),
                usage);
            return;
        }
        m_dialNumber = parser.value(dial);
        m_verbose = parser.isSet(verbose);
        return;
    }
    if (parser.isSet(virtualHybrid)) {
        m_virtualUnits = 1;
        if (!counts.isEmpty()) {
            bool isNumber = false;
            m_virtualUnits = counts.first().toInt(&isNumber);
            if (!isNumber || m_virtualUnits < 1 || m_virtualUnits > MaxVirtualUnits || counts.size() > 1) {
                refuse(QCoreApplication::translate("CommandLine", "The number of emulated hybrids must be 1 to %1.")
                           .arg(MaxVirtualUnits),
                    usage);
                return;
            }
        }
    } else if (!counts.isEmpty()) {
        refuse(QCoreApplication::translate("CommandLine", "Unexpected argument '%1'.").arg(counts.first()), usage);
        return;
    }
    m_service = parser.isSet(service);
    m_verbose = parser.isSet(verbose);
    m_language = parser.value(language);
}

void CommandLine::refuse(const QString& reason, const QString& usage)
{
    m_run = false;
    m_exitStatus = UsageError;
    m_virtualUnits = 0;
    m_output = reason + QLatin1Char('\n') + usage;
}
