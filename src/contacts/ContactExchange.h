#ifndef CONTACTEXCHANGE_H
#define CONTACTEXCHANGE_H

#include "ContactRecord.h"

#include <QCoreApplication>
#include <QSet>
#include <QVector>

class CDatabase;

// Moves the phonebook's contacts to and from files: CSV and vCard 3.0, in UTF-8.
//
// An import is all or nothing. The whole file is read first, and the first bad record stops it
// with its line and fault, among them a contact without a number that can be dialled; then
// every contact goes in within one transaction. A contact whose number has the key of one in
// the phonebook, or of an earlier one in the file, is not added but reported.
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
    // The text of a UTF-8 file, with or without a byte order mark. Fails, saying on which line,
    // at the first byte that is not UTF-8.
    static bool decode(const QByteArray& data, QString* text, QString* error);

    // Every contact, in the order they were added.
    QVector<ContactRecord> contacts() const;
    QByteArray exportData(Format format) const;
    // Writes the file whole or not at all (the previous file stays on failure).
    bool exportFile(const QString& fileName, Format format, int* count, QString* error) const;

    // FORMAT_UNKNOWN guesses the format from the content.
    ImportResult importData(const QByteArray& data, Format format);
    ImportResult importFile(const QString& fileName, Format format);

private:
    // False, with the line of the first, when a contact has no number that can be dialled.
    static bool checkNumbers(const QVector<ContactRecord>& records, Format format, QString* error);
    // The number keys of the phonebook's contacts.
    QSet<QString> knownKeys() const;
    // Adds the contacts in one transaction, all or none, leaving out the duplicates.
    void store(const QVector<ContactRecord>& records, ImportResult* result);

    CDatabase* m_database;
};

#endif // CONTACTEXCHANGE_H
