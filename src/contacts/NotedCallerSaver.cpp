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
    return check(m_context->callNotes ? m_context->callNotes->current().callerName : QString());
}

NotedCallerSaver::Outcome NotedCallerSaver::check(const QString& name) const
{
    const CallNotes* notes = m_context->callNotes;
    if (!notes || name.simplified().isEmpty())
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
    return save(m_context->callNotes ? m_context->callNotes->current().callerName : QString());
}

NotedCallerSaver::Outcome NotedCallerSaver::save(const QString& name)
{
    Outcome outcome = check(name);
    if (outcome == Saved) {
        const QString place = m_context->callNotes->current().place;
        const QString number = m_context->callNotes->number();
        QString firstName;
        QString lastName;
        splitName(name, &firstName, &lastName);
        // The texts were cleaned and bounded as they were noted; a NOT NULL column takes "".
        const bool added
            = m_context->database
                  ->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                         "VALUES (?, ?, ?, ?)"),
                      { firstName, lastName.isNull() ? QStringLiteral("") : lastName, number,
                          place.isNull() ? QStringLiteral("") : place })
                  .isActive();
        outcome = added ? Saved : NotWritten;
        if (added)
            emit contactAdded(number, name.simplified());
    }
    ConsoleLog::info(m_context->console, outcomeText(outcome, name.simplified()));
    return outcome;
}

QString NotedCallerSaver::outcomeText(Outcome outcome) const
{
    return outcomeText(outcome, m_context->callNotes ? m_context->callNotes->current().callerName : QString());
}

QString NotedCallerSaver::outcomeText(Outcome outcome, const QString& name) const
{
    const CallNotes* notes = m_context->callNotes;
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
