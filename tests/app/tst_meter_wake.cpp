#include "DeviceMessage.h"
#include "DevicePayload.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"

#include <QTest>
#include <QTimer>

// A resting meter tick is woken only by a level that moves a bar by a pixel at least.
class TestMeterWake : public QObject
{
    Q_OBJECT

    VirtualHybridRig rig;

private slots:
    void wakesForAVisibleChange_data()
    {
        QTest::addColumn<float>("from");
        QTest::addColumn<float>("to");
        QTest::addColumn<bool>("wakes");
        QTest::newRow("noise under the scale") << -58.0f << -55.5f << false;
        QTest::newRow("a thousandth of a dB up") << -20.0f << -19.999f << false;
        QTest::newRow("a thousandth of a dB down") << -20.0f << -20.001f << false;
        QTest::newRow("onto the scale") << -58.0f << -49.0f << true;
        QTest::newRow("a fall") << -10.0f << -30.0f << true;
    }
    void wakesForAVisibleChange()
    {
        QFETCH(float, from);
        QFETCH(float, to);
        QFETCH(bool, wakes);
        QTimer* tick = rig.window()->findChild<QTimer*>(QStringLiteral("meterTimer"));
        // The receive meter, then the send meter, is the one that changes.
        for (const auto& change : { DevicePayload::Levels { to, from }, DevicePayload::Levels { from, to } }) {
            rig.window()->onReceiveUSB(DeviceMessage::AudioLevels, 0, DevicePayload::levelsPayload({ from, from }));
            for (int i = 0; i < 1000 && tick->isActive(); ++i)
                rig.window()->onMeterRelease();
            rig.window()->onReceiveUSB(DeviceMessage::AudioLevels, 0, DevicePayload::levelsPayload(change));
            QCOMPARE(tick->isActive(), wakes);
        }
    }
};

QTEST_MAIN(TestMeterWake)
#include "tst_meter_wake.moc"
