#include "CUC20.h"
#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "FakeHidapi.h"
#include "HidapiBackend.h"
#include "MainWindow.h"

#include <QMetaType>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString serial = QStringLiteral("PH000032");

} // namespace

// The module engine inside the main window: its place in the shared record and its rows of the
// system's wiring.
class TestMainWindowUc20 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void engineIsOwnedAndShared();
    void stateTypesAreRegistered();
    void startupCommandsLeaveBeforeTheReadRequests();
    void moduleOutputReachesTheEngine();
    void dtmfZeroFromTheCallerFlashesTheWindow_data();
    void dtmfZeroFromTheCallerFlashesTheWindow();

private:
    void deliverLines(const QStringList& lines);
    QTimer* backlightTimer() const;

    QTemporaryDir m_settingsDir;
    HidapiBackend m_backend;
    MainWindow* m_window = nullptr;
};

void TestMainWindowUc20::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestMainWindowUc20::init()
{
    FakeHidapi::reset();
    FakeHidapi::plug(serial);
    m_window = new MainWindow(&m_backend, m_settingsDir.path());
}

void TestMainWindowUc20::cleanup()
{
    delete m_window;
    m_window = nullptr;
    FakeHidapi::reset();
}

void TestMainWindowUc20::deliverLines(const QStringList& lines)
{
    for (const QString& line : lines) {
        const QByteArray text = line.toLatin1() + '\0';
        FakeHidapi::deliver(serial, DeviceFrame::encode(3, 0, text.constData(), text.size()));
    }
    m_window->context()->usb->onHidTimer();
}

QTimer* TestMainWindowUc20::backlightTimer() const
{
    return m_window->findChild<QTimer*>(QStringLiteral("backlightTimer"));
}

void TestMainWindowUc20::engineIsOwnedAndShared()
{
    const AppContext* context = m_window->context();
    QVERIFY(context->uc20);
    QCOMPARE(context->uc20->parent(), m_window);
    QVERIFY(context->usb);
    QCOMPARE(context->uc20->callState(), VOICECALL_IDLE);
    QCOMPARE(context->uc20->simState(), SIM_UNKNOWN);
}

void TestMainWindowUc20::stateTypesAreRegistered()
{
    QVERIFY(QMetaType::type("VOICECALL_STATE") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("SIM_STATE") != QMetaType::UnknownType);
}

void TestMainWindowUc20::startupCommandsLeaveBeforeTheReadRequests()
{
    CUSBHID* link = m_window->context()->usb;
    QCOMPARE(link->start(serial), 0);
    while (link->pendingCount() > 0)
        link->onHidTimer();

    QStringList sent;
    for (const QByteArray& report : FakeHidapi::written(serial)) {
        const int id = quint8(report.at(1));
        if (id == 3)
            sent << QString::fromLatin1(report.mid(4, quint8(report.at(3)) - 4));
        else
            sent << QStringLiteral("id %1, type %2").arg(id).arg(quint8(report.at(2)));
    }
    const QStringList expected { "AT+CPIN?", "ATI", "AT+QCFG=\"amrcodec\"", "AT+GMI", "AT+GMM", "AT+GMR", "AT+GSN",
        "id 0, type 1", "id 1, type 1", "id 2, type 1", "id 8, type 1", "id 12, type 1", "id 14, type 1",
        "id 16, type 1", "id 5, type 1" };
    QCOMPARE(sent, expected);
}

void TestMainWindowUc20::moduleOutputReachesTheEngine()
{
    CUC20* uc20 = m_window->context()->uc20;
    QCOMPARE(m_window->context()->usb->start(serial), 0);
    deliverLines({ "AT+CLCC", "+CLCC: 1,1,4,0,0,\"0201234567\",129", "OK", "AT+CSQ" });
    QCOMPARE(uc20->queuedResponseCount(), 1);
    QCOMPARE(uc20->pendingLineCount(), 1);
    uc20->processMsgQueue();
    QCOMPARE(uc20->callState(), VOICECALL_INCOMING);
}

void TestMainWindowUc20::dtmfZeroFromTheCallerFlashesTheWindow_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("flashes");
    QTest::newRow("key 0") << "+QTONEDET: 48" << true;
    QTest::newRow("key 1") << "+QTONEDET: 49" << false;
}

void TestMainWindowUc20::dtmfZeroFromTheCallerFlashesTheWindow()
{
    QFETCH(QString, line);
    QFETCH(bool, flashes);
    QTimer* timer = backlightTimer();
    QVERIFY(timer);
    QCOMPARE(m_window->context()->usb->start(serial), 0);
    deliverLines({ line, "OK" });
    QVERIFY(!timer->isActive());
    m_window->context()->uc20->processMsgQueue();
    QCOMPARE(timer->isActive(), flashes);
}

QTEST_MAIN(TestMainWindowUc20)
#include "tst_mainwindow_uc20.moc"
