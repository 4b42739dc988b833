#ifndef DEVICEFRAME_H
#define DEVICEFRAME_H

#include <QByteArray>
#include <QMetaType>

#include "DeviceMessage.h"

// The 40-byte frame every message travels in, in both directions.
#pragma pack(push, 1)
struct msg_st
{
    quint8 id;                                 // message id
    quint8 type;                               // 0 = write or command, 1 = read request
    quint8 length;                             // payload length + 3: the bytes covered by the checksum
    quint8 payload[DeviceMessage::MaxPayload]; // first length - 3 bytes carry the message
    quint8 checksum;                           // XOR of frame bytes 0 .. length - 1
};
#pragma pack(pop)
static_assert(sizeof(msg_st) == 40, "a device frame is 40 bytes");
Q_DECLARE_METATYPE(msg_st)

// Building and checking frames. On USB a frame is written as a 41-byte report (report id 0,
// then the frame) and read back as the 40 frame bytes.
class DeviceFrame
{
public:
    static constexpr int FrameSize = 40;
    static constexpr int ReportSize = 41;

    // The 40 frame bytes for a message; len must be 0 .. 36 (data may be null when len is 0).
    // Bytes between the payload and the checksum are zero.
    static QByteArray encode(quint8 id, quint8 type, const char* data, int len);

    // True when frame (40 bytes) has a length byte of at most 39 and a matching checksum.
    static bool isValid(const QByteArray& frame);

    // XOR of the first count bytes.
    static quint8 checksum(const char* bytes, int count);
};

#endif // DEVICEFRAME_H
