#include "StationMoveActions.h"

#include "CDatabase.h"
#include "DatabaseLocation.h"
#include "StationDatabase.h"

#include <QMessageBox>
#include <QProgressDialog>

StationMoveActions::StationMoveActions(
    CDatabase* database, SecretStore* secrets, const QString& directory, QWidget* window)
    : QObject(window)
    , m_database(database)
    , m_secrets(secrets)
    , m_directory(directory)
    , m_window(window)
{
}

bool StationMoveActions::onServer() const
{
    return m_database->isServer();
}

void StationMoveActions::moveToServer()
{
    const QString title = tr("Move to the station server");
    StationSettings settings = StationSettings::load();
    settings.place = StationSettings::Place::StationServer;
    if (m_progress || onServer() || !settings.problem().isEmpty()) {
        QMessageBox::information(m_window, title,
            onServer() ? tr("The program uses the station server already.")
                       : tr("Fill in the station server under Settings, \"Phonebook and history\", first. %1")
                             .arg(settings.problem()));
        return;
    }
    const QString where = settings.server.database + QLatin1Char('@') + settings.server.host;
    if (QMessageBox::question(m_window, title,
            tr("Copy this computer's phonebook and call history to the station database %1?\n\nContacts whose "
               "number the station knows already, and calls it holds already, are left out. This computer's file "
               "stays as it is. The program uses the station server from its next start.")
                .arg(where))
        != QMessageBox::Yes)
        return;
    QString error;
    DatabaseServer server = settings.server;
    server.password = StationDatabase::password(m_secrets, settings.passwordKey(), StationDatabase::PasswordWaitMs, &error);
    startMove(new DatabaseMove(ConnectionRecipe(m_database->database()), ConnectionRecipe::server(server), QString(),
                  m_database->studio(), this),
        StationSettings::Place::StationServer, title);
}

void StationMoveActions::moveToComputer()
{
    const QString title = tr("Move to this computer");
    if (m_progress || !onServer()) {
        QMessageBox::information(m_window, title, tr("The program uses this computer's file already."));
        return;
    }
    const QString file = DatabaseLocation().path(m_directory);
    if (QMessageBox::question(m_window, title,
            tr("Copy the station's phonebook and the calls of studio %1 to this computer's file %2?\n\nContacts "
               "whose number the file knows already, and calls it holds already, are left out. The station's "
               "database stays as it is. The program uses this computer's file from its next start.")
                .arg(m_database->studio(), file))
        != QMessageBox::Yes)
        return;
    startMove(new DatabaseMove(ConnectionRecipe(m_database->database()), ConnectionRecipe::file(file),
                  m_database->studio(), m_database->studio(), this),
        StationSettings::Place::ThisComputer, title);
}

void StationMoveActions::startMove(DatabaseMove* move, StationSettings::Place after, const QString& title)
{
    m_progress = new QProgressDialog(tr("Copying the phonebook and the call history..."), QString(), 0, 0, m_window);
    m_progress->setWindowTitle(title);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    m_progress->show();
    connect(move, &DatabaseMove::finished, this, [=] { finishMove(move, after, title); });
    move->start();
}

void StationMoveActions::finishMove(DatabaseMove* move, StationSettings::Place after, const QString& title)
{
    if (m_progress)
        m_progress->close();
    const DatabaseMove::Report report = move->report();
    move->deleteLater();
    if (!report.ok) {
        QMessageBox::warning(m_window, title, tr("Nothing was copied or changed: %1").arg(report.error));
        return;
    }
    StationSettings settings = StationSettings::load();
    settings.place = after;
    settings.save();
    QMessageBox::information(m_window, title,
        tr("Copied: %1 contacts (%2 left out, their number was known), %3 calls (%4 left out, held already).\n\n"
           "The program uses %5 from its next start.")
            .arg(report.contactsAdded)
            .arg(report.contactsKnown)
            .arg(report.callsAdded)
            .arg(report.callsKnown)
            .arg(after == StationSettings::Place::StationServer ? tr("the station server") : tr("this computer's file")));
}
