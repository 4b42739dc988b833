#include <QtTest>

#include <cmath>

#include "CPPMScale.h"
#include "OrvanePPMMeter.h"

namespace {

// The scale's marks: long labelled ticks and short unlabelled ones (none at -9 dB).
const QVector<double> kLabelled { -50, -40, -30, -25, -20, -15, -10, -6, -3, 0, 5 };
const QVector<double> kUnlabelled { -8, -7, -5, -4, -2, -1, 1, 2, 3, 4 };

// Row of a mark's tick, counted from the top, on the DIN curve over -50..+5 dB. The -50 dB tick
// is lifted two rows so the whole line stays inside. The 2 pixel line covers this row and the
// one above it.
int tickRow(int height, double dB)
{
    const double low = std::pow(10.0, -50.0 / 80.0);
    const double span = std::pow(10.0, 5.0 / 80.0) - low;
    return height - static_cast<int>((std::pow(10.0, dB / 80.0) - low) * height / span) - (dB == -50 ? 2 : 0);
}

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
        QTest::addColumn<int>("bottomTick");

        QTest::newRow("40x200") << 40 << 200 << 34 << 198;
        QTest::newRow("31x300") << 31 << 300 << tickRow(300, 0) << tickRow(300, -50);
        QTest::newRow("40x450") << 40 << 450 << tickRow(450, 0) << tickRow(450, -50);
    }

    void ticks()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, zeroTick);
        QFETCH(int, bottomTick);

        CPPMScale scale;
        scale.resize(width, height);
        const QImage image = scale.grab().toImage();
        QSet<int> tickPixels;
        for (double dB : kLabelled + kUnlabelled)
            tickPixels << tickRow(height, dB) - 1 << tickRow(height, dB);

        // Column 1 holds only the ticks and, above the 0 dB tick, the red band, which is as wide
        // as the long ticks.
        const QRgb red = qRgb(255, 0, 0);
        for (int row = 0; row < height; ++row) {
            const QRgb pixel = image.pixel(1, row);
            const QString where = QStringLiteral("row %1 is %2").arg(row).arg(pixel, 0, 16);
            if (tickPixels.contains(row))
                QVERIFY2(isBlack(pixel), qPrintable(where));
            else if (row < zeroTick)
                QVERIFY2(pixel == red && image.pixel(width / 3 - 1, row) == red && image.pixel(width / 3, row) != red,
                    qPrintable(where));
            else
                QVERIFY2(!isBlack(pixel) && pixel != red, qPrintable(where));
        }
        QVERIFY(isBlack(image.pixel(1, zeroTick)) && !isBlack(image.pixel(1, zeroTick + 1)));
        QVERIFY(isBlack(image.pixel(1, bottomTick)) && !isBlack(image.pixel(1, bottomTick + 1)));

        // Long ticks reach a third of the width, short ones a sixth (the square cap covers the
        // end column). The tick's lower row is the top row of the meter's bar at its level.
        OrvanePPMMeter meter;
        meter.resize(14, height);
        meter.setGradientForground(false);
        meter.setMinColor(Qt::blue);
        meter.setMaxColor(Qt::blue);
        for (double dB : kLabelled + kUnlabelled) {
            const int y = tickRow(height, dB);
            const int end = kLabelled.contains(dB) ? width / 3 : width / 6;
            meter.setdBPosition(dB);
            const QImage bar = meter.grab().toImage();
            int top = height;
            while (top > 0 && bar.pixel(7, top - 1) == qRgb(0, 0, 255))
                --top;
            QVERIFY2(isBlack(image.pixel(end, y)) && !isBlack(image.pixel(end + 1, y)) && (dB == -50 || top == y),
                qPrintable(QStringLiteral("%1 dB: tick on row %2, bar top on row %3").arg(dB).arg(y).arg(top)));
        }

        // Labels: the digits end on their baseline, a third of a line below the tick; the bottom
        // label's is on the bottom edge, the top label's two thirds of a line down.
        const int line = QFontMetrics(QFont(QStringLiteral("Arial"), 7), &scale).height();
        for (double dB : kLabelled) {
            const int baseline = dB == -50 ? height : dB == 5 ? 2 * (line / 3) : tickRow(height, dB) + line / 3;
            int inkBottom = -1;
            for (int row = qMax(0, baseline - line); row <= qMin(height - 1, baseline + 2); ++row)
                for (int x = width / 3 + 1; x < width; ++x)
                    if (qGray(image.pixel(x, row)) < 110)
                        inkBottom = row;
            QVERIFY2(inkBottom == baseline - 1 || inkBottom == qMin(baseline, height - 1),
                qPrintable(QStringLiteral("%1 dB: label ink ends on row %2").arg(dB).arg(inkBottom)));
        }
    }
};

QTEST_MAIN(tst_CPPMScale)

#include "tst_cppmscale.moc"
