#include "CCallRegistration.h"
#include "LogCategories.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CallParty.h"
#include "CallRegisterTable.h"
#include "CallRegisterWriter.h"
#include "ConsoleLog.h"
#include "StationCallQueue.h"

#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <utility>

CCallRegistration::CCallRegistration(AppContext* context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_checkpointTimer(new QTimer(this))
    , m_notesTimer(new QTimer(this))
    , m_writer(new CallRegisterWriter(context->database, this))
{
    m_elapsed.start();
    m_wallClock = [] { return QDateTime::currentDateTime(); };
    m_monotonicClock = [this] { return m_elapsed.elapsed(); };
    m_checkpointTimer->setObjectName(QStringLiteral("checkpointTimer"));
    m_checkpointTimer->setInterval(CheckpointIntervalMs);
    connect(m_checkpointTimer, &QTimer::timeout, this, &CCallRegistration::checkpoint);
    m_notesTimer->setObjectName(QStringLiteral("notesTimer"));
    m_notesTimer->setSingleShot(true);
    m_notesTimer->setInterval(NotesSettleMs);
    connect(m_notesTimer, &QTimer::timeout, this, &CCallRegistration::checkpointNotes);
    const auto resumed = [this] {
        m_context->database->reportRecovery(tr("The database takes writes again: the calls held back are recorded"));
        emit registerUpdate();
    };
    connect(m_writer, &CallRegisterWriter::resumed, this, resumed);
    if (m_context->stationCalls)
        connect(m_context->stationCalls, &StationCallQueue::resumed, this, resumed);

    if (m_context->callNotes)
        connect(m_context->callNotes, &CallNotes::currentChanged, this, &CCallRegistration::onNotesChanged);
    CallRegisterTable::create(m_context->database);
    recoverOpenCalls();
}

void CCallRegistration::recoverOpenCalls()
{
    // Taken before any call of this run is open; told once the console shows information.
    CDatabase* database = m_context->database;
    QStringList found;
    const QList<CallRegisterTable::OpenCall> calls = CallRegisterTable::leftOpen(database);
    for (const CallRegisterTable::OpenCall& call : calls) {
        qCInfo(lcContacts) << "call row" << call.id << "was left open; kept with" << call.durationMs << "ms talked";
        found << tr("The call with %1 was going on when the program stopped; it is in the call history with the "
                    "%2 s talked until then")
                     .arg(call.number)
                     .arg(call.durationMs / 1000);
    }
    // A file with nothing left open is not written: it may be one that cannot be.
    if (!calls.isEmpty())
        CallRegisterTable::forgetOpen(database, calls);
    // Calls that never reached the station's server before their program stopped.
    const QList<CallRecord> waiting
        = m_context->stationCalls ? m_context->stationCalls->finishLeftBehind() : QList<CallRecord>();
    for (const CallRecord& call : waiting) {
        found << tr("The call with %1 was going on when the program stopped; it is in the call history with the "
                    "%2 s talked until then")
                     .arg(call.number)
                     .arg(call.durationMs / 1000);
    }
    QTimer::singleShot(0, this, [this, found] {
        for (const QString& text : found)
            ConsoleLog::info(m_context->console, text);
    });
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

void CCallRegistration::onCallEnded(CALL_END_REASON reason, QString /*number*/, qint64 unheardMs)
{
    m_endReason = reason;
    m_unheardMs = std::max<qint64>(0, unheardMs);
}

void CCallRegistration::beginCall(const QString& number, int type)
{
    m_number = number;
    m_callType = type;
    m_startTime = m_wallClock();
    m_talkStart = 0;
    m_duration = 0;
    m_unheardMs = 0;
    m_endReason = CALL_END_BY_CALLER;
    // An incoming call counts as missed until it is answered.
    const int typeNow = type == CallRegisterTable::Incoming ? CallRegisterTable::Missed : type;
    const auto row = std::make_shared<qint64>(-1);
    m_row = row;
    m_uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (m_context->stationCalls) {
        sendToStation(currentRecord(typeNow, 0, false, false));
        return;
    }
    CDatabase* database = m_context->database;
    const QString start = startTimeText();
    m_writer->enqueue(
        [=] {
            *row = CallRegisterTable::open(database, number, typeNow, start);
            return *row >= 0;
        },
        [number](bool landed) {
            if (!landed)
                qCWarning(lcContacts) << "the call with" << number << "could not be written when it began";
        });
}

void CCallRegistration::startTalking()
{
    m_talkStart = m_monotonicClock();
    m_unheardMs = 0;
    m_checkpointTimer->start();
    checkpoint();
    sayAnswered();
}

void CCallRegistration::checkpoint()
{
    // Only a call being talked changes its row as time goes by. Behind a lock, the write would be
    // stale when it lands: the next one, or the call's end, brings the row up to date instead.
    if (!m_row || !m_checkpointTimer->isActive() || !m_writer->idle())
        return;
    const std::shared_ptr<qint64> row = m_row;
    CDatabase* database = m_context->database;
    const int type = m_callType;
    const qint64 talked = m_monotonicClock() - m_talkStart;
    if (m_context->stationCalls) {
        sendToStation(currentRecord(type, talked, false, false));
        return;
    }
    m_writer->enqueue([=] { return *row < 0 || CallRegisterTable::update(database, *row, type, talked); });
}

void CCallRegistration::onNotesChanged(const CallNote& /*note*/)
{
    // Notes emptied as a call begins reach here before the call does: there is no row for them.
    // A producer's page may send them at every key: one write once the typing pauses.
    if (m_row)
        m_notesTimer->start();
}

void CCallRegistration::checkpointNotes()
{
    if (!m_row)
        return;
    if (m_context->stationCalls) {
        // A call not yet answered has nothing talked; one being talked its time up to now.
        const bool talking = m_checkpointTimer->isActive();
        const int type = talking || m_lastState != VOICECALL_INCOMING ? m_callType : int(CallRegisterTable::Missed);
        sendToStation(currentRecord(type, talking ? m_monotonicClock() - m_talkStart : 0, false, false));
        return;
    }
    const std::shared_ptr<qint64> row = m_row;
    CDatabase* database = m_context->database;
    const CallNote note = currentNote();
    m_writer->enqueue([=] { return *row < 0 || CallRegisterTable::saveNote(database, *row, note); });
}

CallRecord CCallRegistration::currentRecord(int type, qint64 durationMs, bool finished, bool declined) const
{
    return { m_uid, m_number, type, durationMs, startTimeText(), declined, currentNote(), finished,
        CallRegisterTable::ownerTag() };
}

void CCallRegistration::sendToStation(const CallRecord& call)
{
    if (!m_context->stationCalls->send(call))
        qCWarning(lcContacts) << "the call with" << call.number << "could be neither sent nor kept";
}

CallNote CCallRegistration::currentNote() const
{
    // The notes stay with the call that ended until the next one begins.
    return m_context->callNotes ? m_context->callNotes->current() : CallNote();
}

void CCallRegistration::finishCall()
{
    const int stateBefore = m_lastState;
    if (!closeRow())
        return;
    sayEnded(stateBefore);
    m_endReason = CALL_END_BY_CALLER;
}

bool CCallRegistration::closeRow()
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
        m_duration = std::max<qint64>(0, m_monotonicClock() - m_talkStart - m_unheardMs);
        break;
    default:
        return false;
    }
    m_checkpointTimer->stop();
    // The record takes the notes as they are now.
    m_notesTimer->stop();
    recordCall();
    m_lastState = VOICECALL_IDLE;
    m_unheardMs = 0;
    return true;
}

