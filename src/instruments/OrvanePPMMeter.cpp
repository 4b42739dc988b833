#include "OrvanePPMMeter.h"

#include <QLinearGradient>
#include <QMetaType>
#include <QPaintEvent>
#include <QPainter>
#include <QRect>
#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// DIN curve constants: p = 10^((dB + offset) / divisor).
constexpr double kCurveOffset = 0.0;
constexpr double kCurveDivisor = 80.0;

// Below this both the level and the target count as silence for the release.
constexpr double kReleaseFloor = -50.0;

double curvePower(double dB)
{
    return std::pow(10.0, (dB + kCurveOffset) / kCurveDivisor);
}

// A pixel count truncated toward zero and kept within 0..limit, so that odd ranges (a span of
// zero, a level far outside it) never turn an infinity or NaN into an int.
int toPixels(double value, int limit)
{
    if (!(value > 0.0))
        return 0;
    return value >= limit ? limit : static_cast<int>(value);
}

// Fills rows first..last (inclusive, from the top) across the full width.
void fillRows(QPainter& painter, int width, int first, int last, const QBrush& brush)
{
    if (last < first)
        return;
    painter.fillRect(QRect(0, first, width, last - first + 1), brush);
}

} // namespace

OrvanePPMMeter::OrvanePPMMeter(QWidget* parent)
    : QWidget(parent)
{
    // Lets queued and string-based connections name the slot's argument type.
    qRegisterMetaType<double_db>("double_db");

    recomputeCurve();

    setWindowTitle(tr("PPM Meter"));
    resize(16, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_backgroundImage = QImage(backgroundImagePath());
}

void OrvanePPMMeter::setdBPosition(double_db NewdBPosition)
{
    // Clamping is left to updatePosition() at paint time.
    m_dBPosition = NewdBPosition;
    update();
}

void OrvanePPMMeter::setMindBPosition(double value)
{
    if (value == m_mindBPosition)
        return;
    m_mindBPosition = value;
    recomputeCurve();
    update();
}

void OrvanePPMMeter::setMaxdBPosition(double value)
{
    if (value == m_maxdBPosition)
        return;
    m_maxdBPosition = value;
    recomputeCurve();
    update();
}

void OrvanePPMMeter::setReleasePerSecond(double value)
{
    // Kept for the designer only; the owner's release step does not use it.
    if (value != m_releasePerSecond)
        m_releasePerSecond = value;
}

void OrvanePPMMeter::setDINCurve(bool on)
{
    if (on == m_dinCurve)
        return;
    m_dinCurve = on;
    update();
}

void OrvanePPMMeter::setGradientBackground(bool on)
{
    if (on == m_gradientBackground)
        return;
    m_gradientBackground = on;
    update();
}

void OrvanePPMMeter::setGradientForground(bool on)
{
    if (on == m_gradientForground)
        return;
    m_gradientForground = on;
    update();
}

void OrvanePPMMeter::setMaxColor(QColor color)
{
    m_maxColor = color;
    update();
}

void OrvanePPMMeter::setMinColor(QColor color)
{
    m_minColor = color;
    update();
}

void OrvanePPMMeter::setMaxBackgroundColor(QColor color)
{
    m_maxBackgroundColor = color;
    update();
}

void OrvanePPMMeter::setMinBackgroundColor(QColor color)
{
    m_minBackgroundColor = color;
    update();
}

void OrvanePPMMeter::setSkinEnvironmentVariable(const QString& name)
{
    if (name == m_skinEnvironmentVariable)
        return;
    m_skinEnvironmentVariable = name;
    reloadBackgroundImage();
    update();
}

void OrvanePPMMeter::setPPMMeterBackgroundFileName(const QString& fileName)
{
    if (fileName == m_backgroundFileName)
        return;
    m_backgroundFileName = fileName;
    reloadBackgroundImage();
    update();
}

QString OrvanePPMMeter::backgroundImagePath() const
{
    QString directory;
    const QByteArray variable = m_skinEnvironmentVariable.toLatin1();
    if (!variable.isEmpty())
        directory = qEnvironmentVariable(variable.constData());
    return directory + QLatin1Char('/') + m_backgroundFileName;
}

void OrvanePPMMeter::reloadBackgroundImage()
{
    if (!m_backgroundImage.load(backgroundImagePath()))
        m_backgroundImage = QImage();
}

void OrvanePPMMeter::recomputeCurve()
{
    m_minPower = curvePower(m_mindBPosition);
    m_powerSpan = curvePower(m_maxdBPosition) - m_minPower;
    m_dBSpan = m_maxdBPosition - m_mindBPosition;
}

bool OrvanePPMMeter::updatePosition()
{
    // A level that is not a number (a corrupted report) reads as the floor.
    if (!std::isfinite(m_dBPosition))
        m_dBPosition = m_mindBPosition;
    if (m_mindBPosition > m_dBPosition)
        m_dBPosition = m_mindBPosition;
    if (m_dBPosition > m_maxdBPosition)
        m_dBPosition = m_maxdBPosition;

    m_barHeight = barPixels(m_dBPosition);
    m_zeroRow = barPixels(0.0);

    if (m_barHeight == m_lastBarHeight)
        return false;
    m_lastBarHeight = m_barHeight;
    return true;
}

int OrvanePPMMeter::barPixels(double dB) const
{
    const int h = height();
    if (m_dinCurve)
        return toPixels(h * (curvePower(dB) - m_minPower) / m_powerSpan, h);
    // Both products are cut to whole pixels before the division.
    return toPixels(toPixels(h * (dB - m_mindBPosition), INT_MAX) / m_dBSpan, h);
}

bool OrvanePPMMeter::wouldMoveTo(double level) const
{
    // Levels are clamped into the range as they are when painted; not-a-number is the floor.
    const auto shown = [this](double dB) {
        return std::isfinite(dB) ? qBound(m_mindBPosition, dB, m_maxdBPosition) : m_mindBPosition;
    };
    return barPixels(shown(level)) != barPixels(shown(m_dBPosition));
}

void OrvanePPMMeter::applyRelease(double target, double step)
{
    const bool paintTick = (m_releaseTicks++ & 1u) == 0;
    stepRelease(target, step);
    if (paintTick)
        repaintMoved();
}

bool OrvanePPMMeter::stepRelease(double target, double step)
{
    if (!std::isfinite(target))
        target = kReleaseFloor;
    const double cur = m_dBPosition;
    const double d = static_cast<float>(target - cur);
    const double r = static_cast<float>(step);
    const double change = (cur <= kReleaseFloor && target <= kReleaseFloor) ? 0.0 : (d < -r ? -r : d);
    if (change == 0.0)
        return false;

    // Written directly: a repaint is asked for only for a visible change, and only for the rows
    // between the old and the new top of the bar (a row or two more, for the bar's split at
    // mid-height): everything else looks the same at any level.
    const int before = m_lastBarHeight;
    m_dBPosition = cur + change;
    if (updatePosition()) {
        const int slack = 2;
        m_dirtyTop = qMin(m_dirtyTop, height() - qMax(before, m_barHeight) - slack);
        m_dirtyBottom = qMax(m_dirtyBottom, height() - qMin(before, m_barHeight) + slack);
    }
    return true;
}

void OrvanePPMMeter::repaintMoved()
{
    if (m_dirtyTop > m_dirtyBottom)
        return;
    update(0, m_dirtyTop, width(), m_dirtyBottom - m_dirtyTop);
    m_dirtyTop = INT_MAX;
    m_dirtyBottom = INT_MIN;
}

void OrvanePPMMeter::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)

    updatePosition();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);

    if (!m_backgroundImage.isNull())
        painter.drawImage(0, 0, m_backgroundImage);

    const int mid = static_cast<int>(height() * 0.5 + 0.5);
    paintBackground(painter, mid);
    paintBar(painter, mid);
}

