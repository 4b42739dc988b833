#include <QtTest>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QMetaProperty>
#include <QPainter>
#include <QTemporaryDir>
#include <QVector>

#include <cmath>

#include "OrvanePPMMeter.h"

namespace {

// Fill colours that are easy to tell apart in a rendered column.
const QColor kBar(0, 0, 255);       // MinColor
const QColor kBarTop(255, 255, 0);  // MaxColor
const QColor kBack(0, 160, 0);      // MinBackgroundColor
const QColor kBackTop(255, 0, 255); // MaxBackgroundColor

// Expected bar height on the DIN curve, worked out straight from the curve:
// fraction of full height = (10^(d/80) - 10^(min/80)) / (10^(max/80) - 10^(min/80)),
// cut toward zero to whole pixels.
int dinPixels(int height, double dB, double minDb = -50.0, double maxDb = 5.0)
{
    const double clamped = std::min(std::max(dB, minDb), maxDb);
    const double low = std::pow(10.0, minDb / 80.0);
    const double span = std::pow(10.0, maxDb / 80.0) - low;
    return static_cast<int>(height * (std::pow(10.0, clamped / 80.0) - low) / span);
}

// Linear mapping: the product is cut to whole pixels, then divided by the dB span.
int linearPixels(int height, double dB, double minDb = -50.0, double maxDb = 5.0)
{
    const double clamped = std::min(std::max(dB, minDb), maxDb);
    const int product = static_cast<int>(height * (clamped - minDb));
    return static_cast<int>(product / (maxDb - minDb));
}

int expectedBar(bool din, int height, double dB, double minDb = -50.0, double maxDb = 5.0)
{
    return din ? dinPixels(height, dB, minDb, maxDb) : linearPixels(height, dB, minDb, maxDb);
}

int expectedZeroRow(bool din, int height, double minDb = -50.0, double maxDb = 5.0)
{
    return expectedBar(din, height, 0.0, minDb, maxDb);
}

void useSolidColours(OrvanePPMMeter& meter)
{
    meter.setGradientBackground(false);
    meter.setGradientForground(false);
    meter.setMinColor(kBar);
    meter.setMaxColor(kBarTop);
    meter.setMinBackgroundColor(kBack);
    meter.setMaxBackgroundColor(kBackTop);
}

QImage renderMeter(OrvanePPMMeter& meter)
{
    return meter.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

QString rgbText(QRgb rgb)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(rgb)).arg(qGreen(rgb)).arg(qBlue(rgb));
}

// Row-by-row colours of a meter painted with solid colours, from B and Z alone.
QVector<QRgb> solidColumn(int height, int bar, int zero)
{
    QVector<QRgb> column(height);
    for (int row = 0; row < height; ++row) {
        const bool inBar = row >= height - bar;
        const bool belowZero = row >= height - zero;
        if (inBar)
            column[row] = (belowZero ? kBar : kBarTop).rgb();
        else
            column[row] = (belowZero ? kBack : kBackTop).rgb();
    }
    return column;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Colour of a two-stop vertical gradient running from `mid` (stop 0) up to row 0
// (stop 1), sampled at the centre of a pixel row.
QRgb gradientAt(int row, int mid, const QColor& bottom, const QColor& top)
{
    const double t = (mid - (row + 0.5)) / mid;
    auto mix = [t](int a, int b) { return qRound(a + (b - a) * t); };
    return qRgb(mix(bottom.red(), top.red()), mix(bottom.green(), top.green()), mix(bottom.blue(), top.blue()));
}

class PaintCountingMeter : public OrvanePPMMeter
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        OrvanePPMMeter::paintEvent(event);
    }
};

void flushPaints()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class tst_OrvanePPMMeter : public QObject
{
    Q_OBJECT

private slots:

    void barHeightOnImage_data();
    void barHeightOnImage();
    void otherRange_data();
    void otherRange();
    void clamping_data();
    void clamping();
    void updatePositionReportsChange();

    void gradientBarShape_data();
    void gradientBarShape();
    void gradientBackground();

    void writerRepaints_data();
    void writerRepaints();

    void backgroundImagePath();
    void backgroundImageDrawn();

    void releaseFallFromZero();
    void releaseRise_data();
    void releaseRise();
    void releaseBelowFloor_data();
    void releaseBelowFloor();
    void releaseRepaintsOnlyOnVisibleChange();
};

