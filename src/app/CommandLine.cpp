#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <utility>

namespace {

const QString virtualHybridName = QStringLiteral("virtual-hybrid");
const QString helpAllName = QStringLiteral("help-all");
const QString quitAfterName = QStringLiteral("quit-after");
const QString unitName = QStringLiteral("unit");

// The program's own options; the names are read back with QCommandLineParser::isSet.
void addProgramOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        { virtualHybridName,
            CommandLine::tr("Attach N emulated hybrids (1 to %1, default 1) instead of USB: --virtual-hybrid [N].")
                .arg(CommandLine::MaxVirtualUnits) },
        { QStringLiteral("service"),
            CommandLine::tr("Offer the service pages (Debug, SMS, Dynamics) in a Service menu.") },
        { QStringLiteral("verbose"), CommandLine::tr("Write the program's diagnostics to the standard error output.") },
        { QStringLiteral("minimized"),
            CommandLine::tr("Start in the tray (or minimized where there is none), as at the start of a session.") },
        { QStringLiteral("lang"), CommandLine::tr("Show the program in this language (for example nl or en)."),
            QStringLiteral("code") },
        { QStringLiteral("answer"), CommandLine::tr("Answer the ringing call in the running program.") },
        { QStringLiteral("hangup"), CommandLine::tr("End the call in the running program.") },
        { QStringLiteral("dial"), CommandLine::tr("Dial a number from the running program."),
            QStringLiteral("number") },
        { QStringLiteral("status"),
            CommandLine::tr("Print the running program's connection, SIM, signal and call state.") },
        { unitName,
            CommandLine::tr("Control only the hybrid with this serial number; with --answer, --hangup, --dial or "
                            "--status, speak to the program controlling it."),
            QStringLiteral("serial") },
    });
    // For scripted checks of a whole start: the program ends by itself after this long.
    QCommandLineOption quitAfter(quitAfterName, QString(), QStringLiteral("ms"));
    quitAfter.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitAfter);
}

// Qt's own options (-platform xcb, -style fusion, ...) are taken by the application object,
// which is made after the command line is read: they are known here so as not to be refused,
// and shown only by --help-all.
void addQtOptions(QCommandLineParser& parser, bool shown)
{
    struct QtOption
    {
        const char* name;
        const char* value; // nullptr for a switch
        const char* description;
    };
    static const QtOption qtOptions[] = {
        { "platform", "name",
            QT_TRANSLATE_NOOP("CommandLine", "The window system plugin: xcb, wayland, offscreen, ...") },
        { "platformpluginpath", "path", QT_TRANSLATE_NOOP("CommandLine", "Where to look for window system plugins.") },
        { "platformtheme", "theme", QT_TRANSLATE_NOOP("CommandLine", "The desktop theme to follow.") },
        { "plugin", "plugin", QT_TRANSLATE_NOOP("CommandLine", "An extra plugin to load, such as an input device.") },
        { "qwindowgeometry", "geometry",
            QT_TRANSLATE_NOOP("CommandLine", "The main window's size and place (WxH+X+Y).") },
        { "geometry", "geometry", QT_TRANSLATE_NOOP("CommandLine", "The same as -qwindowgeometry (X11).") },
        { "qwindowicon", "icon", QT_TRANSLATE_NOOP("CommandLine", "The main window's icon.") },
        { "qwindowtitle", "title", QT_TRANSLATE_NOOP("CommandLine", "The main window's title.") },
        { "display", "display", QT_TRANSLATE_NOOP("CommandLine", "The X server display to show the windows on.") },
        { "name", "name", QT_TRANSLATE_NOOP("CommandLine", "The program's resource name (X11).") },
        { "session", "session", QT_TRANSLATE_NOOP("CommandLine", "Restore the program from an earlier session.") },
        { "style", "style", QT_TRANSLATE_NOOP("CommandLine", "The widget style: fusion, windows, ...") },
        { "stylesheet", "file", QT_TRANSLATE_NOOP("CommandLine", "A style sheet for the whole program.") },
        { "dialogs", "dialogs", QT_TRANSLATE_NOOP("CommandLine", "The dialogs' look (Windows only).") },
        { "qmljsdebugger", "value", QT_TRANSLATE_NOOP("CommandLine", "Switch the QML debugger on.") },
        { "reverse", nullptr, QT_TRANSLATE_NOOP("CommandLine", "Lay the windows out from right to left.") },
        { "widgetcount", nullptr, QT_TRANSLATE_NOOP("CommandLine", "Print how many widgets are left at the end.") },
        { "nograb", nullptr, QT_TRANSLATE_NOOP("CommandLine", "Never grab the mouse or the keyboard.") },
        { "dograb", nullptr, QT_TRANSLATE_NOOP("CommandLine", "Grab the mouse and keyboard even under a debugger.") },
        { "sync", nullptr, QT_TRANSLATE_NOOP("CommandLine", "Talk to the X server synchronously (for debugging).") },
        { "testability", nullptr, QT_TRANSLATE_NOOP("CommandLine", "Load the testability plugin.") },
    };
    for (const QtOption& qtOption : qtOptions) {
        QCommandLineOption option(
            QLatin1String(qtOption.name), shown ? CommandLine::tr(qtOption.description) : QString());
        if (qtOption.value)
            option.setValueName(QLatin1String(qtOption.value));
        if (!shown)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// Every option the program knows, Qt's shown in the help only when showQtOptions is set.
void addAllOptions(QCommandLineParser& parser, bool showQtOptions)
{
    parser.setApplicationDescription(CommandLine::tr("Controls the Orvane Parlona telephone hybrid."));
    parser.addHelpOption(); // also adds --help-all
    parser.addVersionOption();
    addProgramOptions(parser);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addQtOptions(parser, showQtOptions);
    parser.addPositionalArgument(QStringLiteral("N"),
        CommandLine::tr("Number of emulated hybrids, after --virtual-hybrid."), QStringLiteral("[N]"));
}

// The count may follow the option as "--virtual-hybrid=N" as well as "--virtual-hybrid N".
QStringList splitVirtualHybridCount(const QStringList& arguments)
{
    QStringList split;
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--") + virtualHybridName + QLatin1Char('='))) {
            split << argument.section(QLatin1Char('='), 0, 0) << argument.section(QLatin1Char('='), 1);
        } else {
            split << argument;
        }
    }
    return split;
}

} // namespace

