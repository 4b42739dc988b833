#include "DatabaseBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QUuid>

namespace {

const char* const timeFormat = "yyyyMMdd-HHmmsszzz";

// A connection of the caller's own, gone when the caller is done with it.
class OwnConnection
{
public:
    explicit OwnConnection(const QString& file)
        : m_name(QStringLiteral("backup-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"));
        m_open = db.open();
    }
    ~OwnConnection() { QSqlDatabase::removeDatabase(m_name); }
    OwnConnection(const OwnConnection&) = delete;
    OwnConnection& operator=(const OwnConnection&) = delete;

    bool isOpen() const { return m_open; }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_open = false;
};

} // namespace

DatabaseBackup::DatabaseBackup(const QString& databaseFile, const QString& settingsFile, const QString& folder)
    : m_database(databaseFile)
    , m_settings(settingsFile)
    , m_folder(folder.isEmpty() ? QFileInfo(databaseFile).absolutePath() + QStringLiteral("/backups") : folder)
{
}

QString DatabaseBackup::folder() const
{
    return m_folder;
}

QString DatabaseBackup::backUp(const QString& occasion, QString* error) const
{
    if (!QDir().mkpath(m_folder)) {
        *error = tr("the folder %1 cannot be made").arg(QDir::toNativeSeparators(m_folder));
        return QString();
    }
    const QString stamp = QDateTime::currentDateTime().toString(QLatin1String(timeFormat));
    const QString copy = QDir(m_folder).filePath(QStringLiteral("parlona-%1-%2.db").arg(stamp, occasion));
    QFile::remove(copy);
    {
        const OwnConnection source(m_database);
        QSqlQuery vacuum(source.database());
        if (!source.isOpen() || !vacuum.prepare(QStringLiteral("VACUUM INTO ?"))) {
            *error = source.database().lastError().text();
            return QString();
        }
        vacuum.addBindValue(copy);
        if (!vacuum.exec()) {
            *error = vacuum.lastError().text();
            QFile::remove(copy);
            return QString();
        }
    }
    if (!m_settings.isEmpty() && QFile::exists(m_settings))
        QFile::copy(m_settings, settingsOf(copy));
    prune();
    return copy;
}

QStringList DatabaseBackup::backups() const
{
    // The time in the name sorts them.
    QStringList copies = QDir(m_folder).entryList({ QStringLiteral("parlona-*.db") }, QDir::Files, QDir::Name | QDir::Reversed);
    for (QString& copy : copies)
        copy = QDir(m_folder).filePath(copy);
    return copies;
}

bool DatabaseBackup::isDue(const QDateTime& now) const
{
    const QStringList copies = backups();
    if (copies.isEmpty())
        return true;
    const QDateTime newest = QDateTime::fromString(
        QFileInfo(copies.first()).fileName().mid(8, 18), QLatin1String(timeFormat));
    return !newest.isValid() || newest.secsTo(now) >= IntervalSeconds || newest > now;
}

bool DatabaseBackup::check(const QString& copy, QString* error)
{
    if (!QFileInfo(copy).isFile()) {
        *error = tr("%1 is not there").arg(QDir::toNativeSeparators(copy));
        return false;
    }
    const OwnConnection connection(copy);
    QSqlQuery check(connection.database());
    if (!connection.isOpen() || !check.exec(QStringLiteral("PRAGMA integrity_check"))) {
        *error = check.lastError().text();
        return false;
    }
    QStringList findings;
    while (check.next())
        findings << check.value(0).toString();
    QSqlQuery tables(connection.database());
    const bool ours = tables.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('contacts', 'call_register')"))
        && tables.next() && tables.value(0).toInt() == 2;
    if (findings == QStringList { QStringLiteral("ok") } && ours)
        return true;
    *error = ours ? findings.join(QLatin1String("; ")) : tr("it holds no phonebook and call history");
    return false;
}

QString DatabaseBackup::settingsOf(const QString& copy)
{
    QString settings = copy;
    settings.replace(QRegularExpression(QStringLiteral("\\.db$")), QStringLiteral(".conf"));
    return settings;
}

void DatabaseBackup::prune() const
{
    const QStringList copies = backups();
    for (int i = Kept; i < copies.size(); ++i) {
        QFile::remove(copies.at(i));
        QFile::remove(settingsOf(copies.at(i)));
    }
}
