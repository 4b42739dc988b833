#include "CUSBHID.h"
#include "CallKeys.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "OperatorGuideDialog.h"
#include "TranslationLoader.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QXmlStreamReader>

// The Dutch translation file and the language the program shows on a Dutch system; the Help menu
// with the operator's guide in that language, File → Quit and the place of the Service menu, on a
// virtual hybrid.
class TestTranslations : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;
    QLocale m_defaultLocale;

    QString aboutText()
    {
        QString text;
        ModalAnswer::whenShown(this, [&text](QWidget* box) {
            text = static_cast<QMessageBox*>(box)->text();
            box->close();
        });
        m_rig->action("actionAbout")->trigger();
        return text;
    }

    // The section headings the guide shows, in their order.
    static QStringList headings(const QTextDocument* document)
    {
        QStringList found;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() == 2)
                found << block.text();
        }
        return found;
    }
    // A picture as the guide's document holds it: scaled by the guide, loaded for a paint, or
    // not loaded yet.
    static QImage shownPicture(const QVariant& resource)
    {
        if (resource.userType() == QMetaType::QImage)
            return resource.value<QImage>();
        if (resource.userType() == QMetaType::QPixmap)
            return resource.value<QPixmap>().toImage();
        return QImage::fromData(resource.toByteArray());
    }
    // The "## " headings of a guide file, as written.
    static QStringList headingsOf(const QString& resource)
    {
        QFile file(resource);
        static_cast<void>(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll())
            .split(QLatin1Char('\n'))
            .filter(QRegularExpression(QStringLiteral("^## ")))
            .replaceInStrings(QRegularExpression(QStringLiteral("^## \\s*|\\s+$")), QString());
    }

    // What the operator reads on the control bar, the incoming window and the tool bar is written
    // in the guide as the program of this language shows it.
    static void checkLabelsWritten(const QString& text, const QString& language)
    {
        const std::pair<const char*, QStringList> labels[] = {
            { "ControlBar",
                { "Login", "READY", "IDLE", "INCOMING", "CALLING", "NO UNIT", "NO NETWORK", "MODULE NOT ANSWERING",
                    "CALLER HUNG UP %1", "LINE LOST", "CALL ENDED", "MISSED", "DECLINED", "NOT ANSWERED",
                    "WEAK %1 dBm" } },
            { "CIncomingForm", { " Accept", "Decline", "Calling..." } },
            { "MainWindow",
                { "RECEIVE", "SEND", "View", "Console", "Dialpad", "Phonebook", "Call History", "Status: Disconnected",
                    "Show event log" } },
            { "CCallHistoryForm", { "Missed only", "declined", "called back" } },
            { "PhonebookForm", { "Import..." } },
            { "CallParty", { "Withheld number" } },
            { "COutCallForm", { "Tone sent: %1" } },
            { "CloseDuringCall", { "Keep the program open" } },
        };
        for (const auto& [context, sources] : labels) {
            for (const QString& source : sources) {
                const QString translated = QCoreApplication::translate(context, source.toUtf8().constData());
                // A text not translated yet is the translation's own test's to report.
                if (language != QLatin1String("en") && translated == source)
                    continue;
                // The guide writes a label without the time, strength or keys that follow it on screen.
                const QString written
                    = QString(translated).remove(QRegularExpression(QStringLiteral(":? ?%1.*$"))).trimmed();
                QVERIFY2(text.contains(written), qPrintable(written));
            }
        }
    }

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

    void init()
    {
        m_defaultLocale = QLocale();
        m_rig = std::make_unique<VirtualHybridRig>();
        m_rig->window()->show();
    }
    void cleanup()
    {
        m_rig.reset();
        QLocale::setDefault(m_defaultLocale);
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
        // A window made in the language, as the program's is.
        m_rig.reset();
        m_rig = std::make_unique<VirtualHybridRig>();
        const bool nl = shown == QLatin1String("nl");
        QCOMPARE(m_rig->window()->menuBar()->actions().first()->text(), nl ? dutch("MainWindow", "File") : "File");
        QCOMPARE(m_rig->action("actionPhonebook")->text(), nl ? dutch("MainWindow", "Phonebook") : "Phonebook");
        QCOMPARE(m_rig->window()->statusText(),
            nl ? dutch("MainWindow", "Status: Disconnected") : QStringLiteral("Status: Disconnected"));
        // Qt's own buttons follow, where Qt's translation is installed.
        QVERIFY(m_rig->connectUnit());
        QString save;
        ModalAnswer::whenShown(this, [&save](QWidget* box) {
            save = static_cast<QMessageBox*>(box)->button(QMessageBox::Save)->text().remove('&');
            ModalAnswer::clickButton(box, QMessageBox::Cancel);
        });
        m_rig->window()->close();
        const bool qtDutch = QFile::exists(QLibraryInfo::location(QLibraryInfo::TranslationsPath) + "/qtbase_nl.qm");
        QVERIFY(!save.isEmpty());
        QCOMPARE(save == QLatin1String("Save"), !(nl && qtDutch));
    }

    void guideResourceFollowsTheLanguage_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("resource");
        const QString english = QStringLiteral(":/guide/operator-guide.md");
        const QString dutch = QStringLiteral(":/guide/operator-guide.nl.md");
        QTest::newRow("British") << QLocale(QLocale::English, QLocale::UnitedKingdom) << english;
        QTest::newRow("American") << QLocale(QLocale::English, QLocale::UnitedStates) << english;
        QTest::newRow("Dutch") << QLocale(QLocale::Dutch, QLocale::Netherlands) << dutch;
        QTest::newRow("Flemish") << QLocale(QLocale::Dutch, QLocale::Belgium) << dutch;
        QTest::newRow("German, not translated") << QLocale(QLocale::German, QLocale::Germany) << english;
        QTest::newRow("C") << QLocale::c() << english;
    }
    void guideResourceFollowsTheLanguage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, resource);
        QCOMPARE(OperatorGuideDialog::guideResource(locale), resource);
        QVERIFY2(QFile::exists(resource), qPrintable(resource));
    }

    void guideOfTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QStringList>("sections");
        QTest::addColumn<QString>("pictureSuffix");
        QTest::newRow("English") << "en"
                                 << ":/guide/operator-guide.md"
                                 << QStringList { "Answering a call", "Dialling", "Hanging up",
                                        "The control bar: colours and labels", "The meters", "Call history",
                                        "Phonebook", "When the unit or the network is lost" }
                                 << "/[a-z-]+\\.png$";
        QTest::newRow("Dutch") << "nl"
                               << ":/guide/operator-guide.nl.md"
                               << QStringList { "Een gesprek aannemen", "Bellen", "Ophangen",
                                      "De bedieningsbalk: kleuren en teksten", "De meters", "Gespreksgeschiedenis",
                                      "Telefoonboek", "Als het apparaat of het netwerk wegvalt" }
                               << "/[a-z-]+\\.nl\\.png$";
    }

    // The whole guide of the program's language, which names the keys and labels as the program
    // shows them.
    void guideOfTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, resource);
        QFETCH(QStringList, sections);
        QFETCH(QString, pictureSuffix);
        TranslationLoader translations;
        QCOMPARE(translations.install(language), language);
        m_rig->action("actionOperatorGuide")->trigger();
        auto* guide = m_rig->window()->findChild<OperatorGuideDialog*>();
        QVERIFY(guide && guide->isVisible());
        const QTextDocument* document
            = guide->findChild<QTextBrowser*>(QStringLiteral("textBrowser_guide"))->document();
        const QStringList shown = headings(document);
        for (const QString& section : sections)
            QVERIFY2(shown.contains(section), qPrintable(section + " missing from " + shown.join(" / ")));
        // Every section of the file is shown, in its order: none is cut off, none of another language added.
        QCOMPARE(shown, headingsOf(resource));
        // No technician's matter.
        const QString text = document->toPlainText();
        QVERIFY(text.size() > 5000);
        for (const char* technical : { "0xC0", "36 bytes", "36 byte", "AT+", "ATD", "hidraw", "udev", "Service",
                 "--service", "parlona.db", "SQLite", "cmake" })
            QVERIFY2(!text.contains(QLatin1String(technical), Qt::CaseInsensitive), technical);
        // Every picture is built in: the window in a call, the incoming call, the history and the phonebook.
        const QStringList pictures = guide->pictureNames();
        QCOMPARE(pictures.size(), 4);
        QCOMPARE(QSet<QString>(pictures.begin(), pictures.end()).size(), pictures.size());
        for (const QString& name : pictures) {
            const QImage picture(QStringLiteral(":/guide/") + name);
            QVERIFY2(!picture.isNull(), qPrintable(name));
            // A picture of the operator's program, not a stand-in.
            QVERIFY2(picture.width() >= 300 && picture.height() >= 100, qPrintable(name));
            // The pictures show the program in the guide's language.
            QVERIFY2(name.contains(QRegularExpression(pictureSuffix)), qPrintable(name));
            QVERIFY2(!name.contains(QLatin1String("service"), Qt::CaseInsensitive), qPrintable(name));
            // Shown whole beside the text, without a sideways scroll.
            const QVariant resource = document->resource(QTextDocument::ImageResource, QUrl(name));
            const QImage shown = shownPicture(resource);
            QVERIFY2(!shown.isNull(), qPrintable(name + " " + resource.typeName()));
            QVERIFY2(shown.width() < guide->width() - 40, qPrintable(QString::number(shown.width())));
        }
        // Asked for again, the same window comes forward.
        m_rig->action("actionOperatorGuide")->trigger();
        QCOMPARE(m_rig->window()->findChildren<OperatorGuideDialog*>().size(), 1);
        for (const QKeySequence& key : { CallKeys::DefaultAnswerKey, CallKeys::DefaultHangUpKey })
            QVERIFY(text.contains(key.toString(QKeySequence::NativeText)));
        checkLabelsWritten(text, language);
    }

    void aboutNamesTheConnectedUnitsFirmware()
    {
        QVERIFY(aboutText().contains(QStringLiteral("No unit connected")));
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->pumpUntil([&] { return m_rig->window()->statusText().contains(QStringLiteral("Firmware")); }));
        const QString about = aboutText();
        QVERIFY2(about.contains(QStringLiteral("firmware v2.1.0.7")), qPrintable(about));
        m_rig->unit()->unplug();
        QVERIFY(m_rig->pumpUntil([&] { return !m_rig->window()->context()->usb->isConnected(); }));
        QVERIFY(aboutText().contains(QStringLiteral("No unit connected")));
    }

    void quitClosesLikeTheCloseButton()
    {
        // Connected, the unit is first offered a store; Cancel keeps the program open.
        QVERIFY(m_rig->connectUnit());
        ModalAnswer::whenShown(this, [](QWidget* box) { ModalAnswer::clickButton(box, QMessageBox::Cancel); });
        m_rig->action("actionQuit")->trigger();
        QVERIFY(m_rig->window()->isVisible());
        QCOMPARE(m_rig->action("actionQuit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        m_rig->window()->context()->usb->stop();
        m_rig->action("actionQuit")->trigger();
        QVERIFY(!m_rig->window()->isVisible());
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
