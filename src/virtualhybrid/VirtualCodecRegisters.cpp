#include "VirtualCodecRegisters.h"

#include <array>

namespace {

enum Kind : quint8 {
    Absent,    // no register at this address: reads 0, writes are ignored
    ReadWrite, // an ordinary register
    ReadOnly,  // identification or status: writes are ignored
    Reset,     // register 0: a write resets the chip; reads 0
};

struct Register
{
    Kind kind;
    quint16 powerOn;
    bool estimated; // the power-on value is our choice, not the chip's documented one
};

// Power-on values as Nuvoton's Linux driver gives them. Where another source disagrees
// (registers 62, 70, 71) the driver's value is used and the entry is marked estimated.
constexpr std::array<Register, VirtualCodecRegisters::RegisterCount> registerMap { {
    { Reset, 0x000, false },     // 0 software reset
    { ReadWrite, 0x000, false }, // 1 power management 1
    { ReadWrite, 0x000, false }, // 2 power management 2
    { ReadWrite, 0x000, false }, // 3 power management 3
    { ReadWrite, 0x050, false }, // 4 audio interface
    { ReadWrite, 0x000, false }, // 5 companding
    { ReadWrite, 0x140, false }, // 6 clock control 1
    { ReadWrite, 0x000, false }, // 7 clock control 2 (sample rate)
    { Absent, 0x000, false },    // 8
    { Absent, 0x000, false },    // 9
    { ReadWrite, 0x000, false }, // 10 DAC control (bit 6 soft mute)
    { ReadWrite, 0x0FF, false }, // 11 DAC digital gain, 0 dB
    { Absent, 0x000, false },    // 12
    { Absent, 0x000, false },    // 13
    { ReadWrite, 0x100, false }, // 14 ADC control (high-pass filter on)
    { ReadWrite, 0x0FF, false }, // 15 ADC digital gain, 0 dB
    { Absent, 0x000, false },    // 16
    { Absent, 0x000, false },    // 17
    { ReadWrite, 0x12C, false }, // 18 EQ1: playback path, 105 Hz, 0 dB
    { ReadWrite, 0x02C, false }, // 19 EQ2: 300 Hz, 0 dB
    { ReadWrite, 0x02C, false }, // 20 EQ3: 850 Hz, 0 dB
    { ReadWrite, 0x02C, false }, // 21 EQ4: 2.4 kHz, 0 dB
    { ReadWrite, 0x02C, false }, // 22 EQ5: 6.9 kHz, 0 dB
    { Absent, 0x000, false },    // 23
    { ReadWrite, 0x032, false }, // 24 DAC limiter 1
    { ReadWrite, 0x000, false }, // 25 DAC limiter 2
    { Absent, 0x000, false },    // 26
    { ReadWrite, 0x000, false }, // 27 notch filter 1 (enable, A0 high bits)
    { ReadWrite, 0x000, false }, // 28 notch filter 2 (A0 low bits)
    { ReadWrite, 0x000, false }, // 29 notch filter 3 (A1 high bits)
    { ReadWrite, 0x000, false }, // 30 notch filter 4 (A1 low bits)
    { Absent, 0x000, false },    // 31
    { ReadWrite, 0x038, false }, // 32 ALC control 1
    { ReadWrite, 0x00B, false }, // 33 ALC control 2
    { ReadWrite, 0x032, false }, // 34 ALC control 3
    { ReadWrite, 0x000, false }, // 35 noise gate
    { ReadWrite, 0x008, false }, // 36 PLL N
    { ReadWrite, 0x00C, false }, // 37 PLL K1
    { ReadWrite, 0x093, false }, // 38 PLL K2
    { ReadWrite, 0x0E9, false }, // 39 PLL K3
    { ReadWrite, 0x000, false }, // 40 attenuation control
    { Absent, 0x000, false },    // 41
    { Absent, 0x000, false },    // 42
    { Absent, 0x000, false },    // 43
    { ReadWrite, 0x003, false }, // 44 input control (both microphone inputs to the PGA)
    { ReadWrite, 0x010, false }, // 45 PGA gain, 0 dB, not muted
    { Absent, 0x000, false },    // 46
    { ReadWrite, 0x100, false }, // 47 ADC boost (PGA boost +20 dB)
    { Absent, 0x000, false },    // 48
    { ReadWrite, 0x002, false }, // 49 output control
    { ReadWrite, 0x001, false }, // 50 speaker mixer
    { Absent, 0x000, false },    // 51
    { Absent, 0x000, false },    // 52
    { Absent, 0x000, false },    // 53
    { ReadWrite, 0x039, false }, // 54 speaker gain, 0 dB
    { Absent, 0x000, false },    // 55
    { ReadWrite, 0x001, false }, // 56 mono mixer
    { Absent, 0x000, false },    // 57
    { ReadWrite, 0x000, false }, // 58 power management 4
    { ReadWrite, 0x000, false }, // 59 time slot
    { ReadWrite, 0x020, false }, // 60 ADC out drive
    { Absent, 0x000, false },    // 61
    { ReadOnly, 0x000, true },   // 62 silicon revision (one source says 0x0EF)
    { ReadOnly, 0x01A, false },  // 63 two-wire id
    { ReadOnly, 0x0CA, false },  // 64 additional id
    { ReadOnly, 0x124, false },  // 65 reserved
    { Absent, 0x000, false },    // 66
    { Absent, 0x000, false },    // 67
    { Absent, 0x000, false },    // 68
    { ReadWrite, 0x001, false }, // 69 output (high voltage) control
    { ReadWrite, 0x010, true },  // 70 ALC enhancements 1 (one source says 0x000)
    { ReadWrite, 0x000, true },  // 71 ALC enhancements 2 (one source says 0x039)
    { Absent, 0x000, false },    // 72
    { ReadWrite, 0x000, false }, // 73 additional interface control
    { Absent, 0x000, false },    // 74
    { ReadWrite, 0x000, false }, // 75 power / tie-off control
    { ReadOnly, 0x000, false },  // 76 AGC peak-to-peak out
    { ReadOnly, 0x000, false },  // 77 AGC peak out
    { ReadWrite, 0x000, false }, // 78 automute control and status
    { ReadWrite, 0x000, false }, // 79 output tie-off direct manual control
} };

constexpr int notchFirst = 27;
constexpr int notchLast = 30;
constexpr quint16 notchUpdateBit = 0x100;

bool inRange(int address)
{
    return address >= 0 && address < VirtualCodecRegisters::RegisterCount;
}

} // namespace

