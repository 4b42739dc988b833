// The caller lookup and the history page's reload at a station's size, on the SQLite file and on
// a PostgreSQL server side by side: 100,000 contacts whose numbers are written every way people
// write them, and 10,000 calls. Each statement is one QSqlQuery prepared once, as the program
// keeps it, run against a fresh database that DatabaseSchema made. Every lookup's answer is
// checked against the contacts' number keys computed here, so both engines must find the same.
//
//   bench_station_lookup [--plans] [contacts]   (default 100000)
//
// --plans prints how each engine runs the two statements (EXPLAIN QUERY PLAN; on the server
// EXPLAIN ANALYZE of the prepared statement) before the table.
//
// The server is the one in PARLONA_TEST_PGHOST, PARLONA_TEST_PGPORT and PARLONA_TEST_PGUSER (a
// role that may create a database), as scripts/with-postgres.sh sets them; without them the
// server's column says it was skipped. bench/station-lookup.sh builds and runs it beside a
// server of its own.

#include "CallRegisterTable.h"
#include "ContactsTable.h"
#include "DatabaseSchema.h"
#include "PhoneNumberKey.h"
#include "SqlDialect.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>

namespace {

const int callCount = 10000;
const int callerCount = 1000;
const int reloads = 200;
const int historyRows = 100;
const int studioCount = 3;
const double lookupGoalUs = 1000.0;
const double reloadGoalMs = 20.0;
const char* const homeCountry = "NL";

struct Contact
{
    QString firstName;
    QString lastName;
    QString number;
};

struct Call
{
    QString number;
    int type;
    qint64 durationMs;
    QString timeDate;
};

// What the benchmark writes into both engines alike.
struct Station
{
    QVector<Contact> contacts;
    QVector<Call> calls;
    QStringList callers;
    int lettered = 0;
};

// A subscriber: country code, national significant number (the digits after the trunk 0) and
// how many of its digits are the area code.
struct Subscriber
{
    QString country;
    QString national;
    int area;
};

QString digits(QRandomGenerator& random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QLatin1Char(char('0' + random.bounded(10)));
    return text;
}

template <typename T> const T& pick(QRandomGenerator& random, const QVector<T>& values)
{
    return values.at(random.bounded(values.size()));
}

// A Dutch mobile or fixed-line number, or one abroad.
Subscriber newSubscriber(QRandomGenerator& random)
{
    static const QVector<QString> areas = { QStringLiteral("20"), QStringLiteral("10"), QStringLiteral("70"),
        QStringLiteral("30"), QStringLiteral("40"), QStringLiteral("50"), QStringLiteral("38"), QStringLiteral("570"),
        QStringLiteral("499"), QStringLiteral("24") };
    const int kind = random.bounded(100);
    if (kind < 60)
        return { QStringLiteral("31"), QStringLiteral("6") + digits(random, 8), 1 };
    if (kind < 88) {
        const QString area = pick(random, areas);
        return { QStringLiteral("31"), area + digits(random, 9 - area.size()), int(area.size()) };
    }
    switch (random.bounded(4)) {
    case 0:
        return { QStringLiteral("32"), QStringLiteral("2") + digits(random, 7), 1 };
    case 1:
        return { QStringLiteral("49"), QStringLiteral("30") + digits(random, 8), 2 };
    case 2:
        return { QStringLiteral("44"), QStringLiteral("20") + digits(random, 8), 2 };
    default:
        return { QStringLiteral("1"), QStringLiteral("212555") + digits(random, 4), 3 };
    }
}

// The national number grouped as people group it: the area code apart, then the rest.
QString grouped(const Subscriber& s, const QString& areaSeparator, const QString& separator)
{
    const QString rest = s.national.mid(s.area);
    const int half = rest.size() / 2;
    return s.national.left(s.area) + areaSeparator + rest.left(half) + separator + rest.mid(half);
}

// The number written the way an operator or a listener typed it into the phonebook.
QString written(QRandomGenerator& random, const Subscriber& s)
{
    const bool home = s.country == QLatin1String("31");
    switch (random.bounded(home ? 8 : 5)) {
    case 0:
        return QStringLiteral("+") + s.country + s.national;
    case 1:
        return QStringLiteral("+") + s.country + QLatin1Char(' ')
            + grouped(s, QStringLiteral(" "), QStringLiteral(" "));
    case 2:
        return QStringLiteral("00") + s.country + s.national;
    case 3:
        return QStringLiteral("00") + s.country + QLatin1Char(' ') + grouped(s, QStringLiteral(" "), QString());
    case 4:
        return QStringLiteral("+") + s.country + QStringLiteral(" (0)")
            + grouped(s, QStringLiteral(" "), QStringLiteral(" "));
    case 5:
        return QStringLiteral("0") + grouped(s, QStringLiteral("-"), QStringLiteral(" "));
    case 6:
        return QStringLiteral("(0") + grouped(s, QStringLiteral(") "), QStringLiteral(" "));
    default:
        return QStringLiteral("0") + s.national;
    }
}

// The number as the network presents a caller: international from abroad, either way at home.
QString presented(QRandomGenerator& random, const Subscriber& s)
{
    if (s.country == QLatin1String("31") && random.bounded(2) == 0)
        return QStringLiteral("0") + s.national;
    return QStringLiteral("+") + s.country + s.national;
}

// Free phone and premium numbers; a few in letters, as they are advertised.
QString serviceNumber(QRandomGenerator& random, bool letters)
{
    static const QVector<QString> words = { QStringLiteral("FLOWERS"), QStringLiteral("RADIO"), QStringLiteral("PIZZA"),
        QStringLiteral("TAXI"), QStringLiteral("HELPDESK"), QStringLiteral("WEER") };
    const QString prefix = random.bounded(2) ? QStringLiteral("0800") : QStringLiteral("0900");
    if (letters)
        return prefix + QLatin1Char('-') + pick(random, words);
    return prefix + (random.bounded(2) ? QStringLiteral("-") : QStringLiteral(" "))
        + digits(random, random.bounded(2) ? 4 : 7);
}

Station makeStation(int contactCount)
{
    static const QVector<QString> firstNames
        = { QStringLiteral("Jan"), QStringLiteral("Anna"), QStringLiteral("Pieter"), QStringLiteral("Sanne"),
              QStringLiteral("Daan"), QStringLiteral("Fleur"), QStringLiteral("Joris"), QStringLiteral("Marieke"),
              QStringLiteral("Sem"), QStringLiteral("Eline"), QStringLiteral("Ruud"), QStringLiteral("Ineke") };
    static const QVector<QString> lastNames = { QStringLiteral("de Vries"), QStringLiteral("Jansen"),
        QStringLiteral("van den Berg"), QStringLiteral("Bakker"), QStringLiteral("Visser"), QStringLiteral("Smit"),
        QStringLiteral("Meijer"), QStringLiteral("de Boer"), QStringLiteral("Mulder"), QStringLiteral("de Groot"),
        QStringLiteral("Bos"), QStringLiteral("van Dijk") };
    QRandomGenerator random(31);
    Station station;
    QVector<Subscriber> subscribers;
    QSet<QString> taken;
    for (int i = 0; i < contactCount; ++i) {
        Contact contact { pick(random, firstNames), pick(random, lastNames), QString() };
        const int kind = random.bounded(1000);
        if (kind == 0) {
            contact.number = serviceNumber(random, true);
            ++station.lettered;
        } else if (kind < 6) {
            contact.number = serviceNumber(random, false);
        } else if (kind < 56 && !subscribers.isEmpty()) {
            // Someone listed twice, the second time written another way.
            contact.number = written(random, pick(random, subscribers));
        } else {
            Subscriber subscriber = newSubscriber(random);
            while (taken.contains(subscriber.country + subscriber.national))
                subscriber = newSubscriber(random);
            taken.insert(subscriber.country + subscriber.national);
            subscribers << subscriber;
            contact.number = written(random, subscriber);
        }
        station.contacts << contact;
    }

    // Half the callers are listed; of the others some share the last seven digits with a listed
    // number in another area, so that the lookup finds candidates and must tell them apart.
    QSet<QString> asked;
    while (station.callers.size() < callerCount) {
        const int kind = station.callers.size() % 10;
        Subscriber subscriber = pick(random, subscribers);
        if (kind == 5)
            subscriber = subscriber.area == 1
                ? Subscriber { QStringLiteral("31"), QStringLiteral("20") + subscriber.national.right(7), 2 }
                : Subscriber { QStringLiteral("31"), QStringLiteral("61") + subscriber.national.right(7), 1 };
        else if (kind > 5)
            subscriber = newSubscriber(random);
        const QString number = presented(random, subscriber);
        if (!asked.contains(number)) {
            asked.insert(number);
            station.callers << number;
        }
    }

    // Three calls in five from listed callers, over some weeks; missed calls now and then.
    QDateTime when(QDate(2026, 10, 1), QTime(7, 0));
    for (int i = 0; i < callCount; ++i) {
        const QString number = random.bounded(5) < 3 ? presented(random, pick(random, subscribers))
                                                     : presented(random, newSubscriber(random));
        const int chance = random.bounded(100);
        const int type = chance < 55 ? CallRegisterTable::Incoming
                                     : (chance < 80 ? CallRegisterTable::Outgoing : CallRegisterTable::Missed);
        when = when.addSecs(60 + random.bounded(600));
        station.calls << Call { number, type, type == CallRegisterTable::Missed ? 0 : 1000 * random.bounded(900),
            when.toString(Qt::ISODate) };
    }
    return station;
}

// Rows inserted many at once: one statement per row would measure the round trips, not the data.
bool insertRows(QSqlDatabase db, const QString& table, const QStringList& columns, const QVector<QVariantList>& rows,
    QString* error)
{
    const int perStatement = 250;
    QString placeholders = QStringLiteral("(?") + QStringLiteral(", ?").repeated(columns.size() - 1) + QLatin1Char(')');
    QSqlQuery insert(db);
    int prepared = 0;
    for (int first = 0; first < rows.size(); first += perStatement) {
        const int count = std::min(perStatement, int(rows.size()) - first);
        if (count != prepared) {
            QStringList values;
            for (int i = 0; i < count; ++i)
                values << placeholders;
            if (!insert.prepare(
                    QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                        .arg(table, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))))) {
                *error = insert.lastError().text();
                return false;
            }
            prepared = count;
        }
        for (int i = first; i < first + count; ++i) {
            for (const QVariant& value : rows.at(i))
                insert.addBindValue(value);
        }
        if (!insert.exec()) {
            *error = insert.lastError().text();
            return false;
        }
    }
    return true;
}

