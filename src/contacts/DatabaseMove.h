#ifndef DATABASEMOVE_H
#define DATABASEMOVE_H

#include "ConnectionRecipe.h"

#include <QObject>
#include <QString>

class QThread;

// Copies a phonebook and a call history from one database to another, on a thread of its own: a
// computer's file to the station's server when a studio joins it, and back when it leaves. All
// goes in within one transaction on the receiving side, or nothing; the giving side is only read.
// A contact whose number the receiving phonebook knows (by the number matching of the lookup)
// is left out, and so is a call it holds already (the same number at the same start).
class DatabaseMove : public QObject
{
    Q_OBJECT

public:
    struct Report
    {
        bool ok = false;
        QString error; // why nothing was copied
        int contactsAdded = 0;
        int contactsKnown = 0;
        int callsAdded = 0;
        int callsKnown = 0;
    };

    // studio: only the calls of this studio go (all for an empty name); a call that names no
    // studio is written as one of defaultStudio.
    DatabaseMove(const ConnectionRecipe& from, const ConnectionRecipe& to, const QString& studio,
        const QString& defaultStudio, QObject* parent = nullptr);
    // Waits for a move still running.
    ~DatabaseMove() override;

    void start();
    // The same on the caller's thread.
    Report run();
    // The outcome, once finished() has fired.
    Report report() const { return m_report; }

signals:
    // Fires once, on the thread that started the move, when it is over.
    void finished();

private:
    // Within the receiving side's transaction: false with the reason in m_report.error.
    bool copyContacts(QSqlDatabase from, QSqlDatabase to);
    bool copyCalls(QSqlDatabase from, QSqlDatabase to);
    bool copyCall(QSqlDatabase to, const QSqlQuery& call);

    ConnectionRecipe m_from;
    ConnectionRecipe m_to;
    QString m_studio;
    QString m_defaultStudio;
    QThread* m_thread = nullptr;
    Report m_report;
};

#endif // DATABASEMOVE_H
