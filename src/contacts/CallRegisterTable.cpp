#include "CallRegisterTable.h"

#include "CDatabase.h"
#include "DatabaseSchema.h"
#include "SqlDialect.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <functional>

namespace {

const char* const insertCall
    = "INSERT INTO call_register (phone_number, call_type, duration, time_date) VALUES (?, ?, ?, ?)";

// The call's columns of the first releases, then whether the call was declined and whether its
// number was called later (from any studio), then its notes, then the studio that took it.
const char* const withOutcome
    = "SELECT c.id, c.phone_number, c.call_type, c.duration, c.time_date, "
      "EXISTS (SELECT 1 FROM call_declined WHERE call_id = c.id), "
      "EXISTS (SELECT 1 FROM call_register AS later WHERE later.id > c.id AND later.call_type = 1 "
      "AND later.phone_number = c.phone_number), "
      "n.caller_name, n.place, n.topic, n.ready_for_air, COALESCE(s.studio, '') "
      "FROM call_register AS c LEFT JOIN call_notes AS n ON n.call_id = c.id "
      "LEFT JOIN call_studio AS s ON s.call_id = c.id";

// The calls of one studio, or of all for an empty name: a condition and its bound values.
QString ofStudio(const QString& studio, QVariantList* values)
{
    if (studio.isEmpty())
        return QStringLiteral("1 = 1");
    values->append(studio);
    return QStringLiteral("c.id IN (SELECT call_id FROM call_studio WHERE studio = ?)");
}

// The columns are NOT NULL: a missing text is stored as an empty one.
QString notNull(const QString& text)
{
    return text.isNull() ? QLatin1String("") : text;
}

// Runs the statements as one: all of them land or none. Through the database's query(), so that
// a failure is reported and a lock is seen as one.
bool inTransaction(CDatabase* database, const std::function<bool()>& statements)
{
    // A database that is closed, or a server out of reach, refuses the first statement.
    if (!database->query(SqlDialect::of(database->database()).beginWrite()).isActive())
        return false;
    if (statements() && database->query(QStringLiteral("COMMIT")).isActive())
        return true;
    database->rollback();
    return false;
}

} // namespace

void CallRegisterTable::create(CDatabase* database)
{
    // The tables are made with the rest of the schema when the file opens; a file up to date is
    // not written, and one that cannot be has been reported then.
    QString reason;
    DatabaseSchema::upgrade(database->database(), &reason);
}

bool CallRegisterTable::insert(CDatabase* database, const QString& number, int type, qint64 durationMs,
    const QString& timeDate, const CallNote& note)
{
    const auto row = [&] {
        return database->query(QLatin1String(insertCall) + SqlDialect::of(database->database()).returningKey(),
            { notNull(number), type, durationMs, notNull(timeDate) });
    };
    return inTransaction(database, [&] {
        QSqlQuery written = row();
        const qint64 id = SqlDialect::of(database->database()).insertedKey(written);
        return id >= 0 && saveStudio(database, id) && (note.isEmpty() || saveNote(database, id, note));
    });
}

bool CallRegisterTable::saveStudio(CDatabase* database, qint64 id, const QString& uid)
{
    // A call without a uid leaves the column empty (NULL): the uids are unique.
    if (uid.isEmpty())
        return database
            ->query(QStringLiteral("INSERT INTO call_studio (call_id, studio) VALUES (?, ?)"), { id, database->studio() })
            .isActive();
    return database
        ->query(QStringLiteral("INSERT INTO call_studio (call_id, studio, uid) VALUES (?, ?, ?)"),
            { id, database->studio(), uid })
        .isActive();
}

bool CallRegisterTable::store(CDatabase* database, const CallRecord& call)
{
    const SqlDialect dialect = SqlDialect::of(database->database());
    return inTransaction(database, [&] {
        QSqlQuery known = database->query(QStringLiteral("SELECT call_id FROM call_studio WHERE uid = ?"), { call.uid });
        if (!known.isActive())
            return false;
        qint64 id = known.next() ? known.value(0).toLongLong() : -1;
        if (id < 0) {
            QSqlQuery row = database->query(QLatin1String(insertCall) + dialect.returningKey(),
                { notNull(call.number), call.type, call.durationMs, notNull(call.timeDate) });
            id = dialect.insertedKey(row);
            if (id < 0 || !saveStudio(database, id, call.uid))
                return false;
            if (!call.finished
                && !database->query(QStringLiteral("INSERT INTO call_register_open (call_id, owner) VALUES (?, ?)"),
                                   { id, call.owner })
                        .isActive())
                return false;
        } else if (!update(database, id, call.type, call.durationMs)) {
            return false;
        }
        return (!call.finished
                   || database->query(QStringLiteral("DELETE FROM call_register_open WHERE call_id = ?"), { id })
                          .isActive())
            && (!call.declined || markDeclined(database, id)) && saveNote(database, id, call.note);
    });
}

