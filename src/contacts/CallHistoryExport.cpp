#include "CallHistoryExport.h"
#include "LogCategories.h"

#include "CDatabase.h"
#include "CallRegisterTable.h"
#include "ContactCsv.h"

#include <QDateTime>
#include <QLocale>
#include <QSaveFile>
#include <QSqlQuery>

#include <cstdlib>

namespace {

const char* const header
    = "began,name,number,direction,result,talk_seconds,noted_name,noted_place,noted_topic,ready_for_air,studio";
const char* const lineEnd = "\r\n";

// A stored begin time as a local date and time. A time the clock skipped is not a valid
// QDateTime, but its date and time are still what the clock showed.
QDateTime parsedTime(const QString& timeDate)
{
    const QDateTime when = QDateTime::fromString(timeDate, Qt::ISODate);
    return when.isValid() ? when.toLocalTime() : when;
}

QString offsetText(int seconds)
{
    const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int minutes = std::abs(seconds) / 60;
    return sign
        + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

CallHistoryExport::CallHistoryExport(CDatabase* database)
    : m_database(database)
{
}

void CallHistoryExport::setRange(const QDate& firstDay, const QDate& lastDay)
{
    m_firstDay = firstDay;
    m_lastDay = lastDay;
}

QString CallHistoryExport::errorString() const
{
    return m_error;
}

int CallHistoryExport::write(QIODevice* device)
{
    m_error.clear();
    m_names.clear();
    QSqlQuery calls = CallRegisterTable::finished(m_database);
    if (!calls.isActive()) {
        m_error = tr("The call history could not be read from the database.");
        return -1;
    }
    QByteArray text = QByteArray(header) + lineEnd;
    int count = 0;
    bool written = true;
    while (written && calls.next()) {
        if (!inRange(calls.value(CallRegisterTable::TimeDate).toString()))
            continue;
        text += row(calls).toUtf8() + lineEnd;
        ++count;
        // Written in pieces, so a long register never sits in memory whole.
        if (text.size() >= 64 * 1024) {
            written = device->write(text) == text.size();
            text.clear();
        }
    }
    if (written && !text.isEmpty())
        written = device->write(text) == text.size();
    if (written)
        return count;
    m_error = device->errorString();
    return -1;
}

QString CallHistoryExport::row(const QSqlQuery& call)
{
    const QString number = call.value(CallRegisterTable::PhoneNumber).toString();
    const int type = call.value(CallRegisterTable::CallType).toInt();
    const qint64 talkedMs = call.value(CallRegisterTable::Duration).toLongLong();

    QString direction;
    QString result;
    if (type == CallRegisterTable::Incoming || type == CallRegisterTable::Missed
        || type == CallRegisterTable::Outgoing) {
        direction = type == CallRegisterTable::Outgoing ? QStringLiteral("outgoing") : QStringLiteral("incoming");
        result = CallRegisterTable::answered(type, talkedMs) ? QStringLiteral("answered")
            : call.value(CallRegisterTable::Declined).toBool() ? QStringLiteral("declined")
                                                                : QStringLiteral("missed");
    }
    const QString seconds = talkedMs >= 0 ? QString::number(talkedMs / 1000) : QString();
    const CallNote note = CallRegisterTable::note(call);
    return QStringList { ContactCsv::field(beganText(call.value(CallRegisterTable::TimeDate).toString())),
        ContactCsv::field(contactName(number)), ContactCsv::field(number), direction, result, seconds,
        ContactCsv::field(note.callerName), ContactCsv::field(note.place), ContactCsv::field(note.topic),
        note.readyForAir ? QStringLiteral("yes") : QStringLiteral("no"),
        ContactCsv::field(call.value(CallRegisterTable::Studio).toString()) }
        .join(QLatin1Char(','));
}

bool CallHistoryExport::inRange(const QString& timeDate) const
{
    if (!m_firstDay.isValid() && !m_lastDay.isValid())
        return true;
    const QDate day = parsedTime(timeDate).date();
    return day.isValid() && (!m_firstDay.isValid() || day >= m_firstDay) && (!m_lastDay.isValid() || day <= m_lastDay);
}

QString CallHistoryExport::contactName(const QString& number)
{
    auto known = m_names.constFind(number);
    if (known == m_names.constEnd())
        known = m_names.insert(number, m_database->knownName(number));
    return *known;
}

int CallHistoryExport::save(const QString& fileName)
{
    QSaveFile file(fileName);
    int count = -1;
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
    } else {
        count = write(&file);
        if (count >= 0 && !file.commit()) {
            m_error = file.errorString();
            count = -1;
        }
    }
    if (count < 0) {
        if (m_error.isEmpty())
            m_error = tr("The file could not be written.");
        qCWarning(lcContacts) << "the call history export to" << fileName << "failed:" << m_error;
    }
    return count;
}

QString CallHistoryExport::beganText(const QString& timeDate)
{
    const QDateTime when = parsedTime(timeDate);
    if (!when.date().isValid() || !when.time().isValid())
        return QString();
    const QString wallClock = QLocale::c().toString(when.date(), QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
        + QLocale::c().toString(when.time(), QStringLiteral("HH:mm:ss"));
    return when.isValid() ? wallClock + offsetText(when.offsetFromUtc()) : wallClock;
}
