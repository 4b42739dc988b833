#ifndef CALLNOTES_H
#define CALLNOTES_H

#include "GsmTypes.h"

#include <QMetaType>
#include <QObject>
#include <QString>

// What a producer noted about a caller for the presenter.
struct CallNote
{
    QString callerName;
    QString place;
    QString topic;
    bool readyForAir = false;

    bool isEmpty() const;
    bool operator==(const CallNote& other) const;
    bool operator!=(const CallNote& other) const { return !(*this == other); }
};
Q_DECLARE_METATYPE(CallNote)

// The notes of the call going on: the producer writes them (the screening page), the presenter
// reads them (the control bar, the incoming-call window), and the call's record keeps them. A
// call begins when one rings or is dialled from an idle line; its notes stay readable after it
// ended, until the next call begins, so that the record written at its end can take them.
class CallNotes : public QObject
{
    Q_OBJECT

public:
    // Longer texts are cut to this many characters.
    static constexpr int MaxFieldLength = 200;

    explicit CallNotes(QObject* parent = nullptr);

    // Whether a call is going on (ringing, calling or talking).
    bool hasCall() const { return m_state != VOICECALL_IDLE; }
    // The party of the call going on or of the last one; empty for a withheld number.
    QString number() const { return m_number; }
    // The notes of the call going on or of the last one.
    CallNote current() const { return m_note; }

    // Replaces the notes of the call going on, each text with its outer white space and control
    // characters removed and cut to MaxFieldLength. False, and nothing changes, without a call.
    bool setCurrent(const CallNote& note);

public slots:
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);

signals:
    // Fires when the notes change: written for the call going on, or emptied as a call begins.
    void currentChanged(const CallNote& note);

private:
    static QString cleaned(const QString& text);

    VOICECALL_STATE m_state = VOICECALL_IDLE;
    QString m_number;
    CallNote m_note;
};

#endif // CALLNOTES_H
