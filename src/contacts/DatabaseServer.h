#ifndef DATABASESERVER_H
#define DATABASESERVER_H

#include <QString>

// Where a station keeps one phonebook and call history for all its studios: a PostgreSQL server.
struct DatabaseServer
{
    QString host; // name or address
    int port = 5432;
    QString database = QStringLiteral("parlona");
    QString user = QStringLiteral("parlona");
    QString password; // never written to the settings file
    QString tlsMode = QStringLiteral("prefer"); // libpq sslmode: disable, allow, prefer, require, verify-ca, verify-full

    // The connect options for Qt's QPSQL driver ("sslmode=require;connect_timeout=5"). The
    // timeout keeps a server that does not answer from holding the caller for long.
    QString connectOptions() const
    {
        return QStringLiteral("sslmode=%1;connect_timeout=5").arg(tlsMode);
    }
};

#endif // DATABASESERVER_H
