#include "VirtualHybridUnit.h"
#include "LogCategories.h"

#include "DeviceFrame.h"
#include "DevicePayload.h"
#include "VirtualClock.h"
#include "VirtualCodecRegisters.h"
#include "VirtualLevelGenerator.h"

#include <cstring>

namespace {

constexpr int firstPrintable = 0x21;
constexpr int lastPrintable = 0x7E;

// Codec registers and bits that shape the levels the unit reports.
constexpr int dacControlRegister = 10;
constexpr int dacGainRegister = 11;
constexpr int adcGainRegister = 15;
constexpr int pgaGainRegister = 45;
constexpr int adcBoostRegister = 47;
constexpr quint16 dacMuteBit = 0x040;
constexpr quint16 pgaMuteBit = 0x040;
constexpr quint16 pgaBoostBit = 0x100;

quint32 fnv1a(const QByteArray& bytes, quint32 hash = 2166136261u)
{
    for (const char byte : bytes) {
        hash ^= static_cast<quint8>(byte);
        hash *= 16777619u;
    }
    return hash;
}

// A 15-byte hardware id that stays the same for a serial number.
QByteArray hardwareIdFor(const QString& serial)
{
    QByteArray id;
    quint32 hash = fnv1a(serial.toLatin1());
    for (int i = 0; i < VirtualHybridUnit::HardwareIdSize; ++i) {
        hash = fnv1a(QByteArray(1, static_cast<char>(i)), hash);
        id.append(static_cast<char>(hash >> 24));
    }
    return id;
}

// A 15-digit IMEI with a valid Luhn check digit that stays the same for a serial number.
QString imeiFor(const QString& serial)
{
    QString digits = QStringLiteral("86");
    quint32 hash = fnv1a(serial.toLatin1());
    while (digits.size() < 14) {
        hash = fnv1a(QByteArray::number(digits.size()), hash);
        digits.append(QLatin1Char(static_cast<char>('0' + hash % 10)));
    }
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i) {
        int digit = digits[digits.size() - 1 - i].digitValue();
        if (i % 2 == 0) {
            digit *= 2;
            if (digit > 9)
                digit -= 9;
        }
        sum += digit;
    }
    digits.append(QLatin1Char(static_cast<char>('0' + (10 - sum % 10) % 10)));
    return digits;
}

} // namespace

