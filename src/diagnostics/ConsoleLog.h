#ifndef CONSOLELOG_H
#define CONSOLELOG_H

#include <QString>

class CConsole;

// Logging through a console for code that has no business with the console's pane: the link,
// the module engine and the contacts include this header, not the widget's. Each call emits
// the console's level signal of the same name; with no console nothing happens.
class ConsoleLog
{
public:
    // Characters of outside text (a remote request, a process name) that a line shows at most.
    static constexpr int ExcerptLength = 40;

    // Outside text made fit for one console line: line breaks, tabs and other control or
    // formatting characters written as escapes (\n, \r, \t, \u202e), and text longer than
    // maxLength cut there with an ellipsis. Only the part shown is looked at, so a huge text
    // costs no more than a short one.
    static QString excerpt(const QString& text, int maxLength = ExcerptLength);

    static void error(CConsole* console, const QString& msg);
    static void warn(CConsole* console, const QString& msg);
    static void info(CConsole* console, const QString& msg);
    static void debug(CConsole* console, const QString& msg);
    static void trace(
        CConsole* console, const QString& file, const QString& function, const QString& line, const QString& msg);
};

#endif // CONSOLELOG_H
