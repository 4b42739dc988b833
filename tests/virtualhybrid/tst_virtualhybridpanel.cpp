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
    // What is done on the panel reaches the unit; what happens to the unit shows without being sent back.
    void panelAndUnit()
    {
        ManualClock clock;
        VirtualHybridBackend backend(&clock);
        VirtualHybridUnit* unit = backend.addUnit(QStringLiteral("VH000001"));
        VirtualUC20Module* module = unit->module();
        VirtualHybridPanel panel(&backend);
        panel.show();
        const auto child = [&](const char* name) { return panel.findChild<QWidget*>(QLatin1String(name)); };
        const auto click = [&](const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); };
        QCOMPARE(panel.statusText(), QStringLiteral("Idle · USB not open"));
        std::unique_ptr<HidDevice> device = backend.open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
        static_cast<QLineEdit*>(child("lineEdit_callerNumber"))->setText(QStringLiteral(" +31201234567 "));
        click("pushButton_ringIn");
        QCOMPARE(panel.statusText(), QStringLiteral("Incoming call from +31201234567 · USB open"));
        QVERIFY(!child("pushButton_ringIn")->isEnabled() && !child("pushButton_farEndAnswers")->isEnabled());
        QVERIFY(!child("groupBox_keys")->isEnabled());
        module->submit(QStringLiteral("ATA"));
        QCOMPARE(panel.statusText(), QStringLiteral("In call with +31201234567 · USB open"));
        QStringList output;
        connect(module, &VirtualUC20Module::output, this, [&](const QStringList& lines) { output += lines; });
        click("pushButton_key5"); // the firmware switched tone detection on at start-up
        click("pushButton_keyHash");
        QCOMPARE(output, (QStringList { "+QTONEDET: 53", "+QTONEDET: 35" }));
        click("pushButton_farEndHangsUp");
        QCOMPARE(panel.statusText(), QStringLiteral("Idle · USB open"));
        // Far end answers is offered while an outgoing call is set up.
        module->submit(QStringLiteral("ATD0612345678;"));
        QCOMPARE(panel.statusText(), QStringLiteral("Dialling 0612345678 · USB open"));
        clock.advance(VirtualUC20Module::AlertingAfterMs);
        QCOMPARE(panel.statusText(), QStringLiteral("Ringing at 0612345678 · USB open"));
        click("pushButton_farEndAnswers");
        QCOMPARE(module->callStatus(), VirtualUC20Module::CallActive);

        QSignalSpy changes(unit, &VirtualHybridUnit::stateChanged);
        static_cast<QSlider*>(child("horizontalSlider_signal"))->setValue(0);
        QCOMPARE(unit->signal(), 0);
        static_cast<QCheckBox*>(child("checkBox_noNetwork"))->setChecked(true);
        QVERIFY(unit->signal() == 99 && !child("horizontalSlider_signal")->isEnabled());
        unit->setSignal(31);
        QCOMPARE(static_cast<QLabel*>(child("label_signal"))->text(), QStringLiteral("31 (-51 dBm)"));
        unit->setOutgoingOutcome(VirtualHybridUnit::NoAnswer, 5000);
        QCOMPARE(static_cast<QComboBox*>(child("comboBox_outcome"))->currentIndex(), int(VirtualHybridUnit::NoAnswer));
        QCOMPARE(static_cast<QSpinBox*>(child("spinBox_delay"))->value(), 5);
        QCOMPARE(changes.count(), 4); // one for each change, none sent back
        static_cast<QComboBox*>(child("comboBox_sim"))->setCurrentIndex(VirtualHybridUnit::SimPinLocked);
        static_cast<QLineEdit*>(child("lineEdit_pin"))->setText(QStringLiteral("4321"));
        emit static_cast<QLineEdit*>(child("lineEdit_pin"))->editingFinished();
        module->submit(QStringLiteral("AT+CPIN=4321")); // the program unlocking the SIM shows
        QCOMPARE(static_cast<QComboBox*>(child("comboBox_sim"))->currentIndex(), int(VirtualHybridUnit::SimUnlocked));
        // A second unit makes the selector useful; the panel acts on the chosen unit only.
        QVERIFY(!child("comboBox_unit")->isEnabled());
        VirtualHybridUnit* second = backend.addUnit(QStringLiteral("VH000002"));
        static_cast<QComboBox*>(child("comboBox_unit"))->setCurrentIndex(1);
        click("pushButton_plug");
        QVERIFY(!second->isPlugged() && unit->isPlugged());
        QCOMPARE(panel.statusText(), QStringLiteral("Unplugged"));
    }
};

QTEST_MAIN(TestVirtualHybridPanel)
#include "tst_virtualhybridpanel.moc"
