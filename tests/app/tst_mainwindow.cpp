#include "CConsole.h"
#include "CDatabase.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"
#include "DeviceSelectDialog.h"
#include "FakeHidapi.h"
#include "MainWindow.h"
#include "MemoryHidBackend.h"
#include "OrvanePPMMeter.h"
#include "ProgramEnvironment.h"
#include "WindowFit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QScrollArea>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

static const QString unitA = QStringLiteral("PH000001");
static const QString unitB = QStringLiteral("PH000002");
static const QString disconnected = QStringLiteral("Status: Disconnected");
static const QString initializing = QStringLiteral("Status: Connected [Initializing...]");

// The main window, also on a laptop screen: it fits 1366 x 768, pages scroll instead of stretching
// the window, and the meter titles are whole.
class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    MemoryHidBackend m_backend;
    std::unique_ptr<MainWindow> m_window;
    int m_choice = -1;     // the unit the operator picks in a selection dialog; -1 cancels
    int m_offered = 0;     // units the last selection dialog offered
    int m_mostDialogs = 0; // selection dialogs seen open at once

    MainWindow& window() { return *m_window; }
    QString log() { return m_window->context()->console->plainText(); }
    QAction* action(const char* name) { return m_window->findChild<QAction*>(QLatin1String(name)); }
    QTimer* timer(const char* name) { return m_window->findChild<QTimer*>(QLatin1String(name)); }

    void makeWindow()
    {
        m_window.reset();
        // The database goes with the settings, not into the build tree beside the test.
        m_window = std::make_unique<MainWindow>(&m_backend, m_settingsDir.path());
        answerSelections();
    }

    // Answers every selection dialog while the window lives, one opened inside another's loop too
    // (hence a fresh single-shot timer each time). The auto-connect tick goes on meanwhile.
    void answerSelections()
    {
        QTimer::singleShot(5, m_window.get(), [this] {
            answerSelections();
            auto* dialog = qobject_cast<DeviceSelectDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            const QList<DeviceSelectDialog*> open = window().findChildren<DeviceSelectDialog*>();
            m_mostDialogs = qMax(m_mostDialogs, open.size());
            m_offered = dialog->deviceCount();
            if (open.size() == 1 && timer("autoConnectTimer")->isActive())
                window().onAutoConnectTimeout();
            if (m_choice >= 0) // Cancel leaves the first unit selected
                dialog->findChild<QComboBox*>(QStringLiteral("comboBox_select_device"))->setCurrentIndex(m_choice);
            m_choice >= 0 ? dialog->accept() : dialog->reject();
        });
    }

    // Runs the meter tick until it stops; returns the ticks it took.
    int tickUntilIdle()
    {
        int ticks = 0;
        for (; timer("meterTimer")->isActive() && ticks < 1000; ++ticks)
            window().onMeterRelease();
        return ticks;
    }

    void levels(float recv, float send)
    {
        window().onReceiveUSB(DeviceMessage::AudioLevels, 0, DevicePayload::levelsPayload({ recv, send }));
    }

