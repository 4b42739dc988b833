#ifndef CONTACTVCARD_H
#define CONTACTVCARD_H

#include "ContactRecord.h"

#include <QCoreApplication>
#include <QVector>

#include <functional>

// Contacts as vCards 3.0 (RFC 2426): one card per contact with N, FN, TEL and, when there is
// information, NOTE. Values escape backslash, comma, semicolon and line breaks; lines longer
// than 75 octets in UTF-8 are folded, never inside a character; lines end in CRLF.
//
// Reading takes any number of cards of versions 2.1, 3.0 and 4.0, LF or CRLF, folded lines,
// groups and parameters, quoted-printable values in UTF-8 or Windows-1252 (CHARSET), and tel:
// URIs, and skips the properties a contact has no field for. The names come from N (from FN when
// N has none), the information from the first NOTE. Of several TELs the preferred one (TYPE=pref
// or PREF, the lowest PREF first), else the first mobile one, else the first is the number; the
// others are added to the information. Lines and fields are bounded (ContactText). It works on
// decoded text; the file's encoding is its caller's business.
class ContactVCard
{
    Q_DECLARE_TR_FUNCTIONS(ContactVCard)

public:
    // Called now and then with the position reached in the text; false stops the reading.
    using Progress = std::function<bool(int position)>;

    static QString write(const QVector<ContactRecord>& contacts);
    // All cards of the text, each with the line it begins on. On the first fault returns false
    // and says in *error on which line and what is wrong; *contacts is then incomplete. When
    // progress stops it, returns false with *error empty.
    static bool read(
        const QString& text, QVector<ContactRecord>* contacts, QString* error, const Progress& progress = {});
};

#endif // CONTACTVCARD_H
