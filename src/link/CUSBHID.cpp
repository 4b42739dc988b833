#include "CUSBHID.h"

#include "ConsoleLog.h"
#include "HidapiBackend.h"

#include <QDebug>

CUSBHID::CUSBHID(QObject* parent, CConsole* console)
    : CUSBHID(parent, console, nullptr)
{
}

CUSBHID::CUSBHID(QObject* parent, CConsole* console, HidBackend* backend)
    : QObject(parent)
    , m_ownBackend(backend ? nullptr : std::make_unique<HidapiBackend>())
    , m_backend(backend ? backend : m_ownBackend.get())
    , m_console(console)
    , pollTimer(new QTimer(this))
{
    pollTimer->setInterval(PollIntervalMs);
    pollTimer->setTimerType(Qt::PreciseTimer);
    connect(pollTimer, &QTimer::timeout, this, &CUSBHID::onHidTimer);
}

CUSBHID::~CUSBHID()
{
    qDebug() << "~CUSBHID";
    qDebug() << "Connection state: " << (isConnected() ? "true" : "false");
    stop();
}

int CUSBHID::start(const QString& serial)
{
    if (m_device)
        return -1;

    m_device = m_backend->open(VendorId, ProductId, serial);
    if (!m_device) {
        ConsoleLog::info(m_console, tr("Unable to open device [%1]").arg(serial));
        ConsoleLog::warn(m_console,
            tr("%1() - Unable to open USB device with VID: 0x%2, PID: 0x%3")
                .arg(QStringLiteral("start"))
                .arg(VendorId, 4, 16, QLatin1Char('0'))
                .arg(ProductId, 4, 16, QLatin1Char('0')));
        return -2;
    }

    pollTimer->start();
    ConsoleLog::info(m_console, QStringLiteral("Connected"));
    emit connected();
    return 0;
}

int CUSBHID::stop()
{
    if (!m_device)
        return -1;

    pollTimer->stop();
    txQueue.clear();
    m_device.reset();
    emit disconnected();
    ConsoleLog::info(m_console, QStringLiteral("Disconnected"));
    return 0;
}

bool CUSBHID::isConnected() const
{
    return m_device != nullptr;
}

void CUSBHID::transmit(quint8 id, int type, const char* data, int len)
{
    if (!m_device)
        return;
    if (len > DeviceMessage::MaxPayload || len < 0) {
        ConsoleLog::error(m_console, QStringLiteral("%1: message length exceeded!").arg(QStringLiteral("transmit")));
        return;
    }
    QByteArray report(1, '\0');
    report.append(DeviceFrame::encode(id, static_cast<quint8>(type), data, len));
    txQueue.enqueue(report);
}

int CUSBHID::pendingCount() const
{
    return txQueue.size();
}

void CUSBHID::onHidTimer()
{
    // Read everything that is waiting, so that the system's report buffer cannot overflow while
    // the GUI thread was busy elsewhere; receivers may close the link, so check it every time.
    unsigned char input[DeviceFrame::ReportSize];
    for (int i = 0; i < MaxReadsPerTick && m_device; ++i) {
        const int result = m_device->read(input, DeviceFrame::ReportSize);
        if (result == 0)
            break;
        if (result < 0) {
            stop();
            return;
        }
        if (result != DeviceFrame::FrameSize)
            continue;
        // Looked at in place; only the payload of a valid frame is copied.
        const QByteArray frame = QByteArray::fromRawData(reinterpret_cast<const char*>(input), DeviceFrame::FrameSize);
        if (!DeviceFrame::isValid(frame))
            continue;
        emit dataAvailable(input[0], input[1], QByteArray(frame.constData() + 3, DeviceMessage::MaxPayload));
    }

    // Writes stay paced at one report per tick, in queue order.
    if (txQueue.isEmpty())
        return;
    const QByteArray report = txQueue.dequeue();
    if (m_device)
        m_device->write(reinterpret_cast<const unsigned char*>(report.constData()), report.size());
}
