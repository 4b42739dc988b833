#include "CRssiMeter.h"

#include <QTest>

class TestCRssiMeter : public QObject
{
    Q_OBJECT

private slots:
    void bars_data()
    {
        QTest::addColumn<int>("rssi");
        QTest::addColumn<int>("dbm");
        QTest::addColumn<int>("lit");
        QTest::addColumn<QString>("tip");
        QTest::newRow("0") << 0 << -113 << 0 << "-113 dBm";
        QTest::newRow("6") << 6 << -101 << 1 << "-101 dBm";
        QTest::newRow("7") << 7 << -99 << 2 << "-99 dBm";
        QTest::newRow("20") << 20 << -73 << 4 << "-73 dBm";
        QTest::newRow("25") << 25 << -63 << 4 << "-63 dBm";
        QTest::newRow("26") << 26 << -61 << 5 << "-61 dBm";
        QTest::newRow("99, no measurement") << 99 << 0 << 0 << "0 dBm";
    }
    void bars()
    {
        QFETCH(int, rssi);
        QFETCH(int, dbm);
        QFETCH(int, lit);
        CRssiMeter meter;
        meter.resize(30, 20);
        meter.setValue(rssi, dbm);
        QTEST(meter.toolTip(), "tip");
        const QImage image = meter.grab().toImage();
        for (int bar = 0; bar < 5; ++bar) // 6 pixels wide, below a black top at row 16, 12, 8, 4 or 0
            QCOMPARE(image.pixelColor(bar * 6 + 3, 17 - 4 * bar), bar < lit ? QColor(0, 255, 0) : QColor(0, 80, 0));
    }
};

QTEST_MAIN(TestCRssiMeter)
#include "tst_crssimeter.moc"
