#ifndef CALLHISTORYEXPORT_H
#define CALLHISTORYEXPORT_H

#include <QCoreApplication>
#include <QDate>
#include <QHash>
#include <QString>

class CDatabase;
class QIODevice;
class QSqlQuery;

// Writes the call register as a CSV file (RFC 4180, UTF-8, CRLF): a header row, then one row
// per call, oldest first, never folded. The columns are when the call began (ISO 8601 with the
// local UTC offset), the phonebook name of the number (empty when no contact matches), the
// number as stored, incoming or outgoing, answered or missed, and the talk time in whole
// seconds, then the producer's notes: the caller's name, place and topic as noted, and "yes" or
// "no" for ready for air. A call still going on has no outcome yet and is left out. A withheld number leaves
// both name and number empty: the file holds data for other programs, in the same words in
// every language, and an empty number is what says "withheld" there.
class CallHistoryExport
{
    Q_DECLARE_TR_FUNCTIONS(CallHistoryExport)

public:
    explicit CallHistoryExport(CDatabase* database);

    // Only calls that began on these days count, both days included, as local dates. A null
    // day leaves that end open; a first day after the last one leaves no call.
    void setRange(const QDate& firstDay, const QDate& lastDay);

    // Writes the file's text to the device; the number of calls written, or -1 when the register
    // could not be read or the device refused the data (errorString() says which).
    int write(QIODevice* device);
    // Writes the file under a temporary name that takes the file's name only once it is whole,
    // so a failure leaves an earlier file as it was. The number of calls written, or -1.
    int save(const QString& fileName);
    // Why the last write or save failed.
    QString errorString() const;

    // A stored begin time with the offset from UTC that applied then; without an offset for a
    // local time that did not exist (skipped by a clock change), empty when it is no time.
    static QString beganText(const QString& timeDate);

private:
    QString row(const QSqlQuery& call);
    bool inRange(const QString& timeDate) const;
    // The phonebook name of a number, looked up once per number and export.
    QString contactName(const QString& number);

    CDatabase* m_database;
    QDate m_firstDay;
    QDate m_lastDay;
    QHash<QString, QString> m_names;
    QString m_error;
};

#endif // CALLHISTORYEXPORT_H
