#ifndef CONTACTSEARCH_H
#define CONTACTSEARCH_H

#include <QString>

class SqlDialect;

// The phonebook's search as an SQL condition on table contacts, for the page's table model.
//
// A contact matches when the text occurs in its first name, last name, "first last" or number,
// whatever the case and accents of its letters ("e" finds "é"); a text of digits is found in numbers whatever separators
// ("06 1234 5678") either is written with. The model takes its filter as SQL text, so the operator's
// text is written into it as string literals: quotes doubled, and LIKE's and GLOB's wildcards
// escaped, so that every character typed is taken literally.
//
// SQLite's LIKE folds the case of ASCII letters only. A letter with accented forms, or outside
// ASCII with case variants, is therefore matched as "any character" by LIKE, and a GLOB pattern
// that lists the letter's variants (both cases, with and without each Latin accent) then
// confirms it on the rows LIKE let through.
class ContactSearch
{
public:
    // The text as it is searched for: without NUL characters and surrounding blanks.
    static QString normalized(const QString& text);
    // The condition for the operator's text; empty when the normalized text is empty.
    static QString condition(const QString& text);
    // The same in the words of the database's engine. A server has no GLOB: a regular expression
    // listing the same variants confirms the rows there.
    static QString condition(const QString& text, const SqlDialect& dialect);
};

#endif // CONTACTSEARCH_H