void tst_OrvanePPMMeter::barHeightOnImage_data()
{
    QTest::addColumn<bool>("din");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("level");
    QTest::addColumn<int>("bar");
    QTest::addColumn<int>("zero");

    // Reference table for a 200 pixel meter.
    const struct
    {
        double level;
        int din;
        int linear;
    } table[] = { { -50.0, 0, 0 }, { -40.0, 17, 36 }, { -30.0, 40, 72 }, { -20.0, 70, 109 }, { -10.0, 111, 145 },
        { 0.0, 166, 181 }, { 3.0, 185, 192 } };
    for (const auto& row : table) {
        QTest::addRow("din h200 %+g dB", row.level) << true << 200 << row.level << row.din << 166;
        QTest::addRow("linear h200 %+g dB", row.level) << false << 200 << row.level << row.linear << 181;
    }
    QTest::addRow("linear h200 +5 dB") << false << 200 << 5.0 << 200 << 181;
    QTest::addRow("din h200 +5 dB") << true << 200 << 5.0 << 200 << 166;

    // Other heights: expected values straight from the curves.
    const double levels[] = { -50.0, -45.5, -40.0, -30.0, -22.0, -20.0, -10.0, -6.0, -1.0, 0.0, 1.5, 3.0, 5.0 };
    for (int height : { 123, 300, 57 }) {
        for (double level : levels) {
            QTest::addRow("din h%d %+g dB", height, level)
                << true << height << level << dinPixels(height, level) << dinPixels(height, 0.0);
            QTest::addRow("linear h%d %+g dB", height, level)
                << false << height << level << linearPixels(height, level) << linearPixels(height, 0.0);
        }
    }
}

void tst_OrvanePPMMeter::barHeightOnImage()
{
    QFETCH(bool, din);
    QFETCH(int, height);
    QFETCH(double, level);
    QFETCH(int, bar);
    QFETCH(int, zero);

    const int width = 14;
    OrvanePPMMeter meter;
    useSolidColours(meter);
    meter.setDINCurve(din);
    meter.resize(width, height);
    meter.setdBPosition(level);

    const QImage image = renderMeter(meter);
    QCOMPARE(image.size(), QSize(width, height));

    // Whole column against what B and Z imply; first mismatch names the row.
    const QVector<QRgb> expected = solidColumn(height, bar, zero);
    for (int x : { 0, width / 2, width - 1 }) {
        for (int row = 0; row < height; ++row) {
            const QRgb actual = image.pixel(x, row) | 0xff000000u;
            if (actual != expected[row]) {
                QFAIL(qPrintable(QStringLiteral("column %1 row %2: got %3, expected %4")
                                     .arg(x)
                                     .arg(row)
                                     .arg(rgbText(actual))
                                     .arg(rgbText(expected[row]))));
            }
        }
    }
}

void tst_OrvanePPMMeter::otherRange_data()
{
    QTest::addColumn<bool>("din");
    QTest::addColumn<double>("minDb");
    QTest::addColumn<double>("maxDb");
    QTest::addColumn<double>("level");

    QTest::newRow("din -60..0 at -30") << true << -60.0 << 0.0 << -30.0;
    QTest::newRow("din -60..0 at -59") << true << -60.0 << 0.0 << -59.0;
    QTest::newRow("din -40..10 at 6") << true << -40.0 << 10.0 << 6.0;
    QTest::newRow("linear -60..0 at -30") << false << -60.0 << 0.0 << -30.0;
    QTest::newRow("linear -40..10 at 6") << false << -40.0 << 10.0 << 6.0;
    QTest::newRow("linear -40..10 at -45 (clamped)") << false << -40.0 << 10.0 << -45.0;
    // 240 x 0.695 = 166.8 pixels: cut to 166 first, 166 / 55.5 gives 2 where
    // 166.8 / 55.5 would give 3.
    QTest::newRow("linear -50.5..5 at -49.805 (cut before dividing)") << false << -50.5 << 5.0 << -49.805;
}

