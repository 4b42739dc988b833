#include "RemoteControl.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "CallHistoryExport.h"
#include "CallRegisterTable.h"
#include "ConsoleLog.h"
#include "LogCategories.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFile>

const QString RemoteControl::ServiceName = QStringLiteral("com.orvane.ParlonaControl");
const QString RemoteControl::ObjectPath = QStringLiteral("/com/orvane/ParlonaControl");
const QString RemoteControl::InterfaceName = QStringLiteral("com.orvane.ParlonaControl.Hybrid");
const QString RemoteControl::ErrorPrefix = QStringLiteral("com.orvane.ParlonaControl.Error.");

RemoteControl::RemoteControl(AppContext* context, QObject* parent)
    : QObject(parent)
    , m_context(context)
{
}

bool RemoteControl::publish(QDBusConnection bus, QString* reason)
{
    QString why;
    if (!bus.isConnected()) {
        why = bus.lastError().message();
        if (why.isEmpty())
            why = QStringLiteral("no session bus");
    } else if (!bus.registerObject(ObjectPath, this,
                   QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        why = QStringLiteral("the object path %1 is taken").arg(ObjectPath);
    } else if (!bus.registerService(ServiceName)) {
        bus.unregisterObject(ObjectPath);
        why = QStringLiteral("the name %1 is taken").arg(ServiceName);
    }
    if (reason)
        *reason = why;
    if (!why.isEmpty()) {
        qCWarning(lcApp).noquote() << "remote control not available:" << why;
        return false;
    }
    qCInfo(lcApp).noquote() << "remote control on the session bus as" << ServiceName;
    return true;
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
    logAction(tr("dial %1").arg(number));
    // The engine checks again and writes its refusal on the console, as for the call button.
    const QString refusal = m_context->uc20->callRefusal(number);
    m_context->uc20->call(number);
    if (refusal.isEmpty())
        return;
    if (!m_context->usb->isConnected())
        sendError(QStringLiteral("NotConnected"), refusal);
    else if (refusal == CUC20::tr("Current call active"))
        sendError(QStringLiteral("CallActive"), refusal);
    else
        sendError(QStringLiteral("InvalidNumber"), refusal);
}

void RemoteControl::Answer()
{
    logAction(tr("answer"));
    if (!m_context->usb->isConnected()) {
        refuse(QStringLiteral("NotConnected"), tr("Not connected with device"));
    } else if (m_context->uc20->callState() != VOICECALL_INCOMING) {
        refuse(QStringLiteral("NoIncomingCall"), tr("No incoming call to answer"));
    } else {
        m_context->uc20->answerCall();
    }
}

void RemoteControl::HangUp()
{
    logAction(tr("hang up"));
    if (!m_context->usb->isConnected()) {
        refuse(QStringLiteral("NotConnected"), tr("Not connected with device"));
    } else if (m_context->uc20->callState() == VOICECALL_IDLE) {
        refuse(QStringLiteral("NoCall"), tr("No call to end"));
    } else {
        m_context->uc20->endCall();
    }
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
    return m_number;
}

QString RemoteControl::CallerName() const
{
    return nameOf(m_number);
}

QString RemoteControl::SimState() const
{
    return simStateName(m_context->uc20->simState());
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
    // The engine names the party while the call goes on; the end keeps the last one known.
    if (!number.isEmpty())
        m_number = number;
    if (state == m_callState)
        return;
    m_callState = state;
    emit CallStateChanged(callStateName(state), m_number, nameOf(m_number));
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
    }
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

QString RemoteControl::origin() const
{
    if (!calledFromDBus())
        return tr("this program");
    const QString sender = message().service();
    const QDBusReply<uint> pid = connection().interface()->servicePid(sender);
    if (!pid.isValid())
        return sender;
    // The process name is what an operator recognises: "parlona-control", "playout", ...
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
    const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
    return name.isEmpty() ? tr("process %1").arg(pid.value()) : tr("%1, process %2").arg(name).arg(pid.value());
}

void RemoteControl::refuse(const QString& errorName, const QString& text)
{
    ConsoleLog::error(m_context->console, text);
    sendError(errorName, text);
}

void RemoteControl::sendError(const QString& errorName, const QString& text)
{
    if (calledFromDBus())
        sendErrorReply(ErrorPrefix + errorName, text);
}

QString RemoteControl::nameOf(const QString& number) const
{
    return number.isEmpty() ? QString() : m_context->database->knownName(number);
}

void RemoteControl::onDialFailed(QString number, QString reason)
{
    emit DialFailed(number, reason);
}
