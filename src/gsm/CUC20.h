#ifndef CUC20_H
#define CUC20_H

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include "GsmTypes.h"

class CConsole;
class CUSBHID;
class QTimer;

// How a line of module output ends a response: the V.250 final result codes, or
// UC20_NOT_FINAL for any other line.
enum UC20_RESULT_CODE {
    UC20_NOT_FINAL = -1,
    UC20_OK = 0,
    UC20_CONNECT = 1,
    UC20_RING = 2,
    UC20_NO_CARRIER = 3,
    UC20_ERROR = 4,
    UC20_NO_DIALTONE = 5,
    UC20_BUSY = 6,
    UC20_NO_ANSWER = 7,
};

// The engine of the hybrid's UC20 module. It sends AT command lines through the link, collects
// the module's output lines into responses (each closed by a final result code), parses the
// responses one at a time in arrival order and publishes what it learns: the call state, the SIM
// state, the signal strength, the speech codec, the identification texts and DTMF keys pressed
// by the caller. The module's output is interpreted nowhere else.
class CUC20 : public QObject
{
    Q_OBJECT

public:
    // Longest command line a device message can carry (the NUL takes the 36th byte).
    static constexpr int MaxCommandLength = 35;
    // Output lines kept while no final result code arrives; older ones are dropped.
    static constexpr int MaxPendingLines = 200;
    // Longest module line put together from several messages; the rest of a longer one is cut.
    static constexpr int MaxLineLength = 512;
    static constexpr int DrainIntervalMs = 1;
    // The unit asks the module for its calls four times a second, so the module is never quiet
    // this long while it works.
    static constexpr int SilenceTimeoutMs = 5000;
    // A dial, answer or hang-up the module has not answered within this is no longer waited for.
    static constexpr int ActionAnswerTimeoutMs = 5000;

    explicit CUC20(QObject* parent, CUSBHID* link, CConsole* console);
    ~CUC20() override;

    // Classifies one whole output line, exactly and case-sensitively, in its verbose or numeric form.
    static UC20_RESULT_CODE classifyResultCode(const QString& line);

    // Sends one command line to the module; lines longer than MaxCommandLength bytes are refused.
    void sendATCmd(QString cmd);

    // Whether number can go out as a dial string: digits, '+', '*' and '#', with the blanks,
    // '-', '.', '(' and ')' people write between them, and at least one digit, '*' or '#'.
    static bool isDialable(const QString& number);
    // What goes to the module for a number written by a person: the number without its
    // separators, since a strict module refuses them ("06 1234 5678" dials "0612345678").
    static QString dialString(const QString& number);
    // Why call(number) would be refused now ("Not connected with device", "Invalid phone
    // number", "Current call active", "Call already being placed"), or empty when it would dial.
    QString callRefusal(const QString& number) const;
    // Why call() would refuse the number, as a code that does not depend on the language.
    enum CallRefusal { CallAllowed, NotConnected, InvalidNumber, NumberTooLong, CallActive, CallPending };
    CallRefusal callRefusalCode(const QString& number) const;
    // Why answerCall() / endCall() would be refused now (a repeat the module has not yet
    // answered), or empty when the command would go out.
    QString answerRefusal() const;
    QString hangUpRefusal() const;
    // Supplementary-service codes ("**21*0900123456#", "*#06#"): they change the line for every
    // later caller instead of calling anyone.
    static bool isServiceCode(const QString& number);

    VOICECALL_STATE callState() const;
    // The number of the call in progress as the module gave it (empty for a withheld one).
    QString callNumber() const;
    SIM_STATE simState() const;
    // Whether the module has said nothing for the silence timeout while the unit is connected.
    bool isModuleSilent() const;
    void setSilenceTimeout(int ms);
    // Replaces the monotonic clock (milliseconds, any origin) that times the module's silence and
    // the actions waiting for the module's answer.
    void setClock(std::function<qint64()> milliseconds);

public slots:
    void initialize();
    void onReceiveUSB(int id, int type, QByteArray data);
    void call(QString number);
    void endCall();
    void answerCall();
    void sms(QString number, QString msg);
    void errorInject(QStringList errMsg);
    void rssiRequest();
    void processMsgQueue();

signals:
    // Declared for the call user interface; never fires.
    void callAccepted();
    // Fires when the module answers a side tone query, with the side tone gain.
    void sidetone(int gain);
    // Fires for each entry of an answer to a phonebook read, in the module's order.
    void phonebookEntry(QString index, QString number, QString type, QString text);
    // Fires for every signal quality answer, with the raw rssi (99 = unknown) and dBm (0 = unknown).
    void rssiChange(int rssi, int dBm);
    // Fires for every speech codec answer with a known type, with the type and its name.
    void codecChange(int type, QString typeStr);
    // Fires when the call list shows a change of call state, with the call's number (empty for idle).
    void voicecallStateChange(VOICECALL_STATE state, QString number = QString());
    // Fires whenever the module reports the SIM state, also when it did not change.
    void simStateChange(SIM_STATE state);
    // Fires when the module detects a DTMF key pressed by the caller, with the key's ASCII code.
    void DTMFfromCaller(int ascii_code);
    // Fires when the module answers the manufacturer query, with its reply line.
    void manufacturerIdentification(QString);
    // Fires when the module answers the model query, with its reply line.
    void modelIdentification(QString);
    // Fires when the module answers the firmware revision query, with its reply line.
    void firmwareRevision(QString);
    // Fires when the module answers the serial number query, with its reply line (the IMEI).
    void IMEIIdentify(QString);
    // Fires when the module prompts for the text of a message ("> " after AT+CMGS).
    void messagePrompt();
    // Fires when the module reports a text message sent, with the reference it gave it.
    void messageSent(int reference);
    // Fires when the module has stopped answering while connected (silent, quiet for silentForMs)
    // and when it answers again (not silent). A call going on stays open through the silence.
    void moduleSilenceChanged(bool silent, int silentForMs);
    // Fires right before the change to VOICECALL_IDLE that ends a call: why it ended, the other
    // party, and how long before now the call was last known to go on (the module's silence; 0
    // when the end was seen as it happened).
    void callEnded(CALL_END_REASON reason, QString number, qint64 unheardMs);
    // Fires when the module refuses a number that was dialled, with the module's reason.
    void dialFailed(QString number, QString reason);
    // Fires when the module answers the PIN counter query: tries left for the PIN and the PUK.
    void simAttemptsLeft(int pinLeft, int pukLeft);

private:
    using ResponseHandler = void (CUC20::*)(const QStringList& response);
    struct EchoRule;
    static const QList<EchoRule>& echoRules();

