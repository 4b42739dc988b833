#ifndef CDATABASE_H
#define CDATABASE_H

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

#include <memory>

class CConsole;

// The program's SQLite database "parlona.db": the phonebook (table contacts) and the record of
// calls (table call_register). The tables belong to the pages that use them; this class opens
// the file, runs statements and looks up contacts by phone number.
//
// The file lives in the program's own directory (or the directory given to the constructor)
// when that directory is writable or already holds the file; otherwise it lives in the user's
// application data directory. The first instance opens Qt's default connection, so that code
// using a default QSqlQuery sees the program's data; a second instance alive at the same time
// gets a connection of its own instead of taking the first one's away.
class CDatabase : public QObject
{
    Q_OBJECT

public:
    static constexpr int NumberKeyLength = 9;

    // The database in the program's own directory.
    explicit CDatabase(QObject* parent = nullptr);
    // The database in the given directory; open failures are reported on the console, if any.
    CDatabase(const QString& directory, CConsole* console, QObject* parent = nullptr);
    ~CDatabase() override;

    // Runs a fixed statement. Returns the executed query, positioned before its first row, or an
    // inert query (no rows) when the database is closed or the statement failed.
    QSqlQuery query(const QString& sql);
    // Runs a statement whose "?" placeholders are bound, in order, to the given values. Every
    // statement that carries a value goes through here, so quotes or SQL text in a value are
    // stored as they are.
    QSqlQuery query(const QString& sql, const QVariantList& values);

    // The connection, for binding a table model to it.
    QSqlDatabase database() const;
    bool isOpen() const;
    // The path of the database file in use.
    QString fileName() const;

    // "first_name last_name" of the contact whose number matches, or the number itself. An
    // empty number (a withheld one) matches no contact.
    QString findContactName(QString number);
    // The id of the contact whose number matches, or 0.
    int findContactId(QString number);

    // Both in one lookup: the matching contact's id and "first_name last_name", or 0 and the
    // number itself.
    struct ContactMatch
    {
        int id = 0;
        QString name;
    };
    ContactMatch matchContact(const QString& number);
    // The matching contact's "first_name last_name", empty when no contact has the number.
    QString knownName(const QString& number);

    // What numbers are compared by: their last nine characters (a shorter number whole).
    static QString numberKey(const QString& number);

private:
    struct Contact
    {
        int id = 0;
        QString firstName;
        QString lastName;
    };

    static QString locate(const QString& directory);
    // Opens the file; on failure tells why it cannot be used.
    bool open(const QString& path, QString* reason);
    bool findContact(const QString& number, Contact* contact);
    bool prepareLookup();
    bool firstMatch(QSqlQuery& rows, const QString& key, Contact* contact);

    QSqlDatabase m_db;
    QString m_connectionName;
    CConsole* m_console;
    std::unique_ptr<QSqlQuery> m_lookup;
};

#endif // CDATABASE_H