void tst_OrvanePPMMeter::otherRange()
{
    QFETCH(bool, din);
    QFETCH(double, minDb);
    QFETCH(double, maxDb);
    QFETCH(double, level);

    const int height = 240;
    OrvanePPMMeter meter;
    useSolidColours(meter);
    meter.setDINCurve(din);
    meter.setMindBPosition(minDb);
    meter.setMaxdBPosition(maxDb);
    meter.resize(12, height);
    meter.setdBPosition(level);

    const QImage image = renderMeter(meter);
    const QVector<QRgb> expected = solidColumn(
        height, expectedBar(din, height, level, minDb, maxDb), expectedZeroRow(din, height, minDb, maxDb));
    for (int row = 0; row < height; ++row)
        QCOMPARE(rgbText(image.pixel(6, row)), rgbText(expected[row]));
}

void tst_OrvanePPMMeter::clamping_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<double>("readBack");
    QTest::addColumn<int>("bar");

    QTest::newRow("far below min") << -120.0 << -50.0 << 0;
    QTest::newRow("just below min") << -50.001 << -50.0 << 0;
    QTest::newRow("at min") << -50.0 << -50.0 << 0;
    QTest::newRow("inside") << -20.0 << -20.0 << 70;
    QTest::newRow("at max") << 5.0 << 5.0 << 200;
    QTest::newRow("above max") << 12.0 << 5.0 << 200;
}

void tst_OrvanePPMMeter::clamping()
{
    QFETCH(double, level);
    QFETCH(double, readBack);
    QFETCH(int, bar);

    // The writer stores the value as given; only painting clamps it.
    OrvanePPMMeter painted;
    useSolidColours(painted);
    painted.resize(14, 200);
    painted.setdBPosition(level);
    QCOMPARE(painted.dBPosition(), level);
    const QImage image = renderMeter(painted);
    QCOMPARE(painted.dBPosition(), readBack);
    const QVector<QRgb> expected = solidColumn(200, bar, 166);
    for (int row = 0; row < 200; ++row)
        QCOMPARE(rgbText(image.pixel(7, row)), rgbText(expected[row]));

    // updatePosition() on its own clamps the same way.
    OrvanePPMMeter direct;
    direct.resize(14, 200);
    direct.setdBPosition(level);
    direct.updatePosition();
    QCOMPARE(direct.dBPosition(), readBack);
}

void tst_OrvanePPMMeter::updatePositionReportsChange()
{
    OrvanePPMMeter meter;
    meter.resize(14, 200);

    meter.setdBPosition(0.0);
    QVERIFY(meter.updatePosition());  // 0 -> 166 pixels
    QVERIFY(!meter.updatePosition()); // nothing moved

    meter.setdBPosition(-0.01); // still 166 pixels
    QVERIFY(!meter.updatePosition());

    meter.setdBPosition(-10.0);
    QVERIFY(meter.updatePosition());

    // A new height changes the pixel count for the same level.
    meter.resize(14, 300);
    QVERIFY(meter.updatePosition());
    QVERIFY(!meter.updatePosition());

    // Switching the curve changes the pixels too.
    meter.setDINCurve(false);
    QVERIFY(meter.updatePosition());
}

void tst_OrvanePPMMeter::gradientBarShape_data()
{
    QTest::addColumn<bool>("din");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("level");

    // Heights 200 (mid 100) and 300 (mid 150); bars below, at, just above and
    // well above mid-height.
    QTest::newRow("h200 empty") << false << 200 << -50.0;
    QTest::newRow("h200 short") << true << 200 << -20.0;   // 70
    QTest::newRow("h200 at mid") << false << 200 << -22.5; // 100
    QTest::newRow("h200 mid+1") << false << 200 << -22.0;  // 101
    QTest::newRow("h200 mid+2") << false << 200 << -21.8;  // 102
    QTest::newRow("h200 tall") << true << 200 << -10.0;    // 111
    QTest::newRow("h200 0 dB") << true << 200 << 0.0;      // 166
    QTest::newRow("h200 full") << true << 200 << 5.0;      // 200
    QTest::newRow("h300 short") << true << 300 << -15.0;
    QTest::newRow("h300 tall") << true << 300 << -3.0;
    QTest::newRow("h300 full linear") << false << 300 << 5.0;
    // Odd height: mid rounds up (62 of 123), so the gradient ends one row lower.
    QTest::newRow("h123 short") << true << 123 << -20.0;
    QTest::newRow("h123 tall") << true << 123 << -2.0;
    QTest::newRow("h123 full") << false << 123 << 5.0;
}

