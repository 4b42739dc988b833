#include "FakeHidapi.h"

#include <hidapi.h>

#include <QMap>

#include <cstdlib>
#include <cstring>
#include <cwchar>

struct hid_device_
{
    std::unique_ptr<HidDevice> device;
};

namespace {

constexpr unsigned short vendorId = 0x0805;
constexpr unsigned short productId = 0x1403;

struct State
{
    MemoryHidBackend units;
    QMap<QString, QString> paths; // by serial number
};

State& state()
{
    static State s;
    return s;
}

hid_device* openUnit(const QString& serial)
{
    std::unique_ptr<HidDevice> device = state().units.open(vendorId, productId, serial);
    return device ? new hid_device_ { std::move(device) } : nullptr;
}

} // namespace

MemoryHidBackend& FakeHidapi::units()
{
    return state().units;
}

void FakeHidapi::reset()
{
    state() = State();
}

void FakeHidapi::plug(const QString& serial, const QString& path)
{
    if (!state().paths.contains(serial))
        state().paths[serial] = path.isEmpty() ? QStringLiteral("/dev/hidraw%1").arg(state().paths.size()) : path;
    state().units.plug(serial);
}

extern "C" {

int hid_exit(void)
{
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    if (vendor_id != vendorId || product_id != productId)
        return nullptr;
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const QString& serial : state().units.listDevices(vendor_id, product_id)) {
        *tail = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
        (*tail)->path = strdup(state().paths.value(serial).toLocal8Bit().constData());
        (*tail)->serial_number = serial.isEmpty() ? nullptr : wcsdup(serial.toStdWString().c_str());
        tail = &(*tail)->next;
    }
    return head;
}

void hid_free_enumeration(hid_device_info* devs)
{
    while (devs) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs);
        devs = next;
    }
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number)
{
    // hidapi opens the first matching unit; one without a serial number cannot be singled out.
    if (vendor_id != vendorId || product_id != productId || !serial_number || !*serial_number)
        return nullptr;
    return openUnit(QString::fromWCharArray(serial_number));
}

hid_device* hid_open_path(const char* path)
{
    const QString wanted = QString::fromLocal8Bit(path);
    return state().paths.values().contains(wanted) ? openUnit(state().paths.key(wanted)) : nullptr;
}

int hid_set_nonblocking(hid_device*, int)
{
    return 0;
}

int hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    return dev->device->read(data, static_cast<int>(length));
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length)
{
    return dev->device->write(data, static_cast<int>(length));
}

void hid_close(hid_device* dev)
{
    delete dev;
}

} // extern "C"
