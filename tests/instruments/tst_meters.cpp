#include <QtTest>

#include <cmath>

#include "CPPMScale.h"
#include "CRssiMeter.h"
#include "MeterTickClock.h"
#include "OrvanePPMMeter.h"

namespace {

// The scale's marks: long labelled ticks and short unlabelled ones (none at -9 dB).
const QVector<double> kLabelled { -50, -40, -30, -25, -20, -15, -10, -6, -3, 0, 5 };
const QVector<double> kUnlabelled { -8, -7, -5, -4, -2, -1, 1, 2, 3, 4 };

bool isBlack(QRgb rgb)
{
    return qRed(rgb) < 64 && qGreen(rgb) < 64 && qBlue(rgb) < 64;
}

} // namespace

// Counts the paints that reach the meter and remembers the level of the last one.
class PaintCountingMeter : public OrvanePPMMeter
{
public:
    int paints = 0;
    double paintedLevel = 0.0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        paintedLevel = dBPosition();
        OrvanePPMMeter::paintEvent(event);
    }
};

// The level meters, their scale and tick clock, and the signal strength meter.
class TestMeters : public QObject
{
    Q_OBJECT

private slots:
    void barHeight_data()
    {
        QTest::addColumn<bool>("din");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("level");
        QTest::addColumn<double>("minDb");
        QTest::addColumn<double>("maxDb");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("zero"); // the 0 dB row, pixels up
        // Over -50..+5 dB at 200 pixels; below the range, NaN and infinity read as the floor.
        const double levels[] = { -50, -40, -30, -20, -10, 0, 3, 5, -120, 12, qQNaN(), qInf(), 1e300 };
        const int din[] = { 0, 17, 40, 70, 111, 166, 185, 200, 0, 200, 0, 0, 200 };
        const int linear[] = { 0, 36, 72, 109, 145, 181, 192, 200, 0, 200, 0, 0, 200 };
        for (int i = 0; i < 13; ++i) {
            QTest::addRow("din %g", levels[i]) << true << 200 << levels[i] << -50.0 << 5.0 << din[i] << 166;
            QTest::addRow("linear %g", levels[i]) << false << 200 << levels[i] << -50.0 << 5.0 << linear[i] << 181;
        }
        QTest::newRow("din -40..+10") << true << 240 << 6.0 << -40.0 << 10.0 << 205 << 161;
        // Linear products are cut to whole pixels before the division: 204 x 0.557 = 113.628 is cut to
        // 113, and 113 / 56.7 gives 1 (not 2); 204 x 51.7 = 10546.8 is cut to 10546, / 56.7 gives 185.
        QTest::newRow("linear cuts before dividing") << false << 204 << -51.143 << -51.7 << 5.0 << 1 << 185;
    }

