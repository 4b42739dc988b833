#include "ContactsTable.h"

#include "CDatabase.h"
#include "DatabaseSchema.h"

#include <QStringList>

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
namespace {

// Numbers with anything else (letters, a NUL, a value that is not text) are always checked.
QString oddNumber(const SqlDialect& dialect)
{
    const QString odd = dialect.trimmed(QStringLiteral(PARLONA_NUMBER_STRIPPED), QStringLiteral("0123456789"))
        + QStringLiteral(" <> ''");
    const QString notText = dialect.notPlainText(QStringLiteral("phone_number"));
    return notText.isEmpty() ? odd : notText + QStringLiteral(" OR ") + odd;
}

} // namespace

QString ContactsTable::selectByKey(const SqlDialect& dialect)
{
    // Names as long as a typed-in one at most (ContactText::MaxFieldLength): one written in by
    // other code, megabytes long, would otherwise be carried to every window showing the caller.
    const QString columns = QStringLiteral("SELECT id, substr(first_name, 1, 1024), substr(last_name, 1, 1024), "
                                           "phone_number FROM contacts WHERE ");
    return columns + dialect.lastCharacters(QStringLiteral(PARLONA_NUMBER_STRIPPED), 7) + QStringLiteral(" = ? UNION ALL ")
        + columns + oddNumber(dialect) + QStringLiteral(" ORDER BY 1");
}

QStringList ContactsTable::lookupIndexes(const SqlDialect& dialect)
{
    return { QStringLiteral("CREATE INDEX IF NOT EXISTS contacts_number_digits ON contacts (%1)")
                 .arg(dialect.lastCharacters(QStringLiteral(PARLONA_NUMBER_STRIPPED), 7)),
        QStringLiteral("CREATE INDEX IF NOT EXISTS contacts_number_odd ON contacts (id) WHERE ") + oddNumber(dialect) };
}

const char* ContactsTable::selectByKey()
{
    static const QByteArray statement = selectByKey(SqlDialect()).toUtf8();
    return statement.constData();
}

const char* const* ContactsTable::lookupIndexes()
{
    static const QByteArray made[] = { lookupIndexes(SqlDialect()).at(0).toUtf8(),
        lookupIndexes(SqlDialect()).at(1).toUtf8() };
    static const char* const statements[] = { made[0].constData(), made[1].constData(), nullptr };
    return statements;
}

const char* ContactsTable::selectAll()
{
    return "SELECT id, first_name, last_name, phone_number FROM contacts ORDER BY id";
}
