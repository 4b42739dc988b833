#include "DeviceConnector.h"

#include "CUSBHID.h"
#include "DeviceMessage.h"
#include "DeviceSelectDialog.h"
#include "HidBackend.h"

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
}

void DeviceConnector::connectNow()
{
    const QStringList devices = m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId);
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
    if (on)
        m_timer->start();
    else
        m_timer->stop();
}

void DeviceConnector::onAutoConnectTimeout()
{
    // Nothing to look for while a unit is open, and never a second selection dialog on top of
    // one that is still waiting for the operator.
    if (m_selecting || m_link->isConnected())
        return;
    connectNow();
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
