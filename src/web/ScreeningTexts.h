#ifndef SCREENINGTEXTS_H
#define SCREENINGTEXTS_H

#include <QByteArray>
#include <QCoreApplication>

// The screening page's words, in the program's language: the page asks for them once and puts
// them in place, so that they are translated with the rest of the program.
class ScreeningTexts
{
    Q_DECLARE_TR_FUNCTIONS(ScreeningTexts)

public:
    // A JSON object of key -> text, and "lang" -> the language's code ("en", "nl").
    static QByteArray json();
};

#endif // SCREENINGTEXTS_H
