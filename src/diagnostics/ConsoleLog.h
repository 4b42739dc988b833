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
    static void error(CConsole* console, const QString& msg);
    static void warn(CConsole* console, const QString& msg);
    static void info(CConsole* console, const QString& msg);
    static void debug(CConsole* console, const QString& msg);
    static void trace(
        CConsole* console, const QString& file, const QString& function, const QString& line, const QString& msg);
};

#endif // CONSOLELOG_H