void tst_OrvanePPMMeter::gradientBarShape()
{
    QFETCH(bool, din);
    QFETCH(int, height);
    QFETCH(double, level);

    const int width = 14;
    OrvanePPMMeter meter;
    useSolidColours(meter);
    meter.setGradientForground(true);
    meter.setDINCurve(din);
    meter.resize(width, height);
    meter.setdBPosition(level);
    const QImage image = renderMeter(meter);

    const int bar = expectedBar(din, height, level);
    const int zero = expectedZeroRow(din, height);
    const int mid = (height + 1) / 2; // H * 0.5 + 0.5, cut
    const int excess = bar - mid;
    const int solidTop = height - std::min(bar, mid + 2);
    const int gradientTop = excess >= 1 ? mid - excess : mid; // empty when excess < 1
    const int x = width / 2;

    for (int row = 0; row < height; ++row) {
        const QRgb actual = image.pixel(x, row) | 0xff000000u;
        const QString where
            = QStringLiteral("row %1 (bar %2, mid %3): got %4").arg(row).arg(bar).arg(mid).arg(rgbText(actual));
        if (row >= gradientTop && row < mid) {
            // Gradient part drawn over everything else, stop 0 at mid, stop 1 at row 0.
            const QRgb expected = gradientAt(row, mid, kBar, kBarTop);
            QVERIFY2(near(actual, expected, 3), qPrintable(where + QStringLiteral(" expected ~") + rgbText(expected)));
        } else if (row >= solidTop) {
            QVERIFY2(actual == kBar.rgb(), qPrintable(where + QStringLiteral(" expected MinColor")));
        } else {
            const QRgb expected = (row >= height - zero ? kBack : kBackTop).rgb();
            QVERIFY2(
                actual == expected, qPrintable(where + QStringLiteral(" expected background ") + rgbText(expected)));
        }
    }

    // Summary of the shape: the solid part is min(B, mid+2) rows from the bottom;
    // above mid the gradient reaches row mid-(B-mid) = 2*mid-B, which is H-B on
    // an even height, so the bar then shows exactly B rows.
    int barRows = 0;
    int solidRows = 0;
    for (int row = 0; row < height; ++row) {
        const QRgb pixel = image.pixel(x, row) | 0xff000000u;
        if (pixel != kBack.rgb() && pixel != kBackTop.rgb())
            ++barRows;
        if (pixel == kBar.rgb())
            ++solidRows;
    }
    const int barTop = excess >= 1 ? std::min(solidTop, gradientTop) : solidTop;
    QCOMPARE(barRows, height - barTop);
    if (height % 2 == 0)
        QCOMPARE(barRows, bar);
    // Where the two areas overlap (just below mid) the gradient painted last wins.
    const int overlap = excess >= 1 ? std::max(0, mid - std::max(solidTop, gradientTop)) : 0;
    QCOMPARE(solidRows, height - solidTop - overlap);
}

void tst_OrvanePPMMeter::gradientBackground()
{
    const int height = 200;
    const int mid = 100;
    OrvanePPMMeter meter;
    useSolidColours(meter);
    meter.setGradientBackground(true);
    meter.resize(10, height);
    meter.setdBPosition(-50.0); // empty bar: background only
    const QImage image = renderMeter(meter);

    for (int row = 0; row < height; ++row) {
        const QRgb actual = image.pixel(5, row) | 0xff000000u;
        if (row >= mid) {
            QCOMPARE(rgbText(actual), rgbText(kBack.rgb()));
        } else {
            const QRgb expected = gradientAt(row, mid, kBack, kBackTop);
            QVERIFY2(near(actual, expected, 3),
                qPrintable(QStringLiteral("row %1: got %2 expected ~%3")
                               .arg(row)
                               .arg(rgbText(actual))
                               .arg(rgbText(expected))));
        }
    }
    // The top row is nearly the top colour, the row above mid nearly the bottom one.
    QVERIFY(near(image.pixel(5, 0), kBackTop.rgb(), 4));
    QVERIFY(near(image.pixel(5, mid - 1), kBack.rgb(), 4));
}

