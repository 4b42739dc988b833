#include "ScreeningService.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "CallNotes.h"
#include "CallRequests.h"
#include "ConsoleLog.h"
#include "LogCategories.h"
#include "NotedCallerSaver.h"
#include "RemoteControl.h"
#include "ScreeningHistory.h"
#include "ScreeningSettings.h"
#include "ScreeningTexts.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

ScreeningReply reply(int status, const QJsonObject& object)
{
    return { status, QJsonDocument(object).toJson(QJsonDocument::Compact) };
}

ScreeningReply done()
{
    return reply(200, { { QStringLiteral("ok"), true } });
}

ScreeningReply refused(int status, const QString& code, const QString& message)
{
    return reply(status,
        { { QStringLiteral("ok"), false }, { QStringLiteral("code"), code }, { QStringLiteral("message"), message } });
}

} // namespace

ScreeningService::ScreeningService(AppContext* context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_server(
          std::make_unique<ScreeningServer>(this, [this](const ScreeningRequest& request) { return perform(request); }))
    , m_historyThread(new QThread(this))
{
    m_historyThread->setObjectName(QStringLiteral("screening-history"));
    publish();
}

ScreeningService::~ScreeningService()
{
    m_server->stop();
    m_historyThread->quit();
    m_historyThread->wait();
}

bool ScreeningService::start(const ScreeningConfig& config, QString* error)
{
    QString why;
    if (!config.password.isSet())
        why = tr("No password is set");
    else if (config.addresses.isEmpty())
        why = tr("No address to listen on");
    else if (config.certificateFile.isEmpty() != config.keyFile.isEmpty())
        why = tr("HTTPS needs both a certificate and its key");
    else if (!m_server->start(config, ScreeningTexts::json(), &why) && why.isEmpty())
        why = tr("The page cannot be served");
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        setStatus(tr("Not served: %1").arg(why));
        ConsoleLog::error(m_context->console, tr("Screening page: %1").arg(why));
        return false;
    }
    if (!m_history) {
        m_history = new ScreeningHistory(ConnectionRecipe(m_context->database->database()));
        m_history->moveToThread(m_historyThread);
        connect(m_historyThread, &QThread::finished, m_history, &QObject::deleteLater);
        connect(this, &ScreeningService::historyWanted, m_history, &ScreeningHistory::lookUp);
        connect(m_history, &ScreeningHistory::found, this, &ScreeningService::onHistoryFound);
        m_historyThread->start();
    }
    QStringList where;
    const QList<int> ports = m_server->ports();
    for (int i = 0; i < ports.size(); ++i)
        where << QStringLiteral("%1://%2:%3")
                     .arg(config.certificateFile.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"),
                         config.addresses.at(i).contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + config.addresses.at(i) + QLatin1Char(']')
                             : config.addresses.at(i))
                     .arg(ports.at(i));
    setStatus(tr("Served at %1").arg(where.join(QStringLiteral(", "))));
    publish();
    return true;
}

void ScreeningService::stop()
{
    const bool wasRunning = m_server->isRunning();
    m_server->stop();
    if (wasRunning)
        setStatus(tr("Off"));
}

void ScreeningService::applySettings()
{
    const ScreeningSettings settings = ScreeningSettings::load();
    if (!settings.enabled) {
        stop();
        setStatus(tr("Off"));
        return;
    }
    start(settings.config());
}

void ScreeningService::setStatus(const QString& status)
{
    m_status = status;
    emit statusChanged();
}

void ScreeningService::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    // The end names no party: the page keeps showing the one of the call that ended.
    if (state != VOICECALL_IDLE && (m_callState == VOICECALL_IDLE || number != m_number)) {
        m_number = number;
        m_name = number.isEmpty() ? QString() : m_context->database->knownName(number);
        m_historyKnown = false;
        if (!number.isEmpty())
            emit historyWanted(number);
    }
    if (state != m_callState) {
        m_callState = state;
        m_sinceMs = QDateTime::currentMSecsSinceEpoch();
    }
    publish();
}

void ScreeningService::onHistoryFound(const QString& number, int count, const QString& last)
{
    if (number != m_number)
        return;
    m_historyKnown = true;
    m_historyCount = count;
    m_historyLast = last;
    publish();
}

void ScreeningService::onRssiChange(int rssi, int dBm)
{
    if (rssi == m_rssi && dBm == m_dBm)
        return;
    m_rssi = rssi;
    m_dBm = dBm;
    publish();
}

void ScreeningService::onSimStateChange(SIM_STATE)
{
    publish();
}

void ScreeningService::onModuleSilenceChanged(bool silent)
{
    m_silent = silent;
    publish();
}

void ScreeningService::onConnectionChange()
{
    if (!m_context->usb->isConnected()) {
        m_rssi = 99;
        m_dBm = 0;
        m_silent = false;
    }
    publish();
}

void ScreeningService::onNotesChanged(const CallNote&)
{
    publish();
}

