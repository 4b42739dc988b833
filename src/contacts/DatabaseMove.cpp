#include "DatabaseMove.h"

#include "ContactExchange.h"
#include "DatabaseSchema.h"
#include "LogCategories.h"
#include "SqlDialect.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

namespace {

// A call as both sides know it: its number and its start.
QString callKey(const QVariant& number, const QVariant& start)
{
    return number.toString() + QChar(0x1f) + start.toString();
}

QString text(const QVariant& value)
{
    return value.isNull() ? QLatin1String("") : value.toString();
}

} // namespace

DatabaseMove::DatabaseMove(const ConnectionRecipe& from, const ConnectionRecipe& to, const QString& studio,
    const QString& defaultStudio, QObject* parent)
    : QObject(parent)
    , m_from(from)
    , m_to(to)
    , m_studio(studio)
    , m_defaultStudio(defaultStudio)
{
}

DatabaseMove::~DatabaseMove()
{
    if (m_thread)
        m_thread->wait();
}

void DatabaseMove::start()
{
    m_thread = QThread::create([this] { m_report = run(); });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, &DatabaseMove::finished);
    m_thread->start();
}

DatabaseMove::Report DatabaseMove::run()
{
    m_report = Report();
    const QString name = QStringLiteral("move-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase from = m_from.add(name + QStringLiteral("-from"), true);
        QSqlDatabase to = m_to.add(name + QStringLiteral("-to"), false);
        if (!from.open() || !to.open()) {
            m_report.error = (from.isOpen() ? to : from).lastError().text();
        } else if (!DatabaseSchema::upgrade(to, &m_report.error)) {
            // The reason is the schema's.
        } else if (!to.transaction()) {
            m_report.error = to.lastError().text();
        } else if (!copyContacts(from, to) || !copyCalls(from, to) || !to.commit()) {
            if (m_report.error.isEmpty())
                m_report.error = to.lastError().text();
            to.rollback();
        } else {
            m_report.ok = true;
        }
        from.close();
        to.close();
    }
    QSqlDatabase::removeDatabase(name + QStringLiteral("-from"));
    QSqlDatabase::removeDatabase(name + QStringLiteral("-to"));
    if (!m_report.ok)
        m_report.contactsAdded = m_report.contactsKnown = m_report.callsAdded = m_report.callsKnown = 0;
    qCInfo(lcContacts) << "moved" << m_report.contactsAdded << "contacts and" << m_report.callsAdded << "calls"
                       << (m_report.ok ? QString() : m_report.error);
    return m_report;
}

bool DatabaseMove::copyContacts(QSqlDatabase from, QSqlDatabase to)
{
    QVector<ContactRecord> contacts;
    QSqlQuery read(from);
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT first_name, last_name, phone_number, info FROM contacts ORDER BY id"))) {
        m_report.error = read.lastError().text();
        return false;
    }
    while (read.next())
        contacts.append({ read.value(0).toString(), read.value(1).toString(), read.value(2).toString(),
            read.value(3).toString(), contacts.size() + 1 });
    ContactExchange::ImportResult result;
    if (!ContactExchange::addWithin(to, contacts, &result)) {
        m_report.error = result.error;
        return false;
    }
    m_report.contactsAdded = result.added;
    m_report.contactsKnown = result.duplicates.size();
    return true;
}

bool DatabaseMove::copyCalls(QSqlDatabase from, QSqlDatabase to)
{
    QSet<QString> known;
    QSqlQuery held(to);
    if (!held.exec(QStringLiteral("SELECT phone_number, time_date FROM call_register"))) {
        m_report.error = held.lastError().text();
        return false;
    }
    while (held.next())
        known.insert(callKey(held.value(0), held.value(1)));
    QSqlQuery read(from);
    read.setForwardOnly(true);
    // Calls still going on are their program's to finish.
    read.prepare(QStringLiteral(
        "SELECT c.phone_number, c.call_type, c.duration, c.time_date, "
        "EXISTS (SELECT 1 FROM call_declined WHERE call_id = c.id), n.caller_name, n.place, n.topic, "
        "n.ready_for_air, COALESCE(s.studio, '') FROM call_register AS c "
        "LEFT JOIN call_notes AS n ON n.call_id = c.id LEFT JOIN call_studio AS s ON s.call_id = c.id "
        "WHERE c.id NOT IN (SELECT call_id FROM call_register_open) AND (? = '' OR s.studio = ?) ORDER BY c.id"));
    const QString studio = m_studio.isNull() ? QLatin1String("") : m_studio;
    read.addBindValue(studio);
    read.addBindValue(studio);
    if (!read.exec()) {
        m_report.error = read.lastError().text();
        return false;
    }
    while (read.next()) {
        if (known.contains(callKey(read.value(0), read.value(3)))) {
            ++m_report.callsKnown;
            continue;
        }
        if (!copyCall(to, read))
            return false;
        known.insert(callKey(read.value(0), read.value(3)));
        ++m_report.callsAdded;
    }
    return true;
}

bool DatabaseMove::copyCall(QSqlDatabase to, const QSqlQuery& call)
{
    const SqlDialect dialect = SqlDialect::of(to);
    QSqlQuery row(to);
    row.prepare(QStringLiteral("INSERT INTO call_register (phone_number, call_type, duration, time_date) "
                               "VALUES (?, ?, ?, ?)")
        + dialect.returningKey());
    for (int column = 0; column < 4; ++column)
        row.addBindValue(column == 0 || column == 3 ? QVariant(text(call.value(column))) : call.value(column));
    const qint64 id = row.exec() ? dialect.insertedKey(row) : -1;
    const QString studio = call.value(9).toString().isEmpty() ? m_defaultStudio : call.value(9).toString();
    QSqlQuery more(to);
    const auto write = [&](const QString& sql, const QVariantList& values) {
        more.prepare(sql);
        for (const QVariant& value : values)
            more.addBindValue(value);
        return more.exec();
    };
    const bool ok = id >= 0
        && write(QStringLiteral("INSERT INTO call_studio (call_id, studio) VALUES (?, ?)"), { id, studio })
        && (!call.value(4).toBool() || write(QStringLiteral("INSERT INTO call_declined (call_id) VALUES (?)"), { id }))
        && (call.value(5).isNull()
            || write(QStringLiteral("INSERT INTO call_notes (call_id, caller_name, place, topic, ready_for_air) "
                                    "VALUES (?, ?, ?, ?, ?)"),
                { id, text(call.value(5)), text(call.value(6)), text(call.value(7)), call.value(8).toInt() }));
    if (!ok)
        m_report.error = (id < 0 ? row : more).lastError().text();
    return ok;
}
