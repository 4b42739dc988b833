#include "CDatabase.h"

#include "ConnectionRecipe.h"
#include "ConsoleLog.h"
#include "ContactsTable.h"
#include "DatabaseBackup.h"
#include "DatabaseLocation.h"
#include "DatabaseServer.h"
#include "DatabaseSchema.h"
#include "LogCategories.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QSysInfo>
#include <QSqlError>
#include <QSqlDriver>
#include <QSqlRecord>
#include <QThread>
#include <QTimer>

#include <utility>

CDatabase::CDatabase(QObject* parent)
    : CDatabase(QCoreApplication::applicationDirPath(), nullptr, parent)
{
}

CDatabase::CDatabase(const QString& directory, CConsole* console, QObject* parent)
    : QObject(parent)
    , m_connectionName(connectionNameFor())
    , m_console(console)
{
    const QString path = DatabaseLocation().path(directory);
    qCDebug(lcContacts).noquote() << "Database file:" << QDir::toNativeSeparators(path);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(OpeningBusyTimeoutMs));
    QString reason;
    Health health = open(&reason);
    if (health == Health::Damaged)
        health = keepAside(path, reason, &reason);
    if (health != Health::Sound) {
        m_db.close();
        report(tr("Cannot open the database %1 (%2): contacts and calls are not saved")
                   .arg(QDir::toNativeSeparators(path), reason));
    } else if (!backUpBeforeUpgrade(path) || !DatabaseSchema::upgrade(m_db, &reason) || !writable(&reason)) {
        // Still read: the phonebook and the history show what the file holds.
        report(tr("The database %1 cannot be written (%2): contacts and calls are not saved")
                   .arg(QDir::toNativeSeparators(path), reason));
    }
    if (m_db.isOpen())
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(BusyTimeoutMs));
}

CDatabase::CDatabase(const DatabaseServer& server, CConsole* console, QObject* parent)
    : QObject(parent)
    , m_connectionName(connectionNameFor())
    , m_console(console)
    , m_dialect(SqlDialect::PostgreSQL)
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    m_db.setHostName(server.host);
    m_db.setPort(server.port);
    m_db.setDatabaseName(server.database);
    m_db.setUserName(server.user);
    m_db.setPassword(server.password);
    m_db.setConnectOptions(server.connectOptions());
    const QString where = fileName();
    qCDebug(lcContacts).noquote() << "Database server:" << where;
    const bool opened = m_db.open();
    QString reason = opened ? QString() : m_db.lastError().text();
    const bool upgraded = opened && DatabaseSchema::upgrade(m_db, &reason) && writable(&reason);
    reportOpening(opened, upgraded, where, reason);
    if (opened)
        listenForChanges();
    // A studio that writes nothing for a while still learns that the server went and came back,
    // and hears of the others' changes again.
    m_watch = new QTimer(this);
    m_watch->setObjectName(QStringLiteral("serverWatchTimer"));
    connect(m_watch, &QTimer::timeout, this, [this] { serverAnswers(); });
    m_watch->start(m_reconnectIntervalMs);
}

void CDatabase::setReconnectInterval(int ms)
{
    m_reconnectIntervalMs = ms;
    if (m_watch)
        m_watch->setInterval(ms);
}

bool CDatabase::connectionLost(const QSqlError& error)
{
    // A connection the server dropped (stopped, restarted) fails with a message and no state: the
    // server is asked whether it is there at all. A transaction that failed refuses everything but
    // its end, and says so (25P02).
    if (!error.nativeErrorCode().isEmpty())
        return false;
    QSqlQuery ping(m_db);
    return !ping.exec(QStringLiteral("SELECT 1"))
        && ping.lastError().nativeErrorCode() != QLatin1String("25P02");
}

