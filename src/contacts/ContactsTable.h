#ifndef CONTACTSTABLE_H
#define CONTACTSTABLE_H

#include "SqlDialect.h"

#include <QStringList>

class CDatabase;

// The SQL of the phonebook's table "contacts": its columns and the lookup's statements. The table
// and the indexes the lookup uses are made by DatabaseSchema.
class ContactsTable
{
public:
    // Column positions; readers select all columns and address them by position.
    enum Column { Id, FirstName, LastName, PhoneNumber, Info };

    // Both bring the database's schema up to date, the table and the lookup's indexes among it;
    // they do nothing to a file that is, and fail silently on one that cannot be written.
    static void create(CDatabase* database);
    static void createIndexes(CDatabase* database);

    // Id, first name, last name and number of the contacts whose number has the key bound to the
    // one placeholder, together with every row the engine cannot key the way the program does; the
    // SQLite file's without a dialect.
    static const char* selectByKey();
    static QString selectByKey(const SqlDialect& dialect);
    // The indexes selectByKey() finds its rows by: the last seven digits of the number written
    // without its separators, and the numbers that are more than digits and separators. The
    // schema makes them; being indexes on the number itself, a contact any code inserts is found
    // at once.
    static const char* const* lookupIndexes();
    static QStringList lookupIndexes(const SqlDialect& dialect);
    // The same four columns of every contact, in id order.
    static const char* selectAll();
};

#endif // CONTACTSTABLE_H
