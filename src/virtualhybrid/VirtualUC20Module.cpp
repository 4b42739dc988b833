#include "VirtualUC20Module.h"

#include "VirtualClock.h"

#include <utility>

namespace {

const QString ok = QStringLiteral("OK");
const QString error = QStringLiteral("ERROR");
const QString manufacturer = QStringLiteral("Quectel");
const QString model = QStringLiteral("UC20");
const QString revision = QStringLiteral("UC20GQBR03A14E1G");

constexpr int audioModeCount = 9;
constexpr int maxDtmfKeys = 31;
constexpr QChar ctrlZ(0x1A);
constexpr QChar escape(0x1B);

// Address types of +CLCC: international (with '+'), unknown, and none given (a withheld number).
constexpr int internationalNumber = 145;
constexpr int unknownNumber = 129;
constexpr int withheldNumber = 128;

bool isDialString(const QString& number)
{
    if (number.isEmpty())
        return false;
    for (int i = 0; i < number.size(); ++i) {
        const QChar c = number[i];
        const bool allowed
            = c.isDigit() || c == QLatin1Char('*') || c == QLatin1Char('#') || (c == QLatin1Char('+') && i == 0);
        if (!allowed || c.unicode() > 0x7F)
            return false;
    }
    return number != QLatin1String("+");
}

bool isCode(const QString& code, int minimumLength, int maximumLength)
{
    if (code.size() < minimumLength || code.size() > maximumLength)
        return false;
    for (const QChar c : code) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

// The command table: the name as parsed (upper case) and its handler. Anything not listed is
// answered with ERROR.
const VirtualUC20Module::HandlerEntry VirtualUC20Module::handlers[] = {
    { "", &VirtualUC20Module::handleAt },
    { "E", &VirtualUC20Module::handleEcho },
    { "I", &VirtualUC20Module::handleIdentification },
    { "+GMI", &VirtualUC20Module::handleManufacturer },
    { "+CGMI", &VirtualUC20Module::handleManufacturer },
    { "+GMM", &VirtualUC20Module::handleModel },
    { "+CGMM", &VirtualUC20Module::handleModel },
    { "+GMR", &VirtualUC20Module::handleRevision },
    { "+CGMR", &VirtualUC20Module::handleRevision },
    { "+GSN", &VirtualUC20Module::handleImei },
    { "+CGSN", &VirtualUC20Module::handleImei },
    { "+CPIN", &VirtualUC20Module::handlePin },
    { "+QPINC", &VirtualUC20Module::handlePinCounter },
    { "+QCFG", &VirtualUC20Module::handleConfiguration },
    { "D", &VirtualUC20Module::handleDial },
    { "A", &VirtualUC20Module::handleAnswer },
    { "H", &VirtualUC20Module::handleHangUp },
    { "+CHUP", &VirtualUC20Module::handleHangUp },
    { "+VTS", &VirtualUC20Module::handleDtmf },
    { "+QAUDMOD", &VirtualUC20Module::handleAudioMode },
    { "+QSIDET", &VirtualUC20Module::handleSidetone },
    { "+QLTONE", &VirtualUC20Module::handleLocalTone },
    { "+QTONEDET", &VirtualUC20Module::handleToneDetection },
    { "+CMGF", &VirtualUC20Module::handleMessageFormat },
    { "+CSCS", &VirtualUC20Module::handleCharacterSet },
    { "+CMGS", &VirtualUC20Module::handleSendMessage },
    { "+CSQ", &VirtualUC20Module::handleSignalQuality },
    { "+CLCC", &VirtualUC20Module::handleCallList },
    { "+QSPCH", &VirtualUC20Module::handleSpeechCodec },
};

VirtualUC20Module::VirtualUC20Module(VirtualClock* clock, const QString& imei, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_imei(imei)
    , m_sidetone(audioModeCount, 0)
    , m_characterSet(QStringLiteral("GSM"))
{
}

VirtualUC20Module::~VirtualUC20Module() = default;

void VirtualUC20Module::powerOn()
{
    if (m_powered)
        return;
    m_powered = true;
    m_echo = true;
    m_audioMode = 0;
    m_sidetone.fill(0);
    m_toneDetection = false;
    m_messageFormat = 0;
    m_characterSet = QStringLiteral("GSM");
    m_awaitingText = false;
    // The codec preference is configuration that takes effect at start-up.
    m_speechCodec = (m_amrCodecPreference & 8) ? SpeechCodecWcdmaAmrWb : SpeechCodecWcdmaAmrNb;
    // A card with its PIN check on wants the PIN again after every power-up.
    if (m_simPresent && m_simStatus == SimReady && m_pinEnabled)
        m_simStatus = SimPinRequired;
    emit simStateChanged();
    emit stateChanged();
}

void VirtualUC20Module::powerOff()
{
    if (!m_powered)
        return;
    endCall(nullptr);
    stopTone();
    m_powered = false;
    m_awaitingText = false;
    m_deferred.clear();
    emit stateChanged();
}

bool VirtualUC20Module::isPoweredOn() const
{
    return m_powered;
}

void VirtualUC20Module::submit(const QString& line)
{
    if (!m_powered)
        return;
    if (m_awaitingText) {
        takeMessageText(line);
        return;
    }
    if (line.trimmed().isEmpty())
        return;
    execute(line);
}

bool VirtualUC20Module::isAwaitingText() const
{
    return m_awaitingText;
}

void VirtualUC20Module::execute(const QString& line)
{
    QStringList out;
    if (m_echo)
        out.append(line);

    m_executing = true;
    Command command;
    Handler handler = nullptr;
    if (parse(line, &command)) {
        for (const HandlerEntry& entry : handlers) {
            if (command.name == QLatin1String(entry.name)) {
                handler = entry.handler;
                break;
            }
        }
    }
    if (handler)
        (this->*handler)(command, out);
    else
        out.append(error);
    m_executing = false;

    emit output(out);
    const QStringList deferred = std::exchange(m_deferred, QStringList());
    for (const QString& report : deferred)
        emit output(QStringList { report });
}

bool VirtualUC20Module::parse(const QString& line, Command* command)
{
    const QString text = line.trimmed();
    if (!text.startsWith(QLatin1String("AT"), Qt::CaseInsensitive))
        return false;
    const QString rest = text.mid(2);
    command->form = Execute;
    command->arguments.clear();
    if (rest.isEmpty()) {
        command->name.clear();
        return true;
    }

    if (rest[0] == QLatin1Char('+'))
        return parseExtended(rest, command);

    if (!rest[0].isLetter() || rest[0].unicode() > 0x7F)
        return false;
    command->name = rest.left(1).toUpper();
    command->arguments = rest.mid(1);
    return true;
}

bool VirtualUC20Module::parseExtended(const QString& rest, Command* command)
{
    int end = 1;
    while (end < rest.size() && rest[end].isLetterOrNumber() && rest[end].unicode() < 0x80)
        ++end;
    command->name = rest.left(end).toUpper();
    if (end == 1)
        return false;
    const QString tail = rest.mid(end);
    if (tail.isEmpty())
        return true;
    if (tail == QLatin1String("?")) {
        command->form = Read;
        return true;
    }
    if (tail == QLatin1String("=?")) {
        command->form = Test;
        return true;
    }
    if (!tail.startsWith(QLatin1Char('=')))
        return false;
    command->form = Set;
    command->arguments = tail.mid(1);
    return true;
}

QStringList VirtualUC20Module::splitArguments(const QString& arguments)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    for (const QChar c : arguments) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(',') && !quoted) {
            parts.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current.trimmed());
    return parts;
}

QString VirtualUC20Module::unquoted(const QString& argument)
{
    if (argument.size() >= 2 && argument.startsWith(QLatin1Char('"')) && argument.endsWith(QLatin1Char('"')))
        return argument.mid(1, argument.size() - 2);
    return argument;
}

bool VirtualUC20Module::readNumber(const QString& text, int minimum, int maximum, int* value)
{
    if (!isCode(text, 1, 9))
        return false;
    const int number = text.toInt();
    if (number < minimum || number > maximum)
        return false;
    *value = number;
    return true;
}

void VirtualUC20Module::unsolicited(const QString& line)
{
    if (m_executing)
        m_deferred.append(line);
    else
        emit output(QStringList { line });
}

// ---- Network side -------------------------------------------------------------------------

void VirtualUC20Module::ringIn(const QString& number, const QString& name)
{
    // Only a registered phone with no call in progress can be called.
    if (!m_powered || m_callStatus != NoCall || !simReady() || !hasNetwork())
        return;
    startCall(CallIncoming, true, number);
    m_callName = name;
    unsolicited(QStringLiteral("RING"));
    scheduleRing();
}

void VirtualUC20Module::scheduleRing()
{
    m_clock->schedule(RingIntervalMs, m_callContext, [this] {
        if (m_callStatus != CallIncoming)
            return;
        unsolicited(QStringLiteral("RING"));
        scheduleRing();
    });
}

void VirtualUC20Module::farEndAnswers()
{
    if (m_callStatus == CallDialling || m_callStatus == CallAlerting)
        setCallStatus(CallActive);
}

void VirtualUC20Module::farEndHangsUp()
{
    endCall("NO CARRIER");
}

void VirtualUC20Module::setOutgoingOutcome(OutgoingOutcome outcome, int delayMs)
{
    m_outcome = outcome;
    m_outcomeDelayMs = qMax(0, delayMs);
    emit stateChanged();
}

VirtualUC20Module::OutgoingOutcome VirtualUC20Module::outgoingOutcome() const
{
    return m_outcome;
}

int VirtualUC20Module::outgoingDelayMs() const
{
    return m_outcomeDelayMs;
}

bool VirtualUC20Module::callerPressesKey(char key)
{
    const QChar c = QChar::fromLatin1(key).toUpper();
    if (!QStringLiteral("0123456789*#ABCD").contains(c))
        return false;
    if (!m_powered || m_callStatus != CallActive || !m_toneDetection)
        return false;
    unsolicited(QStringLiteral("+QTONEDET: %1").arg(c.unicode()));
    return true;
}

void VirtualUC20Module::setSignal(int rssi)
{
    if ((rssi < 0 || rssi > 31) && rssi != NoSignal)
        return;
    if (rssi == m_signal)
        return;
    m_signal = rssi;
    if (!hasNetwork())
        endCall("NO CARRIER");
    emit stateChanged();
}

int VirtualUC20Module::signal() const
{
    return m_signal;
}

void VirtualUC20Module::setSimLock(SimLock lock)
{
    if (lock == simLock() && !isSimBlocked())
        return;
    insertCard(lock);
    if (m_powered) {
        // Another card (or none): the call on the old one is gone, and a new card reports
        // what it needs.
        endCall("NO CARRIER");
        if (m_simPresent) {
            static const char* const statusTexts[] = { "READY", "SIM PIN", "SIM PUK" };
            unsolicited(QStringLiteral("+CPIN: %1").arg(QLatin1String(statusTexts[m_simStatus])));
        }
    }
    emit simStateChanged();
}

void VirtualUC20Module::insertCard(SimLock lock)
{
    switch (lock) {
    case SimUnlocked:
        m_simPresent = true;
        m_pinEnabled = false;
        m_simStatus = SimReady;
        m_pinTries = PinTries;
        m_pukTries = PukTries;
        break;
    case SimPinLocked:
        m_simPresent = true;
        m_pinEnabled = true;
        m_simStatus = SimPinRequired;
        m_pinTries = PinTries;
        m_pukTries = PukTries;
        break;
    case SimPukLocked:
        m_simPresent = true;
        m_pinEnabled = true;
        m_simStatus = SimPukRequired;
        m_pinTries = 0;
        m_pukTries = PukTries;
        break;
    case SimMissing:
        m_simPresent = false;
        break;
    }
}

VirtualUC20Module::SimLock VirtualUC20Module::simLock() const
{
    if (!m_simPresent)
        return SimMissing;
    switch (m_simStatus) {
    case SimReady:
        return SimUnlocked;
    case SimPinRequired:
        return SimPinLocked;
    case SimPukRequired:
    case SimBlocked:
        break;
    }
    return SimPukLocked;
}

bool VirtualUC20Module::isSimBlocked() const
{
    return m_simPresent && m_simStatus == SimBlocked;
}

void VirtualUC20Module::setPin(const QString& pin)
{
    m_pin = pin;
    emit simStateChanged();
}

QString VirtualUC20Module::pin() const
{
    return m_pin;
}

void VirtualUC20Module::setPuk(const QString& puk)
{
    m_puk = puk;
    emit simStateChanged();
}

QString VirtualUC20Module::puk() const
{
    return m_puk;
}

VirtualUC20Module::CallStatus VirtualUC20Module::callStatus() const
{
    return m_callStatus;
}

QString VirtualUC20Module::callNumber() const
{
    return m_callNumber;
}

bool VirtualUC20Module::isCallIncoming() const
{
    return m_callIncoming;
}

int VirtualUC20Module::speechCodec() const
{
    return m_speechCodec;
}

bool VirtualUC20Module::toneDetection() const
{
    return m_toneDetection;
}

QString VirtualUC20Module::imei() const
{
    return m_imei;
}

QString VirtualUC20Module::dtmfSent() const
{
    return m_dtmfSent;
}

QList<VirtualUC20Module::SentMessage> VirtualUC20Module::sentMessages() const
{
    return m_sentMessages;
}

bool VirtualUC20Module::simReady() const
{
    return m_simPresent && m_simStatus == SimReady;
}

bool VirtualUC20Module::hasNetwork() const
{
    return m_signal != NoSignal;
}

void VirtualUC20Module::answerSimError(QStringList& out) const
{
    if (!m_simPresent) {
        out.append(QStringLiteral("+CME ERROR: 10")); // SIM not inserted
        return;
    }
    switch (m_simStatus) {
    case SimPinRequired:
        out.append(QStringLiteral("+CME ERROR: 11"));
        break;
    case SimPukRequired:
        out.append(QStringLiteral("+CME ERROR: 12"));
        break;
    case SimBlocked:
        out.append(QStringLiteral("+CME ERROR: 13")); // SIM failure
        break;
    case SimReady:
        out.append(QStringLiteral("+CME ERROR: 3"));
        break;
    }
}

void VirtualUC20Module::startCall(CallStatus status, bool incoming, const QString& number)
{
    delete m_callContext;
    m_callContext = new QObject(this);
    m_callStatus = status;
    m_callIncoming = incoming;
    m_callNumber = number;
    m_callName.clear();
    emit callStateChanged();
}

void VirtualUC20Module::setCallStatus(CallStatus status)
{
    if (m_callStatus == status)
        return;
    m_callStatus = status;
    emit callStateChanged();
}

void VirtualUC20Module::endCall(const char* report)
{
    if (m_callStatus == NoCall)
        return;
    delete m_callContext;
    m_callStatus = NoCall;
    m_callIncoming = false;
    m_callNumber.clear();
    m_callName.clear();
    if (report)
        unsolicited(QLatin1String(report));
    emit callStateChanged();
}

void VirtualUC20Module::stopTone()
{
    delete m_toneContext;
}

// ---- Message text after AT+CMGS -----------------------------------------------------------

void VirtualUC20Module::takeMessageText(const QString& line)
{
    QStringList out;
    const int send = line.indexOf(ctrlZ);
    const int abort = line.indexOf(escape);
    if (abort >= 0 && (send < 0 || abort < send)) {
        m_awaitingText = false;
        m_messageText.clear();
        out.append(ok);
    } else if (send >= 0) {
        const QString part = line.left(send);
        if (!part.isEmpty())
            out.append(part);
        m_messageText += part;
        m_awaitingText = false;
        m_messageReference = (m_messageReference + 1) % 256;
        m_sentMessages.append(SentMessage { m_messageDestination, m_messageText });
        m_messageText.clear();
        out.append(QStringLiteral("+CMGS: %1").arg(m_messageReference));
        out.append(ok);
    } else {
        // Every line ending inside the text is part of the message, and the module prompts again.
        out.append(line);
        out.append(QStringLiteral("> "));
        m_messageText += line + QLatin1Char('\n');
    }
    emit output(out);
    emit stateChanged();
}

// ---- Command handlers ---------------------------------------------------------------------

void VirtualUC20Module::handleAt(const Command&, QStringList& out)
{
    out.append(ok);
}

void VirtualUC20Module::handleEcho(const Command& command, QStringList& out)
{
    if (command.arguments.isEmpty() || command.arguments == QLatin1String("0")) {
        m_echo = false;
    } else if (command.arguments == QLatin1String("1")) {
        m_echo = true;
    } else {
        out.append(error);
        return;
    }
    out.append(ok);
}

void VirtualUC20Module::handleIdentification(const Command& command, QStringList& out)
{
    if (!command.arguments.isEmpty() && command.arguments != QLatin1String("0")) {
        out.append(error);
        return;
    }
    out << manufacturer << model << QStringLiteral("Revision: ") + revision << ok;
}

void VirtualUC20Module::answerIdentification(const Command& command, const QString& text, QStringList& out)
{
    // The action form answers the text; the test form only OK.
    if (command.form != Execute && command.form != Test) {
        out.append(error);
        return;
    }
    if (command.form == Execute)
        out.append(text);
    out.append(ok);
}

void VirtualUC20Module::handleManufacturer(const Command& command, QStringList& out)
{
    answerIdentification(command, manufacturer, out);
}

void VirtualUC20Module::handleModel(const Command& command, QStringList& out)
{
    answerIdentification(command, model, out);
}

void VirtualUC20Module::handleRevision(const Command& command, QStringList& out)
{
    answerIdentification(command, QStringLiteral("Revision: ") + revision, out);
}

void VirtualUC20Module::handleImei(const Command& command, QStringList& out)
{
    answerIdentification(command, m_imei, out);
}

void VirtualUC20Module::handlePin(const Command& command, QStringList& out)
{
    if (command.form == Test) {
        out.append(ok);
        return;
    }
    if (command.form == Execute) {
        out.append(error);
        return;
    }
    if (!m_simPresent || m_simStatus == SimBlocked) {
        answerSimError(out);
        return;
    }
    if (command.form == Read) {
        static const char* const statusTexts[] = { "READY", "SIM PIN", "SIM PUK" };
        out << QStringLiteral("+CPIN: %1").arg(QLatin1String(statusTexts[m_simStatus])) << ok;
        return;
    }
    enterSimCodes(splitArguments(command.arguments), out);
}

void VirtualUC20Module::enterSimCodes(const QStringList& arguments, QStringList& out)
{
    if (arguments.size() > 2) {
        out.append(error);
        return;
    }
    bool accepted = false;
    switch (m_simStatus) {
    case SimReady:
        out.append(QStringLiteral("+CME ERROR: 3")); // nothing to unlock
        return;
    case SimPinRequired:
        accepted = acceptPin(unquoted(arguments[0]), out);
        break;
    case SimPukRequired:
        accepted = acceptPuk(arguments, out);
        break;
    case SimBlocked:
        return;
    }
    if (accepted)
        unlockSim(out);
}

bool VirtualUC20Module::acceptPin(const QString& pin, QStringList& out)
{
    if (!isCode(pin, 4, 8)) {
        out.append(error);
        return false;
    }
    if (pin != m_pin) {
        // Three wrong PINs in a row block the PIN: from then on the PUK is needed.
        if (--m_pinTries <= 0) {
            m_pinTries = 0;
            m_simStatus = SimPukRequired;
        }
        out.append(QStringLiteral("+CME ERROR: 16"));
        emit simStateChanged();
        return false;
    }
    return true;
}

bool VirtualUC20Module::acceptPuk(const QStringList& arguments, QStringList& out)
{
    if (arguments.size() != 2) {
        out.append(QStringLiteral("+CME ERROR: 12")); // a PUK and a new PIN are needed
        return false;
    }
    const QString puk = unquoted(arguments[0]);
    const QString newPin = unquoted(arguments[1]);
    if (!isCode(puk, 8, 8) || !isCode(newPin, 4, 8)) {
        out.append(error);
        return false;
    }
    if (puk != m_puk) {
        if (--m_pukTries <= 0) {
            m_pukTries = 0;
            m_simStatus = SimBlocked;
        }
        out.append(QStringLiteral("+CME ERROR: 16"));
        emit simStateChanged();
        return false;
    }
    m_pin = newPin;
    return true;
}

void VirtualUC20Module::handlePinCounter(const Command& command, QStringList& out)
{
    if (command.form == Test) {
        out << QStringLiteral("+QPINC: (\"SC\",\"P2\")") << ok;
        return;
    }
    if (command.form == Execute) {
        out.append(error);
        return;
    }
    if (!m_simPresent) {
        answerSimError(out);
        return;
    }
    // The emulated card has no PIN2 of its own: its counters stay full.
    const QString sim = QStringLiteral("+QPINC: \"SC\",%1,%2").arg(m_pinTries).arg(m_pukTries);
    const QString pin2 = QStringLiteral("+QPINC: \"P2\",%1,%2").arg(PinTries).arg(PukTries);
    const QString facility = command.form == Set ? unquoted(command.arguments.trimmed()).toUpper() : QString();
    if (command.form == Read)
        out << sim << pin2;
    else if (facility == QLatin1String("SC"))
        out << sim;
    else if (facility == QLatin1String("P2"))
        out << pin2;
    else {
        out.append(error);
        return;
    }
    out.append(ok);
}

void VirtualUC20Module::unlockSim(QStringList& out)
{
    m_simStatus = SimReady;
    m_pinTries = PinTries;
    m_pukTries = PukTries;
    out.append(ok);
    unsolicited(QStringLiteral("+CPIN: READY"));
    emit simStateChanged();
}

void VirtualUC20Module::handleConfiguration(const Command& command, QStringList& out)
{
    if (command.form == Test) {
        out << QStringLiteral("+QCFG: \"amrcodec\",(0-255)") << ok;
        return;
    }
    if (command.form != Set) {
        out.append(error);
        return;
    }
    const QStringList arguments = splitArguments(command.arguments);
    if (unquoted(arguments[0]).compare(QLatin1String("amrcodec"), Qt::CaseInsensitive) != 0 || arguments.size() > 2) {
        out.append(error);
        return;
    }
    if (arguments.size() == 1) {
        out << QStringLiteral("+QCFG: \"amrcodec\",%1").arg(m_amrCodecPreference) << ok;
        return;
    }
    int preference = 0;
    if (!readNumber(arguments[1], 0, 255, &preference)) {
        out.append(error);
        return;
    }
    m_amrCodecPreference = preference; // used from the next start-up on
    out.append(ok);
}

void VirtualUC20Module::handleDial(const Command& command, QStringList& out)
{
    QString number = command.arguments.trimmed();
    // Voice calls only: the dial string ends with a semicolon.
    if (!number.endsWith(QLatin1Char(';'))) {
        out.append(error);
        return;
    }
    number.chop(1);
    if (!isDialString(number)) {
        out.append(error);
        return;
    }
    if (!simReady()) {
        answerSimError(out);
        return;
    }
    if (m_callStatus != NoCall) {
        out.append(QStringLiteral("+CME ERROR: 3"));
        return;
    }
    if (!hasNetwork()) {
        out.append(QStringLiteral("NO CARRIER"));
        return;
    }

    out.append(ok);
    dialOut(number);
}

void VirtualUC20Module::dialOut(const QString& number)
{
    startCall(CallDialling, false, number);
    // The far end behaves as it was set up when the call was placed.
    const OutgoingOutcome outcome = m_outcome;
    const int delay = m_outcomeDelayMs;
    if (outcome != Busy && delay > AlertingAfterMs) {
        m_clock->schedule(AlertingAfterMs, m_callContext, [this] {
            if (m_callStatus == CallDialling)
                setCallStatus(CallAlerting);
        });
    }
    m_clock->schedule(delay, m_callContext, [this, outcome] { farEndResponds(outcome); });
}

void VirtualUC20Module::farEndResponds(OutgoingOutcome outcome)
{
    if (m_callStatus != CallDialling && m_callStatus != CallAlerting)
        return;
    switch (outcome) {
    case AnswerAfterDelay:
        setCallStatus(CallActive);
        break;
    case Busy:
        endCall("BUSY");
        break;
    case NoAnswer:
        endCall("NO ANSWER");
        break;
    }
}

void VirtualUC20Module::handleAnswer(const Command& command, QStringList& out)
{
    if (!command.arguments.isEmpty()) {
        out.append(error);
        return;
    }
    if (m_callStatus != CallIncoming) {
        out.append(QStringLiteral("NO CARRIER"));
        return;
    }
    setCallStatus(CallActive);
    out.append(ok);
}

void VirtualUC20Module::handleHangUp(const Command& command, QStringList& out)
{
    const bool valid = command.name == QLatin1String("H")
        ? command.arguments.isEmpty() || command.arguments == QLatin1String("0")
        : command.form == Execute || command.form == Test;
    if (!valid) {
        out.append(error);
        return;
    }
    if (command.form == Execute)
        endCall(nullptr);
    out.append(ok);
}

void VirtualUC20Module::handleDtmf(const Command& command, QStringList& out)
{
    if (command.form == Test) {
        out << QStringLiteral("+VTS: (0-9,A-D,*,#),(0-255)") << ok;
        return;
    }
    if (command.form != Set) {
        out.append(error);
        return;
    }
    const QStringList arguments = splitArguments(command.arguments);
    const QString keys = unquoted(arguments[0]).toUpper();
    int duration = 0;
    bool valid = arguments.size() <= 2 && !keys.isEmpty() && keys.size() <= maxDtmfKeys;
    for (const QChar key : keys)
        valid = valid && QStringLiteral("0123456789*#ABCD").contains(key);
    if (arguments.size() == 2)
        valid = valid && readNumber(arguments[1], 0, 255, &duration);
    if (!valid) {
        out.append(error);
        return;
    }
    if (m_callStatus != CallActive) {
        out.append(QStringLiteral("+CME ERROR: 3")); // tones only go out during a call
        return;
    }
    m_dtmfSent += keys;
    out.append(ok);
    emit stateChanged();
}

bool VirtualUC20Module::numericSetting(
    const Command& command, QStringList& out, const QString& name, int lowest, int highest, int& value)
{
    int number = 0;
    switch (command.form) {
    case Test: {
        const QLatin1Char separator(highest - lowest == 1 ? ',' : '-');
        out << QStringLiteral("%1: (%2%3%4)").arg(name).arg(lowest).arg(separator).arg(highest) << ok;
        return false;
    }
    case Read:
        out << QStringLiteral("%1: %2").arg(name).arg(value) << ok;
        return false;
    case Set:
        if (!readNumber(command.arguments, lowest, highest, &number)) {
            out.append(error);
            return false;
        }
        value = number;
        out.append(ok);
        return true;
    case Execute:
        break;
    }
    out.append(error);
    return false;
}

void VirtualUC20Module::handleAudioMode(const Command& command, QStringList& out)
{
    if (numericSetting(command, out, QStringLiteral("+QAUDMOD"), 0, audioModeCount - 1, m_audioMode))
        emit stateChanged();
}

void VirtualUC20Module::handleSidetone(const Command& command, QStringList& out)
{
    // Kept per audio mode, not over a power cycle.
    if (numericSetting(command, out, QStringLiteral("+QSIDET"), 0, 65535, m_sidetone[m_audioMode]))
        emit stateChanged();
}

void VirtualUC20Module::handleLocalTone(const Command& command, QStringList& out)
{
    if (command.form == Test) {
        out << QStringLiteral("+QLTONE: (0,1),(100-4000),(0-1000),(0-1000),(0-15300000)") << ok;
        return;
    }
    if (command.form != Set) {
        out.append(error);
        return;
    }
    const QStringList arguments = splitArguments(command.arguments);
    int mode = 0;
    if (!readNumber(arguments[0], 0, 1, &mode)) {
        out.append(error);
        return;
    }
    if (mode == 0)
        switchLocalToneOff(arguments, out);
    else
        playLocalTone(arguments, out);
}

void VirtualUC20Module::switchLocalToneOff(const QStringList& arguments, QStringList& out)
{
    if (arguments.size() != 1) {
        out.append(error);
        return;
    }
    stopTone();
    out.append(ok);
    emit stateChanged();
}

void VirtualUC20Module::playLocalTone(const QStringList& arguments, QStringList& out)
{
    int frequency = 0, on = 0, off = 0, duration = 0;
    if (arguments.size() != 5 || !readNumber(arguments[1], 100, 4000, &frequency)
        || !readNumber(arguments[2], 0, 1000, &on) || !readNumber(arguments[3], 0, 1000, &off)
        || !readNumber(arguments[4], 0, 15300000, &duration)) {
        out.append(error);
        return;
    }
    stopTone();
    m_toneContext = new QObject(this);
    m_clock->schedule(duration, m_toneContext, [this] {
        stopTone();
        unsolicited(QStringLiteral("+QLTONE: 0"));
        emit stateChanged();
    });
    out.append(ok);
    emit stateChanged();
}

void VirtualUC20Module::handleToneDetection(const Command& command, QStringList& out)
{
    int enabled = m_toneDetection ? 1 : 0;
    if (numericSetting(command, out, QStringLiteral("+QTONEDET"), 0, 1, enabled))
        m_toneDetection = enabled == 1;
}

void VirtualUC20Module::handleMessageFormat(const Command& command, QStringList& out)
{
    numericSetting(command, out, QStringLiteral("+CMGF"), 0, 1, m_messageFormat);
}

void VirtualUC20Module::handleCharacterSet(const Command& command, QStringList& out)
{
    static const QStringList sets { QStringLiteral("GSM"), QStringLiteral("IRA"), QStringLiteral("UCS2") };
    switch (command.form) {
    case Test:
        out.append(QStringLiteral("+CSCS: (\"GSM\",\"IRA\",\"UCS2\")"));
        break;
    case Read:
        out.append(QStringLiteral("+CSCS: \"%1\"").arg(m_characterSet));
        break;
    case Set: {
        const QString set = unquoted(command.arguments.trimmed()).toUpper();
        if (!sets.contains(set)) {
            out.append(error);
            return;
        }
        m_characterSet = set;
        break;
    }
    case Execute:
        out.append(error);
        return;
    }
    out.append(ok);
}

void VirtualUC20Module::handleSendMessage(const Command& command, QStringList& out)
{
    if (command.form == Test) {
        out.append(ok);
        return;
    }
    if (command.form != Set) {
        out.append(error);
        return;
    }
    QString destination;
    if (!readMessageDestination(splitArguments(command.arguments), &destination)) {
        out.append(error);
        return;
    }
    const QString serviceError = messageServiceError();
    if (!serviceError.isEmpty()) {
        out.append(serviceError);
        return;
    }
    m_awaitingText = true;
    m_messageDestination = destination;
    m_messageText.clear();
    out.append(QStringLiteral("> "));
}

bool VirtualUC20Module::readMessageDestination(const QStringList& arguments, QString* destination) const
{
    // Text mode names the destination in quotes; PDU mode gives the length of the PDU.
    if (m_messageFormat == 1) {
        *destination = unquoted(arguments[0]);
        return arguments.size() <= 2 && arguments[0].startsWith(QLatin1Char('"')) && isDialString(*destination);
    }
    int length = 0;
    return arguments.size() == 1 && readNumber(arguments[0], 1, 164, &length);
}

QString VirtualUC20Module::messageServiceError() const
{
    // Message service errors come as +CMS ERROR with the codes of 3GPP TS 27.005.
    if (!m_simPresent)
        return QStringLiteral("+CMS ERROR: 310");
    if (m_simStatus != SimReady) {
        static const char* const codes[] = { "", "311", "316", "313" };
        return QStringLiteral("+CMS ERROR: %1").arg(QLatin1String(codes[m_simStatus]));
    }
    if (!hasNetwork())
        return QStringLiteral("+CMS ERROR: 331");
    return QString();
}

void VirtualUC20Module::handleSignalQuality(const Command& command, QStringList& out)
{
    if (command.form == Execute)
        out.append(QStringLiteral("+CSQ: %1,99").arg(m_signal));
    else if (command.form == Test)
        out.append(QStringLiteral("+CSQ: (0-31,99),(0-7,99)"));
    else {
        out.append(error);
        return;
    }
    out.append(ok);
}

void VirtualUC20Module::handleCallList(const Command& command, QStringList& out)
{
    if (command.form != Execute && command.form != Test) {
        out.append(error);
        return;
    }
    if (command.form == Execute && m_callStatus != NoCall) {
        const int type = m_callNumber.isEmpty()         ? withheldNumber
            : m_callNumber.startsWith(QLatin1Char('+')) ? internationalNumber
                                                        : unknownNumber;
        out.append(QStringLiteral("+CLCC: 1,%1,%2,0,0,\"%3\",%4")
                       .arg(m_callIncoming ? 1 : 0)
                       .arg(static_cast<int>(m_callStatus))
                       .arg(m_callNumber)
                       .arg(type)
            + (m_callName.isEmpty() ? QString() : QStringLiteral(",\"%1\"").arg(m_callName)));
    }
    out.append(ok);
}

void VirtualUC20Module::handleSpeechCodec(const Command& command, QStringList& out)
{
    if (command.form != Execute && command.form != Test) {
        out.append(error);
        return;
    }
    // The answer's shape is this emulation's choice: <voice channel up>,<codec type>,<bit rate>,
    // with the codec numbered as the program's codec indicator expects.
    if (command.form == Execute) {
        if (m_callStatus == CallActive) {
            const int rate = m_speechCodec == SpeechCodecWcdmaAmrWb ? 23850 : 12200;
            out.append(QStringLiteral("+QSPCH: 1,%1,%2").arg(m_speechCodec).arg(rate));
        } else {
            out.append(QStringLiteral("+QSPCH: 0,%1,0").arg(SpeechCodecNone));
        }
    }
    out.append(ok);
}
