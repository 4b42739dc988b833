#ifndef ORVANEEQPANEL_H
#define ORVANEEQPANEL_H

#include "EqCurveModel.h"

#include <QColor>
#include <QPoint>
#include <QVector>
#include <QWidget>

#include <array>

class QPainter;
class QPaintEvent;
class QResizeEvent;

// Draws the response of a six-band equaliser (plus a separate low-cut section) on a
// logarithmic frequency axis with a +-18 dB range. It models the response for display only;
// the sections are redesigned when a band changes and the curve is kept as pixel points, so
// painting never does filter arithmetic.
class OrvaneEQPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor BackgroundColor READ BackgroundColor WRITE setBackgroundColor DESIGNABLE true)
    Q_PROPERTY(QColor AxisColor READ AxisColor WRITE setAxisColor DESIGNABLE true)
    Q_PROPERTY(QColor GridColor READ GridColor WRITE setGridColor DESIGNABLE true)
    Q_PROPERTY(QColor LogGridColor READ LogGridColor WRITE setLogGridColor DESIGNABLE true)
    Q_PROPERTY(QColor TextColor READ TextColor WRITE setTextColor DESIGNABLE true)
    Q_PROPERTY(int VerticalGridAtdB READ VerticalGridAtdB WRITE setVerticalGridAtdB DESIGNABLE true)
    Q_PROPERTY(int AnchorSize READ AnchorSize WRITE setAnchorSize DESIGNABLE true)
    Q_PROPERTY(int FrequencyLowCut READ FrequencyLowCut WRITE setFrequencyLowCut DESIGNABLE true)
    Q_PROPERTY(bool LCOn READ LCOn WRITE setLCOn DESIGNABLE true)
    Q_PROPERTY(double GainBand1 READ GainBand1 WRITE setGainBand1 DESIGNABLE true)
    Q_PROPERTY(double GainBand2 READ GainBand2 WRITE setGainBand2 DESIGNABLE true)
    Q_PROPERTY(double GainBand3 READ GainBand3 WRITE setGainBand3 DESIGNABLE true)
    Q_PROPERTY(double GainBand4 READ GainBand4 WRITE setGainBand4 DESIGNABLE true)
    Q_PROPERTY(double GainBand5 READ GainBand5 WRITE setGainBand5 DESIGNABLE true)
    Q_PROPERTY(double GainBand6 READ GainBand6 WRITE setGainBand6 DESIGNABLE true)
    Q_PROPERTY(int FrequencyBand1 READ FrequencyBand1 WRITE setFrequencyBand1 DESIGNABLE true)
    Q_PROPERTY(int FrequencyBand2 READ FrequencyBand2 WRITE setFrequencyBand2 DESIGNABLE true)
    Q_PROPERTY(int FrequencyBand3 READ FrequencyBand3 WRITE setFrequencyBand3 DESIGNABLE true)
    Q_PROPERTY(int FrequencyBand4 READ FrequencyBand4 WRITE setFrequencyBand4 DESIGNABLE true)
    Q_PROPERTY(int FrequencyBand5 READ FrequencyBand5 WRITE setFrequencyBand5 DESIGNABLE true)
    Q_PROPERTY(int FrequencyBand6 READ FrequencyBand6 WRITE setFrequencyBand6 DESIGNABLE true)
    Q_PROPERTY(double BandwidthBand1 READ BandwidthBand1 WRITE setBandwidthBand1 DESIGNABLE true)
    Q_PROPERTY(double BandwidthBand2 READ BandwidthBand2 WRITE setBandwidthBand2 DESIGNABLE true)
    Q_PROPERTY(double BandwidthBand3 READ BandwidthBand3 WRITE setBandwidthBand3 DESIGNABLE true)
    Q_PROPERTY(double BandwidthBand4 READ BandwidthBand4 WRITE setBandwidthBand4 DESIGNABLE true)
    Q_PROPERTY(double BandwidthBand5 READ BandwidthBand5 WRITE setBandwidthBand5 DESIGNABLE true)
    Q_PROPERTY(double BandwidthBand6 READ BandwidthBand6 WRITE setBandwidthBand6 DESIGNABLE true)
    Q_PROPERTY(int NrOfPoints READ NrOfPoints WRITE setNrOfPoints DESIGNABLE true)
    Q_PROPERTY(int AxisBorderWidth READ AxisBorderWidth WRITE setAxisBorderWidth DESIGNABLE true)
    Q_PROPERTY(int AxisLeftMargin READ AxisLeftMargin WRITE setAxisLeftMargin DESIGNABLE true)
    Q_PROPERTY(QColor ActiveCurveColor READ ActiveCurveColor WRITE setActiveCurveColor DESIGNABLE true)
    Q_PROPERTY(int ActiveCurveWidth READ ActiveCurveWidth WRITE setActiveCurveWidth DESIGNABLE true)
    Q_PROPERTY(QColor ActiveCurveFillColor READ ActiveCurveFillColor WRITE setActiveCurveFillColor DESIGNABLE true)
    Q_PROPERTY(QColor InactiveCurveColor READ InactiveCurveColor WRITE setInactiveCurveColor DESIGNABLE true)
    Q_PROPERTY(int InactiveCurveWidth READ InactiveCurveWidth WRITE setInactiveCurveWidth DESIGNABLE true)
    Q_PROPERTY(
        QColor InactiveCurveFillColor READ InactiveCurveFillColor WRITE setInactiveCurveFillColor DESIGNABLE true)
    Q_PROPERTY(QColor AnchorBand1Color READ AnchorBand1Color WRITE setAnchorBand1Color DESIGNABLE true)
    Q_PROPERTY(QColor AnchorBand2Color READ AnchorBand2Color WRITE setAnchorBand2Color DESIGNABLE true)
    Q_PROPERTY(QColor AnchorBand3Color READ AnchorBand3Color WRITE setAnchorBand3Color DESIGNABLE true)
    Q_PROPERTY(QColor AnchorBand4Color READ AnchorBand4Color WRITE setAnchorBand4Color DESIGNABLE true)
    Q_PROPERTY(QColor AnchorBand5Color READ AnchorBand5Color WRITE setAnchorBand5Color DESIGNABLE true)
    Q_PROPERTY(QColor AnchorBand6Color READ AnchorBand6Color WRITE setAnchorBand6Color DESIGNABLE true)
    Q_PROPERTY(bool DrawAnchors READ DrawAnchors WRITE setDrawAnchors DESIGNABLE true)
    Q_PROPERTY(int TypeBand1 READ TypeBand1 WRITE setTypeBand1 DESIGNABLE true)
    Q_PROPERTY(int TypeBand2 READ TypeBand2 WRITE setTypeBand2 DESIGNABLE true)
    Q_PROPERTY(int TypeBand3 READ TypeBand3 WRITE setTypeBand3 DESIGNABLE true)
    Q_PROPERTY(int TypeBand4 READ TypeBand4 WRITE setTypeBand4 DESIGNABLE true)
    Q_PROPERTY(int TypeBand5 READ TypeBand5 WRITE setTypeBand5 DESIGNABLE true)
    Q_PROPERTY(int TypeBand6 READ TypeBand6 WRITE setTypeBand6 DESIGNABLE true)
    Q_PROPERTY(int Samplerate READ Samplerate WRITE setSamplerate DESIGNABLE true)
    Q_PROPERTY(double NequistDivide READ NequistDivide WRITE setNequistDivide DESIGNABLE true)
    Q_PROPERTY(int AnchorPickupSize READ AnchorPickupSize WRITE setAnchorPickupSize DESIGNABLE true)
    Q_PROPERTY(bool LogGrid READ LogGrid WRITE setLogGrid DESIGNABLE true)
    Q_PROPERTY(bool EQOn READ EQOn WRITE setEQOn DESIGNABLE true)
    Q_PROPERTY(bool OnBand1 READ OnBand1 WRITE setOnBand1 DESIGNABLE true)
    Q_PROPERTY(bool OnBand2 READ OnBand2 WRITE setOnBand2 DESIGNABLE true)
    Q_PROPERTY(bool OnBand3 READ OnBand3 WRITE setOnBand3 DESIGNABLE true)
    Q_PROPERTY(bool OnBand4 READ OnBand4 WRITE setOnBand4 DESIGNABLE true)
    Q_PROPERTY(bool OnBand5 READ OnBand5 WRITE setOnBand5 DESIGNABLE true)
    Q_PROPERTY(bool OnBand6 READ OnBand6 WRITE setOnBand6 DESIGNABLE true)
    Q_PROPERTY(bool ShowFrequencyText READ ShowFrequencyText WRITE setShowFrequencyText DESIGNABLE true)
    Q_PROPERTY(bool ShowGainText READ ShowGainText WRITE setShowGainText DESIGNABLE true)
    Q_PROPERTY(double SlopeBand1 READ SlopeBand1 WRITE setSlopeBand1 DESIGNABLE true)
    Q_PROPERTY(double SlopeBand2 READ SlopeBand2 WRITE setSlopeBand2 DESIGNABLE true)
    Q_PROPERTY(double SlopeBand3 READ SlopeBand3 WRITE setSlopeBand3 DESIGNABLE true)
    Q_PROPERTY(double SlopeBand4 READ SlopeBand4 WRITE setSlopeBand4 DESIGNABLE true)
    Q_PROPERTY(double SlopeBand5 READ SlopeBand5 WRITE setSlopeBand5 DESIGNABLE true)
    Q_PROPERTY(double SlopeBand6 READ SlopeBand6 WRITE setSlopeBand6 DESIGNABLE true)

