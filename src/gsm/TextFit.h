#ifndef TEXTFIT_H
#define TEXTFIT_H

#include <QFont>
#include <QString>

// Fits a line of text into a width, for fields that must show a whole number or name: the font
// may shrink, in steps of half a point, down to a smallest size; only when even that is too wide
// does the text lose characters in the middle, keeping its beginning and end around "…".
class TextFit
{
public:
    struct Fitted
    {
        QFont font;
        QString text;
    };

    // minPointSize at or above the font's own size keeps the size. A font without a point size
    // (set in pixels) keeps its size too.
    static Fitted fit(const QString& text, const QFont& font, int width, qreal minPointSize);
};

#endif // TEXTFIT_H
