#ifndef HIDDEVICE_H
#define HIDDEVICE_H

#include <functional>

// One open USB HID device. Destroying the object closes the device.
class HidDevice
{
public:
    virtual ~HidDevice() = default;

    // Non-blocking read of one input report into buffer: the number of bytes read,
    // 0 when nothing is waiting, -1 when the device failed or is gone.
    virtual int read(unsigned char* buffer, int size) = 0;

    // Writes one output report (report id byte first); returns the bytes written or -1.
    virtual int write(const unsigned char* report, int size) = 0;

    // Asks to be told, from the event loop, whenever an input report arrives or the device fails,
    // so that it need not be polled for input; an empty function ends it. False when this device
    // cannot tell: then only reading finds out.
    virtual bool notifyInput(std::function<void()> /*onInput*/) { return false; }
};

#endif // HIDDEVICE_H
