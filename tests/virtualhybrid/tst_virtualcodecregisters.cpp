#include "VirtualCodecRegisters.h"

#include <QSignalSpy>
#include <QTest>

class TestVirtualCodecRegisters : public QObject
{
    Q_OBJECT

private slots:
    void writes_data();
    void writes();
    void resetAndRestore();
};

void TestVirtualCodecRegisters::writes_data()
{
    // Power-on values as Nuvoton's Linux driver gives them for the NAU8810.
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("powerOn");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("readBack"); // -1: the write is refused
    QTest::newRow("PGA gain") << 45 << 0x010 << 0x0AB << 0x0AB;
    QTest::newRow("nine bits") << 11 << 0x0FF << 0x1FF << 0x1FF;
    QTest::newRow("upper bits dropped") << 18 << 0x12C << 0xFE2C << 0x02C;
    QTest::newRow("first notch register") << 27 << 0x000 << 0x1C4 << 0x0C4; // the update bit reads 0
    QTest::newRow("last notch register") << 30 << 0x000 << 0x145 << 0x045;
    QTest::newRow("no register") << 26 << 0x000 << 0x155 << -1;
    QTest::newRow("device id") << 63 << 0x01A << 0x055 << -1;
    QTest::newRow("last register") << 79 << 0x000 << 0x180 << 0x180;
    QTest::newRow("beyond the last") << 80 << 0x000 << 0x001 << -1;
}

void TestVirtualCodecRegisters::writes()
{
    QFETCH(int, address);
    QFETCH(int, powerOn);
    QFETCH(int, written);
    QFETCH(int, readBack);
    VirtualCodecRegisters codec;
    QCOMPARE(int(codec.value(address)), powerOn);
    QCOMPARE(codec.write(address, quint16(written)), readBack >= 0);
    QCOMPARE(int(codec.value(address)), readBack >= 0 ? readBack : powerOn);
}

void TestVirtualCodecRegisters::resetAndRestore()
{
    VirtualCodecRegisters codec;
    QSignalSpy changes(&codec, &VirtualCodecRegisters::registerChanged);
    codec.write(15, 0x0FF); // unchanged: not signalled
    codec.write(11, 0x080);
    codec.write(79, 0x100);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(changes[0], (QList<QVariant> { 11, QVariant::fromValue(quint16(0x080)) }));
    QVector<quint16> saved = codec.values();
    QVERIFY(codec.write(0, 0x155)); // register 0 resets the chip and reads 0
    QCOMPARE(changes.count(), 4);
    QVERIFY(codec.value(0) == 0 && codec.value(11) == 0x0FF && codec.value(79) == 0);
    // Restored values keep to nine bits and to the registers that exist.
    saved[26] = 0x155;
    saved[45] = 0xFFFF;
    codec.setValues(saved);
    QVERIFY(codec.value(11) == 0x080 && codec.value(26) == 0 && codec.value(45) == 0x1FF);
}

QTEST_GUILESS_MAIN(TestVirtualCodecRegisters)
#include "tst_virtualcodecregisters.moc"
