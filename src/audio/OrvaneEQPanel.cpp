#include "OrvaneEQPanel.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

// Stores value in member when it differs; true when it did, so that the caller redraws.
template <typename T, typename V> bool assignChanged(T& member, const V& value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

// Column of frequency f on the logarithmic axis; a degenerate axis (zero decades) stays defined.
int columnOf(double f, const EqPlotGeometry& g, double decades)
{
    return EqCurveModel::truncateSafely((std::log10(f) - 1.0) * g.plotWidth() / decades + g.leftMargin + g.border);
}

// Keeps the fine grid finite when the top of the axis is not (a zero divider).
constexpr double HighestGridFrequency = 1.0e7;

} // namespace

OrvaneEQPanel::OrvaneEQPanel(QWidget* parent)
    : QWidget(parent)
    , m_backgroundColor(22, 51, 105)
    , m_axisColor(135, 168, 228)
    , m_gridColor(35, 80, 163)
    , m_logGridColor(35, 80, 163)
    , m_textColor(192, 192, 192)
    , m_activeCurveColor(192, 192, 192)
    , m_activeCurveFillColor(0, 255, 0, 80)
    , m_inactiveCurveColor(0, 0, 0)
    , m_inactiveCurveFillColor(0, 0, 0, 0)
{
    m_gain.fill(0.0);
    m_frequency = { 12000, 10000, 8000, 6000, 4000, 2000 };
    m_bandwidth.fill(1.0);
    m_anchorColor = { QColor(226, 197, 182), QColor(255, 255, 196), QColor(199, 243, 205), QColor(236, 213, 253),
        QColor(187, 221, 255), QColor(221, 221, 221) };
    m_type = { EQ_PEAK, EQ_PEAK, EQ_PEAK, EQ_PEAK, EQ_PEAK, EQ_FLAT };
    m_on.fill(true);
    m_slope.fill(1.0);
    m_response = QVector<QPoint>(EqCurveModel::MaxPoints);
    m_lowCut = QVector<QPoint>(EqCurveModel::MaxPoints);

    recomputeLowCut();
    for (int i = 0; i < EqCurveModel::BandCount; ++i)
        m_sections[i] = EqCurveModel::designSection(
            m_gain[i], m_frequency[i], m_bandwidth[i], m_slope[i], m_type[i], m_on[i], m_samplerate);
    recomputeResponse();
}

EqSection OrvaneEQPanel::section(int band) const
{
    if (band >= 1 && band <= EqCurveModel::BandCount)
        return m_sections[band - 1];
    return m_lowCutSection;
}

EqPlotGeometry OrvaneEQPanel::geometryNow() const
{
    EqPlotGeometry g;
    g.width = width();
    g.height = height();
    g.border = m_axisBorderWidth;
    g.leftMargin = m_axisLeftMargin;
    g.samplerate = m_samplerate;
    g.nyquistDivide = m_nequistDivide;
    return g;
}

void OrvaneEQPanel::recomputeBand(int i)
{
    m_sections[i] = EqCurveModel::designSection(
        m_gain[i], m_frequency[i], m_bandwidth[i], m_slope[i], m_type[i], m_on[i], m_samplerate);
    // The other bands' magnitudes still hold unless the frequency axis moved.
    if (!refreshFrequencies())
        m_magnitudes[i] = EqCurveModel::sectionMagnitudes(m_sections[i], m_frequencies);
    combineResponse();
}

bool OrvaneEQPanel::refreshFrequencies()
{
    const FrequencyAxis axis { m_samplerate, m_nequistDivide, m_nrOfPoints };
    if (m_axisValid && axis.samplerate == m_axis.samplerate && axis.nyquistDivide == m_axis.nyquistDivide
        && axis.nrOfPoints == m_axis.nrOfPoints)
        return false;
    m_axis = axis;
    m_axisValid = true;
    m_frequencies = EqCurveModel::responseFrequencies(geometryNow(), m_nrOfPoints);
    for (int b = 0; b < EqCurveModel::BandCount; ++b)
        m_magnitudes[b] = EqCurveModel::sectionMagnitudes(m_sections[b], m_frequencies);
    return true;
}

