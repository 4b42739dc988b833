#include "SqlDialect.h"

#include <QSqlQuery>
#include <QVariant>

SqlDialect SqlDialect::of(const QSqlDatabase& database)
{
    return SqlDialect(database.driverName() == QLatin1String("QPSQL") ? PostgreSQL : SQLite);
}

QString SqlDialect::serialKey() const
{
    return m_engine == PostgreSQL ? QStringLiteral("SERIAL PRIMARY KEY")
                                  : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
}

QString SqlDialect::lastCharacters(const QString& expression, int n) const
{
    // SQLite counts a negative start from the end; PostgreSQL's substr() does not.
    return m_engine == PostgreSQL ? QStringLiteral("right(%1, %2)").arg(expression).arg(n)
                                  : QStringLiteral("substr(%1, -%2)").arg(expression).arg(n);
}

QString SqlDialect::trimmed(const QString& expression, const QString& characters) const
{
    return QStringLiteral("%1(%2, '%3')")
        .arg(m_engine == PostgreSQL ? QStringLiteral("btrim") : QStringLiteral("trim"), expression, characters);
}

QString SqlDialect::notPlainText(const QString& column) const
{
    if (m_engine == PostgreSQL)
        return QString();
    return QStringLiteral("typeof(%1) <> 'text' OR instr(CAST(%1 AS BLOB), x'00') > 0").arg(column);
}

QString SqlDialect::insertOrIgnore(const QString& table, const QString& columns, const QString& values) const
{
    if (m_engine == PostgreSQL)
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING").arg(table, columns, values);
    return QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)").arg(table, columns, values);
}

QString SqlDialect::insertOrReplace(const QString& table, const QStringList& columns, const QString& values) const
{
    const QString names = columns.join(QStringLiteral(", "));
    if (m_engine == SQLite)
        return QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)").arg(table, names, values);
    QStringList updates;
    for (const QString& column : columns.mid(1))
        updates << QStringLiteral("%1 = EXCLUDED.%1").arg(column);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO UPDATE SET %5")
        .arg(table, names, values, columns.first(), updates.join(QStringLiteral(", ")));
}

QString SqlDialect::versionKept() const
{
    // SQLite keeps it in the file's header; a server in a table of its own.
    return m_engine == PostgreSQL ? QStringLiteral("SELECT to_regclass('schema_version') IS NOT NULL")
                                  : QStringLiteral("SELECT 1");
}

QString SqlDialect::readVersion() const
{
    return m_engine == PostgreSQL ? QStringLiteral("SELECT COALESCE(MAX(version), 0) FROM schema_version")
                                  : QStringLiteral("PRAGMA user_version");
}

QString SqlDialect::writeVersion(int version) const
{
    if (m_engine == PostgreSQL)
        return QStringLiteral("UPDATE schema_version SET version = %1").arg(version);
    return QStringLiteral("PRAGMA user_version = %1").arg(version);
}

QStringList SqlDialect::beginUpgrade() const
{
    // Taken before the version is read again: of two programs starting at once, the second waits
    // and then finds the steps done. On the server the version table itself may not be there
    // yet, and two programs creating it at once collide ("IF NOT EXISTS" does not hold between
    // two sessions): a lock of the transaction's own, named by a number of the program's
    // ("parlona" in ASCII), comes first.
    if (m_engine == PostgreSQL)
        return { QStringLiteral("BEGIN"), QStringLiteral("SELECT pg_advisory_xact_lock(31632341465001569)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"),
            QStringLiteral("LOCK TABLE schema_version IN EXCLUSIVE MODE"),
            QStringLiteral(
                "INSERT INTO schema_version (version) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM schema_version)") };
    return { QStringLiteral("BEGIN IMMEDIATE") };
}

QString SqlDialect::beginWrite() const
{
    return m_engine == PostgreSQL ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
}

QString SqlDialect::returningKey() const
{
    // The server's driver knows no last insert id for a table without object ids.
    return m_engine == PostgreSQL ? QStringLiteral(" RETURNING id") : QString();
}

qint64 SqlDialect::insertedKey(QSqlQuery& inserted) const
{
    if (!inserted.isActive())
        return -1;
    if (m_engine == SQLite) {
        const QVariant key = inserted.lastInsertId();
        return key.isValid() ? key.toLongLong() : -1;
    }
    return inserted.next() ? inserted.value(0).toLongLong() : -1;
}

QString SqlDialect::likeAnyCase(const QString& field, const QString& pattern) const
{
    // SQLite's LIKE folds ASCII letters already; PostgreSQL's folds none.
    return QStringLiteral("%1 %2 %3 ESCAPE '\\'")
        .arg(field, m_engine == PostgreSQL ? QStringLiteral("ILIKE") : QStringLiteral("LIKE"), pattern);
}

SqlDialect::Trouble SqlDialect::trouble(const QSqlError& error) const
{
    if (error.type() == QSqlError::NoError)
        return NoTrouble;
    const QString code = error.nativeErrorCode();
    if (m_engine == SQLite) {
        // SQLITE_BUSY or SQLITE_LOCKED: another connection holds the file. SQLITE_FULL: the disk is.
        const int primary = code.toInt() & 0xff;
        return primary == 5 || primary == 6 ? Busy : primary == 13 ? Full : Refused;
    }
    // SQLSTATE classes: 08 the connection, 53 the server's resources, 40 and 55P03 a transaction
    // or lock another session stood in the way of. A lost connection may bring no state at all.
    // 57P01-57P03: the server is shutting down or starting.
    if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P0"))
        || (code.isEmpty() && error.type() == QSqlError::ConnectionError))
        return Unreachable;
    if (code == QLatin1String("53100"))
        return Full;
    if (code.startsWith(QLatin1String("40")) || code == QLatin1String("55P03"))
        return Busy;
    return Refused;
}
