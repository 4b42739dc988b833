#include "CNau8810.h"
#include "LogCategories.h"

#include "CUSBHID.h"
#include "ConsoleLog.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"

#include <QtDebug>
#include <QtGlobal>
#include <cmath>

namespace {

constexpr quint8 RegSoftwareReset = 1;
constexpr quint8 RegDacControl = 10;
constexpr quint8 RegDacGain = 11;
constexpr quint8 RegAdcGain = 15;
constexpr quint8 RegEqBand1 = 18;
constexpr quint8 RegNotchA0High = 27;
constexpr quint8 RegNotchA0Low = 28;
constexpr quint8 RegNotchA1High = 29;
constexpr quint8 RegNotchA1Low = 30;
constexpr quint8 RegPgaGain = 45;
constexpr quint8 RegAdcBoost = 47;

constexpr int EqBands = 5;
constexpr int EqGainMax = 24;

constexpr quint16 EqGainBits = 0x001F;
constexpr quint16 EqFreqBits = 0x0060;
constexpr int EqFreqShift = 5;
constexpr quint16 Bit6 = 0x0040;
constexpr quint16 Bit7 = 0x0080;
constexpr quint16 Bit8 = 0x0100;
constexpr quint16 PgaGainBits = 0x003F;
constexpr quint16 DigitalGainBits = 0x00FF;
// A notch coefficient write replaces seven bits and must leave the update bit clear, so the
// device takes the new pair only on the later pulse.
constexpr quint16 NotchCoefficientBits = 0x007F | Bit8;

quint16 flag(bool on, quint16 bit)
{
    return on ? bit : 0;
}

// Toward zero, as the coefficient formulas expect; senseless arguments (a zero sample rate) give
// values out of range, which are pinned rather than left undefined.
qint32 truncated(double x)
{
    if (std::isnan(x))
        return 0;
    return static_cast<qint32>(qBound(-2147483648.0, std::trunc(x), 2147483647.0));
}

} // namespace

CNau8810::CNau8810(QObject* parent, CUSBHID* usb, CConsole* console)
    : QObject(parent)
    , m_usb(usb)
    , m_console(console)
{
}

void CNau8810::writeRegister(quint8 reg, quint16 value)
{
    qCDebug(lcAudio, "register %d = 0x%03x", reg, value);
    if (m_usb) {
        const QByteArray payload = DevicePayload::codecRegisterPayload({ reg, value });
        m_usb->transmit(DeviceMessage::CodecRegister, DeviceMessage::Write, payload.constData(), payload.size());
    }
    store(reg, value);
}

void CNau8810::requestRegister(quint8 reg)
{
    if (!m_usb)
        return;
    const char address = static_cast<char>(reg);
    m_usb->transmit(DeviceMessage::CodecRegister, DeviceMessage::Read, &address, 1);
}

quint16 CNau8810::registerValue(quint8 reg) const
{
    return m_registers.value(reg, 0);
}

bool CNau8810::isRegisterKnown(quint8 reg) const
{
    return m_registers.contains(reg);
}

void CNau8810::initialize()
{
    // The device reports its registers by itself after a connection; this only marks the start.
    ConsoleLog::debug(m_console, tr("Request registers NAU8810: Start"));
}

void CNau8810::onReceiveUSB(int id, int type, QByteArray data)
{
    Q_UNUSED(type)
    if (id != DeviceMessage::CodecRegister)
        return;
    const DevicePayload::CodecRegister reg = DevicePayload::codecRegister(data);
    const quint8 address = static_cast<quint8>(reg.address);
    store(address, reg.value);
    if (address == LastReportedRegister)
        ConsoleLog::debug(m_console, tr("Request registers NAU8810: Done"));
}

void CNau8810::softwareReset()
{
    // Any value written to register 1 resets the codec; the cache is not consulted.
    writeRegister(RegSoftwareReset, 0);
}

void CNau8810::setEQPath(NAU8810_EQ_PATH path)
{
    writeField(RegEqBand1, Bit8, flag(path & 1, Bit8));
}

void CNau8810::setEQBandWidth(NAU8810_EQ_BAND band, NAU8810_EQ_BANDWIDTH bandwidth)
{
    // Only the three middle bands are peak filters with a width; the outer two are shelves.
    if (band < NAU8810_EQ_BAND2 || band > NAU8810_EQ_BAND4)
        return;
    writeField(static_cast<quint8>(RegEqBand1 + band), Bit8, flag(bandwidth & 1, Bit8));
}

