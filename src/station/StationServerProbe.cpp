#include "StationServerProbe.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

StationServerProbe::Outcome StationServerProbe::run(const DatabaseServer& server)
{
    // A connection name of its own, so that probes and the program's connections never meet.
    const QString name = QStringLiteral("station-probe-") + QUuid::createUuid().toString(QUuid::Id128);
    Outcome outcome;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!db.isValid()) {
            outcome.error = QCoreApplication::translate(
                "StationServerProbe", "Qt's PostgreSQL driver (QPSQL) is not installed on this computer.");
        } else {
            db.setHostName(server.host.trimmed());
            db.setPort(server.port);
            db.setDatabaseName(server.database);
            db.setUserName(server.user);
            db.setPassword(server.password);
            db.setConnectOptions(server.connectOptions());
            if (db.open()) {
                QSqlQuery version(db);
                outcome.connected = version.exec(QStringLiteral("SHOW server_version")) && version.next();
                outcome.serverVersion = version.value(0).toString();
                if (!outcome.connected)
                    outcome.error = version.lastError().text();
            } else {
                outcome.error = db.lastError().text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return outcome;
}
