#include "ContactCsv.h"

#include "ContactText.h"

#include <QStringList>

#include <algorithm>

namespace {

const char* const columnNames[] = { "first_name", "last_name", "phone_number", "info" };
const int columnCount = 4;
const int optionalColumn = 3; // info

// Other names of the columns in headers written by spreadsheets and address books, in English
// and Dutch, normalized (lower case, "_" and "-" as blanks). Each stands for one column only.
const char* const otherNames[columnCount][13] = {
    { "first name", "firstname", "given name", "voornaam", nullptr },
    { "last name", "lastname", "surname", "family name", "achternaam", nullptr },
    { "phone number", "phone", "telephone", "telephone number", "mobile", "mobile phone", "mobile number", "telefoon",
        "telefoonnummer", "mobiel", "mobiel nummer", "mobiele telefoon", nullptr },
    { "info", "notes", "note", "opmerkingen", "opmerking", "notities", "notitie", nullptr },
};

// Records between two calls of the progress function.
const int progressEvery = 4096;

const QLatin1String lineEnd("\r\n");

// Where the reading is: the text, its separator and the physical line.
struct Cursor
{
    const QString& text;
    QChar separator;
    int pos = 0;
    int line = 1;
    int lineStart = 0;
};

bool endsField(const Cursor& at, QChar c)
{
    return c == at.separator || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Counts a line break at the cursor inside a quoted field, a CRLF once.
void passLineBreak(Cursor& at)
{
    const QChar c = at.text.at(at.pos);
    if (c == QLatin1Char('\n')
        || (c == QLatin1Char('\r') && (at.pos + 1 == at.text.size() || at.text.at(at.pos + 1) != '\n'))) {
        ++at.line;
        at.lineStart = at.pos + 1;
    }
}

QString tooLong(const Cursor& at)
{
    return ContactCsv::tr("Line %1: the line is longer than %2 characters")
        .arg(at.line)
        .arg(ContactText::MaxLineLength);
}

// A quoted field from its opening quote on; an empty string in *fault when it is whole.
QString quotedField(Cursor& at, int recordLine, int number, QString* fault)
{
    const int size = at.text.size();
    QString value;
    for (++at.pos;; ++at.pos) {
        if (at.pos >= size) {
            *fault = ContactCsv::tr("Line %1: a quoted field is not closed").arg(recordLine);
            return value;
        }
        if (at.pos - at.lineStart >= ContactText::MaxLineLength) {
            *fault = tooLong(at);
            return value;
        }
        const QChar c = at.text.at(at.pos);
        if (c == QLatin1Char('"')) {
            if (at.pos + 1 < size && at.text.at(at.pos + 1) == QLatin1Char('"')) {
                value += c;
                ++at.pos;
                continue;
            }
            ++at.pos;
            break;
        }
        passLineBreak(at);
        value += c;
    }
    if (at.pos < size && !endsField(at, at.text.at(at.pos)))
        *fault = ContactCsv::tr("Line %1: text after the closing quote of field %2").arg(recordLine).arg(number);
    return value;
}

QString plainField(Cursor& at, int recordLine, int number, QString* fault)
{
    const int start = at.pos;
    for (; at.pos < at.text.size() && !endsField(at, at.text.at(at.pos)); ++at.pos) {
        if (at.pos - at.lineStart >= ContactText::MaxLineLength) {
            *fault = tooLong(at);
            break;
        }
        if (at.text.at(at.pos) == QLatin1Char('"')) {
            *fault
                = ContactCsv::tr("Line %1: a quote inside field %2, which is not quoted").arg(recordLine).arg(number);
            break;
        }
    }
    return at.text.mid(start, at.pos - start);
}

// The fields of the record at the cursor, which then stands after its line break. *quoted
// tells whether a field was quoted, so that "" is not taken for a blank line.
bool readRecord(Cursor& at, QStringList* fields, bool* quoted, QString* fault)
{
    const int size = at.text.size();
    const int recordLine = at.line;
    for (;;) {
        const int number = int(fields->size()) + 1;
        const bool isQuoted = at.pos < size && at.text.at(at.pos) == QLatin1Char('"');
        *quoted = *quoted || isQuoted;
        const QString value
            = isQuoted ? quotedField(at, recordLine, number, fault) : plainField(at, recordLine, number, fault);
        if (!fault->isEmpty())
            return false;
        // A formula's mark does not count: an exported field of the longest length comes back.
        if (value.size() > ContactText::MaxFieldLength + (value.startsWith(QLatin1Char('\'')) ? 1 : 0)) {
            *fault = ContactCsv::tr("Line %1: field %2 is longer than %3 characters")
                         .arg(recordLine)
                         .arg(number)
                         .arg(ContactText::MaxFieldLength);
            return false;
        }
        *fields << value;
        if (at.pos < size && at.text.at(at.pos) == at.separator) {
            ++at.pos;
            continue;
        }
        // The record ends with a line or with the text.
        if (at.pos < size && at.text.at(at.pos) == QLatin1Char('\r'))
            ++at.pos;
        if (at.pos < size && at.text.at(at.pos) == QLatin1Char('\n'))
            ++at.pos;
        ++at.line;
        at.lineStart = at.pos;
        return true;
    }
}

QString expectedColumns()
{
    return ContactCsv::tr("the import expects the columns first_name, last_name, phone_number and info (or "
                          "First name, Last name, Phone, Notes; Voornaam, Achternaam, Telefoon, Opmerkingen)");
}

bool isFormulaSign(QChar c)
{
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@');
}

// The number of single quotes the text begins with, when a formula sign follows them; else -1.
int quotesBeforeFormula(const QString& text)
{
    int quotes = 0;
    while (quotes < text.size() && text.at(quotes) == QLatin1Char('\''))
        ++quotes;
    return quotes < text.size() && isFormulaSign(text.at(quotes)) ? quotes : -1;
}

} // namespace

QString ContactCsv::neutralised(const QString& text)
{
    return quotesBeforeFormula(text) >= 0 ? QLatin1Char('\'') + text : text;
}

QString ContactCsv::restored(const QString& text)
{
    return quotesBeforeFormula(text) > 0 ? text.mid(1) : text;
}

QString ContactCsv::field(const QString& text)
{
    const QString value = neutralised(text);
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"'))
        && !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString ContactCsv::write(const QVector<ContactRecord>& contacts)
{
    QStringList header;
    for (const char* name : columnNames)
        header << QLatin1String(name);
    QString text = header.join(QLatin1Char(',')) + lineEnd;
    for (const ContactRecord& contact : contacts) {
        text += field(contact.firstName) + QLatin1Char(',') + field(contact.lastName) + QLatin1Char(',')
            + field(contact.phoneNumber) + QLatin1Char(',') + field(contact.info) + lineEnd;
    }
    return text;
}

QChar ContactCsv::separatorOf(const QString& text)
{
    // The first line that is not blank, as far as the line bound.
    int start = 0;
    while (start < text.size() && (text.at(start) == QLatin1Char('\r') || text.at(start) == QLatin1Char('\n')))
        ++start;
    int commas = 0;
    int semicolons = 0;
    const int end = std::min(int(text.size()), start + ContactText::MaxLineLength);
    for (int i = start; i < end && text.at(i) != QLatin1Char('\r') && text.at(i) != QLatin1Char('\n'); ++i) {
        commas += text.at(i) == QLatin1Char(',') ? 1 : 0;
        semicolons += text.at(i) == QLatin1Char(';') ? 1 : 0;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

int ContactCsv::columnOf(const QString& name)
{
    const QString normalized = QString(name)
                                   .replace(QLatin1Char('_'), QLatin1Char(' '))
                                   .replace(QLatin1Char('-'), QLatin1Char(' '))
                                   .simplified()
                                   .toLower();
    for (int column = 0; column < columnCount; ++column) {
        if (normalized == QString::fromLatin1(columnNames[column]).replace(QLatin1Char('_'), QLatin1Char(' ')))
            return column;
        for (const char* const* other = otherNames[column]; *other != nullptr; ++other) {
            if (normalized == QLatin1String(*other))
                return column;
        }
    }
    return -1;
}

bool ContactCsv::readHeader(const QStringList& fields, int* placeOf, QString* what)
{
    std::fill(placeOf, placeOf + columnCount, -1);
    for (int place = 0; place < fields.size(); ++place) {
        const int column = columnOf(fields.at(place));
        if (column < 0) {
            *what = tr("unknown column \"%1\" in the header; %2")
                        .arg(ContactText::excerpt(fields.at(place)), expectedColumns());
            return false;
        }
        if (placeOf[column] >= 0) {
            *what = tr("the columns \"%1\" and \"%2\" of the header both stand for %3; %4")
                        .arg(ContactText::excerpt(fields.at(placeOf[column])), ContactText::excerpt(fields.at(place)),
                            QLatin1String(columnNames[column]), expectedColumns());
            return false;
        }
        placeOf[column] = place;
    }
    for (int column = 0; column < columnCount; ++column) {
        if (placeOf[column] < 0 && column != optionalColumn) {
            *what = tr("the header lacks column %1; %2").arg(QLatin1String(columnNames[column]), expectedColumns());
            return false;
        }
    }
    return true;
}

bool ContactCsv::read(const QString& text, QVector<ContactRecord>* contacts, QString* error, const Progress& progress)
{
    Cursor at { text, separatorOf(text) };
    int placeOf[columnCount];
    int recordSize = 0;
    while (at.pos < text.size()) {
        const int recordLine = at.line;
        QStringList fields;
        bool quoted = false;
        if (!readRecord(at, &fields, &quoted, error))
            return false;
        if (fields.size() == 1 && fields.first().isEmpty() && !quoted)
            continue; // a blank line
        QString what;
        if (recordSize == 0 && !readHeader(fields, placeOf, &what)) {
            *error = tr("Line %1: %2").arg(recordLine).arg(what);
            return false;
        }
        if (recordSize == 0) {
            recordSize = int(fields.size());
            continue;
        }
        if (fields.size() != recordSize) {
            *error = tr("Line %1: the header has %2 fields, this record %3")
                         .arg(recordLine)
                         .arg(recordSize)
                         .arg(fields.size());
            return false;
        }
        const auto cell
            = [&](int column) { return placeOf[column] < 0 ? QString() : restored(fields.at(placeOf[column])); };
        contacts->append({ cell(0), cell(1), cell(2), cell(3), recordLine });
        if (progress && contacts->size() % progressEvery == 0 && !progress(at.pos)) {
            error->clear();
            return false;
        }
    }
    if (recordSize == 0) {
        *error = tr("Line 1: the header row (first_name,last_name,phone_number,info) is missing");
        return false;
    }
    return true;
}
