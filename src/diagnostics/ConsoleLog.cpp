#include "ConsoleLog.h"

#include "CConsole.h"

void ConsoleLog::error(CConsole* console, const QString& msg)
{
    if (console)
        emit console->error(msg);
}

void ConsoleLog::warn(CConsole* console, const QString& msg)
{
    if (console)
        emit console->warn(msg);
}

void ConsoleLog::info(CConsole* console, const QString& msg)
{
    if (console)
        emit console->info(msg);
}

void ConsoleLog::debug(CConsole* console, const QString& msg)
{
    if (console)
        emit console->debug(msg);
}

void ConsoleLog::trace(
    CConsole* console, const QString& file, const QString& function, const QString& line, const QString& msg)
{
    if (console)
        emit console->_trace(file, function, line, msg);
}
