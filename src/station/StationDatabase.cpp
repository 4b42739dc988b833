#include "StationDatabase.h"

#include "CDatabase.h"
#include "ConsoleLog.h"
#include "DatabaseLocation.h"
#include "SecretStore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

CDatabase* StationDatabase::open(
    const StationSettings& settings, const QString& directory, CConsole* console, SecretStore* secrets, QObject* parent)
{
    CDatabase* database = nullptr;
    if (settings.place == StationSettings::Place::StationServer && settings.problem().isEmpty()) {
        DatabaseServer server = settings.server;
        QString error;
        server.password = secrets ? password(secrets, settings.passwordKey(), PasswordWaitMs, &error) : QString();
        // Signing in without it may still do (a server that trusts this computer); if not, the
        // server's refusal says so after this.
        if (!error.isEmpty())
            ConsoleLog::error(console,
                QCoreApplication::translate("StationDatabase", "The station database password could not be read: %1")
                    .arg(error));
        database = new CDatabase(server, console, parent);
    } else {
        database = new CDatabase(directory, console, parent);
    }
    database->setStudio(settings.studio);
    return database;
}

QString StationDatabase::outboxPath(const QString& directory)
{
    return QFileInfo(DatabaseLocation().path(directory)).absolutePath() + QStringLiteral("/station-outbox.db");
}

QString StationDatabase::password(SecretStore* secrets, const QString& key, int timeoutMs, QString* error)
{
    // The store answers through the event loop; the start waits for it here, before the window
    // shows, as it waits for the database itself.
    QEventLoop loop;
    QString secret;
    bool answered = false;
    QObject::connect(secrets, &SecretStore::readDone, &loop,
        [&](const QString& readKey, const QString& value, const QString& readError) {
            if (readKey != key)
                return;
            secret = value;
            *error = readError;
            answered = true;
            loop.quit();
        });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    secrets->read(key);
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!answered)
        *error = QCoreApplication::translate("StationDatabase", "the secret store did not answer");
    return secret;
}
