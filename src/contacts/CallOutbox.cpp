#include "CallOutbox.h"

#include "LogCategories.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {

const char* const columns = "uid, number, call_type, duration, time_date, declined, caller_name, place, topic, "
                            "ready_for_air, finished, owner";

QSqlQuery run(const QString& connection, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        qCWarning(lcContacts) << "the calls waiting for the server:" << query.lastError().text();
    return query;
}

// The columns are NOT NULL: a missing text is kept as an empty one.
QString text(const QString& value)
{
    return value.isNull() ? QLatin1String("") : value;
}

} // namespace

CallOutbox::CallOutbox(const QString& path)
    : m_connection(QStringLiteral("outbox-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (open(path))
        return;
    m_problem = QSqlDatabase::database(m_connection, false).lastError().text();
    if (m_problem.trimmed().isEmpty())
        m_problem = path;
    QSqlDatabase::removeDatabase(m_connection);
    open(QStringLiteral(":memory:"));
}

CallOutbox::~CallOutbox()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

bool CallOutbox::open(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return false;
    QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    return QSqlQuery(db).exec(
        QStringLiteral("CREATE TABLE IF NOT EXISTS waiting (seq INTEGER PRIMARY KEY AUTOINCREMENT, version INTEGER "
                       "NOT NULL, uid TEXT NOT NULL UNIQUE, number TEXT NOT NULL, call_type INTEGER NOT NULL, "
                       "duration INTEGER NOT NULL, time_date TEXT NOT NULL, declined INTEGER NOT NULL, caller_name "
                       "TEXT NOT NULL, place TEXT NOT NULL, topic TEXT NOT NULL, ready_for_air INTEGER NOT NULL, "
                       "finished INTEGER NOT NULL, owner TEXT NOT NULL)"));
}

bool CallOutbox::keep(const CallRecord& call)
{
    // The row keeps its place in the order; its version goes up with every record.
    const QString upsert = QStringLiteral("INSERT INTO waiting (version, %1) VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                          "?, ?) ON CONFLICT (uid) DO UPDATE SET version = version + 1, number = "
                                          "excluded.number, call_type = excluded.call_type, duration = "
                                          "excluded.duration, time_date = excluded.time_date, declined = "
                                          "excluded.declined, caller_name = excluded.caller_name, place = "
                                          "excluded.place, topic = excluded.topic, ready_for_air = "
                                          "excluded.ready_for_air, finished = excluded.finished, owner = excluded.owner")
                               .arg(QLatin1String(columns));
    const CallNote& note = call.note;
    return run(m_connection, upsert,
        { call.uid, text(call.number), call.type, call.durationMs, text(call.timeDate), call.declined ? 1 : 0,
            text(note.callerName), text(note.place), text(note.topic), note.readyForAir ? 1 : 0,
            call.finished ? 1 : 0, text(call.owner) })
        .isActive();
}

QList<CallOutbox::Waiting> CallOutbox::waiting() const
{
    QList<Waiting> calls;
    QSqlQuery rows
        = run(m_connection, QStringLiteral("SELECT %1, version FROM waiting ORDER BY seq").arg(QLatin1String(columns)));
    while (rows.next()) {
        Waiting waiting;
        CallRecord& call = waiting.call;
        call.uid = rows.value(0).toString();
        call.number = rows.value(1).toString();
        call.type = rows.value(2).toInt();
        call.durationMs = rows.value(3).toLongLong();
        call.timeDate = rows.value(4).toString();
        call.declined = rows.value(5).toInt() != 0;
        call.note = { rows.value(6).toString(), rows.value(7).toString(), rows.value(8).toString(),
            rows.value(9).toInt() != 0 };
        call.finished = rows.value(10).toInt() != 0;
        call.owner = rows.value(11).toString();
        waiting.version = rows.value(12).toLongLong();
        calls.append(waiting);
    }
    return calls;
}

bool CallOutbox::forget(const QString& uid, qint64 version)
{
    return run(m_connection, QStringLiteral("DELETE FROM waiting WHERE uid = ? AND version = ?"), { uid, version })
        .isActive();
}

int CallOutbox::count(const QString& owner) const
{
    QSqlQuery rows = owner.isEmpty()
        ? run(m_connection, QStringLiteral("SELECT count(*) FROM waiting"))
        : run(m_connection, QStringLiteral("SELECT count(*) FROM waiting WHERE owner = ?"), { owner });
    return rows.next() ? rows.value(0).toInt() : 0;
}
