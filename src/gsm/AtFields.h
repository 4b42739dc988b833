#ifndef ATFIELDS_H
#define ATFIELDS_H

#include <QString>
#include <QStringList>

// Splits the comma-separated values of a module answer ("+CLCC: 1,0,2,0,0,"0301234",129").
// A value that begins with a double quote runs to the double quote that is followed by a comma
// or by the end of the text, so commas and quotes inside it (a name, an odd number) stay part of
// it; the enclosing quotes are dropped. Empty values are kept.
class AtFields
{
public:
    static QStringList split(const QString& text);

    // What a "+CME ERROR" line says: a number ("+CME ERROR: 10", also without the blank), words
    // when the module reports in words ("+CME ERROR: SIM not inserted"), or nothing at all.
    struct CmeError
    {
        bool hasCode = false;
        int code = -1;
        QString detail; // the text after the colon, trimmed; empty when there is none
    };
    // A line without "+CME ERROR" (the case of its letters aside) says nothing.
    static CmeError cmeError(const QString& line);
};

#endif // ATFIELDS_H
