#ifndef VIRTUALHYBRIDUNIT_H
#define VIRTUALHYBRIDUNIT_H

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QVector>
#include <functional>

#include "DevicePayload.h"
#include "VirtualUC20Module.h"

class VirtualClock;
class VirtualCodecRegisters;
class VirtualLevelGenerator;

// One emulated Parlona hybrid: its firmware, the NAU8810 register file and the UC20 module, with
// the network side and the USB cable scriptable.
//
// Firmware, as the program sees it through the USB frames:
// - Host reports are 41 bytes (report id 0 and a 40-byte frame); a report of another size, with
//   another report id, a length byte outside 3 to 39 or a wrong checksum is counted and ignored.
// - Read requests 1, 2, 5 and 16 are answered with the serial number, the hardware id, the
//   firmware version and the auto-answer switch. Request 0, the first of the requests the
//   program sends at every connection, is answered with the complete codec register report
//   (registers 0 to 79, ending with 79); requests 8, 12 and 14 get no answer.
// - Codec register writes go to the register file; a register read is answered with that register.
// - Every id-3 line goes to the module; every line the module puts out comes back as one id-3
//   frame. The firmware itself polls the module (AT+CLCC four times a second, AT+CSQ and AT+QSPCH
//   once a second) and answers incoming calls itself when auto answer is on.
// - Levels (id 15) go out 25 times a second while the host has the unit open.
// - Store (id 10) keeps the codec registers and the auto-answer switch over a power cycle and is
//   confirmed with id 10; factory reset (id 9) restores the defaults; reboot (id 11) makes the unit
//   vanish from USB and come back RebootMs later.
//
// USB: frames leave at one per millisecond into the host's input buffer, which holds 64 reports
// like the Linux hidraw driver; reports that arrive while it is full are lost and counted.
class VirtualHybridUnit : public QObject
{
    Q_OBJECT

public:
    enum OutgoingOutcome {
        AnswerAfterDelay = VirtualUC20Module::AnswerAfterDelay,
        Busy = VirtualUC20Module::Busy,
        NoAnswer = VirtualUC20Module::NoAnswer,
    };
    Q_ENUM(OutgoingOutcome)

    enum SimLock {
        SimUnlocked = VirtualUC20Module::SimUnlocked,
        SimPinLocked = VirtualUC20Module::SimPinLocked,
        SimPukLocked = VirtualUC20Module::SimPukLocked,
        SimMissing = VirtualUC20Module::SimMissing,
    };
    Q_ENUM(SimLock)

    static constexpr int FirmwareMajor = 2;
    static constexpr int FirmwareMinor = 1;
    static constexpr int FirmwarePatch = 0;
    static constexpr int FirmwareBuild = 7;
    static constexpr int HostBufferReports = 64;
    static constexpr int UsbFrameIntervalMs = 1;
    static constexpr int CallPollIntervalMs = 250;
    static constexpr int SignalPollEvery = 4; // call polls per signal and codec poll
    static constexpr int LevelIntervalMs = 40;
    static constexpr int StoreDelayMs = 300;
    static constexpr int RebootMs = 2000;
    static constexpr int AutoAnswerRings = 3;
    static constexpr int RegisterReportRequest = 0;
    static constexpr int HardwareIdSize = DevicePayload::HardwareIdSize;

    VirtualHybridUnit(VirtualClock* clock, const QString& serial, QObject* parent = nullptr);
    ~VirtualHybridUnit() override;

    // The USB cable. A unit starts plugged in.
    void unplug();
    void plug();
    bool isPlugged() const;
    // Plugged in and not rebooting: listed and openable.
    bool isAttached() const;
    bool isRebooting() const;
    // The host has the unit open.
    bool isOpen() const;

    // The network side.
    void ringIn(const QString& number, const QString& name = QString());
    void farEndAnswers();
    void farEndHangsUp();
    void setOutgoingOutcome(OutgoingOutcome outcome, int delayMs = 3000);
    OutgoingOutcome outgoingOutcome() const;
    int outgoingDelayMs() const;
    void callerPressesKey(char key);
    void setSignal(int rssi);
    int signal() const;
    void setSimLock(SimLock lock);
    SimLock simLock() const;
    void setPin(const QString& pin);
    void setPuk(const QString& puk);

    // Settings and failure modes.
    void setAutoAnswer(bool enabled);
    bool autoAnswer() const;
    void setStoreSilent(bool silent);
    bool storeSilent() const;
    // The GSM module hangs: it takes commands and says nothing until this is undone.
    void setModuleSilent(bool silent);
    bool moduleSilent() const;
    void setCorruptFrames(bool corrupt);
    bool corruptFrames() const;

