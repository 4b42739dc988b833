#ifndef CONTACTCSV_H
#define CONTACTCSV_H

#include "ContactRecord.h"

#include <QCoreApplication>
#include <QVector>

#include <functional>

// Contacts as comma-separated values (RFC 4180): a header row naming the phonebook's columns
// (first_name,last_name,phone_number,info), then one record per contact. Fields holding a comma,
// a quote or a line break are quoted, with quotes doubled; records end in CRLF. A field a
// spreadsheet would run as a formula (one beginning with =, +, - or @) is written with a single
// quote before it, which reading takes off again.
//
// Reading accepts LF as well as CRLF, blank lines, ";" instead of "," between fields (as the
// header line has it), and the header's columns in any order (info may be left out), under
// their own names or common English and Dutch ones. Lines and fields are bounded
// (ContactText). It works on decoded text; the file's encoding is its caller's business.
class ContactCsv
{
    Q_DECLARE_TR_FUNCTIONS(ContactCsv)

public:
    // Called now and then with the position reached in the text; false stops the reading.
    using Progress = std::function<bool(int position)>;

    static QString write(const QVector<ContactRecord>& contacts);
    // One field as written: marked when it looks like a formula, and in double quotes (doubled
    // inside) when it holds a comma, a semicolon, a quote or a line break.
    static QString field(const QString& text);
    // All records of the text, each with the line it begins on. On the first fault returns false
    // and says in *error on which line and what is wrong; *contacts is then incomplete. When
    // progress stops it, returns false with *error empty.
    static bool read(
        const QString& text, QVector<ContactRecord>* contacts, QString* error, const Progress& progress = {});

private:
    // The text with a single quote before it when a spreadsheet would take it for a formula,
    // and the other way round. Text that begins with quotes and then a formula sign gets one
    // more, so that taking one off always gives back what was written.
    static QString neutralised(const QString& text);
    static QString restored(const QString& text);
    // What separates the fields: ';' when the first line has more of them than commas.
    static QChar separatorOf(const QString& text);
    // The column (0-3) a header name stands for, or -1.
    static int columnOf(const QString& name);
    // For each of the contact's columns, its place in a record (-1: left out), from the header.
    static bool readHeader(const QStringList& fields, int* placeOf, QString* what);
};

#endif // CONTACTCSV_H
