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
