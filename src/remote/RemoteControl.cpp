#include "RemoteControl.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "CallHistoryExport.h"
#include "CallParty.h"
#include "CallRegisterTable.h"
#include "CallRequests.h"
#include "ConsoleLog.h"
#include "LogCategories.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFile>
#include <QTimer>

const QString RemoteControl::ServiceName = QStringLiteral("com.orvane.ParlonaControl");
const QString RemoteControl::ObjectPath = QStringLiteral("/com/orvane/ParlonaControl");
const QString RemoteControl::InterfaceName = QStringLiteral("com.orvane.ParlonaControl.Hybrid");
const QString RemoteControl::ErrorPrefix = QStringLiteral("com.orvane.ParlonaControl.Error.");

RemoteControl::RemoteControl(AppContext* context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_refusalTimer(new QTimer(this))
{
    m_refusalTimer->setInterval(RefusalSummaryMs);
    connect(m_refusalTimer, &QTimer::timeout, this, &RemoteControl::onRefusalSummary);
}

bool RemoteControl::publish(QDBusConnection bus, QString* reason)
{
    return publish(bus, QString(), reason);
}

bool RemoteControl::publish(QDBusConnection bus, const QString& unit, QString* reason)
{
    const QString name = serviceNameFor(unit);
    QString why;
    if (!bus.isConnected()) {
        why = bus.lastError().message();
        if (why.isEmpty())
            why = QStringLiteral("no session bus");
    } else if (!bus.registerObject(ObjectPath, this,
                   QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        why = QStringLiteral("the object path %1 is taken").arg(ObjectPath);
    } else if (!bus.registerService(name)) {
        bus.unregisterObject(ObjectPath);
        why = QStringLiteral("the name %1 is taken").arg(name);
    }
    if (reason)
        *reason = why;
    if (!why.isEmpty()) {
        qCWarning(lcApp).noquote() << "remote control not available:" << why;
        return false;
    }
    m_busName = bus.name();
    m_fixedUnit = unit;
    followOpenUnit(m_context->usb->isConnected());
    qCInfo(lcApp).noquote() << "remote control on the session bus as" << name;
    return true;
}

QString RemoteControl::serviceNameFor(const QString& unit)
{
    if (unit.isEmpty())
        return ServiceName;
    QByteArray element("Unit_");
    for (const char c : unit.toUtf8()) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            element += c;
        else
            element += '_' + QByteArray(1, c).toHex();
    }
    return ServiceName + QLatin1Char('.') + QString::fromLatin1(element);
}

QString RemoteControl::unitOfServiceName(const QString& name)
{
    const QString prefix = ServiceName + QStringLiteral(".Unit_");
    if (!name.startsWith(prefix))
        return QString();
    const QByteArray element = name.mid(prefix.size()).toLatin1();
    QByteArray unit;
    for (int i = 0; i < element.size(); ++i) {
        if (element.at(i) != '_') {
            unit += element.at(i);
            continue;
        }
        bool isHex = false;
        const int code = element.mid(i + 1, 2).toInt(&isHex, 16);
        if (!isHex || element.mid(i + 1, 2).size() != 2)
            return QString();
        unit += char(code);
        i += 2;
    }
    return QString::fromUtf8(unit);
}

void RemoteControl::followOpenUnit(bool connected)
{
    if (m_busName.isEmpty() || !m_fixedUnit.isEmpty())
        return;
    QDBusConnection bus(m_busName);
    if (!m_openUnitName.isEmpty()) {
        bus.unregisterService(m_openUnitName);
        m_openUnitName.clear();
    }
    // A second program started for this unit then comes to this one instead of waiting for it.
    const QString serial = m_context->usb->serial();
    if (connected && !serial.isEmpty() && bus.registerService(serviceNameFor(serial)))
        m_openUnitName = serviceNameFor(serial);
}

QString RemoteControl::callStateName(VOICECALL_STATE state)
{
    switch (state) {
    case VOICECALL_CALLING:
        return QStringLiteral("calling");
    case VOICECALL_INCOMING:
        return QStringLiteral("ringing");
    case VOICECALL_ACTIVE:
        return QStringLiteral("active");
    case VOICECALL_IDLE:
        break;
    }
    return QStringLiteral("idle");
}

QString RemoteControl::simStateName(SIM_STATE state)
{
    switch (state) {
    case SIM_READY:
        return QStringLiteral("ready");
    case SIM_PIN:
        return QStringLiteral("pin");
    case SIM_PUK:
        return QStringLiteral("puk");
    case SIM_PIN2:
        return QStringLiteral("pin2");
    case SIM_PUK2:
        return QStringLiteral("puk2");
    case SIM_PH_NET_PIN:
    case SIM_PH_NETSUB_PIN:
    case SIM_PH_SP_PIN:
    case SIM_PH_CORP_PIN:
        return QStringLiteral("network-pin");
    case SIM_PH_NET_PUK:
    case SIM_PH_NETSUB_PUK:
    case SIM_PH_SP_PUK:
    case SIM_PH_CORP_PUK:
        return QStringLiteral("network-puk");
    case SIM_UNKNOWN:
        break;
    }
    return QStringLiteral("unknown");
}

void RemoteControl::Dial(const QString& number)
{
    // Only a short excerpt of what a client sent is shown, however long it is.
    const QString action = tr("dial %1").arg(ConsoleLog::excerpt(number));
    if (carryOut(action, requests().checkDial(number)))
        m_context->uc20->call(number);
}

void RemoteControl::Answer()
{
    if (carryOut(tr("answer"), requests().checkAnswer()))
        m_context->uc20->answerCall();
}

void RemoteControl::HangUp()
{
    if (carryOut(tr("hang up"), requests().checkHangUp()))
        m_context->uc20->endCall();
}

CallRequests RemoteControl::requests() const
{
    return CallRequests(m_context->usb, m_context->uc20);
}

bool RemoteControl::carryOut(const QString& action, const CallRequests::Verdict& verdict)
{
    if (!verdict.allowed()) {
        refuse(action, CallRequests::name(verdict.refusal), verdict.text);
        return false;
    }
    logAction(action);
    return true;
}

void RemoteControl::Raise()
{
    qCInfo(lcApp).noquote() << "window brought forward for" << origin();
    emit raiseRequested();
}

bool RemoteControl::Connected() const
{
    return m_context->usb->isConnected();
}

QString RemoteControl::CallState() const
{
    return callStateName(m_callState);
}

QString RemoteControl::CallerNumber() const
{
    return m_hasParty ? m_number : QString();
}

QString RemoteControl::CallerName() const
{
    return m_hasParty ? nameOf(m_number) : QString();
}

QString RemoteControl::SimState() const
{
    // The engine keeps the last state it heard of, also of a unit that has gone.
    return Connected() ? simStateName(m_context->uc20->simState()) : simStateName(SIM_UNKNOWN);
}

int RemoteControl::SignalQuality() const
{
    return m_rssi;
}

int RemoteControl::SignalDbm() const
{
    return m_dBm;
}

QVariantMap RemoteControl::Status() const
{
    return {
        { QStringLiteral("connected"), Connected() },
        { QStringLiteral("callState"), CallState() },
        { QStringLiteral("number"), CallerNumber() },
        { QStringLiteral("name"), CallerName() },
        { QStringLiteral("simState"), SimState() },
        { QStringLiteral("signalQuality"), SignalQuality() },
        { QStringLiteral("signalDbm"), SignalDbm() },
    };
}

void RemoteControl::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    // The engine names the party while the call goes on, an empty number for a withheld one;
    // the end names none and keeps the party of the call that ended.
    if (state != VOICECALL_IDLE) {
        m_number = number;
        m_hasParty = true;
    }
    if (state == m_callState)
        return;
    m_callState = state;
    emit CallStateChanged(callStateName(state), CallerNumber(), CallerName());
}

