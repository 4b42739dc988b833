// Export and import of a large phonebook, as CSV and as vCard: the time for each, the file
// size, and whether the contacts come back as they were. The import goes once into an empty
// phonebook and once into the full one, where every contact is a duplicate.
//
// Then the GUI thread's longest stall while a CSV file of as many contacts is imported, and
// while a file whose header is one line of 16 MiB is refused: with the import on the GUI thread
// (ContactExchange::importData, as the phonebook page did it) and through ContactImportJob,
// while a 1 ms timer on the GUI thread stands for the hybrid's polling.
//
// Run a Release build: bench_contact_exchange [contacts]   (default 100000)

#include "CDatabase.h"
#include "ContactCsv.h"
#include "ContactExchange.h"
#include "ContactImportJob.h"
#include "ContactsTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

#include <cstdio>

namespace {

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void dropDebugOutput(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The longest time the GUI thread did not serve its 1 ms timer while the job ran, and the
// job's whole time.
void throughJob(const QString& fileName, const QString& databaseFile, double* stallMs, double* totalMs)
{
    ContactImportJob job(fileName, ContactExchange::FORMAT_CSV, databaseFile);
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    QEventLoop loop;
    QObject::connect(&job, &ContactImportJob::finished, &loop, &QEventLoop::quit);
    clock.start();
    poll.start(1);
    job.start();
    loop.exec();
    *totalMs = msSince(clock);
    *stallMs = std::max(longest, clock.nsecsElapsed() - lastTick) / 1e6;
}

void measureStalls(const QByteArray& file, const char* what)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("import.csv"));
    QFile out(fileName);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        return;
    out.close();
    QTemporaryDir onGuiDir;
    CDatabase onGui(onGuiDir.path(), nullptr);
    ContactsTable::create(&onGui);
    ContactExchange exchange(&onGui);
    QElapsedTimer clock;
    clock.start();
    const ContactExchange::ImportResult direct = exchange.importFile(fileName, ContactExchange::FORMAT_CSV);
    const double directMs = msSince(clock);
    QTemporaryDir jobDir;
    CDatabase byJob(jobDir.path(), nullptr);
    ContactsTable::create(&byJob);
    double stallMs = 0;
    double totalMs = 0;
    throughJob(fileName, byJob.fileName(), &stallMs, &totalMs);
    std::printf("%-28s %14.0f ms %14.1f ms %11.0f ms  (%d added)\n", what, directMs, stallMs, totalMs, direct.added);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(dropDebugOutput);
    const int contactCount = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    QTemporaryDir fullDir;
    CDatabase full(fullDir.path(), nullptr);
    ContactsTable::create(&full);
    full.database().transaction();
    for (int i = 0; i < contactCount; ++i) {
        full.query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                  "VALUES (?, ?, ?, ?)"),
            { QStringLiteral("Émile %1").arg(i), QStringLiteral("O'Brien, Lefèvre; Jr."),
                QStringLiteral("+31 6 %1").arg(10000000 + i),
                i % 4 ? QString(QLatin1String("")) : QStringLiteral("Studio \"B\"\nline two") });
    }
    full.database().commit();
    ContactExchange fullExchange(&full);
    const QVector<ContactRecord> original = fullExchange.contacts();

    std::printf("contacts: %d\n\n%-8s %10s %10s %14s %14s %s\n", contactCount, "format", "export", "size",
        "import, empty", "import, full", "round trip");
    int failures = 0;
    for (const ContactExchange::Format format : { ContactExchange::FORMAT_CSV, ContactExchange::FORMAT_VCARD }) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray data = fullExchange.exportData(format);
        const double exportMs = msSince(timer);

        QTemporaryDir emptyDir;
        CDatabase empty(emptyDir.path(), nullptr);
        ContactsTable::create(&empty);
        ContactExchange emptyExchange(&empty);
        timer.restart();
        const ContactExchange::ImportResult intoEmpty = emptyExchange.importData(data, format);
        const double importMs = msSince(timer);

        timer.restart();
        const ContactExchange::ImportResult intoFull = fullExchange.importData(data, format);
        const double duplicatesMs = msSince(timer);

        const bool same = intoEmpty.ok && intoEmpty.added == contactCount && emptyExchange.contacts() == original
            && intoFull.ok && intoFull.added == 0 && intoFull.duplicates.size() == contactCount;
        failures += same ? 0 : 1;
        std::printf("%-8s %7.0f ms %7.1f MB %11.0f ms %11.0f ms %s\n",
            format == ContactExchange::FORMAT_CSV ? "CSV" : "vCard", exportMs, double(data.size()) / 1e6, importMs,
            duplicatesMs, same ? "same" : "DIFFERENT");
    }

    std::printf(
        "\n%-28s %17s %17s %14s\n", "GUI thread's longest stall", "import on GUI", "ContactImportJob", "job's time");
    measureStalls(
        ContactCsv::write(original).toUtf8(), qPrintable(QStringLiteral("%1 contacts (CSV)").arg(contactCount)));
    measureStalls("first_name,last_name," + QByteArray(16 << 20, 'x') + "\r\n", "a header line of 16 MiB");
    std::fflush(stdout);
    return failures;
}
