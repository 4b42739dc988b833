#include "ContactSearch.h"

#include "SqlDialect.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// The letter without its accent: 'e' for 'é', itself for a letter without one.
QChar baseLetter(QChar c)
{
    const QString parts = c.decomposition();
    return parts.isEmpty() || c.decompositionTag() != QChar::Canonical ? c : parts.at(0);
}

// The letter in both cases, with and without every accent of the Latin alphabets: "eEéÉèÈ...".
QString variantsOf(QChar c)
{
    const QChar base = baseLetter(c).toLower();
    QString variants;
    for (const QChar variant : { c, c.toLower(), c.toUpper(), c.toTitleCase(), base, base.toUpper() }) {
        if (!variants.contains(variant))
            variants += variant;
    }
    if (!base.isLetter())
        return variants;
    for (ushort code = 0xC0; code < 0x250; ++code) {
        const QChar accented(code);
        if (accented.isLetter() && baseLetter(accented).toLower() == base && !variants.contains(accented))
            variants += accented;
    }
    return variants;
}

bool hasVariants(QChar c)
{
    return variantsOf(c).size() > 1;
}

bool foldedByLike(QChar c)
{
    // LIKE folds ASCII case alone: a letter with accented forms is left to GLOB.
    return variantsOf(c).size() <= (c.unicode() < 0x80 && c.isLetter() ? 2 : 1);
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
        if (hasVariants(c)) {
            pattern += QLatin1Char('[') + variantsOf(c) + QLatin1Char(']');
        } else if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[')) {
            pattern += QLatin1Char('[') + c + QLatin1Char(']');
        } else {
            pattern += c;
        }
    }
    return pattern + QLatin1Char('*');
}

// The same as a regular expression for the server, which has no GLOB: the sets as they are, and
// every other character that means something there escaped.
QString regexPattern(const QString& text)
{
    static const QString special = QStringLiteral("\\.^$*+?()[]{}|");
    QString pattern;
    for (const QChar c : text) {
        if (hasVariants(c))
            pattern += QLatin1Char('[') + variantsOf(c) + QLatin1Char(']');
        else if (special.contains(c))
            pattern += QLatin1Char('\\') + c;
        else
            pattern += c;
    }
    return pattern;
}

const QString numberSeparators = QStringLiteral(" -.()/");

// The number as SQLite sees it without the separators people write between its digits.
const char* const strippedNumber = "replace(replace(replace(replace(replace(replace(phone_number, "
                                   "' ', ''), '-', ''), '.', ''), '(', ''), ')', ''), '/', '')";

// A text of digits, '+' and separators is looked for in numbers whatever their separators:
// "0612345678" finds "06 1234 5678". Empty for any other text.
QString numberDigits(const QString& text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 0x80)
            digits += c;
        else if (c == QLatin1Char('+'))
            digits += c;
        else if (!numberSeparators.contains(c))
            return QString();
    }
    return digits.contains(QRegularExpression(QStringLiteral("[0-9]"))) ? digits : QString();
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
    return condition(text, SqlDialect());
}

QString ContactSearch::condition(const QString& text, const SqlDialect& dialect)
{
    const QString wanted = normalized(text);
    if (wanted.isEmpty())
        return QString();

    const bool server = dialect.engine() == SqlDialect::PostgreSQL;
    bool likeFoldsAll = true;
    for (const QChar c : wanted)
        likeFoldsAll = likeFoldsAll && foldedByLike(c);
    const QString confirm = likeFoldsAll ? QString()
        : server                         ? QLatin1String(" ~ ") + literal(regexPattern(wanted))
                                         : QLatin1String(" GLOB ") + literal(globPattern(wanted));

    // A text without a blank lies within one field; one with a blank may span both names.
    const QStringList fields = wanted.contains(QLatin1Char(' '))
        ? QStringList { QStringLiteral("(first_name || ' ' || last_name)"), QStringLiteral("phone_number") }
        : QStringList { QStringLiteral("first_name"), QStringLiteral("last_name"), QStringLiteral("phone_number") };
    QStringList matches;
    for (const QString& field : fields)
        matches << QLatin1Char('(') + dialect.likeAnyCase(field, literal(likePattern(wanted)))
                + (confirm.isEmpty() ? QString() : QLatin1String(" AND ") + field + confirm) + QLatin1Char(')');
    const QString digits = numberDigits(wanted);
    if (!digits.isEmpty())
        matches << QLatin1Char('(') + dialect.likeAnyCase(QLatin1String(strippedNumber), literal(likePattern(digits)))
                + QLatin1Char(')');
    return QLatin1Char('(') + matches.join(QLatin1String(" OR ")) + QLatin1Char(')');
}
