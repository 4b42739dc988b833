#include "CallRegisterTable.h"

#include "CDatabase.h"
#include "DatabaseSchema.h"

namespace {

const char* const insertCall
    = "INSERT INTO call_register (phone_number, call_type, duration, time_date) VALUES (?, ?, ?, ?)";

// The columns are NOT NULL: a missing text is stored as an empty one.
QString notNull(const QString& text)
{
    return text.isNull() ? QLatin1String("") : text;
}

} // namespace

void CallRegisterTable::create(CDatabase* database)
{
    // The tables are made with the rest of the schema when the file opens; a file up to date is
    // not written, and one that cannot be has been reported then.
    QString reason;
    DatabaseSchema::upgrade(database->database(), &reason);
}

bool CallRegisterTable::insert(
    CDatabase* database, const QString& number, int type, qint64 durationMs, const QString& timeDate)
{
    return database->query(QLatin1String(insertCall), { notNull(number), type, durationMs, notNull(timeDate) })
        .isActive();
}

bool CallRegisterTable::answered(int type, qint64 durationMs)
{
    return type == Incoming || (type == Outgoing && durationMs > 0);
}

QSqlQuery CallRegisterTable::newest(CDatabase* database, int limit)
{
    return database->query(QStringLiteral("SELECT * FROM call_register ORDER BY id DESC LIMIT ?"), { limit });
}

QSqlQuery CallRegisterTable::newestMissed(CDatabase* database, int limit)
{
    return database->query(
        QStringLiteral("SELECT * FROM call_register WHERE call_type = ? ORDER BY id DESC LIMIT ?"), { Missed, limit });
}

QSqlQuery CallRegisterTable::finished(CDatabase* database)
{
    return database->query(QStringLiteral("SELECT * FROM call_register "
                                          "WHERE id NOT IN (SELECT call_id FROM call_register_open) ORDER BY id"));
}

qint64 CallRegisterTable::open(CDatabase* database, const QString& number, int type, const QString& timeDate)
{
    QSqlDatabase connection = database->database();
    if (!database->isOpen() || !connection.transaction())
        return -1;
    const QSqlQuery row = database->query(QLatin1String(insertCall), { notNull(number), type, 0, notNull(timeDate) });
    const qint64 id = row.isActive() ? row.lastInsertId().toLongLong() : -1;
    const bool marked
        = id >= 0 && database->query(QStringLiteral("INSERT INTO call_register_open (call_id) VALUES (?)"), { id }).isActive();
    if (!marked || !connection.commit()) {
        connection.rollback();
        return -1;
    }
    return id;
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
    QSqlDatabase connection = database->database();
    if (!database->isOpen() || !connection.transaction())
        return false;
    const bool closed = update(database, id, type, durationMs)
        && database->query(QStringLiteral("DELETE FROM call_register_open WHERE call_id = ?"), { id }).isActive();
    if (!closed || !connection.commit()) {
        connection.rollback();
        return false;
    }
    return true;
}

QSqlQuery CallRegisterTable::leftOpen(CDatabase* database)
{
    return database->query(QStringLiteral("SELECT id, phone_number, duration FROM call_register "
                                          "WHERE id IN (SELECT call_id FROM call_register_open) ORDER BY id"));
}

void CallRegisterTable::forgetOpen(CDatabase* database)
{
    database->query(QStringLiteral("DELETE FROM call_register_open"));
}

bool CallRegisterTable::clear(CDatabase* database)
{
    return database->query(
        QStringLiteral("DELETE FROM call_register WHERE id NOT IN (SELECT call_id FROM call_register_open)"))
        .isActive();
}
