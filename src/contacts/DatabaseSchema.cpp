#include "DatabaseSchema.h"

#include "ContactsTable.h"
#include "SqlDialect.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <iterator>

namespace {

// A statement in the words of the connection's engine; empty for none there.
using Statement = QString (*)(const SqlDialect&);

// The statement that makes a server tell of every change to table; none for a file.
QString changeTrigger(const SqlDialect& dialect, const char* table)
{
    if (dialect.engine() != SqlDialect::PostgreSQL)
        return QString();
    return QStringLiteral("CREATE TRIGGER %1_changed AFTER INSERT OR UPDATE OR DELETE ON %1 "
                          "FOR EACH STATEMENT EXECUTE FUNCTION parlona_notify()")
        .arg(QLatin1String(table));
}

struct Step
{
    int version;
    Statement sql;
};

// In order. A file is at version N once every statement up to N has run. Statements already
// released never change: a change to the schema is a new row with the next version, such as
// { 3, "ALTER TABLE contacts ADD COLUMN number_key TEXT" }. Version 1 makes what earlier
// releases made piecemeal, so it must tolerate finding any of it already there.
const Step steps[] = {
    { 1,
        [](const SqlDialect& d) {
            return QStringLiteral("CREATE TABLE IF NOT EXISTS contacts (id %1, first_name TEXT NOT NULL, "
                                  "last_name TEXT NOT NULL, phone_number TEXT NOT NULL, info TEXT)")
                .arg(d.serialKey());
        } },
    // The number lookup's indexes of that time, dropped again at version 3; a server starts without.
    { 1,
        [](const SqlDialect& d) {
            return d.engine() == SqlDialect::SQLite ? QStringLiteral(
                       "CREATE INDEX IF NOT EXISTS contacts_number_key ON contacts (substr(phone_number, -9))")
                                                    : QString();
        } },
    { 1,
        [](const SqlDialect& d) {
            return d.engine() == SqlDialect::SQLite
                ? QStringLiteral("CREATE INDEX IF NOT EXISTS contacts_number_unusual ON contacts (id) WHERE ")
                    + d.notPlainText(QStringLiteral("phone_number"))
                : QString();
        } },
    { 1,
        [](const SqlDialect& d) {
            return QStringLiteral("CREATE TABLE IF NOT EXISTS call_register (id %1, phone_number TEXT NOT NULL, "
                                  "call_type INTEGER NOT NULL, duration INTEGER NOT NULL, time_date TEXT NOT NULL)")
                .arg(d.serialKey());
        } },
    { 1,
        [](const SqlDialect&) {
            return QStringLiteral("CREATE TABLE IF NOT EXISTS call_register_open (call_id INTEGER PRIMARY KEY)");
        } },
    // Incoming calls we declined. Their call_type stays 2 (missed), as earlier versions keep it.
    { 2,
        [](const SqlDialect&) {
            return QStringLiteral("CREATE TABLE IF NOT EXISTS call_declined (call_id INTEGER PRIMARY KEY)");
        } },
    // Numbers are now looked up by their digits (ContactsTable::lookupIndexes()); the indexes on
    // their last nine characters only cost every write.
    { 3,
        [](const SqlDialect& d) {
            return d.engine() == SqlDialect::SQLite ? QStringLiteral("DROP INDEX IF EXISTS contacts_number_key")
                                                    : QString();
        } },
    { 3,
        [](const SqlDialect& d) {
            return d.engine() == SqlDialect::SQLite ? QStringLiteral("DROP INDEX IF EXISTS contacts_number_unusual")
                                                    : QString();
        } },
    // The indexes of that lookup, made here rather than at the first lookup, which took a third of
    // a second at 100,000 contacts while a caller rang.
    { 4, [](const SqlDialect& d) { return ContactsTable::lookupIndexes(d).at(0); } },
    { 4, [](const SqlDialect& d) { return ContactsTable::lookupIndexes(d).at(1); } },
    // Which program has a call open ("host:pid"): another program on the same file recovers only
    // the rows of a program that is gone. Rows of earlier releases have none.
    { 5, [](const SqlDialect&) { return QStringLiteral("ALTER TABLE call_register_open ADD COLUMN owner TEXT"); } },
    // What the producer noted about a call's caller for the presenter; a call without notes has
    // no row. A table of its own: call_register keeps the columns its readers count on.
    { 6,
        [](const SqlDialect&) {
            return QStringLiteral(
                "CREATE TABLE IF NOT EXISTS call_notes (call_id INTEGER PRIMARY KEY, caller_name TEXT "
                "NOT NULL, place TEXT NOT NULL, topic TEXT NOT NULL, ready_for_air INTEGER NOT NULL)");
        } },
    // The studio that took a call, for a history that several studios share on a server. Calls
    // of earlier releases have none. A table of its own, as the notes: call_register keeps the
    // columns that its readers, and writers that list no column names, count on.
    { 7,
        [](const SqlDialect&) {
            return QStringLiteral(
                "CREATE TABLE IF NOT EXISTS call_studio (call_id INTEGER PRIMARY KEY, studio TEXT NOT NULL)");
        } },
    // A server tells every studio's program when the phonebook or the history changed, whoever
    // wrote it: the name of the table, once per statement (CDatabase::changed()).
    { 8,
        [](const SqlDialect& d) {
            return d.engine() == SqlDialect::PostgreSQL
                ? QStringLiteral("CREATE OR REPLACE FUNCTION parlona_notify() RETURNS trigger LANGUAGE plpgsql AS "
                                 "$$ BEGIN PERFORM pg_notify('parlona_changes', TG_TABLE_NAME); RETURN NULL; END $$")
                : QString();
        } },
    { 8, [](const SqlDialect& d) { return changeTrigger(d, "contacts"); } },
    { 8, [](const SqlDialect& d) { return changeTrigger(d, "call_register"); } },
    { 8, [](const SqlDialect& d) { return changeTrigger(d, "call_notes"); } },
    { 8, [](const SqlDialect& d) { return changeTrigger(d, "call_declined"); } },
    // The name a call had while it waited on a studio's computer for the server (CallRecord): a
    // call sent again after a lost answer finds its row instead of writing a second one.
    { 9, [](const SqlDialect&) { return QStringLiteral("ALTER TABLE call_studio ADD COLUMN uid TEXT"); } },
    { 9,
        [](const SqlDialect&) {
            return QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS call_studio_uid ON call_studio (uid)");
        } },
};

bool rollBack(QSqlDatabase database)
{
    QSqlQuery(database).exec(QStringLiteral("ROLLBACK"));
    return false;
}

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
    const SqlDialect dialect = SqlDialect::of(database);
    QSqlQuery read(database);
    if (!read.exec(dialect.versionKept()) || !read.next())
        return -1;
    if (!read.value(0).toBool())
        return 0;
    if (!read.exec(dialect.readVersion()) || !read.next())
        return -1;
    return read.value(0).toInt();
}