void CCallRegistration::recordCallInProgress()
{
    const QString who = party();
    if (closeRow())
        ConsoleLog::info(m_context->console, tr("The program stops during the call with %1: it is recorded up to now").arg(who));
}

QString CCallRegistration::startTimeText() const
{
    return m_startTime.date().toString(Qt::ISODate) + QLatin1Char('T') + m_startTime.time().toString(Qt::ISODate);
}

void CCallRegistration::recordCall()
{
    CDatabase* database = m_context->database;
    const std::shared_ptr<qint64> row = std::exchange(m_row, nullptr);
    const QString number = m_number;
    const int type = m_callType;
    const qint64 duration = m_duration;
    const QDateTime start = m_startTime;
    const QString startText = startTimeText();
    // Still missed by its type, as ever; the mark tells it apart on the history page.
    const bool declined = m_lastState == VOICECALL_INCOMING && m_endReason == CALL_END_BY_US;
    const CallNote note = currentNote();
    if (m_context->stationCalls) {
        if (!m_context->stationCalls->send(currentRecord(type, duration, true, declined)))
            database->report(tr("The call with %1 at %2 could not be recorded").arg(number, start.toString(Qt::ISODate)));
        emit registerUpdate();
        emit callRecorded(number, type, start, duration);
        return;
    }
    m_writer->enqueue(
        [=] {
            // The row written when the call began is completed; without one, the call is written now.
            if (!row || *row < 0)
                return CallRegisterTable::insert(database, number, type, duration, startText, note);
            return CallRegisterTable::close(database, *row, type, duration)
                && (!declined || CallRegisterTable::markDeclined(database, *row))
                && CallRegisterTable::saveNote(database, *row, note);
        },
        [=](bool landed) {
            // A database that could not be opened has been reported once already.
            if (!landed && database->isOpen())
                database->report(
                    tr("The call with %1 at %2 could not be recorded").arg(number, start.toString(Qt::ISODate)));
            emit registerUpdate();
            emit callRecorded(number, type, start, duration);
        });
}

