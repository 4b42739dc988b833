#include "ContactsTable.h"

#include "CDatabase.h"

namespace {

const char* const createTable
    = "     CREATE TABLE contacts        (         id              INTEGER PRIMARY KEY AUTOINCREMENT,         "
      "first_name      TEXT NOT NULL,         last_name       TEXT NOT NULL,         phone_number    TEXT NOT "
      "NULL,         info            TEXT     );     ";

// Contacts by the key of their number. SQLite's substr() counts characters as Qt does for every
// number made of ordinary characters; the rows it cannot key the same way (a NUL inside the
// number, a value that is not text) sit in the second, partial index and are checked as well.
const char* const createKeyIndex
    = "CREATE INDEX IF NOT EXISTS contacts_number_key ON contacts (substr(phone_number, -9))";
const char* const createUnusualIndex
    = "CREATE INDEX IF NOT EXISTS contacts_number_unusual ON contacts (id) "
      "WHERE typeof(phone_number) <> 'text' OR instr(CAST(phone_number AS BLOB), x'00') > 0";

} // namespace

void ContactsTable::create(CDatabase* database)
{
    // Fails harmlessly when the table is already there.
    database->query(QLatin1String(createTable));
    createIndexes(database);
}

void ContactsTable::createIndexes(CDatabase* database)
{
    database->query(QLatin1String(createKeyIndex));
    database->query(QLatin1String(createUnusualIndex));
}

const char* ContactsTable::selectByKey()
{
    return "SELECT id, first_name, last_name, phone_number FROM contacts WHERE substr(phone_number, -9) = ? "
           "UNION ALL "
           "SELECT id, first_name, last_name, phone_number FROM contacts "
           "WHERE typeof(phone_number) <> 'text' OR instr(CAST(phone_number AS BLOB), x'00') > 0 "
           "ORDER BY 1";
}

const char* ContactsTable::selectAll()
{
    return "SELECT id, first_name, last_name, phone_number FROM contacts ORDER BY id";
}
