#ifndef SQLITEFILEACCESS_H
#define SQLITEFILEACCESS_H

#include <QString>
#include <QStringList>

// A SQLite file read or written with a connection of the test's own, as another program would,
// beside the connection of the code under test.
namespace SqliteFileAccess {

// Runs the statements in order; false when the file does not open or a statement fails.
bool run(const QString& file, const QStringList& statements);
// The rows the query gives, each its columns joined by '|'; empty when the query fails.
QStringList rows(const QString& file, const QString& sql);
// The number the query gives, or -1 when it fails.
int number(const QString& file, const QString& sql);

} // namespace SqliteFileAccess

#endif // SQLITEFILEACCESS_H