private slots:
    void initTestCase()
    {
        isolateSettings(m_settingsDir.path());
        // The size desktops use; the headless platform's own is larger.
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    }

    void init()
    {
        QSettings().clear();
        m_backend = MemoryHidBackend();
        m_choice = -1;
        m_offered = 0;
        m_mostDialogs = 0;
        makeWindow();
    }

    void cleanup() { m_window.reset(); }

    void connectionAndMeters_data()
    {
        QTest::addColumn<float>("corrupted"); // a level that a corrupted report can still carry
        QTest::newRow("NaN") << float(qQNaN());
        QTest::newRow("-inf") << float(-qInf());
    }

    // Connect and Disconnect; meanwhile the meter tick runs only while a meter has somewhere to go,
    // and never cuts a release short.
    void connectionAndMeters()
    {
        QFETCH(float, corrupted);
        QTimer* tick = timer("meterTimer");
        auto* recv = window().findChild<OrvanePPMMeter*>(QStringLiteral("ppm_recv"));
        auto* send = window().findChild<OrvanePPMMeter*>(QStringLiteral("ppm_send"));
        m_backend.plug(unitA);
        QCOMPARE(window().statusText(), disconnected);
        action("actionConnect")->trigger();
        QCOMPARE(window().statusText(), initializing);
        QVERIFY(!action("actionConnect")->isEnabled() && action("actionDisconnect")->isEnabled());
        // Both meters start at their level: the first tick finds nothing to do.
        QCOMPARE(tickUntilIdle(), 1);
        // A rise takes one tick and the next finds nothing to do; the same levels again leave it asleep.
        levels(0.0f, -12.5f);
        QCOMPARE(tickUntilIdle(), 2);
        levels(0.0f, -12.5f);
        QVERIFY(!tick->isActive());
        // One meter falls 0.133 dB a tick to its level while the other stands still.
        levels(-40.0f, -12.5f);
        window().onMeterRelease();
        window().onMeterRelease();
        QVERIFY(qAbs(recv->dBPosition() + 0.266) < 1e-6 && send->dBPosition() == -12.5);
        tickUntilIdle();
        QVERIFY(recv->dBPosition() == -40.0 && send->dBPosition() == -12.5);
        // A corrupted level counts as the floor, and the meters go on working.
        levels(corrupted, corrupted);
        tickUntilIdle();
        QVERIFY(recv->dBPosition() == -50.0 && send->dBPosition() == -50.0);
        levels(-6.0f, -6.0f);
        window().onMeterRelease();
        QVERIFY(recv->dBPosition() == -6.0 && send->dBPosition() == -6.0);
        tickUntilIdle();
        // Losing the unit wakes the tick, and both meters fall to the floor.
        action("actionDisconnect")->trigger();
        QVERIFY(tick->isActive());
        tickUntilIdle();
        QVERIFY(recv->dBPosition() == -50.0 && send->dBPosition() == -50.0);
        QVERIFY(!m_backend.isOpen(unitA) && window().statusText() == disconnected);
        QVERIFY(action("actionConnect")->isEnabled() && !action("actionDisconnect")->isEnabled());
    }

    void meterWakesForAVisibleChange_data()
    {
        QTest::addColumn<float>("from");
        QTest::addColumn<float>("to");
        QTest::addColumn<bool>("wakes");
        QTest::newRow("noise under the scale") << -58.0f << -55.5f << false;
        QTest::newRow("a thousandth of a dB up") << -20.0f << -19.999f << false;
        QTest::newRow("a thousandth of a dB down") << -20.0f << -20.001f << false;
        QTest::newRow("onto the scale") << -58.0f << -49.0f << true;
    }

    // A resting meter tick is woken only by a level that moves a bar by a pixel at least.
    void meterWakesForAVisibleChange()
    {
        QFETCH(float, from);
        QFETCH(float, to);
        QTimer* tick = timer("meterTimer");
        // The receive meter, then the send meter, is the one that changes.
        for (const auto& change : { DevicePayload::Levels { to, from }, DevicePayload::Levels { from, to } }) {
            levels(from, from);
            tickUntilIdle();
            window().onReceiveUSB(DeviceMessage::AudioLevels, 0, DevicePayload::levelsPayload(change));
            QTEST(tick->isActive(), "wakes");
        }
    }

    void windowFlash()
    {
        // The flash changes the background only: the tool bar and its buttons stay in place.
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        const auto toolBarLayout = [this] {
            auto* toolBar = window().findChild<QToolBar*>(QStringLiteral("toolBar"));
            QList<QRect> places { toolBar->geometry() };
            for (const QWidget* part : toolBar->findChildren<QWidget*>())
                places << part->geometry();
            return places;
        };
        const QList<QRect> toolBarBefore = toolBarLayout();
        const QString normal = window().styleSheet();
        const auto shown = [this] { return window().styleSheet().contains("rgb(255, 20, 20)") ? "alert" : "normal"; };
        QTimer* flash = timer("backlightTimer");
        window().onDTMFfromCaller('5');
        QVERIFY(!flash->isActive());

        // A '0' from the caller: alert and normal three times; a second '0' restarts the interval, not the count.
        window().onDTMFfromCaller('0');
        QStringList seen;
        for (int tick = 0; tick < 6; ++tick) {
            QVERIFY(flash->isActive());
            window().onBacklightTimeout();
            seen << shown();
            if (tick == 1)
                window().onDTMFfromCaller('0');
        }
        QCOMPARE(seen, QStringList({ "alert", "normal", "alert", "normal", "alert", "normal" }));
        QVERIFY(!flash->isActive());
        QCOMPARE(window().styleSheet(), normal);
        QApplication::processEvents();
        QCOMPARE(toolBarLayout(), toolBarBefore);
    }

    void autoConnect()
    {
        QVERIFY(!timer("autoConnectTimer")->isActive());
        action("actionAutoConnect")->trigger();
        // Written at once: a program that is killed keeps the switches as they were set.
        QVERIFY(QSettings().value("AutoConnect").toBool());
        action("actionTrayNotices")->trigger();
        QCOMPARE(QSettings().value("TrayNotices").toBool(), action("actionTrayNotices")->isChecked());

        // No unit: it keeps looking and says nothing. One unit: it connects.
        const QString logBefore = log();
        window().onAutoConnectTimeout();
        QCOMPARE(log(), logBefore);
        m_backend.plug(unitA);
        QTRY_COMPARE(window().statusText(), initializing);
        QVERIFY(!action("actionConnect")->isEnabled() && !action("actionDisconnect")->isEnabled());

        // It follows the cable; with two units the operator picks one (Cancel opens none) in one dialog
        // however long the choice takes, and is not asked again while one is open.
        m_backend.unplug(unitA);
        QTRY_COMPARE(window().statusText(), disconnected);
        m_backend.plug(unitA);
        m_backend.plug(unitB);
        QTRY_COMPARE(m_offered, 2);
        QVERIFY(!m_backend.isOpen(unitA) && !m_backend.isOpen(unitB));
        m_choice = 1;
        QTRY_VERIFY(m_backend.isOpen(unitB));
        QCOMPARE(m_mostDialogs, 1);
        m_offered = 0;
        window().onAutoConnectTimeout();
        QCOMPARE(m_offered, 0);

        // Closing the window closes the unit, and the next start connects by itself again.
        m_window.reset();
        QVERIFY(!m_backend.isOpen(unitB));
        makeWindow();
        QVERIFY(action("actionAutoConnect")->isChecked());
        QTRY_VERIFY(m_backend.isOpen(unitB));
    }

    void servicePagesOnlyInTheServiceMenu()
    {
        // Every page has its action; the service pages sit on no tool bar and in no menu...
        const QList<const char*> service { "actionDebug", "actionSMS", "actionDynamics" };
        for (const char* name : { "actionDialpad", "actionPhonebook", "actionEqualizer", "actionSettings",
                 "actionCallHistory", "actionInfo", "actionDebug", "actionSMS", "actionDynamics" }) {
            QVERIFY2(action(name) && action(name)->isEnabled(), name);
            QCOMPARE(action(name)->associatedWidgets().isEmpty(), service.contains(name));
        }
        QVERIFY(!window().findChild<QMenu*>(QStringLiteral("menuService")));
        // ...until the program is started for a technician.
        window().showServiceMenu();
        window().showServiceMenu();
        auto* menu = window().findChild<QMenu*>(QStringLiteral("menuService"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("Service"));
        QCOMPARE(
            menu->actions(), QList<QAction*>({ action("actionDebug"), action("actionSMS"), action("actionDynamics") }));
        // Before Help.
        QStringList titles;
        for (const QAction* entry : window().menuBar()->actions())
            titles << entry->text();
        QCOMPARE(titles, QStringList({ "File", "View", "Service", "Help" }));
    }

    // Built with their plain constructors, as code written against the program's classes does:
    // real units through hidapi (replaced at link time in every test), the database beside the program.
    void plainConstructors()
    {
        m_window.reset();
        const QString databaseFile = QDir(QCoreApplication::applicationDirPath()).filePath("parlona.db");
        QFile::remove(databaseFile);
        FakeHidapi::reset();
        FakeHidapi::plug(unitB);
        {
            MainWindow window;
            window.show();
            window.on_actionDoStatusBar_triggered();
            window.findChild<QAction*>(QStringLiteral("actionConnect"))->trigger();
            QCOMPARE(window.statusText(), initializing);
            QVERIFY(QSqlQuery().exec(QStringLiteral("SELECT count(*) FROM call_register")));
        }
        QVERIFY(!FakeHidapi::isOpen(unitB));
        // The window's register is in the file that a plain database opens, as the default connection.
        {
            CDatabase database(nullptr);
            QCOMPARE(QDir::cleanPath(database.fileName()), QDir::cleanPath(databaseFile));
            QVERIFY(QSqlQuery().exec(QStringLiteral("SELECT count(*) FROM call_register")));
        }
        QVERIFY(QFile::remove(databaseFile));
    }

    void fitted_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        const QRect laptop(0, 0, 1366, 740); // a panel at the bottom takes 28 px
        QTest::newRow("fits as it is") << QRect(100, 50, 700, 600) << laptop << QRect(100, 50, 700, 600);
        QTest::newRow("too tall: shrunk, moved up") << QRect(100, 50, 720, 962) << laptop << QRect(100, 0, 720, 740);
        QTest::newRow("off the right edge") << QRect(1000, 10, 700, 600) << laptop << QRect(666, 10, 700, 600);
        QTest::newRow("off the top left") << QRect(-30, -20, 700, 600) << laptop << QRect(0, 0, 700, 600);
        QTest::newRow("second screen, panel on top")
            << QRect(1400, 0, 800, 1000) << QRect(1366, 30, 1920, 1050) << QRect(1400, 30, 800, 1000);
    }

    void fitted()
    {
        QFETCH(QRect, wanted);
        QFETCH(QRect, available);
        QTEST(WindowFit::fitted(wanted, available), "placed");
    }

    void fitsALaptopScreen()
    {
        MainWindow* window = m_window.get();
        // Whatever page is on show, and with the console on: the window can be made short enough
        // for 768 px less a title bar and a panel.
        window->findChild<QDockWidget*>("dockConsole")->show();
        QStackedWidget* pages = window->findChild<QStackedWidget*>("stackedWidget");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QVERIFY2(window->minimumSizeHint().height() <= 700,
                qPrintable(QStringLiteral("%1: %2").arg(pages->widget(page)->objectName()).arg(window->minimumSizeHint().height())));
            QVERIFY(window->minimumSizeHint().width() <= 1366);
        }
        QCOMPARE(pages->parentWidget()->parentWidget(), window->findChild<QScrollArea*>("pageScrollArea"));
        // The meter titles (receive, send) fit their boxes beside the frame; the whole text is in the tool tip.
        for (const char* box : { "groupBox_2", "groupBox" }) {
            auto* group = window->findChild<QGroupBox*>(box);
            QVERIFY2(group->fontMetrics().horizontalAdvance(group->title()) + 12 <= group->maximumWidth(), box);
            QVERIFY(group->toolTip().startsWith(group->title() + " ("));
        }
    }

    // The console can be hidden, and stays so; a speed dial stored on the settings page is named
    // on its button's tool tip at once. Started with the session (--minimized) without a tray, the
    // window is minimized, never hidden out of reach.
    void consoleSpeedDialAndStart()
    {
        QAction* toggle = action("actionConsole");
        QDockWidget* dock = window().findChild<QDockWidget*>("dockConsole");
        window().show();
        const bool shown = dock->isVisible();
        toggle->trigger();
        QCOMPARE(dock->isVisible(), !shown);
        QCOMPARE(QSettings().value("ConsoleVisible").toBool(), !shown);

        QTest::keyClicks(window().findChild<QLineEdit*>("lineEdit_dialnr3"), "0201234567");
        const QString tip = window().findChild<QAbstractButton*>("pushButton_dialnr3")->toolTip();
        QVERIFY2(tip.contains("0201234567"), qPrintable(tip));

        window().hide();
        window().showAtStart(true);
        QVERIFY(window().isVisible() && window().isMinimized());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
