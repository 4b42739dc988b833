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
        VirtualHybridPanel panel(&backend);
        panel.show();
        const auto child = [&](const char* name) { return panel.findChild<QWidget*>(QLatin1String(name)); };
        const auto click = [&](const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); };
        std::unique_ptr<HidDevice> device = backend.open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
        static_cast<QLineEdit*>(child("lineEdit_callerNumber"))->setText(QStringLiteral(" +31201234567 "));
        click("pushButton_ringIn");
        QCOMPARE(panel.statusText(), QStringLiteral("Incoming call from +31201234567 · USB open"));
        QVERIFY(!child("pushButton_ringIn")->isEnabled());
        unit->module()->submit(QStringLiteral("ATA"));
        QCOMPARE(panel.statusText(), QStringLiteral("In call with +31201234567 · USB open"));
        click("pushButton_farEndHangsUp");
        QCOMPARE(panel.statusText(), QStringLiteral("Idle · USB open"));

        QSignalSpy changes(unit, &VirtualHybridUnit::stateChanged);
        static_cast<QCheckBox*>(child("checkBox_noNetwork"))->setChecked(true);
        QVERIFY(unit->signal() == 99 && !child("horizontalSlider_signal")->isEnabled());
        unit->setSignal(31);
        QCOMPARE(static_cast<QLabel*>(child("label_signal"))->text(), QStringLiteral("31 (-51 dBm)"));
        QCOMPARE(changes.count(), 2); // one for each change, none sent back
    }
};

QTEST_MAIN(TestVirtualHybridPanel)
#include "tst_virtualhybridpanel.moc"
