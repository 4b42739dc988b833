#ifndef VIRTUALHIDDEVICE_H
#define VIRTUALHIDDEVICE_H

#include <QPointer>

#include "HidDevice.h"

class VirtualHybridUnit;

// An open virtual hybrid, as the backend hands it to the link. It holds one USB session of its
// unit: once the unit is unplugged or reboots, reads and writes fail (-1) for good, as they do
// on a real handle. Destroying it closes the session.
class VirtualHidDevice : public HidDevice
{
public:
    VirtualHidDevice(VirtualHybridUnit* unit, int session);
    ~VirtualHidDevice() override;

    VirtualHidDevice(const VirtualHidDevice&) = delete;
    VirtualHidDevice& operator=(const VirtualHidDevice&) = delete;

    int read(unsigned char* buffer, int size) override;
    int write(const unsigned char* report, int size) override;
    bool notifyInput(std::function<void()> onInput) override;

private:
    QPointer<VirtualHybridUnit> m_unit;
    int m_session;
};

#endif // VIRTUALHIDDEVICE_H
