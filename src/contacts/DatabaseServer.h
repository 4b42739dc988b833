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
    QString tlsMode
        = QStringLiteral("prefer"); // libpq sslmode: disable, allow, prefer, require, verify-ca, verify-full

    // The connect options for Qt's QPSQL driver ("sslmode=require;connect_timeout=5;..."). The
    // connect timeout keeps a server that does not answer from holding the caller for long. A
    // server whose network went away without a word (a cable pulled, a switch gone) would hold a
    // statement for the system's TCP retries, a quarter of an hour: data unacknowledged for 3 s
    // ends the connection instead, and probes on an idle connection find such a server gone
    // within about 9 s, before the next call needs it.
    QString connectOptions() const
    {
        return QStringLiteral("sslmode=%1;connect_timeout=5;tcp_user_timeout=3000;keepalives=1;keepalives_idle=5;"
                              "keepalives_interval=2;keepalives_count=2")
            .arg(tlsMode);
    }
};

#endif // DATABASESERVER_H
