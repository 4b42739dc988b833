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

// The number without the separators people write, and '+', '*' and '#': digits alone for every
// number PhoneNumberKey::candidateOf() keys the same way in C++.
#define PARLONA_NUMBER_STRIPPED \
    "replace(replace(replace(replace(replace(replace(replace(replace(replace(phone_number, " \
    "' ', ''), '-', ''), '.', ''), '(', ''), ')', ''), '+', ''), '*', ''), '#', ''), '/', '')"
// Numbers with anything else (letters, a NUL, a value that is not text) are always checked.
#define PARLONA_NUMBER_ODD \
    "typeof(phone_number) <> 'text' OR instr(CAST(phone_number AS BLOB), x'00') > 0 " \
    "OR trim(" PARLONA_NUMBER_STRIPPED ", '0123456789') <> ''"

const char* ContactsTable::selectByKey()
{
    // Names as long as a typed-in one at most (ContactText::MaxFieldLength): one written in by
    // other code, megabytes long, would otherwise be carried to every window showing the caller.
    return "SELECT id, substr(first_name, 1, 1024), substr(last_name, 1, 1024), phone_number FROM contacts "
           "WHERE substr(" PARLONA_NUMBER_STRIPPED ", -7) = ? "
           "UNION ALL "
           "SELECT id, substr(first_name, 1, 1024), substr(last_name, 1, 1024), phone_number FROM contacts "
           "WHERE " PARLONA_NUMBER_ODD " "
           "ORDER BY 1";
}

const char* const* ContactsTable::lookupIndexes()
{
    static const char* const statements[] = {
        "CREATE INDEX IF NOT EXISTS contacts_number_digits ON contacts (substr(" PARLONA_NUMBER_STRIPPED ", -7))",
        "CREATE INDEX IF NOT EXISTS contacts_number_odd ON contacts (id) WHERE " PARLONA_NUMBER_ODD,
        nullptr,
    };
    return statements;
}

const char* ContactsTable::selectAll()
{
    return "SELECT id, first_name, last_name, phone_number FROM contacts ORDER BY id";
}
