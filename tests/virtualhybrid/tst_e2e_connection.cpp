#include "CNau8810.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

// The real link and main window against a virtual unit: auto-connect finds it, the requests of a
// connection are answered, and the link follows the cable.
class TestE2eConnection : public QObject
{
    Q_OBJECT

private slots:
    void autoConnectFollowsTheCable()
    {
        VirtualHybridRig rig;
        MainWindow* window = rig.window();
        const QString connected = QStringLiteral("Status: Connected [Orvane Parlona, Firmware: v2.1.0.7]");
        const QString disconnected = QStringLiteral("Status: Disconnected");
        const QList<int> requests { 0, 1, 2, 8, 12, 14, 16, 5 };
        CUSBHID* link = window->context()->usb;
        QSignalSpy received(link, &CUSBHID::dataAvailable);
        QCOMPARE(window->statusText(), disconnected);
        rig.action("actionAutoConnect")->trigger();
        QVERIFY(rig.pumpUntil([&] { return window->statusText() == connected; }));
        QCOMPARE(rig.unit()->readRequestsReceived(), requests);
        QCOMPARE(rig.unit()->badFramesReceived(), 0);
        // The register report, serial number, hardware id and auto-answer switch arrive too.
        QVERIFY(rig.pumpUntil([&] {
            QList<int> ids;
            for (const QList<QVariant>& arguments : qAsConst(received))
                ids.append(arguments[0].toInt());
            return ids.count(DeviceMessage::CodecRegister) == 80 && ids.contains(DeviceMessage::SerialNumber)
                && ids.contains(DeviceMessage::HardwareId) && ids.contains(DeviceMessage::AutoAnswer);
        }));
        // The codec model holds what the unit reported, and a write reaches the unit's codec.
        CNau8810* codec = window->context()->nau8810;
        QVERIFY(codec->isRegisterKnown(79));
        QCOMPARE(codec->registerValue(45), rig.unit()->codecRegister(45));
        codec->setPGAGain(10);
        QVERIFY(rig.pumpUntil([&] { return (rig.unit()->codecRegister(45) & 0x3F) == 10; }));
        rig.unit()->unplug();
        QVERIFY(rig.pumpUntil([&] { return window->statusText() == disconnected; }));
        QVERIFY(!link->isConnected());
        rig.unit()->plug();
        QVERIFY(rig.pumpUntil([&] { return window->statusText() == connected; }));
        QCOMPARE(rig.unit()->readRequestsReceived(), requests + requests);
    }
};

QTEST_MAIN(TestE2eConnection)
#include "tst_e2e_connection.moc"
