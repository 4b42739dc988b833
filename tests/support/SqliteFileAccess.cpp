#include "SqliteFileAccess.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

const QString connectionName = QStringLiteral("test-side");

// Runs the work on an open connection to the file, which is closed and removed afterwards.
template <typename Work> void withFile(const QString& file, Work work)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(file);
        if (db.open())
            work(db);
    }
    QSqlDatabase::removeDatabase(connectionName);
}

} // namespace

bool SqliteFileAccess::run(const QString& file, const QStringList& statements)
{
    bool ok = false;
    withFile(file, [&](QSqlDatabase& db) {
        ok = true;
        for (const QString& sql : statements)
            ok = ok && QSqlQuery(db).exec(sql);
    });
    return ok;
}

QStringList SqliteFileAccess::rows(const QString& file, const QString& sql)
{
    QStringList result;
    withFile(file, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(sql))
            return;
        while (query.next()) {
            QStringList columns;
            for (int i = 0; i < query.record().count(); ++i)
                columns << query.value(i).toString();
            result << columns.join('|');
        }
    });
    return result;
}

int SqliteFileAccess::number(const QString& file, const QString& sql)
{
    const QStringList found = rows(file, sql);
    return found.isEmpty() ? -1 : found.first().toInt();
}
