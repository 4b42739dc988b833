#ifndef PLAINTOOLTIP_H
#define PLAINTOOLTIP_H

#include <QString>
#include <QTextDocument>

// A tool tip takes text that looks like markup for markup: a name or a note such as
// "<b>Big</b> news" would show bold, or "<img src=...>" as a picture. Text that people typed
// (names, a producer's notes) and would be taken for markup is handed to a tool tip as rich text
// that says exactly that text, line breaks kept; any other text goes as it is.
inline QString plainToolTip(const QString& text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

#endif // PLAINTOOLTIP_H
