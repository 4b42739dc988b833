#ifndef CALLPARTY_H
#define CALLPARTY_H

#include <QCoreApplication>
#include <QString>

class CDatabase;

// How the other party of a call is named wherever a call is shown: the bar, the incoming-call
// window, the history, the console, the notices and the remote control. A call without a number
// is a withheld number, never a contact.
class CallParty
{
    Q_DECLARE_TR_FUNCTIONS(CallParty)

public:
    static QString withheldText();
    // The contact's name when the number is in the phonebook, otherwise the number itself;
    // "Withheld number" for an empty one. database may be null.
    static QString displayName(CDatabase* database, const QString& number);
    // "Anna Alpha (0612345678)", "0612345678" or "Withheld number", for lines of text.
    static QString describe(CDatabase* database, const QString& number);
};

#endif // CALLPARTY_H
