#ifndef CALLREGISTERTABLE_H
#define CALLREGISTERTABLE_H

#include "CallNotes.h"
#include "CallRecord.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

class CDatabase;

// The SQL of the record of calls, table "call_register", in one place.
class CallRegisterTable
{
public:
    // Column positions; readers select all columns and address them by position. newest(),
    // newestMissed() and finished() add: whether a missed call was declined (by us), whether the
    // number was called afterwards (not finished()), and the producer's notes of the call (empty
    // texts when there are none; see note()).
    enum Column {
        Id,
        PhoneNumber,
        CallType,
        Duration,
        TimeDate,
        Declined,
        CalledBack,
        NoteName,
        NotePlace,
        NoteTopic,
        NoteReady,
        Studio
    };
    // The call_type values.
    enum Type { Incoming = 0, Outgoing = 1, Missed = 2 };

    // Whether a recorded call was answered. The register keeps no outcome for calls made; only
    // one that was answered was talked.
    static bool answered(int type, qint64 durationMs);

    // Brings the database's schema, these tables among it, up to date (see DatabaseSchema).
    static void create(CDatabase* database);
    // Writes one call, with its notes unless they are empty, all or nothing; the values are
    // bound, so any character in the number or the notes is stored as it is.
    static bool insert(CDatabase* database, const QString& number, int type, qint64 durationMs, const QString& timeDate,
        const CallNote& note = CallNote());
    // Writes which studio took the call: the database's (CDatabase::studio()), and the call's uid
    // when it has one.
    static bool saveStudio(CDatabase* database, qint64 id, const QString& uid = QString());
    // Writes a call as the record has it, all or nothing: its row when none has the record's uid
    // yet, else that row brought up to date. A record not finished is listed as open.
    static bool store(CDatabase* database, const CallRecord& call);
    // Replaces the notes of a call; empty notes remove them.
    static bool saveNote(CDatabase* database, qint64 id, const CallNote& note);
    // The notes of a call read by newest(), newestMissed() or finished().
    static CallNote note(const QSqlQuery& call);

    // A call's row is written when the call begins and kept up to date while it goes on; until
    // it ends, the row is also listed as open (table call_register_open). A row still open at
    // the next start belongs to a call the program did not see end (killed, crashed, power cut);
    // it holds what was known when it was last brought up to date.
    // Writes the row and marks it open in one transaction; the row's id, or -1.
    static qint64 open(CDatabase* database, const QString& number, int type, const QString& timeDate);
    static bool update(CDatabase* database, qint64 id, int type, qint64 durationMs);
    // The last update and the end of the open mark, in one transaction.
    static bool close(CDatabase* database, qint64 id, int type, qint64 durationMs);
    // Marks a missed call as one we declined.
    static bool markDeclined(CDatabase* database, qint64 id);
    // A call left open by a program that stopped without ending it.
    struct OpenCall
    {
        qint64 id;
        QString number;
        qint64 durationMs;
    };
    // The calls left open by programs that are gone: an earlier run, or another program on the
    // same file that has stopped. The calls of a program still running are not among them.
    static QList<OpenCall> leftOpen(CDatabase* database);
    static void forgetOpen(CDatabase* database, const QList<OpenCall>& calls);
    // This program, as a call row's owner: "host:pid".
    static QString ownerTag();
    // Whether the program named by an owner tag has stopped.
    static bool ownerGone(const QString& owner);
    // The newest calls first, all columns, at most limit of them; of one studio, or of all when
    // studio is empty. Every call is written with the studio of the database that took it
    // (CDatabase::studio()).
    static QSqlQuery newest(CDatabase* database, int limit, const QString& studio = QString());
    // The statement newest() runs, the limit bound to its one placeholder; the same on every engine.
    static QString selectNewest();
    // The same for the missed calls alone.
    static QSqlQuery newestMissed(CDatabase* database, int limit, const QString& studio = QString());
    // The studios that calls were written by, in order of their names; calls of earlier releases
    // name none.
    static QStringList studios(CDatabase* database);
    // Every call that has ended, oldest first, all columns and whether it was declined; a call
    // going on is left out.
    static QSqlQuery finished(CDatabase* database);
    // How many calls have ended (what clear() removes); -1 when the database cannot tell.
    static int finishedCount(CDatabase* database, const QString& studio = QString());
    // Removes every finished call, or those of one studio; a call going on keeps its row. False
    // when it failed.
    static bool clear(CDatabase* database, const QString& studio = QString());
};

#endif // CALLREGISTERTABLE_H
