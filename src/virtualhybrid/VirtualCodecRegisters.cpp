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
};

// Power-on values as Nuvoton's Linux driver gives them. Where another source disagrees
// (registers 62, 70, 71) the driver's value is used; the comment gives the other value.
constexpr std::array<Register, VirtualCodecRegisters::RegisterCount> registerMap { {
    { Reset, 0x000 },     // 0 software reset
    { ReadWrite, 0x000 }, // 1 power management 1
    { ReadWrite, 0x000 }, // 2 power management 2
    { ReadWrite, 0x000 }, // 3 power management 3
    { ReadWrite, 0x050 }, // 4 audio interface
    { ReadWrite, 0x000 }, // 5 companding
    { ReadWrite, 0x140 }, // 6 clock control 1
    { ReadWrite, 0x000 }, // 7 clock control 2 (sample rate)
    { Absent, 0x000 },    // 8
    { Absent, 0x000 },    // 9
    { ReadWrite, 0x000 }, // 10 DAC control (bit 6 soft mute)
    { ReadWrite, 0x0FF }, // 11 DAC digital gain, 0 dB
    { Absent, 0x000 },    // 12
    { Absent, 0x000 },    // 13
    { ReadWrite, 0x100 }, // 14 ADC control (high-pass filter on)
    { ReadWrite, 0x0FF }, // 15 ADC digital gain, 0 dB
    { Absent, 0x000 },    // 16
    { Absent, 0x000 },    // 17
    { ReadWrite, 0x12C }, // 18 EQ1: playback path, 105 Hz, 0 dB
    { ReadWrite, 0x02C }, // 19 EQ2: 300 Hz, 0 dB
    { ReadWrite, 0x02C }, // 20 EQ3: 850 Hz, 0 dB
    { ReadWrite, 0x02C }, // 21 EQ4: 2.4 kHz, 0 dB
    { ReadWrite, 0x02C }, // 22 EQ5: 6.9 kHz, 0 dB
    { Absent, 0x000 },    // 23
    { ReadWrite, 0x032 }, // 24 DAC limiter 1
    { ReadWrite, 0x000 }, // 25 DAC limiter 2
    { Absent, 0x000 },    // 26
    { ReadWrite, 0x000 }, // 27 notch filter 1 (enable, A0 high bits)
    { ReadWrite, 0x000 }, // 28 notch filter 2 (A0 low bits)
    { ReadWrite, 0x000 }, // 29 notch filter 3 (A1 high bits)
    { ReadWrite, 0x000 }, // 30 notch filter 4 (A1 low bits)
    { Absent, 0x000 },    // 31
    { ReadWrite, 0x038 }, // 32 ALC control 1
    { ReadWrite, 0x00B }, // 33 ALC control 2
    { ReadWrite, 0x032 }, // 34 ALC control 3
    { ReadWrite, 0x000 }, // 35 noise gate
    { ReadWrite, 0x008 }, // 36 PLL N
    { ReadWrite, 0x00C }, // 37 PLL K1
    { ReadWrite, 0x093 }, // 38 PLL K2
    { ReadWrite, 0x0E9 }, // 39 PLL K3
    { ReadWrite, 0x000 }, // 40 attenuation control
    { Absent, 0x000 },    // 41
    { Absent, 0x000 },    // 42
    { Absent, 0x000 },    // 43
    { ReadWrite, 0x003 }, // 44 input control (both microphone inputs to the PGA)
    { ReadWrite, 0x010 }, // 45 PGA gain, 0 dB, not muted
    { Absent, 0x000 },    // 46
    { ReadWrite, 0x100 }, // 47 ADC boost (PGA boost +20 dB)
    { Absent, 0x000 },    // 48
    { ReadWrite, 0x002 }, // 49 output control
    { ReadWrite, 0x001 }, // 50 speaker mixer
    { Absent, 0x000 },    // 51
    { Absent, 0x000 },    // 52
    { Absent, 0x000 },    // 53
    { ReadWrite, 0x039 }, // 54 speaker gain, 0 dB
    { Absent, 0x000 },    // 55
    { ReadWrite, 0x001 }, // 56 mono mixer
    { Absent, 0x000 },    // 57
    { ReadWrite, 0x000 }, // 58 power management 4
    { ReadWrite, 0x000 }, // 59 time slot
    { ReadWrite, 0x020 }, // 60 ADC out drive
    { Absent, 0x000 },    // 61
    { ReadOnly, 0x000 },  // 62 silicon revision (one source says 0x0EF)
    { ReadOnly, 0x01A },  // 63 two-wire id
    { ReadOnly, 0x0CA },  // 64 additional id
    { ReadOnly, 0x124 },  // 65 reserved
    { Absent, 0x000 },    // 66
    { Absent, 0x000 },    // 67
    { Absent, 0x000 },    // 68
    { ReadWrite, 0x001 }, // 69 output (high voltage) control
    { ReadWrite, 0x010 }, // 70 ALC enhancements 1 (one source says 0x000)
    { ReadWrite, 0x000 }, // 71 ALC enhancements 2 (one source says 0x039)
    { Absent, 0x000 },    // 72
    { ReadWrite, 0x000 }, // 73 additional interface control
    { Absent, 0x000 },    // 74
    { ReadWrite, 0x000 }, // 75 power / tie-off control
    { ReadOnly, 0x000 },  // 76 AGC peak-to-peak out
    { ReadOnly, 0x000 },  // 77 AGC peak out
    { ReadWrite, 0x000 }, // 78 automute control and status
    { ReadWrite, 0x000 }, // 79 output tie-off direct manual control
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
