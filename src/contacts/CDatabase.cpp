#include "CDatabase.h"

#include "ConsoleLog.h"
#include "ContactsTable.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QStandardPaths>

namespace {

const char* const databaseFileName = "parlona.db";

// Whether SQLite compares this key exactly as Qt does: no NUL, no UTF-16 surrogate and no
// replacement character, which is what a stray byte sequence in stored text is read back as.
bool sqliteKeysAlike(const QString& key)
{
    for (const QChar c : key) {
        if (c.isNull() || c.isSurrogate() || c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

} // namespace

CDatabase::CDatabase(QObject* parent)
    : CDatabase(QCoreApplication::applicationDirPath(), nullptr, parent)
{
}

CDatabase::CDatabase(const QString& directory, CConsole* console, QObject* parent)
    : QObject(parent)
    , m_connectionName(QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection))
              ? QStringLiteral("parlona-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)
              : QLatin1String(QSqlDatabase::defaultConnection))
    , m_console(console)
{
    const QString path = locate(directory);
    qDebug().noquote() << "Database file:" << QDir::toNativeSeparators(path);
    QString reason;
    if (!open(path, &reason)) {
        qDebug().noquote() << "Database not opened:" << reason;
        ConsoleLog::error(m_console,
            tr("Cannot open the database %1 (%2): contacts and calls are not saved")
                .arg(QDir::toNativeSeparators(path), reason));
        m_db.close();
    }
}

CDatabase::~CDatabase()
{
    m_lookup.reset();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString CDatabase::locate(const QString& directory)
{
    const QString inDirectory = QDir(directory).filePath(QLatin1String(databaseFileName));
    const QFileInfo directoryInfo(directory);
    if (QFileInfo::exists(inDirectory) || (directoryInfo.isDir() && directoryInfo.isWritable()))
        return inDirectory;

    // Installed where the user may not write: keep the data with the user's own files.
    const QString dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataDirectory.isEmpty())
        return inDirectory;
    QDir().mkpath(dataDirectory);
    return QDir(dataDirectory).filePath(QLatin1String(databaseFileName));
}

bool CDatabase::open(const QString& path, QString* reason)
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(path);
    if (!m_db.open()) {
        *reason = m_db.lastError().text();
        return false;
    }
    // SQLite opens any file; reading its schema tells whether it is a database at all.
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        *reason = probe.lastError().text();
        return false;
    }
    return true;
}

QSqlQuery CDatabase::query(const QString& sql)
{
    return query(sql, QVariantList());
}

QSqlQuery CDatabase::query(const QString& sql, const QVariantList& values)
{
    if (!m_db.isOpen())
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
    if (!ok) {
        qDebug() << result.lastError();
        return QSqlQuery();
    }
    return result;
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
    return m_db.databaseName();
}

QString CDatabase::numberKey(const QString& number)
{
    return number.right(NumberKeyLength);
}

QString CDatabase::findContactName(QString number)
{
    return matchContact(number).name;
}

int CDatabase::findContactId(QString number)
{
    qDebug() << "findContactId" << number;
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
    const QString key = numberKey(number);

    if (!sqliteKeysAlike(key)) {
        QSqlQuery all(m_db);
        all.setForwardOnly(true);
        return all.exec(QLatin1String(ContactsTable::selectAll())) && firstMatch(all, key, contact);
    }

    if (!m_lookup && !prepareLookup())
        return false;
    m_lookup->bindValue(0, key);
    if (!m_lookup->exec()) {
        // Prepared again, with its indexes, at the next lookup.
        m_lookup.reset();
        return false;
    }
    return firstMatch(*m_lookup, key, contact);
}

bool CDatabase::prepareLookup()
{
    // A table made without its indexes (by an older version, say) gets them now. Without them
    // (a read-only file) the statement still works, only slower.
    ContactsTable::createIndexes(this);
    auto lookup = std::make_unique<QSqlQuery>(m_db);
    lookup->setForwardOnly(true);
    if (!lookup->prepare(QLatin1String(ContactsTable::selectByKey())))
        return false;
    m_lookup = std::move(lookup);
    return true;
}

bool CDatabase::firstMatch(QSqlQuery& rows, const QString& key, Contact* contact)
{
    bool found = false;
    while (rows.next()) {
        if (numberKey(rows.value(3).toString()) == key) {
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