bool fill(QSqlDatabase db, const Station& station, QString* error)
{
    QVector<QVariantList> contacts;
    for (const Contact& c : station.contacts)
        contacts << QVariantList { c.firstName, c.lastName, c.number, QString(QLatin1String("")) };
    QVector<QVariantList> calls;
    QVector<QVariantList> declined;
    QVector<QVariantList> notes;
    QVector<QVariantList> studios;
    for (int i = 0; i < station.calls.size(); ++i) {
        const Call& call = station.calls.at(i);
        calls << QVariantList { call.number, call.type, call.durationMs, call.timeDate };
        // Three studios share the station's history.
        studios << QVariantList { i + 1, QStringLiteral("Studio %1").arg(i % studioCount) };
        // Ids are numbered from 1 in the order of the rows, on both engines.
        if (call.type == CallRegisterTable::Missed && i % 3 == 0)
            declined << QVariantList { i + 1 };
        if (call.type == CallRegisterTable::Incoming && i % 4 == 0)
            notes << QVariantList { i + 1, QStringLiteral("Listener %1").arg(i), QStringLiteral("Zwolle"),
                QStringLiteral("Traffic on the A28"), i % 8 == 0 ? 1 : 0 };
    }
    return db.transaction()
        && insertRows(db, QStringLiteral("contacts"),
            { QStringLiteral("first_name"), QStringLiteral("last_name"), QStringLiteral("phone_number"),
                QStringLiteral("info") },
            contacts, error)
        && insertRows(db, QStringLiteral("call_register"),
            { QStringLiteral("phone_number"), QStringLiteral("call_type"), QStringLiteral("duration"),
                QStringLiteral("time_date") },
            calls, error)
        && insertRows(db, QStringLiteral("call_declined"), { QStringLiteral("call_id") }, declined, error)
        && insertRows(db, QStringLiteral("call_studio"), { QStringLiteral("call_id"), QStringLiteral("studio") },
            studios, error)
        && insertRows(db, QStringLiteral("call_notes"),
            { QStringLiteral("call_id"), QStringLiteral("caller_name"), QStringLiteral("place"),
                QStringLiteral("topic"), QStringLiteral("ready_for_air") },
            notes, error)
        && db.commit() && QSqlQuery(db).exec(QStringLiteral("ANALYZE"));
}

