#include "DeviceConnector.h"

#include "CUSBHID.h"
#include "DeviceMessage.h"
#include "DeviceSelectDialog.h"
#include "HidBackend.h"

#include <QPointer>
#include <QTimer>

DeviceConnector::DeviceConnector(HidBackend* backend, CUSBHID* link, QWidget* dialogParent)
    : QObject(dialogParent)
    , m_backend(backend)
    , m_link(link)
    , m_dialogParent(dialogParent)
    , m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("autoConnectTimer"));
    m_timer->setInterval(AutoConnectIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &DeviceConnector::onAutoConnectTimeout);
    // Nothing to look for while a unit is open.
    connect(m_link, &CUSBHID::connected, m_timer, &QTimer::stop);
    connect(m_link, &CUSBHID::disconnected, this, &DeviceConnector::onLinkDisconnected);
    // The backend may outlive this object (or, in the main window, be gone before it).
    m_arrivalsAnnounced = m_backend->watchArrivals([self = QPointer<DeviceConnector>(this)] {
        if (self)
            self->onArrival();
    });
}

void DeviceConnector::connectNow()
{
    const QStringList devices = m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId);
    if (!m_unit.isEmpty()) {
        if (devices.contains(m_unit))
            m_link->start(m_unit);
        return;
    }
    if (devices.size() == 1) {
        m_link->start(devices.first());
        return;
    }
    if (devices.size() < 2)
        return;

    // The choice is only offered, and the dialog only built, when there is one to make.
    DeviceSelectDialog dialog(m_dialogParent);
    for (const QString& device : devices)
        dialog.addDevice(device);
    m_selecting = true;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_selecting = false;
    if (accepted)
        m_link->start(dialog.selectedDevice());
}

void DeviceConnector::setAutoConnect(bool on)
{
    m_autoConnect = on;
    if (on && !m_link->isConnected())
        search(AutoConnectIntervalMs);
    else
        m_timer->stop();
}

void DeviceConnector::onAutoConnectTimeout()
{
    // Never a second selection dialog on top of one that is still waiting for the operator.
    if (m_selecting || m_link->isConnected())
        return;
    connectNow();
    if (!m_timer->isActive())
        return;
    if (m_fastScansLeft > 0)
        --m_fastScansLeft;
    const int next = m_arrivalsAnnounced && m_fastScansLeft == 0 ? FallbackScanMs : AutoConnectIntervalMs;
    if (m_timer->interval() != next)
        m_timer->setInterval(next);
}

void DeviceConnector::search(int firstScanMs)
{
    m_fastScansLeft = FastScans;
    m_timer->start(firstScanMs);
}

void DeviceConnector::onLinkDisconnected()
{
    // A unit that failed may come back at once.
    if (m_autoConnect)
        search(AutoConnectIntervalMs);
}

void DeviceConnector::onArrival()
{
    // Listed from the event loop, not from inside the backend's notice; the full pace for a
    // while covers a node that gets its access rights only after it appeared.
    if (m_autoConnect && !m_selecting && !m_link->isConnected())
        search(0);
}

void DeviceConnector::requestUnitState()
{
    static const quint8 connectionRequests[] = {
        DeviceMessage::ConnectRequest0,
        DeviceMessage::SerialNumber,
        DeviceMessage::HardwareId,
        DeviceMessage::ConnectRequest8,
        DeviceMessage::ConnectRequest12,
        DeviceMessage::ConnectRequest14,
        DeviceMessage::AutoAnswer,
        DeviceMessage::FirmwareVersion,
    };
    for (quint8 id : connectionRequests)
        m_link->transmit(id, DeviceMessage::Read, nullptr, 0);
}
