#include "DevicePayload.h"

#include "DeviceMessage.h"

#include <QtEndian>

#include <cstring>

namespace {

// A zero-padded copy long enough for a layout of size bytes.
QByteArray padded(const QByteArray& payload, int size)
{
    return payload.size() >= size ? payload : payload + QByteArray(size - payload.size(), '\0');
}

float float32At(const QByteArray& bytes, int offset)
{
    const quint32 bits = qFromLittleEndian<quint32>(bytes.constData() + offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void appendFloat32(QByteArray& bytes, float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    char le[4];
    qToLittleEndian(bits, le);
    bytes.append(le, 4);
}

// A text and its NUL, cut so that both fit in one payload.
QByteArray nulTerminated(const QByteArray& text)
{
    return text.left(DeviceMessage::MaxPayload - 1) + '\0';
}

} // namespace

DevicePayload::Levels DevicePayload::levels(const QByteArray& payload)
{
    const QByteArray bytes = padded(payload, 8);
    return { float32At(bytes, 0), float32At(bytes, 4) };
}

QByteArray DevicePayload::levelsPayload(const Levels& levels)
{
    QByteArray bytes;
    appendFloat32(bytes, levels.receive);
    appendFloat32(bytes, levels.send);
    return bytes;
}

DevicePayload::FirmwareVersion DevicePayload::firmwareVersion(const QByteArray& payload)
{
    const QByteArray bytes = padded(payload, 20);
    FirmwareVersion version;
    for (int i = 0; i < 4; ++i)
        version[i] = qFromLittleEndian<qint32>(bytes.constData() + 4 + 4 * i);
    return version;
}

QByteArray DevicePayload::firmwareVersionPayload(const FirmwareVersion& version)
{
    QByteArray bytes(20, '\0');
    for (int i = 0; i < 4; ++i)
        qToLittleEndian(version[i], bytes.data() + 4 + 4 * i);
    return bytes;
}

QString DevicePayload::debugText(const QByteArray& payload)
{
    return QString::fromLatin1(textUpToNul(payload.mid(1)));
}

QByteArray DevicePayload::debugTextPayload(const QString& text)
{
    // Channel 1; the program skips the byte.
    return '\1' + text.toLatin1().left(DeviceMessage::MaxPayload - 2) + '\0';
}

QByteArray DevicePayload::atCommandPayload(const QByteArray& command)
{
    return command + '\0';
}

QByteArray DevicePayload::atLine(const QByteArray& payload)
{
    return textUpToNul(payload);
}

QList<DevicePayload::Message> DevicePayload::atLineMessages(const QByteArray& line)
{
    // A piece that fills the payload goes without its NUL: the reader stops at the payload's end.
    QList<Message> messages;
    for (int offset = 0; offset < line.size(); offset += DeviceMessage::MaxPayload) {
        const bool last = offset + DeviceMessage::MaxPayload >= line.size();
        const QByteArray piece = line.mid(offset, DeviceMessage::MaxPayload);
        messages.append({ last ? quint8(DeviceMessage::Write) : quint8(DeviceMessage::LineContinues),
            piece.size() < DeviceMessage::MaxPayload ? piece + '\0' : piece });
    }
    return messages;
}

DevicePayload::CodecRegister DevicePayload::codecRegister(const QByteArray& payload)
{
    const QByteArray bytes = padded(payload, 3);
    return { static_cast<quint8>(bytes[0]),
        static_cast<quint16>(static_cast<quint8>(bytes[1]) | static_cast<quint8>(bytes[2]) << 8) };
}

QByteArray DevicePayload::codecRegisterPayload(const CodecRegister& reg)
{
    QByteArray bytes(3, '\0');
    bytes[0] = static_cast<char>(reg.address);
    bytes[1] = static_cast<char>(reg.value & 0xFF);
    bytes[2] = static_cast<char>(reg.value >> 8);
    return bytes;
}

bool DevicePayload::autoAnswer(const QByteArray& payload)
{
    return !payload.isEmpty() && payload[0] != '\0';
}

QByteArray DevicePayload::autoAnswerPayload(bool on)
{
    return QByteArray(1, on ? '\1' : '\0');
}

QByteArray DevicePayload::identifyPayload(bool on)
{
    return QByteArray(1, on ? '\1' : '\0');
}

QString DevicePayload::serialNumber(const QByteArray& payload)
{
    return QString::fromLatin1(textUpToNul(payload));
}

QByteArray DevicePayload::serialNumberPayload(const QString& serial)
{
    return nulTerminated(serial.toLatin1());
}

QByteArray DevicePayload::hardwareId(const QByteArray& payload)
{
    return padded(payload, HardwareIdSize).left(HardwareIdSize);
}

QByteArray DevicePayload::textUpToNul(const QByteArray& payload)
{
    const int end = payload.indexOf('\0');
    return end < 0 ? payload : payload.left(end);
}
