#include "CallRegisterTable.h"

#include "CDatabase.h"

namespace {

const char* const createTable
    = "     CREATE TABLE call_register        (         id           INTEGER PRIMARY KEY AUTOINCREMENT,         "
      "phone_number TEXT NOT NULL,         call_type    INTEGER NOT NULL,         duration     INTEGER NOT "
      "NULL,         time_date    TEXT NOT NULL     );     ";

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
    // Fails harmlessly when the table is already there.
    database->query(QLatin1String(createTable));
}

bool CallRegisterTable::insert(
    CDatabase* database, const QString& number, int type, qint64 durationMs, const QString& timeDate)
{
    return database->query(QLatin1String(insertCall), { notNull(number), type, durationMs, notNull(timeDate) })
        .isActive();
}

QSqlQuery CallRegisterTable::newest(CDatabase* database, int limit)
{
    return database->query(QStringLiteral("SELECT * FROM call_register ORDER BY id DESC LIMIT ?"), { limit });
}

void CallRegisterTable::clear(CDatabase* database)
{
    database->query(QStringLiteral("DELETE FROM call_register"));
}
