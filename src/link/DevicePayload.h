#ifndef DEVICEPAYLOAD_H
#define DEVICEPAYLOAD_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

// The payloads of the device messages, read and written in one place for the program and for
// the virtual hybrid. Multi-byte numbers are little-endian; texts are Latin-1 and end at the
// first NUL byte or at the end of the payload. Readers accept the 36 bytes a frame delivers;
// a payload too short for its layout reads as zeros.
class DevicePayload
{
public:
    static constexpr int HardwareIdSize = 15;

    // Id 15: the receive level (the caller, float32 at offset 0) and the send level (float32 at
    // offset 4), in dB.
    struct Levels
    {
        float receive = 0.0f;
        float send = 0.0f;
    };
    static Levels levels(const QByteArray& payload);
    static QByteArray levelsPayload(const Levels& levels);

    // Id 5: four int32 at offsets 4, 8, 12 and 16; bytes 0-3 carry nothing.
    using FirmwareVersion = std::array<qint32, 4>;
    static FirmwareVersion firmwareVersion(const QByteArray& payload);
    static QByteArray firmwareVersionPayload(const FirmwareVersion& version);

    // Id 13: a channel byte, then the text.
    static QString debugText(const QByteArray& payload);
    static QByteArray debugTextPayload(const QString& text);

    // Id 3 to the device: one command line and its NUL.
    static QByteArray atCommandPayload(const QByteArray& command);
    // Id 3 from the device: one line, or one piece of a longer line (see LineContinues).
    static QByteArray atLine(const QByteArray& payload);
    // The messages that carry one module line, each as its type and payload: a line of up to
    // 36 bytes in one message, a longer one in pieces whose types say the line goes on.
    struct Message
    {
        quint8 type;
        QByteArray payload;
    };
    static QList<Message> atLineMessages(const QByteArray& line);

    // Id 4: register address, value bits 0-7, value bits 8-15 (a write, an answer or a report
    // entry); a read request carries the address alone.
    struct CodecRegister
    {
        int address = 0;
        quint16 value = 0;
    };
    static CodecRegister codecRegister(const QByteArray& payload);
    static QByteArray codecRegisterPayload(const CodecRegister& reg);

    // Id 16: byte 0, nonzero = on.
    static bool autoAnswer(const QByteArray& payload);
    static QByteArray autoAnswerPayload(bool on);

    // Id 7: 1 while the unit should make itself known, 0 to stop.
    static QByteArray identifyPayload(bool on);

    // Id 1: the serial number text.
    static QString serialNumber(const QByteArray& payload);
    static QByteArray serialNumberPayload(const QString& serial);

    // Id 2: the first 15 bytes.
    static QByteArray hardwareId(const QByteArray& payload);

    // Text up to the first NUL byte, or the whole payload when it holds none.
    static QByteArray textUpToNul(const QByteArray& payload);
};

#endif // DEVICEPAYLOAD_H
