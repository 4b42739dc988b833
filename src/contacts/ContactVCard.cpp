#include "ContactVCard.h"

#include <QStringList>

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
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            result += c;
            continue;
        }
        const QChar next = text.at(++i);
        result += next == QLatin1Char('n') || next == QLatin1Char('N') ? QChar(QLatin1Char('\n')) : next;
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

} // namespace

QString ContactVCard::write(const QVector<ContactRecord>& contacts)
{
    QString text;
    for (const ContactRecord& contact : contacts) {
        text += QLatin1String("BEGIN:VCARD") + lineEnd + QLatin1String("VERSION:3.0") + lineEnd;
        text += folded(QLatin1String("N:") + escaped(contact.lastName) + QLatin1Char(';') + escaped(contact.firstName)
            + QLatin1String(";;;"));
        const QString fullName = (contact.firstName + QLatin1Char(' ') + contact.lastName).trimmed();
        text += folded(QLatin1String("FN:") + escaped(fullName));
        text += folded(QLatin1String("TEL:") + escaped(contact.phoneNumber));
        if (!contact.info.isEmpty())
            text += folded(QLatin1String("NOTE:") + escaped(contact.info));
        text += QLatin1String("END:VCARD") + lineEnd;
    }
    return text;
}

bool ContactVCard::read(const QString& text, QVector<ContactRecord>* contacts, QString* error)
{
    const auto fail = [error](int line, const QString& what) {
        *error = tr("Line %1: %2").arg(line).arg(what);
        return false;
    };

    // The content lines, unfolded, each with the line it begins on.
    QStringList lines;
    QVector<int> lineNumbers;
    int physical = 0;
    int pos = 0;
    while (pos < text.size()) {
        int end = pos;
        while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        const QString piece = text.mid(pos, end - pos);
        ++physical;
        pos = end;
        if (pos < text.size() && text.at(pos) == QLatin1Char('\r'))
            ++pos;
        if (pos < text.size() && text.at(pos) == QLatin1Char('\n'))
            ++pos;
        if (!lines.isEmpty() && (piece.startsWith(QLatin1Char(' ')) || piece.startsWith(QLatin1Char('\t')))) {
            lines.last() += piece.mid(1);
        } else {
            lines << piece;
            lineNumbers << physical;
        }
    }

    bool inCard = false;
    int cardLine = 0;
    ContactRecord card;
    bool hasName = false;
    bool hasTel = false;
    bool hasNote = false;
    QString fullName;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const int number = lineNumbers.at(i);
        if (line.trimmed().isEmpty())
            continue;

        // name[;parameters]:value, where a quoted parameter value may hold a colon.
        int colon = -1;
        bool inQuotes = false;
        for (int c = 0; c < line.size() && colon < 0; ++c) {
            if (line.at(c) == QLatin1Char('"'))
                inQuotes = !inQuotes;
            else if (line.at(c) == QLatin1Char(':') && !inQuotes)
                colon = c;
        }
        if (colon < 0)
            return fail(number, tr("the line has no \":\" between name and value"));
        const QString head = line.left(colon).toUpper();
        const QString name = head.section(QLatin1Char(';'), 0, 0).trimmed().section(QLatin1Char('.'), -1);
        const QString value = line.mid(colon + 1);
        const bool used = name == QLatin1String("N") || name == QLatin1String("FN") || name == QLatin1String("TEL")
            || name == QLatin1String("NOTE");
        if (used && head.contains(QLatin1String("QUOTED-PRINTABLE")))
            return fail(number, tr("quoted-printable values (vCard 2.1) cannot be read; save the cards as vCard 3.0"));

        if (!inCard) {
            if (name != QLatin1String("BEGIN") || value.trimmed().toUpper() != QLatin1String("VCARD"))
                return fail(number, tr("BEGIN:VCARD expected"));
            inCard = true;
            cardLine = number;
            card = ContactRecord();
            card.line = number;
            hasName = hasTel = hasNote = false;
            fullName.clear();
        } else if (name == QLatin1String("BEGIN")) {
            return fail(cardLine, tr("the card has no END:VCARD before the next BEGIN"));
        } else if (name == QLatin1String("END")) {
            if (!hasTel)
                return fail(cardLine, tr("the card has no telephone number (TEL)"));
            // A card of a company, say, may leave N empty.
            if (card.firstName.isEmpty() && card.lastName.isEmpty())
                card.firstName = fullName;
            contacts->append(card);
            inCard = false;
        } else if (name == QLatin1String("N") && !hasName) {
            // Family name; given name; additional names; prefixes; suffixes.
            const QStringList parts = splitValue(value, QLatin1Char(';'));
            card.lastName = unescaped(parts.value(0));
            card.firstName = unescaped(parts.value(1));
            const QString additional = unescaped(parts.value(2)).trimmed();
            if (!additional.isEmpty())
                card.firstName += QLatin1Char(' ') + additional;
            hasName = true;
        } else if (name == QLatin1String("FN")) {
            fullName = unescaped(value);
        } else if (name == QLatin1String("TEL") && !hasTel) {
            card.phoneNumber = unescaped(value);
            hasTel = true;
        } else if (name == QLatin1String("NOTE") && !hasNote) {
            card.info = unescaped(value);
            hasNote = true;
        }
    }
    if (inCard)
        return fail(cardLine, tr("the card ends without END:VCARD"));
    return true;
}
