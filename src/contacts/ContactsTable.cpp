#include "ContactsTable.h"

#include "CDatabase.h"
#include "DatabaseSchema.h"

void ContactsTable::create(CDatabase* database)
{
    createIndexes(database);
}

void ContactsTable::createIndexes(CDatabase* database)
{
    // The table and its indexes are made with the rest of the schema when the file opens; a
    // file up to date is not written, and one that cannot be has been reported then.
    QString reason;
    DatabaseSchema::upgrade(database->database(), &reason);
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
