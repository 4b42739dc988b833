#ifndef STATIONDATABASE_H
#define STATIONDATABASE_H

#include "StationSettings.h"

#include <QString>

class CConsole;
class CDatabase;
class QObject;
class SecretStore;

// Opens the phonebook and the call history where the settings say: the file of this computer, or
// the station's database server, signed in with the password from the desktop's secret store.
// Either way the rows this program writes carry the studio's name.
class StationDatabase
{
public:
    // How long the start waits for the secret store to hand over the server's password.
    static constexpr int PasswordWaitMs = 5000;

    static CDatabase* open(const StationSettings& settings, const QString& directory, CConsole* console,
        SecretStore* secrets, QObject* parent);
    // Where the calls taken while the server is out of reach wait on this computer: beside the
    // file the program would use for a directory (DatabaseLocation).
    static QString outboxPath(const QString& directory);
    // The secret kept under key, waited for at most timeoutMs; empty when there is none, or with
    // the reason in *error when the store did not give it.
    static QString password(SecretStore* secrets, const QString& key, int timeoutMs, QString* error);
};

#endif // STATIONDATABASE_H
