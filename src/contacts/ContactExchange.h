#ifndef CONTACTEXCHANGE_H
#define CONTACTEXCHANGE_H

#include "ContactRecord.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlDatabase>
#include <QVector>

#include <functional>

class CDatabase;
class QSqlQuery;

// Moves the phonebook's contacts to and from files: CSV and vCard, written in UTF-8 (vCard 3.0)
// and read in UTF-8 or Windows-1252 (vCard 2.1 to 4.0).
//
// An import is all or nothing. The whole file is read first, and the first bad record stops it
// with its line and fault, among them a contact without a number that can be dialled; then
// every contact goes in within one transaction. Reading and storing are apart, so that a file
// can be read on another thread and stored there on a connection of its own (ContactImportJob). A contact whose number
// has the key of one in the phonebook, or of an earlier one in the file, is not added but reported.
class ContactExchange
{
    Q_DECLARE_TR_FUNCTIONS(ContactExchange)

public:
    enum Format { FORMAT_UNKNOWN, FORMAT_CSV, FORMAT_VCARD };

    // A contact of the file that was not added because its number is known already.
    struct Duplicate
    {
        ContactRecord contact;
        // The line of the file's contact with the same number; 0 when the phonebook has it.
        int earlierLine = 0;
    };

    struct ImportResult
    {
        bool ok = false;
        // With ok false: why nothing was imported.
        QString error;
        int added = 0;
        QVector<Duplicate> duplicates;
    };

    explicit ContactExchange(CDatabase* database);

    // By the file name's extension: .csv, or .vcf and .vcard.
    static Format formatOf(const QString& fileName);
    // By the content: a vCard file begins with BEGIN:VCARD, anything else is taken for CSV.
    static Format guessFormat(const QByteArray& data);
    // Called now and then with the share of the file read, from 0 to 1; false stops the reading.
    using Progress = std::function<bool(double done)>;

    // Every contact, in the order they were added.
    QVector<ContactRecord> contacts() const;
    QByteArray exportData(Format format) const;
    // Writes the file whole or not at all (the previous file stays on failure).
    bool exportFile(const QString& fileName, Format format, int* count, QString* error) const;

    // FORMAT_UNKNOWN guesses the format from the content.
    ImportResult importData(const QByteArray& data, Format format);
    ImportResult importFile(const QString& fileName, Format format);

    // The contacts of a file's bytes, checked; no database work, so any thread may call it.
    // FORMAT_UNKNOWN guesses the format from the content. When progress stops it, returns false
    // with *error empty.
    static bool readContacts(const QByteArray& data, Format format, QVector<ContactRecord>* records, QString* error,
        const Progress& progress = {});
    // Adds the contacts through the connection in one transaction, all or none, leaving out the
    // duplicates. When progress stops it, nothing is added and result->error stays empty.
    static void store(QSqlDatabase database, const QVector<ContactRecord>& records, ImportResult* result,
        const Progress& progress = {});
    // The same within a transaction the caller holds, and ends: false, with the reason in
    // result->error (empty when progress stopped it), when the caller should roll it back.
    static bool addWithin(QSqlDatabase database, const QVector<ContactRecord>& records, ImportResult* result,
        const Progress& progress = {});

private:
    // False, with the line of the first, when a contact has no number that can be dialled.
    static bool checkNumbers(const QVector<ContactRecord>& records, Format format, QString* error);
    // The number keys of the phonebook's contacts.
    static QSet<QString> knownKeys(QSqlDatabase database);

    CDatabase* m_database;
};

#endif // CONTACTEXCHANGE_H
