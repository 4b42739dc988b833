#include "CallNoteText.h"

#include <QStringList>

QString CallNoteText::summary(const CallNote& note)
{
    QStringList who;
    for (const QString& text : { note.callerName, note.place }) {
        if (!text.isEmpty())
            who << text;
    }
    QString text = who.join(QStringLiteral(", "));
    if (!note.topic.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" \u2013 ")) + note.topic;
    return text;
}

QString CallNoteText::line(const CallNote& note)
{
    const QString text = summary(note);
    if (!note.readyForAir)
        return text;
    return text.isEmpty() ? badgeText(true) : badgeText(true) + QStringLiteral(" \u00b7 ") + text;
}

QString CallNoteText::details(const CallNote& note)
{
    if (note.isEmpty())
        return QString();
    QStringList lines;
    if (!note.callerName.isEmpty())
        lines << tr("Caller: %1").arg(note.callerName);
    if (!note.place.isEmpty())
        lines << tr("Place: %1").arg(note.place);
    if (!note.topic.isEmpty())
        lines << tr("Topic: %1").arg(note.topic);
    lines << readyText(note.readyForAir);
    return lines.join(QLatin1Char('\n'));
}

QString CallNoteText::readyText(bool ready)
{
    return ready ? tr("Ready for air") : tr("Not ready for air");
}

QString CallNoteText::badgeText(bool ready)
{
    return ready ? tr("READY") : tr("NOT READY");
}
