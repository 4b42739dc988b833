#include "ContactImportJob.h"
#include "LogCategories.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QThread>

namespace {

// Shares of the progress bar: reading the file, then storing the contacts.
const double readShare = 0.6;

} // namespace

ContactImportJob::ContactImportJob(
    const QString& fileName, ContactExchange::Format format, const QString& databaseFile, QObject* parent)
    : ContactImportJob(fileName, format, ConnectionRecipe::file(databaseFile), parent)
{
}

ContactImportJob::ContactImportJob(
    const QString& fileName, ContactExchange::Format format, const ConnectionRecipe& database, QObject* parent)
    : QObject(parent)
    , m_fileName(fileName)
    , m_format(format)
    , m_database(database)
{
}

ContactImportJob::~ContactImportJob()
{
    if (m_thread != nullptr) {
        m_cancelled = true;
        m_thread->wait();
    }
}

void ContactImportJob::start()
{
    if (m_thread != nullptr)
        return;
    m_thread = QThread::create([this] { run(); });
    m_thread->setParent(this);
    // The thread object lives on the starting thread, so this slot runs there, after run().
    connect(m_thread, &QThread::finished, this, &ContactImportJob::finished);
    m_thread->start();
}

void ContactImportJob::cancel()
{
    m_cancelled = true;
}

bool ContactImportJob::isRunning() const
{
    return m_thread != nullptr && m_thread->isRunning();
}

ContactExchange::ImportResult ContactImportJob::result() const
{
    return m_result;
}

bool ContactImportJob::wasCancelled() const
{
    return m_cancelled && !m_result.ok && m_result.error.isEmpty();
}

bool ContactImportJob::keepGoing(double done, double from, double to)
{
    const int perMille = int((from + done * (to - from)) * 1000);
    // Only a change is told, so that the GUI thread is not flooded.
    if (m_lastProgress.exchange(perMille) != perMille)
        emit progress(perMille);
    return !m_cancelled;
}

void ContactImportJob::run()
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_result.error = tr("Cannot read %1: %2").arg(QDir::toNativeSeparators(m_fileName), file.errorString());
        return;
    }
    const QByteArray data = file.readAll();
    file.close();
    QVector<ContactRecord> records;
    const auto reading = [this](double done) { return keepGoing(done, 0, readShare); };
    if (m_cancelled || !ContactExchange::readContacts(data, m_format, &records, &m_result.error, reading))
        return;
    const auto storing = [this](double done) { return keepGoing(done, readShare, 1); };
    const QString connection = QStringLiteral("contact-import-%1").arg(quintptr(this));
    {
        QSqlDatabase database = m_database.add(connection, false);
        if (database.open())
            ContactExchange::store(database, records, &m_result, storing);
        else
            m_result.error = tr("The database cannot take contacts: %1").arg(database.lastError().text());
        database.close();
    }
    QSqlDatabase::removeDatabase(connection);
    qCDebug(lcContacts) << "import job done:" << m_result.ok << m_result.added;
}
