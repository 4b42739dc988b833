// The equaliser curve model under any band settings (gain, frequency, bandwidth, slope, type,
// sample rate: NaN and infinities included), any axis divider, any number of points and any
// widget geometry: no undefined arithmetic, the point counts the model promises, curves that
// span the plot from left to right, and a flat line where no band is on.

#include "EqCurveModel.h"
#include "EqFuzzInput.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Band
{
    double gain;
    double frequency;
    double bandwidth;
    double slope;
    int type;
    bool on;
};

Band consumeBand(FuzzedDataProvider& data)
{
    Band band;
    band.gain = consumeAnyDouble(data);
    band.frequency = data.ConsumeBool() ? consumeAnyDouble(data) : consumeAnyInt(data, -10, 30000);
    band.bandwidth = consumeAnyDouble(data);
    band.slope = consumeAnyDouble(data);
    band.type = consumeAnyInt(data, -1, 9);
    band.on = data.ConsumeBool();
    return band;
}

EqPlotGeometry consumeGeometry(FuzzedDataProvider& data)
{
    EqPlotGeometry g;
    g.width = consumePixels(data, 0);
    g.height = consumePixels(data, 0);
    g.border = consumePixels(data, -PixelLimit);
    g.leftMargin = consumePixels(data, -PixelLimit);
    g.samplerate = consumeAnyInt(data, -10, 200000);
    g.nyquistDivide = data.ConsumeBool() ? consumeAnyDouble(data) : data.ConsumeFloatingPointInRange(0.5, 4.0);
    return g;
}

// Small counts most of the time keep the run fast; any int now and then.
int consumePointCount(FuzzedDataProvider& data)
{
    return data.ConsumeIntegralInRange(0, 15) == 0 ? data.ConsumeIntegral<int>() : data.ConsumeIntegralInRange(-3, 40);
}

bool isFlat(const Band& band)
{
    return !band.on || band.type < EQ_HIGH_PASS || band.type > EQ_PEAK_SECOND_FORM;
}

void checkFlatSection(const EqSection& s)
{
    FUZZ_CHECK(s.k == 1.0f);
    FUZZ_CHECK(s.zeros.re1 == 0.0f && s.zeros.im1 == 0.0f && s.zeros.re2 == 0.0f && s.zeros.im2 == 0.0f);
    FUZZ_CHECK(s.poles.re1 == 0.0f && s.poles.im1 == 0.0f && s.poles.re2 == 0.0f && s.poles.im2 == 0.0f);
}

// The inner points run from the left of the plot to its right, in order.
void checkSpan(const QVector<QPoint>& inner, const EqPlotGeometry& g)
{
    if (inner.isEmpty())
        return;
    const int left = g.leftMargin + g.border;
    FUZZ_CHECK(inner.first().x() == left);
    if (inner.size() > 1)
        FUZZ_CHECK(inner.last().x() == left + g.plotWidth());
    for (int i = 1; i < inner.size(); ++i)
        FUZZ_CHECK(g.plotWidth() >= 0 ? inner[i].x() >= inner[i - 1].x() : inner[i].x() <= inner[i - 1].x());
}

void checkResponse(
    const std::array<EqSection, EqCurveModel::BandCount>& sections, bool allFlat, const EqPlotGeometry& g, int n)
{
    const int count = std::clamp(n, 0, EqCurveModel::MaxPoints);
    const QVector<double> w = EqCurveModel::responseFrequencies(g, n);
    FUZZ_CHECK(w.size() == (count >= 3 ? count - 2 : 0));
    const QVector<QPoint> points = EqCurveModel::responseCurve(sections, g, n);
    FUZZ_CHECK(points.size() == (count >= 2 ? count : 0));
    if (points.isEmpty())
        return;
    // Both ends sit on the 0 dB line.
    FUZZ_CHECK(points.first().y() == points.last().y());
    const QVector<QPoint> inner = points.mid(1, points.size() - 2);
    checkSpan(inner, g);
    for (int i = 0; allFlat && i < inner.size(); ++i) {
        if (std::isfinite(w[i]))
            FUZZ_CHECK(inner[i].y() == EqCurveModel::rowOfLevel(g, 18.0));
    }
}

void checkLowCut(const EqSection& section, const EqPlotGeometry& g, int n)
{
    const QVector<QPoint> points = EqCurveModel::lowCutCurve(section, g, n);
    FUZZ_CHECK(points.size() == std::clamp(n, 0, EqCurveModel::MaxPoints));
    checkSpan(points, g);
}

// The conversions the model draws with stay defined and exact where the value fits.
void checkConversions(FuzzedDataProvider& data, const EqSection& section, const EqPlotGeometry& g)
{
    const double value = consumeAnyDouble(data);
    const int truncated = EqCurveModel::truncateSafely(value);
    if (std::isnan(value))
        FUZZ_CHECK(truncated == 0);
    else if (std::fabs(value) < 1000.0)
        FUZZ_CHECK(truncated == static_cast<int>(std::trunc(value)));
    EqCurveModel::rowOfLevel(g, EqCurveModel::levelOf(EqCurveModel::magnitude(section, value)));
    const float p = float(consumeAnyDouble(data));
    const float q = float(consumeAnyDouble(data));
    const float r = float(consumeAnyDouble(data));
    EqCurveModel::calcRoots(p, q, r);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const double samplerate = data.ConsumeBool() ? consumeAnyDouble(data) : consumeAnyInt(data, -10, 200000);
    std::array<EqSection, EqCurveModel::BandCount> sections;
    bool allFlat = true;
    for (EqSection& section : sections) {
        const Band band = consumeBand(data);
        section = EqCurveModel::designSection(
            band.gain, band.frequency, band.bandwidth, band.slope, band.type, band.on, samplerate);
        if (isFlat(band))
            checkFlatSection(section);
        allFlat = allFlat && isFlat(band);
    }
    const EqPlotGeometry g = consumeGeometry(data);
    const int n = consumePointCount(data);
    checkResponse(sections, allFlat, g, n);
    checkLowCut(sections[0], g, n);
    checkConversions(data, sections[0], g);
    return 0;
}
