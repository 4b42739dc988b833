#include "CUC20.h"
#include "LogCategories.h"

#include "AtFields.h"
#include "CUSBHID.h"
#include "ConsoleLog.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"

#include <QElapsedTimer>
#include <QPair>
#include <QTimer>

#include <memory>
#include <utility>

namespace {

const QString traceFile = QStringLiteral("../__src/CUC20");

// +CME error codes and their texts, as the module's manual names them.
const QMap<int, const char*> cmeErrorTexts = {
    { 0, QT_TRANSLATE_NOOP("CUC20", "Phone failure") },
    { 1, QT_TRANSLATE_NOOP("CUC20", "No connection to phone") },
    { 2, QT_TRANSLATE_NOOP("CUC20", "Phone-adaptor link reserved") },
    { 3, QT_TRANSLATE_NOOP("CUC20", "Operation not allowed") },
    { 4, QT_TRANSLATE_NOOP("CUC20", "Operation not supported") },
    { 5, QT_TRANSLATE_NOOP("CUC20", "PH-SIM PIN required") },
    { 6, QT_TRANSLATE_NOOP("CUC20", "PH-FSIM PIN required") },
    { 7, QT_TRANSLATE_NOOP("CUC20", "PH-FSIM PUK required") },
    { 10, QT_TRANSLATE_NOOP("CUC20", "SIM not inserted") },
    { 11, QT_TRANSLATE_NOOP("CUC20", "SIM PIN required") },
    { 12, QT_TRANSLATE_NOOP("CUC20", "SIM PUK required") },
    { 13, QT_TRANSLATE_NOOP("CUC20", "SIM failure") },
    { 14, QT_TRANSLATE_NOOP("CUC20", "SIM busy") },
    { 15, QT_TRANSLATE_NOOP("CUC20", "SIM wrong") },
    { 16, QT_TRANSLATE_NOOP("CUC20", "Incorrect password") },
    { 17, QT_TRANSLATE_NOOP("CUC20", "SIM PIN2 required") },
    { 18, QT_TRANSLATE_NOOP("CUC20", "SIM PUK2 required") },
    { 20, QT_TRANSLATE_NOOP("CUC20", "Memory full") },
    { 21, QT_TRANSLATE_NOOP("CUC20", "Invalid index") },
    { 22, QT_TRANSLATE_NOOP("CUC20", "Not found") },
    { 23, QT_TRANSLATE_NOOP("CUC20", "Memory failure") },
    { 24, QT_TRANSLATE_NOOP("CUC20", "Text string too long") },
    { 25, QT_TRANSLATE_NOOP("CUC20", "Invalid characters in text string") },
    { 26, QT_TRANSLATE_NOOP("CUC20", "Dial string too long") },
    { 27, QT_TRANSLATE_NOOP("CUC20", "Invalid characters in dial string") },
    { 30, QT_TRANSLATE_NOOP("CUC20", "No network service") },
    { 31, QT_TRANSLATE_NOOP("CUC20", "Network timeout") },
    { 32, QT_TRANSLATE_NOOP("CUC20", "Network not allowed - emergency calls only") },
    { 40, QT_TRANSLATE_NOOP("CUC20", "Network personalization PIN required") },
    { 41, QT_TRANSLATE_NOOP("CUC20", "Network personalization PUK required") },
    { 42, QT_TRANSLATE_NOOP("CUC20", "Network subset personalization PIN required") },
    { 43, QT_TRANSLATE_NOOP("CUC20", "Network subset personalization PUK required") },
    { 44, QT_TRANSLATE_NOOP("CUC20", "Service provider personalization PIN required") },
    { 45, QT_TRANSLATE_NOOP("CUC20", "Service provider personalization PUK required") },
    { 46, QT_TRANSLATE_NOOP("CUC20", "Corporate personalization PIN required") },
    { 47, QT_TRANSLATE_NOOP("CUC20", "Corporate personalization PUK required") },
};

// +CME error codes that tell what the SIM waits for.
const QMap<int, SIM_STATE> cmeSimStates = {
    { 11, SIM_PIN },
    { 12, SIM_PUK },
    { 17, SIM_PIN2 },
    { 18, SIM_PUK2 },
    { 40, SIM_PH_NET_PIN },
    { 41, SIM_PH_NET_PUK },
    { 42, SIM_PH_NETSUB_PIN },
    { 43, SIM_PH_NETSUB_PUK },
    { 44, SIM_PH_SP_PIN },
    { 45, SIM_PH_SP_PUK },
    { 46, SIM_PH_CORP_PIN },
    { 47, SIM_PH_CORP_PUK },
};

// +CPIN status texts, in the order they are searched: each longer text comes before the
// shorter one it contains ("SIM PIN2" before "SIM PIN").
const QList<QPair<QString, SIM_STATE>> cpinStatusTexts = {
    { QStringLiteral("READY"), SIM_READY },
    { QStringLiteral("SIM PIN2"), SIM_PIN2 },
    { QStringLiteral("SIM PUK2"), SIM_PUK2 },
    { QStringLiteral("SIM PIN"), SIM_PIN },
    { QStringLiteral("SIM PUK"), SIM_PUK },
    { QStringLiteral("PH-NET PIN"), SIM_PH_NET_PIN },
    { QStringLiteral("PH-NET PUK"), SIM_PH_NET_PUK },
    { QStringLiteral("PH-NETSUB PIN"), SIM_PH_NETSUB_PIN },
    { QStringLiteral("PH-NETSUB PUK"), SIM_PH_NETSUB_PUK },
};

// Speech codec names by the type number of a +QSPCH answer; only the unknown one has words to translate.
const QStringList speechCodecNames = {
    QT_TRANSLATE_NOOP("CUC20", "UNKNOWN CODEC"),
    QStringLiteral("GSM FR"),
    QStringLiteral("GSM HR"),
    QStringLiteral("GSM EFR"),
    QStringLiteral("GSM AMR NB"),
    QStringLiteral("GSM HR AMR"),
    QStringLiteral("GSM AMR WB"),
    QStringLiteral("WCDMA AMR NB"),
    QStringLiteral("WCDMA AMR WB"),
};

// The commands sent on every connection, in order.
const char* const startupCommands[] = {
    "AT+CPIN?",
    "ATI",
    "AT+QCFG=\"amrcodec\"",
    "AT+GMI",
    "AT+GMM",
    "AT+GMR",
    "AT+GSN",
};

QString replyLine(const QStringList& response)
{
    return response.value(1);
}

// A decimal field; 0 when it is not a number.
int decimalField(const QString& field)
{
    return field.toInt();
}

int rssiToDbm(int rssi)
{
    if (rssi == 0)
        return -113;
    if (rssi == 1)
        return -111;
    if (rssi >= 2 && rssi <= 30)
        return 2 * rssi - 113;
    if (rssi == 31)
        return -51;
    return 0; // 99 and anything else: not known
}

} // namespace

