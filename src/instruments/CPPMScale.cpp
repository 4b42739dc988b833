#include "CPPMScale.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPointF>

#include <cmath>

namespace {

// Same curve as the meter: p = 10^((dB + offset) / divisor).
constexpr double kCurveOffset = 0.0;
constexpr double kCurveDivisor = 80.0;
// Between the end of a long tick and its label.
constexpr int LabelGap = 2;

double curvePower(double dB)
{
    return std::pow(10.0, (dB + kCurveOffset) / kCurveDivisor);
}

} // namespace

CPPMScale::CPPMScale(QWidget* parent)
    : QWidget(parent)
{
    m_minPower = curvePower(m_bottomdB);
    m_powerSpan = curvePower(m_topdB) - m_minPower;

    m_marks.insert(-50.0, QStringLiteral("-50"));
    m_marks.insert(-40.0, QStringLiteral("-40"));
    m_marks.insert(-30.0, QStringLiteral("-30"));
    m_marks.insert(-25.0, QStringLiteral("-25"));
    m_marks.insert(-20.0, QStringLiteral("-20"));
    m_marks.insert(-15.0, QStringLiteral("-15"));
    m_marks.insert(-10.0, QStringLiteral("-10"));
    m_marks.insert(-8.0, QString());
    m_marks.insert(-7.0, QString());
    m_marks.insert(-6.0, QStringLiteral("-6"));
    m_marks.insert(-5.0, QString());
    m_marks.insert(-4.0, QString());
    m_marks.insert(-3.0, QStringLiteral("-3"));
    m_marks.insert(-2.0, QString());
    m_marks.insert(-1.0, QString());
    m_marks.insert(0.0, QStringLiteral("0"));
    m_marks.insert(1.0, QString());
    m_marks.insert(2.0, QString());
    m_marks.insert(3.0, QString());
    m_marks.insert(4.0, QString());
    m_marks.insert(5.0, QStringLiteral("+5"));
}

int CPPMScale::dBToY(double dB) const
{
    const int h = height();
    return h - static_cast<int>((curvePower(dB) - m_minPower) * h / m_powerSpan);
}

QString CPPMScale::markLabel(double dB) const
{
    return m_marks.value(dB);
}

QFont CPPMScale::labelFont() const
{
    return QFont(QStringLiteral("Arial"), 7, QFont::Normal, false);
}

CPPMScale::LabelColumn CPPMScale::labelColumn() const
{
    const QFontMetricsF metrics(labelFont(), this);
    qreal widest = 0.0;
    for (const QString& label : m_marks)
        widest = qMax(widest, metrics.horizontalAdvance(label));
    // Long ticks a third of the width where the labels leave room, down to a quarter; still longer
    // than the unlabelled ticks (a sixth).
    const int w = width();
    int tickLength = w / 3;
    if (tickLength + LabelGap + widest > w)
        tickLength = qMax(w / 4, static_cast<int>(std::floor(w - LabelGap - widest)));
    const int left = tickLength + LabelGap;
    const double squeeze = widest > w - left ? qMax(0.0, (w - left) / widest) : 1.0;
    return { tickLength, left, squeeze };
}

void CPPMScale::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QBrush(Qt::black, Qt::SolidPattern), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));

    const QFont font = labelFont();
    painter.setFont(font);
    const int third = QFontMetrics(font, this).height() / 3;
    const LabelColumn column = labelColumn();

    // Red band above 0 dB over the tick column.
    const int y0 = dBToY(0.0);
    if (y0 > 0 && column.tickLength > 0)
        painter.fillRect(QRect(0, 0, column.tickLength, y0), Qt::red);

    for (auto it = m_marks.cbegin(); it != m_marks.cend(); ++it)
        drawMark(painter, it.key(), it.value(), third, column);
}

void CPPMScale::drawMark(QPainter& painter, double dB, const QString& label, int third, const LabelColumn& column)
{
    const int tickLong = column.tickLength;
    const int y = dBToY(dB);
    if (label.isEmpty()) {
        painter.drawLine(QPointF(0, y), QPointF(width() / 6, y));
    } else if (dB == m_bottomdB) {
        // Lifted off the bottom edge so the whole tick and its label stay visible.
        painter.drawLine(QPointF(0, y - 2), QPointF(tickLong, y - 2));
        drawLabel(painter, label, height(), column);
    } else if (dB == m_topdB) {
        painter.drawLine(QPointF(0, y), QPointF(tickLong, y));
        drawLabel(painter, label, 2 * third, column);
    } else {
        painter.drawLine(QPointF(0, y), QPointF(tickLong, y));
        drawLabel(painter, label, y + third, column);
    }
}

void CPPMScale::drawLabel(QPainter& painter, const QString& label, int y, const LabelColumn& column)
{
    if (column.squeeze <= 0.0)
        return;
    // Right-aligned, so that the digits of every label stand in the same columns.
    const qreal room = (width() - column.left) / column.squeeze;
    const qreal x = room - QFontMetricsF(painter.font(), this).horizontalAdvance(label);
    painter.save();
    painter.translate(column.left, 0);
    painter.scale(column.squeeze, 1.0);
    painter.drawText(QPointF(qMax<qreal>(0.0, x), y), label);
    painter.restore();
}
