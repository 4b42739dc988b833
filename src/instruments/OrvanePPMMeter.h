#ifndef ORVANEPPMMETER_H
#define ORVANEPPMMETER_H

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <climits>

// A level in dB as the meter sees it.
typedef double double_db;

class QPaintEvent;
class QPainter;

// Narrow vertical bar meter for one audio level in dB. The level maps to a bar
// height on the DIN power curve (default) or linearly; the look is driven by
// the properties below so the meter can be styled from a form designer.
// The meter owns no timer: its owner drives the fall-back with applyRelease().
class OrvanePPMMeter : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double dBPosition READ dBPosition WRITE setdBPosition DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(
        double MindBPosition READ MindBPosition WRITE setMindBPosition DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(
        double MaxdBPosition READ MaxdBPosition WRITE setMaxdBPosition DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(double ReleasePerSecond READ ReleasePerSecond WRITE setReleasePerSecond
            DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(bool DINCurve READ DINCurve WRITE setDINCurve DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(bool GradientBackground READ GradientBackground WRITE setGradientBackground
            DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(bool GradientForground READ GradientForground WRITE setGradientForground
            DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(QColor MaxColor READ MaxColor WRITE setMaxColor DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(QColor MinColor READ MinColor WRITE setMinColor DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(QColor MaxBackgroundColor READ MaxBackgroundColor WRITE setMaxBackgroundColor
            DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(QColor MinBackgroundColor READ MinBackgroundColor WRITE setMinBackgroundColor
            DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(QString SkinEnvironmentVariable READ SkinEnvironmentVariable WRITE setSkinEnvironmentVariable
            DESIGNABLE true SCRIPTABLE true STORED true)
    Q_PROPERTY(QString PPMMeterBackgroundFileName READ PPMMeterBackgroundFileName WRITE setPPMMeterBackgroundFileName
            DESIGNABLE true SCRIPTABLE true STORED true)

public:
    explicit OrvanePPMMeter(QWidget* parent = nullptr);

    double dBPosition() const { return m_dBPosition; }
    double MindBPosition() const { return m_mindBPosition; }
    double MaxdBPosition() const { return m_maxdBPosition; }
    double ReleasePerSecond() const { return m_releasePerSecond; }
    bool DINCurve() const { return m_dinCurve; }
    bool GradientBackground() const { return m_gradientBackground; }
    bool GradientForground() const { return m_gradientForground; }
    QColor MaxColor() const { return m_maxColor; }
    QColor MinColor() const { return m_minColor; }
    QColor MaxBackgroundColor() const { return m_maxBackgroundColor; }
    QColor MinBackgroundColor() const { return m_minBackgroundColor; }
    QString SkinEnvironmentVariable() const { return m_skinEnvironmentVariable; }
    QString PPMMeterBackgroundFileName() const { return m_backgroundFileName; }

    void setMindBPosition(double value);
    void setMaxdBPosition(double value);
    void setReleasePerSecond(double value);
    void setDINCurve(bool on);
    void setGradientBackground(bool on);
    void setGradientForground(bool on);

    // Colour writers always repaint, even when the colour is unchanged.
    virtual void setMaxColor(QColor color);
    virtual void setMinColor(QColor color);
    virtual void setMaxBackgroundColor(QColor color);
    virtual void setMinBackgroundColor(QColor color);

    void setSkinEnvironmentVariable(const QString& name);
    void setPPMMeterBackgroundFileName(const QString& fileName);

    // Clamps the level into the range, computes the bar height and the 0 dB row
    // for the current height; true when the bar height changed since last time.
    bool updatePosition();

    // One release tick: a rising level is taken at once, a falling one drops by
    // at most `step` dB. Repaints only when the bar height in pixels changed, and then on
    // every other tick at most (a screen shows 60 frames a second, the tick runs at 100):
    // a move made on an odd tick is painted on the next, even one, which the owner always
    // runs, as it stops ticking only after a tick that moved nothing.
    void applyRelease(double target, double step);

    // One release tick as applyRelease() runs it, without asking for a repaint: the rows that
    // move wait for repaintMoved(). For an owner that redraws once a frame, a few ticks at a time.
    // True when the level changed.
    bool stepRelease(double target, double step);
    // Asks for a repaint of the rows the bar moved over since the last request; nothing when it
    // stood still.
    void repaintMoved();

    // True when going to `level` (at once or by releases) would change the bar's height in
    // pixels; a level that moves by less than a pixel is not worth a tick.
    bool wouldMoveTo(double level) const;

public slots:
    void setdBPosition(double_db NewdBPosition);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void recomputeCurve();
    // The bar height in pixels for a level, at the current size and range.
    int barPixels(double dB) const;
    void paintBackground(QPainter& painter, int mid);
    void paintBar(QPainter& painter, int mid);
    void reloadBackgroundImage();
    // Directory from the skin environment variable + "/" + background file name.
    QString backgroundImagePath() const;

    double m_dBPosition = -50.0;
    double m_mindBPosition = -50.0;
    double m_maxdBPosition = 5.0;
    double m_releasePerSecond = 18.0;
    bool m_dinCurve = true;
    bool m_gradientBackground = true;
    bool m_gradientForground = true;
    QColor m_maxColor { 255, 0, 0 };
    QColor m_minColor { 0, 255, 0 };
    QColor m_maxBackgroundColor { 64, 0, 0 };
    QColor m_minBackgroundColor { 0, 64, 0 };
    QString m_skinEnvironmentVariable;
    QString m_backgroundFileName;

    // Curve terms for the current range, refreshed whenever an end of it moves.
    double m_minPower = 0.0;  // 10^(min/80)
    double m_powerSpan = 0.0; // 10^(max/80) - 10^(min/80)
    double m_dBSpan = 0.0;    // max - min

    int m_barHeight = 0;
    int m_zeroRow = 0; // 0 dB row, counted from the bottom
    int m_lastBarHeight = 0;

    // Release ticks seen, and the rows (from the top) moved since the last repaint request;
    // m_dirtyTop > m_dirtyBottom when nothing waits.
    quint32 m_releaseTicks = 0;
    int m_dirtyTop = INT_MAX;
    int m_dirtyBottom = INT_MIN;

    QImage m_backgroundImage;
};

#endif // ORVANEPPMMETER_H
