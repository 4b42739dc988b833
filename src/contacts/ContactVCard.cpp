#include "ContactVCard.h"

#include "ContactText.h"

#include <QStringList>

#include <algorithm>
#include <cctype>
#include <limits>
#include <utility>

namespace {

const int maxLineOctets = 75;
const QLatin1String lineEnd("\r\n");

QString escaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';')) {
            result += QLatin1Char('\\') + c;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // CRLF, LF and CR alike are one line break.
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            result += QLatin1String("\\n");
        } else {
            result += c;
        }
    }
    return result;
}

QString unescaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            // A quoted-printable value carries its line breaks as CR LF, or CR alone: one line
            // break each, as the writer takes them, so that a card read, written and read again
            // is the same.
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            result += QLatin1Char('\n');
            continue;
        }
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            result += c;
            continue;
        }
        const QChar next = text.at(++i);
        // A line break behind a backslash is a line break all the same, CR alone included.
        if (next == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        result += next == QLatin1Char('n') || next == QLatin1Char('N') || next == QLatin1Char('\r') ? QChar(QLatin1Char('\n')) : next;
    }
    return result;
}

// The parts of a value between unescaped separators, still escaped.
QStringList splitValue(const QString& value, QChar separator)
{
    QStringList parts;
    QString part;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == separator) {
            parts << part;
            part.clear();
            continue;
        }
        part += c;
        if (c == QLatin1Char('\\') && i + 1 < value.size())
            part += value.at(++i);
    }
    return parts << part;
}

// The line folded into pieces of at most 75 octets, the continuations led by a blank. A
// surrogate pair stays together, so no UTF-8 sequence is split.
QString folded(const QString& line)
{
    QString result;
    int octets = 0;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate();
        const int size = pair ? 4 : c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
        if (octets + size > maxLineOctets) {
            result += lineEnd + QLatin1Char(' ');
            octets = 1;
        }
        result += c;
        if (pair)
            result += line.at(++i);
        octets += size;
    }
    return result + lineEnd;
}

// A content line taken apart: name[;parameters]:value.
struct Property
{
    QString name;      // upper case, without a group
    QString value;     // as it stands in the file
    QStringList types; // upper case, from TYPE= and vCard 2.1's bare parameters
    QString encoding;
    QString charset;
    QString valueType;
    int pref = std::numeric_limits<int>::max(); // 1 is the most preferred
};

struct Tel
{
    QString number;
    QStringList types;
    int pref;
};

struct Card
{
    ContactRecord record;
    bool hasName = false;
    bool hasNote = false;
    QString fullName;
    QVector<Tel> tels;
};