void CNau8810::setEQGain(NAU8810_EQ_BAND band, int gain)
{
    if (band < 0 || band >= EqBands)
        return;
    writeField(static_cast<quint8>(RegEqBand1 + band), EqGainBits, static_cast<quint16>(qBound(0, gain, EqGainMax)));
}

void CNau8810::setEQ1Freq(NAU8810_EQ1_CF freq)
{
    setEQFreq(0, freq);
}

void CNau8810::setEQ2Freq(NAU8810_EQ2_CF freq)
{
    setEQFreq(1, freq);
}

void CNau8810::setEQ3Freq(NAU8810_EQ3_CF freq)
{
    setEQFreq(2, freq);
}

void CNau8810::setEQ4Freq(NAU8810_EQ4_CF freq)
{
    setEQFreq(3, freq);
}

void CNau8810::setEQ5Freq(NAU8810_EQ5_CF freq)
{
    setEQFreq(4, freq);
}

void CNau8810::setPGAGain(int gain)
{
    qCDebug(lcAudio, "*** setPGAGain() ***");
    writeField(RegPgaGain, PgaGainBits, static_cast<quint16>(qBound(0, gain, int(PgaGainBits))));
}

void CNau8810::setPGAMute(bool mute)
{
    writeField(RegPgaGain, Bit6, flag(mute, Bit6));
}

void CNau8810::setADCGain(int gain)
{
    // Code 0 would silence the converter outright, which no level control should do.
    writeField(RegAdcGain, DigitalGainBits, static_cast<quint16>(qBound(1, gain, int(DigitalGainBits))));
}

void CNau8810::setDACGain(int gain)
{
    writeField(RegDacGain, DigitalGainBits, static_cast<quint16>(qBound(1, gain, int(DigitalGainBits))));
}

void CNau8810::setDACMute(bool mute)
{
    writeField(RegDacControl, Bit6, flag(mute, Bit6));
}

void CNau8810::setPGABoost(NAU8810_PGABST boost)
{
    qCDebug(lcAudio, "******************************* SET PGA BOOST ************ %d", static_cast<int>(boost));
    writeField(RegAdcBoost, Bit8, flag(boost & 1, Bit8));
}

void CNau8810::notchFilterConfig(int fc, int fb, int fs)
{
    const double pi = std::acos(-1.0);
    const double twiceFs = 2.0 * fs;
    const double t = std::tan(2.0 * pi * fb / twiceFs);
    const double a = (1.0 - t) / (1.0 + t);
    // The codec takes 14-bit two's-complement coefficients, split into seven-bit halves.
    const quint16 a0 = static_cast<quint16>(truncated(-a * 8192.0));
    const quint16 a1 = static_cast<quint16>(truncated(std::cos(2.0 * pi * fc / fs) * (a + 1.0) * 4096.0));

    writeField(RegNotchA0High, NotchCoefficientBits, (a0 >> 7) & 0x7F);
    writeField(RegNotchA0Low, NotchCoefficientBits, a0 & 0x7F);
    writeField(RegNotchA1High, NotchCoefficientBits, (a1 >> 7) & 0x7F);
    const quint16 last = writeField(RegNotchA1Low, NotchCoefficientBits, a1 & 0x7F);
    // The codec latches all four coefficient registers when the update bit of the last one rises.
    writeRegister(RegNotchA1Low, last | Bit8);
    writeRegister(RegNotchA1Low, last);
}

void CNau8810::notchFilter(bool enable)
{
    writeField(RegNotchA0High, Bit7, flag(enable, Bit7));
}

quint16 CNau8810::writeField(quint8 reg, quint16 mask, quint16 field)
{
    const quint16 value = static_cast<quint16>((registerValue(reg) & ~mask) | (field & mask));
    writeRegister(reg, value);
    return value;
}

void CNau8810::setEQFreq(int band, int freq)
{
    writeField(static_cast<quint8>(RegEqBand1 + band), EqFreqBits, static_cast<quint16>((freq & 3) << EqFreqShift));
}

void CNau8810::store(quint8 reg, quint16 value)
{
    const auto known = m_registers.constFind(reg);
    if (known != m_registers.constEnd() && known.value() == value)
        return;
    m_registers.insert(reg, value);
    emit registerChanged(reg, value);
}
