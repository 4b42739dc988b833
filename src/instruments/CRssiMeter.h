#ifndef CRSSIMETER_H
#define CRSSIMETER_H

#include <QWidget>

// The five-bar mobile signal indicator of the status bar. It shows the module's raw signal
// quality (+CSQ rssi, 0 to 31, 99 for no measurement) as bars and the level in dBm as tool tip.
class CRssiMeter : public QWidget
{
    Q_OBJECT

public:
    explicit CRssiMeter(QWidget* parent = nullptr);

public slots:
    void setValue(int rssi, int dbm);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Swallowed, so that moving over the meter does not reach the status bar.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int m_fullScale = 31;
    int m_rssi = 0;
};

#endif // CRSSIMETER_H
