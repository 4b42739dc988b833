#ifndef HIDAPIBACKEND_H
#define HIDAPIBACKEND_H

#include "HidBackend.h"

class QFileSystemWatcher;

// Real USB devices through hidapi. A device without a USB serial number is listed by its
// device path and opened by that path, so that it can still be used.
class HidapiBackend : public HidBackend
{
public:
    HidapiBackend();
    ~HidapiBackend() override;
    HidapiBackend(const HidapiBackend&) = delete;
    HidapiBackend& operator=(const HidapiBackend&) = delete;

    QStringList listDevices(quint16 vendorId, quint16 productId) override;
    // Refuses a unit another program has open: each open unit is held by a lock file.
    std::unique_ptr<HidDevice> open(quint16 vendorId, quint16 productId, const QString& name) override;
    // The lock file that holds a unit while it is open (in XDG_RUNTIME_DIR, else the temporary folder).
    static QString lockFileName(const QString& name);
    // hidapi has no hotplug notice of its own: a change in the device directory, where the
    // system makes and removes the hidraw nodes, stands in for it.
    bool watchArrivals(std::function<void()> onArrival) override;

private:
    std::unique_ptr<QFileSystemWatcher> m_deviceDirectory;
};

#endif // HIDAPIBACKEND_H