public:
    explicit OrvaneEQPanel(QWidget* parent = nullptr);

    QColor BackgroundColor() const { return m_backgroundColor; }
    QColor AxisColor() const { return m_axisColor; }
    QColor GridColor() const { return m_gridColor; }
    QColor LogGridColor() const { return m_logGridColor; }
    QColor TextColor() const { return m_textColor; }
    int VerticalGridAtdB() const { return m_verticalGridAtdB; }
    int AnchorSize() const { return m_anchorSize; }
    int FrequencyLowCut() const { return m_frequencyLowCut; }
    bool LCOn() const { return m_lcOn; }
    double GainBand1() const { return m_gain[0]; }
    double GainBand2() const { return m_gain[1]; }
    double GainBand3() const { return m_gain[2]; }
    double GainBand4() const { return m_gain[3]; }
    double GainBand5() const { return m_gain[4]; }
    double GainBand6() const { return m_gain[5]; }
    int FrequencyBand1() const { return m_frequency[0]; }
    int FrequencyBand2() const { return m_frequency[1]; }
    int FrequencyBand3() const { return m_frequency[2]; }
    int FrequencyBand4() const { return m_frequency[3]; }
    int FrequencyBand5() const { return m_frequency[4]; }
    int FrequencyBand6() const { return m_frequency[5]; }
    double BandwidthBand1() const { return m_bandwidth[0]; }
    double BandwidthBand2() const { return m_bandwidth[1]; }
    double BandwidthBand3() const { return m_bandwidth[2]; }
    double BandwidthBand4() const { return m_bandwidth[3]; }
    double BandwidthBand5() const { return m_bandwidth[4]; }
    double BandwidthBand6() const { return m_bandwidth[5]; }
    int NrOfPoints() const { return m_nrOfPoints; }
    int AxisBorderWidth() const { return m_axisBorderWidth; }
    int AxisLeftMargin() const { return m_axisLeftMargin; }
    QColor ActiveCurveColor() const { return m_activeCurveColor; }
    int ActiveCurveWidth() const { return m_activeCurveWidth; }
    QColor ActiveCurveFillColor() const { return m_activeCurveFillColor; }
    QColor InactiveCurveColor() const { return m_inactiveCurveColor; }
    int InactiveCurveWidth() const { return m_inactiveCurveWidth; }
    QColor InactiveCurveFillColor() const { return m_inactiveCurveFillColor; }
    QColor AnchorBand1Color() const { return m_anchorColor[0]; }
    QColor AnchorBand2Color() const { return m_anchorColor[1]; }
    QColor AnchorBand3Color() const { return m_anchorColor[2]; }
    QColor AnchorBand4Color() const { return m_anchorColor[3]; }
    QColor AnchorBand5Color() const { return m_anchorColor[4]; }
    QColor AnchorBand6Color() const { return m_anchorColor[5]; }
    bool DrawAnchors() const { return m_drawAnchors; }
    int TypeBand1() const { return m_type[0]; }
    int TypeBand2() const { return m_type[1]; }
    int TypeBand3() const { return m_type[2]; }
    int TypeBand4() const { return m_type[3]; }
    int TypeBand5() const { return m_type[4]; }
    int TypeBand6() const { return m_type[5]; }
    int Samplerate() const { return m_samplerate; }
    double NequistDivide() const { return m_nequistDivide; }
    int AnchorPickupSize() const { return m_anchorPickupSize; }
    bool LogGrid() const { return m_logGrid; }
    bool EQOn() const { return m_eqOn; }
    bool OnBand1() const { return m_on[0]; }
    bool OnBand2() const { return m_on[1]; }
    bool OnBand3() const { return m_on[2]; }
    bool OnBand4() const { return m_on[3]; }
    bool OnBand5() const { return m_on[4]; }
    bool OnBand6() const { return m_on[5]; }
    bool ShowFrequencyText() const { return m_showFrequencyText; }
    bool ShowGainText() const { return m_showGainText; }
    double SlopeBand1() const { return m_slope[0]; }
    double SlopeBand2() const { return m_slope[1]; }
    double SlopeBand3() const { return m_slope[2]; }
    double SlopeBand4() const { return m_slope[3]; }
    double SlopeBand5() const { return m_slope[4]; }
    double SlopeBand6() const { return m_slope[5]; }

    // The points last computed for the whole response and for the low-cut section alone.
    QVector<QPoint> responsePoints() const { return m_response; }
    QVector<QPoint> lowCutPoints() const { return m_lowCut; }
    // Designed data of band 1-6, or of the low-cut section for band 0.
    EqSection section(int band) const;
    // Paints the panel at the widget's current size onto any painter.
    void paintPanel(QPainter& painter) const;

