#ifndef CPPMSCALE_H
#define CPPMSCALE_H

#include <QMap>
#include <QString>
#include <QWidget>

class QPaintEvent;
class QPainter;

// dB scale drawn beside an OrvanePPMMeter: ticks and labels on the same DIN
// curve as the meter, with a red band over the range above 0 dB. The labels carry their signs
// ("-20", "0", "+5"); on a scale too narrow for them the long ticks give way, and only then are
// the labels drawn narrower.
class CPPMScale : public QWidget
{
    Q_OBJECT

public:
    explicit CPPMScale(QWidget* parent = nullptr);

    // Pixel row (from the top) of a level for the current height.
    int dBToY(double dB) const;
    // The label of the mark at dB; empty for an unlabelled mark or none.
    QString markLabel(double dB) const;
    // Where the labels go at the current width: the long ticks' length, the labels' left edge
    // and how much narrower than their font the labels are drawn (1.0: not at all).
    struct LabelColumn
    {
        int tickLength;
        int left;
        double squeeze;
    };
    LabelColumn labelColumn() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // One tick of the scale, with its label when it has one.
    void drawMark(QPainter& painter, double dB, const QString& label, int third, const LabelColumn& column);
    // Draws a label right-aligned in the label column, its baseline at y.
    void drawLabel(QPainter& painter, const QString& label, int y, const LabelColumn& column);
    QFont labelFont() const;

    const double m_bottomdB = -50.0;
    const double m_topdB = 5.0;
    double m_minPower = 0.0;  // 10^(bottom/80)
    double m_powerSpan = 0.0; // 10^(top/80) - 10^(bottom/80)

    // dB value -> label; an empty label makes a short unlabelled tick.
    QMap<double, QString> m_marks;
};

#endif // CPPMSCALE_H
