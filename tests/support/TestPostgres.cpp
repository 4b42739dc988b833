#include "TestPostgres.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

bool TestPostgres::available()
{
    return !qEnvironmentVariableIsEmpty("PARLONA_TEST_PGHOST");
}

DatabaseServer TestPostgres::server(const QString& database)
{
    DatabaseServer server;
    server.host = qEnvironmentVariable("PARLONA_TEST_PGHOST");
    server.port = qEnvironmentVariableIntValue("PARLONA_TEST_PGPORT");
    server.user = qEnvironmentVariable("PARLONA_TEST_PGUSER");
    server.database = database;
    // The test server listens on loopback without TLS.
    server.tlsMode = QStringLiteral("disable");
    return server;
}

QString TestPostgres::freshDatabase(QString* error)
{
    const QString name = QStringLiteral("p") + QUuid::createUuid().toString(QUuid::Id128);
    const QString connection = name + QStringLiteral("-admin");
    bool made = false;
    {
        const DatabaseServer admin = server();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(admin.host);
        db.setPort(admin.port);
        db.setUserName(admin.user);
        db.setDatabaseName(admin.database);
        db.setConnectOptions(admin.connectOptions());
        QSqlQuery create(db);
        made = db.open() && create.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
        *error = made ? QString() : db.lastError().text() + create.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return made ? name : QString();
}
