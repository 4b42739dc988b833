#include "CUSBHID.h"
#include "LogCategories.h"

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
    pollTimer->setObjectName(QStringLiteral("pollTimer"));
    pollTimer->setInterval(PollIntervalMs);
    pollTimer->setTimerType(Qt::PreciseTimer);
    connect(pollTimer, &QTimer::timeout, this, &CUSBHID::onHidTimer);
}

CUSBHID::~CUSBHID()
{
    qCDebug(lcLink) << "~CUSBHID";
    qCDebug(lcLink) << "Connection state: " << (isConnected() ? "true" : "false");
    stop();
}

int CUSBHID::start(const QString& serial)
{
    if (m_device)
        return -1;

    m_device = m_backend->open(VendorId, ProductId, serial);
    if (!m_device) {
        qCWarning(lcLink) << "could not open unit" << serial;
        ConsoleLog::info(m_console, tr("Unable to open device [%1]").arg(serial));
        ConsoleLog::warn(m_console,
            tr("%1() - Unable to open USB device with VID: 0x%2, PID: 0x%3")
                .arg(QStringLiteral("start"))
                .arg(VendorId, 4, 16, QLatin1Char('0'))
                .arg(ProductId, 4, 16, QLatin1Char('0')));
        return -2;
    }

    m_serial = serial;
    m_quietTicks = 0;
    m_inputNoticed = m_device->notifyInput([this] { onInputNotice(); });
    pollTimer->start(PollIntervalMs);
    qCInfo(lcLink) << "opened unit" << serial << (m_inputNoticed ? "(input announced)" : "(input polled)");
    ConsoleLog::info(m_console, tr("Connected"));
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
    m_serial.clear();
    qCInfo(lcLink) << "closed the unit";
    emit disconnected();
    ConsoleLog::info(m_console, tr("Disconnected"));
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
        ConsoleLog::error(m_console, tr("%1: message length exceeded!").arg(QStringLiteral("transmit")));
        return;
    }
    QByteArray report(1, '\0');
    report.append(DeviceFrame::encode(id, static_cast<quint8>(type), data, len));
    txQueue.enqueue(report);
    // The message leaves at the next millisecond tick, not at the end of an idle interval.
    pace(true);
}

int CUSBHID::pendingCount() const
{
    return txQueue.size();
}

void CUSBHID::setIdlePollInterval(int ms)
{
    m_idlePollMs = qMax(ms, PollIntervalMs);
    if (m_device && m_quietTicks >= QuietTicksBeforeIdle)
        idlePace();
}

int CUSBHID::idlePollInterval() const
{
    return m_idlePollMs;
}

void CUSBHID::onHidTimer()
{
    const int arrived = readAll();
    if (!m_device)
        return;

    // Writes stay paced at one report per tick, in queue order.
    const bool wrote = !txQueue.isEmpty();
    if (wrote) {
        const QByteArray report = txQueue.dequeue();
        qCDebug(lcLink, "out id %d type %d", static_cast<quint8>(report.at(1)), static_cast<quint8>(report.at(2)));
        if (m_device->write(reinterpret_cast<const unsigned char*>(report.constData()), report.size()) < 0)
            qCWarning(lcLink) << "a write to the unit failed";
    }
    // Input that the device announces needs no fast poll to be found.
    pace(wrote || (arrived > 0 && !m_inputNoticed));
}

int CUSBHID::readWaiting()
{
    return readAll();
}

int CUSBHID::readAll()
{
    // Read everything that is waiting, so that the system's report buffer cannot overflow while
    // the GUI thread was busy elsewhere; receivers may close the link, so check it every time.
    unsigned char input[DeviceFrame::ReportSize];
    int arrived = 0;
    for (int i = 0; i < MaxReadsPerTick && m_device; ++i) {
        const int result = m_device->read(input, DeviceFrame::ReportSize);
        if (result == 0)
            break;
        if (result < 0) {
            qCWarning(lcLink) << "reading from the unit failed; closing it";
            stop();
            break;
        }
        ++arrived;
        if (result != DeviceFrame::FrameSize)
            continue;
        // Looked at in place; only the payload of a valid frame is copied.
        const QByteArray frame = QByteArray::fromRawData(reinterpret_cast<const char*>(input), DeviceFrame::FrameSize);
        if (!DeviceFrame::isValid(frame)) {
            qCDebug(lcLink) << "dropped a frame with a bad check";
            continue;
        }
        qCDebug(lcLink, "in id %d type %d", input[0], input[1]);
        emit dataAvailable(input[0], input[1], QByteArray(frame.constData() + 3, DeviceMessage::MaxPayload));
    }
    return arrived;
}

void CUSBHID::pace(bool busy)
{
    if (!m_device)
        return;
    // Reports come in runs (a register report, module output) and a write is usually answered:
    // the poll keeps its full pace for a little while after each, and only then slows down.
    if (busy) {
        m_quietTicks = 0;
        if (pollTimer->interval() != PollIntervalMs || !pollTimer->isActive())
            pollTimer->start(PollIntervalMs);
    } else if (m_quietTicks < QuietTicksBeforeIdle && ++m_quietTicks == QuietTicksBeforeIdle) {
        idlePace();
    }
}

void CUSBHID::idlePace()
{
    // A device that announces its input leaves the idle poll nothing to do, unless the poll is
    // meant to keep its full pace.
    if (m_inputNoticed && m_idlePollMs != PollIntervalMs)
        pollTimer->stop();
    else if (pollTimer->interval() != m_idlePollMs || !pollTimer->isActive())
        pollTimer->start(m_idlePollMs);
}

void CUSBHID::onInputNotice()
{
    // A poll kept at its full pace finds the input soon enough by itself.
    if (m_readQueued || m_idlePollMs == PollIntervalMs)
        return;
    m_readQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_readQueued = false;
            readAll();
        },
        Qt::QueuedConnection);
}
