#include "EqCurveModel.h"
#include "OrvaneEQPanel.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double TwoPi = 6.28318530717958647692;

double levelDbAt(const EqSection& section, double frequency)
{
    return 20.0 * std::log10(EqCurveModel::magnitude(section, TwoPi * frequency / 48000.0));
}

// A plot 300 x 360 pixels inside 20-pixel borders and a 20-pixel margin, whose axis spans
// exactly three decades (48000 / (10 x 4.8) = 1000), so points fall on 10, 100, 1k and 10k Hz.
EqPlotGeometry roundGeometry()
{
    EqPlotGeometry g;
    g.width = 360;
    g.height = 400;
    g.nyquistDivide = 4.8;
    return g;
}

// Each point within a pixel of the expected one.
void comparePoints(const QVector<QPoint>& actual, const QVector<QPoint>& expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QPoint off = actual[i] - expected[i];
        QVERIFY2(std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1, qPrintable(QStringLiteral("point %1").arg(i)));
    }
}

const QColor Background(22, 51, 105);

} // namespace

// The equaliser's curve model and the panel that draws its curves.
class TestOrvaneEQPanel : public QObject
{
    Q_OBJECT

    // A shown host makes the panel's resize events arrive at once, as on a page.
    std::unique_ptr<QWidget> m_host;
    OrvaneEQPanel* m_panel = nullptr;

private slots:
    void init()
    {
        m_host = std::make_unique<QWidget>();
        m_host->resize(400, 450);
        m_panel = new OrvaneEQPanel(m_host.get());
        m_host->show();
        // Plot 300 x 360 at (40, 20): +18 dB is row 20, 0 dB row 200, -18 dB row 380.
        m_panel->resize(360, 400);
    }

    void cleanup()
    {
        m_host.reset();
        m_panel = nullptr;
    }

