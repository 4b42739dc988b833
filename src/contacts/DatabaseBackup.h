#ifndef DATABASEBACKUP_H
#define DATABASEBACKUP_H

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

// Consistent copies of the database and of the settings, beside the database (in the user's data
// folder for an installed program; the virtual hybrid's demonstration data apart): one a day,
// one before every upgrade of the database's schema, and one whenever the operator asks. The
// last Kept are kept. A copy is made with SQLite's VACUUM INTO through a connection of its own,
// so that any thread may make it while the program goes on writing calls.
class DatabaseBackup
{
    Q_DECLARE_TR_FUNCTIONS(DatabaseBackup)

public:
    static constexpr int Kept = 7;
    static constexpr qint64 IntervalSeconds = 24 * 3600;

    // The copies of databaseFile (and of settingsFile, when given) go into folder; by default
    // "backups" beside the database.
    explicit DatabaseBackup(const QString& databaseFile, const QString& settingsFile = QString(),
        const QString& folder = QString());

    QString folder() const;
    // Makes a copy now, named by the time and the occasion ("daily", "upgrade", "manual"), and
    // drops the oldest beyond Kept. The copy's path, or empty with the reason in error.
    QString backUp(const QString& occasion, QString* error) const;
    // The database copies, newest first.
    QStringList backups() const;
    // Whether the newest copy is older than IntervalSeconds at now (or there is none).
    bool isDue(const QDateTime& now) const;
    // Whether a copy is a sound database (PRAGMA integrity_check); the finding in error if not.
    static bool check(const QString& copy, QString* error);
    // The settings copied with a database copy, empty when there is none.
    static QString settingsOf(const QString& copy);

private:
    void prune() const;

    QString m_database;
    QString m_settings;
    QString m_folder;
};

#endif // DATABASEBACKUP_H
