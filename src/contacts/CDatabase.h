#ifndef CDATABASE_H
#define CDATABASE_H

#include <QObject>
#include <QPointer>
#include <QThread>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

#include <memory>

#include "PhoneNumberKey.h"
#include "SqlDialect.h"

class CConsole;
class QTimer;
struct DatabaseServer;

// The program's SQLite database "parlona.db": the phonebook (table contacts) and the record of
// calls (table call_register). This class opens the file, checks it, brings its tables up to
// date (DatabaseSchema), runs statements and looks up contacts by phone number. Trouble is told to
// the operator, never swallowed: a damaged file is kept aside and a fresh one used, a file that
// cannot be written is reported when it opens, and every statement that fails is reported.
//
// The file lives in the program's own directory (or the directory given to the constructor)
// or in the user's data folder, as DatabaseLocation decides. The first instance opens Qt's
// default connection, so that code using a default QSqlQuery sees the program's data; a second
// instance alive at the same time gets a connection of its own instead of taking the first one's
// away.
class CDatabase : public QObject
{
    Q_OBJECT

public:
    static constexpr int NumberKeyLength = 9;
    // How long a statement waits for a file another program has locked. Short: everything runs
    // on the GUI thread, and a write that must not be lost is queued and tried again.
    static constexpr int BusyTimeoutMs = 10;
    // The same while the file is opened and checked, before the window shows: a file that another
    // program holds for a moment must not be taken for one that cannot be opened or written.
    static constexpr int OpeningBusyTimeoutMs = 2000;
    // How often a server that cannot be reached is tried again, by a connection of its own on a
    // worker thread: a server gone from the network never holds up the window.
    static constexpr int ReconnectIntervalMs = 2000;

    // The database in the program's own directory.
    explicit CDatabase(QObject* parent = nullptr);
    // The database in the given directory; open failures are reported on the console, if any.
    CDatabase(const QString& directory, CConsole* console, QObject* parent = nullptr);
    // The station's shared database on a PostgreSQL server instead of the file; what cannot be
    // reached or written is reported on the console, as for the file.
    CDatabase(const DatabaseServer& server, CConsole* console, QObject* parent = nullptr);
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
    // The path of the database file in use; for a server, "user@host:port/database".
    QString fileName() const;
    // Whether the data is on a station's server rather than in a file of this computer.
    bool isServer() const;
    // The words of SQL the database in use speaks.
    const SqlDialect& dialect() const;
    // The last trouble the operator was told of (the file cannot be written, was damaged and kept
    // aside, cannot be opened at all, a statement failed); empty while there was none.
    QString problem() const;
    // Whether the last statement run through query() failed because another program holds the
    // file locked; such a statement may be tried again later.
    bool isBusy() const;
    // Whether the last statement run through query() failed because the disk is full; such a
    // statement may be tried again once there is room.
    bool isFull() const;
    // Whether the server cannot be reached: the last statement failed because the connection is
    // lost, or it was not found at the start. Statements fail at once until it is back.
    bool isUnreachable() const;
    // How often a server out of reach is tried again (ReconnectIntervalMs unless set).
    void setReconnectInterval(int ms);
    // Ends a transaction begun with query("BEGIN") that failed, leaving isBusy() as it was.
    void rollback();
    // Tells the operator of trouble with the database: the console, the developers' log and
    // trouble().
    void report(const QString& message);
    // Tells the operator that the trouble is over (writes held back by a lock or a full disk have
    // landed): the console, and troubleOver().
    void reportRecovery(const QString& message);
    // Puts a copy (DatabaseBackup) in the place of the file in use, after checking it: the file
    // in use is kept aside under *kept, never deleted, and everything reads the copy's data from
    // then on (reopened()). False with the reason when the copy is unsound or cannot be put there.
    bool restore(const QString& copy, QString* kept, QString* error);
    // Where the copy made before a schema upgrade goes; the user's data folder by default.
    void setBackupFolder(const QString& folder);