// One row of the dispatch on a response's first line (normally the module's echo of the
// command). Rows are tried in order; the first that matches decides.
struct CUC20::EchoRule
{
    enum Test { EqualsIgnoringCase, ContainsIgnoringCase, ContainsCaseSensitive };

    Test test;
    QStringList texts;       // the row matches when any of them does
    ResponseHandler handler; // null: recognised, nothing to do

    bool matches(const QString& echo) const
    {
        for (const QString& text : texts) {
            if (matchesText(echo, text))
                return true;
        }
        return false;
    }

    bool matchesText(const QString& echo, const QString& text) const
    {
        switch (test) {
        case EqualsIgnoringCase:
            return echo.compare(text, Qt::CaseInsensitive) == 0;
        case ContainsIgnoringCase:
            return echo.contains(text, Qt::CaseInsensitive);
        case ContainsCaseSensitive:
            return echo.contains(text, Qt::CaseSensitive);
        }
        return false;
    }
};

const QList<CUC20::EchoRule>& CUC20::echoRules()
{
    static const QList<EchoRule> rules = {
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("ATI") }, nullptr },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+GMI") }, &CUC20::reportManufacturer },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+GMM") }, &CUC20::reportModel },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+GMR") }, &CUC20::reportFirmwareRevision },
        { EchoRule::EqualsIgnoringCase,
            { QStringLiteral("AT+CGMI"), QStringLiteral("AT+CGMM"), QStringLiteral("AT+CGMR") }, nullptr },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+GSN") }, &CUC20::reportImei },
        { EchoRule::EqualsIgnoringCase,
            { QStringLiteral("AT+CGSN"), QStringLiteral("AT&F0"), QStringLiteral("AT&V"), QStringLiteral("AT&W") },
            nullptr },
        { EchoRule::ContainsIgnoringCase, { QStringLiteral("AT+QPINC") }, &CUC20::parsePinCounter },
        { EchoRule::ContainsIgnoringCase, { QStringLiteral("+CPIN") }, &CUC20::parseSimStatus },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+CSQ") }, &CUC20::parseSignalQuality },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("ATA") }, nullptr },
        { EchoRule::ContainsCaseSensitive, { QStringLiteral("ATD") }, nullptr },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("ATH") }, nullptr },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+CLCC") }, &CUC20::parseCallList },
        { EchoRule::ContainsIgnoringCase, { QStringLiteral("AT+CPBR") }, &CUC20::parsePhonebook },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+QSIDET?") }, &CUC20::parseSidetone },
        { EchoRule::ContainsIgnoringCase, { QStringLiteral("+QTONEDET:") }, &CUC20::parseDtmfFromCaller },
        { EchoRule::EqualsIgnoringCase, { QStringLiteral("AT+QSPCH") }, &CUC20::parseSpeechCodec },
        { EchoRule::ContainsIgnoringCase, { QStringLiteral("AT+CMGS") }, &CUC20::parseMessageReference },
    };
    return rules;
}