public slots:
    void setBackgroundColor(const QColor& value);
    void setAxisColor(const QColor& value);
    void setGridColor(const QColor& value);
    void setLogGridColor(const QColor& value);
    void setTextColor(const QColor& value);
    void setVerticalGridAtdB(int value);
    void setAnchorSize(int value);
    void setFrequencyLowCut(int value);
    void setLCOn(bool value);
    void setGainBand1(double value);
    void setGainBand2(double value);
    void setGainBand3(double value);
    void setGainBand4(double value);
    void setGainBand5(double value);
    void setGainBand6(double value);
    void setFrequencyBand1(int value);
    void setFrequencyBand2(int value);
    void setFrequencyBand3(int value);
    void setFrequencyBand4(int value);
    void setFrequencyBand5(int value);
    void setFrequencyBand6(int value);
    void setBandwidthBand1(double value);
    void setBandwidthBand2(double value);
    void setBandwidthBand3(double value);
    void setBandwidthBand4(double value);
    void setBandwidthBand5(double value);
    void setBandwidthBand6(double value);
    void setNrOfPoints(int value);
    void setAxisBorderWidth(int value);
    void setAxisLeftMargin(int value);
    void setActiveCurveColor(const QColor& value);
    void setActiveCurveWidth(int value);
    void setActiveCurveFillColor(const QColor& value);
    void setInactiveCurveColor(const QColor& value);
    void setInactiveCurveWidth(int value);
    void setInactiveCurveFillColor(const QColor& value);
    void setAnchorBand1Color(const QColor& value);
    void setAnchorBand2Color(const QColor& value);
    void setAnchorBand3Color(const QColor& value);
    void setAnchorBand4Color(const QColor& value);
    void setAnchorBand5Color(const QColor& value);
    void setAnchorBand6Color(const QColor& value);
    void setDrawAnchors(bool value);
    void setTypeBand1(int value);
    void setTypeBand2(int value);
    void setTypeBand3(int value);
    void setTypeBand4(int value);
    void setTypeBand5(int value);
    void setTypeBand6(int value);
    void setSamplerate(int value);
    void setNequistDivide(double value);
    void setAnchorPickupSize(int value);
    void setLogGrid(bool value);
    void setEQOn(bool value);
    void setOnBand1(bool value);
    void setOnBand2(bool value);
    void setOnBand3(bool value);
    void setOnBand4(bool value);
    void setOnBand5(bool value);
    void setOnBand6(bool value);
    void setShowFrequencyText(bool value);
    void setShowGainText(bool value);
    void setSlopeBand1(double value);
    void setSlopeBand2(double value);
    void setSlopeBand3(double value);
    void setSlopeBand4(double value);
    void setSlopeBand5(double value);
    void setSlopeBand6(double value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    EqPlotGeometry geometryNow() const;
    void paintLogGrid(QPainter& painter, const EqPlotGeometry& g) const;
    void paintFrequencyGrid(QPainter& painter, const EqPlotGeometry& g) const;
    void paintLevelGrid(QPainter& painter, const EqPlotGeometry& g) const;
    void paintCurve(QPainter& painter, const EqPlotGeometry& g) const;
    void paintAnchors(QPainter& painter, const EqPlotGeometry& g) const;
    void recomputeBand(int index);
    void recomputeLowCut();
    void recomputeResponse();
    void combineResponse();
    // Makes the response frequencies fit the axis again; true when they (and so every band's
    // magnitudes) had to be recomputed.
    bool refreshFrequencies();
    void recomputeLowCutCurve();

    QColor m_backgroundColor;
    QColor m_axisColor;
    QColor m_gridColor;
    QColor m_logGridColor;
    QColor m_textColor;
    int m_verticalGridAtdB = 6;
    int m_anchorSize = 3;
    int m_frequencyLowCut = 80;
    bool m_lcOn = false;
    std::array<double, EqCurveModel::BandCount> m_gain {};
    std::array<int, EqCurveModel::BandCount> m_frequency {};
    std::array<double, EqCurveModel::BandCount> m_bandwidth {};
    int m_nrOfPoints = EqCurveModel::MaxPoints;
    int m_axisBorderWidth = 20;
    int m_axisLeftMargin = 20;
    QColor m_activeCurveColor;
    int m_activeCurveWidth = 1;
    QColor m_activeCurveFillColor;
    QColor m_inactiveCurveColor;
    int m_inactiveCurveWidth = 1;
    QColor m_inactiveCurveFillColor;
    std::array<QColor, EqCurveModel::BandCount> m_anchorColor;
    bool m_drawAnchors = true;
    std::array<int, EqCurveModel::BandCount> m_type {};
    int m_samplerate = 48000;
    double m_nequistDivide = 2.04;
    int m_anchorPickupSize = 6;
    bool m_logGrid = true;
    bool m_eqOn = true;
    std::array<bool, EqCurveModel::BandCount> m_on {};
    bool m_showFrequencyText = true;
    bool m_showGainText = true;
    std::array<double, EqCurveModel::BandCount> m_slope {};

    EqSection m_lowCutSection;
    std::array<EqSection, EqCurveModel::BandCount> m_sections;
    // What the response frequencies were computed for.
    struct FrequencyAxis
    {
        int samplerate = 0;
        double nyquistDivide = 0.0;
        int nrOfPoints = 0;
    };
    FrequencyAxis m_axis;
    bool m_axisValid = false;
    QVector<double> m_frequencies;
    std::array<QVector<double>, EqCurveModel::BandCount> m_magnitudes;
    QVector<QPoint> m_response;
    QVector<QPoint> m_lowCut;
};

#endif // ORVANEEQPANEL_H
