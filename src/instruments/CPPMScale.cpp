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

    m_marks.insert(-50.0, QStringLiteral("50"));
    m_marks.insert(-40.0, QStringLiteral("40"));
    m_marks.insert(-30.0, QStringLiteral("30"));
    m_marks.insert(-25.0, QStringLiteral("25"));
    m_marks.insert(-20.0, QStringLiteral("20"));
    m_marks.insert(-15.0, QStringLiteral("15"));
    m_marks.insert(-10.0, QStringLiteral("10"));
    m_marks.insert(-8.0, QString());
    m_marks.insert(-7.0, QString());
    m_marks.insert(-6.0, QStringLiteral(" 6"));
    m_marks.insert(-5.0, QString());
    m_marks.insert(-4.0, QString());
    m_marks.insert(-3.0, QStringLiteral(" 3"));
    m_marks.insert(-2.0, QString());
    m_marks.insert(-1.0, QString());
    m_marks.insert(0.0, QStringLiteral(" 0"));
    m_marks.insert(1.0, QString());
    m_marks.insert(2.0, QString());
    m_marks.insert(3.0, QString());
    m_marks.insert(4.0, QString());
    m_marks.insert(5.0, QStringLiteral(" 5"));
}

int CPPMScale::dBToY(double dB) const
{
    const int h = height();
    return h - static_cast<int>((curvePower(dB) - m_minPower) * h / m_powerSpan);
}

void CPPMScale::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QBrush(Qt::black, Qt::SolidPattern), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));

    QFont font(QStringLiteral("Arial"), 7, QFont::Normal, false);
    painter.setFont(font);
    const int third = QFontMetrics(font, this).height() / 3;

    const int tickLong = width() / 3;

    // Red band above 0 dB over the tick column.
    const int y0 = dBToY(0.0);
    if (y0 > 0 && tickLong > 0)
        painter.fillRect(QRect(0, 0, tickLong, y0), Qt::red);

    for (auto it = m_marks.cbegin(); it != m_marks.cend(); ++it)
        drawMark(painter, it.key(), it.value(), third);
}

void CPPMScale::drawMark(QPainter& painter, double dB, const QString& label, int third)
{
    const int tickLong = width() / 3;
    const int labelX = tickLong + 2;
    const int y = dBToY(dB);
    if (label.isEmpty()) {
        painter.drawLine(QPointF(0, y), QPointF(width() / 6, y));
    } else if (dB == m_bottomdB) {
        // Lifted off the bottom edge so the whole tick and its label stay visible.
        painter.drawLine(QPointF(0, y - 2), QPointF(tickLong, y - 2));
        painter.drawText(QPointF(labelX, height()), label);
    } else if (dB == m_topdB) {
        painter.drawLine(QPointF(0, y), QPointF(tickLong, y));
        painter.drawText(QPointF(labelX, 2 * third), label);
    } else {
        painter.drawLine(QPointF(0, y), QPointF(tickLong, y));
        painter.drawText(QPointF(labelX, y + third), label);
    }
}
