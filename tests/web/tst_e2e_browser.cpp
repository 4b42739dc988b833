#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CallNotes.h"
#include "MainWindow.h"
#include "RemoteControl.h"
#include "ScreeningService.h"
#include "TranslationLoader.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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
        config.password = ScreeningPassword::make(QStringLiteral("Studio 3 achter"));
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
                const QJsonObject status { { QStringLiteral("call"),
                                               RemoteControl::callStateName(uc20()->callState()) },
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
