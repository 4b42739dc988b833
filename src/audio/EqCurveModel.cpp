#include "EqCurveModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Ln2 = 0.69314718055994530942;

// Keeps pixel values far inside int so that later sums cannot overflow either.
constexpr double PixelLimit = 1.0e6;

double distance(const std::complex<double>& z, float re, float im)
{
    return std::abs(z - std::complex<double>(re, im));
}

void store(EqCoefficients* out, double b0, double b1, double b2, double a0, double a1, double a2)
{
    out->b0 = static_cast<float>(b0);
    out->b1 = static_cast<float>(b1);
    out->b2 = static_cast<float>(b2);
    out->a0 = static_cast<float>(a0);
    out->a1 = static_cast<float>(a1);
    out->a2 = static_cast<float>(a2);
}

// Fraction of the way along the curve for point i of count steps; a single step would
// otherwise divide zero by zero.
double fraction(int i, int steps)
{
    return steps > 0 ? static_cast<double>(i) / steps : 0.0;
}

// What every section type is designed from: the gain G in dB, the shelf slope S, and the terms
// of the centre frequency (cos w, K = tan(w/2) and its square, the quality Q and alpha).
struct SectionTerms
{
    double G;
    double S;
    double c;
    double K;
    double K2;
    double Q;
    double alpha;
};

void passSection(bool highPass, const SectionTerms& t, EqCoefficients* out)
{
    const double D = 1.0 + std::sqrt(2.0) * t.K + t.K2;
    const double a1 = 2.0 * (t.K2 - 1.0) / D;
    const double a2 = (1.0 - std::sqrt(2.0) * t.K + t.K2) / D;
    if (highPass)
        store(out, 1.0 / D, -2.0 / D, 1.0 / D, 1.0, a1, a2);
    else
        store(out, t.K2 / D, 2.0 * t.K2 / D, t.K2 / D, 1.0, a1, a2);
}

void peakSection(bool secondForm, const SectionTerms& t, EqCoefficients* out)
{
    const double G = t.G;
    const double K = t.K;
    const double K2 = t.K2;
    const double Q = t.Q;
    if (secondForm && G < 0.0) {
        const double V = std::pow(10.0, G / 20.0);
        store(out, 1.0 + V * t.alpha, -2.0 * t.c, 1.0 - V * t.alpha, 1.0 + t.alpha, -2.0 * t.c, 1.0 - t.alpha);
        return;
    }
    // The first form rounds its gain factor to single precision, the second does not.
    const double V = !secondForm ? static_cast<float>(std::pow(10.0, std::fabs(G) / 20.0)) : std::pow(10.0, G / 20.0);
    const bool boost = secondForm || G > 0.0;
    const double num = boost ? V : 1.0; // bandwidth term of the numerator
    const double den = boost ? 1.0 : V; // bandwidth term of the denominator
    const double D = 1.0 + den * K / Q + K2;
    store(out, (1.0 + num * K / Q + K2) / D, 2.0 * (K2 - 1.0) / D, (1.0 - num * K / Q + K2) / D, 1.0,
        2.0 * (K2 - 1.0) / D, (1.0 - den * K / Q + K2) / D);
}

// The terms both shelves share: the gain factor V and the slope terms without and with it.
std::array<double, 3> shelfTerms(const SectionTerms& t)
{
    const double V = std::pow(10.0, std::fabs(t.G) / 20.0);
    return { V, std::sqrt(2.0 * t.S) * t.K, std::sqrt(2.0 * V * t.S) * t.K };
}

void lowShelfSection(const SectionTerms& t, EqCoefficients* out)
{
    const double K2 = t.K2;
    const auto [V, rs, rvs] = shelfTerms(t);
    if (t.G > 0.0) {
        const double D = 1.0 + rs + K2;
        store(out, (1.0 + rvs + V * K2) / D, 2.0 * (V * K2 - 1.0) / D, (1.0 - rvs + V * K2) / D, 1.0,
            2.0 * (K2 - 1.0) / D, (1.0 - rs + K2) / D);
    } else {
        const double D = 1.0 + rvs + V * K2;
        store(out, (1.0 + rs + K2) / D, 2.0 * (K2 - 1.0) / D, (1.0 - rs + K2) / D, 1.0, 2.0 * (V * K2 - 1.0) / D,
            (1.0 - rvs + V * K2) / D);
    }
}

