#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "OrvanePPMMeter.h"

namespace {

// Fill colours that are easy to tell apart in a rendered image.
const QColor kBar(0, 0, 255);       // MinColor
const QColor kBarTop(255, 255, 0);  // MaxColor
const QColor kBack(0, 160, 0);      // MinBackgroundColor
const QColor kBackTop(255, 0, 255); // MaxBackgroundColor

// Bar height from the curves. DIN: height * (10^(d/80) - 10^(min/80)) / (10^(max/80) - 10^(min/80)),
// cut; linear: height * (d - min) is cut to whole pixels before the division by max - min.
int barPixels(bool din, int height, double dB, double minDb = -50.0, double maxDb = 5.0)
{
    const double d = qBound(minDb, dB, maxDb);
    if (!din)
        return static_cast<int>(static_cast<int>(height * (d - minDb)) / (maxDb - minDb));
    const double low = std::pow(10.0, minDb / 80.0);
    return static_cast<int>(height * (std::pow(10.0, d / 80.0) - low) / (std::pow(10.0, maxDb / 80.0) - low));
}

// Colour of a two-stop gradient from `bottom` at row `mid` up to `top` at row 0, at a row's centre.
QRgb gradientAt(int row, int mid, const QColor& bottom, const QColor& top)
{
    const double t = (mid - (row + 0.5)) / mid;
    auto mix = [t](int a, int b) { return qRound(a + (b - a) * t); };
    return qRgb(mix(bottom.red(), top.red()), mix(bottom.green(), top.green()), mix(bottom.blue(), top.blue()));
}

// The first pixel off the colour `expected` gives for its row by more than `tolerance` per
// channel, or an empty string.
QString firstMismatch(const QImage& image, const std::function<QRgb(int)>& expected, int tolerance = 0)
{
    for (int row = 0; row < image.height(); ++row)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb got = image.pixel(x, row), want = expected(row);
            const int gap = std::max(
                { qAbs(qRed(got) - qRed(want)), qAbs(qGreen(got) - qGreen(want)), qAbs(qBlue(got) - qBlue(want)) });
            if (gap > tolerance)
                return QStringLiteral("(%1,%2) is %3 not %4").arg(x).arg(row).arg(got, 0, 16).arg(want, 0, 16);
        }
    return QString();
}

// Renders a meter in the colours above; `rowColour` gives the colour expected for each row.
QString meterMismatch(bool din, bool gradients, int height, double level, double minDb, double maxDb,
    const std::function<QRgb(int)>& rowColour)
{
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
    const QString mismatch
        = firstMismatch(meter.grab().toImage().convertToFormat(QImage::Format_RGB32), rowColour, gradients ? 3 : 0);
    // Painting also clamps the stored level into the range; a level that is no number is the floor.
    const double clamped = std::isfinite(level) ? qBound(minDb, level, maxDb) : minDb;
    return meter.dBPosition() == clamped ? mismatch : QStringLiteral("level not clamped");
}