void tst_OrvanePPMMeter::writerRepaints_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("repaint");

    QTest::newRow("dBPosition same value") << QByteArray("dBPosition") << QVariant(-50.0) << true;
    QTest::newRow("dBPosition new value") << QByteArray("dBPosition") << QVariant(-3.0) << true;
    QTest::newRow("MindBPosition same") << QByteArray("MindBPosition") << QVariant(-50.0) << false;
    QTest::newRow("MindBPosition new") << QByteArray("MindBPosition") << QVariant(-60.0) << true;
    QTest::newRow("MaxdBPosition same") << QByteArray("MaxdBPosition") << QVariant(5.0) << false;
    QTest::newRow("MaxdBPosition new") << QByteArray("MaxdBPosition") << QVariant(8.0) << true;
    QTest::newRow("ReleasePerSecond same") << QByteArray("ReleasePerSecond") << QVariant(18.0) << false;
    QTest::newRow("ReleasePerSecond new") << QByteArray("ReleasePerSecond") << QVariant(25.0) << false;
    QTest::newRow("DINCurve same") << QByteArray("DINCurve") << QVariant(true) << false;
    QTest::newRow("DINCurve new") << QByteArray("DINCurve") << QVariant(false) << true;
    QTest::newRow("GradientBackground same") << QByteArray("GradientBackground") << QVariant(true) << false;
    QTest::newRow("GradientBackground new") << QByteArray("GradientBackground") << QVariant(false) << true;
    QTest::newRow("GradientForground same") << QByteArray("GradientForground") << QVariant(true) << false;
    QTest::newRow("GradientForground new") << QByteArray("GradientForground") << QVariant(false) << true;
    QTest::newRow("MaxColor same") << QByteArray("MaxColor") << QVariant(QColor(255, 0, 0)) << true;
    QTest::newRow("MaxColor new") << QByteArray("MaxColor") << QVariant(QColor(9, 9, 9)) << true;
    QTest::newRow("MinColor same") << QByteArray("MinColor") << QVariant(QColor(0, 255, 0)) << true;
    QTest::newRow("MaxBackgroundColor same") << QByteArray("MaxBackgroundColor") << QVariant(QColor(64, 0, 0)) << true;
    QTest::newRow("MinBackgroundColor same") << QByteArray("MinBackgroundColor") << QVariant(QColor(0, 64, 0)) << true;
    QTest::newRow("SkinEnvironmentVariable same")
        << QByteArray("SkinEnvironmentVariable") << QVariant(QString()) << false;
    QTest::newRow("SkinEnvironmentVariable new")
        << QByteArray("SkinEnvironmentVariable") << QVariant(QStringLiteral("PARLONA_NO_SKIN")) << true;
    QTest::newRow("PPMMeterBackgroundFileName same")
        << QByteArray("PPMMeterBackgroundFileName") << QVariant(QString()) << false;
    QTest::newRow("PPMMeterBackgroundFileName new")
        << QByteArray("PPMMeterBackgroundFileName") << QVariant(QStringLiteral("missing.png")) << true;
}

void tst_OrvanePPMMeter::writerRepaints()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(bool, repaint);

    PaintCountingMeter meter;
    meter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&meter));
    // Wait for the first paint so only our write is counted afterwards.
    QTRY_VERIFY(meter.paints > 0);
    flushPaints();
    meter.paints = 0;

    QVERIFY(meter.setProperty(property.constData(), value));
    QCOMPARE(meter.property(property.constData()), value);
    flushPaints();
    QCOMPARE(meter.paints > 0, repaint);
}

