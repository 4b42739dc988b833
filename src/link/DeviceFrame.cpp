#include "DeviceFrame.h"

#include <cstring>

QByteArray DeviceFrame::encode(quint8 id, quint8 type, const char* data, int len)
{
    Q_ASSERT(len >= 0 && len <= DeviceMessage::MaxPayload);
    QByteArray frame(FrameSize, '\0');
    frame[0] = static_cast<char>(id);
    frame[1] = static_cast<char>(type);
    frame[2] = static_cast<char>(len + 3);
    if (len > 0)
        std::memcpy(frame.data() + 3, data, static_cast<size_t>(len));
    frame[FrameSize - 1] = static_cast<char>(checksum(frame.constData(), len + 3));
    return frame;
}

bool DeviceFrame::isValid(const QByteArray& frame)
{
    if (frame.size() != FrameSize)
        return false;
    const int length = static_cast<quint8>(frame[2]);
    if (length > FrameSize - 1)
        return false;
    return static_cast<quint8>(frame[FrameSize - 1]) == checksum(frame.constData(), length);
}

quint8 DeviceFrame::checksum(const char* bytes, int count)
{
    quint8 sum = 0;
    for (int i = 0; i < count; ++i)
        sum ^= static_cast<quint8>(bytes[i]);
    return sum;
}
