// Export and import of a large phonebook, as CSV and as vCard: the time for each, the file
// size, and whether the contacts come back as they were. The import goes once into an empty
// phonebook and once into the full one, where every contact is a duplicate.
//
// Run a Release build: bench_contact_exchange [contacts]   (default 100000)

#include "CDatabase.h"
#include "ContactExchange.h"
#include "ContactsTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

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
    std::fflush(stdout);
    return failures;
}
