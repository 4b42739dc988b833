#include <QtTest>

#include <algorithm>
#include <cmath>
#include <utility>

#include "OrvanePPMMeter.h"

namespace {

const QColor kBar(0, 0, 255), kBarTop(255, 255, 0), kBack(0, 160, 0), kBackTop(255, 0, 255);

// Colour of a row for a bar of `bar` pixels and the 0 dB row `zero` pixels up. Solid fills: bar
// colour below the 0 dB row, top colour above it, the background likewise. Gradients: background
// gradient above mid-height, solid below; the bar is solid for min(bar, mid + 2) rows from the
// bottom and, above mid, its gradient (drawn last) reaches up to row mid - (bar - mid).
QRgb expectedColour(bool gradients, int height, int bar, int zero, int row)
{
    if (!gradients) {
        const bool belowZero = row >= height - zero;
        return (row >= height - bar ? (belowZero ? kBar : kBarTop) : (belowZero ? kBack : kBackTop)).rgb();
    }
    const int mid = (height + 1) / 2;
    // A two-stop gradient from `bottom` at row mid up to `top` at row 0, taken at the row's centre.
    const auto gradient = [t = (mid - (row + 0.5)) / mid](const QColor& bottom, const QColor& top) {
        auto mix = [t](int a, int b) { return qRound(a + (b - a) * t); };
        return qRgb(mix(bottom.red(), top.red()), mix(bottom.green(), top.green()), mix(bottom.blue(), top.blue()));
    };
    if (row < mid && row >= 2 * mid - bar)
        return gradient(kBar, kBarTop);
    if (row >= height - std::min(bar, mid + 2))
        return kBar.rgb();
    return row < mid ? gradient(kBack, kBackTop) : kBack.rgb();
}

struct PaintCountingMeter : OrvanePPMMeter
{
    int paints = 0;
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        OrvanePPMMeter::paintEvent(event);
    }
};

} // namespace

class tst_OrvanePPMMeter : public QObject
{
    Q_OBJECT

private slots:
    void barHeight_data()
    {
        QTest::addColumn<bool>("din");
        QTest::addColumn<bool>("gradients");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("level");
        QTest::addColumn<double>("minDb");
        QTest::addColumn<double>("maxDb");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("zero");
        // Over -50..+5 dB at 200 pixels; below the range, NaN and infinity read as the floor.
        const double levels[] = { -50, -40, -30, -20, -10, 0, 3, 5, -120, 12, qQNaN(), qInf(), 1e300 };
        const int din[] = { 0, 17, 40, 70, 111, 166, 185, 200, 0, 200, 0, 0, 200 };
        const int linear[] = { 0, 36, 72, 109, 145, 181, 192, 200, 0, 200, 0, 0, 200 };
        for (int i = 0; i < 13; ++i) {
            QTest::addRow("din %g", levels[i]) << true << false << 200 << levels[i] << -50.0 << 5.0 << din[i] << 166;
            QTest::addRow("linear %g", levels[i])
                << false << false << 200 << levels[i] << -50.0 << 5.0 << linear[i] << 181;
        }
        QTest::newRow("din -40..+10") << true << false << 240 << 6.0 << -40.0 << 10.0 << 205 << 161;
        // Linear products are cut to whole pixels before the division: 204 x 0.557 = 113.628 is cut to
        // 113, and 113 / 56.7 gives 1 (not 2); 204 x 51.7 = 10546.8 is cut to 10546, / 56.7 gives 185.
        QTest::newRow("linear cuts before dividing") << false << false << 204 << -51.143 << -51.7 << 5.0 << 1 << 185;
        QTest::newRow("gradient below mid") << true << true << 200 << -20.0 << -50.0 << 5.0 << 70 << 166;
        QTest::newRow("gradient mid+1") << false << true << 200 << -22.0 << -50.0 << 5.0 << 101 << 181;
        QTest::newRow("gradient tall") << true << true << 200 << -10.0 << -50.0 << 5.0 << 111 << 166;
        QTest::newRow("gradient full") << true << true << 200 << 5.0 << -50.0 << 5.0 << 200 << 166;
        // Mid-height rounds up to 62; a bar of 63 pixels shows solid up to row 60, its gradient on row 61.
        QTest::newRow("gradient odd height") << true << true << 123 << -2.0 << -50.0 << 5.0 << 94 << 102;
        QTest::newRow("gradient odd height, mid+1") << false << true << 123 << -21.7 << -50.0 << 5.0 << 63 << 111;
    }