    // The link closed: what was half received is gone with it, and so is the call.
    void onLinkClosed();
    void onModuleSilent();
    // A line came from the module: it is alive.
    void heardModule();
    // Adds one message's text to the module line being received; the whole line once it ends.
    QString assembleLine(const QByteArray& text, bool continues);
    void addPendingLine(const QString& line);
    void queueResponse(const QStringList& response);
    // Parses one complete response (one step of the drain timer).
    void parseResponse(const QStringList& response);
    void reportResult(UC20_RESULT_CODE result, const QStringList& response);
    void analyseOkResponse(const QStringList& response);
    void scanErrors(const QStringList& response);
    // The code of a "+CME ERROR" line, given as a number or in the table's words; -1 for none.
    static int cmeErrorCode(const QString& line);
    // What the console says of a "+CME ERROR" line: the error's text, else its code or what the
    // module wrote, never nothing.
    static QString cmeErrorMessage(const QString& line);
    void setSimState(SIM_STATE state);
    void setCallState(VOICECALL_STATE state, const QString& number);
    // Ends the call going on: tells why, then changes to idle.
    void closeCall(CALL_END_REASON reason, qint64 unheardMs);
    // A call list after a silence: whether the call followed before it is still the one listed.
    void confirmCallAfterSilence(int stat, const QString& number);

    // The actions the module answers: a repeat waits until it has.
    enum Action { Dialling, Answering, HangingUp, ActionCount };
    bool isPending(Action action) const;
    void setPending(Action action, bool pending);
    void noteAnswered(const QStringList& response, UC20_RESULT_CODE result);
    void reportDialFailure(const QStringList& response, UC20_RESULT_CODE result);

    void reportManufacturer(const QStringList& response);
    void reportModel(const QStringList& response);
    void reportFirmwareRevision(const QStringList& response);
    void reportImei(const QStringList& response);
    void parseSimStatus(const QStringList& response);
    void parseSignalQuality(const QStringList& response);
    void parseCallList(const QStringList& response);
    void parsePhonebook(const QStringList& response);
    void parseSidetone(const QStringList& response);
    void parseDtmfFromCaller(const QStringList& response);
    void parseSpeechCodec(const QStringList& response);
    void parseMessageReference(const QStringList& response);
    void parsePinCounter(const QStringList& response);
    // The module answered a PIN or PUK: what the SIM waits for now, and the tries left.
    void askSimAgain();

    CUSBHID* m_link;
    QByteArray m_partialLine;
    bool m_lineCutReported = false;
    QStringList m_pendingLines;
    QList<QStringList> m_responseQueue;
    QTimer* m_drainTimer;
    QTimer* m_silenceTimer;
    bool m_moduleSilent = false;
    int m_silenceTimeoutMs = SilenceTimeoutMs;
    qint64 m_lastHeardMs = 0;
    qint64 m_silenceStartMs = 0; // the last line heard before the module fell silent
    // The module spoke again after a silence in a call: the next call list tells whether the call
    // went on or ended meanwhile.
    bool m_callUnconfirmed = false;
    QString m_callNumber;
    bool m_hangUpRequested = false; // during the call going on
    qint64 m_pendingSince[ActionCount] = { -1, -1, -1 };
    std::function<qint64()> m_clock;
    CConsole* m_console;
    VOICECALL_STATE m_callState = VOICECALL_IDLE;
    SIM_STATE m_simState = SIM_UNKNOWN;
    bool m_overflowReported = false;
};

#endif // CUC20_H
