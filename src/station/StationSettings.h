#ifndef STATIONSETTINGS_H
#define STATIONSETTINGS_H

#include "DatabaseServer.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

// Where the phonebook and the call history live: in a file on this computer, or on the station's
// database server that all studios share. Group "StationDatabase" of the program's settings; the
// server's password is kept in the desktop's secret store (SecretStore), never here.
struct StationSettings
{
    enum class Place { ThisComputer, StationServer };
    static constexpr int StudioMaxLength = 64;

    Place place = Place::ThisComputer;
    DatabaseServer server;
    // The name this studio's rows carry on the shared server.
    QString studio = defaultStudio();

    static StationSettings load();
    // Writes everything but the password.
    void save() const;
    // Why the server cannot be used as given, for the operator; empty when it can (and always
    // when the place is this computer).
    QString problem() const;
    // The name under which the server's password is kept in the secret store.
    QString passwordKey() const;

    // The libpq sslmode values, from no encryption to a fully checked certificate.
    static QStringList tlsModes();
    // The computer's host name, or "Studio" when it has none.
    static QString defaultStudio();
    // Trimmed and cut to StudioMaxLength characters; the default for one left empty.
    static QString boundedStudio(const QString& name);
};

Q_DECLARE_METATYPE(StationSettings)

#endif // STATIONSETTINGS_H
