#include "CConsole.h"
#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "DeviceSelectDialog.h"
#include "FakeHidapi.h"
#include "HidapiBackend.h"
#include "MainWindow.h"
#include "OrvanePPMMeter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtEndian>

#include <cstring>
#include <memory>

namespace {

const QString unitA = QStringLiteral("PH000001");
const QString unitB = QStringLiteral("PH000002");

QByteArray frame(quint8 id, const QByteArray& payload)
{
    return DeviceFrame::encode(id, 0, payload.constData(), payload.size());
}

QByteArray levelPayload(float recv, float send)
{
    QByteArray payload(8, '\0');
    quint32 bits;
    std::memcpy(&bits, &recv, 4);
    qToLittleEndian(bits, payload.data());
    std::memcpy(&bits, &send, 4);
    qToLittleEndian(bits, payload.data() + 4);
    return payload;
}

QList<int> writtenIds(const QString& serial)
{
    QList<int> ids;
    for (const QByteArray& report : FakeHidapi::written(serial))
        ids.append(quint8(report[1]));
    return ids;
}

int visibleSelectionDialogs()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<DeviceSelectDialog*>(widget) && widget->isVisible())
            ++count;
    }
    return count;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void titleAndToolBar();
    void statusFollowsTheLink();
    void firmwareReport_data();
    void firmwareReport();
    void debugTextFromTheUnit();
    void levelsDriveTheMeters();
    void windowFlash();
    void connectByHand();
    void autoConnectReopensAfterUnplug();
    void autoConnectWithTwoUnitsShowsOneDialog();
    void autoConnectSettingIsRemembered();
    void closingWhileConnectedClosesTheUnit();

private:
    MainWindow& window() { return *m_window; }
    QAction* action(const char* name) { return m_window->findChild<QAction*>(QLatin1String(name)); }
    QTimer* timer(const char* name) { return m_window->findChild<QTimer*>(QLatin1String(name)); }
    OrvanePPMMeter* meter(const char* name) { return m_window->findChild<OrvanePPMMeter*>(QLatin1String(name)); }
    void deliverAndWait(const QString& serial, const QByteArray& report);
    void answerSelectionDialog(int index, bool accept);

    QTemporaryDir m_settingsDir;
    HidapiBackend m_backend;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestMainWindow::init()
{
    FakeHidapi::reset();
    QSettings(QStringLiteral("Orvane"), QStringLiteral("Parlona Control")).clear();
    // The database goes with the settings, not into the build tree beside the test.
    m_window = std::make_unique<MainWindow>(&m_backend, m_settingsDir.path());
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    FakeHidapi::reset();
}

void TestMainWindow::deliverAndWait(const QString& serial, const QByteArray& report)
{
    QVERIFY(FakeHidapi::deliver(serial, report));
    QTRY_COMPARE(FakeHidapi::pendingInput(serial), 0);
}

void TestMainWindow::answerSelectionDialog(int index, bool accept)
{
    QTimer::singleShot(0, this, [index, accept] {
        auto* dialog = qobject_cast<DeviceSelectDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QComboBox*>(QStringLiteral("comboBox_select_device"))->setCurrentIndex(index);
        accept ? dialog->accept() : dialog->reject();
    });
}

void TestMainWindow::titleAndToolBar()
{
    QCOMPARE(window().windowTitle(), QStringLiteral("Parlona Control - v2.1.0.0"));
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Orvane"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Parlona Control"));
    QStringList texts;
    for (QAction* toolAction : window().findChild<QToolBar*>(QStringLiteral("toolBar"))->actions()) {
        texts.append(toolAction->text());
        QVERIFY2(!toolAction->icon().isNull(), qPrintable(toolAction->text()));
        QVERIFY(!toolAction->icon().pixmap(48, 48).isNull());
    }
    QCOMPARE(texts, QStringList({ "Dialpad", "Phonebook", "Equalizer", "Settings", "Call History", "Info" }));
    for (const char* name : { "actionDynamics", "actionSMS", "actionDebug" })
        QVERIFY2(action(name) && !action(name)->icon().isNull(), name);
}

