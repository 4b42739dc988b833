#ifndef CALLNOTETEXT_H
#define CALLNOTETEXT_H

#include "CallNotes.h"

#include <QCoreApplication>
#include <QString>

// How the producer's notes of a call read wherever they are shown: the notes strip of the control
// bar, the incoming-call window and the call history.
class CallNoteText
{
    Q_DECLARE_TR_FUNCTIONS(CallNoteText)

public:
    // "Jan de Vries, Utrecht – Traffic on the A2": the caller's name and place, then the topic,
    // leaving out what was not noted; empty for no texts.
    static QString summary(const CallNote& note);
    // The summary after the badge "READY" when the caller is ready for air; for a line of text.
    static QString line(const CallNote& note);
    // One line per text noted, with its label, and whether the caller is ready for air; empty for
    // no notes.
    static QString details(const CallNote& note);
    static QString readyText(bool ready);
    // The same in one or two capitalised words, for a badge beside the caller's name.
    static QString badgeText(bool ready);
};

#endif // CALLNOTETEXT_H
