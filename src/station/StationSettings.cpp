#include "StationSettings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSysInfo>

StationSettings StationSettings::load()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("StationDatabase"));
    StationSettings loaded;
    loaded.place = settings.value(QStringLiteral("Place")).toString() == QLatin1String("server")
            ? Place::StationServer
            : Place::ThisComputer;
    DatabaseServer& server = loaded.server;
    server.host = settings.value(QStringLiteral("Host"), server.host).toString();
    server.port = settings.value(QStringLiteral("Port"), server.port).toInt();
    server.database = settings.value(QStringLiteral("Database"), server.database).toString();
    server.user = settings.value(QStringLiteral("User"), server.user).toString();
    server.tlsMode = settings.value(QStringLiteral("TlsMode"), server.tlsMode).toString();
    loaded.studio = boundedStudio(settings.value(QStringLiteral("Studio")).toString());
    return loaded;
}

void StationSettings::save() const
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("StationDatabase"));
    settings.setValue(QStringLiteral("Place"), place == Place::StationServer ? QStringLiteral("server") : QStringLiteral("computer"));
    settings.setValue(QStringLiteral("Host"), server.host);
    settings.setValue(QStringLiteral("Port"), server.port);
    settings.setValue(QStringLiteral("Database"), server.database);
    settings.setValue(QStringLiteral("User"), server.user);
    settings.setValue(QStringLiteral("TlsMode"), server.tlsMode);
    settings.setValue(QStringLiteral("Studio"), boundedStudio(studio));
}

QString StationSettings::problem() const
{
    if (place == Place::ThisComputer)
        return QString();
    if (server.host.trimmed().isEmpty())
        return QCoreApplication::translate("StationSettings", "Enter the name or address of the station database server.");
    if (server.port < 1 || server.port > 65535)
        return QCoreApplication::translate("StationSettings", "The port must be a number from 1 to 65535.");
    if (server.database.trimmed().isEmpty())
        return QCoreApplication::translate("StationSettings", "Enter the name of the database on the server.");
    if (server.user.trimmed().isEmpty())
        return QCoreApplication::translate("StationSettings", "Enter the user name for the server.");
    if (!tlsModes().contains(server.tlsMode))
        return QCoreApplication::translate("StationSettings", "Unknown encryption mode \"%1\".").arg(server.tlsMode);
    return QString();
}

QString StationSettings::passwordKey() const
{
    return QStringLiteral("station-database/%1@%2:%3/%4")
        .arg(server.user, server.host)
        .arg(server.port)
        .arg(server.database);
}

QStringList StationSettings::tlsModes()
{
    return { QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"),
             QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full") };
}

QString StationSettings::defaultStudio()
{
    const QString host = QSysInfo::machineHostName().trimmed().left(StudioMaxLength).trimmed();
    return host.isEmpty() ? QStringLiteral("Studio") : host;
}

QString StationSettings::boundedStudio(const QString& name)
{
    const QString bounded = name.trimmed().left(StudioMaxLength).trimmed();
    return bounded.isEmpty() ? defaultStudio() : bounded;
}
