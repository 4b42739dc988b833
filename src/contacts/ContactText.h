#ifndef CONTACTTEXT_H
#define CONTACTTEXT_H

#include <QByteArray>
#include <QString>

// What the contact readers share about the text of a file: how its bytes become text, the
// bounds a line and a field must keep, and how much of a field an error message quotes.
//
// The bounds keep a hostile or broken file from costing time and memory out of all proportion,
// and an error message readable.
class ContactText
{
public:
    // The longest line of a file, in characters.
    static constexpr int MaxLineLength = 64 * 1024;
    // The longest field (a name, a number, a note), in characters.
    static constexpr int MaxFieldLength = 1024;
    // The most characters of a field an error message quotes.
    static constexpr int ExcerptLength = 40;

    // UTF-8, with or without a byte order mark; anything that is not UTF-8 throughout is taken
    // for Windows-1252, which spreadsheets on Windows write.
    static QString decode(const QByteArray& data);
    static bool isUtf8(const QByteArray& data);
    // Windows-1252: Latin-1 with printable characters at 0x80-0x9F. Its five unassigned bytes
    // become the control characters of the same value, as Windows itself does.
    static QString fromWindows1252(const QByteArray& data);
    // The text cut to ExcerptLength characters, an ellipsis marking the cut.
    static QString excerpt(const QString& text);
};

#endif // CONTACTTEXT_H
