#include "AtFields.h"

QStringList AtFields::split(const QString& text)
{
    const QChar quote(QLatin1Char('"'));
    const QChar comma(QLatin1Char(','));
    QStringList fields;
    int start = 0;
    for (;;) {
        int end;
        if (start < text.size() && text.at(start) == quote) {
            // The closing quote is the one that ends the value.
            int close = start + 1;
            while ((close = text.indexOf(quote, close)) >= 0 && close + 1 < text.size() && text.at(close + 1) != comma)
                ++close;
            if (close < 0) {
                // Never closed: the rest of the text is the value.
                fields.append(text.mid(start + 1));
                return fields;
            }
            fields.append(text.mid(start + 1, close - start - 1));
            end = close + 1;
        } else {
            end = text.indexOf(comma, start);
            if (end < 0)
                end = text.size();
            fields.append(text.mid(start, end - start));
        }
        if (end >= text.size())
            return fields;
        start = end + 1;
    }
}

AtFields::CmeError AtFields::cmeError(const QString& line)
{
    const QLatin1String marker("+CME ERROR");
    CmeError error;
    const int at = line.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return error;
    QString detail = line.mid(at + marker.size()).trimmed();
    if (detail.startsWith(QLatin1Char(':')))
        detail = detail.mid(1).trimmed();
    error.detail = detail;
    // Digits alone, and few enough to be a code rather than a number that overflows.
    bool digits = !detail.isEmpty() && detail.size() <= 9;
    for (const QChar c : detail)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (digits) {
        error.hasCode = true;
        error.code = detail.toInt();
    }
    return error;
}
