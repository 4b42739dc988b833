#ifndef CCALLREGISTRATION_H
#define CCALLREGISTRATION_H

#include "GsmTypes.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

#include <functional>

struct AppContext;

// Writes one row into the call register for every call that ends: who the other party was,
// whether the call was incoming, outgoing or missed, when it began and how long it was talked.
// It follows the call state that the module engine reports.
class CCallRegistration : public QObject
{
    Q_OBJECT

public:
    explicit CCallRegistration(AppContext* context, QObject* parent = nullptr);

    // Replaces the clocks: the wall clock gives the local time a call began, the monotonic one
    // (milliseconds, any origin) measures the talk time.
    void setClock(std::function<QDateTime()> wallClock, std::function<qint64()> monotonicClock);

signals:
    // Fires after every finished call, once its row was written or the write failed.
    void registerUpdate();

public slots:
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);

private:
    void beginCall(const QString& number, int type);
    void startTalking();
    void finishCall();
    void recordCall();

    AppContext* m_context;
    int m_lastState = VOICECALL_IDLE;
    QString m_number;
    int m_callType = 0; // a CallRegisterTable::Type
    QDateTime m_startTime;
    qint64 m_talkStart = 0;
    qint64 m_duration = 0;

    QElapsedTimer m_elapsed;
    std::function<QDateTime()> m_wallClock;
    std::function<qint64()> m_monotonicClock;
};

#endif // CCALLREGISTRATION_H