void RemoteControl::onRssiChange(int rssi, int dBm)
{
    m_rssi = rssi;
    m_dBm = dBm;
}

void RemoteControl::onConnectionChange()
{
    const bool connected = m_context->usb->isConnected();
    if (!connected) {
        m_rssi = 99;
        m_dBm = 0;
        m_hasParty = false;
        m_number.clear();
    }
    followOpenUnit(connected);
    emit ConnectionChanged(connected);
}

void RemoteControl::onCallRecorded(QString number, int type, QDateTime start, qint64 talkMs)
{
    const QString direction
        = type == CallRegisterTable::Outgoing ? QStringLiteral("outgoing") : QStringLiteral("incoming");
    emit CallRecorded(CallHistoryExport::beganText(start.toString(Qt::ISODate)), number, nameOf(number), direction,
        CallRegisterTable::answered(type, talkMs), static_cast<int>(talkMs / 1000));
}

void RemoteControl::logAction(const QString& action)
{
    ConsoleLog::info(m_context->console, tr("Remote control (%1): %2").arg(origin(), action));
}

QString RemoteControl::origin()
{
    if (!calledFromDBus())
        return tr("this program");
    const QString sender = message().service();
    const auto known = m_origins.constFind(sender);
    if (known != m_origins.constEnd())
        return *known;
    // Asking the bus waits for its answer: once per client, not once per request.
    const QDBusReply<uint> pid = connection().interface()->servicePid(sender);
    QString name;
    if (pid.isValid()) {
        // The process name is what an operator recognises: "parlona-control", "playout", ...
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
        if (comm.open(QIODevice::ReadOnly))
            name = ConsoleLog::excerpt(QString::fromUtf8(comm.read(64)).trimmed());
    }
    const QString described = !pid.isValid() ? sender
        : name.isEmpty()                     ? tr("process %1").arg(pid.value())
                                             : tr("%1, process %2").arg(name, QString::number(pid.value()));
    if (m_origins.size() >= MaxRememberedClients)
        m_origins.clear();
    m_origins.insert(sender, described);
    return described;
}

