#ifndef SQLDIALECT_H
#define SQLDIALECT_H

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

class QSqlQuery;

// The words of SQL that differ between the engines the phonebook and the history are kept in:
// the SQLite file of one computer, and PostgreSQL as a station's shared server. Statements are
// built from these pieces, so that one schema and one set of statements serve both.
class SqlDialect
{
public:
    enum Engine { SQLite, PostgreSQL };

    explicit SqlDialect(Engine engine = SQLite)
        : m_engine(engine)
    {
    }
    // The dialect of a connection, by its Qt driver (QPSQL for PostgreSQL, anything else SQLite).
    static SqlDialect of(const QSqlDatabase& database);

    Engine engine() const { return m_engine; }

    // The column type of a table's own key that numbers new rows by itself, never reusing one.
    QString serialKey() const;
    // The last n characters of expression.
    QString lastCharacters(const QString& expression, int n) const;
    // expression with every one of characters removed from both ends.
    QString trimmed(const QString& expression, const QString& characters) const;
    // A condition that holds for a value of column the engine may store other than as plain text
    // (SQLite keeps any type in any column, and NULs inside text); empty where the column's type
    // rules that out.
    QString notPlainText(const QString& column) const;
    // Inserts values into columns of table, doing nothing when a row with the same key is there.
    QString insertOrIgnore(const QString& table, const QString& columns, const QString& values) const;
    // Inserts values into columns of table, or replaces the row with the same key (the first column).
    QString insertOrReplace(const QString& table, const QStringList& columns, const QString& values) const;

    // Begins a transaction that writes: SQLite takes the file's write lock at once, so that a file
    // another program holds refuses it before anything is done.
    QString beginWrite() const;
    // What an INSERT adds to hand back the key of its new row, read by insertedKey().
    QString returningKey() const;
    // The key of the row an INSERT ending in returningKey() added; -1 when there is none.
    qint64 insertedKey(QSqlQuery& inserted) const;
    // A case-blind match of field against a LIKE pattern whose escape character is the backslash.
    QString likeAnyCase(const QString& field, const QString& pattern) const;

    // What kept a statement from running, told by its error.
    enum Trouble {
        NoTrouble,
        Busy, // another program holds what it needs for a moment: it may be tried again
        Full, // the disk is full: it may be tried again once there is room
        Unreachable, // the connection to the server is lost
        Refused, // anything else: the statement itself, or a right missing
    };
    Trouble trouble(const QSqlError& error) const;

    // The schema's version: where it is kept, how it is read and written, and how an upgrade
    // keeps other programs out until it is done.
    // A query whose one value says whether the version is kept yet (a new server has no table).
    QString versionKept() const;
    QString readVersion() const;
    QString writeVersion(int version) const;
    QStringList beginUpgrade() const;

private:
    Engine m_engine;
};

#endif // SQLDIALECT_H
