#ifndef CONTACTCSV_H
#define CONTACTCSV_H

#include "ContactRecord.h"

#include <QCoreApplication>
#include <QVector>

// Contacts as comma-separated values (RFC 4180): a header row naming the phonebook's columns
// (first_name,last_name,phone_number,info), then one record per contact. Fields holding a comma,
// a quote or a line break are quoted, with quotes doubled; records end in CRLF.
//
// Reading accepts LF as well as CRLF, blank lines, and the header's columns in any order (info
// may be left out). It works on decoded text; the file's encoding is its caller's business.
class ContactCsv
{
    Q_DECLARE_TR_FUNCTIONS(ContactCsv)

public:
    static QString write(const QVector<ContactRecord>& contacts);
    // One field, in double quotes (doubled inside) when it holds a comma, a quote or a line break.
    static QString field(const QString& text);
    // All records of the text, each with the line it begins on. On the first fault returns false
    // and says in *error on which line and what is wrong; *contacts is then incomplete.
    static bool read(const QString& text, QVector<ContactRecord>* contacts, QString* error);
};

#endif // CONTACTCSV_H
