#ifndef TESTPOSTGRES_H
#define TESTPOSTGRES_H

#include "DatabaseServer.h"

#include <QString>

// The PostgreSQL server scripts/with-postgres.sh starts for the tests, found through
// PARLONA_TEST_PGHOST, PARLONA_TEST_PGPORT and PARLONA_TEST_PGUSER.
namespace TestPostgres {

// Whether a server was started for the tests.
bool available();
// The server, signed in to database.
DatabaseServer server(const QString& database = QStringLiteral("postgres"));
// Makes a new, empty database on the server and returns its name; empty (with the reason in
// *error) when it could not be made.
QString freshDatabase(QString* error);

} // namespace TestPostgres

#endif // TESTPOSTGRES_H
