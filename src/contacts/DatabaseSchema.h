#ifndef DATABASESCHEMA_H
#define DATABASESCHEMA_H

#include <QSqlDatabase>
#include <QString>

// Every table and index of parlona.db, made or brought up to date in one place when the file
// opens, in the words of its engine (SqlDialect): the SQLite file, or a station's PostgreSQL
// server. The schema version is the number of the last step the database has been through:
// SQLite's user_version, or the server's table schema_version. A file of a version before any step (only contacts and call_register, as
// earlier releases left it) is taken through all of them and keeps its rows.
class DatabaseSchema
{
public:
    // The version a database has once it is up to date.
    static int currentVersion();
    // The version the file says it has; -1 when it cannot be read.
    static int version(QSqlDatabase database);
    // Runs the steps the file has not been through, and sets its version, in one transaction:
    // either all of them land or none. Nothing is written to a file that is up to date.
    static bool upgrade(QSqlDatabase database, QString* reason);
    // The same up to version target only (an earlier release's database, made for a test).
    static bool upgrade(QSqlDatabase database, int target, QString* reason);
};

#endif // DATABASESCHEMA_H