    // Solid fills: the bar colour below the 0 dB row, its top colour above it; the background likewise.
    void barHeight()
    {
        QFETCH(bool, din);
        QFETCH(int, height);
        QFETCH(double, level);
        QFETCH(double, minDb);
        QFETCH(double, maxDb);
        QFETCH(int, bar);
        QFETCH(int, zero);
        const QColor kBar(0, 0, 255), kBarTop(255, 255, 0), kBack(0, 160, 0), kBackTop(255, 0, 255);
        OrvanePPMMeter meter;
        meter.setGradientBackground(false);
        meter.setGradientForground(false);
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
        for (int row = 0; row < height; ++row) {
            const bool belowZero = row >= height - zero;
            const QColor want = row >= height - bar ? (belowZero ? kBar : kBarTop) : (belowZero ? kBack : kBackTop);
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(image.pixelColor(x, row) == want, qPrintable(QStringLiteral("(%1,%2)").arg(x).arg(row)));
        }
        // Painting also clamps the stored level into the range.
        QCOMPARE(meter.dBPosition(), std::isfinite(level) ? qBound(minDb, level, maxDb) : minDb);
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

    // A falling bar moves a pixel on most ticks but is painted on every other tick at most,
    // and the tick after the last move paints whatever still waits.
    void fallPaintsEveryOtherTickAndEndsPainted()
    {
        PaintCountingMeter meter;
        meter.resize(14, 400);
        meter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&meter));
        for (int tenths = 20; tenths <= 30; ++tenths) {
            const double target = -tenths / 10.0;
            meter.setdBPosition(0.0);
            QCoreApplication::processEvents();
            meter.paints = 0;
            int ticks = 0;
            double before = 0.0;
            do {
                before = meter.dBPosition();
                meter.applyRelease(target, 0.133);
                QCoreApplication::processEvents();
                ++ticks;
            } while (meter.dBPosition() != before);
            QCOMPARE(meter.dBPosition(), target);
            QVERIFY2(meter.paints >= ticks / 4 && meter.paints <= ticks / 2 + 1,
                qPrintable(QStringLiteral("%1 paints in %2 ticks").arg(meter.paints).arg(ticks)));
            QVERIFY2(!meter.wouldMoveTo(meter.paintedLevel), qPrintable(QString::number(meter.paintedLevel)));
        }
    }

    void framesFallAsTicks_data()
    {
        QTest::addColumn<int>("ticksPerFrame");
        QTest::addColumn<double>("target");
        QTest::newRow("one tick a frame") << 1 << -30.0;
        QTest::newRow("four ticks a frame") << 4 << -30.0;
        QTest::newRow("seven ticks a frame, to the floor") << 7 << -60.0;
    }

    // Ticks run a frame at a time, with one repaint request a frame, leave the meter where the
    // same ticks one by one do; it paints once a frame at most and ends painted at its level.
    void framesFallAsTicks()
    {
        QFETCH(int, ticksPerFrame);
        QFETCH(double, target);
        OrvanePPMMeter ticked;
        ticked.resize(14, 400);
        ticked.setdBPosition(0.0);
        PaintCountingMeter framed;
        framed.resize(14, 400);
        framed.setdBPosition(0.0);
        framed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&framed));
        framed.paints = 0;
        int frames = 0;
        for (bool moved = true; moved; ++frames) {
            moved = false;
            for (int tick = 0; tick < ticksPerFrame; ++tick) {
                ticked.applyRelease(target, 0.133);
                moved |= framed.stepRelease(target, 0.133);
            }
            framed.repaintMoved();
            QCoreApplication::processEvents();
            QCOMPARE(framed.dBPosition(), ticked.dBPosition());
        }
        QCOMPARE(framed.dBPosition(), qMax(target, -50.0));
        QVERIFY2(framed.paints >= frames / 2 && framed.paints <= frames,
            qPrintable(QStringLiteral("%1 paints in %2 frames").arg(framed.paints).arg(frames)));
        QVERIFY(!framed.wouldMoveTo(framed.paintedLevel));
        // A frame that moved nothing asks for no paint.
        const int paints = framed.paints;
        QVERIFY(!framed.stepRelease(target, 0.133));
        framed.repaintMoved();
        QCoreApplication::processEvents();
        QCOMPARE(framed.paints, paints);
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

    void scaleTicks_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("zeroTick");
        QTest::addColumn<int>("minus20Tick");
        QTest::newRow("40x200") << 40 << 200 << 34 << 130;
        QTest::newRow("31x300") << 31 << 300 << 51 << 194;
        QTest::newRow("40x450") << 40 << 450 << 76 << 291;
    }

    void scaleTicks()
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

    void scaleLabels_data()
    {
        QTest::addColumn<double>("dB");
        QTest::addColumn<QString>("label");
        QTest::newRow("bottom") << -50.0 << "-50";
        QTest::newRow("-10") << -10.0 << "-10";
        QTest::newRow("-6") << -6.0 << "-6";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("top") << 5.0 << "+5";
        QTest::newRow("unlabelled") << -8.0 << "";
        QTest::newRow("no mark") << -9.0 << "";
    }

    void scaleLabels()
    {
        QFETCH(double, dB);
        QTEST(CPPMScale().markLabel(dB), "label");
    }

    void scaleLabelsFit_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("main window, 20 px") << 20;
        QTest::newRow("26 px") << 26;
        QTest::newRow("40 px") << 40;
    }

    // Every label whole inside the scale, apart from its tick, at most a quarter narrower than its
    // font; the long ticks stay longer than the short ones.
    void scaleLabelsFit()
    {
        QFETCH(int, width);
        CPPMScale scale;
        scale.resize(width, 300);
        const CPPMScale::LabelColumn column = scale.labelColumn();
        QVERIFY(column.tickLength > width / 6);
        QVERIFY(column.squeeze >= 0.75 && column.squeeze <= 1.0);
        const QFontMetricsF metrics(QFont(QStringLiteral("Arial"), 7), &scale);
        QVERIFY(column.left + metrics.horizontalAdvance(QStringLiteral("-50")) * column.squeeze <= width + 0.01);

        const QImage image = scale.grab().toImage();
        const int row = scale.dBToY(-20); // the tick's row; the label's ink is around it
        int firstInk = -1;
        for (int x = column.tickLength + 1; x < width && firstInk < 0; ++x)
            for (int y = row - 3; y <= row + 3 && firstInk < 0; ++y)
                if (qGray(image.pixel(x, y)) < 110)
                    firstInk = x;
        // A clear column between the tick's end (its square cap included) and the label's minus.
        QVERIFY2(firstInk > column.tickLength + 1, qPrintable(QString::number(firstInk)));
    }

    // The release ticks a frame owes the meters, against a clock the test sets.
    void dueTicks_data()
    {
        QTest::addColumn<QList<qint64>>("readings"); // ms; the first restarts the clock
        QTest::addColumn<QList<int>>("ahead");       // ms a frame looks ahead at each later reading; -1 restarts
        QTest::addColumn<QList<int>>("due");         // ticks owed at each later reading
        QTest::newRow("none before the first tick")
            << QList<qint64> { 1000, 1009 } << QList<int> { 0 } << QList<int> { 0 };
        QTest::newRow("one on the tick") << QList<qint64> { 1000, 1010 } << QList<int> { 0 } << QList<int> { 1 };
        QTest::newRow("frames of 40 ms") << QList<qint64> { 0, 40, 80, 120 } << QList<int> { 0, 0, 0 }
                                         << QList<int> { 4, 4, 4 };
        // Late and early frames neither lose nor gain ticks: 11 ticks by 115 ms, however they fall.
        QTest::newRow("uneven frames") << QList<qint64> { 0, 37, 81, 115 } << QList<int> { 0, 0, 0 }
                                       << QList<int> { 3, 5, 3 };
        QTest::newRow("asked twice at once")
            << QList<qint64> { 0, 45, 45 } << QList<int> { 0, 0 } << QList<int> { 4, 0 };
        QTest::newRow("a long stall") << QList<qint64> { 0, 60000 } << QList<int> { 0 } << QList<int> { 6000 };
        // A clock that goes back owes nothing, and then counts on from the ticks already run.
        QTest::newRow("clock going back")
            << QList<qint64> { 1000, 1100, 1050, 1111 } << QList<int> { 0, 0, 0 } << QList<int> { 10, 0, 1 };
        QTest::newRow("a tick that falls due within the time ahead")
            << QList<qint64> { 0, 31 } << QList<int> { 9 } << QList<int> { 4 };
        QTest::newRow("none before it") << QList<qint64> { 0, 31 } << QList<int> { 8 } << QList<int> { 3 };
        // A tick taken ahead is not owed again: 8 ticks by 80 ms, however they were taken.
        QTest::newRow("then on time") << QList<qint64> { 0, 31, 39, 80 } << QList<int> { 9, 0, 0 }
                                      << QList<int> { 4, 0, 4 };
        // A restart forgets the ticks owed: the first falls due one tick after it.
        QTest::newRow("restart") << QList<qint64> { 0, 95, 104, 105 } << QList<int> { -1, 0, 0 }
                                 << QList<int> { 0, 0, 1 };
    }

    void dueTicks()
    {
        QFETCH(QList<qint64>, readings);
        QFETCH(QList<int>, ahead);
        qint64 now = readings.first();
        MeterTickClock clock(10, [&now] { return now; });
        QList<int> owed;
        for (int i = 1; i < readings.size(); ++i) {
            now = readings[i];
            if (ahead[i - 1] < 0)
                clock.restart();
            owed << (ahead[i - 1] < 0 ? 0 : clock.takeDueTicks(ahead[i - 1]));
        }
        QTEST(owed, "due");
    }
};

QTEST_MAIN(TestMeters)
#include "tst_meters.moc"
