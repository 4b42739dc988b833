#ifndef CALLNOTESPANEL_H
#define CALLNOTESPANEL_H

#include "CallNotes.h"

#include <QFrame>

class FittingLabel;
class QLabel;
class QPushButton;
struct AppContext;

// The presenter's view of the producer's notes, a strip along the bottom of the control bar:
// whether the caller is ready for air, the caller's name and place, the topic, and a button that
// puts the noted name into the phonebook. It shows the notes of the call going on, and those of
// the last call until the next one begins; without notes it is hidden. Names and topics too long for the strip shrink,
// then are cut in the middle, whole in the tool tip; the strip never widens the bar.
class CallNotesPanel : public QFrame
{
    Q_OBJECT

public:
    explicit CallNotesPanel(QWidget* parent = nullptr);

    // Hands over the call notes and the phonebook saver (either may be null).
    void setContext(AppContext* context);

public slots:
    void onNotesChanged(const CallNote& note);
    void on_pushButton_saveCaller_clicked();

protected:
    // The phonebook may have changed meanwhile: the button looks again as the pointer comes.
    bool event(QEvent* event) override;

private:
    // The button is offered only when a click would add a contact; its tool tip says why not.
    void updateSaveButton();

    AppContext* m_context = nullptr;
    QLabel* m_ready;
    FittingLabel* m_caller;
    FittingLabel* m_topic;
    QPushButton* m_save;
};

#endif // CALLNOTESPANEL_H