// What CDatabase::findContact() does: the candidates by the caller's last seven digits, and the
// first of them, in id order, whose number has the caller's key. The contact's id, or 0.
int lookUp(QSqlQuery& lookup, const PhoneNumberKey& keys, const QString& number)
{
    const QString key = keys.key(number);
    lookup.bindValue(0, PhoneNumberKey::candidateOf(number));
    if (!lookup.exec())
        return -1;
    int id = 0;
    while (id == 0 && lookup.next()) {
        if (keys.key(lookup.value(3).toString()) == key)
            id = lookup.value(0).toInt();
    }
    lookup.finish();
    return id;
}

// The history page's reload: its statement, and every column of every row read; of one studio
// when one is given, as the page on a server shows its own studio's calls first.
int reload(QSqlQuery& newest, const QString& studio = QString())
{
    if (studio.isEmpty()) {
        newest.bindValue(0, historyRows);
    } else {
        newest.bindValue(0, studio);
        newest.bindValue(1, historyRows);
    }
    if (!newest.exec())
        return -1;
    int rows = 0;
    while (newest.next()) {
        for (int column = CallRegisterTable::Id; column <= CallRegisterTable::NoteReady; ++column)
            newest.value(column);
        ++rows;
    }
    newest.finish();
    return rows;
}

