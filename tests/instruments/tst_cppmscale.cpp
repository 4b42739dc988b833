#include <QtTest>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QSet>
#include <QVector>

#include <cmath>

#include "CPPMScale.h"
#include "OrvanePPMMeter.h"

namespace {

struct Mark
{
    double dB;
    bool labelled;
};

// The scale's marks, bottom to top (there is no mark at -9 dB).
const Mark kMarks[] = { { -50, true }, { -40, true }, { -30, true }, { -25, true }, { -20, true }, { -15, true },
    { -10, true }, { -8, false }, { -7, false }, { -6, true }, { -5, false }, { -4, false }, { -3, true },
    { -2, false }, { -1, false }, { 0, true }, { 1, false }, { 2, false }, { 3, false }, { 4, false }, { 5, true } };

// Row of a level on the DIN curve over -50..+5 dB, measured down from the top.
int curveRow(int height, double dB)
{
    const double low = std::pow(10.0, -50.0 / 80.0);
    const double span = std::pow(10.0, 5.0 / 80.0) - low;
    return height - static_cast<int>((std::pow(10.0, dB / 80.0) - low) * height / span);
}

// Row the tick of a mark is drawn at: the bottom mark is lifted two rows so
// the whole line stays inside the widget.
int tickRow(int height, double dB)
{
    return dB == -50.0 ? curveRow(height, dB) - 2 : curveRow(height, dB);
}

// A 2 pixel line on row y (pixel boundaries y-1..y+1) covers pixel rows y-1 and y.
QSet<int> expectedTickPixels(int height)
{
    QSet<int> rows;
    for (const Mark& mark : kMarks) {
        const int y = tickRow(height, mark.dB);
        for (int row : { y - 1, y })
            if (row >= 0 && row < height)
                rows.insert(row);
    }
    return rows;
}

bool isBlack(QRgb rgb)
{
    return qRed(rgb) < 64 && qGreen(rgb) < 64 && qBlue(rgb) < 64;
}

bool isRed(QRgb rgb)
{
    return qRed(rgb) > 200 && qGreen(rgb) < 50 && qBlue(rgb) < 50;
}

bool isDark(QRgb rgb)
{
    return qGray(rgb) < 110;
}

QImage renderScale(CPPMScale& scale)
{
    return scale.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class tst_CPPMScale : public QObject
{
    Q_OBJECT

private slots:
    void noExtraInterface();
    void dBToY_data();
    void dBToY();
    void tickRowsOnImage_data();
    void tickRowsOnImage();
    void tickLengths_data();
    void tickLengths();
    void labelPlacement_data();
    void labelPlacement();
    void ticksMatchMeter_data();
    void ticksMatchMeter();
};

void tst_CPPMScale::noExtraInterface()
{
    // Fixed scale: no properties, slots or signals of its own.
    const QMetaObject& mo = CPPMScale::staticMetaObject;
    QCOMPARE(mo.propertyCount(), mo.propertyOffset());
    QCOMPARE(mo.methodCount(), mo.methodOffset());
}

void tst_CPPMScale::dBToY_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("dB");
    QTest::addColumn<int>("row");

    // 200 pixels: the meter's bar heights of its reference table, counted from the top.
    QTest::newRow("h200 -50") << 200 << -50.0 << 200;
    QTest::newRow("h200 -40") << 200 << -40.0 << 200 - 17;
    QTest::newRow("h200 -30") << 200 << -30.0 << 200 - 40;
    QTest::newRow("h200 -20") << 200 << -20.0 << 200 - 70;
    QTest::newRow("h200 -10") << 200 << -10.0 << 200 - 111;
    QTest::newRow("h200 0") << 200 << 0.0 << 34;
    QTest::newRow("h200 +3") << 200 << 3.0 << 200 - 185;
    QTest::newRow("h200 +5") << 200 << 5.0 << 0;

    for (int height : { 123, 300, 450 }) {
        for (const Mark& mark : kMarks)
            QTest::addRow("h%d %+g", height, mark.dB) << height << mark.dB << curveRow(height, mark.dB);
        QTest::addRow("h%d -9 (between marks)", height) << height << -9.0 << curveRow(height, -9.0);
    }
}

void tst_CPPMScale::dBToY()
{
    QFETCH(int, height);
    QFETCH(double, dB);
    QFETCH(int, row);

    CPPMScale scale;
    scale.resize(40, height);
    QCOMPARE(scale.dBToY(dB), row);
}

void tst_CPPMScale::tickRowsOnImage_data()
{
    QTest::addColumn<int>("height");
    for (int height : { 200, 300, 123, 450 })
        QTest::addRow("h%d", height) << height;
}

void tst_CPPMScale::tickRowsOnImage()
{
    QFETCH(int, height);

    const int width = 40;
    CPPMScale scale;
    scale.resize(width, height);
    const QImage image = renderScale(scale);
    QCOMPARE(image.size(), QSize(width, height));

    const QSet<int> ticks = expectedTickPixels(height);
    const int zeroRow = curveRow(height, 0.0);

    // Column 1 holds only ticks and the red band (labels start at W/3 + 2).
    for (int row = 0; row < height; ++row) {
        const QRgb pixel = image.pixel(1, row);
        const QString where
            = QStringLiteral("row %1: (%2,%3,%4)").arg(row).arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
        if (ticks.contains(row))
            QVERIFY2(isBlack(pixel), qPrintable(where + QStringLiteral(" should be a tick")));
        else if (row < zeroRow)
            QVERIFY2(isRed(pixel), qPrintable(where + QStringLiteral(" should be the red band")));
        else
            QVERIFY2(
                !isBlack(pixel) && !isRed(pixel), qPrintable(where + QStringLiteral(" should be plain background")));
    }

    // The red band covers the tick column only.
    QVERIFY(isRed(image.pixel(width / 3 - 1, zeroRow / 2 + 1)) || ticks.contains(zeroRow / 2 + 1));
    QVERIFY(!isRed(image.pixel(width / 3, zeroRow / 2 + 1)));

    if (height == 200) {
        // Values worked out by hand for the default meter height.
        QCOMPARE(zeroRow, 34);
        QVERIFY(isBlack(image.pixel(1, 34))); // 0 dB tick
        QVERIFY(!isBlack(image.pixel(1, 35)));
        for (int row = 1; row <= 32; ++row)
            if (!ticks.contains(row))
                QVERIFY(isRed(image.pixel(1, row)));
        QVERIFY(isBlack(image.pixel(1, 198))); // -50 dB tick, lifted off the edge
        QVERIFY(isBlack(image.pixel(1, 197)));
        QVERIFY(!isBlack(image.pixel(1, 199)));
        QVERIFY(!isBlack(image.pixel(1, 196)));
    }
}

void tst_CPPMScale::tickLengths_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("40x300") << 40 << 300;
    QTest::newRow("40x200") << 40 << 200;
    QTest::newRow("31x250") << 31 << 250;
}