void OrvanePPMMeter::paintBackground(QPainter& painter, int mid)
{
    const int w = width();
    const int h = height();
    if (m_gradientBackground) {
        QLinearGradient gradient(0, mid, 0, 0);
        gradient.setColorAt(0, m_minBackgroundColor);
        gradient.setColorAt(1, m_maxBackgroundColor);
        fillRows(painter, w, mid, 2 * mid - 1, m_minBackgroundColor);
        fillRows(painter, w, 0, mid - 1, gradient);
    } else {
        fillRows(painter, w, h - m_zeroRow, h - 1, m_minBackgroundColor);
        fillRows(painter, w, 0, h - m_zeroRow - 1, m_maxBackgroundColor);
    }
}

void OrvanePPMMeter::paintBar(QPainter& painter, int mid)
{
    // A solid lower part, then the part above mid-height or above 0 dB.
    const int w = width();
    const int h = height();
    const int bar = m_barHeight;
    const int zero = m_zeroRow;
    if (m_gradientForground) {
        QLinearGradient gradient(0, mid, 0, 0);
        gradient.setColorAt(0, m_minColor);
        gradient.setColorAt(1, m_maxColor);
        fillRows(painter, w, h - std::min(bar, mid + 2), h - 1, m_minColor);
        const int excess = bar - mid;
        if (excess >= 1)
            fillRows(painter, w, mid - excess, mid - 1, gradient);
    } else if (bar <= zero) {
        fillRows(painter, w, h - bar, h - 1, m_minColor);
    } else {
        fillRows(painter, w, h - zero, h - 1, m_minColor);
        fillRows(painter, w, h - bar, h - zero - 1, m_maxColor);
    }
}
