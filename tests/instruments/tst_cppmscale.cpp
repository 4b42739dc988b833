#include <QtTest>

#include "CPPMScale.h"

namespace {

// The scale's marks: long labelled ticks and short unlabelled ones (none at -9 dB).
const QVector<double> kLabelled { -50, -40, -30, -25, -20, -15, -10, -6, -3, 0, 5 };
const QVector<double> kUnlabelled { -8, -7, -5, -4, -2, -1, 1, 2, 3, 4 };

bool isBlack(QRgb rgb)
{
    return qRed(rgb) < 64 && qGreen(rgb) < 64 && qBlue(rgb) < 64;
}

} // namespace

class tst_CPPMScale : public QObject
{
    Q_OBJECT

private slots:
    void ticks_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("zeroTick");
        QTest::addColumn<int>("minus20Tick");
        QTest::newRow("40x200") << 40 << 200 << 34 << 130;
        QTest::newRow("31x300") << 31 << 300 << 51 << 194;
        QTest::newRow("40x450") << 40 << 450 << 76 << 291;
    }

    void ticks()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, zeroTick);
        CPPMScale scale;
        scale.resize(width, height);
        const QImage image = scale.grab().toImage();

        // Rows of the ticks on the meter's DIN curve, from the top.
        QCOMPARE(scale.dBToY(0), zeroTick);
        QTEST(scale.dBToY(-20), "minus20Tick");

        // Long ticks reach a third of the width, short ones a sixth (the square cap covers the end
        // column); the -50 dB tick is lifted two rows off the bottom edge. Labels end on their
        // baseline a third of a line below the tick; the bottom label's is on the bottom edge, the
        // top label's two thirds of a line down.
        const int line = QFontMetrics(QFont(QStringLiteral("Arial"), 7), &scale).height();
        QSet<int> tickPixels;
        for (double dB : kLabelled + kUnlabelled) {
            const int y = scale.dBToY(dB) - (dB == -50 ? 2 : 0), end = kLabelled.contains(dB) ? width / 3 : width / 6;
            tickPixels << y - 1 << y; // the 2 pixel line covers the row above too
            QVERIFY2(
                isBlack(image.pixel(end, y)) && !isBlack(image.pixel(end + 1, y)), qPrintable(QString::number(dB)));
            if (!kLabelled.contains(dB))
                continue;
            const int baseline = dB == -50 ? height : dB == 5 ? 2 * (line / 3) : y + line / 3;
            int inkBottom = -1;
            for (int row = qMax(0, baseline - line); row <= qMin(height - 1, baseline + 2); ++row)
                for (int x = width / 3 + 1; x < width; ++x)
                    if (qGray(image.pixel(x, row)) < 110)
                        inkBottom = row;
            QVERIFY2(inkBottom == baseline - 1 || inkBottom == qMin(baseline, height - 1),
                qPrintable(QStringLiteral("%1 dB: label ink ends on row %2").arg(dB).arg(inkBottom)));
        }

        // Column 1 holds only the ticks and, above the 0 dB tick, the red band as wide as the long ticks.
        const QRgb red = qRgb(255, 0, 0);
        for (int row = 0; row < height; ++row) {
            const QRgb pixel = image.pixel(1, row);
            const bool ok = tickPixels.contains(row) ? isBlack(pixel)
                : row < zeroTick
                ? pixel == red && image.pixel(width / 3 - 1, row) == red && image.pixel(width / 3, row) != red
                : !isBlack(pixel) && pixel != red;
            QVERIFY2(ok, qPrintable(QStringLiteral("row %1 is %2").arg(row).arg(pixel, 0, 16)));
        }
    }
};

QTEST_MAIN(tst_CPPMScale)

#include "tst_cppmscale.moc"
