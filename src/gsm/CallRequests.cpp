#include "CallRequests.h"

#include "CUC20.h"
#include "CUSBHID.h"

CallRequests::CallRequests(CUSBHID* usb, CUC20* uc20)
    : m_usb(usb)
    , m_uc20(uc20)
{
}

CallRequests::Verdict CallRequests::checkDial(const QString& number) const
{
    // A client can send megabytes as a number: only its size is looked at before such a one is
    // refused, so it costs no more than a short one.
    if (number.size() > MaxNumberLength)
        return { InvalidNumber, CUC20::tr("Phone number too long") };
    // A service code changes the line for every later caller (a diversion, the PIN); the dial
    // pad keeps them for technicians.
    if (CUC20::isServiceCode(number))
        return { ServiceCode, tr("Service codes are not dialled by remote control") };
    const QString refusal = m_uc20->callRefusal(number);
    if (refusal.isEmpty())
        return {};
    // By the engine's code, never by its words: those are translated.
    switch (m_uc20->callRefusalCode(number)) {
    case CUC20::NotConnected:
        return { NotConnected, refusal };
    case CUC20::CallActive:
        return { CallActive, refusal };
    case CUC20::CallPending:
        return { ActionPending, refusal };
    default:
        return { InvalidNumber, refusal };
    }
}

CallRequests::Verdict CallRequests::checkAnswer() const
{
    if (!m_usb->isConnected())
        return { NotConnected, tr("Not connected with device") };
    if (m_uc20->callState() != VOICECALL_INCOMING)
        return { NoIncomingCall, tr("No incoming call to answer") };
    if (const QString pending = m_uc20->answerRefusal(); !pending.isEmpty())
        return { ActionPending, pending };
    return {};
}

CallRequests::Verdict CallRequests::checkHangUp() const
{
    if (!m_usb->isConnected())
        return { NotConnected, tr("Not connected with device") };
    if (m_uc20->callState() == VOICECALL_IDLE)
        return { NoCall, tr("No call to end") };
    if (const QString pending = m_uc20->hangUpRefusal(); !pending.isEmpty())
        return { ActionPending, pending };
    return {};
}

CallRequests::Verdict CallRequests::checkDecline() const
{
    if (m_usb->isConnected() && m_uc20->callState() != VOICECALL_INCOMING)
        return { NoIncomingCall, tr("No incoming call to decline") };
    return checkHangUp();
}

CallRequests::Verdict CallRequests::dial(const QString& number) const
{
    const Verdict verdict = checkDial(number);
    if (verdict.allowed())
        m_uc20->call(number);
    return verdict;
}

CallRequests::Verdict CallRequests::answer() const
{
    const Verdict verdict = checkAnswer();
    if (verdict.allowed())
        m_uc20->answerCall();
    return verdict;
}

CallRequests::Verdict CallRequests::hangUp() const
{
    const Verdict verdict = checkHangUp();
    if (verdict.allowed())
        m_uc20->endCall();
    return verdict;
}

CallRequests::Verdict CallRequests::decline() const
{
    const Verdict verdict = checkDecline();
    if (verdict.allowed())
        m_uc20->endCall();
    return verdict;
}

QString CallRequests::name(Refusal refusal)
{
    switch (refusal) {
    case NotConnected:
        return QStringLiteral("NotConnected");
    case NoIncomingCall:
        return QStringLiteral("NoIncomingCall");
    case NoCall:
        return QStringLiteral("NoCall");
    case ActionPending:
        return QStringLiteral("ActionPending");
    case CallActive:
        return QStringLiteral("CallActive");
    case InvalidNumber:
        return QStringLiteral("InvalidNumber");
    case ServiceCode:
        return QStringLiteral("ServiceCode");
    case Allowed:
        break;
    }
    return QString();
}