bool DatabaseSchema::upgrade(QSqlDatabase database, QString* reason)
{
    return upgrade(database, currentVersion(), reason);
}

bool DatabaseSchema::upgrade(QSqlDatabase database, int target, QString* reason)
{
    const int seen = version(database);
    if (seen < 0) {
        *reason = database.lastError().text();
        return false;
    }
    if (seen >= target)
        return true;
    // Two programs opening the database at once (two units' programs at the start of a session,
    // two studios on one server) would both run the steps: the lock is taken first and the
    // version read again under it.
    const SqlDialect dialect = SqlDialect::of(database);
    const QStringList begin = dialect.beginUpgrade();
    if (!std::all_of(begin.begin(), begin.end(), [&](const QString& sql) { return run(database, sql, reason); }))
        return rollBack(database);
    const int from = version(database);
    bool ok = from >= 0;
    if (!ok)
        *reason = database.lastError().text();
    ok = ok && std::all_of(std::begin(steps), std::end(steps), [&](const Step& step) {
        const QString sql = step.sql(dialect);
        return step.version <= from || step.version > target || sql.isEmpty() || run(database, sql, reason);
    });
    // The version takes no bound value; the number is the program's own.
    if (ok && from < target)
        ok = run(database, dialect.writeVersion(target), reason);
    if (ok && run(database, QStringLiteral("COMMIT"), reason))
        return true;
    return rollBack(database);
}
