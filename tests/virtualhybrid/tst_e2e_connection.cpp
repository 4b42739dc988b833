#include "CConsole.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QString serialA = QStringLiteral("VH000001");
const QString disconnectedText = QStringLiteral("Status: Disconnected");
const QString connectedText = QStringLiteral("Status: Connected [Orvane Parlona, Firmware: v2.1.0.7]");
const QList<int> connectionRequests { 0, 1, 2, 8, 12, 14, 16, 5 };

} // namespace

// The real link and main window against a virtual unit. The program's own timers run in real
// time; the unit's clock is moved on by the test while it waits.
class TestE2eConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void autoConnectFindsTheUnit();
    void unplugClosesAndAutoConnectReopens();
    void rebootReconnects();
    void connectActionWithTwoUnitsAsks();

private:
    bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
    QAction* action(const char* name) const;

    QTemporaryDir m_settingsDir;
    ManualClock* m_clock = nullptr;
    VirtualHybridBackend* m_backend = nullptr;
    VirtualHybridUnit* m_unit = nullptr;
    MainWindow* m_window = nullptr;
};

void TestE2eConnection::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestE2eConnection::init()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    QSettings().clear();
    m_clock = new ManualClock;
    m_backend = new VirtualHybridBackend(m_clock);
    m_unit = m_backend->addUnit(serialA);
    m_window = new MainWindow(m_backend);
}

void TestE2eConnection::cleanup()
{
    delete m_window;
    delete m_backend;
    delete m_clock;
}

// Lets the program run in real time and the unit in steps of its own clock until condition
// holds.
bool TestE2eConnection::pumpUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        m_clock->advance(5);
        QTest::qWait(1);
    }
    return true;
}

QAction* TestE2eConnection::action(const char* name) const
{
    return m_window->findChild<QAction*>(QLatin1String(name));
}

void TestE2eConnection::autoConnectFindsTheUnit()
{
    CUSBHID* link = m_window->context()->usb;
    QSignalSpy received(link, &CUSBHID::dataAvailable);
    QCOMPARE(m_window->statusText(), disconnectedText);
    QVERIFY(!action("actionAutoConnect")->isChecked());
    action("actionAutoConnect")->trigger();
    QVERIFY(action("actionAutoConnect")->isChecked());

    QVERIFY(pumpUntil([&] { return m_window->statusText() == connectedText; }));
    QVERIFY(m_unit->isOpen());
    QCOMPARE(m_unit->readRequestsReceived(), connectionRequests);
    QCOMPARE(m_unit->badFramesReceived(), 0);

    // Every request with an answer was answered: the register report, serial number, hardware
    // id, auto-answer switch and firmware version.
    QVERIFY(pumpUntil([&] {
        QList<int> ids;
        for (const QList<QVariant>& arguments : qAsConst(received))
            ids.append(arguments[0].toInt());
        return ids.count(4) == 80 && ids.contains(1) && ids.contains(2) && ids.contains(16) && ids.contains(5);
    }));
    // The firmware's call polls come through the link too.
    QVERIFY(pumpUntil([&] {
        for (const QList<QVariant>& arguments : qAsConst(received)) {
            if (arguments[0].toInt() == 3 && arguments[2].toByteArray().startsWith("AT+CLCC"))
                return true;
        }
        return false;
    }));
    QVERIFY(m_window->findChild<CConsole*>()->plainText().contains(QStringLiteral("INFO] Connected")));
}

void TestE2eConnection::unplugClosesAndAutoConnectReopens()
{
    CUSBHID* link = m_window->context()->usb;
    QSignalSpy connected(link, &CUSBHID::connected);
    QSignalSpy disconnected(link, &CUSBHID::disconnected);
    action("actionAutoConnect")->trigger();
    QVERIFY(pumpUntil([&] { return m_window->statusText() == connectedText; }));

    m_unit->unplug();
    QVERIFY(pumpUntil([&] { return m_window->statusText() == disconnectedText; }));
    QVERIFY(!link->isConnected());
    QCOMPARE(disconnected.count(), 1);
    // Nothing to find while the cable is out.
    QTest::qWait(300);
    QCOMPARE(connected.count(), 1);
    QCOMPARE(m_window->statusText(), disconnectedText);

    m_unit->plug();
    QVERIFY(pumpUntil([&] { return m_window->statusText() == connectedText; }));
    QCOMPARE(connected.count(), 2);
    QCOMPARE(m_unit->readRequestsReceived(), connectionRequests + connectionRequests);
}

void TestE2eConnection::rebootReconnects()
{
    CUSBHID* link = m_window->context()->usb;
    QSignalSpy disconnected(link, &CUSBHID::disconnected);
    action("actionAutoConnect")->trigger();
    QVERIFY(pumpUntil([&] { return m_window->statusText() == connectedText; }));

    link->transmit(DeviceMessage::Reboot, DeviceMessage::Write, nullptr, 0);
    QVERIFY(pumpUntil([&] { return disconnected.count() == 1; }));
    QCOMPARE(m_window->statusText(), disconnectedText);
    // The unit comes back after its reboot time, and auto-connect opens it again.
    QVERIFY(pumpUntil([&] { return m_window->statusText() == connectedText; }));
    QVERIFY(m_clock->nowMs() >= VirtualHybridUnit::RebootMs);
}

void TestE2eConnection::connectActionWithTwoUnitsAsks()
{
    // Two units: Connect offers both in the selection dialog; the operator picks the second.
    VirtualHybridUnit* second = m_backend->addUnit(QStringLiteral("VH000002"));
    QStringList offered;
    QTimer::singleShot(200, this, [&offered] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("comboBox_select_device"));
        for (int i = 0; combo && i < combo->count(); ++i)
            offered.append(combo->itemText(i));
        if (combo)
            combo->setCurrentIndex(1);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    action("actionConnect")->trigger();
    QCOMPARE(offered, (QStringList { "VH000001", "VH000002" }));
    QVERIFY(pumpUntil([&] { return m_window->statusText() == connectedText; }));
    QVERIFY(second->isOpen());
    QVERIFY(!m_unit->isOpen());
}

QTEST_MAIN(TestE2eConnection)
#include "tst_e2e_connection.moc"
