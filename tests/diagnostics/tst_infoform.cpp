#include "AppContext.h"
#include "InfoForm.h"

#include <QLineEdit>
#include <QTest>

class TestInfoForm : public QObject
{
    Q_OBJECT

private slots:
    void deviceMessages_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("filled"); // objectName=text of each field that is not empty
        const QByteArray serial36("PH0000201234567890ABCDEFGHIJKLMNOPQR");
        QTest::newRow("serial") << 1 << QByteArray("PH000020\0XY", 11) << "lineEdit_serial=PH000020";
        QTest::newRow("serial, no NUL") << 1 << serial36 << "lineEdit_serial=" + QString(serial36);
        QTest::newRow("hardware id") << 2 << QByteArray::fromHex("000102030405060708090A0B0C0D0E FFFF")
                                     << "lineEdit_hwid=000102030405060708090A-0B0C0D-0E";
        QTest::newRow("firmware, negative") << 5 << QByteArray::fromHex("00000000 FFFFFFFF 00000080 2C010000 FEFFFFFF")
                                            << "lineEdit_firmware=-1.-2147483648.300.-2";
        QTest::newRow("module line") << 3 << QByteArray("PH000020\0", 9) << "";
    }

    void deviceMessages()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, payload);
        AppContext context;
        InfoForm form(&context);
        form.onReceiveUSB(id, 0, payload.leftJustified(36, '\0'));
        QStringList filled;
        for (const QLineEdit* field : form.findChildren<QLineEdit*>())
            if (!field->text().isEmpty())
                filled << field->objectName() + '=' + field->text();
        QTEST(filled.join(';'), "filled");
    }
};

QTEST_MAIN(TestInfoForm)
#include "tst_infoform.moc"
