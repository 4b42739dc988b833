#include "CUSBHID.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridPanel.h"
#include "VirtualHybridUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <memory>

class TestVirtualHybridPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void oneUnit();
    void unitSelector();
    void incomingCallAndHangUp();
    void callerKeys();
    void outgoingOutcome();
    void signalAndNetwork();
    void simLock();
    void plugButton();
    void failureModesAndAutoAnswer();
    void followsTheUnit();

private:
    template <typename T> T* child(const char* name) const
    {
        T* widget = m_panel->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    void click(const char* button);

    ManualClock* m_clock = nullptr;
    VirtualHybridBackend* m_backend = nullptr;
    VirtualHybridUnit* m_unit = nullptr;
    VirtualHybridPanel* m_panel = nullptr;
};

void TestVirtualHybridPanel::init()
{
    m_clock = new ManualClock;
    m_backend = new VirtualHybridBackend(m_clock);
    m_unit = m_backend->addUnit(QStringLiteral("VH000001"));
    m_panel = new VirtualHybridPanel(m_backend);
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel));
}

void TestVirtualHybridPanel::cleanup()
{
    delete m_panel;
    delete m_backend;
    delete m_clock;
}

void TestVirtualHybridPanel::click(const char* button)
{
    auto* widget = child<QPushButton>(button);
    QVERIFY2(widget->isEnabled(), button);
    QTest::mouseClick(widget, Qt::LeftButton);
}

void TestVirtualHybridPanel::oneUnit()
{
    QCOMPARE(m_panel->windowTitle(), QStringLiteral("Virtual Hybrid"));
    QCOMPARE(m_panel->currentUnit(), m_unit);
    auto* selector = child<QComboBox>("comboBox_unit");
    QCOMPARE(selector->count(), 1);
    QCOMPARE(selector->currentText(), QStringLiteral("VH000001"));
    QVERIFY(!selector->isEnabled());
    QCOMPARE(m_panel->statusText(), QStringLiteral("Idle · USB not open"));
    std::unique_ptr<HidDevice> device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
    QCOMPARE(m_panel->statusText(), QStringLiteral("Idle · USB open"));
}

void TestVirtualHybridPanel::unitSelector()
{
    VirtualHybridUnit* second = m_backend->addUnit(QStringLiteral("VH000002"));
    auto* selector = child<QComboBox>("comboBox_unit");
    QCOMPARE(selector->count(), 2);
    QVERIFY(selector->isEnabled());
    QCOMPARE(m_panel->currentUnit(), m_unit);
    selector->setCurrentIndex(1);
    QCOMPARE(m_panel->currentUnit(), second);
    click("pushButton_ringIn");
    QCOMPARE(second->module()->callStatus(), VirtualUC20Module::CallIncoming);
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::NoCall);
    // The first unit's changes no longer reach the status line.
    m_unit->unplug();
    QCOMPARE(m_panel->statusText(), QStringLiteral("Incoming call from 0612345678 · USB not open"));
}

void TestVirtualHybridPanel::incomingCallAndHangUp()
{
    child<QLineEdit>("lineEdit_callerNumber")->setText(QStringLiteral(" +31201234567 "));
    QVERIFY(!child<QPushButton>("pushButton_farEndHangsUp")->isEnabled());
    click("pushButton_ringIn");
    QCOMPARE(m_unit->module()->callNumber(), QStringLiteral("+31201234567"));
    QCOMPARE(m_panel->statusText(), QStringLiteral("Incoming call from +31201234567 · USB not open"));
    QVERIFY(!child<QPushButton>("pushButton_ringIn")->isEnabled());
    QVERIFY(!child<QPushButton>("pushButton_farEndAnswers")->isEnabled()); // not for incoming calls
    m_unit->module()->submit(QStringLiteral("ATA"));
    QCOMPARE(m_panel->statusText(), QStringLiteral("In call with +31201234567 · USB not open"));
    click("pushButton_farEndHangsUp");
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::NoCall);
    QCOMPARE(m_panel->statusText(), QStringLiteral("Idle · USB not open"));

    // An empty number is a withheld one.
    child<QLineEdit>("lineEdit_callerNumber")->clear();
    click("pushButton_ringIn");
    QCOMPARE(m_panel->statusText(), QStringLiteral("Incoming call from a withheld number · USB not open"));
}