QString CCallRegistration::party() const
{
    return CallParty::describe(m_context->database, m_number);
}

void CCallRegistration::sayAnswered() const
{
    ConsoleLog::info(m_context->console,
        m_callType == CallRegisterTable::Outgoing ? tr("%1 answered our call").arg(party())
                                                  : tr("Answered call with %1").arg(party()));
}

void CCallRegistration::sayEnded(int stateBefore) const
{
    const qint64 seconds = m_duration / 1000;
    const QString talked = seconds >= 3600
        ? QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
              .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        : QStringLiteral("%1:%2").arg(seconds / 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    static const char* const endedBy[] = {
        QT_TR_NOOP("Call with %1 ended after %2, by the caller"),
        QT_TR_NOOP("Call with %1 ended after %2, by us"),
        QT_TR_NOOP("Call with %1 ended after %2, line lost"),
        QT_TR_NOOP("Call with %1 ended after %2, while the GSM module was not answering"),
    };
    static const char* const missedBy[] = {
        QT_TR_NOOP("Missed call from %1"),
        QT_TR_NOOP("Declined call from %1"),
        QT_TR_NOOP("Call from %1 lost with the line"),
        QT_TR_NOOP("Call from %1 lost while the GSM module was not answering"),
    };
    static const char* const notAnsweredBy[] = {
        QT_TR_NOOP("Call to %1 not answered"),
        QT_TR_NOOP("Call to %1 cancelled"),
        QT_TR_NOOP("Call to %1 lost with the line"),
        QT_TR_NOOP("Call to %1 lost while the GSM module was not answering"),
    };
    QString line;
    if (stateBefore == VOICECALL_ACTIVE)
        line = tr(endedBy[m_endReason]).arg(party(), talked);
    else if (stateBefore == VOICECALL_INCOMING)
        line = tr(missedBy[m_endReason]).arg(party());
    else
        line = tr(notAnsweredBy[m_endReason]).arg(party());
    ConsoleLog::info(m_context->console, line);
}
