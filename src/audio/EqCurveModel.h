#ifndef EQCURVEMODEL_H
#define EQCURVEMODEL_H

#include <QPoint>
#include <QVector>

#include <array>

// Section types of the equaliser panel's bands; any other value behaves as EQ_FLAT.
enum EQ_SECTION_TYPE {
    EQ_FLAT = 0,
    EQ_HIGH_PASS = 1,
    EQ_LOW_SHELF = 2,
    EQ_PEAK = 3,
    EQ_HIGH_SHELF = 4,
    EQ_LOW_PASS = 5,
    EQ_BAND_PASS = 6,
    EQ_PEAK_SECOND_FORM = 7
};

// The six coefficients of one second-order section, as a redesign produces them.
struct EqCoefficients
{
    float b0 = 1.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
    float a0 = 1.0f;
    float a1 = 0.0f;
    float a2 = 0.0f;
};

// Two roots of a quadratic, each stored as a real and an imaginary part.
struct EqRoots
{
    float re1 = 0.0f;
    float im1 = 0.0f;
    float re2 = 0.0f;
    float im2 = 0.0f;
};

// What is kept of a section once designed: the response is evaluated from these alone,
// so drawing never needs the coefficients again.
struct EqSection
{
    float k = 1.0f;
    EqRoots zeros;
    EqRoots poles;
};

// The panel's plot area in widget pixels and its frequency axis.
struct EqPlotGeometry
{
    int width = 0;
    int height = 0;
    int border = 20;
    int leftMargin = 20;
    int samplerate = 48000;
    double nyquistDivide = 2.04;

    int plotWidth() const { return width - 2 * border - leftMargin; }
    int plotHeight() const { return height - 2 * border; }
    // Decades from 10 Hz to the top of the axis.
    double decades() const;
};

// Filter design and response evaluation of the equaliser panel as plain functions of their
// inputs, so that one band change costs one design and one evaluation pass, and so that the
// arithmetic can be checked without a widget.
class EqCurveModel
{
public:
    static constexpr int MaxPoints = 1024;
    static constexpr int BandCount = 6;

    // Six coefficients of one section; the return value is k = b0 / a0.
    static float calcCoefficients(double gainDb, double frequency, double bandwidth, double slope, int type, bool on,
        double samplerate, EqCoefficients* out);
    // Roots of p*z^2 + q*z + r.
    static EqRoots calcRoots(float p, float q, float r);
    static EqSection designSection(
        double gainDb, double frequency, double bandwidth, double slope, int type, bool on, double samplerate);

    // |H| of one section at angular frequency w (radians per sample).
    static double magnitude(const EqSection& section, double w);
    // Level v = 18 + dB of a magnitude; an exact zero gives 108.
    static double levelOf(double magnitude);
    // Pixel row of level v, never undefined even for non-finite input.
    static int rowOfLevel(const EqPlotGeometry& g, double v);
    // Conversion toward zero that stays defined for NaN and infinities.
    static int truncateSafely(double value);

    // Angular frequencies of the inner points of a response curve of nrOfPoints points (the two
    // ends are fixed), on the geometry's logarithmic axis.
    static QVector<double> responseFrequencies(const EqPlotGeometry& g, int nrOfPoints);
    // |H| of one section at each of the frequencies w.
    static QVector<double> sectionMagnitudes(const EqSection& section, const QVector<double>& w);
    // Points of the whole equaliser's response, both ends on the 0 dB line, from each band's
    // magnitudes at responseFrequencies(g, nrOfPoints): one band change needs only its own.
    static QVector<QPoint> responseCurve(
        const std::array<QVector<double>, BandCount>& magnitudes, const EqPlotGeometry& g, int nrOfPoints);
    // The same, designed from scratch.
    static QVector<QPoint> responseCurve(
        const std::array<EqSection, BandCount>& bands, const EqPlotGeometry& g, int nrOfPoints);
    // Points of the low-cut section's response alone.
    static QVector<QPoint> lowCutCurve(const EqSection& lowCut, const EqPlotGeometry& g, int nrOfPoints);
};

#endif // EQCURVEMODEL_H