void TestMainWindow::statusFollowsTheLink()
{
    FakeHidapi::plug(unitA);
    QCOMPARE(window().statusText(), QStringLiteral("Status: Disconnected"));
    QVERIFY(action("actionConnect")->isEnabled());
    QVERIFY(!action("actionDisconnect")->isEnabled());

    action("actionConnect")->trigger();
    QCOMPARE(window().statusText(), QStringLiteral("Status: Connected [Initializing...]"));
    QVERIFY(!action("actionConnect")->isEnabled());
    QVERIFY(action("actionDisconnect")->isEnabled());

    // The eight connection-time read requests, one per poll tick, in this order.
    const QList<int> requests { 0, 1, 2, 8, 12, 14, 16, 5 };
    QTRY_COMPARE(writtenIds(unitA).mid(writtenIds(unitA).size() - 8), requests);
    for (const QByteArray& report : FakeHidapi::written(unitA).mid(FakeHidapi::written(unitA).size() - 8)) {
        QCOMPARE(int(quint8(report[2])), int(DeviceMessage::Read));
        QCOMPARE(int(quint8(report[3])), 3);
    }

    action("actionDisconnect")->trigger();
    QCOMPARE(window().statusText(), QStringLiteral("Status: Disconnected"));
    QVERIFY(action("actionConnect")->isEnabled());
    QVERIFY(!action("actionDisconnect")->isEnabled());
    QVERIFY(!FakeHidapi::isOpen(unitA));
}

void TestMainWindow::firmwareReport_data()
{
    QTest::addColumn<QList<int>>("version");
    QTest::addColumn<QString>("status");
    QTest::newRow("2.1.0.7") << QList<int> { 2, 1, 0, 7 } << "Status: Connected [Orvane Parlona, Firmware: v2.1.0.7]";
    QTest::newRow("negative") << QList<int> { -1, 0, 0, 1 }
                              << "Status: Connected [Orvane Parlona, Firmware: v-1.0.0.1]";
}

void TestMainWindow::firmwareReport()
{
    QFETCH(QList<int>, version);
    QFETCH(QString, status);
    FakeHidapi::plug(unitA);
    action("actionConnect")->trigger();

    QByteArray payload(20, '\0');
    payload.replace(0, 4, "\xde\xad\xbe\xef"); // bytes 0-3 are not part of the version
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<qint32>(version[i], payload.data() + 4 + 4 * i);
    deliverAndWait(unitA, frame(DeviceMessage::FirmwareVersion, payload));
    QCOMPARE(window().statusText(), status);

    // Other ids leave the status alone.
    deliverAndWait(unitA, frame(6, payload));
    deliverAndWait(unitA, frame(200, payload));
    QCOMPARE(window().statusText(), status);
}

void TestMainWindow::debugTextFromTheUnit()
{
    FakeHidapi::plug(unitA);
    action("actionConnect")->trigger();
    auto* console = window().context()->console;

    QByteArray payload("Xboot ok\0ignored", 16);
    deliverAndWait(unitA, frame(DeviceMessage::DebugText, payload));
    QVERIFY(!console->plainText().contains(QStringLiteral("boot ok")));

    console->setLevelEnabled(CConsole::Debug, true);
    deliverAndWait(unitA, frame(DeviceMessage::DebugText, payload));
    QVERIFY2(console->plainText().endsWith(QStringLiteral("DEBUG] boot ok")), qPrintable(console->plainText()));
    // Latin-1 text and markup arrive as they are.
    deliverAndWait(unitA, frame(DeviceMessage::DebugText, QByteArray("-temp <b>42\xb0</b>")));
    QVERIFY(console->plainText().endsWith(QStringLiteral("DEBUG] temp <b>42\u00b0</b>")));
}

void TestMainWindow::levelsDriveTheMeters()
{
    OrvanePPMMeter* recv = meter("ppm_recv");
    OrvanePPMMeter* send = meter("ppm_send");
    QVERIFY(recv && send);
    QCOMPARE(recv->dBPosition(), -50.0);

    // Below the floor while both stand at the floor: nothing moves.
    window().onReceiveUSB(DeviceMessage::AudioLevels, 0, levelPayload(-60.0f, -60.0f));
    window().onMeterRelease();
    QCOMPARE(recv->dBPosition(), -50.0);
    QCOMPARE(send->dBPosition(), -50.0);

    // A rise is shown at the next tick, whole.
    window().onReceiveUSB(DeviceMessage::AudioLevels, 0, levelPayload(0.0f, -12.5f));
    window().onMeterRelease();
    QCOMPARE(recv->dBPosition(), 0.0);
    QCOMPARE(send->dBPosition(), -12.5);

    // A fall is limited to 0.133 dB per tick.
    window().onReceiveUSB(DeviceMessage::AudioLevels, 0, levelPayload(-40.0f, -40.0f));
    double expected = 0.0;
    for (int tick = 0; tick < 10; ++tick) {
        window().onMeterRelease();
        expected -= double(float(MainWindow::ReleaseStep));
        QVERIFY(qAbs(recv->dBPosition() - expected) < 1e-9);
    }
    // It settles exactly on the target and stays there.
    for (int tick = 0; tick < 400; ++tick)
        window().onMeterRelease();
    QCOMPARE(recv->dBPosition(), -40.0);
    QCOMPARE(send->dBPosition(), -40.0);

    // A corrupted report that is no number counts as silence, and the meters go on working.
    window().onReceiveUSB(DeviceMessage::AudioLevels, 0, levelPayload(qQNaN(), -qInf()));
    for (int tick = 0; tick < 200; ++tick)
        window().onMeterRelease();
    QCOMPARE(recv->dBPosition(), -50.0);
    QCOMPARE(send->dBPosition(), -50.0);
    window().onReceiveUSB(DeviceMessage::AudioLevels, 0, levelPayload(-6.0f, -6.0f));
    window().onMeterRelease();
    QCOMPARE(recv->dBPosition(), -6.0);
}

