#include "CUC20.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"
#include "VirtualUC20Module.h"

#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString serial = QStringLiteral("VH000001");

} // namespace

// The module engine in the main window against a virtual hybrid on a test clock: everything the
// engine knows comes from the unit's module through the USB frames, as it would from a real one.
class TestE2eGsm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startupCommandsAndIdentification();
    void incomingCallAnsweredAndEndedByTheFarEnd();
    void outgoingCall();
    void pinLockedSim();
    void signalCodecAndCallerKeys();

private:
    void connectUnit();
    // Lets the unit and the program run in 1 ms steps (the link's poll and the drain step each
    // millisecond) until done() holds or ms have passed; true when done() held.
    bool runUntil(const std::function<bool()>& done, int ms);
    void run(int ms);

    QTemporaryDir m_settingsDir;
    ManualClock* m_clock = nullptr;
    VirtualHybridBackend* m_backend = nullptr;
    VirtualHybridUnit* m_unit = nullptr;
    MainWindow* m_window = nullptr;
    CUSBHID* m_link = nullptr;
    CUC20* m_uc20 = nullptr;
};

void TestE2eGsm::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestE2eGsm::init()
{
    m_clock = new ManualClock;
    m_backend = new VirtualHybridBackend(m_clock);
    m_unit = m_backend->addUnit(serial);
    QVERIFY(m_unit);
    m_window = new MainWindow(m_backend, m_settingsDir.path());
    m_link = m_window->context()->usb;
    m_uc20 = m_window->context()->uc20;
}

void TestE2eGsm::cleanup()
{
    delete m_window;
    delete m_backend;
    delete m_clock;
    m_window = nullptr;
    m_backend = nullptr;
    m_clock = nullptr;
}

void TestE2eGsm::connectUnit()
{
    QCOMPARE(m_link->start(serial), 0);
}

bool TestE2eGsm::runUntil(const std::function<bool()>& done, int ms)
{
    for (int i = 0; i < ms; ++i) {
        if (done())
            return true;
        m_clock->advance(1);
        m_link->onHidTimer();
        m_uc20->processMsgQueue();
    }
    return done();
}

void TestE2eGsm::run(int ms)
{
    runUntil([] { return false; }, ms);
}

void TestE2eGsm::startupCommandsAndIdentification()
{
    QSignalSpy manufacturer(m_uc20, &CUC20::manufacturerIdentification);
    QSignalSpy model(m_uc20, &CUC20::modelIdentification);
    QSignalSpy revision(m_uc20, &CUC20::firmwareRevision);
    QSignalSpy imei(m_uc20, &CUC20::IMEIIdentify);
    QSignalSpy sim(m_uc20, &CUC20::simStateChange);

    connectUnit();
    QVERIFY(runUntil([&] { return imei.count() > 0; }, 2000));

    const QStringList startup { "AT+CPIN?", "ATI", "AT+QCFG=\"amrcodec\"", "AT+GMI", "AT+GMM", "AT+GMR", "AT+GSN" };
    QCOMPARE(m_unit->atCommandsReceived().mid(0, startup.size()), startup);

    QCOMPARE(manufacturer.count(), 1);
    QCOMPARE(manufacturer[0][0].toString(), QStringLiteral("Quectel"));
    QCOMPARE(model.count(), 1);
    QCOMPARE(model[0][0].toString(), QStringLiteral("UC20"));
    QCOMPARE(revision.count(), 1);
    QVERIFY(revision[0][0].toString().startsWith(QStringLiteral("Revision: ")));
    QCOMPARE(imei.count(), 1);
    QCOMPARE(imei[0][0].toString(), m_unit->module()->imei());

    QCOMPARE(m_uc20->simState(), SIM_READY);
    QCOMPARE(sim.count(), 1);
}

void TestE2eGsm::incomingCallAnsweredAndEndedByTheFarEnd()
{
    const QString caller = QStringLiteral("+31201234567");
    connectUnit();
    run(1000);
    QSignalSpy spy(m_uc20, &CUC20::voicecallStateChange);

    m_unit->ringIn(caller);
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_INCOMING; }, 2000));
    m_uc20->answerCall();
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_ACTIVE; }, 2000));
    run(3000);
    m_unit->farEndHangsUp();
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_IDLE; }, 2000));
    run(1000);

    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy[0][0].value<VOICECALL_STATE>(), VOICECALL_INCOMING);
    QCOMPARE(spy[0][1].toString(), caller);
    QCOMPARE(spy[1][0].value<VOICECALL_STATE>(), VOICECALL_ACTIVE);
    QCOMPARE(spy[1][1].toString(), caller);
    QCOMPARE(spy[2][0].value<VOICECALL_STATE>(), VOICECALL_IDLE);
    QCOMPARE(spy[2][1].toString(), QString());
}

