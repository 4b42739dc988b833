// One equaliser band change on a panel of the equaliser page's size: the panel's own path
// (redesign the changed section, evaluate the response) next to a full recomputation (redesign
// all six sections, evaluate the response) on the same bands. Also times one paint, which only
// draws the stored points.
//
// Run a Release build: bench_eq_band_change [iterations]   (default 2000)

#include "EqCurveModel.h"
#include "OrvaneEQPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <vector>

namespace {

const double targetUs = 500.0;
const int panelWidth = 600;
const int panelHeight = 250;

// The page's five bands (two shelves around three bells) and the panel's unused sixth.
struct Band
{
    int type;
    int hertz;
    double gain;
};
const Band pageBands[EqCurveModel::BandCount] = { { EQ_LOW_SHELF, 105, -3.0 }, { EQ_PEAK, 300, 0.0 },
    { EQ_PEAK, 1100, 3.0 }, { EQ_PEAK, 3200, -3.0 }, { EQ_HIGH_SHELF, 6900, 0.0 }, { EQ_FLAT, 2000, 0.0 } };

struct Figures
{
    double meanUs;
    double medianUs;
};

Figures timeEach(int iterations, const std::function<void(int)>& step)
{
    std::vector<double> us(iterations);
    QElapsedTimer timer;
    for (int i = 0; i < iterations; ++i) {
        timer.start();
        step(i);
        us[i] = timer.nsecsElapsed() / 1000.0;
    }
    const double mean = std::accumulate(us.begin(), us.end(), 0.0) / iterations;
    std::nth_element(us.begin(), us.begin() + iterations / 2, us.end());
    return { mean, us[iterations / 2] };
}

// Band i % 5 to a gain that differs from the one before, so every step is a real change.
double gainAt(int i)
{
    return (i / 5) % 2 ? 5.0 : -5.0;
}

void print(const char* what, const Figures& f)
{
    std::printf("%-38s mean %8.1f us   median %8.1f us\n", what, f.meanUs, f.medianUs);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 2000;

    OrvaneEQPanel panel;
    panel.resize(panelWidth, panelHeight);
    panel.setNrOfPoints(EqCurveModel::MaxPoints);
    for (int i = 0; i < EqCurveModel::BandCount; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        panel.setProperty(("TypeBand" + n).constData(), pageBands[i].type);
        panel.setProperty(("FrequencyBand" + n).constData(), pageBands[i].hertz);
        panel.setProperty(("GainBand" + n).constData(), pageBands[i].gain);
    }
    panel.show();

    using GainSetter = void (OrvaneEQPanel::*)(double);
    const GainSetter setGain[5] = { &OrvaneEQPanel::setGainBand1, &OrvaneEQPanel::setGainBand2,
        &OrvaneEQPanel::setGainBand3, &OrvaneEQPanel::setGainBand4, &OrvaneEQPanel::setGainBand5 };
    const Figures ours = timeEach(iterations, [&](int i) { (panel.*setGain[i % 5])(gainAt(i)); });

    EqPlotGeometry geometry; // the panel's defaults: 20-pixel border and margin, 48 kHz
    geometry.width = panelWidth;
    geometry.height = panelHeight;
    double gains[EqCurveModel::BandCount] = { -3.0, 0.0, 3.0, -3.0, 0.0, 0.0 };
    QVector<QPoint> points;
    const Figures full = timeEach(iterations, [&](int i) {
        gains[i % 5] = gainAt(i);
        std::array<EqSection, EqCurveModel::BandCount> sections;
        for (int b = 0; b < EqCurveModel::BandCount; ++b)
            sections[b] = EqCurveModel::designSection(
                gains[b], pageBands[b].hertz, 1.0, 1.0, pageBands[b].type, true, geometry.samplerate);
        points = EqCurveModel::responseCurve(sections, geometry, EqCurveModel::MaxPoints);
    });

    QImage image(panelWidth, panelHeight, QImage::Format_ARGB32_Premultiplied);
    const Figures paint = timeEach(iterations, [&](int) {
        QPainter painter(&image);
        panel.paintPanel(painter);
    });

    std::printf("%d band changes, panel %dx%d, %d points\n", iterations, panelWidth, panelHeight, panel.NrOfPoints());
    print("ours: one section + response", ours);
    print("full: six sections + response", full);
    std::printf("ratio full / ours (median): %.2f\n", full.medianUs / ours.medianUs);
    std::printf("ours under the %.1f ms target: %s\n", targetUs / 1000.0, ours.medianUs < targetUs ? "yes" : "no");
    print("paint of the stored points", paint);
    // The same response both ways: the last full pass ended on the panel's final gains.
    std::printf("same points as the panel: %s\n", points == panel.responsePoints() ? "yes" : "no");
    return 0;
}