VirtualHybridUnit::VirtualHybridUnit(VirtualClock* clock, const QString& serial, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_codec(new VirtualCodecRegisters(this))
    , m_module(new VirtualUC20Module(clock, imeiFor(serial), this))
    , m_levels(new VirtualLevelGenerator(fnv1a(serial.toLatin1()), this))
    , m_serial(serial)
    , m_usbSerial(serial)
    , m_hardwareId(hardwareIdFor(serial))
    , m_storedRegisters(m_codec->values())
{
    connect(m_module, &VirtualUC20Module::output, this, &VirtualHybridUnit::onModuleOutput);
    connect(m_module, &VirtualUC20Module::callStateChanged, this, &VirtualHybridUnit::onModuleCallStateChanged);
    connect(m_module, &VirtualUC20Module::simStateChanged, this, &VirtualHybridUnit::stateChanged);
    connect(m_module, &VirtualUC20Module::stateChanged, this, &VirtualHybridUnit::stateChanged);
    plug();
}

VirtualHybridUnit::~VirtualHybridUnit()
{
    disconnect(m_module, nullptr, this, nullptr);
}

// ---- The cable and power ------------------------------------------------------------------

void VirtualHybridUnit::unplug()
{
    if (!m_plugged)
        return;
    m_plugged = false;
    qCInfo(lcVirtualHybrid) << m_serial << "unplugged";
    m_rebooting = false;
    delete m_rebootContext;
    powerOff();
    emit stateChanged();
}

void VirtualHybridUnit::plug()
{
    if (m_plugged)
        return;
    m_plugged = true;
    qCInfo(lcVirtualHybrid) << m_serial << "plugged in";
    powerOn();
    emit stateChanged();
}

bool VirtualHybridUnit::isPlugged() const
{
    return m_plugged;
}

bool VirtualHybridUnit::isAttached() const
{
    return m_plugged && m_powered;
}

bool VirtualHybridUnit::isRebooting() const
{
    return m_rebooting;
}

bool VirtualHybridUnit::isOpen() const
{
    return m_session != 0;
}

void VirtualHybridUnit::powerOn()
{
    if (m_powered)
        return;
    m_powered = true;
    // A serial number written since the last start is what USB reports from now on.
    m_usbSerial = m_serial;
    m_codec->setValues(m_storedRegisters);
    m_autoAnswer = m_storedAutoAnswer;
    m_identifying = false;
    m_rings = 0;
    m_pollCount = 0;
    m_powerContext = new QObject(this);
    m_module->powerOn();
    // The firmware wants to hear the keys a caller presses.
    m_module->submit(QStringLiteral("AT+QTONEDET=1"));
    m_clock->schedule(CallPollIntervalMs, m_powerContext, [this] { pollModule(); });
}

void VirtualHybridUnit::powerOff()
{
    if (!m_powered)
        return;
    endSession();
    delete m_powerContext;
    m_module->powerOff();
    m_powered = false;
    m_identifying = false;
}

void VirtualHybridUnit::reboot()
{
    powerOff();
    m_rebooting = true;
    if (!m_rebootContext)
        m_rebootContext = new QObject(this);
    m_clock->schedule(RebootMs, m_rebootContext, [this] {
        m_rebooting = false;
        powerOn();
        emit stateChanged();
    });
    emit stateChanged();
}

// ---- USB ----------------------------------------------------------------------------------

int VirtualHybridUnit::openSession()
{
    if (!isAttached() || m_session != 0)
        return 0;
    m_session = ++m_lastSession;
    m_sessionContext = new QObject(this);
    m_txFifo.clear();
    m_hostBuffer.clear();
    m_pumpScheduled = false;
    m_hostNotice = nullptr;
    m_clock->schedule(LevelIntervalMs, m_sessionContext, [this] { reportLevels(); });
    sendDebugText(QStringLiteral("Parlona %1 v%2 ready").arg(m_serial, firmwareVersionText()));
    emit stateChanged();
    return m_session;
}

void VirtualHybridUnit::closeSession(int session)
{
    if (session != 0 && session == m_session)
        endSession();
}

void VirtualHybridUnit::endSession()
{
    if (m_session == 0)
        return;
    m_session = 0;
    delete m_sessionContext;
    m_txFifo.clear();
    m_hostBuffer.clear();
    m_pumpScheduled = false;
    // The host's next read fails, as a real one does when the cable is pulled.
    const std::function<void()> notice = m_hostNotice;
    m_hostNotice = nullptr;
    emit stateChanged();
    if (notice)
        notice();
}

void VirtualHybridUnit::setHostNotice(int session, std::function<void()> notice)
{
    if (session != 0 && session == m_session)
        m_hostNotice = std::move(notice);
}

int VirtualHybridUnit::hostRead(int session, unsigned char* buffer, int size)
{
    if (session == 0 || session != m_session)
        return -1;
    if (m_hostBuffer.isEmpty())
        return 0;
    const QByteArray report = m_hostBuffer.dequeue();
    const int count = qMin(size, report.size());
    std::memcpy(buffer, report.constData(), static_cast<size_t>(count));
    return count;
}

int VirtualHybridUnit::hostWrite(int session, const unsigned char* report, int size)
{
    if (session == 0 || session != m_session || !report || size < 0)
        return -1;
    const QByteArray bytes(reinterpret_cast<const char*>(report), size);
    if (size != DeviceFrame::ReportSize || bytes[0] != '\0') {
        ++m_badFrames;
        return size;
    }
    receiveFrame(bytes.mid(1));
    return size;
}

void VirtualHybridUnit::receiveFrame(const QByteArray& frame)
{
    // The firmware is stricter than the frame check alone: a length byte below 3 would not even
    // cover the frame's own header, and a program that sends one has a fault worth counting.
    const int length = static_cast<quint8>(frame[2]);
    if (!DeviceFrame::isValid(frame) || length < 3) {
        ++m_badFrames;
        return;
    }
    ++m_framesReceived;
    handleMessage(static_cast<quint8>(frame[0]), static_cast<quint8>(frame[1]), frame.mid(3, length - 3));
}

void VirtualHybridUnit::send(quint8 id, quint8 type, const QByteArray& payload)
{
    // Nothing collects the unit's reports while no host has it open.
    if (m_session == 0)
        return;
    m_txFifo.enqueue(
        DeviceFrame::encode(id, type, payload.constData(), qMin(payload.size(), DeviceMessage::MaxPayload)));
    schedulePump();
}

void VirtualHybridUnit::schedulePump()
{
    if (m_pumpScheduled || m_txFifo.isEmpty() || !m_sessionContext)
        return;
    m_pumpScheduled = true;
    m_clock->schedule(UsbFrameIntervalMs, m_sessionContext, [this] {
        m_pumpScheduled = false;
        pump();
    });
}

void VirtualHybridUnit::pump()
{
    if (m_txFifo.isEmpty())
        return;
    QByteArray report = m_txFifo.dequeue();
    if (m_corruptFrames)
        report = corrupted(report);
    ++m_framesSent;
    if (m_hostBuffer.size() >= HostBufferReports)
        ++m_reportsLost;
    else
        m_hostBuffer.enqueue(report);
    if (m_hostNotice)
        m_hostNotice();
    schedulePump();
}

QByteArray VirtualHybridUnit::corrupted(const QByteArray& frame)
{
    QByteArray bad = frame;
    switch (m_corruptionKind++ % 3) {
    case 0: // wrong checksum
        bad[DeviceFrame::FrameSize - 1] = static_cast<char>(bad[DeviceFrame::FrameSize - 1] ^ 0x5A);
        break;
    case 1: // length byte beyond the frame
        bad[2] = static_cast<char>(0xF0);
        break;
    default: // a short report
        bad.truncate(DeviceFrame::FrameSize - 8);
        break;
    }
    return bad;
}

// ---- Messages from the host ---------------------------------------------------------------

// The ids the firmware knows, each with its handler; any other id is reported in a debug text.
const VirtualHybridUnit::MessageHandlerEntry VirtualHybridUnit::messageHandlers[] = {
    { DeviceMessage::ConnectRequest0, &VirtualHybridUnit::handleConnectRequest0 },
    { DeviceMessage::SerialNumber, &VirtualHybridUnit::handleSerialNumber },
    { DeviceMessage::HardwareId, &VirtualHybridUnit::handleHardwareId },
    { DeviceMessage::AtCommand, &VirtualHybridUnit::handleAtCommand },
    { DeviceMessage::CodecRegister, &VirtualHybridUnit::handleCodecRegister },
    { DeviceMessage::FirmwareVersion, &VirtualHybridUnit::handleFirmwareVersion },
    { DeviceMessage::Identify, &VirtualHybridUnit::handleIdentify },
    { DeviceMessage::ConnectRequest8, &VirtualHybridUnit::handleUnansweredRequest },
    { DeviceMessage::FactoryReset, &VirtualHybridUnit::handleFactoryReset },
    { DeviceMessage::StoreSettings, &VirtualHybridUnit::handleStoreSettings },
    { DeviceMessage::Reboot, &VirtualHybridUnit::handleReboot },
    { DeviceMessage::ConnectRequest12, &VirtualHybridUnit::handleUnansweredRequest },
    { DeviceMessage::ConnectRequest14, &VirtualHybridUnit::handleUnansweredRequest },
    { DeviceMessage::AutoAnswer, &VirtualHybridUnit::handleAutoAnswer },
};

void VirtualHybridUnit::handleMessage(quint8 id, quint8 type, const QByteArray& payload)
{
    if (type == DeviceMessage::Read)
        m_readRequests.append(id);
    for (const MessageHandlerEntry& entry : messageHandlers) {
        if (entry.id == id) {
            (this->*entry.handler)(type, payload);
            return;
        }
    }
    sendDebugText(QStringLiteral("unknown message id %1").arg(id));
}

void VirtualHybridUnit::handleConnectRequest0(quint8 type, const QByteArray&)
{
    if (type == DeviceMessage::Read)
        sendRegisterReport();
}

void VirtualHybridUnit::handleSerialNumber(quint8 type, const QByteArray& payload)
{
    if (type == DeviceMessage::Read)
        send(DeviceMessage::SerialNumber, type, DevicePayload::serialNumberPayload(m_serial));
    else if (type == DeviceMessage::Write)
        writeSerialNumber(payload);
}

void VirtualHybridUnit::handleHardwareId(quint8 type, const QByteArray&)
{
    if (type == DeviceMessage::Read)
        send(DeviceMessage::HardwareId, type, m_hardwareId);
}

void VirtualHybridUnit::handleAtCommand(quint8 type, const QByteArray& payload)
{
    if (type != DeviceMessage::Write)
        return;
    QString line = QString::fromLatin1(DevicePayload::atLine(payload));
    while (line.endsWith(QLatin1Char('\r')) || line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    m_atCommands.append(line);
    m_module->submit(line);
}

void VirtualHybridUnit::handleCodecRegister(quint8 type, const QByteArray& payload)
{
    const bool read = type == DeviceMessage::Read;
    const bool write = type == DeviceMessage::Write;
    if (payload.isEmpty() || (!read && !write))
        return;
    const DevicePayload::CodecRegister reg = DevicePayload::codecRegister(payload);
    if (reg.address >= VirtualCodecRegisters::RegisterCount)
        sendDebugText(QStringLiteral("codec register %1 does not exist").arg(reg.address));
    else if (write && payload.size() >= 3)
        m_codec->write(reg.address, reg.value);
    else if (read)
        send(DeviceMessage::CodecRegister, type,
            DevicePayload::codecRegisterPayload({ reg.address, m_codec->value(reg.address) }));
}

void VirtualHybridUnit::handleFirmwareVersion(quint8 type, const QByteArray&)
{
    if (type == DeviceMessage::Read)
        send(DeviceMessage::FirmwareVersion, type,
            DevicePayload::firmwareVersionPayload({ FirmwareMajor, FirmwareMinor, FirmwarePatch, FirmwareBuild }));
}

void VirtualHybridUnit::handleIdentify(quint8 type, const QByteArray& payload)
{
    if (type != DeviceMessage::Write || payload.isEmpty())
        return;
    m_identifying = payload[0] != '\0';
    sendDebugText(m_identifying ? QStringLiteral("identify on") : QStringLiteral("identify off"));
    emit stateChanged();
}

void VirtualHybridUnit::handleUnansweredRequest(quint8, const QByteArray&) { }

void VirtualHybridUnit::handleFactoryReset(quint8 type, const QByteArray&)
{
    if (type == DeviceMessage::Write)
        factoryReset();
}

void VirtualHybridUnit::handleStoreSettings(quint8 type, const QByteArray&)
{
    if (type == DeviceMessage::Write)
        store();
}

void VirtualHybridUnit::handleReboot(quint8 type, const QByteArray&)
{
    if (type == DeviceMessage::Write)
        reboot();
}

void VirtualHybridUnit::handleAutoAnswer(quint8 type, const QByteArray& payload)
{
    if (type == DeviceMessage::Read)
        send(DeviceMessage::AutoAnswer, type, DevicePayload::autoAnswerPayload(m_autoAnswer));
    else if (type == DeviceMessage::Write && !payload.isEmpty())
        setAutoAnswer(DevicePayload::autoAnswer(payload));
}

void VirtualHybridUnit::sendDebugText(const QString& text)
{
    send(DeviceMessage::DebugText, DeviceMessage::Write, DevicePayload::debugTextPayload(text));
}

void VirtualHybridUnit::sendRegisterReport()
{
    for (int address = 0; address < VirtualCodecRegisters::RegisterCount; ++address)
        send(DeviceMessage::CodecRegister, DeviceMessage::Read,
            DevicePayload::codecRegisterPayload({ address, m_codec->value(address) }));
}

void VirtualHybridUnit::sendModuleLine(const QString& line)
{
    // A line longer than a frame holds goes out in pieces, one frame each.
    for (const DevicePayload::Message& message : DevicePayload::atLineMessages(line.toLatin1()))
        send(DeviceMessage::AtCommand, message.type, message.payload);
}

void VirtualHybridUnit::writeSerialNumber(const QByteArray& payload)
{
    const QByteArray text = DevicePayload::textUpToNul(payload);
    bool valid = !text.isEmpty() && text.size() < DeviceMessage::MaxPayload;
    for (const char c : text)
        valid = valid && c >= firstPrintable && c <= lastPrintable;
    if (!valid) {
        sendDebugText(QStringLiteral("serial number rejected"));
        return;
    }
    m_serial = QString::fromLatin1(text);
    sendDebugText(QStringLiteral("serial number %1 set").arg(m_serial));
    emit stateChanged();
}

void VirtualHybridUnit::store()
{
    ++m_storeCount;
    emit stateChanged();
    if (m_storeSilent)
        return;
    // What is current now is written; the write takes a moment and is lost with the power.
    const QVector<quint16> registers = m_codec->values();
    const bool autoAnswer = m_autoAnswer;
    m_clock->schedule(StoreDelayMs, m_powerContext, [this, registers, autoAnswer] {
        m_storedRegisters = registers;
        m_storedAutoAnswer = autoAnswer;
        send(DeviceMessage::StoreSettings, DeviceMessage::Write, QByteArray());
        sendDebugText(QStringLiteral("settings stored"));
    });
}

void VirtualHybridUnit::factoryReset()
{
    m_codec->reset();
    m_autoAnswer = false;
    m_storedRegisters = m_codec->values();
    m_storedAutoAnswer = false;
    sendDebugText(QStringLiteral("factory reset"));
    // The program's pages follow the unit's reports, so tell them what the settings are now.
    sendRegisterReport();
    send(DeviceMessage::AutoAnswer, DeviceMessage::Read, QByteArray(1, '\0'));
    emit stateChanged();
}

// ---- The firmware's own work --------------------------------------------------------------

void VirtualHybridUnit::pollModule()
{
    m_clock->schedule(CallPollIntervalMs, m_powerContext, [this] { pollModule(); });
    // While the module takes message text, a poll would end up in the message.
    if (m_module->isAwaitingText())
        return;
    m_module->submit(QStringLiteral("AT+CLCC"));
    if (m_pollCount++ % SignalPollEvery == 0) {
        m_module->submit(QStringLiteral("AT+CSQ"));
        m_module->submit(QStringLiteral("AT+QSPCH"));
    }
}

void VirtualHybridUnit::reportLevels()
{
    m_clock->schedule(LevelIntervalMs, m_sessionContext, [this] { reportLevels(); });
    float receive = 0.0f;
    float send = 0.0f;
    m_levels->step(LevelIntervalMs, &receive, &send);
    if (m_levels->isCallActive()) {
        // The caller's voice leaves through the DAC, the studio's reaches the caller through the
        // PGA, its boost and the ADC: their gains and mutes move the levels from their 0 dB
        // settings.
        const quint16 dacGain = m_codec->value(dacGainRegister) & 0xFF;
        if ((m_codec->value(dacControlRegister) & dacMuteBit) || dacGain == 0)
            receive = VirtualLevelGenerator::NoiseFloorLow;
        else
            receive += (dacGain - 255) * 0.5f;
        const quint16 pga = m_codec->value(pgaGainRegister);
        const quint16 adcGain = m_codec->value(adcGainRegister) & 0xFF;
        if ((pga & pgaMuteBit) || adcGain == 0) {
            send = VirtualLevelGenerator::NoiseFloorLow;
        } else {
            send += -12.0f + 0.75f * (pga & 0x3F);
            send += (m_codec->value(adcBoostRegister) & pgaBoostBit) ? 0.0f : -20.0f;
            send += (adcGain - 255) * 0.5f;
        }
        receive = qBound(VirtualLevelGenerator::NoiseFloorLow, receive, 0.0f);
        send = qBound(VirtualLevelGenerator::NoiseFloorLow, send, 0.0f);
    }
    this->send(DeviceMessage::AudioLevels, DeviceMessage::Write, DevicePayload::levelsPayload({ receive, send }));
}

void VirtualHybridUnit::onModuleOutput(const QStringList& lines)
{
    if (m_moduleSilent)
        return;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            sendModuleLine(line);
    }
    if (lines == QStringList { QStringLiteral("RING") } && m_autoAnswer
        && m_module->callStatus() == VirtualUC20Module::CallIncoming && ++m_rings == AutoAnswerRings) {
        m_clock->schedule(0, m_powerContext, [this] {
            if (m_autoAnswer && m_module->callStatus() == VirtualUC20Module::CallIncoming
                && !m_module->isAwaitingText())
                m_module->submit(QStringLiteral("ATA"));
        });
    }
}

void VirtualHybridUnit::onModuleCallStateChanged()
{
    if (m_module->callStatus() != VirtualUC20Module::CallIncoming)
        m_rings = 0;
    m_levels->setCallActive(m_module->callStatus() == VirtualUC20Module::CallActive);
    emit callStateChanged();
}

// ---- Script -------------------------------------------------------------------------------

void VirtualHybridUnit::ringIn(const QString& number, const QString& name)
{
    m_module->ringIn(number, name);
}

void VirtualHybridUnit::farEndAnswers()
{
    m_module->farEndAnswers();
}

void VirtualHybridUnit::farEndHangsUp()
{
    m_module->farEndHangsUp();
}

void VirtualHybridUnit::setOutgoingOutcome(OutgoingOutcome outcome, int delayMs)
{
    m_module->setOutgoingOutcome(static_cast<VirtualUC20Module::OutgoingOutcome>(outcome), delayMs);
}

VirtualHybridUnit::OutgoingOutcome VirtualHybridUnit::outgoingOutcome() const
{
    return static_cast<OutgoingOutcome>(m_module->outgoingOutcome());
}

int VirtualHybridUnit::outgoingDelayMs() const
{
    return m_module->outgoingDelayMs();
}

void VirtualHybridUnit::callerPressesKey(char key)
{
    m_module->callerPressesKey(key);
}

void VirtualHybridUnit::setSignal(int rssi)
{
    m_module->setSignal(rssi);
}

int VirtualHybridUnit::signal() const
{
    return m_module->signal();
}

void VirtualHybridUnit::setSimLock(SimLock lock)
{
    m_module->setSimLock(static_cast<VirtualUC20Module::SimLock>(lock));
}

VirtualHybridUnit::SimLock VirtualHybridUnit::simLock() const
{
    return static_cast<SimLock>(m_module->simLock());
}

void VirtualHybridUnit::setPin(const QString& pin)
{
    m_module->setPin(pin);
}

void VirtualHybridUnit::setPuk(const QString& puk)
{
    m_module->setPuk(puk);
}

void VirtualHybridUnit::setAutoAnswer(bool enabled)
{
    if (m_autoAnswer == enabled)
        return;
    m_autoAnswer = enabled;
    emit stateChanged();
}

bool VirtualHybridUnit::autoAnswer() const
{
    return m_autoAnswer;
}

void VirtualHybridUnit::setStoreSilent(bool silent)
{
    if (m_storeSilent == silent)
        return;
    m_storeSilent = silent;
    emit stateChanged();
}

bool VirtualHybridUnit::storeSilent() const
{
    return m_storeSilent;
}

void VirtualHybridUnit::setModuleSilent(bool silent)
{
    if (m_moduleSilent == silent)
        return;
    m_moduleSilent = silent;
    qCInfo(lcVirtualHybrid) << m_serial << (silent ? "module falls silent" : "module answers again");
    emit stateChanged();
}

bool VirtualHybridUnit::moduleSilent() const
{
    return m_moduleSilent;
}

void VirtualHybridUnit::setCorruptFrames(bool corrupt)
{
    if (m_corruptFrames == corrupt)
        return;
    m_corruptFrames = corrupt;
    qCInfo(lcVirtualHybrid) << m_serial << (corrupt ? "spoils some frames" : "sends sound frames");
    emit stateChanged();
}

bool VirtualHybridUnit::corruptFrames() const
{
    return m_corruptFrames;
}

// ---- Identity and counters ----------------------------------------------------------------

QString VirtualHybridUnit::serialNumber() const
{
    return m_serial;
}

QString VirtualHybridUnit::usbSerialNumber() const
{
    return m_usbSerial;
}

QByteArray VirtualHybridUnit::hardwareId() const
{
    return m_hardwareId;
}

QString VirtualHybridUnit::firmwareVersionText() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(FirmwareMajor).arg(FirmwareMinor).arg(FirmwarePatch).arg(FirmwareBuild);
}

