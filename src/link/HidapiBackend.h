#ifndef HIDAPIBACKEND_H
#define HIDAPIBACKEND_H

#include "HidBackend.h"

// Real USB devices through hidapi. A device without a USB serial number is listed by its
// device path and opened by that path, so that it can still be used.
class HidapiBackend : public HidBackend
{
public:
    QStringList listDevices(quint16 vendorId, quint16 productId) override;
    std::unique_ptr<HidDevice> open(quint16 vendorId, quint16 productId, const QString& name) override;
};

#endif // HIDAPIBACKEND_H
