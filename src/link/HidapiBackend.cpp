#include "HidapiBackend.h"

#include <hidapi.h>

#include "LogCategories.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QRegularExpression>

#include <memory>
#include <string>
#include <utility>

namespace {

// A device opened through hidapi. hidapi is finalised on every close; the next listing or
// open initialises it again.
class HidapiDevice : public HidDevice
{
public:
    HidapiDevice(hid_device* handle, std::unique_ptr<QLockFile> lock)
        : m_handle(handle)
        , m_lock(std::move(lock))
    {
        hid_set_nonblocking(m_handle, 1);
    }

    ~HidapiDevice() override
    {
        hid_close(m_handle);
        hid_exit();
    }

    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int read(unsigned char* buffer, int size) override { return hid_read(m_handle, buffer, static_cast<size_t>(size)); }

    int write(const unsigned char* report, int size) override
    {
        return hid_write(m_handle, report, static_cast<size_t>(size));
    }

private:
    hid_device* m_handle;
    std::unique_ptr<QLockFile> m_lock; // released when the unit closes
};

QString fromWide(const wchar_t* text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

// Where the system makes a node for every HID device it sees (/dev/hidrawN); the node appears
// first and gets its access rights a moment later, and both show as a change of the directory.
const char* const deviceDirectory = "/dev";

} // namespace

HidapiBackend::HidapiBackend() = default;

HidapiBackend::~HidapiBackend() = default;

bool HidapiBackend::watchArrivals(std::function<void()> onArrival)
{
    m_deviceDirectory.reset();
    if (!onArrival)
        return false;
    m_deviceDirectory = std::make_unique<QFileSystemWatcher>();
    if (!m_deviceDirectory->addPath(QLatin1String(deviceDirectory))) {
        m_deviceDirectory.reset();
        return false;
    }
    QObject::connect(m_deviceDirectory.get(), &QFileSystemWatcher::directoryChanged, m_deviceDirectory.get(),
        [onArrival = std::move(onArrival)] { onArrival(); });
    return true;
}

QStringList HidapiBackend::listDevices(quint16 vendorId, quint16 productId)
{
    QStringList names;
    hid_device_info* devices = hid_enumerate(vendorId, productId);
    for (const hid_device_info* info = devices; info; info = info->next) {
        const QString serial = fromWide(info->serial_number);
        names.append(serial.isEmpty() ? QString::fromLocal8Bit(info->path) : serial);
    }
    hid_free_enumeration(devices);
    return names;
}

std::unique_ptr<HidDevice> HidapiBackend::open(quint16 vendorId, quint16 productId, const QString& name)
{
    // A name that is the path of a listed device without a serial number opens that device.
    QByteArray pathToOpen;
    hid_device_info* devices = hid_enumerate(vendorId, productId);
    for (const hid_device_info* info = devices; info; info = info->next) {
        if (fromWide(info->serial_number).isEmpty() && QString::fromLocal8Bit(info->path) == name) {
            pathToOpen = info->path;
            break;
        }
    }
    hid_free_enumeration(devices);

    // One program at a time talks to a unit, whether or not a session bus keeps a second program
    // from starting: two would take each other's answers.
    auto lock = std::make_unique<QLockFile>(HidapiBackend::lockFileName(name));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        qint64 holder = 0;
        QString host;
        QString program;
        lock->getLockInfo(&holder, &host, &program);
        qCWarning(lcLink).noquote() << "the unit" << name << "is in use by" << program << "process" << holder;
        return nullptr;
    }
    hid_device* handle = nullptr;
    if (!pathToOpen.isEmpty()) {
        handle = hid_open_path(pathToOpen.constData());
    } else {
        const std::wstring serial = name.toStdWString();
        handle = hid_open(vendorId, productId, serial.c_str());
    }
    if (!handle)
        return nullptr;
    return std::make_unique<HidapiDevice>(handle, std::move(lock));
}

QString HidapiBackend::lockFileName(const QString& name)
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QString safe = name;
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return QDir(folder).filePath(QStringLiteral("parlona-unit-%1.lock").arg(safe));
}
