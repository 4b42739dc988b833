#include "CallNotes.h"

bool CallNote::isEmpty() const
{
    return callerName.isEmpty() && place.isEmpty() && topic.isEmpty() && !readyForAir;
}

bool CallNote::operator==(const CallNote& other) const
{
    return callerName == other.callerName && place == other.place && topic == other.topic
        && readyForAir == other.readyForAir;
}

CallNotes::CallNotes(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<CallNote>("CallNote");
}

bool CallNotes::setCurrent(const CallNote& note)
{
    if (!hasCall())
        return false;
    CallNote clean;
    clean.callerName = cleaned(note.callerName);
    clean.place = cleaned(note.place);
    clean.topic = cleaned(note.topic);
    clean.readyForAir = note.readyForAir;
    if (clean != m_note) {
        m_note = clean;
        emit currentChanged(m_note);
    }
    return true;
}

void CallNotes::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    const bool begins = m_state == VOICECALL_IDLE && state != VOICECALL_IDLE;
    m_state = state;
    if (!begins) {
        // The number may become known while the call goes on (a late caller id).
        if (state != VOICECALL_IDLE && !number.isEmpty())
            m_number = number;
        return;
    }
    m_number = number;
    if (!m_note.isEmpty()) {
        m_note = CallNote();
        emit currentChanged(m_note);
    }
}

QString CallNotes::cleaned(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            kept += QLatin1Char(' ');
        else
            kept += c;
    }
    kept = kept.simplified();
    if (kept.size() <= MaxFieldLength)
        return kept;
    // Never cut a character in two.
    const int end = kept.at(MaxFieldLength - 1).isHighSurrogate() ? MaxFieldLength - 1 : MaxFieldLength;
    return kept.left(end);
}