void tst_OrvanePPMMeter::backgroundImagePath()
{
    const QByteArray variable("PARLONA_TEST_PPM_SKIN_DIR");
    qunsetenv(variable.constData());

    OrvanePPMMeter meter;
    QCOMPARE(meter.backgroundImagePath(), QStringLiteral("/"));

    meter.setPPMMeterBackgroundFileName(QStringLiteral("ppm.png"));
    QCOMPARE(meter.backgroundImagePath(), QStringLiteral("/ppm.png"));

    // Named but unset variable: still an empty directory.
    meter.setSkinEnvironmentVariable(QString::fromLatin1(variable));
    QCOMPARE(meter.backgroundImagePath(), QStringLiteral("/ppm.png"));

    qputenv(variable.constData(), "/opt/skins/dark");
    QCOMPARE(meter.backgroundImagePath(), QStringLiteral("/opt/skins/dark/ppm.png"));
    qunsetenv(variable.constData());
}

void tst_OrvanePPMMeter::backgroundImageDrawn()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage skin(16, 200, QImage::Format_RGB32);
    skin.fill(QColor(10, 200, 30));
    QVERIFY(skin.save(dir.filePath(QStringLiteral("skin.png"))));

    const QByteArray variable("PARLONA_TEST_PPM_SKIN_DRAWN");
    qputenv(variable.constData(), QFile::encodeName(dir.path()));

    OrvanePPMMeter meter;
    meter.resize(16, 200);
    // See-through fills so the image below them shows.
    meter.setMinBackgroundColor(Qt::transparent);
    meter.setMaxBackgroundColor(Qt::transparent);
    meter.setMinColor(Qt::transparent);
    meter.setMaxColor(Qt::transparent);
    meter.setdBPosition(0.0);
    meter.setSkinEnvironmentVariable(QString::fromLatin1(variable));
    meter.setPPMMeterBackgroundFileName(QStringLiteral("skin.png"));
    QCOMPARE(meter.backgroundImagePath(), dir.path() + QStringLiteral("/skin.png"));

    auto renderOverWhite = [&meter]() {
        QImage target(meter.size(), QImage::Format_ARGB32);
        target.fill(Qt::white);
        meter.render(&target);
        return target;
    };

    QImage image = renderOverWhite();
    for (int row : { 0, 50, 100, 199 })
        QCOMPARE(rgbText(image.pixel(8, row)), rgbText(qRgb(10, 200, 30)));

    // A file that does not load drops the previous image.
    meter.setPPMMeterBackgroundFileName(QStringLiteral("no-such-file.png"));
    image = renderOverWhite();
    for (int row : { 0, 50, 100, 199 })
        QCOMPARE(rgbText(image.pixel(8, row)), rgbText(qRgb(255, 255, 255)));

    qunsetenv(variable.constData());
}

void tst_OrvanePPMMeter::releaseFallFromZero()
{
    OrvanePPMMeter meter;
    meter.resize(14, 200);
    meter.setdBPosition(0.0);
    meter.updatePosition();

    // 0.133 dB per tick: 375 whole steps cover 49.875 dB, the 376th takes the
    // remaining 0.125 dB.
    const double step = static_cast<float>(0.133);
    int ticks = 0;
    double previous = meter.dBPosition();
    while (meter.dBPosition() > -50.0 && ticks < 1000) {
        meter.applyRelease(-50.0, 0.133);
        ++ticks;
        const double fall = previous - meter.dBPosition();
        if (ticks <= 375)
            QVERIFY2(qAbs(fall - step) < 1e-12,
                qPrintable(QStringLiteral("tick %1 fell %2").arg(ticks).arg(fall, 0, 'g', 17)));
        if (ticks == 375)
            QVERIFY(qAbs(meter.dBPosition() + 49.875) < 1e-5);
        previous = meter.dBPosition();
    }
    QCOMPARE(ticks, 376);
    QCOMPARE(meter.dBPosition(), -50.0);

    // At the floor with a floor target, nothing moves any more.
    meter.applyRelease(-50.0, 0.133);
    QCOMPARE(meter.dBPosition(), -50.0);
}

