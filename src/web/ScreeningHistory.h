#ifndef SCREENINGHISTORY_H
#define SCREENINGHISTORY_H

#include "ConnectionRecipe.h"

#include <QObject>
#include <QString>

// Reads how often and when a number called before, from the call history, on a thread of its
// own with a read-only connection of its own: a long history, a locked file or a slow server
// never holds up the window. Lives on that thread; lookUp() is called by a queued connection.
class ScreeningHistory : public QObject
{
    Q_OBJECT

public:
    // fileName: the program's database file (CDatabase::fileName()).
    explicit ScreeningHistory(const QString& fileName, QObject* parent = nullptr);
    // The database the recipe leads to, the file or the station's server.
    explicit ScreeningHistory(const ConnectionRecipe& database, QObject* parent = nullptr);
    ~ScreeningHistory() override;

public slots:
    void lookUp(const QString& number);

signals:
    // Fires after each lookUp(): the calls from or to number finished before (the one going on
    // not counted) and when the last of them began, as the history writes it (empty if none).
    void found(const QString& number, int count, const QString& last);

private:
    bool open();

    ConnectionRecipe m_database;
    QString m_connection;
};

#endif // SCREENINGHISTORY_H