void CDatabase::tryToReconnect()
{
    if (m_probing || (m_sinceProbe.isValid() && !m_sinceProbe.hasExpired(m_reconnectIntervalMs)))
        return;
    m_probing = true;
    m_sinceProbe.start();
    const ConnectionRecipe recipe(m_db);
    const QPointer<CDatabase> self(this);
    QThread* probe = QThread::create([recipe, self] {
        const QString name = QStringLiteral("parlona-probe-%1").arg(quintptr(QThread::currentThreadId()), 0, 16);
        bool reached = false;
        {
            QSqlDatabase server = recipe.add(name, true);
            reached = server.open();
            server.close();
        }
        QSqlDatabase::removeDatabase(name);
        // The database waits for this thread before it goes: it is there to be told.
        QMetaObject::invokeMethod(self.data(), [self, reached] {
            if (!self)
                return;
            self->m_probing = false;
            qCDebug(lcContacts) << "the station database" << (reached ? "answers again" : "still cannot be reached");
            if (reached)
                self->reconnect();
        });
    });
    probe->setParent(this);
    m_probe = probe;
    connect(probe, &QThread::finished, probe, &QObject::deleteLater);
    probe->start();
}

void CDatabase::reconnect()
{
    // The server answered a moment ago: signing in again on this thread is quick.
    m_lookup.reset();
    m_db.close();
    QString reason;
    if (!m_db.open() || !DatabaseSchema::upgrade(m_db, &reason)) {
        qCWarning(lcContacts).noquote() << "the station database answers, but not to us:" << m_db.lastError().text() << reason;
        return;
    }
    listenForChanges();
    m_unreachable = false;
    reportRecovery(tr("The station database %1 can be reached again").arg(fileName()));
    emit reconnected();
}

void CDatabase::listenForChanges()
{
    QSqlDriver* driver = m_db.driver();
    if (!driver->subscribeToNotification(QStringLiteral("parlona_changes"))) {
        qCWarning(lcContacts).noquote() << "no word of other studios' changes:" << driver->lastError().text();
        return;
    }
    // The driver stays the same when the connection is made again.
    if (std::exchange(m_listening, true))
        return;
    connect(driver, QOverload<const QString&, QSqlDriver::NotificationSource, const QVariant&>::of(&QSqlDriver::notification),
        this, [this](const QString& name, QSqlDriver::NotificationSource source, const QVariant& payload) {
            onNotification(name, source, payload);
        });
}

void CDatabase::onNotification(const QString& name, int source, const QVariant& payload)
{
    // This program's own changes are on its pages already.
    if (name != QLatin1String("parlona_changes") || source == QSqlDriver::SelfSource)
        return;
    const bool first = !m_contactsChanged && !m_callsChanged;
    if (payload.toString() == QLatin1String("contacts"))
        m_contactsChanged = true;
    else
        m_callsChanged = true;
    // An import or a busy minute on the server comes as many words: the pages read once.
    if (first) {
        QTimer::singleShot(100, this, [this] {
            const bool contacts = std::exchange(m_contactsChanged, false);
            const bool calls = std::exchange(m_callsChanged, false);
            if (contacts)
                emit contactsChanged();
            if (calls)
                emit callsChanged();
        });
    }
}

QString CDatabase::connectionNameFor() const
{
    return QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection))
        ? QStringLiteral("parlona-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)
        : QLatin1String(QSqlDatabase::defaultConnection);
}

void CDatabase::reportOpening(bool opened, bool upgraded, const QString& where, const QString& reason)
{
    if (!opened) {
        m_unreachable = true;
        report(tr("Cannot reach the station database %1 (%2): contacts and calls are not saved").arg(where, reason));
    } else if (!upgraded) {
        report(tr("The station database %1 cannot be written (%2): contacts and calls are not saved").arg(where, reason));
    }
}

bool CDatabase::backUpBeforeUpgrade(const QString& path)
{
    // A file of an earlier release is copied as it was before its tables change; a new, empty
    // file has nothing to keep.
    const int version = DatabaseSchema::version(m_db);
    QSqlQuery tables(m_db);
    if (version >= DatabaseSchema::currentVersion() || !tables.exec(QStringLiteral("SELECT 1 FROM sqlite_master"))
        || !tables.next())
        return true;
    tables.finish();
    QString error;
    const QString copy = DatabaseBackup(path, QString(), m_backupFolder).backUp(QStringLiteral("upgrade"), &error);
    if (copy.isEmpty())
        qCWarning(lcContacts).noquote() << "no copy before the upgrade:" << error;
    else
        qCInfo(lcContacts).noquote() << "copied before the upgrade to" << copy;
    return true;
}