bool CallRegisterTable::saveNote(CDatabase* database, qint64 id, const CallNote& note)
{
    if (note.isEmpty())
        return database->query(QStringLiteral("DELETE FROM call_notes WHERE call_id = ?"), { id }).isActive();
    return database
        ->query(SqlDialect::of(database->database())
                    .insertOrReplace(QStringLiteral("call_notes"),
                        { QStringLiteral("call_id"), QStringLiteral("caller_name"), QStringLiteral("place"),
                            QStringLiteral("topic"), QStringLiteral("ready_for_air") },
                        QStringLiteral("?, ?, ?, ?, ?")),
            { id, notNull(note.callerName), notNull(note.place), notNull(note.topic), note.readyForAir ? 1 : 0 })
        .isActive();
}

CallNote CallRegisterTable::note(const QSqlQuery& call)
{
    CallNote note;
    note.callerName = call.value(NoteName).toString();
    note.place = call.value(NotePlace).toString();
    note.topic = call.value(NoteTopic).toString();
    note.readyForAir = call.value(NoteReady).toInt() != 0;
    return note;
}

bool CallRegisterTable::answered(int type, qint64 durationMs)
{
    return type == Incoming || (type == Outgoing && durationMs > 0);
}

QSqlQuery CallRegisterTable::newest(CDatabase* database, int limit, const QString& studio)
{
    if (studio.isEmpty())
        return database->query(selectNewest(), { limit });
    return database->query(
        QLatin1String(withOutcome) + QStringLiteral(" WHERE s.studio = ? ORDER BY c.id DESC LIMIT ?"), { studio, limit });
}

QString CallRegisterTable::selectNewest()
{
    return QLatin1String(withOutcome) + QStringLiteral(" ORDER BY c.id DESC LIMIT ?");
}

QSqlQuery CallRegisterTable::newestMissed(CDatabase* database, int limit, const QString& studio)
{
    QVariantList values { Missed };
    const QString where = ofStudio(studio, &values);
    values << limit;
    return database->query(QLatin1String(withOutcome) + QStringLiteral(" WHERE c.call_type = ? AND ") + where
            + QStringLiteral(" ORDER BY c.id DESC LIMIT ?"),
        values);
}

QStringList CallRegisterTable::studios(CDatabase* database)
{
    QStringList names;
    // Calls of earlier releases name no studio and have no row here.
    QSqlQuery rows = database->query(QStringLiteral("SELECT DISTINCT studio FROM call_studio ORDER BY studio"));
    while (rows.next())
        names << rows.value(0).toString();
    return names;
}

bool CallRegisterTable::markDeclined(CDatabase* database, qint64 id)
{
    const QString insert = SqlDialect::of(database->database())
                               .insertOrIgnore(QStringLiteral("call_declined"), QStringLiteral("call_id"), QStringLiteral("?"));
    return database->query(insert, { id })
        .isActive();
}

QSqlQuery CallRegisterTable::finished(CDatabase* database)
{
    // Whether a call was called back is not asked: it stands empty in its column.
    return database->query(QStringLiteral("SELECT c.id, c.phone_number, c.call_type, c.duration, c.time_date, "
                                          "EXISTS (SELECT 1 FROM call_declined WHERE call_id = c.id), "
                                          "NULL, n.caller_name, n.place, n.topic, n.ready_for_air, "
                                          "COALESCE(s.studio, '') FROM call_register AS c "
                                          "LEFT JOIN call_notes AS n ON n.call_id = c.id "
                                          "LEFT JOIN call_studio AS s ON s.call_id = c.id "
                                          "WHERE id NOT IN (SELECT call_id FROM call_register_open) ORDER BY id"));
}

