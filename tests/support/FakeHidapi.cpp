#include "FakeHidapi.h"

#include <hidapi.h>

#include <QQueue>
#include <QVector>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

struct hid_device_
{
    QString serial;
    bool nonblocking = false;
};

namespace {

struct Unit
{
    QString serial;
    QString path;
    bool attached = true;
    bool openFails = false;
    hid_device* handle = nullptr;
    QQueue<QByteArray> input;
    QList<QByteArray> written;
    int dropped = 0;
};

struct State
{
    QVector<Unit> units;
    int capacity = 64;
    int openCalls = 0;
    int closeCalls = 0;
    int exitCalls = 0;
    int enumerateCalls = 0;
};

State& state()
{
    static State s;
    return s;
}

Unit* unitBySerial(const QString& serial)
{
    for (Unit& unit : state().units) {
        if (unit.serial == serial)
            return &unit;
    }
    return nullptr;
}

Unit* unitByHandle(hid_device* handle)
{
    for (Unit& unit : state().units) {
        if (unit.handle == handle)
            return &unit;
    }
    return nullptr;
}

wchar_t* wideCopy(const QString& text)
{
    const std::wstring wide = text.toStdWString();
    auto* copy = static_cast<wchar_t*>(std::calloc(wide.size() + 1, sizeof(wchar_t)));
    std::wmemcpy(copy, wide.c_str(), wide.size());
    return copy;
}

hid_device* openUnit(Unit* unit)
{
    ++state().openCalls;
    if (!unit || !unit->attached || unit->openFails || unit->handle)
        return nullptr;
    unit->handle = new hid_device_;
    unit->handle->serial = unit->serial;
    return unit->handle;
}

} // namespace

namespace FakeHidapi {

void reset()
{
    for (Unit& unit : state().units)
        delete unit.handle;
    state() = State();
}

void plug(const QString& serial, const QString& path)
{
    Unit* unit = unitBySerial(serial);
    if (unit && !unit->handle) {
        unit->attached = true;
        unit->input.clear();
        return;
    }
    Unit fresh;
    fresh.serial = serial;
    fresh.path = path.isEmpty() ? QStringLiteral("/dev/hidraw%1").arg(state().units.size()) : path;
    state().units.append(fresh);
}

void unplug(const QString& serial)
{
    if (Unit* unit = unitBySerial(serial)) {
        unit->attached = false;
        unit->input.clear();
    }
}

void setOpenFails(const QString& serial, bool fails)
{
    if (Unit* unit = unitBySerial(serial))
        unit->openFails = fails;
}

void setBufferCapacity(int reports)
{
    state().capacity = reports;
}

bool deliver(const QString& serial, const QByteArray& report)
{
    Unit* unit = unitBySerial(serial);
    if (!unit || !unit->attached)
        return false;
    if (unit->input.size() >= state().capacity) {
        ++unit->dropped;
        return false;
    }
    unit->input.enqueue(report);
    return true;
}

QList<QByteArray> written(const QString& serial)
{
    const Unit* unit = unitBySerial(serial);
    return unit ? unit->written : QList<QByteArray>();
}

int dropped(const QString& serial)
{
    const Unit* unit = unitBySerial(serial);
    return unit ? unit->dropped : 0;
}

bool isOpen(const QString& serial)
{
    const Unit* unit = unitBySerial(serial);
    return unit && unit->handle;
}

int pendingInput(const QString& serial)
{
    const Unit* unit = unitBySerial(serial);
    return unit ? unit->input.size() : 0;
}

int openCalls()
{
    return state().openCalls;
}

int closeCalls()
{
    return state().closeCalls;
}

int exitCalls()
{
    return state().exitCalls;
}

int enumerateCalls()
{
    return state().enumerateCalls;
}

} // namespace FakeHidapi

extern "C" {

int hid_init(void)
{
    return 0;
}

int hid_exit(void)
{
    ++state().exitCalls;
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    ++state().enumerateCalls;
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    if (vendor_id != 0x0805 || product_id != 0x1403)
        return nullptr;
    for (const Unit& unit : state().units) {
        if (!unit.attached)
            continue;
        auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
        info->path = strdup(unit.path.toLocal8Bit().constData());
        info->vendor_id = vendor_id;
        info->product_id = product_id;
        info->serial_number = unit.serial.isEmpty() ? nullptr : wideCopy(unit.serial);
        *tail = info;
        tail = &info->next;
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
    if (vendor_id != 0x0805 || product_id != 0x1403 || !serial_number)
        return nullptr;
    const QString serial = QString::fromWCharArray(serial_number);
    // hidapi opens the first matching unit; one without a serial number cannot be singled out.
    return serial.isEmpty() ? nullptr : openUnit(unitBySerial(serial));
}

hid_device* hid_open_path(const char* path)
{
    for (Unit& unit : state().units) {
        if (unit.path == QString::fromLocal8Bit(path))
            return openUnit(&unit);
    }
    ++state().openCalls;
    return nullptr;
}

int hid_set_nonblocking(hid_device* dev, int nonblock)
{
    dev->nonblocking = nonblock != 0;
    return 0;
}

int hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    Unit* unit = unitByHandle(dev);
    if (!unit || !unit->attached)
        return -1;
    if (unit->input.isEmpty())
        return 0;
    const QByteArray report = unit->input.dequeue();
    const size_t count = qMin(length, static_cast<size_t>(report.size()));
    std::memcpy(data, report.constData(), count);
    return static_cast<int>(count);
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length)
{
    Unit* unit = unitByHandle(dev);
    if (!unit || !unit->attached)
        return -1;
    unit->written.append(QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(length)));
    return static_cast<int>(length);
}

void hid_close(hid_device* dev)
{
    ++state().closeCalls;
    if (Unit* unit = unitByHandle(dev))
        unit->handle = nullptr;
    delete dev;
}

} // extern "C"