    void barHeight()
    {
        QFETCH(bool, din);
        QFETCH(bool, gradients);
        QFETCH(int, height);
        QFETCH(double, level);
        QFETCH(double, minDb);
        QFETCH(double, maxDb);
        QFETCH(int, bar);
        QFETCH(int, zero);
        OrvanePPMMeter meter;
        meter.setGradientBackground(gradients);
        meter.setGradientForground(gradients);
        meter.setMinColor(kBar);
        meter.setMaxColor(kBarTop);
        meter.setMinBackgroundColor(kBack);
        meter.setMaxBackgroundColor(kBackTop);
        meter.setDINCurve(din);
        meter.setMindBPosition(minDb);
        meter.setMaxdBPosition(maxDb);
        meter.resize(14, height);
        meter.setdBPosition(level);
        // Rendered onto black, so that a row the meter leaves unpainted shows.
        QImage image(14, height, QImage::Format_RGB32);
        image.fill(Qt::black);
        meter.render(&image);
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb got = image.pixel(x, row), want = expectedColour(gradients, height, bar, zero, row);
                const int gap = std::max(
                    { qAbs(qRed(got) - qRed(want)), qAbs(qGreen(got) - qGreen(want)), qAbs(qBlue(got) - qBlue(want)) });
                if (gap > (gradients ? 3 : 0))
                    QFAIL(qPrintable(
                        QStringLiteral("(%1,%2) is %3 not %4").arg(x).arg(row).arg(got, 0, 16).arg(want, 0, 16)));
            }
        // Painting also clamps the stored level into the range.
        QCOMPARE(meter.dBPosition(), std::isfinite(level) ? qBound(minDb, level, maxDb) : minDb);
    }

    void releaseFallFromZero()
    {
        PaintCountingMeter meter;
        meter.resize(14, 200);
        meter.setdBPosition(0.0);
        meter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&meter));
        QTRY_VERIFY(meter.paints > 0);
        auto takePaints = [&meter] {
            QCoreApplication::processEvents();
            return std::exchange(meter.paints, 0);
        };
        takePaints();

        // 375 whole steps of 0.133 dB and a last one of 0.125 dB. The bar falls from 166 pixels
        // and no step moves it more than one, so 166 of the ticks repaint.
        int ticks = 0, repaints = 0;
        for (; meter.dBPosition() > -50.0 && ticks < 1000; ++ticks) {
            meter.applyRelease(-50.0, 0.133);
            repaints += takePaints();
        }
        QCOMPARE(ticks, 376);
        QCOMPARE(meter.dBPosition(), -50.0);
        QCOMPARE(repaints, 166);

        // At the floor nothing moves and nothing is repainted.
        meter.applyRelease(-50.0, 0.133);
        QCOMPARE(meter.dBPosition(), -50.0);
        QCOMPARE(takePaints(), 0);
    }

    void releaseOneTick_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("target");
        QTest::addColumn<double>("after");
        // A rise, or a fall smaller than one step, is taken in a single tick.
        QTest::newRow("rise from the floor") << -50.0 << 0.0 << 0.0;
        QTest::newRow("fall smaller than a step") << -10.0 << -10.1 << -10.1;
        // Level and target both at or below the floor: untouched, not even clamped.
        QTest::newRow("both below the floor") << -60.0 << -70.0 << -60.0;
        QTest::newRow("below the floor, target at it") << -60.0 << -50.0 << -60.0;
        // Either one above the floor lets the step run; a fall past the floor is clamped.
        QTest::newRow("below the floor, target above") << -60.0 << -40.0 << -40.0;
        QTest::newRow("just above the floor, target below") << -49.95 << -70.0 << -50.0;
        // A target that is not a number is the floor: the meter falls, it does not stick.
        QTest::newRow("NaN target") << -10.0 << qQNaN() << -10.133;
        QTest::newRow("infinite target") << -10.0 << qInf() << -10.133;
    }

    void releaseOneTick()
    {
        QFETCH(double, from);
        QFETCH(double, target);
        QFETCH(double, after);
        OrvanePPMMeter meter;
        meter.setdBPosition(from);
        meter.applyRelease(target, 0.133);
        QVERIFY2(qAbs(meter.dBPosition() - after) < 1e-5, qPrintable(QString::number(meter.dBPosition(), 'g', 17)));
    }

    void oddRangesPaint_data()
    {
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<int>("height");
        QTest::newRow("empty range") << 0.0 << 0.0 << 200;
        QTest::newRow("upside down") << 5.0 << -50.0 << 200;
        QTest::newRow("no height") << -50.0 << 5.0 << 0;
        QTest::newRow("huge range") << -1e300 << 1e300 << 200;
    }

    // Nothing here may divide by zero into an int or overflow (the sanitizers watch).
    void oddRangesPaint()
    {
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(int, height);
        OrvanePPMMeter meter;
        meter.setMindBPosition(minimum);
        meter.setMaxdBPosition(maximum);
        meter.resize(14, height);
        for (bool din : { true, false })
            for (double level : { -60.0, 0.0, 10.0 }) {
                meter.setDINCurve(din);
                meter.setdBPosition(level);
                QVERIFY(!meter.grab().isNull() || height == 0);
                QVERIFY(std::isfinite(meter.dBPosition()));
            }
    }
};

QTEST_MAIN(tst_OrvanePPMMeter)

#include "tst_orvaneppmmeter.moc"
