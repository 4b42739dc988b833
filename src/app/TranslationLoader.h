#ifndef TRANSLATIONLOADER_H
#define TRANSLATIONLOADER_H

#include <QString>

#include <memory>

class QTranslator;

// Puts the program, and Qt's own standard texts, into the operator's language. English is
// built in: a language without a translation leaves the English texts in place.
class TranslationLoader
{
public:
    TranslationLoader();
    // Takes the translations out of the application again.
    ~TranslationLoader();
    TranslationLoader(const TranslationLoader&) = delete;
    TranslationLoader& operator=(const TranslationLoader&) = delete;

    // language is a code such as "nl" or "nl_BE"; empty takes the system locale. Needs the
    // application object. Returns the language now shown: "nl", or "en" when nothing matched.
    QString install(const QString& language);
    // The language install() settled on, "en" before it ran.
    QString language() const { return m_language; }

private:
    void removeAll();

    std::unique_ptr<QTranslator> m_program;
    std::unique_ptr<QTranslator> m_qt;
    QString m_language = QStringLiteral("en");
};

#endif // TRANSLATIONLOADER_H