void OrvaneEQPanel::recomputeLowCut()
{
    m_lowCutSection = EqCurveModel::designSection(0.0, m_frequencyLowCut, 1.0, 1.0, EQ_HIGH_PASS, true, m_samplerate);
    recomputeLowCutCurve();
    update();
}

void OrvaneEQPanel::recomputeLowCutCurve()
{
    const QVector<QPoint> points = EqCurveModel::lowCutCurve(m_lowCutSection, geometryNow(), m_nrOfPoints);
    std::copy(points.cbegin(), points.cend(), m_lowCut.begin());
}

void OrvaneEQPanel::recomputeResponse()
{
    refreshFrequencies();
    combineResponse();
}

void OrvaneEQPanel::combineResponse()
{
    const QVector<QPoint> points = EqCurveModel::responseCurve(m_magnitudes, geometryNow(), m_nrOfPoints);
    std::copy(points.cbegin(), points.cend(), m_response.begin());
    update();
}

void OrvaneEQPanel::setNrOfPoints(int value)
{
    value = std::clamp(value, 0, EqCurveModel::MaxPoints);
    if (assignChanged(m_nrOfPoints, value))
        recomputeResponse();
}

void OrvaneEQPanel::setBackgroundColor(const QColor& value)
{
    if (assignChanged(m_backgroundColor, value))
        update();
}

void OrvaneEQPanel::setAxisColor(const QColor& value)
{
    if (assignChanged(m_axisColor, value))
        update();
}

void OrvaneEQPanel::setGridColor(const QColor& value)
{
    if (assignChanged(m_gridColor, value))
        update();
}

void OrvaneEQPanel::setLogGridColor(const QColor& value)
{
    if (assignChanged(m_logGridColor, value))
        update();
}

void OrvaneEQPanel::setTextColor(const QColor& value)
{
    if (assignChanged(m_textColor, value))
        update();
}

void OrvaneEQPanel::setVerticalGridAtdB(int value)
{
    if (assignChanged(m_verticalGridAtdB, value))
        update();
}

void OrvaneEQPanel::setAnchorSize(int value)
{
    if (assignChanged(m_anchorSize, value))
        update();
}

void OrvaneEQPanel::setFrequencyLowCut(int value)
{
    if (assignChanged(m_frequencyLowCut, value))
        recomputeLowCut();
}

void OrvaneEQPanel::setLCOn(bool value)
{
    if (assignChanged(m_lcOn, value))
        update();
}

void OrvaneEQPanel::setGainBand1(double value)
{
    if (assignChanged(m_gain[0], value))
        recomputeBand(0);
}

void OrvaneEQPanel::setGainBand2(double value)
{
    if (assignChanged(m_gain[1], value))
        recomputeBand(1);
}

void OrvaneEQPanel::setGainBand3(double value)
{
    if (assignChanged(m_gain[2], value))
        recomputeBand(2);
}

void OrvaneEQPanel::setGainBand4(double value)
{
    if (assignChanged(m_gain[3], value))
        recomputeBand(3);
}

void OrvaneEQPanel::setGainBand5(double value)
{
    if (assignChanged(m_gain[4], value))
        recomputeBand(4);
}

void OrvaneEQPanel::setGainBand6(double value)
{
    if (assignChanged(m_gain[5], value))
        recomputeBand(5);
}

void OrvaneEQPanel::setFrequencyBand1(int value)
{
    if (assignChanged(m_frequency[0], value))
        recomputeBand(0);
}

void OrvaneEQPanel::setFrequencyBand2(int value)
{
    if (assignChanged(m_frequency[1], value))
        recomputeBand(1);
}

void OrvaneEQPanel::setFrequencyBand3(int value)
{
    if (assignChanged(m_frequency[2], value))
        recomputeBand(2);
}

void OrvaneEQPanel::setFrequencyBand4(int value)
{
    if (assignChanged(m_frequency[3], value))
        recomputeBand(3);
}

void OrvaneEQPanel::setFrequencyBand5(int value)
{
    if (assignChanged(m_frequency[4], value))
        recomputeBand(4);
}

void OrvaneEQPanel::setFrequencyBand6(int value)
{
    if (assignChanged(m_frequency[5], value))
        recomputeBand(5);
}

