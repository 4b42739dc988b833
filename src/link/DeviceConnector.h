#ifndef DEVICECONNECTOR_H
#define DEVICECONNECTOR_H

#include <QObject>

class CUSBHID;
class HidBackend;
class QTimer;
class QWidget;

// How the program finds a hybrid to open: by hand (the one attached, or the operator's choice
// among several) or by itself, looking every 100 ms while none is open; and what it asks a
// hybrid at every connection.
class DeviceConnector : public QObject
{
    Q_OBJECT

public:
    static constexpr int AutoConnectIntervalMs = 100;

    // The selection dialog, when there is a choice to make, is shown over dialogParent.
    DeviceConnector(HidBackend* backend, CUSBHID* link, QWidget* dialogParent);

    // Opens the one attached hybrid; with several attached, opens the one the operator picks.
    void connectNow();
    void setAutoConnect(bool on);
    // The read requests every connection starts with, queued on the link in their order.
    void requestUnitState();

public slots:
    void onAutoConnectTimeout();

private:
    HidBackend* m_backend;
    CUSBHID* m_link;
    QWidget* m_dialogParent;
    QTimer* m_timer;
    bool m_selecting = false;
};

#endif // DEVICECONNECTOR_H
