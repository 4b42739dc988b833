// Contact lookups against a large phonebook: the plain full scan (every contact read and its
// number's last nine characters compared for every number) next to CDatabase's lookups, on the
// same database in one run. CDatabase's answers are checked against every contact's number key,
// computed once. Also times a full reload of the call history page, which looks up every call.
//
// Run a Release build: bench_contact_lookup [contacts]   (default 100000)

#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "PhoneNumberKey.h"
#include "PhonebookForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const int historyRows = 100;
const double lookupTargetMs = 0.1;
const double reloadTargetMs = 10.0;
const char* const homeCountry = "DE";

struct Match
{
    int id = 0;
    QString name;

    bool operator==(const Match& other) const { return id == other.id && name == other.name; }
};

// The lookup as first written: read the whole table in id order and compare the last nine
// characters of every stored number with those of the number asked for.
Match fullScan(QSqlDatabase db, const QString& number)
{
    QSqlQuery all(db);
    all.setForwardOnly(true);
    all.exec(QStringLiteral("SELECT * FROM contacts ORDER BY id"));
    const QString wanted = number.right(9);
    while (all.next()) {
        if (all.value(3).toString().right(9) == wanted)
            return { all.value(0).toInt(), all.value(1).toString() + QLatin1Char(' ') + all.value(2).toString() };
    }
    return { 0, number };
}

// The first contact, in id order, for every number key: what CDatabase must find.
QHash<QString, Match> keyedContacts(QSqlDatabase db)
{
    const PhoneNumberKey keys { QLatin1String(homeCountry) };
    QHash<QString, Match> first;
    QSqlQuery all(db);
    all.setForwardOnly(true);
    all.exec(QStringLiteral("SELECT * FROM contacts ORDER BY id"));
    while (all.next()) {
        const QString key = keys.key(all.value(3).toString());
        if (!first.contains(key))
            first.insert(key, { all.value(0).toInt(), all.value(1).toString() + QLatin1Char(' ') + all.value(2).toString() });
    }
    return first;
}

Match indexed(CDatabase* db, const QString& number)
{
    return { db->findContactId(number), db->findContactName(number) };
}

QString digits(QRandomGenerator& random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QLatin1Char(char('0' + random.bounded(10)));
    return text;
}

// The same subscriber written the ways callers and operators write it.
QString spelling(QRandomGenerator& random, const QString& subscriber)
{
    switch (random.bounded(4)) {
    case 0:
        return QStringLiteral("+49") + subscriber;
    case 1:
        return QStringLiteral("0049") + subscriber;
    case 2:
        return QStringLiteral("0") + subscriber;
    default:
        return QStringLiteral("+49 ") + subscriber.left(3) + QLatin1Char(' ') + subscriber.mid(3);
    }
}

