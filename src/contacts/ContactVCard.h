#ifndef CONTACTVCARD_H
#define CONTACTVCARD_H

#include "ContactRecord.h"

#include <QCoreApplication>
#include <QVector>

// Contacts as vCards 3.0 (RFC 2426): one card per contact with N, FN, TEL and, when there is
// information, NOTE. Values escape backslash, comma, semicolon and line breaks; lines longer
// than 75 octets in UTF-8 are folded, never inside a character; lines end in CRLF.
//
// Reading takes any number of cards, LF or CRLF, folded lines, groups and parameters, and skips
// the properties a contact has no field for. The names come from N (from FN when N has none),
// the number from the first TEL, the information from the first NOTE. It works on decoded text;
// the file's encoding is its caller's business.
class ContactVCard
{
    Q_DECLARE_TR_FUNCTIONS(ContactVCard)

public:
    static QString write(const QVector<ContactRecord>& contacts);
    // All cards of the text, each with the line it begins on. On the first fault returns false
    // and says in *error on which line and what is wrong; *contacts is then incomplete.
    static bool read(const QString& text, QVector<ContactRecord>* contacts, QString* error);
};

#endif // CONTACTVCARD_H
