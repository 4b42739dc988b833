#include "NotedCallerSaver.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CallNotes.h"
#include "ConsoleLog.h"

NotedCallerSaver::NotedCallerSaver(AppContext* context, QObject* parent)
    : QObject(parent)
    , m_context(context)
{
}

NotedCallerSaver::Outcome NotedCallerSaver::check() const
{
    const CallNotes* notes = m_context->callNotes;
    if (!notes || notes->current().callerName.isEmpty())
        return NoName;
    if (notes->number().isEmpty())
        return Withheld;
    if (!m_context->database || !m_context->database->isOpen())
        return NotWritten;
    if (!m_context->database->knownName(notes->number()).isEmpty())
        return AlreadyKnown;
    return Saved;
}

NotedCallerSaver::Outcome NotedCallerSaver::save()
{
    Outcome outcome = check();
    if (outcome == Saved) {
        const CallNote note = m_context->callNotes->current();
        const QString number = m_context->callNotes->number();
        QString firstName;
        QString lastName;
        splitName(note.callerName, &firstName, &lastName);
        // The texts were cleaned and bounded as they were noted; a NOT NULL column takes "".
        const bool added
            = m_context->database
                  ->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                         "VALUES (?, ?, ?, ?)"),
                      { firstName, lastName.isNull() ? QStringLiteral("") : lastName, number,
                          note.place.isNull() ? QStringLiteral("") : note.place })
                  .isActive();
        outcome = added ? Saved : NotWritten;
        if (added)
            emit contactAdded(number, note.callerName);
    }
    ConsoleLog::info(m_context->console, outcomeText(outcome));
    return outcome;
}

QString NotedCallerSaver::outcomeText(Outcome outcome) const
{
    const CallNotes* notes = m_context->callNotes;
    const QString name = notes ? notes->current().callerName : QString();
    const QString number = notes ? notes->number() : QString();
    switch (outcome) {
    case Saved:
        return tr("%1 (%2) is in the phonebook now, as the producer noted").arg(name, number);
    case NoName:
        return tr("The producer has noted no name to save in the phonebook");
    case Withheld:
        return tr("%1 called with a withheld number: there is no number to save").arg(name);
    case AlreadyKnown:
        return tr("%1 is in the phonebook already as %2")
            .arg(number, m_context->database ? m_context->database->knownName(number) : QString());
    case NotWritten:
        break;
    }
    return tr("%1 (%2) could not be saved in the phonebook").arg(name, number);
}

void NotedCallerSaver::splitName(const QString& name, QString* firstName, QString* lastName)
{
    const QString whole = name.simplified();
    const int blank = whole.indexOf(QLatin1Char(' '));
    *firstName = blank < 0 ? whole : whole.left(blank);
    *lastName = blank < 0 ? QString() : whole.mid(blank + 1);
}
