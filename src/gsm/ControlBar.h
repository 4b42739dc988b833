#ifndef CONTROLBAR_H
#define CONTROLBAR_H

#include <QElapsedTimer>
#include <QKeySequence>
#include <QString>
#include <QWidget>

#include <functional>

#include "GsmTypes.h"

namespace Ui {
class ControlBar;
}

class QTimer;
struct AppContext;

// The strip at the bottom of the main window, visible on every page: the SIM state with its
// login button and code prompts, the call state with the number or contact name and the speech
// codec, and the call, end-call and speed-dial buttons. The buttons only emit signals; the main
// window turns them into engine calls. The context comes after construction, because the main
// window's form creates the bar before the engine and the database exist.
class ControlBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int BlinkIntervalMs = 400;
    static constexpr int TalkingIntervalMs = 100;
    // The PIN a PUK entry gives the SIM; the operator does not choose it.
    static constexpr const char* PinAfterPuk = "6842";

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
        StatusStyleCount
    };

    // Asks for the code of kind "PIN" or "PUK" and sends it to the module.
    void askSimCode(QString kind);
    // Runs one prompt until the operator gives a valid code or gives up; empty when given up.
    QString promptCode(const QString& label, const QString& refusal, int minDigits, int maxDigits);
    void sendATCmd(const QString& command);

    Ui::ControlBar* ui;
    AppContext* m_context = nullptr;
    QTimer* m_blinkTimer;
    QTimer* m_talkingTimer;
    QElapsedTimer m_monotonic;
    std::function<qint64()> m_clock;
    qint64 m_talkingSince = 0;
    QString m_styles[StatusStyleCount];
    bool m_blinkPhase = true;
    // A SIM report during an open prompt must not stack a second prompt on top of it.
    bool m_promptOpen = false;
};

#endif // CONTROLBAR_H