double percentile(QVector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.at(std::min(int(values.size()) - 1, int(share * values.size())));
}

struct Result
{
    bool measured = false;
    QString note;
    double fillS = 0;
    double lookupMedianUs = 0;
    double lookupP95Us = 0;
    double lookupWorstUs = 0;
    double reloadMedianMs = 0;
    double reloadWorstMs = 0;
    double studioReloadWorstMs = 0;
    double studioListWorstMs = 0;
    double pageMedianMs = 0;
    int differing = 0;
};

// How the engine runs both statements, as the program's prepared statements run them: on the
// server a generic plan is used once a statement has run five times.
void printPlans(QSqlDatabase db, const QString& candidate)
{
    const bool server = SqlDialect::of(db).engine() == SqlDialect::PostgreSQL;
    const QVector<std::pair<QString, QString>> statements
        = { { ContactsTable::selectByKey(SqlDialect::of(db)), QLatin1Char('\'') + candidate + QLatin1Char('\'') },
              { CallRegisterTable::selectNewest(), QString::number(historyRows) } };
    QSqlQuery plan(db);
    for (int i = 0; i < statements.size(); ++i) {
        QString sql = statements.at(i).first;
        const QString value = statements.at(i).second;
        std::printf("\n%s, %s:\n", server ? "PostgreSQL" : "SQLite", i == 0 ? "caller lookup" : "history reload");
        if (server) {
            const QString name = QStringLiteral("plan%1").arg(i);
            plan.exec(
                QStringLiteral("PREPARE %1 AS %2").arg(name, sql.replace(QLatin1Char('?'), QStringLiteral("$1"))));
            for (int run = 0; run < 6; ++run)
                plan.exec(QStringLiteral("EXECUTE %1 (%2)").arg(name, value));
            plan.exec(QStringLiteral("EXPLAIN ANALYZE EXECUTE %1 (%2)").arg(name, value));
        } else {
            plan.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql.replace(QLatin1Char('?'), value));
        }
        while (plan.next())
            std::printf("  %s\n", qPrintable(plan.value(server ? 0 : 3).toString()));
        if (server)
            plan.exec(QStringLiteral("DEALLOCATE %1").arg(QStringLiteral("plan%1").arg(i)));
    }
}