void TestVirtualHybridPanel::callerKeys()
{
    QStringList output;
    connect(
        m_unit->module(), &VirtualUC20Module::output, this, [&output](const QStringList& lines) { output += lines; });
    auto* keys = child<QWidget>("groupBox_keys");
    QVERIFY(!keys->isEnabled());
    click("pushButton_ringIn");
    QVERIFY(!keys->isEnabled());
    m_unit->module()->submit(QStringLiteral("ATA"));
    QVERIFY(keys->isEnabled());
    output.clear();
    click("pushButton_key5");
    click("pushButton_keyHash");
    click("pushButton_keyStar");
    click("pushButton_key0");
    // The firmware switched tone detection on at start-up.
    QCOMPARE(output, (QStringList { "+QTONEDET: 53", "+QTONEDET: 35", "+QTONEDET: 42", "+QTONEDET: 48" }));
}

void TestVirtualHybridPanel::outgoingOutcome()
{
    auto* outcome = child<QComboBox>("comboBox_outcome");
    auto* delay = child<QSpinBox>("spinBox_delay");
    QCOMPARE(outcome->currentIndex(), int(VirtualHybridUnit::AnswerAfterDelay));
    QCOMPARE(delay->value(), 3);
    outcome->setCurrentIndex(int(VirtualHybridUnit::Busy));
    QCOMPARE(m_unit->outgoingOutcome(), VirtualHybridUnit::Busy);
    delay->setValue(7);
    QCOMPARE(m_unit->outgoingDelayMs(), 7000);
    outcome->setCurrentIndex(int(VirtualHybridUnit::NoAnswer));
    QCOMPARE(m_unit->outgoingOutcome(), VirtualHybridUnit::NoAnswer);
    QCOMPARE(m_unit->outgoingDelayMs(), 7000);

    // Far end answers is offered while an outgoing call is set up.
    m_unit->module()->submit(QStringLiteral("ATD0612345678;"));
    QCOMPARE(m_panel->statusText(), QStringLiteral("Dialling 0612345678 · USB not open"));
    m_clock->advance(VirtualUC20Module::AlertingAfterMs);
    QCOMPARE(m_panel->statusText(), QStringLiteral("Ringing at 0612345678 · USB not open"));
    click("pushButton_farEndAnswers");
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallActive);
    QVERIFY(!child<QPushButton>("pushButton_farEndAnswers")->isEnabled());
}

void TestVirtualHybridPanel::signalAndNetwork()
{
    auto* slider = child<QSlider>("horizontalSlider_signal");
    auto* label = child<QLabel>("label_signal");
    auto* noNetwork = child<QCheckBox>("checkBox_noNetwork");
    QCOMPARE(slider->value(), 20);
    QCOMPARE(label->text(), QStringLiteral("20 (-73 dBm)"));
    slider->setValue(31);
    QCOMPARE(m_unit->signal(), 31);
    QCOMPARE(label->text(), QStringLiteral("31 (-51 dBm)"));
    slider->setValue(0);
    QCOMPARE(m_unit->signal(), 0);
    QCOMPARE(label->text(), QStringLiteral("0 (-113 dBm)"));
    noNetwork->setChecked(true);
    QCOMPARE(m_unit->signal(), 99);
    QCOMPARE(label->text(), QStringLiteral("no network"));
    QVERIFY(!slider->isEnabled());
    noNetwork->setChecked(false);
    QCOMPARE(m_unit->signal(), 0);
    QVERIFY(slider->isEnabled());
}