quint16 VirtualHybridUnit::codecRegister(int address) const
{
    return m_codec->value(address);
}

bool VirtualHybridUnit::isIdentifying() const
{
    return m_identifying;
}

QString VirtualHybridUnit::callStateText() const
{
    if (!m_plugged)
        return tr("Unplugged");
    if (m_rebooting)
        return tr("Rebooting");
    const QString number = m_module->callNumber().isEmpty() ? tr("a withheld number") : m_module->callNumber();
    switch (m_module->callStatus()) {
    case VirtualUC20Module::NoCall:
        break;
    case VirtualUC20Module::CallDialling:
        return tr("Dialling %1").arg(number);
    case VirtualUC20Module::CallAlerting:
        return tr("Ringing at %1").arg(number);
    case VirtualUC20Module::CallIncoming:
        return tr("Incoming call from %1").arg(number);
    case VirtualUC20Module::CallActive:
        return tr("In call with %1").arg(number);
    }
    return tr("Idle");
}

VirtualUC20Module* VirtualHybridUnit::module() const
{
    return m_module;
}

VirtualCodecRegisters* VirtualHybridUnit::codec() const
{
    return m_codec;
}

int VirtualHybridUnit::badFramesReceived() const
{
    return m_badFrames;
}

int VirtualHybridUnit::framesReceived() const
{
    return m_framesReceived;
}

int VirtualHybridUnit::framesSent() const
{
    return m_framesSent;
}

int VirtualHybridUnit::reportsLost() const
{
    return m_reportsLost;
}

QStringList VirtualHybridUnit::atCommandsReceived() const
{
    return m_atCommands;
}

QList<int> VirtualHybridUnit::readRequestsReceived() const
{
    return m_readRequests;
}

int VirtualHybridUnit::storeCount() const
{
    return m_storeCount;
}
