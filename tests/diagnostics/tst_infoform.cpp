#include "AppContext.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"
#include "InfoForm.h"

#include <QLineEdit>
#include <QTest>

// The hybrid's firmware version on the information page: shown as reported while it can be a
// version at all, otherwise as unknown, with what was reported in the tool tip.
class TestInfoForm : public QObject
{
    Q_OBJECT

private slots:
    void firmwareVersion_data()
    {
        QTest::addColumn<QByteArray>("payload"); // bytes 0-3 unread, then four little-endian numbers
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("toolTip");
        const QString unknown = QStringLiteral("Unknown (invalid version reported)");
        QTest::newRow("ordinary") << QByteArray::fromHex("FFFFFFFF 01000000 02000000 03000000 04000000") << "1.2.3.4"
                                  << "";
        QTest::newRow("zeros") << QByteArray(20, '\0') << "0.0.0.0"
                               << "";
        QTest::newRow("largest") << QByteArray::fromHex("00000000 FFFFFF7F 00000000 00000000 2C010000")
                                 << "2147483647.0.0.300"
                                 << "";
        QTest::newRow("all bytes set") << QByteArray(20, '\xFF') << unknown << "The unit reported -1.-1.-1.-1";
        QTest::newRow("one negative") << QByteArray::fromHex("00000000 02000000 00000080 2C010000 04000000") << unknown
                                      << "The unit reported 2.-2147483648.300.4";
    }

    void firmwareVersion()
    {
        QFETCH(QByteArray, payload);
        AppContext context;
        InfoForm form(&context);
        auto* field = form.findChild<QLineEdit*>(QStringLiteral("lineEdit_firmware"));
        // Each answer replaces the one before, tool tip included.
        const QByteArray bad(36, '\xFF');
        form.onReceiveUSB(DeviceMessage::FirmwareVersion, 0, bad);
        form.onReceiveUSB(DeviceMessage::FirmwareVersion, 0, payload.leftJustified(36, '\0'));
        QTEST(field->text(), "shown");
        QTEST(field->toolTip(), "toolTip");
    }
};

QTEST_MAIN(TestInfoForm)
#include "tst_infoform.moc"
