#include "CallParty.h"

#include "CDatabase.h"

QString CallParty::withheldText()
{
    return tr("Withheld number");
}

QString CallParty::displayName(CDatabase* database, const QString& number)
{
    if (number.isEmpty())
        return withheldText();
    const QString name = database ? database->knownName(number) : QString();
    return name.isEmpty() ? number : name;
}

QString CallParty::describe(CDatabase* database, const QString& number)
{
    if (number.isEmpty())
        return withheldText();
    const QString name = database ? database->knownName(number) : QString();
    return name.isEmpty() ? number : tr("%1 (%2)").arg(name, number);
}