CommandLine::CommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    addAllOptions(parser, false);
    const QString usage = parser.helpText();
    if (!parser.parse(splitVirtualHybridCount(arguments))) {
        refuse(parser.errorText(), usage);
        return;
    }
    if (answerWithText(parser, usage) || !readUnit(parser, usage))
        return;
    if (readRemoteCommand(parser, usage))
        return;
    readWindowOptions(parser, usage);
}

bool CommandLine::answerWithText(const QCommandLineParser& parser, const QString& usage)
{
    if (parser.isSet(QStringLiteral("help"))) {
        m_output = usage;
    } else if (parser.isSet(helpAllName)) {
        QCommandLineParser withQtOptions;
        addAllOptions(withQtOptions, true);
        m_output = withQtOptions.helpText();
    } else if (parser.isSet(QStringLiteral("version"))) {
        m_output = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
            + QLatin1Char('\n');
    } else {
        return false;
    }
    m_run = false;
    return true;
}

bool CommandLine::readUnit(const QCommandLineParser& parser, const QString& usage)
{
    if (!parser.isSet(unitName))
        return true;
    // A serial number names a bus name and a lock file: letters, digits and a few marks only.
    static const QRegularExpression serial(QStringLiteral("^[A-Za-z0-9._:-]{1,%1}$").arg(MaxUnitLength));
    m_unit = parser.value(unitName);
    if (!serial.match(m_unit).hasMatch()) {
        refuse(tr("--unit takes a hybrid's serial number (letters and digits, at most %1).").arg(MaxUnitLength), usage);
        return false;
    }
    return true;
}

bool CommandLine::readRemoteCommand(const QCommandLineParser& parser, const QString& usage)
{
    const std::pair<const char*, RemoteCommand> remoteOptions[] = { { "answer", RemoteAnswer },
        { "hangup", RemoteHangUp }, { "dial", RemoteDial }, { "status", RemoteStatus } };
    int remoteCount = 0;
    for (const auto& [name, command] : remoteOptions) {
        if (parser.isSet(QLatin1String(name))) {
            m_remoteCommand = command;
            ++remoteCount;
        }
    }
    if (remoteCount == 0)
        return false;
    if (remoteCount > 1 || parser.isSet(virtualHybridName) || parser.isSet(QStringLiteral("service"))
        || parser.isSet(QStringLiteral("minimized")) || parser.isSet(quitAfterName) || !parser.positionalArguments().isEmpty()) {
        m_remoteCommand = NoRemoteCommand;
        refuse(tr("--answer, --hangup, --dial and --status are given alone, one at a time."), usage);
        return true;
    }
    m_dialNumber = parser.value(QStringLiteral("dial"));
    m_verbose = parser.isSet(QStringLiteral("verbose"));
    return true;
}

void CommandLine::readWindowOptions(const QCommandLineParser& parser, const QString& usage)
{
    const QStringList counts = parser.positionalArguments();
    if (parser.isSet(virtualHybridName)) {
        m_virtualUnits = 1;
        if (!counts.isEmpty()) {
            bool isNumber = false;
            m_virtualUnits = counts.first().toInt(&isNumber);
            if (!isNumber || m_virtualUnits < 1 || m_virtualUnits > MaxVirtualUnits || counts.size() > 1) {
                refuse(tr("The number of emulated hybrids must be 1 to %1.").arg(MaxVirtualUnits), usage);
                return;
            }
        }
    } else if (!counts.isEmpty()) {
        refuse(tr("Unexpected argument '%1'.").arg(counts.first()), usage);
        return;
    }
    if (parser.isSet(quitAfterName)) {
        bool isNumber = false;
        m_quitAfterMs = parser.value(quitAfterName).toInt(&isNumber);
        if (!isNumber || m_quitAfterMs < 1) {
            refuse(tr("--quit-after takes a number of milliseconds."), usage);
            return;
        }
    }
    m_service = parser.isSet(QStringLiteral("service"));
    m_minimized = parser.isSet(QStringLiteral("minimized"));
    m_verbose = parser.isSet(QStringLiteral("verbose"));
    m_language = parser.value(QStringLiteral("lang"));
}

void CommandLine::refuse(const QString& reason, const QString& usage)
{
    m_run = false;
    m_exitStatus = UsageError;
    m_virtualUnits = 0;
    m_quitAfterMs = 0;
    m_unit.clear();
    m_output = reason + QLatin1Char('\n') + usage;
}
