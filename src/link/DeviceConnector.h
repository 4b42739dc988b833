#ifndef DEVICECONNECTOR_H
#define DEVICECONNECTOR_H

#include <QObject>

class CUSBHID;
class HidBackend;
class QTimer;
class QWidget;

// How the program finds a hybrid to open: by hand (the one attached, or the operator's choice
// among several) or by itself while none is open; and what it asks a hybrid at every connection.
// The search lists the devices every 100 ms. When the backend announces arrivals, it does so
// only for a second after the search starts or a device may have arrived, and otherwise lists
// them every few seconds, in case an announcement was missed.
class DeviceConnector : public QObject
{
    Q_OBJECT

public:
    static constexpr int AutoConnectIntervalMs = 100;
    // Listings at the full pace after a search starts or an arrival is announced.
    static constexpr int FastScans = 10;
    static constexpr int FallbackScanMs = 3000;

    // The selection dialog, when there is a choice to make, is shown over dialogParent.
    DeviceConnector(HidBackend* backend, CUSBHID* link, QWidget* dialogParent);

    // Opens the one attached hybrid; with several attached, opens the one the operator picks.
    void connectNow();
    void setAutoConnect(bool on);
    // Opens only the hybrid with this serial number from now on (another program may control
    // the others); empty for any.
    void setUnit(const QString& serial) { m_unit = serial; }
    QString unit() const { return m_unit; }
    // The read requests every connection starts with, queued on the link in their order.
    void requestUnitState();

public slots:
    void onAutoConnectTimeout();

private:
    // Searches from now on, first listing after firstScanMs.
    void search(int firstScanMs);
    void onLinkDisconnected();
    void onArrival();

    HidBackend* m_backend;
    CUSBHID* m_link;
    QWidget* m_dialogParent;
    QTimer* m_timer;
    QString m_unit;
    bool m_autoConnect = false;
    bool m_arrivalsAnnounced = false;
    int m_fastScansLeft = 0;
    bool m_selecting = false;
};

#endif // DEVICECONNECTOR_H