void TestMainWindow::windowFlash()
{
    QTimer* flash = timer("backlightTimer");
    QVERIFY(flash && !flash->isActive());
    // The flash changes the background only: the tool bar keeps its size and its buttons.
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    auto* toolBar = window().findChild<QToolBar*>(QStringLiteral("toolBar"));
    const auto toolBarLayout = [toolBar] {
        QList<QRect> places { toolBar->geometry() };
        for (const QToolButton* button : toolBar->findChildren<QToolButton*>())
            places << button->geometry();
        return places;
    };
    const QList<QRect> toolBarBefore = toolBarLayout();
    const QString normal = window().styleSheet();
    QVERIFY(normal.contains(QStringLiteral("rgb(135, 135, 135)")));

    window().onDTMFfromCaller('5');
    QVERIFY(!flash->isActive());
    window().onDTMFfromCaller('0');
    QVERIFY(flash->isActive());
    QCOMPARE(flash->interval(), 200);

    // Alert, normal, alert, normal, alert, normal; then the flash ends.
    QStringList seen;
    for (int tick = 0; tick < 6; ++tick) {
        QVERIFY(flash->isActive());
        window().onBacklightTimeout();
        seen.append(window().styleSheet().contains(QStringLiteral("rgb(255, 20, 20)")) ? "alert" : "normal");
        if (tick == 1) // a second '0' during the flash restarts the interval, not the count
            window().onDTMFfromCaller('0');
    }
    QCOMPARE(seen, QStringList({ "alert", "normal", "alert", "normal", "alert", "normal" }));
    QVERIFY(!flash->isActive());
    QCOMPARE(window().styleSheet(), normal);
    QApplication::processEvents();
    QCOMPARE(toolBarLayout(), toolBarBefore);

    // The same through the event loop, started by role 1 and cut short by role 0.
    window().onSetBackgroundBehaviour(BACKGROUND_FLASH);
    QTRY_VERIFY(window().styleSheet().contains(QStringLiteral("rgb(255, 20, 20)")));
    window().onSetBackgroundBehaviour(BACKGROUND_NORMAL);
    QVERIFY(!flash->isActive());
    QCOMPARE(window().styleSheet(), normal);
}

void TestMainWindow::connectByHand()
{
    // No unit: nothing happens, nothing is said.
    const QString before = window().context()->console->plainText();
    action("actionConnect")->trigger();
    QCOMPARE(window().context()->console->plainText(), before);
    QCOMPARE(FakeHidapi::openCalls(), 0);

    // Two units: the dialog lists both in listing order; Cancel opens none.
    FakeHidapi::plug(unitA);
    FakeHidapi::plug(unitB);
    QStringList listed;
    QTimer::singleShot(0, this, [&listed] {
        auto* dialog = qobject_cast<DeviceSelectDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Device Selection"));
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("comboBox_select_device"));
        for (int i = 0; i < combo->count(); ++i)
            listed.append(combo->itemText(i));
        dialog->reject();
    });
    action("actionConnect")->trigger();
    QCOMPARE(listed, QStringList({ unitA, unitB }));
    QVERIFY(!window().context()->usb->isConnected());

    // OK opens the one selected.
    answerSelectionDialog(1, true);
    action("actionConnect")->trigger();
    QVERIFY(FakeHidapi::isOpen(unitB));
    QVERIFY(!FakeHidapi::isOpen(unitA));
    action("actionDisconnect")->trigger();

    // One unit: opened at once, without a dialog.
    FakeHidapi::unplug(unitB);
    action("actionConnect")->trigger();
    QVERIFY(FakeHidapi::isOpen(unitA));
}