bool isQuotedPrintableLine(const QString& line)
{
    return line.left(line.indexOf(QLatin1Char(':'))).contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

// Splits the text into content lines, unfolding folded ones and joining quoted-printable soft
// line breaks, each with the physical line it begins on and its position. Stops at the first
// line longer than the bound and returns its number; 0 when there is none.
int unfold(const QString& text, QStringList* lines, QVector<int>* numbers, QVector<int>* positions)
{
    int physical = 0;
    int pos = 0;
    while (pos < text.size()) {
        int end = pos;
        while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        ++physical;
        if (end - pos > ContactText::MaxLineLength)
            return physical;
        const QString piece = text.mid(pos, end - pos);
        pos = end;
        if (pos < text.size() && text.at(pos) == QLatin1Char('\r'))
            ++pos;
        if (pos < text.size() && text.at(pos) == QLatin1Char('\n'))
            ++pos;
        const bool softBreak
            = !lines->isEmpty() && lines->last().endsWith(QLatin1Char('=')) && isQuotedPrintableLine(lines->last());
        if (softBreak)
            lines->last().chop(1);
        if (softBreak
            || (!lines->isEmpty() && (piece.startsWith(QLatin1Char(' ')) || piece.startsWith(QLatin1Char('\t'))))) {
            lines->last() += softBreak ? piece : piece.mid(1);
            if (lines->last().size() > ContactText::MaxLineLength)
                return physical;
        } else {
            *lines << piece;
            *numbers << physical;
            *positions << pos;
        }
    }
    return 0;
}

void takeParameter(const QString& parameter, Property* property)
{
    const int equals = parameter.indexOf(QLatin1Char('='));
    const QString key = parameter.left(equals).trimmed().toUpper();
    QString value = equals < 0 ? QString() : parameter.mid(equals + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    if (equals < 0 && (key == QLatin1String("QUOTED-PRINTABLE") || key == QLatin1String("BASE64")))
        property->encoding = key;
    else if (equals < 0)
        property->types << key; // vCard 2.1: TEL;CELL;PREF
    else if (key == QLatin1String("TYPE"))
        property->types << value.toUpper().split(QLatin1Char(','));
    else if (key == QLatin1String("PREF"))
        property->pref = std::max(1, value.toInt());
    else if (key == QLatin1String("ENCODING"))
        property->encoding = value.toUpper();
    else if (key == QLatin1String("CHARSET"))
        property->charset = value.toUpper();
    else if (key == QLatin1String("VALUE"))
        property->valueType = value.toUpper();
}

bool parseProperty(const QString& line, Property* property, QString* what)
{
    // A quoted parameter value may hold a colon or a semicolon.
    QStringList head;
    int start = 0;
    bool inQuotes = false;
    int colon = -1;
    for (int c = 0; c < line.size() && colon < 0; ++c) {
        const QChar ch = line.at(c);
        if (ch == QLatin1Char('"'))
            inQuotes = !inQuotes;
        else if ((ch == QLatin1Char(':') || ch == QLatin1Char(';')) && !inQuotes) {
            head << line.mid(start, c - start);
            start = c + 1;
            colon = ch == QLatin1Char(':') ? c : -1;
        }
    }
    if (colon < 0) {
        *what = ContactVCard::tr("the line has no \":\" between name and value");
        return false;
    }
    property->name = head.first().trimmed().toUpper().section(QLatin1Char('.'), -1);
    for (int i = 1; i < head.size(); ++i)
        takeParameter(head.at(i), property);
    for (QString& type : property->types)
        type = type.trimmed();
    if (property->types.contains(QLatin1String("PREF")))
        property->pref = 1;
    property->value = line.mid(colon + 1);
    return true;
}

QByteArray fromQuotedPrintable(const QString& value)
{
    const QByteArray in = value.toUtf8();
    const auto isHex = [&in](int i) { return std::isxdigit(static_cast<unsigned char>(in.at(i))) != 0; };
    QByteArray out;
    out.reserve(in.size());
    for (int i = 0; i < in.size(); ++i) {
        // A "=" without two hex digits after it is taken as it stands.
        if (in.at(i) == '=' && i + 2 < in.size() && isHex(i + 1) && isHex(i + 2)) {
            out += QByteArray::fromHex(in.mid(i + 1, 2));
            i += 2;
        } else {
            out += in.at(i);
        }
    }
    return out;
}

// The value with its transfer encoding and character set undone; still escaped.
bool decodedValue(const Property& property, QString* value, QString* what)
{
    if (property.encoding.isEmpty() || property.encoding == QLatin1String("8BIT")
        || property.encoding == QLatin1String("7BIT")) {
        *value = property.value;
    } else if (property.encoding != QLatin1String("QUOTED-PRINTABLE")) {
        *what = ContactVCard::tr("%1 values in %2 cannot be read")
                    .arg(property.name, ContactText::excerpt(property.encoding));
        return false;
    } else {
        const QByteArray bytes = fromQuotedPrintable(property.value);
        const QString& charset = property.charset;
        if (charset.isEmpty())
            *value = ContactText::decode(bytes);
        else if (charset == QLatin1String("UTF-8"))
            *value = QString::fromUtf8(bytes);
        else if (charset == QLatin1String("ISO-8859-1") || charset == QLatin1String("WINDOWS-1252")
            || charset == QLatin1String("US-ASCII") || charset == QLatin1String("CP1252"))
            *value = ContactText::fromWindows1252(bytes);
        else {
            *what = ContactVCard::tr("the character set %1 cannot be read").arg(ContactText::excerpt(charset));
            return false;
        }
    }
    return true;
}

// A number of TEL: a "tel:" URI (vCard 4.0) loses the scheme and its parameters, after the
// first unescaped ";".
QString telNumber(const Property& property, const QString& value)
{
    const bool uri = value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive);
    if (!uri && property.valueType != QLatin1String("URI"))
        return unescaped(value);
    return unescaped(splitValue(uri ? value.mid(4) : value, QLatin1Char(';')).first());
}

bool takeProperty(const Property& property, Card* card, QString* what)
{
    const QString& name = property.name;
    const bool used = name == QLatin1String("N") || name == QLatin1String("FN") || name == QLatin1String("TEL")
        || name == QLatin1String("NOTE");
    QString value;
    if (!used || !decodedValue(property, &value, what))
        return !used;
    if (name == QLatin1String("N") && !card->hasName) {
        // Family name; given name; additional names; prefixes; suffixes.
        const QStringList parts = splitValue(value, QLatin1Char(';'));
        card->record.lastName = unescaped(parts.value(0));
        card->record.firstName = unescaped(parts.value(1));
        const QString additional = unescaped(parts.value(2)).trimmed();
        if (!additional.isEmpty())
            card->record.firstName += QLatin1Char(' ') + additional;
        card->hasName = true;
    } else if (name == QLatin1String("FN")) {
        card->fullName = unescaped(value);
    } else if (name == QLatin1String("TEL")) {
        card->tels.append({ telNumber(property, value), property.types, property.pref });
    } else if (name == QLatin1String("NOTE") && !card->hasNote) {
        card->record.info = unescaped(value);
        card->hasNote = true;
    }
    // Checked as the fields are, unescaped, so that what was read can be written and read again.
    const int longest = std::max({ card->record.firstName.size(), card->record.lastName.size(), card->fullName.size(),
        card->record.info.size(), card->tels.isEmpty() ? 0 : card->tels.last().number.size() });
    if (longest > ContactText::MaxFieldLength) {
        *what = ContactVCard::tr("the value of %1 is longer than %2 characters")
                    .arg(property.name)
                    .arg(ContactText::MaxFieldLength);
        return false;
    }
    return true;
}

// The card's number: the most preferred, else the first mobile one, else the first.
int chosenTel(const QVector<Tel>& tels)
{
    int chosen = 0;
    const auto rank
        = [](const Tel& tel) { return std::make_pair(tel.pref, tel.types.contains(QLatin1String("CELL")) ? 0 : 1); };
    for (int i = 1; i < tels.size(); ++i) {
        if (rank(tels.at(i)) < rank(tels.at(chosen)))
            chosen = i;
    }
    return chosen;
}

bool finishCard(Card* card, QString* what)
{
    if (card->tels.isEmpty()) {
        *what = ContactVCard::tr("the card has no telephone number (TEL)");
        return false;
    }
    const int chosen = chosenTel(card->tels);
    card->record.phoneNumber = card->tels.at(chosen).number;
    QStringList others;
    for (int i = 0; i < card->tels.size(); ++i) {
        const Tel& tel = card->tels.at(i);
        if (i == chosen || tel.number.trimmed().isEmpty())
            continue;
        QStringList types;
        for (const QString& type : tel.types) {
            if (!type.isEmpty() && type != QLatin1String("PREF") && type != QLatin1String("VOICE"))
                types << type.toLower();
        }
        others << (types.isEmpty() ? tel.number
                                   : QStringLiteral("%1 (%2)").arg(tel.number, types.join(QLatin1String(", "))));
    }
    QString& info = card->record.info;
    if (!others.isEmpty()) {
        info += (info.isEmpty() ? QString() : QStringLiteral("\n"))
            + ContactVCard::tr("Other numbers: %1").arg(others.join(QLatin1String("; ")));
    }
    // Bounded as a note typed in, so that the contact can be exported and imported again.
    if (info.size() > ContactText::MaxFieldLength) {
        *what = ContactVCard::tr("the note and the other numbers are longer than %1 characters together")
                    .arg(ContactText::MaxFieldLength);
        return false;
    }
    // A card of a company, say, may leave N empty.
    if (card->record.firstName.isEmpty() && card->record.lastName.isEmpty())
        card->record.firstName = card->fullName;
    return true;
}

} // namespace