void RemoteControl::refuse(const QString& action, const QString& errorName, const QString& text)
{
    logRefusal(action, text);
    if (calledFromDBus())
        sendErrorReply(ErrorPrefix + errorName, text);
}

void RemoteControl::logRefusal(const QString& action, const QString& text)
{
    const QString key = action + QLatin1Char('\n') + text;
    if (!m_refusalTimer->isActive())
        m_refusalTimer->start();
    if (key == m_lastRefusal) {
        ++m_repeats;
        return;
    }
    if (m_refusalsShown >= MaxRefusalsShown) {
        ++m_othersHeld;
        return;
    }
    writeHeldRefusals();
    const QString line = tr("Remote control (%1): %2").arg(origin(), action);
    ConsoleLog::info(m_context->console, line);
    ConsoleLog::error(m_context->console, text);
    m_lastRefusal = key;
    m_lastRefusalLine = tr("%1: %2").arg(line, text);
    ++m_refusalsShown;
}

void RemoteControl::onRefusalSummary()
{
    if (m_repeats == 0 && m_othersHeld == 0 && m_refusalsShown == 0) {
        // Quiet for a while: the next refusal is shown whole, even the same one.
        m_refusalTimer->stop();
        m_lastRefusal.clear();
        return;
    }
    writeHeldRefusals();
    if (m_othersHeld > 0)
        ConsoleLog::error(m_context->console, tr("Remote control: %1 further requests refused").arg(m_othersHeld));
    m_othersHeld = 0;
    m_refusalsShown = 0;
}

void RemoteControl::writeHeldRefusals()
{
    if (m_repeats == 1)
        ConsoleLog::error(m_context->console, m_lastRefusalLine);
    else if (m_repeats > 1)
        ConsoleLog::error(
            m_context->console, tr("%1 (repeated %2 times)").arg(m_lastRefusalLine, QString::number(m_repeats)));
    m_repeats = 0;
}

QString RemoteControl::nameOf(const QString& number) const
{
    return number.isEmpty() ? CallParty::withheldText() : m_context->database->knownName(number);
}

void RemoteControl::onDialFailed(QString number, QString reason)
{
    emit DialFailed(number, reason);
}