void dropDebugOutput(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The lookups write a debug line each; printing them would be timed along.
    qInstallMessageHandler(dropDebugOutput);

    const int contactCount = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    CDatabase database(dir.path(), nullptr);
    database.setHomeCountry(QLatin1String(homeCountry));
    AppContext context;
    context.database = &database;
    PhonebookForm phonebook(&context);
    CCallRegistration registration(&context);

    // Subscribers are ten digits after the area code's leading zero; one in twenty contacts is a
    // second entry for someone already listed, written differently, so keys are shared.
    QRandomGenerator random(7);
    QStringList subscribers;
    QSqlDatabase db = database.database();
    db.transaction();
    for (int i = 0; i < contactCount; ++i) {
        const bool again = !subscribers.isEmpty() && random.bounded(20) == 0;
        const QString subscriber
            = again ? subscribers.at(random.bounded(subscribers.size())) : QStringLiteral("1") + digits(random, 9);
        if (!again)
            subscribers << subscriber;
        database.query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                      "VALUES (?, ?, ?, ?)"),
            { QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i), spelling(random, subscriber),
                QString(QLatin1String("")) });
    }

    // The history: calls from listed subscribers (spelt another way) and from unknown numbers.
    QStringList historyNumbers;
    for (int i = 0; i < historyRows; ++i) {
        const QString subscriber = random.bounded(10) < 6 ? subscribers.at(random.bounded(subscribers.size()))
                                                          : QStringLiteral("9") + digits(random, 9);
        historyNumbers << spelling(random, subscriber);
        database.query(QStringLiteral("INSERT INTO call_register (phone_number, call_type, duration, time_date) "
                                      "VALUES (?, ?, ?, ?)"),
            { historyNumbers.last(), i % 3, 1000 * i,
                QStringLiteral("2024-06-12T10:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')) });
    }
    db.commit();

    // The numbers looked up: those of the history and as many more, known and unknown.
    QStringList samples = historyNumbers;
    for (int i = 0; i < historyRows; ++i) {
        samples << (i % 2 ? spelling(random, subscribers.at(random.bounded(subscribers.size())))
                          : QStringLiteral("+44") + digits(random, 10));
    }

    // The first lookup indexes the phonebook, once for the life of the file.
    QElapsedTimer timer;
    timer.start();
    database.findContactName(samples.first());
    const double indexingMs = double(timer.nsecsElapsed()) / 1e6;

    // CDatabase's answers against every contact's key; the full scan is timed alone.
    int matches = 0;
    int differences = 0;
    timer.restart();
    for (const QString& number : qAsConst(samples))
        fullScan(db, number);
    const double scanMs = double(timer.nsecsElapsed()) / 1e6 / samples.size();
    const QHash<QString, Match> keyed = keyedContacts(db);
    const PhoneNumberKey keys { QLatin1String(homeCountry) };
    for (const QString& number : qAsConst(samples)) {
        const Match expected = keyed.value(keys.key(number), Match { 0, number });
        if (!(indexed(&database, number) == expected))
            ++differences;
        if (expected.id != 0)
            ++matches;
    }

    // The lookups, many rounds over the same numbers.
    const int rounds = 100;
    timer.restart();
    for (int round = 0; round < rounds; ++round) {
        for (const QString& number : qAsConst(samples))
            database.findContactName(number);
    }
    const double lookupMs = double(timer.nsecsElapsed()) / 1e6 / (rounds * samples.size());

    // The history page, reloaded with its lookups, and the same reload done with full scans.
    CCallHistoryForm history(&context, &phonebook);
    history.resize(460, 560);
    history.show();
    const int reloads = 50;
    timer.restart();
    for (int i = 0; i < reloads; ++i)
        history.LoadTable();
    const double reloadMs = double(timer.nsecsElapsed()) / 1e6 / reloads;

    timer.restart();
    QSqlQuery calls = database.query(QStringLiteral("SELECT * FROM call_register ORDER BY id DESC LIMIT 100"));
    while (calls.next()) {
        fullScan(db, calls.value(1).toString());
        fullScan(db, calls.value(1).toString());
    }
    const double scanReloadMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("contacts: %d, history rows: %d, numbers looked up: %d (%d in the phonebook)\n", contactCount,
        historyRows, int(samples.size()), matches);
    std::printf("results differing from the number keys: %d\n\n", differences);
    std::printf("%-36s %14s %14s %10s\n", "", "full scan", "CDatabase", "ratio");
    std::printf("%-36s %11.3f ms %11.4f ms %9.0fx\n", "one caller-name lookup", scanMs, lookupMs, scanMs / lookupMs);
    std::printf("%-36s %11.1f ms %11.2f ms %9.0fx\n", "history reload (200 lookups)", scanReloadMs, reloadMs,
        scanReloadMs / reloadMs);
    std::printf("%-36s %14s %11.1f ms\n", "first lookup, indexing the phonebook", "", indexingMs);
    std::printf("\nlookup under %.1f ms: %s; history reload under %.0f ms: %s\n", lookupTargetMs,
        lookupMs < lookupTargetMs ? "yes" : "NO", reloadTargetMs, reloadMs < reloadTargetMs ? "yes" : "NO");
    std::printf("(the full-scan reload counts its lookups only, not the table)\n");
    std::fflush(stdout);
    return differences == 0 ? 0 : 1;
}
