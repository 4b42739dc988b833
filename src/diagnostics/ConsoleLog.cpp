#include "ConsoleLog.h"

#include "CConsole.h"

QString ConsoleLog::excerpt(const QString& text, int maxLength)
{
    int length = text.size() > maxLength ? maxLength : text.size();
    // A cut between the halves of a surrogate pair would leave half a character.
    if (length < text.size() && length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    QString result;
    result.reserve(length + 8);
    for (int i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        switch (c.category()) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            break;
        default:
            result += c;
            continue;
        }
        if (c == QLatin1Char('\n'))
            result += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            result += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            result += QLatin1String("\\t");
        else
            result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (length < text.size())
        result += QChar(0x2026);
    return result;
}

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