void tst_OrvanePPMMeter::releaseRise_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("target");

    QTest::newRow("floor to 0") << -50.0 << 0.0;
    QTest::newRow("floor to max") << -50.0 << 5.0;
    QTest::newRow("-40 to -3") << -40.0 << -3.0;
    QTest::newRow("-20 to -19.5") << -20.0 << -19.5;
    QTest::newRow("small fall -10 to -10.1") << -10.0 << -10.1;
    QTest::newRow("fractional -33.3 to -2.7") << -33.3 << -2.7;
}

void tst_OrvanePPMMeter::releaseRise()
{
    QFETCH(double, from);
    QFETCH(double, target);

    OrvanePPMMeter meter;
    meter.resize(14, 200);
    meter.setdBPosition(from);
    meter.updatePosition();

    // A rise, or a fall smaller than one step, is taken in a single tick; the
    // difference travels in single precision, so the level lands on
    // from + float(target - from), which is the target up to float rounding.
    meter.applyRelease(target, 0.133);
    const double expected = from + static_cast<double>(static_cast<float>(target - from));
    QCOMPARE(meter.dBPosition(), expected);
    QVERIFY(qAbs(meter.dBPosition() - target) < 1e-5);
}

void tst_OrvanePPMMeter::releaseBelowFloor_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("target");
    QTest::addColumn<double>("after");

    // Both at or below -50 dB: untouched (not even clamped).
    QTest::newRow("both at floor") << -50.0 << -50.0 << -50.0;
    QTest::newRow("level below floor, target at floor") << -60.0 << -50.0 << -60.0;
    QTest::newRow("both below floor") << -60.0 << -70.0 << -60.0;
    QTest::newRow("level at floor, target below") << -50.0 << -80.0 << -50.0;
    // Either one above the floor lets the step run.
    QTest::newRow("level below floor, target above") << -60.0 << -40.0 << -40.0;
    QTest::newRow("level above floor, target below") << -49.95 << -70.0 << -50.0; // falls past the floor and is clamped
}

void tst_OrvanePPMMeter::releaseBelowFloor()
{
    QFETCH(double, from);
    QFETCH(double, target);
    QFETCH(double, after);

    OrvanePPMMeter meter;
    meter.resize(14, 200);
    meter.setdBPosition(from);
    meter.applyRelease(target, 0.133);
    QVERIFY2(qAbs(meter.dBPosition() - after) < 1e-9, qPrintable(QString::number(meter.dBPosition(), 'g', 17)));
}

void tst_OrvanePPMMeter::releaseRepaintsOnlyOnVisibleChange()
{
    PaintCountingMeter meter;
    meter.resize(14, 200);
    meter.setdBPosition(0.0);
    meter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&meter));
    QTRY_VERIFY(meter.paints > 0);
    flushPaints();
    meter.paints = 0;

    int changedTicks = 0;
    int quietTicks = 0;
    for (int tick = 0; tick < 400 && meter.dBPosition() > -50.0; ++tick) {
        const int before = dinPixels(200, meter.dBPosition());
        meter.applyRelease(-50.0, 0.133);
        const int after = dinPixels(200, meter.dBPosition());
        flushPaints();
        const bool changed = before != after;
        QVERIFY2(meter.paints == (changed ? 1 : 0),
            qPrintable(
                QStringLiteral("tick %1: bar %2 -> %3, %4 paints").arg(tick).arg(before).arg(after).arg(meter.paints)));
        meter.paints = 0;
        (changed ? changedTicks : quietTicks)++;
    }
    // The curve is steepest at the top, about 6.3 pixels per dB at 0 dB for 200
    // pixels, so one 0.133 dB step moves the bar by one pixel at most: the fall
    // from 166 pixels changes the bar on exactly 166 ticks. Near the bottom the
    // curve is flat and many ticks move nothing.
    QCOMPARE(changedTicks, 166);
    QVERIFY(quietTicks > 0);

    // Nothing to do at the floor: no repaint either.
    meter.applyRelease(-50.0, 0.133);
    flushPaints();
    QCOMPARE(meter.paints, 0);
}

QTEST_MAIN(tst_OrvanePPMMeter)

#include "tst_orvaneppmmeter.moc"
