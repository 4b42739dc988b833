#include "CUSBHID.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridPanel.h"
#include "VirtualHybridUnit.h"

#include <QtTest>
#include <QtWidgets>

class TestVirtualHybridPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void callsAndStatus();
    void controls();

private:
    template <typename T = QWidget> T* child(const char* name) { return m_panel->findChild<T*>(QLatin1String(name)); }
    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QString status() const { return m_panel->statusText(); }

    ManualClock m_clock;
    VirtualHybridBackend* m_backend = nullptr;
    VirtualHybridUnit* m_unit = nullptr;
    VirtualHybridPanel* m_panel = nullptr;
};

void TestVirtualHybridPanel::init()
{
    m_backend = new VirtualHybridBackend(&m_clock);
    m_unit = m_backend->addUnit(QStringLiteral("VH000001"));
    m_panel = new VirtualHybridPanel(m_backend);
    m_panel->show();
}

void TestVirtualHybridPanel::cleanup()
{
    delete m_panel;
    delete m_backend;
}

void TestVirtualHybridPanel::callsAndStatus()
{
    QCOMPARE(status(), QStringLiteral("Idle · USB not open"));
    std::unique_ptr<HidDevice> device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
    child<QLineEdit>("lineEdit_callerNumber")->setText(QStringLiteral(" +31201234567 "));
    click("pushButton_ringIn");
    QCOMPARE(status(), QStringLiteral("Incoming call from +31201234567 · USB open"));
    QVERIFY(!child("pushButton_ringIn")->isEnabled() && !child("pushButton_farEndAnswers")->isEnabled());
    QVERIFY(!child("groupBox_keys")->isEnabled());
    m_unit->module()->submit(QStringLiteral("ATA"));
    QCOMPARE(status(), QStringLiteral("In call with +31201234567 · USB open"));
    QStringList output;
    connect(m_unit->module(), &VirtualUC20Module::output, this, [&](const QStringList& lines) { output += lines; });
    click("pushButton_key5"); // the firmware switched tone detection on at start-up
    click("pushButton_keyHash");
    QCOMPARE(output, (QStringList { "+QTONEDET: 53", "+QTONEDET: 35" }));
    click("pushButton_farEndHangsUp");
    QCOMPARE(status(), QStringLiteral("Idle · USB open"));
    // Far end answers is offered while an outgoing call is set up.
    m_unit->module()->submit(QStringLiteral("ATD0612345678;"));
    QCOMPARE(status(), QStringLiteral("Dialling 0612345678 · USB open"));
    m_clock.advance(VirtualUC20Module::AlertingAfterMs);
    QCOMPARE(status(), QStringLiteral("Ringing at 0612345678 · USB open"));
    click("pushButton_farEndAnswers");
    QCOMPARE(m_unit->module()->callStatus(), VirtualUC20Module::CallActive);
}

void TestVirtualHybridPanel::controls()
{
    // Changes made on the panel reach the unit; changes made elsewhere show without being sent back.
    QSignalSpy changes(m_unit, &VirtualHybridUnit::stateChanged);
    child<QSlider>("horizontalSlider_signal")->setValue(0);
    QCOMPARE(child<QLabel>("label_signal")->text(), QStringLiteral("0 (-113 dBm)"));
    child<QCheckBox>("checkBox_noNetwork")->setChecked(true);
    QVERIFY(m_unit->signal() == 99 && !child("horizontalSlider_signal")->isEnabled());
    m_unit->setSignal(31);
    QCOMPARE(child<QLabel>("label_signal")->text(), QStringLiteral("31 (-51 dBm)"));
    m_unit->setOutgoingOutcome(VirtualHybridUnit::NoAnswer, 5000);
    QCOMPARE(child<QComboBox>("comboBox_outcome")->currentIndex(), int(VirtualHybridUnit::NoAnswer));
    QCOMPARE(child<QSpinBox>("spinBox_delay")->value(), 5);
    QCOMPARE(changes.count(), 4);
    child<QComboBox>("comboBox_sim")->setCurrentIndex(VirtualHybridUnit::SimPinLocked);
    child<QLineEdit>("lineEdit_pin")->setText(QStringLiteral("4321"));
    emit child<QLineEdit>("lineEdit_pin")->editingFinished();
    m_unit->module()->submit(QStringLiteral("AT+CPIN=4321")); // the program unlocking the SIM shows
    QCOMPARE(child<QComboBox>("comboBox_sim")->currentIndex(), int(VirtualHybridUnit::SimUnlocked));
    // A second unit makes the selector useful; the panel acts on the chosen unit only.
    QVERIFY(!child("comboBox_unit")->isEnabled());
    VirtualHybridUnit* second = m_backend->addUnit(QStringLiteral("VH000002"));
    child<QComboBox>("comboBox_unit")->setCurrentIndex(1);
    click("pushButton_plug");
    QVERIFY(!second->isPlugged() && m_unit->isPlugged());
    m_unit->ringIn("0201234567");
    QCOMPARE(status(), QStringLiteral("Unplugged"));
}

QTEST_MAIN(TestVirtualHybridPanel)
#include "tst_virtualhybridpanel.moc"
