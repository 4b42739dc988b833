#include "ContactCsv.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

namespace {

const char* const columnNames[] = { "first_name", "last_name", "phone_number", "info" };
const int columnCount = 4;
const int optionalColumn = 3; // info

const QLatin1String lineEnd("\r\n");

bool endsField(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

} // namespace

QString ContactCsv::field(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\r'))
        && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
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

bool ContactCsv::read(const QString& text, QVector<ContactRecord>* contacts, QString* error)
{
    const auto fail = [error](int line, const QString& what) {
        *error = tr("Line %1: %2").arg(line).arg(what);
        return false;
    };
    const int size = text.size();
    int pos = 0;
    int line = 1;
    // For each of the contact's fields, its place in a record; -1 for an optional one left out.
    int placeOf[columnCount];
    int recordSize = 0;

    while (pos < size) {
        const int recordLine = line;
        QStringList fields;
        bool quoted = false;
        for (;;) {
            QString value;
            if (pos < size && text.at(pos) == QLatin1Char('"')) {
                quoted = true;
                for (++pos;; ++pos) {
                    if (pos >= size)
                        return fail(recordLine, tr("a quoted field is not closed"));
                    const QChar c = text.at(pos);
                    if (c == QLatin1Char('"')) {
                        if (pos + 1 < size && text.at(pos + 1) == QLatin1Char('"')) {
                            value += c;
                            ++pos;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    if (c == QLatin1Char('\n')
                        || (c == QLatin1Char('\r') && (pos + 1 == size || text.at(pos + 1) != '\n')))
                        ++line;
                    value += c;
                }
                if (pos < size && !endsField(text.at(pos)))
                    return fail(recordLine, tr("text after the closing quote of field %1").arg(int(fields.size()) + 1));
            } else {
                const int start = pos;
                for (; pos < size && !endsField(text.at(pos)); ++pos) {
                    if (text.at(pos) == QLatin1Char('"'))
                        return fail(
                            recordLine, tr("a quote inside field %1, which is not quoted").arg(int(fields.size()) + 1));
                }
                value = text.mid(start, pos - start);
            }
            fields << value;
            if (pos < size && text.at(pos) == QLatin1Char(',')) {
                ++pos;
                continue;
            }
            // The record ends with a line or with the text.
            if (pos < size && text.at(pos) == QLatin1Char('\r'))
                ++pos;
            if (pos < size && text.at(pos) == QLatin1Char('\n'))
                ++pos;
            ++line;
            break;
        }

        if (fields.size() == 1 && fields.first().isEmpty() && !quoted)
            continue; // a blank line

        if (recordSize == 0) {
            // The header.
            std::fill(std::begin(placeOf), std::end(placeOf), -1);
            for (int place = 0; place < fields.size(); ++place) {
                const QString name = fields.at(place).trimmed().toLower();
                int column = 0;
                while (column < columnCount && name != QLatin1String(columnNames[column]))
                    ++column;
                if (column == columnCount)
                    return fail(recordLine, tr("unknown column \"%1\" in the header").arg(fields.at(place)));
                if (placeOf[column] >= 0)
                    return fail(recordLine, tr("column %1 appears twice in the header").arg(name));
                placeOf[column] = place;
            }
            for (int column = 0; column < columnCount; ++column) {
                if (placeOf[column] < 0 && column != optionalColumn)
                    return fail(recordLine, tr("the header lacks column %1").arg(QLatin1String(columnNames[column])));
            }
            recordSize = fields.size();
            continue;
        }

        if (fields.size() != recordSize)
            return fail(recordLine, tr("the header has %1 fields, this record %2").arg(recordSize).arg(fields.size()));
        const auto at = [&](int column) { return placeOf[column] < 0 ? QString() : fields.at(placeOf[column]); };
        contacts->append({ at(0), at(1), at(2), at(3), recordLine });
    }
    if (recordSize == 0)
        return fail(1, tr("the header row (first_name,last_name,phone_number,info) is missing"));
    return true;
}
