#ifndef VIRTUALHYBRIDBACKEND_H
#define VIRTUALHYBRIDBACKEND_H

#include <QList>
#include <QObject>
#include <functional>

#include "HidBackend.h"

class VirtualClock;
class VirtualHybridUnit;

// USB as the program sees it when virtual hybrids stand in for real ones: lists the units that
// are plugged in (and not rebooting) by their USB serial numbers, in the order they were added,
// and opens them for the link. Only the hybrid's vendor and product id are known here.
class VirtualHybridBackend : public QObject, public HidBackend
{
    Q_OBJECT

public:
    explicit VirtualHybridBackend(VirtualClock* clock, QObject* parent = nullptr);

    // Adds a plugged-in unit; null when a unit with this serial number exists already.
    VirtualHybridUnit* addUnit(const QString& serial);
    QList<VirtualHybridUnit*> units() const;
    // The unit listed under this USB serial number, or null.
    VirtualHybridUnit* unit(const QString& serial) const;

    QStringList listDevices(quint16 vendorId, quint16 productId) override;
    // Null when the unit is unknown, unplugged, rebooting or already open.
    std::unique_ptr<HidDevice> open(quint16 vendorId, quint16 productId, const QString& name) override;
    // Told when a unit is added, plugged in or back from a reboot.
    bool watchArrivals(std::function<void()> onArrival) override;

signals:
    // Fires when a unit has been added.
    void unitAdded(VirtualHybridUnit* unit);

private:
    static bool isHybrid(quint16 vendorId, quint16 productId);
    void watchUnit(VirtualHybridUnit* unit);
    void announceArrival();

    VirtualClock* m_clock;
    QList<VirtualHybridUnit*> m_units;
    std::function<void()> m_onArrival;
};

#endif // VIRTUALHYBRIDBACKEND_H
