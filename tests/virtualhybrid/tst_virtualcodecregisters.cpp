#include "VirtualCodecRegisters.h"

#include <QSignalSpy>
#include <QTest>

class TestVirtualCodecRegisters : public QObject
{
    Q_OBJECT

private slots:
    void powerOnValues_data();
    void powerOnValues();
    void missingAddressesReadZero();
    void estimatedValuesAreMarked();
    void writes_data();
    void writes();
    void registerZeroResets();
    void changesAreSignalled();
    void valuesRoundTrip();
};

void TestVirtualCodecRegisters::powerOnValues_data()
{
    // The NAU8810's power-on values as Nuvoton's Linux driver lists them.
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    const QList<QPair<int, int>> table {
        { 1, 0x000 },
        { 4, 0x050 },
        { 6, 0x140 },
        { 10, 0x000 },
        { 11, 0x0FF },
        { 14, 0x100 },
        { 15, 0x0FF },
        { 18, 0x12C },
        { 19, 0x02C },
        { 20, 0x02C },
        { 21, 0x02C },
        { 22, 0x02C },
        { 24, 0x032 },
        { 27, 0x000 },
        { 32, 0x038 },
        { 33, 0x00B },
        { 34, 0x032 },
        { 36, 0x008 },
        { 37, 0x00C },
        { 38, 0x093 },
        { 39, 0x0E9 },
        { 44, 0x003 },
        { 45, 0x010 },
        { 47, 0x100 },
        { 49, 0x002 },
        { 50, 0x001 },
        { 54, 0x039 },
        { 56, 0x001 },
        { 60, 0x020 },
        { 63, 0x01A },
        { 64, 0x0CA },
        { 65, 0x124 },
        { 69, 0x001 },
        { 70, 0x010 },
        { 79, 0x000 },
    };
    for (const auto& entry : table)
        QTest::addRow("register %d", entry.first) << entry.first << entry.second;
}

void TestVirtualCodecRegisters::powerOnValues()
{
    QFETCH(int, address);
    QFETCH(int, value);
    VirtualCodecRegisters codec;
    QCOMPARE(int(codec.value(address)), value);
    QCOMPARE(int(VirtualCodecRegisters::powerOnValue(address)), value);
    QVERIFY(VirtualCodecRegisters::exists(address));
}

void TestVirtualCodecRegisters::missingAddressesReadZero()
{
    VirtualCodecRegisters codec;
    const QList<int> missing { 8, 9, 12, 13, 16, 17, 23, 26, 31, 41, 42, 43, 46, 48, 51, 52, 53, 55, 57, 61, 66, 67, 68,
        72, 74 };
    int present = 0;
    for (int address = 0; address < VirtualCodecRegisters::RegisterCount; ++address) {
        const bool expected = !missing.contains(address);
        QCOMPARE(VirtualCodecRegisters::exists(address), expected);
        present += expected ? 1 : 0;
        if (!expected) {
            QCOMPARE(int(codec.value(address)), 0);
            QVERIFY(!codec.write(address, 0x155));
            QCOMPARE(int(codec.value(address)), 0);
        }
    }
    QCOMPARE(present, 80 - 25);
    QCOMPARE(int(codec.value(-1)), 0);
    QCOMPARE(int(codec.value(80)), 0);
    QVERIFY(!codec.write(80, 1));
}

void TestVirtualCodecRegisters::estimatedValuesAreMarked()
{
    // The sources disagree about registers 62, 70 and 71; everything else is documented.
    QList<int> estimated;
    for (int address = 0; address < VirtualCodecRegisters::RegisterCount; ++address) {
        if (VirtualCodecRegisters::isEstimated(address))
            estimated.append(address);
    }
    QCOMPARE(estimated, (QList<int> { 62, 70, 71 }));
}

void TestVirtualCodecRegisters::writes_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("written");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("readBack");
    QTest::newRow("PGA gain") << 45 << 0x0AB << true << 0x0AB;
    QTest::newRow("nine bits kept") << 11 << 0x1FF << true << 0x1FF;
    QTest::newRow("upper bits dropped") << 47 << 0xFE00 << true << 0x000;
    QTest::newRow("bit 9 dropped") << 18 << 0x32C << true << 0x12C;
    QTest::newRow("notch update bit reads 0") << 30 << 0x145 << true << 0x045;
    QTest::newRow("notch enable kept") << 27 << 0x1C4 << true << 0x0C4;
    QTest::newRow("device id read-only") << 63 << 0x055 << false << 0x01A;
    QTest::newRow("revision read-only") << 62 << 0x0EF << false << 0x000;
    QTest::newRow("AGC peak read-only") << 77 << 0x010 << false << 0x000;
    QTest::newRow("last register") << 79 << 0x180 << true << 0x180;
}

void TestVirtualCodecRegisters::writes()
{
    QFETCH(int, address);
    QFETCH(int, written);
    QFETCH(bool, accepted);
    QFETCH(int, readBack);
    VirtualCodecRegisters codec;
    QCOMPARE(codec.write(address, quint16(written)), accepted);
    QCOMPARE(int(codec.value(address)), readBack);
    QCOMPARE(VirtualCodecRegisters::isReadOnly(address), !accepted);
}

void TestVirtualCodecRegisters::registerZeroResets()
{
    VirtualCodecRegisters codec;
    codec.write(11, 0x080);
    codec.write(45, 0x03F);
    codec.write(79, 0x100);
    QVERIFY(codec.write(0, 0x000));
    QCOMPARE(int(codec.value(11)), 0x0FF);
    QCOMPARE(int(codec.value(45)), 0x010);
    QCOMPARE(int(codec.value(79)), 0x000);
    QCOMPARE(int(codec.value(0)), 0);

    codec.write(1, 0x01D);
    codec.reset();
    QCOMPARE(int(codec.value(1)), 0);
}

void TestVirtualCodecRegisters::changesAreSignalled()
{
    VirtualCodecRegisters codec;
    QSignalSpy spy(&codec, &VirtualCodecRegisters::registerChanged);
    codec.write(15, 0x0FF); // unchanged
    QCOMPARE(spy.count(), 0);
    codec.write(15, 0x0C0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].toInt(), 15);
    QCOMPARE(spy[0][1].value<quint16>(), quint16(0x0C0));
    codec.write(2, 0x015);
    spy.clear();
    codec.reset();
    QCOMPARE(spy.count(), 2); // only the two registers that changed
}

void TestVirtualCodecRegisters::valuesRoundTrip()
{
    VirtualCodecRegisters codec;
    codec.write(19, 0x14A);
    codec.write(54, 0x07F);
    const QVector<quint16> saved = codec.values();
    QCOMPARE(saved.size(), 80);
    codec.reset();
    QCOMPARE(int(codec.value(19)), 0x02C);
    codec.setValues(saved);
    QCOMPARE(int(codec.value(19)), 0x14A);
    QCOMPARE(int(codec.value(54)), 0x07F);
    QCOMPARE(codec.values(), saved);
}

QTEST_GUILESS_MAIN(TestVirtualCodecRegisters)
#include "tst_virtualcodecregisters.moc"
