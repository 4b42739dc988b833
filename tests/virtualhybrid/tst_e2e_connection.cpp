#include "CNau8810.h"
#include "CUSBHID.h"
#include "InfoForm.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

// The real link and main window against a virtual unit: auto-connect finds it, the requests of a
// connection are answered, and the link follows the cable. The codec registers' way back to the
// unit is the settings test's.
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
        QCOMPARE(window->statusText(), disconnected);
        rig.action("actionAutoConnect")->trigger();
        QVERIFY(rig.pumpUntil([&] { return window->statusText() == connected; }));
        QCOMPARE(rig.unit()->readRequestsReceived(), requests);
        QCOMPARE(rig.unit()->badFramesReceived(), 0);
        // The register report reaches the codec model, and the serial number the information page.
        const auto* serial = window->findChild<InfoForm*>()->findChild<QLineEdit*>(QStringLiteral("lineEdit_serial"));
        QVERIFY(rig.pumpUntil(
            [&] { return window->context()->nau8810->isRegisterKnown(79) && serial->text() == rig.serial; }));
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
