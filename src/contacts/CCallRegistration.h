#ifndef CCALLREGISTRATION_H
#define CCALLREGISTRATION_H

#include "CallNotes.h"
#include "CallRecord.h"
#include "GsmTypes.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

class CallRegisterWriter;
class QTimer;

#include <functional>
#include <memory>

struct AppContext;

// Writes one row into the call register for every call: who the other party was, whether the
// call was incoming, outgoing or missed, when it began and how long it was talked. It follows
// the call state that the module engine reports. The row is written when the call begins and
// its talk time brought up to date while it goes on, so a call survives the program being
// killed or the power going: the next start finds it with the talk time known then. The writes
// go through a queue that never waits for a locked file, so the call never waits for its row.
// The producer's notes of the call are written with it, as they change, so a crash keeps them too.
class CCallRegistration : public QObject
{
    Q_OBJECT

public:
    static constexpr int CheckpointIntervalMs = 2000;
    // Notes written as they are typed are stored once the typing pauses this long.
    static constexpr int NotesSettleMs = 500;

    explicit CCallRegistration(AppContext* context, QObject* parent = nullptr);

    // Replaces the clocks: the wall clock gives the local time a call began, the monotonic one
    // (milliseconds, any origin) measures the talk time.
    void setClock(std::function<QDateTime()> wallClock, std::function<qint64()> monotonicClock);
    // The program stops while a call goes on: its row is completed with the talk time up to now,
    // as if it ended now. The module is not told; the call is its business.
    void recordCallInProgress();

signals:
    // Fires after every finished call, once its row was written or the write failed (later than
    // the call's end while another program holds the database locked).
    void registerUpdate();
    // Fires after registerUpdate(), with what was recorded: type is a CallRegisterTable::Type,
    // talkMs the talk time in milliseconds.
    void callRecorded(QString number, int type, QDateTime start, qint64 talkMs);

public slots:
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);
    // The engine tells why the call going on ends and how long before now it was last heard of.
    void onCallEnded(CALL_END_REASON reason, QString number, qint64 unheardMs);
    // Brings the talk time of the call going on up to date in its row.
    void checkpoint();
    // The producer's notes of the call going on changed: they are written with its row once
    // they settle.
    void onNotesChanged(const CallNote& note);

private:
    void recoverOpenCalls();
    QString startTimeText() const;
    void beginCall(const QString& number, int type);
    void startTalking();
    void finishCall();
    // Completes the row of the call going on; false when no call goes on.
    bool closeRow();
    void recordCall();
    // One console line for the operator: a call answered, and how and after how long it ended.
    void sayAnswered() const;
    void sayEnded(int stateBefore) const;
    QString party() const;
    // The notes of the call being recorded; none without notes to take them from.
    CallNote currentNote() const;
    // Writes the notes of the call going on into its row.
    void checkpointNotes();
    // On a station's server, the call going on as a whole, sent in place of each single write.
    CallRecord currentRecord(int type, qint64 durationMs, bool finished, bool declined) const;
    void sendToStation(const CallRecord& call);

    AppContext* m_context;
    int m_lastState = VOICECALL_IDLE;
    QString m_number;
    QString m_uid; // names the call going on to a station's server
    int m_callType = 0; // a CallRegisterTable::Type
    QDateTime m_startTime;
    qint64 m_talkStart = 0;
    qint64 m_duration = 0;
    qint64 m_unheardMs = 0; // talk time at the end that nobody heard: the module was silent
    CALL_END_REASON m_endReason = CALL_END_BY_CALLER;
    // The row of the call going on, shared with the writes waiting for it: -1 until it is written,
    // and when it could not be.
    std::shared_ptr<qint64> m_row;
    QTimer* m_checkpointTimer;
    QTimer* m_notesTimer;
    CallRegisterWriter* m_writer;

    QElapsedTimer m_elapsed;
    std::function<QDateTime()> m_wallClock;
    std::function<qint64()> m_monotonicClock;
};

#endif // CCALLREGISTRATION_H