CUC20::CUC20(QObject* parent, CUSBHID* link, CConsole* console)
    : QObject(parent)
    , m_link(link)
    , m_drainTimer(new QTimer(this))
    , m_silenceTimer(new QTimer(this))
    , m_console(console)
{
    // The silence timer runs while the unit is connected and restarts with every module line.
    m_silenceTimer->setObjectName(QStringLiteral("silenceTimer"));
    m_silenceTimer->setSingleShot(true);
    m_silenceTimer->setTimerType(Qt::PreciseTimer);
    connect(m_silenceTimer, &QTimer::timeout, this, &CUC20::onModuleSilent);
    // The drain timer runs only while responses wait for the parser.
    m_drainTimer->setObjectName(QStringLiteral("drainTimer"));
    m_drainTimer->setInterval(DrainIntervalMs);
    connect(m_drainTimer, &QTimer::timeout, this, &CUC20::processMsgQueue);
    auto monotonic = std::make_shared<QElapsedTimer>();
    monotonic->start();
    m_clock = [monotonic] { return monotonic->elapsed(); };
    if (m_link) {
        connect(m_link, &CUSBHID::disconnected, this, &CUC20::onLinkClosed);
        // A unit just opened has had no time to speak: its silence counts from now.
        connect(m_link, &CUSBHID::connected, this, [this] {
            m_lastHeardMs = m_clock();
            m_silenceTimer->start(m_silenceTimeoutMs);
        });
    }
}

CUC20::~CUC20() = default;

UC20_RESULT_CODE CUC20::classifyResultCode(const QString& line)
{
    struct FinalCode
    {
        const char* verbose;
        const char* numeric;
        UC20_RESULT_CODE code;
    };
    static const FinalCode finalCodes[] = {
        { "OK", "0", UC20_OK },
        { "CONNECT", "1", UC20_CONNECT },
        { "RING", "2", UC20_RING },
        { "NO CARRIER", "3", UC20_NO_CARRIER },
        { "ERROR", "4", UC20_ERROR },
        { "NO DIALTONE", "6", UC20_NO_DIALTONE },
        { "BUSY", "7", UC20_BUSY },
        { "NO ANSWER", "8", UC20_NO_ANSWER },
    };
    for (const FinalCode& finalCode : finalCodes) {
        if (line == QLatin1String(finalCode.verbose) || line == QLatin1String(finalCode.numeric))
            return finalCode.code;
    }
    return UC20_NOT_FINAL;
}

void CUC20::sendATCmd(QString cmd)
{
    ConsoleLog::trace(m_console, traceFile, QStringLiteral("sendATCmd"), QStringLiteral("143"), cmd);

    // The limit is on the bytes that travel: a character outside ASCII takes more than one.
    const QByteArray data = cmd.toUtf8();
    if (data.size() > MaxCommandLength) {
        ConsoleLog::error(m_console, tr("sendATCmd(), max. length of at-command exceeded!"));
        return;
    }
    qCDebug(lcGsm).noquote() << ">" << cmd;
    const QByteArray payload = DevicePayload::atCommandPayload(data);
    m_link->transmit(DeviceMessage::AtCommand, DeviceMessage::Write, payload.constData(), payload.size());
}

VOICECALL_STATE CUC20::callState() const
{
    return m_callState;
}

QString CUC20::callNumber() const
{
    return m_callNumber;
}

SIM_STATE CUC20::simState() const
{
    return m_simState;
}

void CUC20::initialize()
{
    for (const char* command : startupCommands)
        sendATCmd(QLatin1String(command));
}

void CUC20::onReceiveUSB(int id, int type, QByteArray data)
{
    if (id != DeviceMessage::AtCommand)
        return;

    heardModule();
    const QString line = assembleLine(DevicePayload::atLine(data), type == DeviceMessage::LineContinues);
    if (line.isEmpty())
        return;
    // The module waits for the text after this; it is told at once, not with the response.
    if (line.startsWith(QLatin1Char('>')))
        emit messagePrompt();
    addPendingLine(line);
}