// The reload of one studio's calls and the list of studios the page offers, at each reload.
void measureStudios(QSqlDatabase db, Result* result)
{
    QSqlQuery ofStudio(db);
    QSqlQuery studios(db);
    if (!ofStudio.prepare(CallRegisterTable::selectNewestOfStudio()) || !studios.prepare(CallRegisterTable::selectStudios())) {
        ++result->differing;
        return;
    }
    QVector<double> reloadTimes;
    QVector<double> listTimes;
    QElapsedTimer timer;
    for (int i = 0; i < reloads + 20; ++i) {
        timer.start();
        if (reload(ofStudio, QStringLiteral("Studio %1").arg(i % studioCount)) != historyRows)
            ++result->differing;
        const double reloadMs = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        int listed = 0;
        for (studios.exec(); studios.next();)
            ++listed;
        studios.finish();
        if (listed != studioCount)
            ++result->differing;
        // The first rounds plan the statements.
        if (i >= 20) {
            reloadTimes << reloadMs;
            listTimes << double(timer.nsecsElapsed()) / 1e6;
        }
    }
    result->studioReloadWorstMs = percentile(reloadTimes, 1.0);
    result->studioListWorstMs = percentile(listTimes, 1.0);
}

Result measure(QSqlDatabase db, const Station& station, const QVector<int>& expected, bool plans)
{
    Result result;
    QElapsedTimer timer;
    QString error;
    timer.start();
    if (!DatabaseSchema::upgrade(db, &error) || !fill(db, station, &error)) {
        result.note = error.isEmpty() ? db.lastError().text() : error;
        return result;
    }
    result.fillS = double(timer.nsecsElapsed()) / 1e9;

    QSqlQuery lookup(db);
    lookup.setForwardOnly(true);
    // Not forward only, as CDatabase::query() runs it: the page looks up callers while it reads
    // the rows, and on the server a forward-only result would be cut off by the next statement.
    QSqlQuery newest(db);
    if (!lookup.prepare(ContactsTable::selectByKey(SqlDialect::of(db)))
        || !newest.prepare(CallRegisterTable::selectNewest())) {
        result.note = lookup.lastError().text() + newest.lastError().text();
        return result;
    }
    const PhoneNumberKey keys { QLatin1String(homeCountry) };

    // A few rounds first, as a program that has run for a while: the statements planned and
    // the server's caches warm. Then every caller once.
    for (int i = 0; i < 20; ++i) {
        lookUp(lookup, keys, station.callers.at(i));
        reload(newest);
    }
    QVector<double> lookups;
    for (int i = 0; i < station.callers.size(); ++i) {
        timer.restart();
        const int id = lookUp(lookup, keys, station.callers.at(i));
        lookups << double(timer.nsecsElapsed()) / 1e3;
        if (id != expected.at(i))
            ++result.differing;
    }
    QVector<double> reloadTimes;
    for (int i = 0; i < reloads; ++i) {
        timer.restart();
        if (reload(newest) != historyRows)
            ++result.differing;
        reloadTimes << double(timer.nsecsElapsed()) / 1e6;
    }
    measureStudios(db, &result);
    // The page looks up every row's caller as it fills in the names.
    QVector<double> pages;
    for (int i = 0; i < reloads / 10; ++i) {
        timer.restart();
        newest.bindValue(0, historyRows);
        newest.exec();
        int rows = 0;
        for (; newest.next(); ++rows)
            lookUp(lookup, keys, newest.value(CallRegisterTable::PhoneNumber).toString());
        pages << double(timer.nsecsElapsed()) / 1e6;
        if (rows != historyRows)
            ++result.differing;
    }

    if (plans)
        printPlans(db, PhoneNumberKey::candidateOf(station.callers.first()));
    result.measured = true;
    result.lookupMedianUs = percentile(lookups, 0.5);
    result.lookupP95Us = percentile(lookups, 0.95);
    result.lookupWorstUs = percentile(lookups, 1.0);
    result.reloadMedianMs = percentile(reloadTimes, 0.5);
    result.reloadWorstMs = percentile(reloadTimes, 1.0);
    result.pageMedianMs = percentile(pages, 0.5);
    return result;
}

