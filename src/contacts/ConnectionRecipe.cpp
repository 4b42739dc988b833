#include "ConnectionRecipe.h"

#include "DatabaseServer.h"

ConnectionRecipe::ConnectionRecipe(const QSqlDatabase& database)
    : m_driver(database.driverName())
    , m_database(database.databaseName())
    , m_host(database.hostName())
    , m_port(database.port())
    , m_user(database.userName())
    , m_password(database.password())
    , m_options(database.connectOptions())
{
}

ConnectionRecipe ConnectionRecipe::file(const QString& path)
{
    ConnectionRecipe recipe;
    recipe.m_driver = QStringLiteral("QSQLITE");
    recipe.m_database = path;
    return recipe;
}

ConnectionRecipe ConnectionRecipe::server(const DatabaseServer& server)
{
    ConnectionRecipe recipe;
    recipe.m_driver = QStringLiteral("QPSQL");
    recipe.m_database = server.database;
    recipe.m_host = server.host;
    recipe.m_port = server.port;
    recipe.m_user = server.user;
    recipe.m_password = server.password;
    recipe.m_options = server.connectOptions();
    return recipe;
}

bool ConnectionRecipe::isServer() const
{
    return m_driver == QLatin1String("QPSQL");
}

QSqlDatabase ConnectionRecipe::add(const QString& connection, bool readOnly) const
{
    QSqlDatabase database = QSqlDatabase::addDatabase(m_driver, connection);
    database.setDatabaseName(m_database);
    if (!isServer()) {
        database.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=500")
                                            : QString());
        return database;
    }
    database.setHostName(m_host);
    database.setPort(m_port);
    database.setUserName(m_user);
    database.setPassword(m_password);
    database.setConnectOptions(m_options);
    return database;
}