QString CUC20::assembleLine(const QByteArray& text, bool continues)
{
    const int room = MaxLineLength - m_partialLine.size();
    if (text.size() > room && !m_lineCutReported) {
        m_lineCutReported = true;
        ConsoleLog::error(
            m_console, tr("Module line longer than %1 characters: the rest is cut off").arg(MaxLineLength));
    }
    m_partialLine.append(text.left(room));
    if (continues)
        return QString();
    m_lineCutReported = false;
    return QString::fromLatin1(std::exchange(m_partialLine, QByteArray()));
}

void CUC20::addPendingLine(const QString& line)
{
    m_pendingLines.append(line);
    if (m_pendingLines.size() > MaxPendingLines) {
        m_pendingLines.removeFirst();
        if (!m_overflowReported) {
            m_overflowReported = true;
            ConsoleLog::error(m_console,
                tr("Module output without a final result code: more than %1 lines, "
                   "dropping the oldest")
                    .arg(MaxPendingLines));
        }
    }

    if (classifyResultCode(line) != UC20_NOT_FINAL) {
        queueResponse(m_pendingLines);
        m_pendingLines.clear();
        m_overflowReported = false;
    }
}

bool CUC20::isModuleSilent() const
{
    return m_moduleSilent;
}

void CUC20::setSilenceTimeout(int ms)
{
    m_silenceTimeoutMs = ms;
}

void CUC20::setClock(std::function<qint64()> milliseconds)
{
    m_clock = std::move(milliseconds);
}

void CUC20::heardModule()
{
    m_lastHeardMs = m_clock();
    if (m_link && m_link->isConnected())
        m_silenceTimer->start(m_silenceTimeoutMs);
    if (!m_moduleSilent)
        return;
    m_moduleSilent = false;
    // The call was open all along; the next call list tells whether it still is.
    m_callUnconfirmed = m_callState != VOICECALL_IDLE;
    ConsoleLog::info(m_console, tr("The GSM module answers again"));
    emit moduleSilenceChanged(false, 0);
}

void CUC20::onModuleSilent()
{
    if (m_moduleSilent || !m_link || !m_link->isConnected())
        return;
    // A window that stalled has not been reading: what the unit sent meanwhile waits in the
    // system's buffer, and a line among it means the module was never silent. The silence is
    // measured from the last line that arrived, not from when the timer came round.
    m_link->readWaiting();
    const qint64 quietMs = m_clock() - m_lastHeardMs;
    if (!m_link->isConnected() || quietMs < m_silenceTimeoutMs) {
        if (m_link->isConnected())
            m_silenceTimer->start(static_cast<int>(m_silenceTimeoutMs - quietMs));
        return;
    }
    m_moduleSilent = true;
    m_silenceStartMs = m_lastHeardMs;
    qCWarning(lcGsm) << "the module has been silent for" << quietMs << "ms";
    ConsoleLog::error(m_console, tr("The GSM module has not answered for %1 s").arg(quietMs / 1000));
    // The unit may well keep the caller on the line: the call stays open until the module says
    // how it went on, or the operator ends it.
    if (m_callState != VOICECALL_IDLE)
        ConsoleLog::error(m_console, tr("The call stays open until the module answers again"));
    emit moduleSilenceChanged(true, static_cast<int>(quietMs));
}

void CUC20::onLinkClosed()
{
    // Half a line or half a response would be glued to the first one after a reconnection.
    m_partialLine.clear();
    m_lineCutReported = false;
    m_pendingLines.clear();
    m_overflowReported = false;
    m_responseQueue.clear();
    m_drainTimer->stop();
    m_silenceTimer->stop();
    for (int action = 0; action < ActionCount; ++action)
        setPending(static_cast<Action>(action), false);
    const qint64 unheardMs = m_moduleSilent ? m_clock() - m_lastHeardMs : 0;
    m_moduleSilent = false;
    // The next unit may hold another SIM, and this one may be unlocked elsewhere meanwhile.
    if (m_simState != SIM_UNKNOWN)
        setSimState(SIM_UNKNOWN);
    // Without the unit nothing tells how the call goes on: it ends here, so that it is recorded
    // with the time talked until now (until the module fell silent, when it had).
    if (m_callState != VOICECALL_IDLE) {
        ConsoleLog::error(m_console, tr("Connection with the device lost: the call is ended here"));
        closeCall(CALL_END_LINE_LOST, unheardMs);
    }
}

bool CUC20::isDialable(const QString& number)
{
    static const QString dialCharacters = QStringLiteral("0123456789+*#");
    static const QString separators = QStringLiteral(" -.()");
    bool dials = false;
    for (const QChar c : number) {
        if (dialCharacters.contains(c))
            dials = dials || c != QLatin1Char('+');
        else if (!separators.contains(c))
            return false;
    }
    return dials;
}

