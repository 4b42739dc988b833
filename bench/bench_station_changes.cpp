// How soon one studio sees what another wrote on the station's server: the time from a contact
// added, or a call recorded, through one program's connection until the other program's database
// says its phonebook or history changed (the pages read again on that signal). Each round
// writes one row and waits for the other side's signal; the table gives the median and the worst.
//
//   bench_station_changes [rounds]   (default 100)
//
// The server is the one in PARLONA_TEST_PGHOST, PARLONA_TEST_PGPORT and PARLONA_TEST_PGUSER, as
// scripts/with-postgres.sh sets them:   scripts/with-postgres.sh build/bench/bench_station_changes

#include "CDatabase.h"
#include "CallRegisterTable.h"
#include "TestPostgres.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const double goalMs = 1000.0;

// Milliseconds from write() until signal fires on watcher; -1 when it did not within 5 s.
template <typename Signal> double latency(CDatabase* watcher, Signal signal, const std::function<bool()>& write)
{
    QEventLoop loop;
    QElapsedTimer clock;
    double ms = -1;
    const QMetaObject::Connection seen = QObject::connect(watcher, signal, &loop, [&] {
        ms = clock.nsecsElapsed() / 1e6;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    clock.start();
    if (write())
        loop.exec();
    QObject::disconnect(seen);
    return ms;
}

void printRow(const char* what, QVector<double> times)
{
    std::sort(times.begin(), times.end());
    const bool lost = times.isEmpty() || times.first() < 0;
    std::printf("%-42s %10.1f %10.1f   %s\n", what, times.at(times.size() / 2), times.last(),
        !lost && times.last() < goalMs ? "met" : "MISSED");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    if (!TestPostgres::available()) {
        std::printf("no PostgreSQL server: run me through scripts/with-postgres.sh\n");
        return 2;
    }
    QString error;
    const QString name = TestPostgres::freshDatabase(&error);
    if (name.isEmpty()) {
        std::printf("no database on the server: %s\n", qPrintable(error));
        return 1;
    }
    CDatabase studioA(TestPostgres::server(name), nullptr);
    CDatabase studioB(TestPostgres::server(name), nullptr);
    studioA.setStudio(QStringLiteral("Studio A"));
    if (!studioA.isOpen() || !studioB.isOpen()) {
        std::printf("the server cannot be used: %s\n", qPrintable(studioA.problem()));
        return 1;
    }
    QVector<double> contacts;
    QVector<double> calls;
    for (int i = 0; i < rounds; ++i) {
        contacts << latency(&studioB, &CDatabase::contactsChanged, [&] {
            return studioA
                .query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                      "VALUES ('Luisteraar', ?, ?, '')"),
                    { QString::number(i), QStringLiteral("06%1").arg(10000000 + i) })
                .isActive();
        });
        calls << latency(&studioB, &CDatabase::callsChanged, [&] {
            return CallRegisterTable::insert(&studioA, QStringLiteral("06%1").arg(10000000 + i),
                CallRegisterTable::Incoming, 60000, QStringLiteral("2026-12-08T10:00:00"));
        });
    }
    std::printf("%d rounds on one loopback server; goal: seen within %.0f ms\n\n", rounds, goalMs);
    std::printf("%-42s %10s %10s\n", "written in one studio, seen in the other", "median ms", "worst ms");
    printRow("a contact added", contacts);
    printRow("a call recorded", calls);
    return 0;
}
