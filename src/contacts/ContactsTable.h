#ifndef CONTACTSTABLE_H
#define CONTACTSTABLE_H

class CDatabase;

// The SQL of the phonebook's table "contacts", in one place: its columns, its creation with
// the indexes the number lookup uses, and the lookup's statements.
class ContactsTable
{
public:
    // Column positions; readers select all columns and address them by position.
    enum Column { Id, FirstName, LastName, PhoneNumber, Info };

    // Creates the table when it is not there yet, and the lookup's indexes.
    static void create(CDatabase* database);
    // The lookup's indexes alone, for a table made elsewhere; fails harmlessly on a read-only file.
    static void createIndexes(CDatabase* database);

    // Id, first name, last name and number of the contacts whose number has the key bound to the
    // one placeholder, together with every row SQLite cannot key the way the program does.
    static const char* selectByKey();
    // The same four columns of every contact, in id order.
    static const char* selectAll();
};

#endif // CONTACTSTABLE_H
