#ifndef HIDBACKEND_H
#define HIDBACKEND_H

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "HidDevice.h"

// The seam between the program and USB: the link and the device listing reach devices only
// through this interface. HidapiBackend talks to real hardware; the virtual hybrid is another.
class HidBackend
{
public:
    virtual ~HidBackend() = default;

    // The attached devices with this vendor and product id, in listing order, each named by its
    // USB serial number, or by its device path when it reports no serial number.
    virtual QStringList listDevices(quint16 vendorId, quint16 productId) = 0;

    // Opens the device with this name (as listed) for non-blocking reads; null on failure.
    virtual std::unique_ptr<HidDevice> open(quint16 vendorId, quint16 productId, const QString& name) = 0;

    // Asks to be told, on the GUI thread, whenever a device may have been attached (the hint may
    // also come for another kind of device, or for none), so that a search for one need not list
    // the devices often. Replaces an earlier request; an empty function ends it. False when this
    // backend cannot tell: then only listing finds a device that was plugged in.
    virtual bool watchArrivals(std::function<void()> onArrival)
    {
        Q_UNUSED(onArrival)
        return false;
    }
};

#endif // HIDBACKEND_H