int CallRegisterTable::finishedCount(CDatabase* database, const QString& studio)
{
    QVariantList values;
    const QString where = ofStudio(studio, &values);
    QSqlQuery count = database->query(QStringLiteral("SELECT count(*) FROM call_register AS c WHERE ") + where
            + QStringLiteral(" AND id NOT IN (SELECT call_id FROM call_register_open)"),
        values);
    return count.next() ? count.value(0).toInt() : -1;
}

qint64 CallRegisterTable::open(CDatabase* database, const QString& number, int type, const QString& timeDate)
{
    qint64 id = -1;
    const SqlDialect dialect = SqlDialect::of(database->database());
    const bool written = inTransaction(database, [&] {
        QSqlQuery row = database->query(
            QLatin1String(insertCall) + dialect.returningKey(), { notNull(number), type, 0, notNull(timeDate) });
        id = dialect.insertedKey(row);
        return id >= 0 && saveStudio(database, id)
            && database->query(QStringLiteral("INSERT INTO call_register_open (call_id, owner) VALUES (?, ?)"),
                { id, ownerTag() })
                   .isActive();
    });
    return written ? id : -1;
}

bool CallRegisterTable::update(CDatabase* database, qint64 id, int type, qint64 durationMs)
{
    return database
               ->query(QStringLiteral("UPDATE call_register SET call_type = ?, duration = ? WHERE id = ?"),
                   { type, durationMs, id })
               .numRowsAffected()
        == 1;
}

bool CallRegisterTable::close(CDatabase* database, qint64 id, int type, qint64 durationMs)
{
    return inTransaction(database, [&] {
        return update(database, id, type, durationMs)
            && database->query(QStringLiteral("DELETE FROM call_register_open WHERE call_id = ?"), { id }).isActive();
    });
}

QString CallRegisterTable::ownerTag()
{
    return QSysInfo::machineHostName() + QLatin1Char(':') + QString::number(QCoreApplication::applicationPid());
}

bool CallRegisterTable::ownerGone(const QString& owner)
{
    // A row of an earlier release names nobody; a program on another computer is not ours to judge.
    if (owner.isEmpty())
        return true;
    const QString host = owner.section(QLatin1Char(':'), 0, -2);
    bool isNumber = false;
    const qint64 pid = owner.section(QLatin1Char(':'), -1).toLongLong(&isNumber);
    if (host != QSysInfo::machineHostName())
        return false;
    if (!isNumber || pid <= 0)
        return true;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

QList<CallRegisterTable::OpenCall> CallRegisterTable::leftOpen(CDatabase* database)
{
    QList<OpenCall> calls;
    QSqlQuery rows = database->query(QStringLiteral("SELECT c.id, c.phone_number, c.duration, o.owner "
                                                    "FROM call_register AS c JOIN call_register_open AS o "
                                                    "ON o.call_id = c.id ORDER BY c.id"));
    while (rows.next()) {
        if (ownerGone(rows.value(3).toString()))
            calls.append({ rows.value(0).toLongLong(), rows.value(1).toString(), rows.value(2).toLongLong() });
    }
    return calls;
}

void CallRegisterTable::forgetOpen(CDatabase* database, const QList<OpenCall>& calls)
{
    for (const OpenCall& call : calls)
        database->query(QStringLiteral("DELETE FROM call_register_open WHERE call_id = ?"), { call.id });
}

bool CallRegisterTable::clear(CDatabase* database, const QString& studio)
{
    QVariantList values;
    const QString cleared = QStringLiteral("(SELECT c.id FROM call_register AS c WHERE ") + ofStudio(studio, &values)
        + QStringLiteral(" AND c.id NOT IN (SELECT call_id FROM call_register_open))");
    // Marks first: a mark left behind would outlive its call, never one the other way round. The
    // studios last, as they tell which calls go.
    return inTransaction(database, [&] {
        return database->query(QStringLiteral("DELETE FROM call_declined WHERE call_id IN ") + cleared, values).isActive()
            && database->query(QStringLiteral("DELETE FROM call_notes WHERE call_id IN ") + cleared, values).isActive()
            && database->query(QStringLiteral("DELETE FROM call_register WHERE id IN ") + cleared, values).isActive()
            && database
                   ->query(QStringLiteral("DELETE FROM call_studio WHERE call_id NOT IN (SELECT id FROM call_register)"))
                   .isActive();
    });
}
