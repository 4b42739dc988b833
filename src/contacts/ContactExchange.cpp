#include "ContactExchange.h"
#include "LogCategories.h"

#include "CDatabase.h"
#include "CUC20.h"
#include "ContactCsv.h"
#include "ContactText.h"
#include "ContactVCard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

const char* const byteOrderMark = "\xEF\xBB\xBF";

// The columns are NOT NULL: a field left empty is stored as an empty text, never as NULL.
QString notNull(const QString& text)
{
    return text.isNull() ? QLatin1String("") : text;
}

QByteArray encoded(const QVector<ContactRecord>& contacts, ContactExchange::Format format)
{
    return (format == ContactExchange::FORMAT_VCARD ? ContactVCard::write(contacts) : ContactCsv::write(contacts))
        .toUtf8();
}

} // namespace

ContactExchange::ContactExchange(CDatabase* database)
    : m_database(database)
{
}

ContactExchange::Format ContactExchange::formatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return FORMAT_CSV;
    if (suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard"))
        return FORMAT_VCARD;
    return FORMAT_UNKNOWN;
}

ContactExchange::Format ContactExchange::guessFormat(const QByteArray& data)
{
    QByteArray start = data.left(64);
    if (start.startsWith(byteOrderMark))
        start.remove(0, 3);
    return start.trimmed().toUpper().startsWith("BEGIN:VCARD") ? FORMAT_VCARD : FORMAT_CSV;
}

QVector<ContactRecord> ContactExchange::contacts() const
{
    QVector<ContactRecord> contacts;
    if (!m_database->isOpen())
        return contacts;
    QSqlQuery rows(m_database->database());
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT first_name, last_name, phone_number, info FROM contacts ORDER BY id"))) {
        qCWarning(lcContacts) << "contacts not read for the export:" << rows.lastError().text();
        return contacts;
    }
    while (rows.next()) {
        contacts.append(
            { rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(), rows.value(3).toString() });
    }
    return contacts;
}

QByteArray ContactExchange::exportData(Format format) const
{
    return encoded(contacts(), format);
}

bool ContactExchange::exportFile(const QString& fileName, Format format, int* count, QString* error) const
{
    const QVector<ContactRecord> all = contacts();
    const QByteArray data = encoded(all, format);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        *error = tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }
    *count = int(all.size());
    return true;
}

ContactExchange::ImportResult ContactExchange::importFile(const QString& fileName, Format format)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ImportResult result;
        result.error = tr("Cannot read %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
        return result;
    }
    return importData(file.readAll(), format);
}

ContactExchange::ImportResult ContactExchange::importData(const QByteArray& data, Format format)
{
    ImportResult result;
    QVector<ContactRecord> records;
    if (!readContacts(data, format, &records, &result.error))
        return result;
    if (!m_database->isOpen()) {
        result.error = tr("The database is not open.");
        return result;
    }
    store(m_database->database(), records, &result);
    return result;
}

bool ContactExchange::readContacts(
    const QByteArray& data, Format format, QVector<ContactRecord>* records, QString* error, const Progress& progress)
{
    // No text file of contacts holds one; a UTF-16 file or a spreadsheet's own format does.
    const int nul = data.indexOf('\0');
    if (nul >= 0) {
        *error = tr("Line %1: the file holds a NUL byte, so it is not a text file; save it as CSV (UTF-8) or "
                    "as vCard and import that")
                     .arg(data.left(nul).count('\n') + 1);
        return false;
    }
    const QString text = ContactText::decode(data);
    if (format == FORMAT_UNKNOWN)
        format = guessFormat(data);
    const double size = std::max(1, int(text.size()));
    const auto reached = [&progress, size](int position) { return !progress || progress(position / size); };
    const bool read = format == FORMAT_VCARD ? ContactVCard::read(text, records, error, reached)
                                             : ContactCsv::read(text, records, error, reached);
    return read && checkNumbers(*records, format, error);
}

bool ContactExchange::checkNumbers(const QVector<ContactRecord>& records, Format format, QString* error)
{
    for (const ContactRecord& contact : records) {
        if (CUC20::isDialable(contact.phoneNumber))
            continue;
        if (!contact.phoneNumber.trimmed().isEmpty()) {
            *error = tr("Line %1: \"%2\" is not a phone number that can be dialled")
                         .arg(QString::number(contact.line), ContactText::excerpt(contact.phoneNumber));
        } else if (format == FORMAT_VCARD) {
            *error = tr("Line %1: the card has no phone number").arg(contact.line);
        } else {
            *error = tr("Line %1: the contact has no phone number").arg(contact.line);
        }
        return false;
    }
    return true;
}

QSet<QString> ContactExchange::knownKeys(QSqlDatabase database)
{
    QSet<QString> known;
    QSqlQuery numbers(database);
    numbers.setForwardOnly(true);
    if (numbers.exec(QStringLiteral("SELECT phone_number FROM contacts"))) {
        while (numbers.next())
            known.insert(CDatabase::numberKey(numbers.value(0).toString()));
    }
    return known;
}

void ContactExchange::store(
    QSqlDatabase db, const QVector<ContactRecord>& records, ImportResult* result, const Progress& progress)
{
    if (!db.transaction()) {
        result->error = tr("The database cannot take contacts: %1").arg(db.lastError().text());
        return;
    }
    const bool added = addWithin(db, records, result, progress);
    if (!added || !db.commit()) {
        if (added)
            result->error = tr("The database did not keep the contacts: %1").arg(db.lastError().text());
        db.rollback();
        result->added = 0;
        result->duplicates.clear();
        return;
    }
    qCInfo(lcContacts) << "imported" << result->added << "contacts;" << result->duplicates.size()
                       << "duplicates left out";
    result->ok = true;
}

bool ContactExchange::addWithin(
    QSqlDatabase db, const QVector<ContactRecord>& records, ImportResult* result, const Progress& progress)
{
    const QSet<QString> known = knownKeys(db);
    QSqlQuery insert(db);
    if (!insert.prepare(
            QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) VALUES (?, ?, ?, ?)"))) {
        result->error = tr("The database cannot take contacts: %1").arg(insert.lastError().text());
        return false;
    }
    // The file's first contact with each number key, by its line.
    QHash<QString, int> inFile;
    for (int i = 0; i < records.size(); ++i) {
        const ContactRecord& contact = records.at(i);
        if (progress && i % 4096 == 0 && !progress(double(i) / records.size()))
            return false;
        const QString key = CDatabase::numberKey(contact.phoneNumber);
        const auto earlier = inFile.constFind(key);
        if (known.contains(key) || earlier != inFile.constEnd()) {
            result->duplicates.append({ contact, earlier == inFile.constEnd() ? 0 : earlier.value() });
            continue;
        }
        inFile.insert(key, contact.line);
        insert.bindValue(0, notNull(contact.firstName));
        insert.bindValue(1, notNull(contact.lastName));
        insert.bindValue(2, notNull(contact.phoneNumber));
        insert.bindValue(3, notNull(contact.info));
        if (!insert.exec()) {
            result->error = tr("Line %1: the database did not take the contact: %2")
                                .arg(contact.line)
                                .arg(insert.lastError().text());
            return false;
        }
        ++result->added;
    }
    return true;
}
