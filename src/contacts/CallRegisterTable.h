#ifndef CALLREGISTERTABLE_H
#define CALLREGISTERTABLE_H

#include <QSqlQuery>
#include <QString>

class CDatabase;

// The SQL of the record of calls, table "call_register", in one place.
class CallRegisterTable
{
public:
    // Column positions; readers select all columns and address them by position.
    enum Column { Id, PhoneNumber, CallType, Duration, TimeDate };
    // The call_type values.
    enum Type { Incoming = 0, Outgoing = 1, Missed = 2 };

    // Creates the table when it is not there yet.
    static void create(CDatabase* database);
    // Writes one call; the values are bound, so any character in the number is stored as it is.
    static bool insert(
        CDatabase* database, const QString& number, int type, qint64 durationMs, const QString& timeDate);
    // The newest calls first, all columns, at most limit of them.
    static QSqlQuery newest(CDatabase* database, int limit);
    static void clear(CDatabase* database);
};

#endif // CALLREGISTERTABLE_H