void TestMainWindow::autoConnectReopensAfterUnplug()
{
    // With no unit attached, auto-connect keeps looking and says nothing.
    QVERIFY(!timer("autoConnectTimer")->isActive());
    action("actionAutoConnect")->trigger();
    QVERIFY(timer("autoConnectTimer")->isActive());
    QCOMPARE(timer("autoConnectTimer")->interval(), 100);
    QTRY_VERIFY(FakeHidapi::enumerateCalls() >= 3);
    QCOMPARE(FakeHidapi::openCalls(), 0);
    QCOMPARE(visibleSelectionDialogs(), 0);

    FakeHidapi::plug(unitA);
    QTRY_COMPARE(window().statusText(), QStringLiteral("Status: Connected [Initializing...]"));
    // The module engine's seven start-up commands, then the eight read requests.
    QTRY_COMPARE(FakeHidapi::written(unitA).size(), 15);

    FakeHidapi::unplug(unitA);
    QTRY_COMPARE(window().statusText(), QStringLiteral("Status: Disconnected"));
    QVERIFY(!action("actionConnect")->isEnabled());
    QVERIFY(!action("actionDisconnect")->isEnabled());
    QTest::qWait(250);
    QVERIFY(!window().context()->usb->isConnected());

    FakeHidapi::plug(unitA);
    QTRY_VERIFY_WITH_TIMEOUT(window().context()->usb->isConnected(), 1000);
    QTRY_COMPARE(writtenIds(unitA).mid(15), QList<int>({ 3, 3, 3, 3, 3, 3, 3, 0, 1, 2, 8, 12, 14, 16, 5 }));

    // Switching auto-connect off while connected: Disconnect enabled, Connect disabled.
    action("actionAutoConnect")->trigger();
    QVERIFY(!timer("autoConnectTimer")->isActive());
    QVERIFY(!action("actionConnect")->isEnabled());
    QVERIFY(action("actionDisconnect")->isEnabled());
}

void TestMainWindow::autoConnectWithTwoUnitsShowsOneDialog()
{
    FakeHidapi::plug(unitA);
    FakeHidapi::plug(unitB);
    int mostDialogs = 0;
    // Once the first dialog is up, the operator leaves it open for a while; ticks keep coming
    // meanwhile. The watcher runs inside the dialog's own event loop.
    QTimer watcher;
    watcher.setInterval(20);
    connect(&watcher, &QTimer::timeout, this, [this, &watcher, &mostDialogs] {
        if (!qobject_cast<DeviceSelectDialog*>(QApplication::activeModalWidget()))
            return;
        watcher.stop();
        for (int i = 0; i < 8; ++i) {
            QTest::qWait(60);
            mostDialogs = qMax(mostDialogs, visibleSelectionDialogs());
        }
        answerSelectionDialog(1, true);
    });
    watcher.start();
    action("actionAutoConnect")->trigger();
    QTRY_VERIFY(FakeHidapi::isOpen(unitB));
    QCOMPARE(mostDialogs, 1);

    // While a unit is open, the ticks do not offer the choice again.
    QTest::qWait(350);
    QCOMPARE(visibleSelectionDialogs(), 0);
    QVERIFY(FakeHidapi::isOpen(unitB));
}

void TestMainWindow::autoConnectSettingIsRemembered()
{
    QVERIFY(!QSettings().contains(QStringLiteral("AutoConnect")));
    action("actionAutoConnect")->trigger();
    m_window.reset();
    QCOMPARE(QSettings().value(QStringLiteral("AutoConnect")).toBool(), true);

    m_window = std::make_unique<MainWindow>(&m_backend, m_settingsDir.path());
    QVERIFY(action("actionAutoConnect")->isChecked());
    QVERIFY(timer("autoConnectTimer")->isActive());
    QVERIFY(!action("actionConnect")->isEnabled());

    action("actionAutoConnect")->trigger();
    m_window.reset();
    QCOMPARE(QSettings().value(QStringLiteral("AutoConnect")).toBool(), false);
    m_window = std::make_unique<MainWindow>(&m_backend, m_settingsDir.path());
    QVERIFY(!timer("autoConnectTimer")->isActive());
}

void TestMainWindow::closingWhileConnectedClosesTheUnit()
{
    FakeHidapi::plug(unitA);
    action("actionConnect")->trigger();
    QVERIFY(FakeHidapi::isOpen(unitA));
    m_window.reset();
    QVERIFY(!FakeHidapi::isOpen(unitA));
    QCOMPARE(FakeHidapi::closeCalls(), 1);
    QCOMPARE(FakeHidapi::exitCalls(), 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