void highShelfSection(const SectionTerms& t, EqCoefficients* out)
{
    const double K2 = t.K2;
    const auto [V, rs, rvs] = shelfTerms(t);
    if (t.G > 0.0) {
        const double D = 1.0 + rs + K2;
        store(out, (V + rvs + K2) / D, 2.0 * (K2 - V) / D, (V - rvs + K2) / D, 1.0, 2.0 * (K2 - 1.0) / D,
            (1.0 - rs + K2) / D);
    } else {
        const double Db = V + rvs + K2;
        const double rsv = std::sqrt(2.0 * t.S / V) * t.K;
        const double Da = 1.0 + rsv + K2 / V;
        store(out, (1.0 + rs + K2) / Db, 2.0 * (K2 - 1.0) / Db, (1.0 - rs + K2) / Db, 1.0, 2.0 * (K2 / V - 1.0) / Da,
            (1.0 - rsv + K2 / V) / Da);
    }
}

} // namespace

double EqPlotGeometry::decades() const
{
    return std::log10(samplerate / (10.0 * nyquistDivide));
}

float EqCurveModel::calcCoefficients(
    double G, double f, double BW, double S, int type, bool on, double fs, EqCoefficients* out)
{
    if (!on || type < EQ_HIGH_PASS || type > EQ_PEAK_SECOND_FORM) {
        *out = EqCoefficients();
        return 1.0f;
    }
    const double w = 2.0 * Pi * f / fs;
    const double s = std::sin(w);
    const double K = std::tan(w / 2.0);
    const SectionTerms t { G, S, std::cos(w), K, K * K, s / (Ln2 * BW * w), s * std::sinh(Ln2 / 2.0 * BW * w / s) };

    switch (type) {
    case EQ_HIGH_PASS:
    case EQ_LOW_PASS:
        passSection(type == EQ_HIGH_PASS, t, out);
        break;
    case EQ_PEAK:
    case EQ_PEAK_SECOND_FORM:
        peakSection(type == EQ_PEAK_SECOND_FORM, t, out);
        break;
    case EQ_LOW_SHELF:
        lowShelfSection(t, out);
        break;
    case EQ_HIGH_SHELF:
        highShelfSection(t, out);
        break;
    case EQ_BAND_PASS:
        store(out, t.alpha, 0.0, -t.alpha, 1.0 + t.alpha, -2.0 * t.c, 1.0 - t.alpha);
        break;
    default:
        *out = EqCoefficients();
        break;
    }
    return static_cast<float>(static_cast<double>(out->b0) / out->a0);
}

EqRoots EqCurveModel::calcRoots(float p, float q, float r)
{
    const double P = p;
    const double Q = q;
    const double R = r;
    const double d = Q * Q - 4.0 * P * R;
    EqRoots roots;
    if (d > 0.0) {
        roots.re1 = static_cast<float>((std::sqrt(d) - Q) / (2.0 * P));
        roots.re2 = static_cast<float>((-std::sqrt(d) - Q) / (2.0 * P));
    } else {
        const double im = std::sqrt(4.0 * P * R - Q * Q) / (2.0 * P);
        roots.re1 = roots.re2 = static_cast<float>(-Q / (2.0 * P));
        roots.im1 = static_cast<float>(im);
        roots.im2 = static_cast<float>(-im);
    }
    return roots;
}

EqSection EqCurveModel::designSection(
    double gainDb, double frequency, double bandwidth, double slope, int type, bool on, double samplerate)
{
    EqCoefficients c;
    EqSection section;
    section.k = calcCoefficients(gainDb, frequency, bandwidth, slope, type, on, samplerate, &c);
    section.zeros = calcRoots(c.b0, c.b1, c.b2);
    section.poles = calcRoots(c.a0, c.a1, c.a2);
    return section;
}

