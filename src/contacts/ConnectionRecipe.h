#ifndef CONNECTIONRECIPE_H
#define CONNECTIONRECIPE_H

#include <QSqlDatabase>
#include <QString>

struct DatabaseServer;

// How to open another connection to the database the program uses, the file or the station's
// server, for a worker thread: a connection may be used only on the thread that made it, so the
// recipe is taken on the GUI thread and the connection made where it is used.
class ConnectionRecipe
{
public:
    ConnectionRecipe() = default;
    // The recipe of an open connection: its driver, and where and how it signs in.
    explicit ConnectionRecipe(const QSqlDatabase& database);
    // The recipe of the SQLite file at path.
    static ConnectionRecipe file(const QString& path);
    // The recipe of a station's server.
    static ConnectionRecipe server(const DatabaseServer& server);

    bool isValid() const { return !m_driver.isEmpty(); }
    bool isServer() const;
    // Adds a connection of this name that follows the recipe, not yet open. A read-only one to the
    // file waits a little for another program's lock; a server connection is the same either way.
    QSqlDatabase add(const QString& connection, bool readOnly) const;

private:
    QString m_driver;
    QString m_database;
    QString m_host;
    int m_port = -1;
    QString m_user;
    QString m_password;
    QString m_options;
};

#endif // CONNECTIONRECIPE_H
