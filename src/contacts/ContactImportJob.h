#ifndef CONTACTIMPORTJOB_H
#define CONTACTIMPORTJOB_H

#include "ConnectionRecipe.h"
#include "ContactExchange.h"

#include <QObject>

#include <atomic>

class QThread;

// One import of a contacts file, done on a thread of its own so that the GUI thread (which also
// polls the hybrid) never waits for a large or hostile file: the file is read and checked there,
// and its contacts go into the database there, through a connection of the job's own to the
// same file, in one transaction. It can be cancelled at any time before that transaction
// commits; then nothing is added.
class ContactImportJob : public QObject
{
    Q_OBJECT

public:
    ContactImportJob(const QString& fileName, ContactExchange::Format format, const QString& databaseFile,
        QObject* parent = nullptr);
    // Into the database the recipe leads to, the file or the station's server.
    ContactImportJob(const QString& fileName, ContactExchange::Format format, const ConnectionRecipe& database,
        QObject* parent = nullptr);
    // Cancels a job still running and waits for its thread.
    ~ContactImportJob() override;

    void start();
    // Asks the job to stop; finished() follows, with the result of a cancelled import.
    void cancel();
    bool isRunning() const;
    // The outcome, once finished() has fired: ok false and error empty when it was cancelled.
    ContactExchange::ImportResult result() const;
    bool wasCancelled() const;

signals:
    // Fires now and then while the job runs, with the share done in thousandths.
    void progress(int perMille);
    // Fires once, on the thread that started the job, when the import is over.
    void finished();

private:
    // On the job's thread: reads, checks and stores.
    void run();
    bool keepGoing(double done, double from, double to);

    QString m_fileName;
    ContactExchange::Format m_format;
    ConnectionRecipe m_database;
    QThread* m_thread = nullptr;
    std::atomic_bool m_cancelled { false };
    std::atomic_int m_lastProgress { -1 };
    ContactExchange::ImportResult m_result;
};

#endif // CONTACTIMPORTJOB_H
