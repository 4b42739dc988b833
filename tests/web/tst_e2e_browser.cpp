#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CallHistoryExport.h"
#include "CallNotes.h"
#include "MainWindow.h"
#include "RemoteControl.h"
#include "ScreeningService.h"
#include "TranslationLoader.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QTableWidget>
#include <QTest>

#include <memory>

// The screening page in real browsers: a script drives headless Chromium through chromedriver
// (tests/web/screening_browser.py) against the whole program on a virtual hybrid, and asks this
// test, line by line, to ring a call or to tell what the program holds. Log in (a wrong password
// refused), a call rings on two pages at once, is answered, noted and hung up from one of them;
// a page without the session's cookie can do nothing.
//
// With PARLONA_SCREENSHOTS set to a folder, the pages are photographed there, in English and
// (a second run, with PARLONA_SCREENSHOTS_LANGUAGE=nl) in Dutch.
class TestE2eBrowser : public QObject
{
    Q_OBJECT

private slots:
    void screeningInBrowsers()
    {
        if (!QFileInfo::exists(QStringLiteral("/usr/bin/chromedriver")))
            QSKIP("chromedriver is not installed (Debian: chromium-driver)");
        TranslationLoader translations;
        if (qEnvironmentVariable("PARLONA_SCREENSHOTS_LANGUAGE") == QLatin1String("nl"))
            QCOMPARE(translations.install(QStringLiteral("nl")), QStringLiteral("nl"));
        m_rig = std::make_unique<VirtualHybridRig>();
        // The caller rang twice before.
        for (const char* day : { "2026-11-02T09:15:00", "2026-12-01T17:40:00" })
            m_rig->window()->context()->database->query(
                QStringLiteral("INSERT INTO call_register (phone_number, call_type, duration, time_date) "
                               "VALUES ('0612345678', 0, 60000, ?)"),
                { QString::fromLatin1(day) });
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->pumpUntil([this] { return uc20()->simState() == SIM_READY; }));
        ScreeningConfig config;
        config.port = 0;
        config.password = ScreeningPassword::make(QStringLiteral("Studio 3 achter"), ScreeningPassword::LeastRounds);
        QVERIFY(m_rig->window()->screening()->start(config));

        QProcess script;
        script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        connect(&script, &QProcess::readyReadStandardOutput, this, [this, &script] { answer(&script); });
        QStringList arguments { QStringLiteral(PARLONA_BROWSER_SCRIPT),
            QString::number(m_rig->window()->screening()->ports().value(0)), QStringLiteral("Studio 3 achter") };
        const QString shots = qEnvironmentVariable("PARLONA_SCREENSHOTS");
        if (!shots.isEmpty()) {
            const QString folder
                = shots + QLatin1Char('/') + qEnvironmentVariable("PARLONA_SCREENSHOTS_LANGUAGE", "en");
            QDir().mkpath(folder);
            arguments << folder;
        }
        // Debian's Python, which has Debian's Selenium.
        script.start(QStringLiteral("/usr/bin/python3"), arguments);
        QVERIFY(script.waitForStarted());
        const bool ended = m_rig->pumpUntil([&script] { return script.state() == QProcess::NotRunning; }, 150000);
        if (!ended)
            script.kill();
        script.waitForFinished();
        QVERIFY2(ended, "the browser script did not finish");
        QCOMPARE(script.exitStatus(), QProcess::NormalExit);
        QCOMPARE(script.exitCode(), 0);
        QVERIFY(m_asked > 3);

        // The call is in the history with the producer's notes, and in its CSV.
        QTableWidget* history = m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        // The newest first; the two calls before it have no notes.
        QVERIFY(m_rig->pumpUntil([history] { return history->rowCount() == 2; }));
        const QString notes = history->item(0, CCallHistoryForm::ColumnNotes)->text();
        QVERIFY2(
            notes.endsWith(QStringLiteral(" \u00b7 Anna de Vries, Zwolle \u2013 The new bridge")), qPrintable(notes));
        QBuffer csv;
        QVERIFY(csv.open(QIODevice::WriteOnly));
        QCOMPARE(CallHistoryExport(m_rig->window()->context()->database).write(&csv), 3);
        const QByteArray newest = csv.data().trimmed().split('\n').last();
        QVERIFY2(newest.startsWith(QDate::currentDate().toString(Qt::ISODate).toLatin1())
                && newest.contains(",0612345678,") && newest.contains(",answered,")
                && newest.contains(",Anna de Vries,Zwolle,The new bridge,yes,"),
            newest.constData());
    }

    void cleanup() { m_rig.reset(); }

private:
    CUC20* uc20() const { return m_rig->window()->context()->uc20; }

    // Answers each complete line the script asked.
    void answer(QProcess* script)
    {
        while (script->canReadLine()) {
            const QString line = QString::fromUtf8(script->readLine()).trimmed();
            ++m_asked;
            if (line.startsWith(QLatin1String("ring "))) {
                m_rig->unit()->ringIn(line.mid(5));
                script->write("ok\n");
            } else if (line == QLatin1String("status")) {
                const CallNote note = m_rig->window()->context()->callNotes->current();
                // What the presenter reads in the notes strip of the window.
                QStringList strip;
                for (const char* name : { "label_notesReady", "label_notesCaller", "label_notesTopic" })
                    strip << m_rig->window()->findChild<QLabel*>(QLatin1String(name))->text();
                const QJsonObject status { { QStringLiteral("call"),
                                               RemoteControl::callStateName(uc20()->callState()) },
                    { QStringLiteral("strip"), strip.join(QStringLiteral(" | ")) },
                    { QStringLiteral("notes"),
                        QJsonObject { { QStringLiteral("callerName"), note.callerName },
                            { QStringLiteral("place"), note.place }, { QStringLiteral("topic"), note.topic },
                            { QStringLiteral("readyForAir"), note.readyForAir } } } };
                script->write(QJsonDocument(status).toJson(QJsonDocument::Compact) + '\n');
            }
        }
    }

    std::unique_ptr<VirtualHybridRig> m_rig;
    int m_asked = 0;
};

QTEST_MAIN(TestE2eBrowser)
#include "tst_e2e_browser.moc"
