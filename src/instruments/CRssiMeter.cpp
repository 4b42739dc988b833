#include "CRssiMeter.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int BarCount = 5;
constexpr int NoMeasurement = 99;

} // namespace

CRssiMeter::CRssiMeter(QWidget* parent)
    : QWidget(parent)
{
    setMinimumWidth(30);
}

void CRssiMeter::setValue(int rssi, int dbm)
{
    m_rssi = rssi;
    setToolTip(tr("%1 dBm").arg(dbm));
    update();
}

void CRssiMeter::paintEvent(QPaintEvent* /*event*/)
{
    if (m_rssi == NoMeasurement)
        m_rssi = 0;
    const int percent = m_rssi * 100 / m_fullScale;

    // Bar k rises k fifths of the height from the bottom; the tallest ends a row above the
    // bottom, so that the lower edge of its outline stays inside the widget.
    const int w = width() / BarCount;
    const int h = height();
    const QRect bars[BarCount] = {
        QRect(0, int(0.8 * h), w, int(0.2 * h)),
        QRect(w, int(0.6 * h), w, int(0.4 * h)),
        QRect(2 * w, int(0.4 * h), w, int(0.6 * h)),
        QRect(3 * w, int(0.2 * h), w, int(0.8 * h)),
        QRect(4 * w, 0, w, h - 1),
    };

    QPainter painter(this);
    for (const QRect& bar : bars)
        painter.fillRect(bar, QColor(QStringLiteral("#005000")));
    // A bar lights once the level passes its lower fifth.
    for (int k = 0; k < BarCount && percent > 20 * k; ++k)
        painter.fillRect(bars[k], Qt::green);
    for (const QRect& bar : bars)
        painter.drawRect(bar);
}

void CRssiMeter::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}
