#ifndef CALLKEYS_H
#define CALLKEYS_H

#include <QKeySequence>
#include <QObject>

class QShortcut;
class QWidget;

// The keys that answer and hang up from whichever window of the program has the keyboard: the
// main window, the incoming-call window, the phonebook, the history. They are kept in the
// settings ("AnswerKey", "HangUpKey"), F9 and F10 unless the operator chose others.
class CallKeys : public QObject
{
    Q_OBJECT

public:
    static const QKeySequence DefaultAnswerKey;
    static const QKeySequence DefaultHangUpKey;

    // The shortcuts belong to window but work in every window of the application.
    explicit CallKeys(QWidget* window);

    static QKeySequence answerKey();
    static QKeySequence hangUpKey();
    static void setKeys(const QKeySequence& answer, const QKeySequence& hangUp);
    // Whether key (its first chord) types, edits or confirms in a text field or dialog when
    // pressed without Ctrl, Alt or Meta: as an application-wide key it would take that away
    // from the dial pad, the number fields and the dialogs.
    static bool interferesWithTyping(const QKeySequence& key);

public slots:
    // Takes the keys from the settings again.
    void reload();

signals:
    // Fires when the answer key is pressed.
    void answerPressed();
    // Fires when the hang-up key is pressed.
    void hangUpPressed();
    // Fires when the keys were (re)loaded, with the keys now in force.
    void keysChanged(const QKeySequence& answer, const QKeySequence& hangUp);

private:
    QShortcut* m_answer;
    QShortcut* m_hangUp;
};

#endif // CALLKEYS_H
