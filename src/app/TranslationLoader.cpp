#include "TranslationLoader.h"
#include "LogCategories.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Where the build puts the program's compiled translations, parlona_<language>.qm.
const char* const programDirectory = ":/i18n";

} // namespace

TranslationLoader::TranslationLoader() = default;

TranslationLoader::~TranslationLoader()
{
    removeAll();
}

QString TranslationLoader::install(const QString& language)
{
    // The .qm files are compiled into the static core library; referring to them keeps them linked.
    Q_INIT_RESOURCE(parlona_translations);
    removeAll();
    const QLocale locale = language.isEmpty() ? QLocale::system() : QLocale(language);
    // An explicit choice also names the days in the call history in that language.
    if (!language.isEmpty())
        QLocale::setDefault(locale);
    // English is the source text; "C" is what QLocale makes of a code it does not know.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) {
        qCInfo(lcApp) << "showing English for" << (language.isEmpty() ? locale.name() : language);
        return m_language;
    }

    // parlona_nl_BE is looked for first, then parlona_nl.
    auto program = std::make_unique<QTranslator>();
    if (!program->load(QStringLiteral("parlona_") + locale.name(), QLatin1String(programDirectory))) {
        qCInfo(lcApp) << "no translation for" << locale.name() << "- showing English";
        return m_language;
    }
    m_program = std::move(program);
    QCoreApplication::installTranslator(m_program.get());

    // Qt's standard buttons (Save, Discard, Cancel); without Qt's file they stay English.
    auto qt = std::make_unique<QTranslator>();
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString qtDirectory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString qtDirectory = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    if (qt->load(QStringLiteral("qtbase_") + locale.name(), qtDirectory)) {
        m_qt = std::move(qt);
        QCoreApplication::installTranslator(m_qt.get());
    } else {
        qCInfo(lcApp) << "no Qt translation for" << locale.name();
    }

    m_language = locale.name().section(QLatin1Char('_'), 0, 0);
    qCInfo(lcApp) << "showing" << m_language;
    return m_language;
}

void TranslationLoader::removeAll()
{
    if (m_program && QCoreApplication::instance())
        QCoreApplication::removeTranslator(m_program.get());
    if (m_qt && QCoreApplication::instance())
        QCoreApplication::removeTranslator(m_qt.get());
    m_program.reset();
    m_qt.reset();
    m_language = QStringLiteral("en");
}
