#ifndef HIDDEVICE_H
#define HIDDEVICE_H

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
};

#endif // HIDDEVICE_H
