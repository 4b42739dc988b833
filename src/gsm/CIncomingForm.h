#ifndef CINCOMINGFORM_H
#define CINCOMINGFORM_H

#include <QDialog>
#include <QKeySequence>
#include <QString>

#include "CallNotes.h"
#include "GsmTypes.h"

namespace Ui {
class CIncomingForm;
}

class CUC20;
class QMovie;
struct AppContext;

// The stay-on-top window that pops up while a call is being set up or is ringing: a busy
// animation, the other party's name or number, Accept and Decline for an incoming call and a
// hang-up button for an outgoing one. It follows the engine's call state and hides itself when
// the call connects or ends. Where the operator leaves it on screen is remembered across runs.
// Its buttons take no keyboard focus: the window takes the keyboard as it pops up, and a key
// meant for another window (Space above all) must not answer or end a call. Enter answers a
// ringing call, Escape declines. The producer's notes of the call show under the name as they come.
class CIncomingForm : public QDialog
{
    Q_OBJECT

public:
    // The main window passes no parent, so that the window pops up on its own, whatever the
    // state of the main window.
    explicit CIncomingForm(AppContext* context, QWidget* parent = nullptr);
    ~CIncomingForm() override;

    // For a program that controls one unit of several: the title names the unit, and the window
    // keeps a place of its own, so that two lines' windows need not open on top of each other.
    void setUnit(const QString& serial);

public slots:
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);
    void on_pushButton_call_clicked();
    void on_pushButton_endcall_clicked();
    // The keys that answer and hang up, shown in the buttons' tool tips.
    void setCallKeys(const QKeySequence& answer, const QKeySequence& hangUp);
    void onNotesChanged(const CallNote& note);

protected:
    // The window's close button hangs up or rejects the call.
    void closeEvent(QCloseEvent* event) override;
    // Escape declines, as the Decline button does; Enter answers a ringing call.
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Shows the window in front of all others, with the keyboard, wherever the main window is.
    void popUp();
    void loadPlace();
    void storePlace();
    CUC20* engine() const;
    QString titled(const QString& title) const;
    QString placeKey() const;

    Ui::CIncomingForm* ui;
    AppContext* m_context;
    QMovie* m_movie;
    VOICECALL_STATE m_state = VOICECALL_IDLE;
    // Whether the geometry is one worth keeping: restored from the settings or shown on screen.
    bool m_placed = false;
    QString m_unit;
};

#endif // CINCOMINGFORM_H