void tst_CPPMScale::tickLengths()
{
    QFETCH(int, width);
    QFETCH(int, height);

    CPPMScale scale;
    scale.resize(width, height);
    const QImage image = renderScale(scale);

    const int longEnd = width / 3;
    const int shortEnd = width / 6;
    for (const Mark& mark : kMarks) {
        const int y = qMin(tickRow(height, mark.dB), height - 1);
        const int end = mark.labelled ? longEnd : shortEnd;
        const QString where = QStringLiteral("%1 dB at row %2").arg(mark.dB).arg(y);
        // The square cap makes the line cover columns 0 .. end.
        QVERIFY2(isBlack(image.pixel(0, y)), qPrintable(where));
        QVERIFY2(isBlack(image.pixel(end, y)), qPrintable(where));
        QVERIFY2(!isBlack(image.pixel(end + 1, y)), qPrintable(where));
    }
}

void tst_CPPMScale::labelPlacement_data()
{
    QTest::addColumn<int>("height");
    QTest::newRow("h300") << 300;
    QTest::newRow("h450") << 450;
}

void tst_CPPMScale::labelPlacement()
{
    QFETCH(int, height);

    const int width = 40;
    CPPMScale scale;
    scale.resize(width, height);
    const QImage image = renderScale(scale);

    QFont font(QStringLiteral("Arial"), 7);
    const QFontMetrics metrics(font, &scale);
    const int third = metrics.height() / 3;

    // Baselines: bottom label on the bottom edge, top label at two thirds of a
    // line, all others a third of a line below their tick.
    QVector<int> baselines;
    for (const Mark& mark : kMarks) {
        if (!mark.labelled)
            continue;
        if (mark.dB == -50.0)
            baselines << height;
        else if (mark.dB == 5.0)
            baselines << 2 * third;
        else
            baselines << curveRow(height, mark.dB) + third;
    }

    const int labelLeft = width / 3 + 2;
    auto rowHasInk = [&](int row) {
        for (int x = labelLeft; x < width; ++x)
            if (isDark(image.pixel(x, row)))
                return true;
        return false;
    };

    // Each label is digits only, so its ink ends on the baseline: the lowest
    // dark row of the label is the one just above it (or the baseline row
    // itself through antialiasing), clipped to the widget.
    QVector<bool> nearLabel(height, false);
    for (int baseline : baselines) {
        const int top = qMax(0, baseline - metrics.height());
        const int bottom = qMin(height - 1, baseline + metrics.height() / 2);
        int inkBottom = -1;
        for (int row = top; row <= bottom; ++row) {
            nearLabel[row] = true;
            if (rowHasInk(row))
                inkBottom = row;
        }
        const QString where = QStringLiteral("baseline %1, ink ends at row %2").arg(baseline).arg(inkBottom);
        QVERIFY2(inkBottom >= 0, qPrintable(where));
        QVERIFY2(
            inkBottom == qMin(baseline - 1, height - 1) || inkBottom == qMin(baseline, height - 1), qPrintable(where));
    }

    // Away from every label the text column stays empty.
    int emptyRows = 0;
    for (int row = 0; row < height; ++row) {
        if (nearLabel[row])
            continue;
        ++emptyRows;
        QVERIFY2(!rowHasInk(row), qPrintable(QStringLiteral("stray ink at row %1").arg(row)));
    }
    QVERIFY(emptyRows > 0);

    // Nothing is drawn between the long ticks' end and the labels.
    for (int row = 0; row < height; ++row)
        QVERIFY(!isDark(image.pixel(width / 3 + 1, row)));
}

