#ifndef VIRTUALUC20MODULE_H
#define VIRTUALUC20MODULE_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVector>

class VirtualClock;

// The Quectel UC20 inside the virtual hybrid: an AT command interpreter with a SIM, one voice
// call and a scriptable network behind it.
//
// The firmware hands it one command line at a time (without the line ending). Its answer comes
// out through output() as one batch of lines: the echo of the command first, information lines,
// the final result code last. Unsolicited lines (RING, BUSY, NO CARRIER, +CPIN, +QTONEDET, ...)
// come out as batches of their own, never inside an answer. After AT+CMGS the module prompts
// with "> " and takes the following lines as message text until Ctrl-Z sends it or ESC drops it.
class VirtualUC20Module : public QObject
{
    Q_OBJECT

public:
    // How the far end treats the next outgoing call.
    enum OutgoingOutcome { AnswerAfterDelay, Busy, NoAnswer };
    Q_ENUM(OutgoingOutcome)

    // The SIM as the network side sets it up.
    enum SimLock { SimUnlocked, SimPinLocked, SimPukLocked, SimMissing };
    Q_ENUM(SimLock)

    // The status of the one call, with the numbers +CLCC reports for it.
    enum CallStatus { NoCall = -1, CallActive = 0, CallDialling = 2, CallAlerting = 3, CallIncoming = 4 };
    Q_ENUM(CallStatus)

    // A text message the module has sent.
    struct SentMessage
    {
        QString destination;
        QString text;
    };

    static constexpr int RingIntervalMs = 3000;
    static constexpr int AlertingAfterMs = 1000;
    static constexpr int PinTries = 3;
    static constexpr int PukTries = 10;
    static constexpr int NoSignal = 99;
    static constexpr int SpeechCodecNone = 0;
    static constexpr int SpeechCodecWcdmaAmrNb = 7;
    static constexpr int SpeechCodecWcdmaAmrWb = 8;

    VirtualUC20Module(VirtualClock* clock, const QString& imei, QObject* parent = nullptr);
    ~VirtualUC20Module() override;

    // Power: switching off drops the call and every command setting that is not kept.
    void powerOn();
    void powerOff();
    bool isPoweredOn() const;

    // One line from the firmware: a command, or message text while a message is being written.
    void submit(const QString& line);
    // True between the "> " prompt of AT+CMGS and the Ctrl-Z or ESC that ends the message.
    bool isAwaitingText() const;

    // The network side.
    // A name, when given, is listed with the call as a phonebook entry's text would be.
    void ringIn(const QString& number, const QString& name = QString());
    void farEndAnswers();
    void farEndHangsUp();
    void setOutgoingOutcome(OutgoingOutcome outcome, int delayMs = 3000);
    OutgoingOutcome outgoingOutcome() const;
    int outgoingDelayMs() const;
    // The caller presses a key (0-9, *, #, A-D): reported while a call is active and the
    // module's tone detection is on. False when nothing was reported.
    bool callerPressesKey(char key);
    // 0 to 31, or 99 for no network (which ends a call in progress).
    void setSignal(int rssi);
    int signal() const;
    void setSimLock(SimLock lock);
    SimLock simLock() const;
    // True once ten wrong PUKs have blocked the SIM for good.
    bool isSimBlocked() const;
    void setPin(const QString& pin);
    QString pin() const;
    void setPuk(const QString& puk);
    QString puk() const;

    // What the module is doing.
    CallStatus callStatus() const;
    QString callNumber() const;
    bool isCallIncoming() const;
    int speechCodec() const;
    bool toneDetection() const;
    QString imei() const;
    // Every DTMF key sent towards the far end with AT+VTS, in order.
    QString dtmfSent() const;
    QList<SentMessage> sentMessages() const;

signals:
    // Fires with one complete answer (echo first, final result code last) or one unsolicited line.
    void output(const QStringList& lines);
    // Fires when a call appears, changes its status or ends.
    void callStateChanged();
    // Fires when the SIM is locked, unlocked, inserted or removed.
    void simStateChanged();
    // Fires when anything else the network side can see changes (signal, outcome, tone).
    void stateChanged();

private:
    enum Form { Execute, Test, Read, Set };
    enum SimStatus { SimReady, SimPinRequired, SimPukRequired, SimBlocked };

    struct Command
    {
        QString name; // upper case: "+CPIN", "D", "I", ... ("" for a bare AT)
        Form form;
        QString arguments; // after '=' (Set) or after the letter of a basic command
    };

    using Handler = void (VirtualUC20Module::*)(const Command&, QStringList&);
    struct HandlerEntry
    {
        const char* name;
        Handler handler;
    };

    static bool parse(const QString& line, Command* command);
    // rest is what follows "AT" and starts with '+'.
    static bool parseExtended(const QString& rest, Command* command);
    static QStringList splitArguments(const QString& arguments);
    static QString unquoted(const QString& argument);
    static bool readNumber(const QString& text, int minimum, int maximum, int* value);

