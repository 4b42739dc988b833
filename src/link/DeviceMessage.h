#ifndef DEVICEMESSAGE_H
#define DEVICEMESSAGE_H

#include <QtGlobal>

// Every message id exchanged with the hybrid, in both directions. A new id is added here first.
//
// Type byte towards the device: 0 = write a value or carry out a command, 1 = read request
// (answered, where the program reads an answer, with a message of the same id). Payloads are
// little-endian; texts are 8-bit and end at the first NUL byte.
namespace DeviceMessage {

enum Id : quint8 {
    ConnectRequest0 = 0,   // read request sent at every connection; answer not read
    SerialNumber = 1,      // read (type 1) / write (type 0, text + NUL); answer: NUL-terminated text
    HardwareId = 2,        // read; answer: 15 bytes
    AtCommand = 3,         // to device: one AT command line + NUL; from device: one line of module output
    CodecRegister = 4,     // write: reg, lo, hi; read: reg; answer: reg, lo, hi
    FirmwareVersion = 5,   // read; answer: four int32 at payload offsets 4, 8, 12, 16
    Identify = 7,          // 1 byte: 1 = start, 0 = stop
    ConnectRequest8 = 8,   // read request sent at every connection; answer not read
    FactoryReset = 9,      // command, no payload
    StoreSettings = 10,    // command; the device answers with id 10 when the settings are stored
    Reboot = 11,           // command, no payload
    ConnectRequest12 = 12, // read request sent at every connection; answer not read
    DebugText = 13,        // from device: text from payload offset 1 to the first NUL
    ConnectRequest14 = 14, // read request sent at every connection; answer not read
    AudioLevels = 15,      // from device: float32 receive dB at offset 0, send dB at offset 4
    AutoAnswer = 16,       // read / write 1 byte (nonzero = enabled); answer: byte 0
};

enum Type : quint8 {
    Write = 0,
    Read = 1,
    // From the device, id 3 only: this message carries the first (or a middle) 36 bytes of a
    // module line that is longer than one frame; the line goes on in the next id-3 message, and
    // the message with any other type ends it. Lines of up to 36 bytes travel in one message.
    LineContinues = 0xC0,
};

// Payload bytes carried by one frame at the most.
constexpr int MaxPayload = 36;

} // namespace DeviceMessage

#endif // DEVICEMESSAGE_H
