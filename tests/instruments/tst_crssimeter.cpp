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
        QTest::newRow("1") << 1 << -111 << 1 << "-111 dBm";
        QTest::newRow("6") << 6 << -101 << 1 << "-101 dBm";
        QTest::newRow("7") << 7 << -99 << 2 << "-99 dBm";
        QTest::newRow("20") << 20 << -73 << 4 << "-73 dBm";
        QTest::newRow("25") << 25 << -63 << 4 << "-63 dBm";
        QTest::newRow("26") << 26 << -61 << 5 << "-61 dBm";
        QTest::newRow("31") << 31 << -51 << 5 << "-51 dBm";
        QTest::newRow("99, no measurement") << 99 << 0 << 0 << "0 dBm";
        QTest::newRow("above the scale") << 40 << -33 << 5 << "-33 dBm";
    }

    // A 30 x 20 meter: bars 6 pixels wide, their tops at rows 16, 12, 8, 4 and 0.
    void bars()
    {
        QFETCH(int, rssi);
        QFETCH(int, dbm);
        QFETCH(int, lit);
        QFETCH(QString, tip);
        CRssiMeter meter;
        meter.resize(30, 20);
        meter.setValue(rssi, dbm);
        QCOMPARE(meter.toolTip(), tip);

        const QImage image = meter.grab().toImage();
        const int tops[] = { 16, 12, 8, 4, 0 };
        for (int bar = 0; bar < 5; ++bar) {
            const int x = bar * 6 + 3;
            const QColor fill = bar < lit ? QColor(0, 255, 0) : QColor(0, 0x50, 0);
            QCOMPARE(image.pixelColor(x, tops[bar] + 1), fill);
            // Black outline along the bar's top, nothing of it above; only the tallest bar's
            // lower edge is inside the meter.
            QCOMPARE(image.pixelColor(x, tops[bar]), QColor(Qt::black));
            QCOMPARE(image.pixelColor(x, 19), bar == 4 ? QColor(Qt::black) : fill);
            if (bar < 4)
                QVERIFY(image.pixelColor(x, tops[bar] - 1) != fill);
        }
        // Painting drops the "no measurement" mark: the next paint shows the same.
        QCOMPARE(meter.grab().toImage(), image);
    }
};

QTEST_MAIN(TestCRssiMeter)
#include "tst_crssimeter.moc"
