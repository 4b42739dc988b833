#include "DeviceMessage.h"
#include "DevicePayload.h"

#include <QTest>

// Payload layouts that no page or link test shows, by hand-made byte vectors and by round trips.
class TestDevicePayload : public QObject
{
    Q_OBJECT

private slots:
    void levels()
    {
        // -12.5 is 0xC1480000 as a float32; 0 dB is all zeros. A frame brings 28 more bytes.
        const QByteArray bytes = QByteArray::fromHex("00000000 0000 48c1");
        const DevicePayload::Levels read = DevicePayload::levels(bytes + QByteArray(28, '\x7f'));
        QCOMPARE(read.receive, 0.0f);
        QCOMPARE(read.send, -12.5f);
        QCOMPARE(DevicePayload::levelsPayload({ 0.0f, -12.5f }), bytes);
    }

    void texts()
    {
        // The debug text skips its channel byte, whatever it holds, and is Latin-1.
        QCOMPARE(DevicePayload::debugText(QByteArray("X5\xb0 up\0junk", 11)), QStringLiteral("5\u00b0 up"));
        QCOMPARE(DevicePayload::debugText(DevicePayload::debugTextPayload(QString(50, 'd'))), QString(34, 'd'));
        QCOMPARE(DevicePayload::atCommandPayload("ATA"), QByteArray("ATA\0", 4));
        QCOMPARE(DevicePayload::serialNumberPayload(QString(40, 's')).size(), DeviceMessage::MaxPayload);
    }

    void moduleLineMessages_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("types"); // of the messages, in order

        QTest::newRow("empty") << 0 << "";
        QTest::newRow("36") << 36 << "0";
        QTest::newRow("37") << 37 << "192 0";
        QTest::newRow("72") << 72 << "192 0";
        QTest::newRow("73") << 73 << "192 192 0";
    }

    void moduleLineMessages()
    {
        QFETCH(int, length);
        QByteArray line;
        for (int i = 0; i < length; ++i)
            line += char('a' + i % 26);
        QStringList seen;
        QByteArray joined;
        for (const DevicePayload::Message& message : DevicePayload::atLineMessages(line)) {
            seen << QString::number(message.type);
            QVERIFY(message.payload.size() <= DeviceMessage::MaxPayload);
            joined += DevicePayload::atLine(message.payload);
        }
        QTEST(seen.join(' '), "types");
        QCOMPARE(joined, line);
    }

    void autoAnswer()
    {
        QCOMPARE(DevicePayload::autoAnswer(QByteArray::fromHex("00ff")), false);
        QCOMPARE(DevicePayload::autoAnswer(QByteArray::fromHex("ff00")), true);
        QCOMPARE(DevicePayload::autoAnswer(QByteArray()), false);
        QCOMPARE(DevicePayload::autoAnswer(DevicePayload::autoAnswerPayload(true)), true);
    }
};

QTEST_MAIN(TestDevicePayload)
#include "tst_devicepayload.moc"
