#ifndef SQLITEFILEACCESS_H
#define SQLITEFILEACCESS_H

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

// A SQLite file read or written with a connection of the test's own, as another program would,
// beside the connection of the code under test.
namespace SqliteFileAccess {

// Runs the statements in order; false when the file does not open or a statement fails. The
// rows of the last statement are added to rows, each its columns joined by '|'.
inline bool run(const QString& file, const QStringList& statements, QStringList* rows = nullptr)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-side"));
        db.setDatabaseName(file);
        ok = db.open();
        QSqlQuery query(db);
        for (const QString& sql : statements)
            ok = ok && query.exec(sql);
        while (ok && rows && query.next()) {
            QStringList columns;
            for (int i = 0; i < query.record().count(); ++i)
                columns << query.value(i).toString();
            *rows << columns.join('|');
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-side"));
    return ok;
}

// The rows the query gives; empty when it fails.
inline QStringList rows(const QString& file, const QString& sql)
{
    QStringList found;
    run(file, { sql }, &found);
    return found;
}

// The number the query gives, or -1 when it fails.
inline int number(const QString& file, const QString& sql)
{
    const QStringList found = rows(file, sql);
    return found.isEmpty() ? -1 : found.first().toInt();
}

} // namespace SqliteFileAccess

#endif // SQLITEFILEACCESS_H
