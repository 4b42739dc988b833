#ifndef BACKUPACTIONS_H
#define BACKUPACTIONS_H

#include <QObject>

struct AppContext;
class QTimer;
class QWidget;

// The database's copies as the operator meets them: one made by itself once a day, File -> "Back
// up now..." and File -> "Restore from backup...". Copies are made on a thread of their own; a
// restore checks the copy, asks, keeps the data in use aside and has every page read the copy.
class BackupActions : public QObject
{
    Q_OBJECT

public:
    // How often it looks whether the day's copy is due.
    static constexpr int CheckIntervalMs = 3600 * 1000;

    BackupActions(AppContext* context, QWidget* window);
    ~BackupActions() override;

    // The folder the copies go to; "backups" beside the database by default.
    void setFolder(const QString& folder);
    QString folder() const;

public slots:
    void backUpNow();
    void restoreFromBackup();
    // Makes the day's copy when the last one is a day old; nothing otherwise.
    void backUpIfDue();

signals:
    // Fires when a copy is done: its path, or empty with the reason.
    void backedUp(QString copy, QString error);

private:
    void backUp(const QString& occasion, bool tell);
    bool restoreFrom(const QString& copy);

    AppContext* m_context;
    QWidget* m_window;
    QTimer* m_daily;
    QString m_folder;
    bool m_busy = false;
};

#endif // BACKUPACTIONS_H