QString ContactVCard::write(const QVector<ContactRecord>& contacts)
{
    QString text;
    for (const ContactRecord& contact : contacts) {
        text += QLatin1String("BEGIN:VCARD") + lineEnd + QLatin1String("VERSION:3.0") + lineEnd;
        text += folded(QLatin1String("N:") + escaped(contact.lastName) + QLatin1Char(';') + escaped(contact.firstName)
            + QLatin1String(";;;"));
        // Within the bound a reader holds every field to; the names themselves are whole in N.
        QString fullName = (contact.firstName + QLatin1Char(' ') + contact.lastName).trimmed();
        if (fullName.size() > ContactText::MaxFieldLength)
            fullName.truncate(ContactText::MaxFieldLength - (fullName.at(ContactText::MaxFieldLength - 1).isHighSurrogate() ? 1 : 0));
        text += folded(QLatin1String("FN:") + escaped(fullName));
        // A number that looks like a URI gets the scheme once more, which reading takes off.
        const bool looksLikeUri = contact.phoneNumber.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive);
        text += folded(QLatin1String(looksLikeUri ? "TEL:tel:" : "TEL:") + escaped(contact.phoneNumber));
        if (!contact.info.isEmpty())
            text += folded(QLatin1String("NOTE:") + escaped(contact.info));
        text += QLatin1String("END:VCARD") + lineEnd;
    }
    return text;
}