    // What the unit is and holds.
    QString serialNumber() const;
    QString usbSerialNumber() const;
    QByteArray hardwareId() const;
    QString firmwareVersionText() const;
    quint16 codecRegister(int address) const;
    bool isIdentifying() const;
    // One line for a status display: the call, or why there is none.
    QString callStateText() const;
    VirtualUC20Module* module() const;
    VirtualCodecRegisters* codec() const;

    // Counters.
    int badFramesReceived() const;
    int framesReceived() const;
    int framesSent() const;
    int reportsLost() const;
    QStringList atCommandsReceived() const;
    // The ids of the read requests (type 1) received, in order.
    QList<int> readRequestsReceived() const;
    int storeCount() const;

    // The host side of USB, used by the unit's HidDevice.
    int openSession();
    void closeSession(int session);
    int hostRead(int session, unsigned char* buffer, int size);
    int hostWrite(int session, const unsigned char* report, int size);
    // Tells the session's host, from the unit's clock, when a report has come into its buffer
    // and when the session has ended.
    void setHostNotice(int session, std::function<void()> notice);

signals:
    // Fires when the call appears, changes its status or ends.
    void callStateChanged();
    // Fires when anything else a control panel shows changes (cable, USB session, SIM, signal,
    // settings, failure modes).
    void stateChanged();

private:
    void powerOn();
    void powerOff();
    void endSession();
    void receiveFrame(const QByteArray& frame);
    void handleMessage(quint8 id, quint8 type, const QByteArray& payload);
    using MessageHandler = void (VirtualHybridUnit::*)(quint8 type, const QByteArray& payload);
    struct MessageHandlerEntry
    {
        quint8 id;
        MessageHandler handler;
    };
    void handleConnectRequest0(quint8 type, const QByteArray& payload);
    void handleSerialNumber(quint8 type, const QByteArray& payload);
    void handleHardwareId(quint8 type, const QByteArray& payload);
    void handleAtCommand(quint8 type, const QByteArray& payload);
    void handleCodecRegister(quint8 type, const QByteArray& payload);
    void handleFirmwareVersion(quint8 type, const QByteArray& payload);
    void handleIdentify(quint8 type, const QByteArray& payload);
    // Requests 8, 12 and 14 are known and get no answer.
    void handleUnansweredRequest(quint8 type, const QByteArray& payload);
    void handleFactoryReset(quint8 type, const QByteArray& payload);
    void handleStoreSettings(quint8 type, const QByteArray& payload);
    void handleReboot(quint8 type, const QByteArray& payload);
    void handleAutoAnswer(quint8 type, const QByteArray& payload);
    void send(quint8 id, quint8 type, const QByteArray& payload);
    void sendDebugText(const QString& text);
    void sendRegisterReport();
    void sendModuleLine(const QString& line);
    void schedulePump();
    void pump();
    QByteArray corrupted(const QByteArray& frame);
    void pollModule();
    void reportLevels();
    void store();
    void factoryReset();
    void reboot();
    void writeSerialNumber(const QByteArray& payload);
    void onModuleOutput(const QStringList& lines);
    void onModuleCallStateChanged();

    static const MessageHandlerEntry messageHandlers[];

    VirtualClock* m_clock;
    VirtualCodecRegisters* m_codec;
    VirtualUC20Module* m_module;
    VirtualLevelGenerator* m_levels;

    QString m_serial;    // kept in the unit's memory; the USB listing takes it at power-up
    QString m_usbSerial; // what USB reports until the next power-up
    QByteArray m_hardwareId;

    // Settings: current and kept over a power cycle.
    bool m_autoAnswer = false;
    bool m_storedAutoAnswer = false;
    QVector<quint16> m_storedRegisters;

    bool m_plugged = false;
    bool m_powered = false;
    bool m_rebooting = false;
    bool m_identifying = false;
    bool m_storeSilent = false;
    bool m_moduleSilent = false;
    bool m_corruptFrames = false;
    int m_corruptionKind = 0;
    int m_pollCount = 0;
    int m_rings = 0;

    // The actions of a power cycle, of a USB session and of a reboot run on these contexts;
    // deleting one cancels what is still pending.
    QPointer<QObject> m_powerContext;
    QPointer<QObject> m_sessionContext;
    QPointer<QObject> m_rebootContext;

    int m_session = 0; // the open session, 0 when closed
    int m_lastSession = 0;
    QQueue<QByteArray> m_txFifo;     // frames the firmware has queued for USB
    QQueue<QByteArray> m_hostBuffer; // reports waiting for the host to read them
    bool m_pumpScheduled = false;
    std::function<void()> m_hostNotice;

    int m_badFrames = 0;
    int m_framesReceived = 0;
    int m_framesSent = 0;
    int m_reportsLost = 0;
    int m_storeCount = 0;
    QStringList m_atCommands;
    QList<int> m_readRequests;
};

#endif // VIRTUALHYBRIDUNIT_H
