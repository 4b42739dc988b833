#include "DatabaseSchema.h"

#include "ContactsTable.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <iterator>

namespace {

struct Step
{
    int version;
    const char* sql;
};

// In order. A file is at version N once every statement up to N has run. Statements already
// released never change: a change to the schema is a new row with the next version, such as
// { 3, "ALTER TABLE contacts ADD COLUMN number_key TEXT" }. Version 1 makes what earlier
// releases made piecemeal, so it must tolerate finding any of it already there.
const Step steps[] = {
    { 1,
        "CREATE TABLE IF NOT EXISTS contacts (id INTEGER PRIMARY KEY AUTOINCREMENT, first_name TEXT NOT NULL, "
        "last_name TEXT NOT NULL, phone_number TEXT NOT NULL, info TEXT)" },
    // The number lookup's indexes. SQLite's substr() counts characters as Qt does for every
    // number made of ordinary characters; the rows it cannot key the same way (a NUL inside the
    // number, a value that is not text) sit in the second, partial index and are checked as well.
    { 1, "CREATE INDEX IF NOT EXISTS contacts_number_key ON contacts (substr(phone_number, -9))" },
    { 1,
        "CREATE INDEX IF NOT EXISTS contacts_number_unusual ON contacts (id) "
        "WHERE typeof(phone_number) <> 'text' OR instr(CAST(phone_number AS BLOB), x'00') > 0" },
    { 1,
        "CREATE TABLE IF NOT EXISTS call_register (id INTEGER PRIMARY KEY AUTOINCREMENT, "
        "phone_number TEXT NOT NULL, call_type INTEGER NOT NULL, duration INTEGER NOT NULL, "
        "time_date TEXT NOT NULL)" },
    { 1, "CREATE TABLE IF NOT EXISTS call_register_open (call_id INTEGER PRIMARY KEY)" },
    // Incoming calls we declined. Their call_type stays 2 (missed), as earlier versions keep it.
    { 2, "CREATE TABLE IF NOT EXISTS call_declined (call_id INTEGER PRIMARY KEY)" },
    // Numbers are now looked up by their digits (ContactsTable::lookupIndexes()); the indexes on
    // their last nine characters only cost every write.
    { 3, "DROP INDEX IF EXISTS contacts_number_key" },
    { 3, "DROP INDEX IF EXISTS contacts_number_unusual" },
    // The indexes of that lookup, made here rather than at the first lookup, which took a third of
    // a second at 100,000 contacts while a caller rang.
    { 4, ContactsTable::lookupIndexes()[0] },
    { 4, ContactsTable::lookupIndexes()[1] },
    // Which program has a call open ("host:pid"): another program on the same file recovers only
    // the rows of a program that is gone. Rows of earlier releases have none.
    { 5, "ALTER TABLE call_register_open ADD COLUMN owner TEXT" },
    // What the producer noted about a call's caller for the presenter; a call without notes has
    // no row. A table of its own: call_register keeps the columns its readers count on.
    { 6,
        "CREATE TABLE IF NOT EXISTS call_notes (call_id INTEGER PRIMARY KEY, caller_name TEXT NOT NULL, "
        "place TEXT NOT NULL, topic TEXT NOT NULL, ready_for_air INTEGER NOT NULL)" },
};

bool run(QSqlDatabase database, const QString& sql, QString* reason)
{
    QSqlQuery statement(database);
    if (statement.exec(sql))
        return true;
    *reason = statement.lastError().text();
    return false;
}

} // namespace

int DatabaseSchema::currentVersion()
{
    return std::prev(std::end(steps))->version;
}

int DatabaseSchema::version(QSqlDatabase database)
{
    QSqlQuery pragma(database);
    if (!pragma.exec(QStringLiteral("PRAGMA user_version")) || !pragma.next())
        return -1;
    return pragma.value(0).toInt();
}

bool DatabaseSchema::upgrade(QSqlDatabase database, QString* reason)
{
    const int seen = version(database);
    if (seen < 0) {
        *reason = database.lastError().text();
        return false;
    }
    if (seen >= currentVersion())
        return true;
    // Two programs opening the file at once (two units' programs at the start of a session) would
    // both run the steps: the write lock is taken first and the version read again under it.
    if (!run(database, QStringLiteral("BEGIN IMMEDIATE"), reason))
        return false;
    const int from = version(database);
    bool ok = from >= 0;
    if (!ok)
        *reason = database.lastError().text();
    ok = ok && std::all_of(std::begin(steps), std::end(steps), [&](const Step& step) {
        return step.version <= from || run(database, QLatin1String(step.sql), reason);
    });
    // PRAGMA takes no bound value; the number is the program's own.
    if (ok && from < currentVersion())
        ok = run(database, QStringLiteral("PRAGMA user_version = %1").arg(currentVersion()), reason);
    if (ok && run(database, QStringLiteral("COMMIT"), reason))
        return true;
    QSqlQuery(database).exec(QStringLiteral("ROLLBACK"));
    return false;
}