void TestVirtualHybridPanel::simLock()
{
    auto* sim = child<QComboBox>("comboBox_sim");
    QCOMPARE(sim->currentIndex(), int(VirtualHybridUnit::SimUnlocked));
    sim->setCurrentIndex(int(VirtualHybridUnit::SimPinLocked));
    QCOMPARE(m_unit->simLock(), VirtualHybridUnit::SimPinLocked);
    sim->setCurrentIndex(int(VirtualHybridUnit::SimMissing));
    QCOMPARE(m_unit->simLock(), VirtualHybridUnit::SimMissing);

    auto* pin = child<QLineEdit>("lineEdit_pin");
    auto* puk = child<QLineEdit>("lineEdit_puk");
    QCOMPARE(pin->text(), QStringLiteral("1234"));
    QCOMPARE(puk->text(), QStringLiteral("12345678"));
    pin->setText(QStringLiteral("4321"));
    emit pin->editingFinished();
    QCOMPARE(m_unit->module()->pin(), QStringLiteral("4321"));
    puk->setText(QStringLiteral("11112222"));
    emit puk->editingFinished();
    QCOMPARE(m_unit->module()->puk(), QStringLiteral("11112222"));

    // The program unlocking the SIM shows in the panel.
    sim->setCurrentIndex(int(VirtualHybridUnit::SimPinLocked));
    m_unit->module()->submit(QStringLiteral("AT+CPIN=4321"));
    QCOMPARE(sim->currentIndex(), int(VirtualHybridUnit::SimUnlocked));
}

void TestVirtualHybridPanel::plugButton()
{
    auto* plug = child<QPushButton>("pushButton_plug");
    QCOMPARE(plug->text(), QStringLiteral("Unplug"));
    click("pushButton_plug");
    QVERIFY(!m_unit->isPlugged());
    QCOMPARE(plug->text(), QStringLiteral("Plug in"));
    QCOMPARE(m_panel->statusText(), QStringLiteral("Unplugged"));
    click("pushButton_plug");
    QVERIFY(m_unit->isPlugged());
    QCOMPARE(m_panel->statusText(), QStringLiteral("Idle · USB not open"));
}

void TestVirtualHybridPanel::failureModesAndAutoAnswer()
{
    child<QCheckBox>("checkBox_storeSilent")->setChecked(true);
    QVERIFY(m_unit->storeSilent());
    child<QCheckBox>("checkBox_corruptFrames")->setChecked(true);
    QVERIFY(m_unit->corruptFrames());
    child<QCheckBox>("checkBox_autoAnswer")->setChecked(true);
    QVERIFY(m_unit->autoAnswer());
    child<QCheckBox>("checkBox_storeSilent")->setChecked(false);
    child<QCheckBox>("checkBox_corruptFrames")->setChecked(false);
    child<QCheckBox>("checkBox_autoAnswer")->setChecked(false);
    QVERIFY(!m_unit->storeSilent());
    QVERIFY(!m_unit->corruptFrames());
    QVERIFY(!m_unit->autoAnswer());
}

void TestVirtualHybridPanel::followsTheUnit()
{
    // Changes made elsewhere (by a test script or by the program) show without being sent back.
    QSignalSpy changes(m_unit, &VirtualHybridUnit::stateChanged);
    m_unit->setAutoAnswer(true);
    m_unit->setSignal(12);
    m_unit->setOutgoingOutcome(VirtualHybridUnit::Busy, 5000);
    m_unit->setCorruptFrames(true);
    QCOMPARE(changes.count(), 4);
    QVERIFY(child<QCheckBox>("checkBox_autoAnswer")->isChecked());
    QCOMPARE(child<QSlider>("horizontalSlider_signal")->value(), 12);
    QCOMPARE(child<QComboBox>("comboBox_outcome")->currentIndex(), int(VirtualHybridUnit::Busy));
    QCOMPARE(child<QSpinBox>("spinBox_delay")->value(), 5);
    QVERIFY(child<QCheckBox>("checkBox_corruptFrames")->isChecked());
    QCOMPARE(changes.count(), 4);
    QCOMPARE(m_unit->outgoingDelayMs(), 5000);
}

QTEST_MAIN(TestVirtualHybridPanel)
#include "tst_virtualhybridpanel.moc"