    void propertyOrder_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("0") << 0 << "BackgroundColor" << QVariant(QColor(22, 51, 105));
        QTest::newRow("5") << 5 << "VerticalGridAtdB" << QVariant(6);
        QTest::newRow("7") << 7 << "FrequencyLowCut" << QVariant(80);
        QTest::newRow("15") << 15 << "FrequencyBand1" << QVariant(12000);
        QTest::newRow("20") << 20 << "FrequencyBand6" << QVariant(2000);
        QTest::newRow("27") << 27 << "NrOfPoints" << QVariant(1024);
        QTest::newRow("32") << 32 << "ActiveCurveFillColor" << QVariant(QColor(0, 255, 0, 80));
        QTest::newRow("41") << 41 << "AnchorBand6Color" << QVariant(QColor(221, 221, 221));
        QTest::newRow("48") << 48 << "TypeBand6" << QVariant(0);
        QTest::newRow("50") << 50 << "NequistDivide" << QVariant(2.04);
        QTest::newRow("67") << 67 << "SlopeBand6" << QVariant(1.0);
    }

    void propertyOrder()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        const QMetaObject* meta = m_panel->metaObject();
        QCOMPARE(meta->propertyCount() - meta->propertyOffset(), 68);
        const QMetaProperty property = meta->property(meta->propertyOffset() + index);
        QCOMPARE(QString::fromLatin1(property.name()), name);
        QVERIFY(property.isDesignable());
        QTEST(property.read(m_panel), "value");
    }

    void levelGridRows_data()
    {
        QTest::addColumn<int>("gridAtdB");
        QTest::addColumn<QVector<int>>("rows");
        // 10 pixels per dB from the 0 dB line at row 200.
        QTest::newRow("6 dB") << 6 << QVector<int> { 20, 80, 140, 260, 320, 380 };
        QTest::newRow("3 dB") << 3 << QVector<int> { 110, 140, 170, 230, 260, 290 };
        QTest::newRow("12 dB") << 12 << QVector<int> { -160, 80, 320, 560 };
        QTest::newRow("zero") << 0 << QVector<int>();
        QTest::newRow("negative") << -4 << QVector<int>();
        QTest::newRow("37") << 37 << QVector<int>();
    }

    void levelGridRows()
    {
        QFETCH(int, gridAtdB);
        QFETCH(QVector<int>, rows);
        // The grid alone: no fine frequency lines, anchors or level labels in the way.
        m_panel->setVerticalGridAtdB(gridAtdB);
        m_panel->setLogGrid(false);
        m_panel->setDrawAnchors(false);
        m_panel->setShowGainText(false);
        const QImage image = m_panel->grab().toImage();
        const int x = 300; // clear of the decade lines at columns 128, 217 and 306
        for (int y = 22; y <= 378; ++y) {
            bool expectLine = qAbs(y - 200) <= 1;
            for (int row : rows)
                expectLine = expectLine || y == row || y == row - 1;
            if (!expectLine)
                QVERIFY2(image.pixelColor(x, y) == Background, qPrintable(QString::number(y)));
        }
        for (int row : rows)
            if (row > 20 && row < 380)
                QVERIFY2(image.pixelColor(x, row) != Background || image.pixelColor(x, row - 1) != Background,
                    qPrintable(QString::number(row)));
    }

    // A +6 dB band at 1 kHz lifts the curve's flat top to the band's anchor, on column 40 + 2 x 300 /
    // log10(48000 / 20.4) = 217.96 and row 380 - 24 x 10 = 140.
    void bandBoostMeetsItsAnchor()
    {
        m_panel->setLogGrid(false);
        m_panel->setFrequencyBand3(1000);
        m_panel->setGainBand3(6.0);
        const QVector<QPoint> points = m_panel->responsePoints();
        const QPoint top
            = *std::min_element(points.begin(), points.end(), [](QPoint a, QPoint b) { return a.y() < b.y(); });
        QVERIFY2(qAbs(top.x() - 217) <= 3 && qAbs(top.y() - 140) <= 1,
            qPrintable(QStringLiteral("%1, %2").arg(top.x()).arg(top.y())));
        QCOMPARE(points.size(), 1024);
        const QColor anchor(199, 243, 205);
        QCOMPARE(m_panel->grab().toImage().pixelColor(217, 140), anchor);
        // Switched off, the band keeps its anchor; of no type, it has none.
        m_panel->setOnBand3(false);
        m_panel->setEQOn(false);
        QCOMPARE(m_panel->grab().toImage().pixelColor(217, 140), anchor);
        m_panel->setTypeBand3(0);
        QVERIFY(m_panel->grab().toImage().pixelColor(217, 140) != anchor);
    }

    void zeroSizedPanelPaints_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("stored"); // the points kept, 0 to 1024
        QTest::addColumn<int>("gridAtdB");
        QTest::addColumn<int>("samplerate");
        QTest::addColumn<double>("divide");
        QTest::newRow("defaults") << 1024 << 1024 << 6 << 48000 << 2.04;
        QTest::newRow("too many points") << 5000 << 1024 << 6 << 48000 << 2.04;
        QTest::newRow("three points") << 3 << 3 << 6 << 48000 << 2.04;
        QTest::newRow("one point") << 1 << 1 << 0 << 48000 << 2.04;
        QTest::newRow("no points") << 0 << 0 << 40 << 48000 << 2.04;
        QTest::newRow("negative points") << -3 << 0 << 6 << 48000 << 2.04;
        QTest::newRow("zero rate") << 3 << 3 << -1 << 0 << 2.04;
        QTest::newRow("zero divider") << 2 << 2 << 36 << 48000 << 0.0;
        QTest::newRow("flat axis") << 1024 << 1024 << 1 << 48000 << 4800.0;
    }

    void zeroSizedPanelPaints()
    {
        QFETCH(int, points);
        QFETCH(int, stored);
        QFETCH(int, gridAtdB);
        QFETCH(int, samplerate);
        QFETCH(double, divide);
        m_panel->resize(0, 0);
        m_panel->setVerticalGridAtdB(gridAtdB);
        m_panel->setSamplerate(samplerate);
        m_panel->setNequistDivide(divide);
        m_panel->setFrequencyLowCut(100); // redesigns at the new rate
        m_panel->setNrOfPoints(points);
        m_panel->setGainBand2(3.0);

        QImage image(64, 64, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        m_panel->paintPanel(painter);
        painter.end();
        m_panel->grab();

        // Plot width -60 and height -40: both ends of the curve are on row 20 + (-40) - (-20) = 0.
        QCOMPARE(m_panel->NrOfPoints(), stored);
        const QVector<QPoint> response = m_panel->responsePoints();
        if (stored >= 2) {
            QCOMPARE(response[0], QPoint(40, 0));
            QCOMPARE(response[stored - 1], QPoint(-20, 0));
        }
    }

    void sectionLevel_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVector<double>>("design"); // gain, frequency, bandwidth, slope
        QTest::addColumn<double>("at");
        QTest::addColumn<double>("expectedDb");
        using D = QVector<double>;
        // Expected levels worked out with a calculator from the design equations, evaluating
        // (b0 + b1/z + b2/z^2) / (a0 + a1/z + a2/z^2) on the unit circle.
        QTest::newRow("peak +6 centre") << 3 << D { 6.0, 1000.0, 1.0, 1.0 } << 1000.0 << 6.0;
        QTest::newRow("peak +6 octave below") << 3 << D { 6.0, 1000.0, 1.0, 1.0 } << 500.0 << 1.8341;
        QTest::newRow("peak -6 centre") << 3 << D { -6.0, 1000.0, 1.0, 1.0 } << 1000.0 << -6.0;
        QTest::newRow("peak +12 wide") << 3 << D { 12.0, 2400.0, 2.0, 1.0 } << 1200.0 << 8.9686;
        QTest::newRow("low shelf +6 corner") << 2 << D { 6.0, 80.0, 1.0, 1.0 } << 80.0 << 3.9629;
        QTest::newRow("low shelf -9") << 2 << D { -9.0, 175.0, 1.0, 1.0 } << 80.0 << -8.8382;
        QTest::newRow("low shelf slope 0.5") << 2 << D { 6.0, 80.0, 1.0, 0.5 } << 80.0 << 4.7506;
        QTest::newRow("high shelf +6 corner") << 4 << D { 6.0, 5300.0, 1.0, 1.0 } << 5300.0 << 3.9629;
        QTest::newRow("high shelf -9 above") << 4 << D { -9.0, 5300.0, 1.0, 1.0 } << 10000.0 << -8.8180;
        QTest::newRow("low-pass corner") << 5 << D { 0.0, 1000.0, 1.0, 1.0 } << 1000.0 << -3.0103;
        QTest::newRow("low-pass decade above") << 5 << D { 0.0, 1000.0, 1.0, 1.0 } << 10000.0 << -42.7383;
        QTest::newRow("high-pass corner") << 1 << D { 0.0, 80.0, 1.0, 1.0 } << 80.0 << -3.0103;
        QTest::newRow("high-pass at 10 Hz") << 1 << D { 0.0, 80.0, 1.0, 1.0 } << 10.0 << -36.1248;
        QTest::newRow("band-pass centre") << 6 << D { 0.0, 1000.0, 1.0, 1.0 } << 1000.0 << 0.0;
        QTest::newRow("second peak -6 centre") << 7 << D { -6.0, 1000.0, 1.0, 1.0 } << 1000.0 << -6.0;
        QTest::newRow("second peak -6 off centre") << 7 << D { -6.0, 1000.0, 1.0, 1.0 } << 3000.0 << -0.2143;
    }

    void sectionLevel()
    {
        QFETCH(int, type);
        QFETCH(QVector<double>, design);
        QFETCH(double, at);
        QFETCH(double, expectedDb);
        const EqSection section
            = EqCurveModel::designSection(design[0], design[1], design[2], design[3], type, true, 48000.0);
        const double actual = levelDbAt(section, at);
        // Coefficients are kept in single precision, which costs a few thousandths of a dB.
        QVERIFY2(std::abs(actual - expectedDb) < 0.02,
            qPrintable(QStringLiteral("%1 dB, expected %2 dB").arg(actual).arg(expectedDb)));
    }

    void flatSections_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("on");
        QTest::addColumn<double>("gain");
        QTest::newRow("type 0") << 0 << true << 9.0;
        QTest::newRow("type 8") << 8 << true << 9.0;
        QTest::newRow("peak switched off") << 3 << false << 9.0;
        QTest::newRow("peak at 0 dB") << 3 << true << 0.0;
        QTest::newRow("low shelf at 0 dB") << 2 << true << 0.0;
    }

    void flatSections()
    {
        QFETCH(int, type);
        QFETCH(bool, on);
        QFETCH(double, gain);
        const EqSection section = EqCurveModel::designSection(gain, 1000.0, 1.0, 1.0, type, on, 48000.0);
        for (double f : { 10.0, 300.0, 1000.0, 5000.0, 20000.0 })
            QVERIFY2(std::abs(levelDbAt(section, f)) < 1e-4, qPrintable(QString::number(f)));
        if (!on || type == 0 || type == 8 || type == -1) {
            QCOMPARE(EqCurveModel::magnitude(section, 0.3), 1.0);
            QCOMPARE(section.k, 1.0f);
        }
    }

    void roots_data()
    {
        QTest::addColumn<QVector<float>>("pqr");      // p x^2 + q x + r
        QTest::addColumn<QVector<float>>("expected"); // re1, im1 (not below 0), re2, im2 (not above 0)
        using V = QVector<float>;
        QTest::newRow("real 2 and 1") << V { 1.0f, -3.0f, 2.0f } << V { 2.0f, 0.0f, 1.0f, 0.0f };
        QTest::newRow("plus and minus i") << V { 1.0f, 0.0f, 1.0f } << V { 0.0f, 1.0f, 0.0f, -1.0f };
        QTest::newRow("complex pair") << V { 2.0f, -2.0f, 1.0f } << V { 0.5f, 0.5f, 0.5f, -0.5f };
        QTest::newRow("double root") << V { 1.0f, 2.0f, 1.0f } << V { -1.0f, 0.0f, -1.0f, 0.0f };
    }

    void roots()
    {
        QFETCH(QVector<float>, pqr);
        QFETCH(QVector<float>, expected);
        const EqRoots roots = EqCurveModel::calcRoots(pqr[0], pqr[1], pqr[2]);
        QCOMPARE(QVector<float>({ roots.re1, roots.im1, roots.re2, roots.im2 }), expected);
    }

    void curves_data()
    {
        QTest::addColumn<bool>("lowCut"); // the low-cut section's curve, or the response with the section as band 3
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("gain");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<int>("count");
        QTest::addColumn<QVector<QPoint>>("points");
        using P = QVector<QPoint>;
        // Rows: (380 - (18 + level) x 10); +6 dB at 1 kHz is row 140, the 0 dB line row 200.
        QTest::newRow("peak") << false << 3 << 6.0 << 1000.0 << 6
                              << P { { 40, 200 }, { 40, 199 }, { 140, 199 }, { 240, 140 }, { 340, 199 }, { 340, 200 } };
        // -40 dB at 10 Hz is 400 pixels below the 0 dB line; -3.01 dB at the corner.
        QTest::newRow("low cut") << true << 1 << 0.0 << 100.0 << 4
                                 << P { { 40, 600 }, { 140, 230 }, { 240, 200 }, { 340, 200 } };
        QTest::newRow("none") << false << 2 << 6.0 << 80.0 << 0 << P();
        QTest::newRow("none, low cut") << true << 0 << 0.0 << 80.0 << 0 << P();
        QTest::newRow("negative") << false << 2 << 6.0 << 80.0 << -7 << P();
        QTest::newRow("negative, low cut") << true << 0 << 0.0 << 80.0 << -7 << P();
        QTest::newRow("one") << false << 2 << 6.0 << 80.0 << 1 << P();
        QTest::newRow("one, low cut") << true << 0 << 0.0 << 80.0 << 1 << P { { 40, 200 } };
        QTest::newRow("two") << false << 2 << 6.0 << 80.0 << 2 << P { { 40, 200 }, { 340, 200 } };
        QTest::newRow("two, low cut") << true << 0 << 0.0 << 80.0 << 2 << P { { 40, 200 }, { 340, 200 } };
        // With three points the single inner point sits at 10 Hz, where the +6 dB shelf is full.
        QTest::newRow("three") << false << 2 << 6.0 << 80.0 << 3 << P { { 40, 200 }, { 40, 140 }, { 340, 200 } };
        QTest::newRow("three, low cut") << true << 0 << 0.0 << 80.0 << 3
                                        << P { { 40, 200 }, { 190, 200 }, { 340, 200 } };
        // 0 Hz makes Q = 0 / 0: every coefficient is NaN, yet the inner points, 60 pixels apart, are ordinary ints.
        QTest::newRow("0 Hz") << false << 3 << 6.0 << 0.0 << 8
                              << P { { 40, 200 }, { 40, 0 }, { 100, 0 }, { 160, 0 }, { 220, 0 }, { 280, 0 }, { 340, 0 },
                                     { 340, 200 } };
    }

    void curves()
    {
        QFETCH(bool, lowCut);
        QFETCH(int, type);
        QFETCH(double, gain);
        QFETCH(double, frequency);
        QFETCH(int, count);
        QFETCH(QVector<QPoint>, points);
        const EqSection section = EqCurveModel::designSection(gain, frequency, 1.0, 1.0, type, true, 48000.0);
        std::array<EqSection, EqCurveModel::BandCount> bands;
        bands[2] = section;
        comparePoints(lowCut ? EqCurveModel::lowCutCurve(section, roundGeometry(), count)
                             : EqCurveModel::responseCurve(bands, roundGeometry(), count),
            points);
    }

    void truncateSafely_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("positive") << 12.9 << 12;
        QTest::newRow("negative toward zero") << -12.9 << -12;
        QTest::newRow("nan") << std::nan("") << 0;
        QTest::newRow("plus infinity") << HUGE_VAL << 1000000;
        QTest::newRow("minus infinity") << -HUGE_VAL << -1000000;
        QTest::newRow("beyond int") << 1e300 << 1000000;
    }

    void truncateSafely()
    {
        QFETCH(double, value);
        QTEST(EqCurveModel::truncateSafely(value), "expected");
    }
};

QTEST_MAIN(TestOrvaneEQPanel)
#include "tst_orvaneeqpanel.moc"