QString CUC20::dialString(const QString& number)
{
    static const QString separators = QStringLiteral(" -.()");
    QString dial;
    dial.reserve(number.size());
    for (const QChar c : number) {
        if (!separators.contains(c))
            dial += c;
    }
    return dial;
}

CUC20::CallRefusal CUC20::callRefusalCode(const QString& number) const
{
    if (!m_link->isConnected())
        return NotConnected;
    // Anything else would reach the module as part of the command line ("123;+CFUN=0").
    if (!isDialable(number))
        return InvalidNumber;
    // Said here rather than after "Calling number": the command would be refused unsent.
    if (QByteArray("ATD;").size() + dialString(number).toUtf8().size() > MaxCommandLength)
        return NumberTooLong;
    if (m_callState != VOICECALL_IDLE)
        return CallActive;
    if (isPending(Dialling))
        return CallPending;
    return CallAllowed;
}

QString CUC20::callRefusal(const QString& number) const
{
    switch (callRefusalCode(number)) {
    case NotConnected:
        return tr("Not connected with device");
    case InvalidNumber:
        return tr("Invalid phone number");
    case NumberTooLong:
        return tr("Phone number too long");
    case CallActive:
        return tr("Current call active");
    case CallPending:
        return tr("Call already being placed");
    case CallAllowed:
        break;
    }
    return QString();
}

QString CUC20::answerRefusal() const
{
    return isPending(Answering) ? tr("Call already being answered") : QString();
}

QString CUC20::hangUpRefusal() const
{
    return isPending(HangingUp) ? tr("Call already being ended") : QString();
}

bool CUC20::isServiceCode(const QString& number)
{
    // MMI codes: "**21*<number>#" diverts, "**04*<old>*<new>*<new>#" changes the PIN, "*#06#"...
    const QString code = number.trimmed();
    return code.size() > 1 && (code.startsWith(QLatin1Char('*')) || code.startsWith(QLatin1Char('#')))
        && code.endsWith(QLatin1Char('#'));
}

bool CUC20::isPending(Action action) const
{
    const qint64 since = m_pendingSince[action];
    return since >= 0 && m_clock() - since < ActionAnswerTimeoutMs;
}

void CUC20::setPending(Action action, bool pending)
{
    // Without a unit the command goes nowhere and no answer will come to wait for.
    const bool waits = pending && m_link && m_link->isConnected();
    m_pendingSince[action] = waits ? m_clock() : -1;
}

void CUC20::call(QString number)
{
    const QString refusal = callRefusal(number);
    if (!refusal.isEmpty()) {
        ConsoleLog::error(m_console, refusal);
        return;
    }
    ConsoleLog::info(m_console, tr("Calling number: %1").arg(number));
    setPending(Dialling, true);
    sendATCmd(QStringLiteral("ATD") + dialString(number) + QLatin1Char(';'));
}

void CUC20::endCall()
{
    const QString refusal = hangUpRefusal();
    if (!refusal.isEmpty()) {
        ConsoleLog::error(m_console, refusal);
        return;
    }
    setPending(HangingUp, true);
    if (m_callState != VOICECALL_IDLE)
        m_hangUpRequested = true;
    sendATCmd(QStringLiteral("ATH"));
    // A silent module cannot say that the call ended: it ends here, as the operator asked.
    if (m_moduleSilent && m_callState != VOICECALL_IDLE) {
        setPending(HangingUp, false);
        closeCall(CALL_END_BY_US, 0);
    }
}

void CUC20::answerCall()
{
    const QString refusal = answerRefusal();
    if (!refusal.isEmpty()) {
        ConsoleLog::error(m_console, refusal);
        return;
    }
    setPending(Answering, true);
    sendATCmd(QStringLiteral("ATA"));
}

void CUC20::sms(QString /*number*/, QString /*msg*/) { }

void CUC20::errorInject(QStringList errMsg)
{
    // A response needs a last line to be classified by.
    if (errMsg.isEmpty())
        return;
    queueResponse(errMsg);
}

void CUC20::rssiRequest()
{
    // The hybrid polls the signal quality itself and its answers arrive in the module output, so
    // there is nothing to ask for here; for the same reason no timer calls this.
}

void CUC20::queueResponse(const QStringList& response)
{
    m_responseQueue.append(response);
    if (!m_drainTimer->isActive())
        m_drainTimer->start();
}

void CUC20::processMsgQueue()
{
    if (m_responseQueue.isEmpty()) {
        m_drainTimer->stop();
        return;
    }
    const QStringList response = m_responseQueue.takeFirst();
    if (m_responseQueue.isEmpty())
        m_drainTimer->stop();
    parseResponse(response);
}