void OrvaneEQPanel::setBandwidthBand1(double value)
{
    if (assignChanged(m_bandwidth[0], value))
        recomputeBand(0);
}

void OrvaneEQPanel::setBandwidthBand2(double value)
{
    if (assignChanged(m_bandwidth[1], value))
        recomputeBand(1);
}

void OrvaneEQPanel::setBandwidthBand3(double value)
{
    if (assignChanged(m_bandwidth[2], value))
        recomputeBand(2);
}

void OrvaneEQPanel::setBandwidthBand4(double value)
{
    if (assignChanged(m_bandwidth[3], value))
        recomputeBand(3);
}

void OrvaneEQPanel::setBandwidthBand5(double value)
{
    if (assignChanged(m_bandwidth[4], value))
        recomputeBand(4);
}

void OrvaneEQPanel::setBandwidthBand6(double value)
{
    if (assignChanged(m_bandwidth[5], value))
        recomputeBand(5);
}

void OrvaneEQPanel::setAxisBorderWidth(int value)
{
    if (assignChanged(m_axisBorderWidth, value))
        recomputeResponse();
}

void OrvaneEQPanel::setAxisLeftMargin(int value)
{
    if (assignChanged(m_axisLeftMargin, value))
        recomputeResponse();
}

void OrvaneEQPanel::setActiveCurveColor(const QColor& value)
{
    if (assignChanged(m_activeCurveColor, value))
        update();
}

void OrvaneEQPanel::setActiveCurveWidth(int value)
{
    if (assignChanged(m_activeCurveWidth, value))
        update();
}

void OrvaneEQPanel::setActiveCurveFillColor(const QColor& value)
{
    if (assignChanged(m_activeCurveFillColor, value))
        update();
}

void OrvaneEQPanel::setInactiveCurveColor(const QColor& value)
{
    if (assignChanged(m_inactiveCurveColor, value))
        update();
}

void OrvaneEQPanel::setInactiveCurveWidth(int value)
{
    if (assignChanged(m_inactiveCurveWidth, value))
        update();
}

void OrvaneEQPanel::setInactiveCurveFillColor(const QColor& value)
{
    if (assignChanged(m_inactiveCurveFillColor, value))
        update();
}

void OrvaneEQPanel::setAnchorBand1Color(const QColor& value)
{
    if (assignChanged(m_anchorColor[0], value))
        update();
}

void OrvaneEQPanel::setAnchorBand2Color(const QColor& value)
{
    if (assignChanged(m_anchorColor[1], value))
        update();
}

void OrvaneEQPanel::setAnchorBand3Color(const QColor& value)
{
    if (assignChanged(m_anchorColor[2], value))
        update();
}

void OrvaneEQPanel::setAnchorBand4Color(const QColor& value)
{
    if (assignChanged(m_anchorColor[3], value))
        update();
}

void OrvaneEQPanel::setAnchorBand5Color(const QColor& value)
{
    if (assignChanged(m_anchorColor[4], value))
        update();
}

void OrvaneEQPanel::setAnchorBand6Color(const QColor& value)
{
    if (assignChanged(m_anchorColor[5], value))
        update();
}

void OrvaneEQPanel::setDrawAnchors(bool value)
{
    if (assignChanged(m_drawAnchors, value))
        update();
}

void OrvaneEQPanel::setTypeBand1(int value)
{
    if (assignChanged(m_type[0], value))
        recomputeBand(0);
}

void OrvaneEQPanel::setTypeBand2(int value)
{
    if (assignChanged(m_type[1], value))
        recomputeBand(1);
}

void OrvaneEQPanel::setTypeBand3(int value)
{
    if (assignChanged(m_type[2], value))
        recomputeBand(2);
}

void OrvaneEQPanel::setTypeBand4(int value)
{
    if (assignChanged(m_type[3], value))
        recomputeBand(3);
}

void OrvaneEQPanel::setTypeBand5(int value)
{
    if (assignChanged(m_type[4], value))
        recomputeBand(4);
}

void OrvaneEQPanel::setTypeBand6(int value)
{
    if (assignChanged(m_type[5], value))
        recomputeBand(5);
}

void OrvaneEQPanel::setSamplerate(int value)
{
    if (assignChanged(m_samplerate, value))
        update();
}

