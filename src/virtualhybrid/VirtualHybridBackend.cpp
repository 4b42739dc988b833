#include "VirtualHybridBackend.h"
#include "LogCategories.h"

#include "CUSBHID.h"
#include "VirtualHidDevice.h"
#include "VirtualHybridUnit.h"

VirtualHybridBackend::VirtualHybridBackend(VirtualClock* clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
{
}

VirtualHybridUnit* VirtualHybridBackend::addUnit(const QString& serial)
{
    for (const VirtualHybridUnit* existing : qAsConst(m_units)) {
        if (existing->serialNumber() == serial || existing->usbSerialNumber() == serial)
            return nullptr;
    }
    auto* unit = new VirtualHybridUnit(m_clock, serial, this);
    m_units.append(unit);
    qCInfo(lcVirtualHybrid) << "unit" << serial << "attached";
    watchUnit(unit);
    emit unitAdded(unit);
    announceArrival();
    return unit;
}

bool VirtualHybridBackend::watchArrivals(std::function<void()> onArrival)
{
    m_onArrival = std::move(onArrival);
    return true;
}

void VirtualHybridBackend::watchUnit(VirtualHybridUnit* unit)
{
    // A unit shows up on USB when it becomes attached: plugged in and powered.
    connect(unit, &VirtualHybridUnit::stateChanged, this, [this, unit, attached = unit->isAttached()]() mutable {
        const bool wasAttached = attached;
        attached = unit->isAttached();
        if (attached && !wasAttached)
            announceArrival();
    });
}

void VirtualHybridBackend::announceArrival()
{
    if (m_onArrival)
        m_onArrival();
}

QList<VirtualHybridUnit*> VirtualHybridBackend::units() const
{
    return m_units;
}

VirtualHybridUnit* VirtualHybridBackend::unit(const QString& serial) const
{
    for (VirtualHybridUnit* unit : m_units) {
        if (unit->usbSerialNumber() == serial)
            return unit;
    }
    return nullptr;
}

QStringList VirtualHybridBackend::listDevices(quint16 vendorId, quint16 productId)
{
    QStringList names;
    if (!isHybrid(vendorId, productId))
        return names;
    for (const VirtualHybridUnit* unit : qAsConst(m_units)) {
        if (unit->isAttached())
            names.append(unit->usbSerialNumber());
    }
    return names;
}

std::unique_ptr<HidDevice> VirtualHybridBackend::open(quint16 vendorId, quint16 productId, const QString& name)
{
    if (!isHybrid(vendorId, productId))
        return nullptr;
    for (VirtualHybridUnit* unit : qAsConst(m_units)) {
        if (!unit->isAttached() || unit->usbSerialNumber() != name)
            continue;
        const int session = unit->openSession();
        if (session == 0)
            return nullptr;
        return std::make_unique<VirtualHidDevice>(unit, session);
    }
    return nullptr;
}

bool VirtualHybridBackend::isHybrid(quint16 vendorId, quint16 productId)
{
    return vendorId == CUSBHID::VendorId && productId == CUSBHID::ProductId;
}