bool ContactVCard::read(const QString& text, QVector<ContactRecord>* contacts, QString* error, const Progress& progress)
{
    const auto fail = [error](int line, const QString& what) {
        *error = tr("Line %1: %2").arg(line).arg(what);
        return false;
    };
    QStringList lines;
    QVector<int> lineNumbers;
    QVector<int> positions;
    const int tooLongLine = unfold(text, &lines, &lineNumbers, &positions);

    bool inCard = false;
    Card card;
    for (int i = 0; i < lines.size(); ++i) {
        const int number = lineNumbers.at(i);
        if (lines.at(i).trimmed().isEmpty())
            continue;
        Property property;
        QString what;
        if (!parseProperty(lines.at(i), &property, &what))
            return fail(number, what);
        const QString& name = property.name;
        if (!inCard) {
            if (name != QLatin1String("BEGIN") || property.value.trimmed().toUpper() != QLatin1String("VCARD"))
                return fail(number, tr("BEGIN:VCARD expected"));
            inCard = true;
            card = Card();
            card.record.line = number;
        } else if (name == QLatin1String("BEGIN")) {
            return fail(card.record.line, tr("the card has no END:VCARD before the next BEGIN"));
        } else if (name == QLatin1String("END")) {
            if (!finishCard(&card, &what))
                return fail(card.record.line, what);
            contacts->append(card.record);
            inCard = false;
            if (progress && contacts->size() % 1024 == 0 && !progress(positions.at(i))) {
                error->clear();
                return false;
            }
        } else if (!takeProperty(property, &card, &what)) {
            return fail(number, what);
        }
    }
    if (tooLongLine > 0)
        return fail(tooLongLine, tr("the line is longer than %1 characters").arg(ContactText::MaxLineLength));
    if (inCard)
        return fail(card.record.line, tr("the card ends without END:VCARD"));
    return true;
}