void OrvaneEQPanel::setNequistDivide(double value)
{
    if (assignChanged(m_nequistDivide, value))
        update();
}

void OrvaneEQPanel::setAnchorPickupSize(int value)
{
    if (assignChanged(m_anchorPickupSize, value))
        update();
}

void OrvaneEQPanel::setLogGrid(bool value)
{
    if (assignChanged(m_logGrid, value))
        update();
}

void OrvaneEQPanel::setEQOn(bool value)
{
    if (assignChanged(m_eqOn, value))
        update();
}

void OrvaneEQPanel::setOnBand1(bool value)
{
    if (assignChanged(m_on[0], value))
        recomputeBand(0);
}

void OrvaneEQPanel::setOnBand2(bool value)
{
    if (assignChanged(m_on[1], value))
        recomputeBand(1);
}

void OrvaneEQPanel::setOnBand3(bool value)
{
    if (assignChanged(m_on[2], value))
        recomputeBand(2);
}

void OrvaneEQPanel::setOnBand4(bool value)
{
    if (assignChanged(m_on[3], value))
        recomputeBand(3);
}

void OrvaneEQPanel::setOnBand5(bool value)
{
    if (assignChanged(m_on[4], value))
        recomputeBand(4);
}

void OrvaneEQPanel::setOnBand6(bool value)
{
    if (assignChanged(m_on[5], value))
        recomputeBand(5);
}

void OrvaneEQPanel::setShowFrequencyText(bool value)
{
    if (assignChanged(m_showFrequencyText, value))
        update();
}

void OrvaneEQPanel::setShowGainText(bool value)
{
    if (assignChanged(m_showGainText, value))
        update();
}

void OrvaneEQPanel::setSlopeBand1(double value)
{
    if (assignChanged(m_slope[0], value))
        recomputeBand(0);
}

void OrvaneEQPanel::setSlopeBand2(double value)
{
    if (assignChanged(m_slope[1], value))
        recomputeBand(1);
}

void OrvaneEQPanel::setSlopeBand3(double value)
{
    if (assignChanged(m_slope[2], value))
        recomputeBand(2);
}

void OrvaneEQPanel::setSlopeBand4(double value)
{
    if (assignChanged(m_slope[3], value))
        recomputeBand(3);
}

void OrvaneEQPanel::setSlopeBand5(double value)
{
    if (assignChanged(m_slope[4], value))
        recomputeBand(4);
}

void OrvaneEQPanel::setSlopeBand6(double value)
{
    if (assignChanged(m_slope[5], value))
        recomputeBand(5);
}

void OrvaneEQPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    recomputeLowCutCurve();
    recomputeResponse();
}

void OrvaneEQPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintPanel(painter);
}

void OrvaneEQPanel::paintPanel(QPainter& painter) const
{
    const EqPlotGeometry g = geometryNow();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(m_backgroundColor));
    painter.drawRect(rect());

    if (m_logGrid)
        paintLogGrid(painter, g);
    paintFrequencyGrid(painter, g);
    paintLevelGrid(painter, g);
    paintCurve(painter, g);
    if (m_drawAnchors)
        paintAnchors(painter, g);
}

void OrvaneEQPanel::paintLogGrid(QPainter& painter, const EqPlotGeometry& g) const
{
    painter.setPen(QPen(m_logGridColor, 1.0));
    const double top = std::min(m_samplerate / m_nequistDivide, HighestGridFrequency);
    for (double decade = 10.0; decade < top; decade *= 10.0) {
        for (int step = 1; step <= 9 && step * decade < top; ++step) {
            const int x = columnOf(step * decade, g, g.decades());
            painter.drawLine(x, g.border, x, g.height - g.border);
        }
    }
}

