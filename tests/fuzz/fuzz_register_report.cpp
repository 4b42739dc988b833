// The codec register model under any register report and any setter arguments: every register
// holds what was last reported or written for it, a change is signalled once, and a setter
// changes only its own bits of its own registers, to a value the codec takes (register map of
// the NAU8810: EQ at 18-22, notch at 27-30, DAC at 10-11, ADC at 15, PGA at 45, boost at 47).

#include "CNau8810.h"
#include "DeviceMessage.h"
#include "FuzzSupport.h"

#include <QCoreApplication>

#include <array>
#include <vector>

namespace {

constexpr int RegisterCount = 256;
constexpr int Unknown = -1;
using Registers = std::array<int, RegisterCount>;

Registers registersOf(const CNau8810& codec)
{
    Registers values;
    for (int r = 0; r < RegisterCount; ++r)
        values[r] = codec.isRegisterKnown(quint8(r)) ? codec.registerValue(quint8(r)) : Unknown;
    return values;
}

// Reports (and other messages) as the link delivers them: the model follows every id-4 payload.
void receiveReports(FuzzedDataProvider& data, CNau8810& codec, Registers& expected, int& changes)
{
    const int count = data.ConsumeIntegralInRange(0, 100);
    for (int i = 0; i < count && data.remaining_bytes() > 0; ++i) {
        const int id
            = data.ConsumeIntegralInRange(0, 7) == 0 ? data.ConsumeIntegral<quint8>() : DeviceMessage::CodecRegister;
        const int type = data.ConsumeIntegral<quint8>();
        const QByteArray payload = consumeByteArray(data, DeviceMessage::MaxPayload + 4);
        codec.onReceiveUSB(id, type, payload);
        if (id != DeviceMessage::CodecRegister)
            continue;
        const QByteArray bytes = payload.leftJustified(3, '\0');
        const int address = quint8(bytes[0]);
        const int value = quint8(bytes[1]) | quint8(bytes[2]) << 8;
        changes += expected[address] != value ? 1 : 0;
        expected[address] = value;
    }
}

// A setter's promise for one register: the bits of mask hold a field between low and high
// (exactly exact when it is not Unknown); the other bits keep their value.
struct FieldPromise
{
    quint8 reg;
    quint16 mask;
    int low;
    int high;
    int exact;
};

int exactWhenIn(int value, int low, int high)
{
    return value >= low && value <= high ? value : Unknown;
}

std::vector<FieldPromise> applyEqSetter(FuzzedDataProvider& data, CNau8810& codec)
{
    const int value = data.ConsumeBool() ? data.ConsumeIntegralInRange(-2, 30) : data.ConsumeIntegral<int>();
    const int band = data.ConsumeIntegralInRange(-2, 6);
    const quint8 bandRegister = quint8(18 + band);
    const bool middleBand = band >= 1 && band <= 3;
    switch (data.ConsumeIntegralInRange(0, 7)) {
    case 0:
        codec.setEQPath(NAU8810_EQ_PATH(value));
        return { { 18, 0x100, 0, 1, exactWhenIn(value, 0, 1) } };
    case 1:
        codec.setEQBandWidth(NAU8810_EQ_BAND(band), NAU8810_EQ_BANDWIDTH(value));
        return middleBand ? std::vector<FieldPromise> { { bandRegister, 0x100, 0, 1, exactWhenIn(value, 0, 1) } }
                          : std::vector<FieldPromise> {};
    case 2:
        codec.setEQGain(NAU8810_EQ_BAND(band), value);
        return band >= 0 && band <= 4
            ? std::vector<FieldPromise> { { bandRegister, 0x1F, 0, 24, exactWhenIn(value, 0, 24) } }
            : std::vector<FieldPromise> {};
    case 3:
        codec.setEQ1Freq(NAU8810_EQ1_CF(value));
        return { { 18, 0x60, 0, 3, exactWhenIn(value, 0, 3) } };
    case 4:
        codec.setEQ2Freq(NAU8810_EQ2_CF(value));
        return { { 19, 0x60, 0, 3, exactWhenIn(value, 0, 3) } };
    case 5:
        codec.setEQ3Freq(NAU8810_EQ3_CF(value));
        return { { 20, 0x60, 0, 3, exactWhenIn(value, 0, 3) } };
    case 6:
        codec.setEQ4Freq(NAU8810_EQ4_CF(value));
        return { { 21, 0x60, 0, 3, exactWhenIn(value, 0, 3) } };
    default:
        codec.setEQ5Freq(NAU8810_EQ5_CF(value));
        return { { 22, 0x60, 0, 3, exactWhenIn(value, 0, 3) } };
    }
}

// Four seven-bit coefficient halves, each register left with its update bit clear.
std::vector<FieldPromise> applyNotchConfig(FuzzedDataProvider& data, CNau8810& codec)
{
    const int fc = data.ConsumeIntegral<int>();
    const int fb = data.ConsumeIntegral<int>();
    const int fs = data.ConsumeBool() ? data.ConsumeIntegralInRange(-2, 200000) : data.ConsumeIntegral<int>();
    codec.notchFilterConfig(fc, fb, fs);
    std::vector<FieldPromise> promises;
    for (quint8 reg = 27; reg <= 30; ++reg)
        promises.push_back({ reg, 0x17F, 0, 0x7F, Unknown });
    return promises;
}

std::vector<FieldPromise> applyLevelSetter(FuzzedDataProvider& data, CNau8810& codec)
{
    const int value = data.ConsumeBool() ? data.ConsumeIntegralInRange(-2, 300) : data.ConsumeIntegral<int>();
    const bool on = data.ConsumeBool();
    switch (data.ConsumeIntegralInRange(0, 7)) {
    case 0:
        codec.setPGAGain(value);
        return { { 45, 0x3F, 0, 63, exactWhenIn(value, 0, 63) } };
    case 1:
        codec.setPGAMute(on);
        return { { 45, 0x40, 0, 1, on } };
    case 2:
        // Code 0 would mute the converter, which a level control must not do.
        codec.setADCGain(value);
        return { { 15, 0xFF, 1, 255, exactWhenIn(value, 1, 255) } };
    case 3:
        codec.setDACGain(value);
        return { { 11, 0xFF, 1, 255, exactWhenIn(value, 1, 255) } };
    case 4:
        codec.setDACMute(on);
        return { { 10, 0x40, 0, 1, on } };
    case 5:
        codec.setPGABoost(NAU8810_PGABST(value));
        return { { 47, 0x100, 0, 1, exactWhenIn(value, 0, 1) } };
    case 6:
        codec.notchFilter(on);
        return { { 27, 0x80, 0, 1, on } };
    default:
        return applyNotchConfig(data, codec);
    }
}

// Checks a setter's promises against the registers as they were (expected) and as they are, and
// that no other register was signalled as changed; the unsignalled rest is compared at the end.
void checkPromises(const Registers& before, const CNau8810& codec, const std::vector<FieldPromise>& promises,
    const QList<int>& signalled)
{
    QList<int> promised;
    for (const FieldPromise& p : promises) {
        promised.append(p.reg);
        FUZZ_CHECK(codec.isRegisterKnown(p.reg));
        const int after = codec.registerValue(p.reg);
        const int old = before[p.reg] == Unknown ? 0 : before[p.reg];
        FUZZ_CHECK((after & ~p.mask) == (old & ~p.mask));
        FUZZ_CHECK(old > 0x1FF || after <= 0x1FF);
        const int field = (after & p.mask) >> qCountTrailingZeroBits(p.mask);
        FUZZ_CHECK(field >= p.low && field <= p.high);
        FUZZ_CHECK(p.exact == Unknown || field == p.exact);
    }
    for (const int address : signalled)
        FUZZ_CHECK(promised.contains(address));
}

// Raw writes and the reset go out as given.
void applyRawWrite(FuzzedDataProvider& data, CNau8810& codec, Registers& expected)
{
    const quint8 reg = data.ConsumeBool() ? quint8(1) : data.ConsumeIntegral<quint8>();
    const quint16 value = data.ConsumeIntegral<quint16>();
    if (reg == 1 && data.ConsumeBool()) {
        codec.softwareReset();
        expected[1] = 0;
        return;
    }
    codec.writeRegister(reg, value);
    expected[reg] = value;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeApplication<QCoreApplication>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    CNau8810 codec(nullptr, nullptr, nullptr);
    QList<int> signalled;
    QObject::connect(&codec, &CNau8810::registerChanged, [&signalled](int address) { signalled.append(address); });

    Registers expected;
    expected.fill(Unknown);
    int changes = 0;
    receiveReports(data, codec, expected, changes);
    FUZZ_CHECK(registersOf(codec) == expected && signalled.size() == changes);

    for (int i = 0; i < 16 && data.remaining_bytes() > 0; ++i) {
        signalled.clear();
        const int kind = data.ConsumeIntegralInRange(0, 2);
        if (kind == 2) {
            applyRawWrite(data, codec, expected);
            continue;
        }
        const std::vector<FieldPromise> promises
            = kind == 0 ? applyEqSetter(data, codec) : applyLevelSetter(data, codec);
        checkPromises(expected, codec, promises, signalled);
        for (const FieldPromise& p : promises)
            expected[p.reg] = codec.registerValue(p.reg);
    }
    // Registers no setter promised to touch, and raw writes, as the model has them.
    FUZZ_CHECK(registersOf(codec) == expected);
    return 0;
}
