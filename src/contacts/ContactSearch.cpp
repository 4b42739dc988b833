#include "ContactSearch.h"

#include <QStringList>

namespace {

bool hasCaseVariants(QChar c)
{
    return c.toLower() != c || c.toUpper() != c || c.toTitleCase() != c;
}

bool foldedByLike(QChar c)
{
    return c.unicode() < 0x80 || !hasCaseVariants(c);
}

// A string literal: SQLite's only escape inside one is a doubled quote.
QString literal(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// "%text%" with % _ and the escape character escaped, and letters LIKE cannot fold as "_".
QString likePattern(const QString& text)
{
    QString pattern(QLatin1Char('%'));
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            pattern += QLatin1Char('\\') + c;
        else if (foldedByLike(c))
            pattern += c;
        else
            pattern += QLatin1Char('_');
    }
    return pattern + QLatin1Char('%');
}

// "*text*" with each cased letter as the set of its variants, and GLOB's own characters as
// one-character sets, which take them literally.
QString globPattern(const QString& text)
{
    QString pattern(QLatin1Char('*'));
    for (const QChar c : text) {
        if (hasCaseVariants(c)) {
            QString variants;
            for (const QChar variant : { c, c.toLower(), c.toUpper(), c.toTitleCase() }) {
                if (!variants.contains(variant))
                    variants += variant;
            }
            pattern += QLatin1Char('[') + variants + QLatin1Char(']');
        } else if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[')) {
            pattern += QLatin1Char('[') + c + QLatin1Char(']');
        } else {
            pattern += c;
        }
    }
    return pattern + QLatin1Char('*');
}

} // namespace

QString ContactSearch::normalized(const QString& text)
{
    // SQLite ends a statement at a NUL, even inside a literal.
    QString wanted = text;
    wanted.remove(QChar(0));
    return wanted.trimmed();
}

QString ContactSearch::condition(const QString& text)
{
    const QString wanted = normalized(text);
    if (wanted.isEmpty())
        return QString();

    const QString like = QLatin1String(" LIKE ") + literal(likePattern(wanted)) + QLatin1String(" ESCAPE '\\'");
    bool likeFoldsAll = true;
    for (const QChar c : wanted)
        likeFoldsAll = likeFoldsAll && foldedByLike(c);
    const QString glob = likeFoldsAll ? QString() : QLatin1String(" GLOB ") + literal(globPattern(wanted));

    // A text without a blank lies within one field; one with a blank may span both names.
    const QStringList fields = wanted.contains(QLatin1Char(' '))
        ? QStringList { QStringLiteral("(first_name || ' ' || last_name)"), QStringLiteral("phone_number") }
        : QStringList { QStringLiteral("first_name"), QStringLiteral("last_name"), QStringLiteral("phone_number") };
    QStringList matches;
    for (const QString& field : fields)
        matches << QLatin1Char('(') + field + like
                + (glob.isEmpty() ? QString() : QLatin1String(" AND ") + field + glob) + QLatin1Char(')');
    return QLatin1Char('(') + matches.join(QLatin1String(" OR ")) + QLatin1Char(')');
}