double EqCurveModel::magnitude(const EqSection& s, double w)
{
    const std::complex<double> z(std::cos(w), std::sin(w));
    return s.k * distance(z, s.zeros.re1, s.zeros.im1) * distance(z, s.zeros.re2, s.zeros.im2)
        / (distance(z, s.poles.re1, s.poles.im1) * distance(z, s.poles.re2, s.poles.im2));
}

double EqCurveModel::levelOf(double m)
{
    return m == 0.0 ? 108.0 : 18.0 + 20.0 * std::log10(m);
}

int EqCurveModel::truncateSafely(double value)
{
    // NaN compares false both ways; it lands on 0 instead of being undefined.
    if (!(value > -PixelLimit))
        return std::isnan(value) ? 0 : static_cast<int>(-PixelLimit);
    if (!(value < PixelLimit))
        return static_cast<int>(PixelLimit);
    return static_cast<int>(value);
}

int EqCurveModel::rowOfLevel(const EqPlotGeometry& g, double v)
{
    return truncateSafely((g.height - g.border) - v * g.plotHeight() / 36.0);
}

QVector<double> EqCurveModel::responseFrequencies(const EqPlotGeometry& g, int n)
{
    n = std::clamp(n, 0, MaxPoints);
    QVector<double> w;
    if (n < 3)
        return w;
    w.reserve(n - 2);
    const double ld = g.decades();
    for (int i = 0; i <= n - 3; ++i) {
        const double f = 10.0 * std::pow(10.0, fraction(i, n - 3) * ld);
        w.append(2.0 * Pi * f / g.samplerate);
    }
    return w;
}

QVector<double> EqCurveModel::sectionMagnitudes(const EqSection& section, const QVector<double>& w)
{
    QVector<double> magnitudes;
    magnitudes.reserve(w.size());
    for (const double frequency : w)
        magnitudes.append(magnitude(section, frequency));
    return magnitudes;
}

QVector<QPoint> EqCurveModel::responseCurve(
    const std::array<QVector<double>, BandCount>& magnitudes, const EqPlotGeometry& g, int n)
{
    n = std::clamp(n, 0, MaxPoints);
    QVector<QPoint> points;
    if (n < 2)
        return points;
    points.reserve(n);
    const int left = g.leftMargin + g.border;
    const int pw = g.plotWidth();
    const int ph = g.plotHeight();
    points.append(QPoint(left, g.border + ph - ph / 2));
    for (int i = 0; i <= n - 3; ++i) {
        const double t = fraction(i, n - 3);
        double m = 1.0;
        for (const QVector<double>& band : magnitudes)
            m *= band.value(i, 1.0);
        points.append(QPoint(truncateSafely(left + t * pw), rowOfLevel(g, levelOf(m))));
    }
    points.append(QPoint(left + pw, g.height - g.border - ph / 2));
    return points;
}

QVector<QPoint> EqCurveModel::responseCurve(
    const std::array<EqSection, BandCount>& bands, const EqPlotGeometry& g, int n)
{
    const QVector<double> w = responseFrequencies(g, n);
    std::array<QVector<double>, BandCount> magnitudes;
    for (int b = 0; b < BandCount; ++b)
        magnitudes[b] = sectionMagnitudes(bands[b], w);
    return responseCurve(magnitudes, g, n);
}

QVector<QPoint> EqCurveModel::lowCutCurve(const EqSection& lowCut, const EqPlotGeometry& g, int n)
{
    n = std::clamp(n, 0, MaxPoints);
    QVector<QPoint> points;
    points.reserve(n);
    const int left = g.leftMargin + g.border;
    const double ld = g.decades();
    for (int i = 0; i < n; ++i) {
        const double t = fraction(i, n - 1);
        const double f = 10.0 * std::pow(10.0, t * ld);
        const double w = 2.0 * Pi * f / g.samplerate;
        points.append(QPoint(truncateSafely(left + t * g.plotWidth()), rowOfLevel(g, levelOf(magnitude(lowCut, w)))));
    }
    return points;
}