void CUC20::parseResponse(const QStringList& response)
{
    if (response.isEmpty())
        return;

    QString traceText;
    for (const QString& line : response)
        traceText += QLatin1Char(' ') + line;
    qCDebug(lcGsm).noquote() << "<" << traceText;
    ConsoleLog::trace(m_console, traceFile, QStringLiteral("processMsgQueue"), QStringLiteral("240"), traceText);

    const UC20_RESULT_CODE result = classifyResultCode(response.last());
    noteAnswered(response, result);
    reportResult(result, response);
}

void CUC20::noteAnswered(const QStringList& response, UC20_RESULT_CODE result)
{
    // Only an answer to a command (its echo first) ends the wait for it.
    const QString& echo = response.first();
    if (echo.startsWith(QLatin1String("ATD"), Qt::CaseInsensitive)) {
        reportDialFailure(response, result);
        // Dialled, the call shows in the next call list; until then a repeat still waits.
        if (result != UC20_OK || response.join(QLatin1Char('\n')).contains(QLatin1String("+CME ERROR")))
            setPending(Dialling, false);
    } else if (echo.compare(QLatin1String("ATA"), Qt::CaseInsensitive) == 0) {
        // Answered, the call shows active in the next call list; a repeat before it would reach
        // a module with no call ringing any more.
        if (result != UC20_OK)
            setPending(Answering, false);
    } else if (echo.compare(QLatin1String("ATH"), Qt::CaseInsensitive) == 0) {
        // Likewise the end of the call shows in the next call list.
        if (result != UC20_OK || m_callState == VOICECALL_IDLE)
            setPending(HangingUp, false);
    }
}

void CUC20::reportDialFailure(const QStringList& response, UC20_RESULT_CODE result)
{
    QString reason;
    for (const QString& line : response) {
        if (!line.contains(QLatin1String("+CME ERROR"), Qt::CaseInsensitive))
            continue;
        reason = cmeErrorMessage(line);
        break;
    }
    if (reason.isEmpty()) {
        switch (result) {
        case UC20_ERROR:
            reason = tr("The module refused the number");
            break;
        case UC20_NO_CARRIER:
            reason = tr("No network");
            break;
        case UC20_BUSY:
            reason = tr("Busy");
            break;
        case UC20_NO_DIALTONE:
            reason = tr("No Dialtone");
            break;
        default:
            return;
        }
    }
    QString number = response.first().mid(3);
    if (number.endsWith(QLatin1Char(';')))
        number.chop(1);
    emit dialFailed(number, reason);
}

void CUC20::reportResult(UC20_RESULT_CODE result, const QStringList& response)
{
    switch (result) {
    case UC20_OK:
        analyseOkResponse(response);
        break;
    case UC20_ERROR:
        ConsoleLog::error(m_console, tr("Invalid GSM Command: %1").arg(response.first()));
        break;
    case UC20_RING:
        ConsoleLog::info(m_console, tr("Incoming call..."));
        break;
    case UC20_CONNECT:
        ConsoleLog::info(m_console, tr("Connect"));
        break;
    case UC20_NO_CARRIER:
        ConsoleLog::info(m_console, tr("No Carrier"));
        break;
    case UC20_NO_DIALTONE:
        ConsoleLog::info(m_console, tr("No Dialtone"));
        break;
    case UC20_BUSY:
        ConsoleLog::info(m_console, tr("Busy"));
        break;
    case UC20_NO_ANSWER:
        ConsoleLog::info(m_console, tr("No Anwer"));
        break;
    case UC20_NOT_FINAL:
        break;
    }
}

void CUC20::analyseOkResponse(const QStringList& response)
{
    scanErrors(response);

    const QString& echo = response.first();
    for (const EchoRule& rule : echoRules()) {
        if (rule.matches(echo)) {
            if (rule.handler)
                (this->*rule.handler)(response);
            return;
        }
    }
}

void CUC20::scanErrors(const QStringList& response)
{
    int lastCode = -1;
    for (const QString& line : response) {
        if (!line.contains(QLatin1String("+CME ERROR"), Qt::CaseInsensitive))
            continue;
        // A line without a code (too short, or in words the table does not know) has none.
        const int code = cmeErrorCode(line);
        if (code >= 0)
            lastCode = code;
        ConsoleLog::error(m_console, cmeErrorMessage(line));
    }
    if (cmeSimStates.contains(lastCode))
        setSimState(cmeSimStates.value(lastCode));
}

