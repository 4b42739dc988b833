#include "AppContext.h"
#include "InfoForm.h"

#include <QLineEdit>
#include <QTest>

namespace {

// Every field's text, as "objectName=text" for the fields that are not empty.
QStringList filledFields(const InfoForm& form)
{
    QStringList filled;
    for (const QLineEdit* field : form.findChildren<QLineEdit*>()) {
        if (!field->text().isEmpty())
            filled << field->objectName() + QLatin1Char('=') + field->text();
    }
    return filled;
}

} // namespace

class TestInfoForm : public QObject
{
    Q_OBJECT

private slots:
    void deviceMessages_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QStringList>("filled");
        const QByteArray serial36("PH0000201234567890ABCDEFGHIJKLMNOPQR");
        QTest::newRow("serial") << 1 << 1 << QByteArray("PH000020\0XY", 11) << QStringList("lineEdit_serial=PH000020");
        QTest::newRow("serial, no NUL") << 1 << 0 << serial36 << QStringList("lineEdit_serial=" + serial36);
        QTest::newRow("serial, Latin-1") << 1 << 1 << QByteArray("\xC4-1\0", 4)
                                         << QStringList(QStringLiteral("lineEdit_serial=\u00C4-1"));
        QTest::newRow("hardware id") << 2 << 1 << QByteArray::fromHex("000102030405060708090A0B0C0D0E FFFF")
                                     << QStringList("lineEdit_hwid=000102030405060708090A-0B0C0D-0E");
        QTest::newRow("hardware id, letters") << 2 << 0 << QByteArray::fromHex("a0b1c2d3e4f5a6b7c8d9eafbacbdce 41")
                                              << QStringList("lineEdit_hwid=A0B1C2D3E4F5A6B7C8D9EA-FBACBD-CE");
        QTest::newRow("firmware") << 5 << 1 << QByteArray::fromHex("09090909 01000000 02000000 03000000 04000000")
                                  << QStringList("lineEdit_firmware=1.2.3.4");
        QTest::newRow("firmware, negative")
            << 5 << 0 << QByteArray::fromHex("00000000 FFFFFFFF 00000080 2C010000 FEFFFFFF")
            << QStringList("lineEdit_firmware=-1.-2147483648.300.-2");
        QTest::newRow("module line") << 3 << 0 << QByteArray("PH000020\0", 9) << QStringList();
        QTest::newRow("levels") << 15 << 0 << QByteArray::fromHex("0000803F 00000040") << QStringList();
    }

    void deviceMessages()
    {
        QFETCH(int, id);
        QFETCH(int, type);
        QFETCH(QByteArray, payload);
        QFETCH(QStringList, filled);
        AppContext context;
        InfoForm form(&context);
        QCOMPARE(filledFields(form), QStringList());
        form.onReceiveUSB(id, type, payload.leftJustified(36, '\0'));
        QCOMPARE(filledFields(form), filled);
    }

    void moduleIdentification()
    {
        AppContext context;
        InfoForm form(&context);
        form.onManufacturerIdentification(QStringLiteral("Quectel"));
        form.onModelIdentification(QStringLiteral("UC20"));
        form.onFirmwareRevision(QStringLiteral("UC20GQBR03A12E1G"));
        form.onIMEIIdentify(QStringLiteral("861075020000000"));
        form.onModelIdentification(QStringLiteral("UC20 R2.0"));
        QCOMPARE(filledFields(form),
            QStringList({ "lineEdit_uc20_manufacturer=Quectel", "lineEdit_uc20_model=UC20 R2.0",
                "lineEdit_uc20_firmware=UC20GQBR03A12E1G", "lineEdit_uc20_imei=861075020000000" }));
    }
};

QTEST_MAIN(TestInfoForm)
#include "tst_infoform.moc"
