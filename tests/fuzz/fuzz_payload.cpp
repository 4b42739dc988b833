// The device payload codec: every reader on any bytes reads what the layout says is there, and
// what a writer produces reads back as what it was given, within what one payload can carry.

#include "DeviceMessage.h"
#include "DevicePayload.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int MaxPayload = DeviceMessage::MaxPayload;

QByteArray paddedTo(const QByteArray& bytes, int size)
{
    return bytes.size() >= size ? bytes : bytes + QByteArray(size - bytes.size(), '\0');
}

QByteArray beforeFirstNul(const QByteArray& bytes)
{
    const char* end = std::find(bytes.cbegin(), bytes.cend(), '\0');
    return QByteArray(bytes.constData(), int(end - bytes.cbegin()));
}

quint32 littleEndianAt(const QByteArray& bytes, int offset)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | quint8(bytes[offset + i]);
    return value;
}

quint32 bitsOf(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatOf(quint32 bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Any text, surrogate halves and NULs included.
QString consumeText(FuzzedDataProvider& data, size_t maxLength)
{
    const std::string bytes = data.ConsumeBytesAsString(2 * data.ConsumeIntegralInRange<size_t>(0, maxLength));
    QString text(int(bytes.size() / 2), Qt::Uninitialized);
    std::memcpy(text.data(), bytes.data(), 2 * size_t(text.size()));
    return text;
}

void checkNumberReaders(const QByteArray& payload)
{
    const QByteArray eight = paddedTo(payload, 8);
    const DevicePayload::Levels levels = DevicePayload::levels(payload);
    FUZZ_CHECK(bitsOf(levels.receive) == littleEndianAt(eight, 0) && bitsOf(levels.send) == littleEndianAt(eight, 4));
    FUZZ_CHECK(DevicePayload::levelsPayload(levels) == eight.left(8));

    const QByteArray twenty = paddedTo(payload, 20);
    const DevicePayload::FirmwareVersion version = DevicePayload::firmwareVersion(payload);
    for (int i = 0; i < 4; ++i)
        FUZZ_CHECK(quint32(version[i]) == littleEndianAt(twenty, 4 + 4 * i));
    FUZZ_CHECK(DevicePayload::firmwareVersionPayload(version) == QByteArray(4, '\0') + twenty.mid(4, 16));

    const QByteArray three = paddedTo(payload, 3);
    const DevicePayload::CodecRegister reg = DevicePayload::codecRegister(payload);
    FUZZ_CHECK(reg.address == quint8(three[0]) && reg.value == (quint8(three[1]) | quint8(three[2]) << 8));
    FUZZ_CHECK(DevicePayload::codecRegisterPayload(reg) == three.left(3));

    FUZZ_CHECK(DevicePayload::autoAnswer(payload) == (!payload.isEmpty() && payload[0] != '\0'));
    const QByteArray hardwareId = DevicePayload::hardwareId(payload);
    FUZZ_CHECK(hardwareId == paddedTo(payload, DevicePayload::HardwareIdSize).left(DevicePayload::HardwareIdSize));
}

void checkTextReaders(const QByteArray& payload)
{
    const QByteArray text = beforeFirstNul(payload);
    FUZZ_CHECK(DevicePayload::textUpToNul(payload) == text);
    FUZZ_CHECK(DevicePayload::atLine(payload) == text);
    FUZZ_CHECK(DevicePayload::serialNumber(payload) == QString::fromLatin1(text));
    FUZZ_CHECK(DevicePayload::debugText(payload) == QString::fromLatin1(beforeFirstNul(payload.mid(1))));
}

void checkNumberWriters(FuzzedDataProvider& data)
{
    const DevicePayload::Levels levels { floatOf(data.ConsumeIntegral<quint32>()),
        floatOf(data.ConsumeIntegral<quint32>()) };
    const QByteArray levelBytes = DevicePayload::levelsPayload(levels);
    const DevicePayload::Levels levelsRead = DevicePayload::levels(levelBytes);
    FUZZ_CHECK(levelBytes.size() == 8);
    FUZZ_CHECK(bitsOf(levelsRead.receive) == bitsOf(levels.receive) && bitsOf(levelsRead.send) == bitsOf(levels.send));

    DevicePayload::FirmwareVersion version;
    for (qint32& part : version)
        part = data.ConsumeIntegral<qint32>();
    const QByteArray versionBytes = DevicePayload::firmwareVersionPayload(version);
    FUZZ_CHECK(versionBytes.size() == 20 && DevicePayload::firmwareVersion(versionBytes) == version);

    const DevicePayload::CodecRegister reg { data.ConsumeIntegral<quint8>(), data.ConsumeIntegral<quint16>() };
    const QByteArray regBytes = DevicePayload::codecRegisterPayload(reg);
    const DevicePayload::CodecRegister regRead = DevicePayload::codecRegister(regBytes);
    FUZZ_CHECK(regBytes.size() == 3 && regRead.address == reg.address && regRead.value == reg.value);

    const bool on = data.ConsumeBool();
    FUZZ_CHECK(DevicePayload::autoAnswer(DevicePayload::autoAnswerPayload(on)) == on);
    FUZZ_CHECK(DevicePayload::identifyPayload(on) == QByteArray(1, on ? '\1' : '\0'));
}

void checkTextWriters(FuzzedDataProvider& data)
{
    const QString text = consumeText(data, 48);
    const QByteArray latin = text.toLatin1();

    const QByteArray debugBytes = DevicePayload::debugTextPayload(text);
    FUZZ_CHECK(debugBytes.size() <= MaxPayload && debugBytes.startsWith('\1') && debugBytes.endsWith('\0'));
    FUZZ_CHECK(DevicePayload::debugText(debugBytes) == QString::fromLatin1(beforeFirstNul(latin.left(MaxPayload - 2))));

    const QByteArray serialBytes = DevicePayload::serialNumberPayload(text);
    FUZZ_CHECK(serialBytes.size() <= MaxPayload && serialBytes.endsWith('\0'));
    FUZZ_CHECK(
        DevicePayload::serialNumber(serialBytes) == QString::fromLatin1(beforeFirstNul(latin.left(MaxPayload - 1))));

    const QByteArray command = data.ConsumeBool() ? latin : beforeFirstNul(latin);
    FUZZ_CHECK(DevicePayload::atCommandPayload(command) == command + '\0');
    FUZZ_CHECK(DevicePayload::atLine(DevicePayload::atCommandPayload(command)) == beforeFirstNul(command));
}

// A line cut into messages: every piece fits a payload, only the last one ends the line, and
// reading the pieces back gives the line.
void checkLineMessages(FuzzedDataProvider& data)
{
    const QByteArray raw = consumeByteArray(data, 600);
    const QByteArray line = data.ConsumeBool() ? raw : beforeFirstNul(raw);
    const QList<DevicePayload::Message> messages = DevicePayload::atLineMessages(line);
    FUZZ_CHECK(messages.size() == (line.size() + MaxPayload - 1) / MaxPayload);
    QByteArray joined;
    for (int i = 0; i < messages.size(); ++i) {
        const bool last = i == messages.size() - 1;
        FUZZ_CHECK(messages[i].type == (last ? DeviceMessage::Write : DeviceMessage::LineContinues));
        FUZZ_CHECK(!messages[i].payload.isEmpty() && messages[i].payload.size() <= MaxPayload);
        joined += DevicePayload::atLine(messages[i].payload);
    }
    if (!line.contains('\0'))
        FUZZ_CHECK(joined == line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    switch (data.ConsumeIntegralInRange(0, 4)) {
    case 0: {
        const QByteArray payload = consumeByteArray(data, MaxPayload + 12);
        checkNumberReaders(payload);
        checkTextReaders(payload);
        break;
    }
    case 1:
        checkNumberWriters(data);
        break;
    case 2:
        checkTextWriters(data);
        break;
    default:
        checkLineMessages(data);
        break;
    }
    return 0;
}
