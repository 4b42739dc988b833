#ifndef CONTROLBAR_H
#define CONTROLBAR_H

#include <QElapsedTimer>
#include <QKeySequence>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include "GsmTypes.h"

namespace Ui {
class ControlBar;
}

class QInputDialog;
class QLabel;
class QPushButton;
class QTimer;
struct AppContext;

// The strip at the bottom of the main window, visible on every page: the SIM state with its
// login button and code prompts, the call state with the number or contact name and the speech
// codec, and the call, end-call and speed-dial buttons. The buttons only emit signals; the main
// window turns them into engine calls. The context comes after construction, because the main
// window's form creates the bar before the engine and the database exist. Without a unit it
// says so; a call's end, a silent GSM module and a weak or missing network are said loudly,
// for an operator whose eyes are on a live show. Along its bottom runs the producer's notes of
// the call (CallNotesPanel).
class ControlBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int BlinkIntervalMs = 400;
    static constexpr int TalkingIntervalMs = 100;
    // How long after a new second of the call the talk-time clock shows it.
    static constexpr int TalkingMarginMs = 2;
    // How long the end of a call stays on the call status before it returns to "IDLE".
    static constexpr int EndNoticeMs = 6000;
    // Signal qualities below this (about -93 dBm) make speech break up: said as a weak signal.
    static constexpr int WeakSignalRssi = 10;

    explicit ControlBar(QWidget* parent = nullptr);
    ~ControlBar() override;

    // Hands over the engine, the console and the database (any of them may be null).
    void setContext(AppContext* context);
    // Replaces the monotonic clock the talking time is read from, in milliseconds.
    void setClock(std::function<qint64()> milliseconds);

public slots:
    void onCodecChange(int type, QString typeStr);
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);
    void onSimStateChange(SIM_STATE state);
    void on_pushButton_simlogin_clicked();
    void on_pushButton_call_clicked();
    void on_pushButton_endcall_clicked();
    void onCallStateBlinkTimeout();
    void onTalkingTimerTimeout();
    void on_pushButton_dialnr1_clicked();
    void on_pushButton_dialnr2_clicked();
    void on_pushButton_dialnr3_clicked();
    void on_pushButton_dialnr4_clicked();
    void on_pushButton_dialnr5_clicked();
    void on_pushButton_dialnr6_clicked();
    void on_pushButton_dialnr7_clicked();
    void on_pushButton_dialnr8_clicked();

    // The unit came or went: without one the bar says so and greys the SIM and call fields.
    void onConnectionChange(bool connected);
    // The signal quality (0 to 31, 99 unknown) and strength: shown in dBm, with a warning for
    // no network and a weak signal.
    void onRssiChange(int rssi, int dBm);
    // A call ended: the bar says who ended it and the time talked, for a few seconds.
    void onCallEnded(CALL_END_REASON reason, QString number, qint64 unheardMs);
    // The GSM module stopped or started answering: said on the call status while it lasts.
    void onModuleSilenceChanged(bool silent, int silentForMs);
    // Tries left for the SIM's PIN and PUK; the next code prompt shows them.
    void onSimAttemptsLeft(int pinLeft, int pukLeft);
    // The keys that answer and hang up, shown in the buttons' tool tips.
    void setCallKeys(const QKeySequence& answer, const QKeySequence& hangUp);
    // The speed-dial numbers or the phonebook changed: the buttons name what they dial anew. The
    // bar also looks again whenever it is shown and whenever the pointer comes to the buttons.
    void onDialNumbersChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

signals:
    // Fires when the call button is pressed (answer a ringing call, otherwise dial).
    void callClicked();
    // Fires when the end-call button is pressed.
    void endcallClicked();
    // Fires when speed-dial button id (1 to 8) is pressed.
    void dialnrClicked(int id);

private:
    enum StatusStyle {
        SimReady,
        SimNotReady,
        CallIdle,
        CallingA,
        CallingB,
        IncomingA,
        IncomingB,
        CallActive,
        SilentA,
        SilentB,
        CallOver,
        CallLost,
        NoUnit,
        SignalGood,
        SignalWeak,
        SignalNone,
        StatusStyleCount
    };
    // Which of the SIM's counters belongs to an open prompt.
    enum PromptCounter { NoCounter, PinCounter, PukCounter };

    // Writes the call status for the unit, the module, a call just ended and the call state,
    // in that order of precedence after the end of a call.
    void showCallStatus();
    void setStatus(QLabel* label, const QString& text, StatusStyle style);
    void showTalkingTime();
    // Sets the talk-time clock to fire as the call's next second begins.
    void scheduleTalkingTick();
    // The blink timer runs while a call is set up or rings, and while the module is silent.
    void updateBlinking();
    // Whether the call status wears the idle style or one of the blinking ones.
    bool hasSetUpStyle() const;
    // What the end of a call says, from the state the call was in and the time talked.
    QString endText(CALL_END_REASON reason, qint64 talkedMs) const;
    void onEndNoticeTimeout();
    // Asks for the code the SIM state waits for and sends it to the module.
    void askSimCode(SIM_STATE state);
    // Asks for the PUK and a new PIN, twice; sends both once the two PINs match.
    void askPukAndNewPin(PromptCounter counter);
    // Empty when the operator gave up.
    QString askNewPin();
    // Runs one prompt until the operator gives a valid code or gives up; empty when given up.
    QString promptCode(
        const QString& label, PromptCounter counter, const QString& refusal, int minDigits, int maxDigits);
    // The open prompt's label: its question, the tries left and why an entry was refused.
    void updatePromptLabel();
    // Sends "AT+CPIN=" with codes as they are to go out.
    void sendCode(const QString& codes);
    void sendATCmd(const QString& command);
    // Speed-dial button index (1 to 8).
    QPushButton* dialButton(int index) const;
    // Writes a speed-dial button's text: its digit, and the name or number it dials where that fits.
    void fitDialButton(int index);

    static constexpr int DialButtonCount = 8;

    Ui::ControlBar* ui;
    AppContext* m_context = nullptr;
    QTimer* m_blinkTimer;
    QTimer* m_talkingTimer;
    QElapsedTimer m_monotonic;
    std::function<qint64()> m_clock;
    QTimer* m_endNoticeTimer;
    qint64 m_talkingSince = 0;
    QString m_styles[StatusStyleCount];
    bool m_blinkPhase = true;
    bool m_connected = false;
    bool m_moduleSilent = false;
    VOICECALL_STATE m_callState = VOICECALL_IDLE;
    QString m_endText;
    StatusStyle m_endStyle = CallOver;
    // Tries left as the module last reported them; -1 while not known.
    int m_pinLeft = -1;
    int m_pukLeft = -1;
    // A SIM report during an open prompt must not stack a second prompt on top of it.
    bool m_promptOpen = false;
    QPointer<QInputDialog> m_prompt;
    QString m_promptQuestion;
    QString m_promptRefusal;
    PromptCounter m_promptCounter = NoCounter;
    // What each speed-dial button dials, as the operator knows it: a contact's name or the number.
    QString m_dialNames[DialButtonCount];
};

#endif // CONTROLBAR_H