int CUC20::cmeErrorCode(const QString& line)
{
    const AtFields::CmeError error = AtFields::cmeError(line);
    if (error.hasCode)
        return error.code;
    // In words, as the module reports when told to: the table's own words name the code.
    for (auto it = cmeErrorTexts.cbegin(); it != cmeErrorTexts.cend(); ++it) {
        if (!error.detail.isEmpty() && error.detail.compare(QLatin1String(it.value()), Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return -1;
}

QString CUC20::cmeErrorMessage(const QString& line)
{
    const int code = cmeErrorCode(line);
    if (const char* text = cmeErrorTexts.value(code))
        return tr(text);
    const AtFields::CmeError error = AtFields::cmeError(line);
    if (error.hasCode)
        return tr("Module error %1").arg(error.code);
    if (!error.detail.isEmpty())
        return tr("Module error: %1").arg(error.detail);
    return tr("Module error without a code: %1").arg(line.trimmed());
}

void CUC20::setSimState(SIM_STATE state)
{
    m_simState = state;
    // Asked before the prompt opens, so that the answer reaches it while the operator types.
    if (state == SIM_PIN || state == SIM_PUK)
        sendATCmd(QStringLiteral("AT+QPINC=\"SC\""));
    emit simStateChange(state);
}

void CUC20::setCallState(VOICECALL_STATE state, const QString& number)
{
    if (m_callState == state)
        return;
    if (state == VOICECALL_IDLE) {
        // Every end of a call is told why; a caller that came here directly speaks for the caller.
        closeCall(m_hangUpRequested ? CALL_END_BY_US : CALL_END_BY_CALLER, 0);
        return;
    }
    // The call the module lists is what a dial or an answer waited for.
    setPending(Dialling, false);
    setPending(Answering, false);
    if (m_callState == VOICECALL_IDLE)
        m_hangUpRequested = false;
    m_callNumber = number;
    m_callState = state;
    emit voicecallStateChange(state, number);
}

void CUC20::closeCall(CALL_END_REASON reason, qint64 unheardMs)
{
    if (m_callState == VOICECALL_IDLE)
        return;
    m_callUnconfirmed = false;
    m_hangUpRequested = false;
    setPending(Answering, false);
    setPending(HangingUp, false);
    const QString number = std::exchange(m_callNumber, QString());
    emit callEnded(reason, number, unheardMs);
    m_callState = VOICECALL_IDLE;
    emit voicecallStateChange(VOICECALL_IDLE, QString());
}

void CUC20::confirmCallAfterSilence(int stat, const QString& number)
{
    if (!m_callUnconfirmed)
        return;
    m_callUnconfirmed = false;
    // The same call goes on when the list shows its number in the same or a later stage; any
    // other list means that it ended while the module said nothing.
    const bool later = (stat == 0 && m_callState != VOICECALL_IDLE) || (stat == 2 && m_callState == VOICECALL_CALLING)
        || (stat == 4 && m_callState == VOICECALL_INCOMING) || stat == 1 || stat == 3 || stat == 5;
    if (stat >= 0 && later && number == m_callNumber)
        return;
    // The call register says so, with the time talked until the silence.
    closeCall(CALL_END_IN_SILENCE, m_clock() - m_silenceStartMs);
}

void CUC20::reportManufacturer(const QStringList& response)
{
    emit manufacturerIdentification(replyLine(response));
}

void CUC20::reportModel(const QStringList& response)
{
    emit modelIdentification(replyLine(response));
}

void CUC20::reportFirmwareRevision(const QStringList& response)
{
    emit firmwareRevision(replyLine(response));
}

void CUC20::reportImei(const QStringList& response)
{
    emit IMEIIdentify(replyLine(response));
}

void CUC20::parseSimStatus(const QStringList& response)
{
    const QString& echo = response.first();
    // The answer to a PIN or PUK entry says nothing about the state; the next query will.
    if (echo.contains(QLatin1String("AT+CPIN="))) {
        askSimAgain();
        return;
    }

    // An unsolicited status report is itself the first line of the response.
    const QString status = echo.contains(QLatin1String("AT+CPIN?")) ? replyLine(response) : echo;
    for (const auto& statusText : cpinStatusTexts) {
        if (status.contains(statusText.first)) {
            setSimState(statusText.second);
            return;
        }
    }
}

void CUC20::askSimAgain()
{
    // A wrong code leaves fewer tries, and the last wrong PIN locks the SIM behind its PUK; a
    // SIM that still waits for a code is asked for its tries when it says so.
    sendATCmd(QStringLiteral("AT+CPIN?"));
}

void CUC20::parsePinCounter(const QStringList& response)
{
    // "+QPINC: "SC",<pin tries left>,<puk tries left>"
    for (const QString& line : response) {
        if (!line.startsWith(QLatin1String("+QPINC:"), Qt::CaseInsensitive))
            continue;
        const QStringList fields = AtFields::split(line.mid(7).trimmed());
        bool pinRead = false;
        bool pukRead = false;
        const int pinLeft = fields.value(1).trimmed().toInt(&pinRead);
        const int pukLeft = fields.value(2).trimmed().toInt(&pukRead);
        if (fields.size() == 3 && fields.at(0) == QLatin1String("SC") && pinRead && pukRead)
            emit simAttemptsLeft(pinLeft, pukLeft);
    }
}

void CUC20::parseSignalQuality(const QStringList& response)
{
    // "+CSQ: <rssi>,<ber>"
    if (response.size() != 3)
        return;
    const QStringList fields = replyLine(response).split(QLatin1Char(' '));
    if (fields.size() != 2)
        return;
    const QStringList values = fields.at(1).split(QLatin1Char(','));
    if (values.size() != 2)
        return;
    const int rssi = decimalField(values.at(0));
    emit rssiChange(rssi, rssiToDbm(rssi));
}

void CUC20::parseCallList(const QStringList& response)
{
    if (replyLine(response).compare(QLatin1String("OK"), Qt::CaseInsensitive) == 0) {
        confirmCallAfterSilence(-1, QString());
        setCallState(VOICECALL_IDLE, QString());
        return;
    }

    // Exactly one call: "+CLCC: <idx>,<dir>,<stat>,<mode>,<mpty>,<number>,<type>[,<alpha>]".
    // A second call, or a line of another shape, changes nothing.
    if (response.size() != 3)
        return;
    const QStringList fields = AtFields::split(replyLine(response));
    if (fields.size() != 7 && fields.size() != 8)
        return;
    bool isNumber = false;
    const int stat = fields.at(2).toInt(&isNumber);
    if (!isNumber)
        return;
    const QString& number = fields.at(5);
    confirmCallAfterSilence(stat, number);

    switch (stat) {
    case 0:
        // A call of ours answered before any list showed it dialling is still an outgoing call.
        if (m_callState == VOICECALL_IDLE && fields.at(1).trimmed() == QLatin1String("0"))
            setCallState(VOICECALL_CALLING, number);
        setCallState(VOICECALL_ACTIVE, number);
        break;
    case 2:
        setCallState(VOICECALL_CALLING, number);
        break;
    case 4:
        setCallState(VOICECALL_INCOMING, number);
        break;
    default:
        break; // held, alerting, waiting
    }
}

void CUC20::parsePhonebook(const QStringList& response)
{
    // The test form only tells the index range and field lengths, which nothing here needs.
    if (response.first().contains(QLatin1String("AT+CPBR=?"), Qt::CaseInsensitive))
        return;

    // Entries: "+CPBR: <index>,<number>,<type>,<text>", between the echo and the final code.
    for (int i = 1; i < response.size() - 1; ++i) {
        const QString& line = response.at(i);
        if (!line.startsWith(QLatin1String("+CPBR:"), Qt::CaseInsensitive))
            continue;
        const int blank = line.indexOf(QLatin1Char(' '));
        if (blank < 0)
            continue;
        const QStringList fields = AtFields::split(line.mid(blank + 1));
        if (fields.size() < 4)
            continue;
        emit phonebookEntry(fields.at(0), fields.at(1), fields.at(2), fields.at(3));
    }
}

void CUC20::parseSidetone(const QStringList& response)
{
    // "+QSIDET: <gain>"
    if (response.size() != 3)
        return;
    const QStringList fields = replyLine(response).split(QLatin1Char(' '));
    if (fields.size() != 2)
        return;
    emit sidetone(decimalField(fields.at(1)));
}

void CUC20::parseDtmfFromCaller(const QStringList& response)
{
    // The unsolicited "+QTONEDET: <ascii code>" opened the response; what follows it belongs to
    // whatever command the closing final code answered and is not looked at.
    const QStringList fields = response.first().split(QLatin1Char(' '));
    if (fields.size() != 2)
        return;
    emit DTMFfromCaller(decimalField(fields.at(1)));
}

void CUC20::parseSpeechCodec(const QStringList& response)
{
    // "+QSPCH: <mode>,<type>,<rate>"
    if (response.size() != 3)
        return;
    const QStringList fields = replyLine(response).split(QLatin1Char(','));
    if (fields.size() != 3)
        return;
    const int type = decimalField(fields.at(1));
    if (type >= 0 && type < speechCodecNames.size())
        emit codecChange(type, tr(speechCodecNames.at(type).toLatin1().constData()));
}

void CUC20::parseMessageReference(const QStringList& response)
{
    for (const QString& line : response) {
        if (line.startsWith(QLatin1String("+CMGS:"))) {
            const int reference = decimalField(line.mid(6).trimmed());
            ConsoleLog::info(m_console, tr("Text message sent, reference %1").arg(reference));
            emit messageSent(reference);
        }
    }
}