bool CDatabase::restore(const QString& copy, QString* kept, QString* error)
{
    if (isServer()) {
        *error = tr("the station database is kept on its server, and backed up there");
        return false;
    }
    if (!DatabaseBackup::check(copy, error))
        return false;
    const QString path = fileName();
    *kept = path + QStringLiteral(".before-restore-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    m_lookup.reset();
    m_db.close();
    const bool moved = moveWithCompanions(path, *kept);
    const bool copied = moved && QFile::copy(copy, path);
    if (!copied) {
        *error = tr("the copy could not take the place of %1").arg(QDir::toNativeSeparators(path));
        if (moved && QFile::exists(*kept))
            QFile::rename(*kept, path);
    }
    QString reason;
    if (open(&reason) != Health::Sound || !DatabaseSchema::upgrade(m_db, &reason)) {
        report(tr("The database %1 cannot be used after the restore (%2)").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    QSqlQuery(m_db).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(BusyTimeoutMs));
    emit reopened();
    return copied;
}

void CDatabase::setBackupFolder(const QString& folder)
{
    m_backupFolder = folder;
}

CDatabase::~CDatabase()
{
    // A probe of a server out of reach gives up within its connect timeout.
    if (m_probe)
        m_probe->wait();
    m_lookup.reset();
    // The file is left as a single file when no other program has it open: a copy of it, or a
    // folder made read-only afterwards, then needs no log beside it. Refused while one has.
    if (m_db.isOpen() && !isServer())
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

CDatabase::Health CDatabase::open(QString* reason)
{
    if (!m_db.open()) {
        *reason = m_db.lastError().text();
        return Health::Unopened;
    }
    // SQLite opens any file; checking it tells whether it is a sound database at all.
    QSqlQuery check(m_db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check"))) {
        *reason = check.lastError().text();
        // Only a file SQLite calls damaged (SQLITE_CORRUPT, SQLITE_NOTADB) is; a locked or
        // unreadable one is left where it is.
        const int code = check.lastError().nativeErrorCode().toInt() & 0xff;
        return code == 11 || code == 26 ? Health::Damaged : Health::Unopened;
    }
    QStringList findings;
    while (check.next())
        findings << check.value(0).toString();
    if (findings != QStringList { QStringLiteral("ok") }) {
        *reason = findings.join(QLatin1String("; "));
        return Health::Damaged;
    }
    check.finish();
    // Two programs on one file (two lines, two units): with the write-ahead log, a reader (a caller
    // looked up) never waits for the other program's writes, and writers only for each other.
    useWriteAheadLog();
    return Health::Sound;
}

void CDatabase::useWriteAheadLog()
{
    // The switch needs the file to itself for a moment, and SQLite does not wait for that: another
    // program opening or writing the file just then is waited out here, at the start.
    QElapsedTimer waited;
    waited.start();
    QString mode;
    QString error;
    do {
        QSqlQuery pragma(m_db);
        if (pragma.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && pragma.next())
            mode = pragma.value(0).toString();
        else
            error = pragma.lastError().text();
        if (mode == QLatin1String("wal") || (pragma.lastError().nativeErrorCode().toInt() & 0xff) != 5) // SQLITE_BUSY
            break;
        QThread::msleep(20);
    } while (waited.elapsed() < OpeningBusyTimeoutMs);
    if (mode != QLatin1String("wal"))
        qCWarning(lcContacts).noquote() << "no write-ahead log:" << (mode.isEmpty() ? error : mode);
}

bool CDatabase::moveWithCompanions(const QString& path, const QString& target)
{
    if (QFile::exists(path) && !QFile::rename(path, target))
        return false;
    // The journal and the log go with the file: left behind, they would be played into another one.
    for (const char* suffix : { "-journal", "-wal", "-shm" }) {
        const QString companion = path + QLatin1String(suffix);
        if (QFile::exists(companion) && !QFile::rename(companion, target + QLatin1String(suffix)))
            return false;
    }
    return true;
}

CDatabase::Health CDatabase::keepAside(const QString& path, const QString& damage, QString* reason)
{
    m_db.close();
    const QString aside = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::exists(path) || !moveWithCompanions(path, aside)) {
        *reason = tr("damaged (%1), and it cannot be moved aside").arg(damage);
        return Health::Unopened;
    }
    report(tr("The database %1 was damaged (%2): it is kept as %3, and a new one is used")
               .arg(QDir::toNativeSeparators(path), damage, QDir::toNativeSeparators(aside)));
    const Health health = open(reason);
    return health == Health::Damaged ? Health::Unopened : health;
}

bool CDatabase::writable(QString* reason)
{
    // Writing the version the database already has changes nothing, and is rolled back all the
    // same. The write lock is asked for first, so that another program writing just then is
    // waited for rather than taken for a file that cannot be written.
    const int version = DatabaseSchema::version(m_db);
    QSqlQuery probe(m_db);
    const bool written = probe.exec(m_dialect.beginWrite()) && probe.exec(m_dialect.writeVersion(version));
    if (!written)
        *reason = probe.lastError().text();
    QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    return written;
}

void CDatabase::report(const QString& message)
{
    qCWarning(lcContacts).noquote() << message;
    m_problem = message;
    ConsoleLog::error(m_console, message);
    emit trouble(message);
}

void CDatabase::reportRecovery(const QString& message)
{
    qCInfo(lcContacts).noquote() << message;
    m_problem.clear();
    ConsoleLog::info(m_console, message);
    emit troubleOver();
}

QSqlQuery CDatabase::query(const QString& sql)
{
    return query(sql, QVariantList());
}

bool CDatabase::serverAnswers()
{
    if (!isServer())
        return true;
    // The server's driver closes a connection it finds broken (a server that stopped tells its
    // clients so), before any statement fails on it.
    if (!m_unreachable && !m_db.isOpen()) {
        m_unreachable = true;
        report(tr("The station database %1 cannot be reached (%2): calls are recorded once it is back")
                   .arg(fileName(), tr("the connection was closed")));
    }
    if (m_unreachable)
        tryToReconnect();
    return !m_unreachable;
}

QSqlQuery CDatabase::query(const QString& sql, const QVariantList& values)
{
    if (!serverAnswers() || !m_db.isOpen())
        return QSqlQuery();

    QSqlQuery result(m_db);
    bool ok;
    if (values.isEmpty()) {
        ok = result.exec(sql);
    } else {
        ok = result.prepare(sql);
        if (ok) {
            for (const QVariant& value : values)
                result.addBindValue(value);
            ok = result.exec();
        }
    }
    SqlDialect::Trouble trouble = ok ? SqlDialect::NoTrouble : m_dialect.trouble(result.lastError());
    if (trouble == SqlDialect::Refused && isServer() && connectionLost(result.lastError()))
        trouble = SqlDialect::Unreachable;
    const bool busy = trouble == SqlDialect::Busy;
    const bool full = trouble == SqlDialect::Full;
    const bool unreachable = trouble == SqlDialect::Unreachable;
    // A lock, a full disk or a lost server is told once while it lasts, not at every statement it
    // holds up.
    if (unreachable && !m_unreachable)
        report(tr("The station database %1 cannot be reached (%2): calls are recorded once it is back")
                   .arg(fileName(), result.lastError().text().trimmed()));
    else if (!ok && !(busy && m_busy) && !(full && m_full) && !unreachable)
        report(tr("The database did not take a statement: %1").arg(result.lastError().text()));
    m_busy = busy;
    m_full = full;
    m_unreachable = unreachable;
    return ok ? result : QSqlQuery();
}

QSqlDatabase CDatabase::database() const
{
    return m_db;
}

bool CDatabase::isOpen() const
{
    return m_db.isOpen();
}

QString CDatabase::fileName() const
{
    if (!isServer())
        return m_db.databaseName();
    return QStringLiteral("%1@%2:%3/%4").arg(m_db.userName(), m_db.hostName()).arg(m_db.port()).arg(m_db.databaseName());
}

bool CDatabase::isServer() const
{
    return m_dialect.engine() == SqlDialect::PostgreSQL;
}

const SqlDialect& CDatabase::dialect() const
{
    return m_dialect;
}

bool CDatabase::isUnreachable() const
{
    return m_unreachable;
}

QString CDatabase::problem() const
{
    return m_problem;
}

bool CDatabase::isBusy() const
{
    return m_busy;
}

bool CDatabase::isFull() const
{
    return m_full;
}

void CDatabase::rollback()
{
    QSqlQuery end(m_db);
    // Fails harmlessly where SQLite has already rolled the transaction back itself.
    end.exec(QStringLiteral("ROLLBACK"));
}

QString CDatabase::numberKey(const QString& number)
{
    return PhoneNumberKey(PhoneNumberKey::homeCountry()).key(number);
}

QString CDatabase::studio() const
{
    return m_studio.isEmpty() ? QSysInfo::machineHostName().left(MaxStudioLength) : m_studio;
}

void CDatabase::setStudio(const QString& name)
{
    m_studio = name.simplified().left(MaxStudioLength);
}

void CDatabase::setHomeCountry(const QString& region)
{
    m_homeCountry = region;
}

QString CDatabase::findContactName(QString number)
{
    return matchContact(number).name;
}

int CDatabase::findContactId(QString number)
{
    qCDebug(lcContacts) << "findContactId" << number;
    return matchContact(number).id;
}

QString CDatabase::knownName(const QString& number)
{
    const ContactMatch match = matchContact(number);
    return match.id != 0 ? match.name : QString();
}

CDatabase::ContactMatch CDatabase::matchContact(const QString& number)
{
    Contact contact;
    if (!findContact(number, &contact))
        return { 0, number };
    return { contact.id, contact.firstName + QLatin1Char(' ') + contact.lastName };
}

bool CDatabase::findContact(const QString& number, Contact* contact)
{
    // A call without a number is a withheld one: it is nobody's, even where a contact was
    // stored without a number.
    if (!m_db.isOpen() || number.isEmpty())
        return false;
    if (!m_lookup && !prepareLookup())
        return false;
    const PhoneNumberKey keys(m_homeCountry);
    const QString key = keys.key(number);
    const QString candidate = PhoneNumberKey::candidateOf(number);
    // Without a digit a number can match none: only digits are compared.
    if (candidate.isEmpty())
        return false;

    m_lookup->bindValue(0, candidate);
    if (!m_lookup->exec()) {
        // Prepared again, with its indexes, at the next lookup.
        m_lookup.reset();
        return false;
    }
    return firstMatch(*m_lookup, key, keys, contact);
}

bool CDatabase::prepareLookup()
{
    if (m_homeCountry.isNull())
        m_homeCountry = PhoneNumberKey::homeCountry();
    auto lookup = std::make_unique<QSqlQuery>(m_db);
    // A server's driver may fetch a forward-only result row by row, which another statement on the
    // connection would cut short; its results are small.
    lookup->setForwardOnly(!isServer());
    if (!lookup->prepare(ContactsTable::selectByKey(m_dialect)))
        return false;
    m_lookup = std::move(lookup);
    return true;
}

bool CDatabase::firstMatch(
    QSqlQuery& rows, const QString& key, const PhoneNumberKey& keys, Contact* contact)
{
    bool found = false;
    while (rows.next()) {
        if (keys.key(rows.value(3).toString()) == key) {
            contact->id = rows.value(0).toInt();
            contact->firstName = rows.value(1).toString();
            contact->lastName = rows.value(2).toString();
            found = true;
            break;
        }
    }
    rows.finish();
    return found;
}