// Solid fills: bar colour below the 0 dB row and top colour above it, background the same way.
QString solidMismatch(bool din, int height, double level, int bar, int zero, double minDb = -50, double maxDb = 5)
{
    return meterMismatch(din, false, height, level, minDb, maxDb, [=](int row) {
        const bool belowZero = row >= height - zero;
        return (row >= height - bar ? (belowZero ? kBar : kBarTop) : (belowZero ? kBack : kBackTop)).rgb();
    });
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
    void barHeight200_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("din");
        QTest::addColumn<int>("linear");

        QTest::newRow("-50") << -50.0 << 0 << 0;
        QTest::newRow("-40") << -40.0 << 17 << 36;
        QTest::newRow("-30") << -30.0 << 40 << 72;
        QTest::newRow("-20") << -20.0 << 70 << 109;
        QTest::newRow("-10") << -10.0 << 111 << 145;
        QTest::newRow("0") << 0.0 << 166 << 181;
        QTest::newRow("+3") << 3.0 << 185 << 192;
        QTest::newRow("+5") << 5.0 << 200 << 200;
        QTest::newRow("below range") << -120.0 << 0 << 0;
        QTest::newRow("above range") << 12.0 << 200 << 200;
        // A level that is not a number reads as the floor.
        QTest::newRow("NaN") << qQNaN() << 0 << 0;
        QTest::newRow("infinity") << qInf() << 0 << 0;
        QTest::newRow("far above") << 1e300 << 200 << 200;
    }

    void barHeight200()
    {
        QFETCH(double, level);
        QFETCH(int, din);
        QFETCH(int, linear);
        // The 0 dB row is 166 pixels up on the DIN curve, 181 on the linear one.
        QCOMPARE(solidMismatch(true, 200, level, din, 166), QString());
        QCOMPARE(solidMismatch(false, 200, level, linear, 181), QString());
    }

    void barHeightElsewhere_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("level");
        QTest::addColumn<double>("minDb");
        QTest::addColumn<double>("maxDb");

        QTest::newRow("h300") << 300 << -22.0 << -50.0 << 5.0;
        QTest::newRow("h123 high") << 123 << 1.5 << -50.0 << 5.0;
        QTest::newRow("-40..10") << 240 << 6.0 << -40.0 << 10.0;
        // Linear: 240 x 0.695 = 166.8 is cut to 166 first, and 166 / 55.5 gives 2 (166.8 / 55.5 gives 3).
        QTest::newRow("cut before dividing") << 240 << -49.805 << -50.5 << 5.0;
    }

    void barHeightElsewhere()
    {
        QFETCH(int, height);
        QFETCH(double, level);
        QFETCH(double, minDb);
        QFETCH(double, maxDb);
        for (bool din : { true, false }) {
            const int bar = barPixels(din, height, level, minDb, maxDb);
            const int zero = barPixels(din, height, 0.0, minDb, maxDb);
            QCOMPARE(solidMismatch(din, height, level, bar, zero, minDb, maxDb), QString());
        }
    }

    void gradientShape_data()
    {
        QTest::addColumn<bool>("din");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("level");

        QTest::newRow("below mid") << true << 200 << -20.0; // 70 pixels
        QTest::newRow("at mid") << false << 200 << -22.5;   // 100
        QTest::newRow("mid+1") << false << 200 << -22.0;    // 101
        QTest::newRow("tall") << true << 200 << -10.0;      // 111
        QTest::newRow("full") << true << 200 << 5.0;
        QTest::newRow("odd height") << true << 123 << -2.0; // mid rounds up to 62
    }

    void gradientShape()
    {
        QFETCH(bool, din);
        QFETCH(int, height);
        QFETCH(double, level);

        // Background: gradient above mid-height, solid below. Bar: solid for min(B, mid + 2) rows
        // from the bottom; above mid its gradient, drawn last, reaches up to row mid - (B - mid).
        const int bar = barPixels(din, height, level);
        const int mid = (height + 1) / 2;
        const int solidTop = height - std::min(bar, mid + 2);
        const int gradientTop = bar > mid ? 2 * mid - bar : mid;
        QCOMPARE(meterMismatch(din, true, height, level, -50, 5,
                     [=](int row) {
                         if (row >= gradientTop && row < mid)
                             return gradientAt(row, mid, kBar, kBarTop);
                         if (row >= solidTop)
                             return kBar.rgb();
                         return row < mid ? gradientAt(row, mid, kBack, kBackTop) : kBack.rgb();
                     }),
            QString());
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

        // 0.133 dB (in single precision) per tick: 375 whole steps cover 49.875 dB, the 376th
        // takes the remaining 0.125 dB. A tick repaints exactly when the bar's height changes.
        int ticks = 0, repaints = 0;
        while (meter.dBPosition() > -50.0 && ticks < 1000) {
            const double before = meter.dBPosition();
            meter.applyRelease(-50.0, 0.133);
            const double fall = before - meter.dBPosition();
            ++ticks;
            QVERIFY2(qAbs(fall - (ticks <= 375 ? static_cast<float>(0.133) : 0.125)) < 1e-5,
                qPrintable(QStringLiteral("tick %1 fell %2").arg(ticks).arg(fall, 0, 'g', 17)));
            const bool changed = barPixels(true, 200, before) != barPixels(true, 200, meter.dBPosition());
            QCOMPARE(takePaints(), changed ? 1 : 0);
            repaints += changed;
        }
        QCOMPARE(ticks, 376);
        QCOMPARE(meter.dBPosition(), -50.0);
        // The curve is steepest at the top (about 6.3 pixels per dB), so no step moves the bar
        // more than a pixel: the fall from 166 pixels repaints on 166 of the 376 ticks.
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

    void oddRangesPaint()
    {
        // Nothing here may divide by zero into an int or overflow (the sanitizers watch).
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(int, height);
        for (bool din : { true, false }) {
            OrvanePPMMeter meter;
            meter.setDINCurve(din);
            meter.setMindBPosition(minimum);
            meter.setMaxdBPosition(maximum);
            meter.resize(14, height);
            for (double level : { -60.0, 0.0, 10.0 }) {
                meter.setdBPosition(level);
                QVERIFY(!meter.grab().isNull() || height == 0);
                QVERIFY(std::isfinite(meter.dBPosition()));
            }
        }
    }
};

QTEST_MAIN(tst_OrvanePPMMeter)

#include "tst_orvaneppmmeter.moc"