    void execute(const QString& line);
    void takeMessageText(const QString& line);
    void unsolicited(const QString& line);
    void answerSimError(QStringList& out) const;
    static void answerIdentification(const Command& command, const QString& text, QStringList& out);
    bool simReady() const;
    bool hasNetwork() const;
    // Puts in a card locked as given (SimMissing takes the card out).
    void insertCard(SimLock lock);
    void startCall(CallStatus status, bool incoming, const QString& number);
    void setCallStatus(CallStatus status);
    void endCall(const char* report);
    void scheduleRing();
    void stopTone();

    void handleAt(const Command& command, QStringList& out);
    void handleEcho(const Command& command, QStringList& out);
    void handleIdentification(const Command& command, QStringList& out);
    void handleManufacturer(const Command& command, QStringList& out);
    void handleModel(const Command& command, QStringList& out);
    void handleRevision(const Command& command, QStringList& out);
    void handleImei(const Command& command, QStringList& out);
    void handlePin(const Command& command, QStringList& out);
    void enterSimCodes(const QStringList& arguments, QStringList& out);
    // True when the code is right; otherwise the error is answered, and a wrong code uses up a try.
    bool acceptPin(const QString& pin, QStringList& out);
    bool acceptPuk(const QStringList& arguments, QStringList& out);
    void unlockSim(QStringList& out);
    // The tries left on the card: "SC" for the PIN and its PUK, "P2" for PIN2.
    void handlePinCounter(const Command& command, QStringList& out);
    void handleConfiguration(const Command& command, QStringList& out);
    void handleDial(const Command& command, QStringList& out);
    void dialOut(const QString& number);
    void farEndResponds(OutgoingOutcome outcome);
    void handleAnswer(const Command& command, QStringList& out);
    void handleHangUp(const Command& command, QStringList& out);
    void handleDtmf(const Command& command, QStringList& out);
    // A setting of one number: "=?" gives its range, "?" reads it, "=<n>" sets it. True when set.
    bool numericSetting(
        const Command& command, QStringList& out, const QString& name, int lowest, int highest, int& value);
    void handleAudioMode(const Command& command, QStringList& out);
    void handleSidetone(const Command& command, QStringList& out);
    void handleLocalTone(const Command& command, QStringList& out);
    void switchLocalToneOff(const QStringList& arguments, QStringList& out);
    void playLocalTone(const QStringList& arguments, QStringList& out);
    void handleToneDetection(const Command& command, QStringList& out);
    void handleMessageFormat(const Command& command, QStringList& out);
    void handleCharacterSet(const Command& command, QStringList& out);
    void handleSendMessage(const Command& command, QStringList& out);
    // False when the arguments of AT+CMGS do not fit the message format.
    bool readMessageDestination(const QStringList& arguments, QString* destination) const;
    // Why no message can be sent now, or an empty string when one can.
    QString messageServiceError() const;
    void handleSignalQuality(const Command& command, QStringList& out);
    void handleCallList(const Command& command, QStringList& out);
    void handleSpeechCodec(const Command& command, QStringList& out);

    static const HandlerEntry handlers[];

    VirtualClock* m_clock;
    const QString m_imei;
    bool m_powered = false;

    // Network side
    OutgoingOutcome m_outcome = AnswerAfterDelay;
    int m_outcomeDelayMs = 3000;
    int m_signal = 20;

    // SIM (the tries counters live on the card and survive a power cycle)
    bool m_simPresent = true;
    bool m_pinEnabled = false;
    SimStatus m_simStatus = SimReady;
    QString m_pin = QStringLiteral("1234");
    QString m_puk = QStringLiteral("12345678");
    int m_pinTries = PinTries;
    int m_pukTries = PukTries;

    // The one call; its timers run on m_callContext, which ends with the call.
    CallStatus m_callStatus = NoCall;
    bool m_callIncoming = false;
    QString m_callNumber;
    QString m_callName;
    QPointer<QObject> m_callContext;

    // Settings kept over a power cycle
    int m_amrCodecPreference = 15;
    // Settings back to their defaults at every power-on
    bool m_echo = true;
    int m_audioMode = 0;
    QVector<int> m_sidetone;
    bool m_toneDetection = false;
    int m_messageFormat = 0;
    QString m_characterSet;
    int m_speechCodec = SpeechCodecWcdmaAmrWb;
    QPointer<QObject> m_toneContext;

    // Message being written after AT+CMGS
    bool m_awaitingText = false;
    QString m_messageDestination;
    QString m_messageText;
    int m_messageReference = 0;

    // Unsolicited lines raised while a command runs wait until its answer is out.
    bool m_executing = false;
    QStringList m_deferred;

    QString m_dtmfSent;
    QList<SentMessage> m_sentMessages;
};

#endif // VIRTUALUC20MODULE_H