void tst_CPPMScale::ticksMatchMeter_data()
{
    QTest::addColumn<int>("height");
    QTest::newRow("h200") << 200;
    QTest::newRow("h300") << 300;
    QTest::newRow("h123") << 123;
}

void tst_CPPMScale::ticksMatchMeter()
{
    QFETCH(int, height);

    CPPMScale scale;
    scale.resize(40, height);
    const QImage scaleImage = renderScale(scale);

    OrvanePPMMeter meter;
    meter.resize(14, height);
    meter.setGradientBackground(false);
    meter.setGradientForground(false);
    const QColor barColour(0, 0, 255);
    meter.setMinColor(barColour);
    meter.setMaxColor(barColour);
    meter.setMinBackgroundColor(Qt::white);
    meter.setMaxBackgroundColor(Qt::white);

    for (const Mark& mark : kMarks) {
        if (mark.dB == -50.0)
            continue; // empty bar; that tick is lifted off the edge
        meter.setdBPosition(mark.dB);
        const QImage meterImage = meter.grab().toImage();
        int barTop = height;
        for (int row = height - 1; row >= 0; --row) {
            if ((meterImage.pixel(7, row) | 0xff000000u) != barColour.rgb())
                break;
            barTop = row;
        }
        // The tick's bottom pixel row is the meter's top bar row.
        const QString where = QStringLiteral("%1 dB: bar top %2").arg(mark.dB).arg(barTop);
        QVERIFY2(barTop < height, qPrintable(where));
        QVERIFY2(isBlack(scaleImage.pixel(1, barTop)), qPrintable(where));
        if (barTop + 1 < height)
            QVERIFY2(!isBlack(scaleImage.pixel(1, barTop + 1)), qPrintable(where));
        QCOMPARE(barTop, scale.dBToY(mark.dB));
    }
}

QTEST_MAIN(tst_CPPMScale)

#include "tst_cppmscale.moc"