void TestE2eGsm::outgoingCall()
{
    const QString number = QStringLiteral("0201234567");
    connectUnit();
    run(1000);
    m_unit->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 2000);
    QSignalSpy spy(m_uc20, &CUC20::voicecallStateChange);

    m_uc20->call(number);
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_CALLING; }, 2000));
    QVERIFY(m_unit->atCommandsReceived().contains("ATD" + number + ';'));
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_ACTIVE; }, 5000));
    run(2000);
    m_uc20->endCall();
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_IDLE; }, 2000));
    run(1000);

    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy[0][0].value<VOICECALL_STATE>(), VOICECALL_CALLING);
    QCOMPARE(spy[0][1].toString(), number);
    QCOMPARE(spy[1][0].value<VOICECALL_STATE>(), VOICECALL_ACTIVE);
    QCOMPARE(spy[1][1].toString(), number);
    QCOMPARE(spy[2][0].value<VOICECALL_STATE>(), VOICECALL_IDLE);
}

void TestE2eGsm::pinLockedSim()
{
    m_unit->setSimLock(VirtualHybridUnit::SimPinLocked);
    m_unit->setPin(QStringLiteral("4321"));
    QSignalSpy spy(m_uc20, &CUC20::simStateChange);

    connectUnit();
    QVERIFY(runUntil([&] { return m_uc20->simState() == SIM_PIN; }, 2000));
    run(1000);
    QCOMPARE(m_uc20->simState(), SIM_PIN);

    m_uc20->sendATCmd(QStringLiteral("AT+CPIN=4321"));
    m_uc20->sendATCmd(QStringLiteral("AT+CPIN?"));
    QVERIFY(runUntil([&] { return m_uc20->simState() == SIM_READY; }, 2000));
    QVERIFY(m_unit->atCommandsReceived().contains(QStringLiteral("AT+CPIN=4321")));
    QCOMPARE(spy.last().at(0).value<SIM_STATE>(), SIM_READY);
    for (int i = 0; i + 1 < spy.count(); ++i)
        QCOMPARE(spy[i][0].value<SIM_STATE>(), SIM_PIN);
}

void TestE2eGsm::signalCodecAndCallerKeys()
{
    QSignalSpy rssi(m_uc20, &CUC20::rssiChange);
    QSignalSpy codec(m_uc20, &CUC20::codecChange);
    QSignalSpy keys(m_uc20, &CUC20::DTMFfromCaller);
    connectUnit();
    m_unit->setSignal(25);
    QVERIFY(runUntil([&] { return rssi.count() > 0; }, 2000));
    QCOMPARE(rssi.last().at(0).toInt(), 25);
    QCOMPARE(rssi.last().at(1).toInt(), -63);

    // The module reports the caller's keys once its tone detection is on.
    m_uc20->sendATCmd(QStringLiteral("AT+QTONEDET=1"));
    m_unit->ringIn(QStringLiteral("0201234567"));
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_INCOMING; }, 2000));
    m_uc20->answerCall();
    QVERIFY(runUntil([&] { return m_uc20->callState() == VOICECALL_ACTIVE; }, 2000));
    QVERIFY(runUntil([&] { return !codec.isEmpty() && codec.last().at(0).toInt() > 0; }, 2000));
    const int type = codec.last().at(0).toInt();
    QCOMPARE(type, m_unit->module()->speechCodec());
    QVERIFY(codec.last().at(1).toString().contains(QStringLiteral("AMR")));

    QTimer* flash = m_window->findChild<QTimer*>(QStringLiteral("backlightTimer"));
    QVERIFY(flash && !flash->isActive());
    m_unit->callerPressesKey('7');
    QVERIFY(runUntil([&] { return keys.count() == 1; }, 2000));
    QCOMPARE(keys[0][0].toInt(), int('7'));
    QVERIFY(!flash->isActive());
    m_unit->callerPressesKey('0');
    QVERIFY(runUntil([&] { return keys.count() == 2; }, 2000));
    QCOMPARE(keys[1][0].toInt(), int('0'));
    QVERIFY(flash->isActive());
}

QTEST_MAIN(TestE2eGsm)
#include "tst_e2e_gsm.moc"