void OrvaneEQPanel::paintFrequencyGrid(QPainter& painter, const EqPlotGeometry& g) const
{
    const int B = g.border;
    const int H = g.height;
    const int left = g.leftMargin + B;
    const QFontMetrics fm(font());
    const int d3 = EqCurveModel::truncateSafely(3.0 * g.plotWidth() / g.decades());
    const int decadeColumns[3] = { left + d3 / 3, left + (2 * d3) / 3, left + d3 };
    const QString decadeLabels[3] = { QStringLiteral("100Hz"), QStringLiteral("1kHz"), QStringLiteral("10kHz") };
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(m_gridColor, 1.0));
        painter.drawLine(decadeColumns[i], B, decadeColumns[i], H - B);
        if (m_showFrequencyText) {
            painter.setPen(QPen(m_textColor, 1.0));
            painter.drawText(
                decadeColumns[i] - fm.horizontalAdvance(decadeLabels[i]) / 2, H - B + fm.height(), decadeLabels[i]);
        }
    }
}

void OrvaneEQPanel::paintLevelGrid(QPainter& painter, const EqPlotGeometry& g) const
{
    const int B = g.border;
    const int H = g.height;
    const int left = g.leftMargin + B;
    const int PH = g.plotHeight();
    const int Hm = H / 2;
    // Outside 1-36 the grid has no whole positive step, so only the 0 dB line is drawn.
    if (m_verticalGridAtdB >= 1 && m_verticalGridAtdB <= 36) {
        const int step = 36 / m_verticalGridAtdB;
        painter.setPen(QPen(m_gridColor, 1.0));
        for (int k = 1; k <= 3; ++k) {
            painter.drawLine(left, Hm + k * PH / step, g.width - B, Hm + k * PH / step);
            painter.drawLine(left, Hm - k * PH / step, g.width - B, Hm - k * PH / step);
        }
    }
    painter.setPen(QPen(m_axisColor, 1.0));
    painter.drawLine(left, Hm, g.width - B, Hm);
    if (!m_showGainText)
        return;

    painter.setPen(QPen(m_textColor, 1.0));
    const QFontMetrics fm(font());
    const int third = (Hm - B) / 3;
    const struct
    {
        const char* text;
        int row;
    } labels[] = { { "+18dB", B }, { "+12dB", B + third }, { "+6dB", B + 2 * (Hm - B) / 3 }, { "0dB", Hm },
        { "-6dB", (H - B) - 2 * (Hm - B) / 3 }, { "-12dB", (H - B) - third }, { "-18dB", H - B } };
    for (const auto& label : labels) {
        const QString text = QString::fromLatin1(label.text);
        painter.drawText(left - fm.horizontalAdvance(text) - 2, label.row + (fm.height() / 2 - fm.descent()), text);
    }
}

void OrvaneEQPanel::paintCurve(QPainter& painter, const EqPlotGeometry& g) const
{
    const int B = g.border;
    const int left = g.leftMargin + B;
    if (m_eqOn) {
        painter.setPen(QPen(m_activeCurveColor, m_activeCurveWidth));
        painter.setBrush(QBrush(m_activeCurveFillColor));
    } else {
        painter.setPen(QPen(m_inactiveCurveColor, m_inactiveCurveWidth));
        painter.setBrush(QBrush(m_inactiveCurveFillColor));
    }
    if (m_nrOfPoints > 0)
        painter.drawPolygon(m_response.constData(), m_nrOfPoints, Qt::OddEvenFill);

    // The frequency axis and its first label go over the curve's fill.
    painter.setPen(QPen(m_axisColor, 1.0));
    painter.drawLine(left, B, left, g.height - B);
    if (m_showFrequencyText) {
        const QFontMetrics fm(font());
        painter.setPen(QPen(m_textColor, 1.0));
        const QString text = QStringLiteral("10Hz");
        painter.drawText(left - fm.horizontalAdvance(text) / 2, g.height - B + fm.height(), text);
    }
}

void OrvaneEQPanel::paintAnchors(QPainter& painter, const EqPlotGeometry& g) const
{
    const int A = m_anchorSize;
    for (int i = EqCurveModel::BandCount - 1; i >= 0; --i) {
        if (m_type[i] == EQ_FLAT)
            continue;
        painter.setPen(QPen(m_anchorColor[i], 1.0));
        painter.setBrush(QBrush(m_anchorColor[i]));
        const int x = columnOf(m_frequency[i], g, g.decades());
        const int y = EqCurveModel::rowOfLevel(g, 18.0 + m_gain[i]);
        painter.drawEllipse(QRect(QPoint(x - A, y - A), QPoint(x + A - 1, y + A - 1)));
    }
}
