#ifndef STATIONMOVEACTIONS_H
#define STATIONMOVEACTIONS_H

#include "DatabaseMove.h"
#include "StationSettings.h"

#include <QObject>
#include <QPointer>

class CDatabase;
class QProgressDialog;
class QWidget;
class SecretStore;

// File -> "Move phonebook and history to the station server..." and "... to this computer...":
// a studio that joins the station's server takes its phonebook and history along, and one that
// leaves it takes the phonebook and its own calls back. The copy runs on a thread of its own
// (DatabaseMove), all or nothing; the operator is told what it did, and the program uses the
// other place from its next start.
class StationMoveActions : public QObject
{
    Q_OBJECT

public:
    // directory: where the program keeps its file (DatabaseLocation).
    StationMoveActions(CDatabase* database, SecretStore* secrets, const QString& directory, QWidget* window);

    // Whether the program uses the station's server now: only a move the other way makes sense.
    bool onServer() const;

public slots:
    void moveToServer();
    void moveToComputer();

private:
    void startMove(DatabaseMove* move, StationSettings::Place after, const QString& title);
    void finishMove(DatabaseMove* move, StationSettings::Place after, const QString& title);

    CDatabase* m_database;
    SecretStore* m_secrets;
    QString m_directory;
    QWidget* m_window;
    QPointer<QProgressDialog> m_progress;
};

#endif // STATIONMOVEACTIONS_H