VirtualCodecRegisters::VirtualCodecRegisters(QObject* parent)
    : QObject(parent)
    , m_values(RegisterCount, 0)
{
    for (int address = 0; address < RegisterCount; ++address)
        m_values[address] = powerOnValue(address);
}

quint16 VirtualCodecRegisters::powerOnValue(int address)
{
    return inRange(address) ? registerMap[static_cast<size_t>(address)].powerOn : 0;
}

bool VirtualCodecRegisters::exists(int address)
{
    return inRange(address) && registerMap[static_cast<size_t>(address)].kind != Absent;
}

bool VirtualCodecRegisters::isEstimated(int address)
{
    return inRange(address) && registerMap[static_cast<size_t>(address)].estimated;
}

bool VirtualCodecRegisters::isReadOnly(int address)
{
    return inRange(address) && registerMap[static_cast<size_t>(address)].kind == ReadOnly;
}

quint16 VirtualCodecRegisters::value(int address) const
{
    return inRange(address) ? m_values[address] : 0;
}

bool VirtualCodecRegisters::write(int address, quint16 value)
{
    if (!inRange(address))
        return false;
    switch (registerMap[static_cast<size_t>(address)].kind) {
    case Absent:
    case ReadOnly:
        return false;
    case Reset:
        reset();
        return true;
    case ReadWrite:
        break;
    }
    value &= ValueMask;
    if (address >= notchFirst && address <= notchLast)
        value &= ~notchUpdateBit;
    assign(address, value);
    return true;
}

void VirtualCodecRegisters::reset()
{
    for (int address = 0; address < RegisterCount; ++address)
        assign(address, powerOnValue(address));
}

QVector<quint16> VirtualCodecRegisters::values() const
{
    return m_values;
}

void VirtualCodecRegisters::setValues(const QVector<quint16>& values)
{
    for (int address = 0; address < RegisterCount && address < values.size(); ++address)
        assign(address, exists(address) ? values[address] & ValueMask : 0);
}

void VirtualCodecRegisters::assign(int address, quint16 value)
{
    if (m_values[address] == value)
        return;
    m_values[address] = value;
    emit registerChanged(address, value);
}