    // The studio this program writes calls for: its name is stored with each call, so that a
    // station's shared history tells whose call it was. The computer's name until it is set.
    QString studio() const;
    void setStudio(const QString& name);
    static constexpr int MaxStudioLength = 64;

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

    // What numbers are compared by, for the home country in the settings: the international
    // form of one that parses, or "d:" and its last nine digits (PhoneNumberKey).
    static QString numberKey(const QString& number);
    // The country national numbers are read for ("NL"), from now on; until it is set, the one in
    // the settings.
    void setHomeCountry(const QString& region);

signals:
    // Fires when the operator is told of trouble with the database: a statement that failed, or
    // a file found unusable when it opened; message is what the console shows.
    void trouble(QString message);
    // Fires when the file has been replaced by a restored copy: whatever shows its data reads again.
    void reopened();
    // Fires when the trouble last told is over and what waited for it has been written.
    void troubleOver();
    // Fire when another program (another studio on the station's server) has changed the
    // phonebook, or the call history; a burst of changes fires once. A file does not tell.
    void contactsChanged();
    void callsChanged();
    // Fires when a server that could not be reached takes statements again.
    void reconnected();

private:
    struct Contact
    {
        int id = 0;
        QString firstName;
        QString lastName;
    };

    enum class Health { Unopened, Damaged, Sound };

    // Opens the file and checks it; on failure tells why it cannot be used.
    Health open(QString* reason);
    // Moves a damaged file (and its journal) aside under a name with the time, never deleting it,
    // and opens a fresh file in its place.
    Health keepAside(const QString& path, const QString& damage, QString* reason);
    // A connection name of its own for a second instance; Qt's default one for the first.
    QString connectionNameFor() const;
    // Whether statements may go to the server: false while it cannot be reached, and a lost
    // connection found out here is told.
    bool serverAnswers();
    // Tries, now and then, whether the lost server answers again; signs in again once it does.
    void tryToReconnect();
    void reconnect();
    // Whether a statement that failed on the server failed because the connection is lost.
    bool connectionLost(const QSqlError& error);
    // Listens for the server's word of changes made by others (DatabaseSchema's triggers).
    void listenForChanges();
    void onNotification(const QString& name, int source, const QVariant& payload);
    // Tells what kept the database from being used at the start, if anything.
    void reportOpening(bool opened, bool upgraded, const QString& where, const QString& reason);
    // Whether the file takes a write, found by one that is rolled back.
    bool writable(QString* reason);
    // Puts the file into SQLite's write-ahead log while it is open, when the folder allows it.
    void useWriteAheadLog();
    // Renames the file at path to target, and SQLite's journal and log files beside it with it.
    static bool moveWithCompanions(const QString& path, const QString& target);
    // Copies a file of an earlier schema before it is upgraded; never stops the upgrade.
    bool backUpBeforeUpgrade(const QString& path);
    bool findContact(const QString& number, Contact* contact);
    bool prepareLookup();
    bool firstMatch(QSqlQuery& rows, const QString& key, const PhoneNumberKey& keys, Contact* contact);

    QSqlDatabase m_db;
    QString m_connectionName;
    CConsole* m_console;
    QString m_problem;
    bool m_busy = false;
    bool m_full = false;
    bool m_unreachable = false;
    SqlDialect m_dialect;
    QPointer<QThread> m_probe; // the probe under way, if any
    bool m_probing = false;
    bool m_listening = false;
    QElapsedTimer m_sinceProbe;
    int m_reconnectIntervalMs = ReconnectIntervalMs;
    QTimer* m_watch = nullptr; // asks a server now and then whether it is still there
    bool m_contactsChanged = false;
    bool m_callsChanged = false;
    std::unique_ptr<QSqlQuery> m_lookup;
    QString m_backupFolder;
    QString m_studio;
    QString m_homeCountry; // empty until the first lookup or setHomeCountry()
};

#endif // CDATABASE_H
