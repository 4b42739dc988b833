#ifndef CUSBHID_H
#define CUSBHID_H

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QTimer>
#include <memory>

#include "DeviceFrame.h"
#include "HidDevice.h"

class CConsole;
class HidBackend;

// The only path between the program and a hybrid: opens one unit by serial number, polls it
// every millisecond while reports arrive or messages wait, delivers every valid incoming frame
// and sends queued messages one per tick. A link with nothing to do polls at the slower idle
// pace, so that an idle program does not wake a thousand times a second; a device that tells
// when input arrives is read on its notice instead, and not polled at all while idle.
class CUSBHID : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 VendorId = 0x0805;
    static constexpr quint16 ProductId = 0x1403;
    static constexpr int PollIntervalMs = 1;
    // Ticks that read nothing and wrote nothing before the poll drops to the idle pace.
    static constexpr int QuietTicksBeforeIdle = 2;
    // A report that arrives in a quiet spell waits half of this on average, at most all of it.
    static constexpr int IdlePollIntervalMs = 10;
    // Input reports read in one poll tick at the most (more than the 64 that Linux buffers).
    static constexpr int MaxReadsPerTick = 128;

    // Reaches real hybrids through hidapi.
    CUSBHID(QObject* parent, CConsole* console);
    // Reaches hybrids through the given backend (the virtual hybrid, for instance), not owned.
    CUSBHID(QObject* parent, CConsole* console, HidBackend* backend);
    ~CUSBHID() override;

    // Opens the hybrid named serial: 0 when opened, -1 when a device is already open, -2 on failure.
    int start(const QString& serial);
    // Closes the open device: 0, or -1 when none is open.
    int stop();
    bool isConnected() const;
    // The serial number (or path) of the open unit as it was opened; empty while none is open.
    QString serial() const { return m_serial; }

    // Queues one message; payloads over 36 bytes are refused, and nothing happens while closed.
    void transmit(quint8 id, int type, const char* data, int len);

    // Reports waiting to be written.
    int pendingCount() const;
    // Reads and delivers every report that has arrived and waits in the system's buffer, now
    // rather than at the next poll: for a receiver that must know what has come in before it
    // judges the unit (a window that stalled has not been reading). How many were read.
    int readWaiting();

    // The poll interval after a quiet spell; PollIntervalMs keeps the poll at full pace always.
    void setIdlePollInterval(int ms);
    int idlePollInterval() const;

signals:
    // Fires for every valid frame received: the id, the type and the 36 payload bytes.
    void dataAvailable(int id, int type, QByteArray data);
    // Fires once after each successful start().
    void connected();
    // Fires once when an open device is closed (by request, a read error, or destruction).
    void disconnected();

public slots:
    void onHidTimer();

private:
    // Reads every report waiting; returns how many arrived, valid or not.
    int readAll();
    // Full pace after a busy tick, the idle pace after enough quiet ones.
    void pace(bool busy);
    void idlePace();
    // Reads what the device announced, from the event loop: never from inside the device's call.
    void onInputNotice();

    std::unique_ptr<HidBackend> m_ownBackend;
    HidBackend* m_backend;
    CConsole* m_console;
    std::unique_ptr<HidDevice> m_device;
    QString m_serial;
    QTimer* pollTimer;
    QQueue<QByteArray> txQueue;
    int m_idlePollMs = IdlePollIntervalMs;
    int m_quietTicks = 0;
    bool m_inputNoticed = false; // the open device announces its input
    bool m_readQueued = false;
};

#endif // CUSBHID_H