void ScreeningService::publish()
{
    const bool connected = m_context->usb->isConnected();
    const CallNote note = m_context->callNotes->current();
    const QJsonObject state {
        { QStringLiteral("connected"), connected },
        { QStringLiteral("sim"), RemoteControl::simStateName(connected ? m_context->uc20->simState() : SIM_UNKNOWN) },
        { QStringLiteral("signal"), m_rssi },
        { QStringLiteral("dbm"), m_dBm },
        { QStringLiteral("call"), RemoteControl::callStateName(m_callState) },
        { QStringLiteral("silent"), m_silent },
        { QStringLiteral("sinceMs"), m_sinceMs },
        { QStringLiteral("nowMs"), QDateTime::currentMSecsSinceEpoch() },
        { QStringLiteral("number"), m_number },
        { QStringLiteral("withheld"), m_callState != VOICECALL_IDLE && m_number.isEmpty() },
        { QStringLiteral("name"), m_name },
        { QStringLiteral("historyKnown"), m_historyKnown },
        { QStringLiteral("historyCount"), m_historyCount },
        { QStringLiteral("historyLast"), m_historyLast },
        { QStringLiteral("hasCall"), m_context->callNotes->hasCall() },
        { QStringLiteral("notes"),
            QJsonObject { { QStringLiteral("callerName"), note.callerName }, { QStringLiteral("place"), note.place },
                { QStringLiteral("topic"), note.topic }, { QStringLiteral("readyForAir"), note.readyForAir } } },
    };
    m_state = QJsonDocument(state).toJson(QJsonDocument::Compact);
    m_server->publish(m_state);
}

ScreeningReply ScreeningService::perform(const ScreeningRequest& request)
{
    if (request.action == QLatin1String("notes"))
        return saveNotes(request.body);
    if (request.action == QLatin1String("phonebook"))
        return saveName(request);
    return callAction(request);
}

ScreeningReply ScreeningService::callAction(const ScreeningRequest& request)
{
    const CallRequests requests(m_context->usb, m_context->uc20);
    CallRequests::Verdict verdict;
    QString action;
    if (request.action == QLatin1String("dial")) {
        const QJsonValue number = request.body.value(QStringLiteral("number"));
        if (!number.isString())
            return refused(400, QStringLiteral("MalformedRequest"), QString());
        action = tr("dial %1").arg(ConsoleLog::excerpt(number.toString()));
        verdict = requests.dial(number.toString());
    } else if (request.action == QLatin1String("answer")) {
        action = tr("answer");
        verdict = requests.answer();
    } else if (request.action == QLatin1String("decline")) {
        action = tr("decline");
        verdict = requests.decline();
    } else {
        action = tr("hang up");
        verdict = requests.hangUp();
    }
    const QString line = tr("Screening page (%1): %2").arg(request.address, action);
    if (!verdict.allowed()) {
        qCInfo(lcApp).noquote() << line << "refused:" << verdict.text;
        return refused(409, CallRequests::name(verdict.refusal), verdict.text);
    }
    ConsoleLog::info(m_context->console, line);
    return done();
}

ScreeningReply ScreeningService::saveNotes(const QJsonObject& body)
{
    CallNote note;
    const QString keys[] = { QStringLiteral("callerName"), QStringLiteral("place"), QStringLiteral("topic") };
    QString* fields[] = { &note.callerName, &note.place, &note.topic };
    for (int i = 0; i < 3; ++i) {
        const QJsonValue value = body.value(keys[i]);
        if (!value.isString() && !value.isUndefined())
            return refused(400, QStringLiteral("MalformedRequest"), QString());
        if (value.toString().size() > CallNotes::MaxFieldLength)
            return refused(413, QStringLiteral("TooLong"),
                tr("A note is longer than %1 characters").arg(CallNotes::MaxFieldLength));
        *fields[i] = value.toString();
    }
    note.readyForAir = body.value(QStringLiteral("readyForAir")).toBool();
    if (!m_context->callNotes->setCurrent(note))
        return refused(409, QStringLiteral("NoCall"), tr("No call to write notes for"));
    return done();
}

ScreeningReply ScreeningService::saveName(const ScreeningRequest& request)
{
    const QString name = request.body.value(QStringLiteral("name")).toString().simplified();
    if (name.isEmpty() || name.size() > CallNotes::MaxFieldLength)
        return refused(400, QStringLiteral("MalformedRequest"), tr("No name to save"));
    if (!m_context->callerSaver)
        return refused(503, QStringLiteral("NotSaved"), tr("No caller's number to save the name with"));
    // The notes strip's button and the page save alike: the number of the call going on or of
    // the last one, a number the phonebook knows left as it is.
    switch (m_context->callerSaver->save(name)) {
    case NotedCallerSaver::Saved:
        break;
    case NotedCallerSaver::NoName:
    case NotedCallerSaver::Withheld:
        return refused(409, QStringLiteral("NoNumber"), tr("No caller's number to save the name with"));
    case NotedCallerSaver::AlreadyKnown:
        return refused(409, QStringLiteral("AlreadyKnown"),
            tr("The number is in the phonebook already as %1")
                .arg(m_context->database->knownName(m_context->callNotes->number())));
    case NotedCallerSaver::NotWritten:
        return refused(503, QStringLiteral("NotSaved"), m_context->database->problem());
    }
    ConsoleLog::info(m_context->console,
        tr("Screening page (%1): %2 saved to the phonebook as %3")
            .arg(request.address, m_context->callNotes->number(), name));
    if (m_context->callNotes->number() == m_number)
        m_name = m_context->database->knownName(m_number);
    publish();
    return done();
}
