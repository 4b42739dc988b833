#include "CCallRegistration.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CallRegisterTable.h"
#include "ConsoleLog.h"

CCallRegistration::CCallRegistration(AppContext* context, QObject* parent)
    : QObject(parent)
    , m_context(context)
{
    m_elapsed.start();
    m_wallClock = [] { return QDateTime::currentDateTime(); };
    m_monotonicClock = [this] { return m_elapsed.elapsed(); };

    CallRegisterTable::create(m_context->database);
}

void CCallRegistration::setClock(std::function<QDateTime()> wallClock, std::function<qint64()> monotonicClock)
{
    m_wallClock = std::move(wallClock);
    m_monotonicClock = std::move(monotonicClock);
}

void CCallRegistration::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    switch (state) {
    case VOICECALL_CALLING:
    case VOICECALL_INCOMING:
        // The same call reported again keeps its start. Anything else is a new call, and a call
        // still being followed has ended without an idle report between the two: keep it too.
        if (m_lastState != state || number != m_number) {
            finishCall();
            beginCall(number, state == VOICECALL_CALLING ? CallRegisterTable::Outgoing : CallRegisterTable::Incoming);
        }
        break;
    case VOICECALL_ACTIVE:
        if (m_lastState == VOICECALL_CALLING || m_lastState == VOICECALL_INCOMING) {
            startTalking();
        } else if (m_lastState != VOICECALL_ACTIVE) {
            // Connected before the engine saw it ring, as when the hybrid answers by itself
            // between two call lists: an answered incoming call that begins now.
            beginCall(number, CallRegisterTable::Incoming);
            startTalking();
        }
        break;
    case VOICECALL_IDLE:
        finishCall();
        break;
    }
    m_lastState = state;
}

void CCallRegistration::beginCall(const QString& number, int type)
{
    m_number = number;
    m_callType = type;
    m_startTime = m_wallClock();
    m_talkStart = 0;
    m_duration = 0;
}

void CCallRegistration::startTalking()
{
    m_talkStart = m_monotonicClock();
}

void CCallRegistration::finishCall()
{
    switch (m_lastState) {
    case VOICECALL_CALLING:
        m_duration = 0;
        break;
    case VOICECALL_INCOMING:
        m_duration = 0;
        m_callType = CallRegisterTable::Missed;
        break;
    case VOICECALL_ACTIVE:
        m_duration = m_monotonicClock() - m_talkStart;
        break;
    default:
        return;
    }
    recordCall();
    m_lastState = VOICECALL_IDLE;
}

void CCallRegistration::recordCall()
{
    CDatabase* database = m_context->database;
    const QString timeDate
        = m_startTime.date().toString(Qt::ISODate) + QLatin1Char('T') + m_startTime.time().toString(Qt::ISODate);
    const bool inserted = CallRegisterTable::insert(database, m_number, m_callType, m_duration, timeDate);
    // A database that could not be opened has been reported once already.
    if (!inserted && database->isOpen()) {
        ConsoleLog::error(m_context->console,
            tr("The call with %1 at %2 could not be recorded").arg(m_number, m_startTime.toString(Qt::ISODate)));
    }
    emit registerUpdate();
}
