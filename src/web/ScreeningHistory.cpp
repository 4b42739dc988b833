#include "ScreeningHistory.h"

#include "LogCategories.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

ScreeningHistory::ScreeningHistory(const QString& fileName, QObject* parent)
    : ScreeningHistory(ConnectionRecipe::file(fileName), parent)
{
}

ScreeningHistory::ScreeningHistory(const ConnectionRecipe& database, QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_connection(QStringLiteral("screening-history-%1").arg(reinterpret_cast<quintptr>(this)))
{
}

ScreeningHistory::~ScreeningHistory()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool ScreeningHistory::open()
{
    // Made on first use, on the thread the object lives on: a connection is used only on the
    // thread that made it.
    if (!QSqlDatabase::contains(m_connection))
        m_database.add(m_connection, true);
    QSqlDatabase database = QSqlDatabase::database(m_connection, false);
    return database.isOpen() || database.open();
}

void ScreeningHistory::lookUp(const QString& number)
{
    int count = 0;
    QString last;
    if (!number.isEmpty() && open()) {
        // The call going on already has its row, listed as open until it ends.
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.prepare(QStringLiteral("SELECT COUNT(*), MAX(time_date) FROM call_register WHERE phone_number = ? "
                                     "AND id NOT IN (SELECT call_id FROM call_register_open)"));
        query.addBindValue(number);
        if (query.exec() && query.next()) {
            count = query.value(0).toInt();
            last = query.value(1).toString();
        } else {
            qCWarning(lcApp).noquote() << "screening page: history not read:" << query.lastError().text();
        }
    }
    emit found(number, count, last);
}
