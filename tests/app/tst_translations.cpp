#include "MainWindow.h"
#include "ModalAnswer.h"
#include "TranslationLoader.h"
#include "VirtualHybridRig.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

// The Dutch translation file, and the language the program shows on a Dutch system.
class TestTranslations : public QObject
{
    Q_OBJECT

    QHash<QString, QString> m_dutch; // "context|source" -> translation, as the .ts has it
    QHash<QString, QString> m_types; // "context|source" -> the translation's type ("unfinished", ...)
    QString dutch(const char* context, const char* source) const { return m_dutch.value(QLatin1String(context) + '|' + source); }
    static QStringList matches(const QString& text, const char* pattern)
    {
        QStringList found;
        for (auto it = QRegularExpression(QLatin1String(pattern)).globalMatch(text); it.hasNext();)
            found << it.next().captured();
        found.sort();
        return found;
    }

private slots:
    void initTestCase()
    {
        QFile file(QStringLiteral(PARLONA_TS_FILE_NL));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QXmlStreamReader xml(&file);
        QString context, source;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name"))
                context = xml.readElementText();
            else if (xml.name() == QLatin1String("source"))
                source = xml.readElementText();
            else if (xml.name() == QLatin1String("translation")) {
                m_types.insert(context + '|' + source, xml.attributes().value(QLatin1String("type")).toString());
                m_dutch.insert(context + '|' + source, xml.readElementText());
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(m_dutch.size() > 200);
    }

    void everyMessageIsTranslatedWithItsPlaceholders()
    {
        TranslationLoader loader;
        QCOMPARE(loader.install(QStringLiteral("nl")), QStringLiteral("nl"));
        for (auto it = m_dutch.cbegin(); it != m_dutch.cend(); ++it) {
            const QString source = it.key().section('|', 1), text = it.value();
            QVERIFY2(m_types.value(it.key()).isEmpty() && !text.trimmed().isEmpty(), qPrintable(it.key()));
            QCOMPARE(matches(text, "%(L?\\d+|n)"), matches(source, "%(L?\\d+|n)"));
            QCOMPARE(matches(text, "<[^>]+>"), matches(source, "<[^>]+>"));
            QCOMPARE(text.count('&'), source.count('&'));
            // The build compiled this file: the loaded translator gives each translation back.
            const QByteArray context = it.key().section('|', 0, 0).toUtf8();
            QCOMPARE(QCoreApplication::translate(context.constData(), source.toUtf8().constData()), text);
        }
    }

    void windowFollowsTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("shown");
        QTest::newRow("system (Dutch)") << QString() << "nl";
        QTest::newRow("nl_BE") << "nl_BE" << "nl";
        QTest::newRow("en on a Dutch system") << "en" << "en";
        QTest::newRow("unknown") << "xx" << "en";
    }
    void windowFollowsTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, shown);
        TranslationLoader loader;
        QCOMPARE(loader.install(language), shown);
        VirtualHybridRig rig;
        const bool nl = shown == QLatin1String("nl");
        QCOMPARE(rig.window()->menuBar()->actions().first()->text(), nl ? dutch("MainWindow", "File") : "File");
        QCOMPARE(rig.action("actionPhonebook")->text(), nl ? dutch("MainWindow", "Phonebook") : "Phonebook");
        QCOMPARE(rig.window()->statusText(),
            nl ? dutch("MainWindow", "Status: Disconnected") : QStringLiteral("Status: Disconnected"));
        // Qt's own buttons follow, where Qt's translation is installed.
        QVERIFY(rig.connectUnit());
        QString save;
        ModalAnswer::whenShown(this, [&save](QWidget* box) {
            save = static_cast<QMessageBox*>(box)->button(QMessageBox::Save)->text().remove('&');
            ModalAnswer::clickButton(box, QMessageBox::Cancel);
        });
        rig.window()->close();
        const bool qtDutch = QFile::exists(QLibraryInfo::location(QLibraryInfo::TranslationsPath) + "/qtbase_nl.qm");
        QVERIFY(!save.isEmpty());
        QCOMPARE(save == QLatin1String("Save"), !(nl && qtDutch));
    }
};

int main(int argc, char* argv[])
{
    // A Dutch system: the locale is read from the environment when it is first asked for.
    qputenv("LC_ALL", "nl_NL.UTF-8");
    qputenv("LANG", "nl_NL.UTF-8");
    QApplication app(argc, argv);
    TestTranslations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_translations.moc"
