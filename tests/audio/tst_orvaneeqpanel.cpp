#include "OrvaneEQPanel.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const QColor Background(22, 51, 105);

bool isBackground(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == Background;
}

} // namespace

class TestOrvaneEQPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void propertyOrder_data();
    void propertyOrder();
    void bandBoostRaisesCurve();
    void levelGridRows_data();
    void levelGridRows();
    void anchorAtBandGain();
    void zeroSizedPanelPaints_data();
    void zeroSizedPanelPaints();

private:
    // A shown host makes the panel's resize events arrive at once, as on a page.
    std::unique_ptr<QWidget> m_host;
    OrvaneEQPanel* m_panel = nullptr;
    QImage plainImage();
};

void TestOrvaneEQPanel::init()
{
    m_host = std::make_unique<QWidget>();
    m_host->resize(400, 450);
    m_panel = new OrvaneEQPanel(m_host.get());
    m_host->show();
    // Plot 300 x 360 at (40, 20): +18 dB is row 20, 0 dB row 200, -18 dB row 380.
    m_panel->resize(360, 400);
}

void TestOrvaneEQPanel::cleanup()
{
    m_host.reset();
    m_panel = nullptr;
}

// The grid alone: no fine frequency lines, anchors or level labels in the way.
QImage TestOrvaneEQPanel::plainImage()
{
    m_panel->setLogGrid(false);
    m_panel->setDrawAnchors(false);
    m_panel->setShowGainText(false);
    return m_panel->grab().toImage();
}

void TestOrvaneEQPanel::propertyOrder_data()
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

void TestOrvaneEQPanel::propertyOrder()
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

void TestOrvaneEQPanel::bandBoostRaisesCurve()
{
    m_panel->setFrequencyBand3(1000);
    m_panel->setGainBand3(6.0);
    const QVector<QPoint> points = m_panel->responsePoints();
    // 1 kHz is column 40 + 2 x 300 / log10(48000 / 20.4) = 217.96, where the flat top of the curve
    // lies; +6 dB is row 380 - 24 x 10 = 140.
    const QPoint top
        = *std::min_element(points.begin(), points.end(), [](QPoint a, QPoint b) { return a.y() < b.y(); });
    QVERIFY2(qAbs(top.x() - 217) <= 3 && qAbs(top.y() - 140) <= 1,
        qPrintable(QStringLiteral("%1, %2").arg(top.x()).arg(top.y())));
    QCOMPARE(points.size(), 1024);
    QCOMPARE(points.first(), QPoint(40, 200));
    QCOMPARE(points.last(), QPoint(340, 200));
}

void TestOrvaneEQPanel::levelGridRows_data()
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

void TestOrvaneEQPanel::levelGridRows()
{
    QFETCH(int, gridAtdB);
    QFETCH(QVector<int>, rows);

    m_panel->setVerticalGridAtdB(gridAtdB);
    const QImage image = plainImage();
    const int x = 300; // clear of the decade lines at columns 128, 217 and 306
    for (int y = 22; y <= 378; ++y) {
        bool expectLine = qAbs(y - 200) <= 1;
        for (int row : rows)
            expectLine = expectLine || y == row || y == row - 1;
        if (!expectLine)
            QVERIFY2(isBackground(image, x, y), qPrintable(QString::number(y)));
    }
    for (int row : rows)
        if (row > 20 && row < 380)
            QVERIFY2(
                !isBackground(image, x, row) || !isBackground(image, x, row - 1), qPrintable(QString::number(row)));
}

void TestOrvaneEQPanel::anchorAtBandGain()
{
    m_panel->setLogGrid(false);
    m_panel->setFrequencyBand3(1000);
    m_panel->setGainBand3(6.0);
    // One sixth of the plot (60 rows) above the 0 dB line, on the 1 kHz column.
    const QImage image = m_panel->grab().toImage();
    QCOMPARE(image.pixelColor(217, 140), QColor(199, 243, 205));

    m_panel->setOnBand3(false);
    m_panel->setEQOn(false);
    QCOMPARE(m_panel->grab().toImage().pixelColor(217, 140), QColor(199, 243, 205));

    m_panel->setTypeBand3(0);
    QVERIFY(m_panel->grab().toImage().pixelColor(217, 140) != QColor(199, 243, 205));
}

void TestOrvaneEQPanel::zeroSizedPanelPaints_data()
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

void TestOrvaneEQPanel::zeroSizedPanelPaints()
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
    QCOMPARE(m_panel->width(), 0);
}

QTEST_MAIN(TestOrvaneEQPanel)
#include "tst_orvaneeqpanel.moc"