Result onSqlite(const Station& station, const QVector<int>& expected, bool plans)
{
    QTemporaryDir folder;
    const QString connection = QStringLiteral("bench-sqlite");
    Result result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(folder.filePath(QStringLiteral("parlona.db")));
        // The journal the program keeps its file in.
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode = WAL"))) {
            result.note = db.lastError().text();
        } else {
            result = measure(db, station, expected, plans);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

QSqlDatabase serverConnection(const QString& connection, const QString& database)
{
    QSqlDatabase server = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    server.setHostName(qEnvironmentVariable("PARLONA_TEST_PGHOST"));
    server.setPort(qEnvironmentVariableIntValue("PARLONA_TEST_PGPORT"));
    server.setUserName(qEnvironmentVariable("PARLONA_TEST_PGUSER"));
    server.setDatabaseName(database);
    return server;
}

// On a database of its own on the server, dropped again afterwards.
Result onServer(const Station& station, const QVector<int>& expected, bool plans)
{
    Result result;
    if (qEnvironmentVariableIsEmpty("PARLONA_TEST_PGHOST")) {
        result.note = QStringLiteral("skipped");
        return result;
    }
    const QString name = QStringLiteral("parlona_bench_%1").arg(QCoreApplication::applicationPid());
    const QString admin = QStringLiteral("bench-admin");
    const QString connection = QStringLiteral("bench-server");
    {
        QSqlDatabase server = serverConnection(admin, QStringLiteral("postgres"));
        if (!server.open() || !QSqlQuery(server).exec(QStringLiteral("CREATE DATABASE %1").arg(name))) {
            result.note = server.lastError().text();
            server.close();
        } else {
            {
                QSqlDatabase db = serverConnection(connection, name);
                if (db.open())
                    result = measure(db, station, expected, plans);
                else
                    result.note = db.lastError().text();
                db.close();
            }
            QSqlDatabase::removeDatabase(connection);
            QSqlQuery(server).exec(QStringLiteral("DROP DATABASE %1").arg(name));
            server.close();
        }
    }
    QSqlDatabase::removeDatabase(admin);
    return result;
}

// The first contact, in id order, with each caller's key; 0 for a caller not listed.
QVector<int> expectedMatches(const Station& station)
{
    const PhoneNumberKey keys { QLatin1String(homeCountry) };
    QHash<QString, int> first;
    for (int i = 0; i < station.contacts.size(); ++i) {
        const QString key = keys.key(station.contacts.at(i).number);
        if (!first.contains(key))
            first.insert(key, i + 1);
    }
    QVector<int> expected;
    for (const QString& caller : station.callers)
        expected << first.value(keys.key(caller), 0);
    return expected;
}

void row(const char* label, const Result& lite, const Result& server, double (*value)(const Result&), int decimals,
    const QString& goal = QString())
{
    const auto cell
        = [&](const Result& r) { return r.measured ? QString::number(value(r), 'f', decimals) : r.note.left(12); };
    std::printf("%-44s %12s %12s %10s\n", label, qPrintable(cell(lite)), qPrintable(cell(server)), qPrintable(goal));
}

const char* verdict(const Result& r, bool met)
{
    return !r.measured ? "not measured" : (met ? "yes" : "NO");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool plans = arguments.removeAll(QStringLiteral("--plans")) > 0;
    const int contactCount = arguments.isEmpty() ? 100000 : arguments.first().toInt();

    const Station station = makeStation(contactCount);
    const QVector<int> expected = expectedMatches(station);
    const int listed = int(std::count_if(expected.begin(), expected.end(), [](int id) { return id != 0; }));

    const Result lite = onSqlite(station, expected, plans);
    const Result server = onServer(station, expected, plans);
    if (plans)
        std::printf("\n");

    std::printf("contacts: %d (%d written with letters, read at every lookup), calls: %d\n", contactCount,
        station.lettered, callCount);
    std::printf("callers looked up: %d (%d in the phonebook); history reloads: %d of %d rows\n\n",
        int(station.callers.size()), listed, reloads, historyRows);
    std::printf("%-44s %12s %12s %10s\n", "", "SQLite", "PostgreSQL", "goal");
    row(
        "fill in one transaction, with ANALYZE (s)", lite, server, [](const Result& r) { return r.fillS; }, 1);
    row(
        "caller lookup, median (us)", lite, server, [](const Result& r) { return r.lookupMedianUs; }, 0);
    row(
        "caller lookup, 95th percentile (us)", lite, server, [](const Result& r) { return r.lookupP95Us; }, 0,
        QStringLiteral("< %1").arg(lookupGoalUs));
    row(
        "caller lookup, worst (us)", lite, server, [](const Result& r) { return r.lookupWorstUs; }, 0);
    row(
        "history reload, 100 rows, median (ms)", lite, server, [](const Result& r) { return r.reloadMedianMs; }, 2);
    row(
        "history reload, 100 rows, worst (ms)", lite, server, [](const Result& r) { return r.reloadWorstMs; }, 2,
        QStringLiteral("< %1").arg(reloadGoalMs));
    row(
        "  of one studio of three, worst (ms)", lite, server, [](const Result& r) { return r.studioReloadWorstMs; },
        2, QStringLiteral("< %1").arg(reloadGoalMs));
    row(
        "  the list of studios, worst (ms)", lite, server, [](const Result& r) { return r.studioListWorstMs; }, 2);
    row(
        "  with the page's 100 caller lookups (ms)", lite, server, [](const Result& r) { return r.pageMedianMs; }, 1);
    row(
        "answers differing (number keys, row counts)", lite, server,
        [](const Result& r) { return double(r.differing); }, 0);
    std::printf("\nlookup under %.0f ms (95th percentile): SQLite %s, PostgreSQL %s\n", lookupGoalUs / 1000,
        verdict(lite, lite.lookupP95Us < lookupGoalUs), verdict(server, server.lookupP95Us < lookupGoalUs));
    std::printf("history reload under %.0f ms (worst): SQLite %s, PostgreSQL %s\n", reloadGoalMs,
        verdict(lite, lite.reloadWorstMs < reloadGoalMs), verdict(server, server.reloadWorstMs < reloadGoalMs));
    for (const auto& [engine, r] : { std::make_pair("SQLite", &lite), std::make_pair("PostgreSQL", &server) }) {
        if (!r->measured)
            std::printf("%s: %s\n", engine,
                r->note == QLatin1String("skipped")
                    ? "skipped, no server in PARLONA_TEST_PGHOST (bench/station-lookup.sh starts one)"
                    : qPrintable(r->note));
    }
    std::fflush(stdout);
    const bool failed = (lite.measured && lite.differing) || (server.measured && server.differing) || !lite.measured
        || (!server.measured && server.note != QLatin1String("skipped"));
    return failed ? 1 : 0;
}
