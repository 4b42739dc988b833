#ifndef REMOTECONTROL_H
#define REMOTECONTROL_H

#include "CallRequests.h"
#include "GsmTypes.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QTimer;
struct AppContext;

// The program's remote control on the desktop's session bus, for playout automation, hardware
// buttons and the command line of a second invocation: dial, answer, hang up, read the state,
// and hear of call changes and recorded calls. Every action goes through the same checks as the
// buttons and is written on the console with where it came from. A refusal is answered with a
// D-Bus error named after its reason (ErrorPrefix + "NotConnected", ...).
//
// A client may misbehave: a request shows on the console only as a short excerpt with its
// control characters escaped, a number too long to be one is refused before anything else is
// done with it, and a burst of refused requests fills the console with a few lines, not one
// pair of lines per request.
//
// The object lives with the main window whether it is published or not; publish() puts it on a
// bus under ServiceName and ObjectPath.
class RemoteControl : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.orvane.ParlonaControl.Hybrid")

public:
    static const QString ServiceName;
    static const QString ObjectPath;
    static const QString InterfaceName;
    static const QString ErrorPrefix;
    // Longer texts are refused as numbers unread.
    static constexpr int MaxNumberLength = CallRequests::MaxNumberLength;
    // Identical refusals within this time after one shown are counted, not shown each.
    static constexpr int RefusalSummaryMs = 1000;
    // Other refusals shown at most within that time; the rest are counted.
    static constexpr int MaxRefusalsShown = 10;
    // Clients whose process is remembered; past this the memory starts afresh.
    static constexpr int MaxRememberedClients = 64;

    explicit RemoteControl(AppContext* context, QObject* parent = nullptr);

    // Registers the object and then the service name on bus; false (and why, in reason) when
    // either is taken or the bus is not there.
    bool publish(QDBusConnection bus, QString* reason = nullptr);
    // The same for a program that controls only the hybrid with serial number unit: its name on
    // the bus is that unit's (serviceNameFor). Without a unit, the program takes ServiceName, and
    // the name of whichever unit it has open besides.
    bool publish(QDBusConnection bus, const QString& unit, QString* reason);

    // The bus name of the program controlling the hybrid with this serial number: ServiceName
    // followed by ".Unit_" and the serial, any mark in it written as "_" and two hex digits.
    // ServiceName for an empty serial.
    static QString serviceNameFor(const QString& unit);
    // The serial number a bus name of serviceNameFor() carries; empty for ServiceName or a
    // name that is not the program's.
    static QString unitOfServiceName(const QString& name);

    // The words the interface uses for states.
    static QString callStateName(VOICECALL_STATE state);
    static QString simStateName(SIM_STATE state);

public slots:
    // The remote interface. Each method returns at once; Dial, Answer and HangUp only start the
    // action, whose progress shows in CallStateChanged.
    Q_SCRIPTABLE void Dial(const QString& number);
    Q_SCRIPTABLE void Answer();
    Q_SCRIPTABLE void HangUp();
    // Brings the main window forward (as a second start of the program does).
    Q_SCRIPTABLE void Raise();
    Q_SCRIPTABLE bool Connected() const;
    // "idle", "calling", "ringing" or "active".
    Q_SCRIPTABLE QString CallState() const;
    // The other party of the call going on, or of the last call; empty when unknown, withheld,
    // or while no unit is connected.
    Q_SCRIPTABLE QString CallerNumber() const;
    // That party's name in the phonebook, "Withheld number" for a call without a number; empty
    // when the number is not there, or there was no call since the unit was connected.
    Q_SCRIPTABLE QString CallerName() const;
    // "ready", "pin", "puk", ... or "unknown" before the module said and while no unit is
    // connected.
    Q_SCRIPTABLE QString SimState() const;
    // The module's signal quality, 0 to 31, 99 when not known.
    Q_SCRIPTABLE int SignalQuality() const;
    // The signal strength in dBm; 0 when not known.
    Q_SCRIPTABLE int SignalDbm() const;
    // All of the above in one answer, under the keys connected, callState, number, name,
    // simState, signalQuality and signalDbm.
    Q_SCRIPTABLE QVariantMap Status() const;

    // From the engines.
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);
    void onRssiChange(int rssi, int dBm);
    void onConnectionChange();
    void onCallRecorded(QString number, int type, QDateTime start, qint64 talkMs);
    void onDialFailed(QString number, QString reason);

signals:
    // Fires when the call's state changes; number and name of the party, as far as known.
    Q_SCRIPTABLE void CallStateChanged(const QString& state, const QString& number, const QString& name);
    // Fires when a call has been written to the call history: its start in ISO 8601 local time,
    // "incoming" or "outgoing", whether it was answered, and the talk time in whole seconds.
    Q_SCRIPTABLE void CallRecorded(const QString& start, const QString& number, const QString& name,
        const QString& direction, bool answered, int talkSeconds);
    // Fires when the module refused a number that was dialled, with its reason.
    Q_SCRIPTABLE void DialFailed(const QString& number, const QString& reason);
    // Fires when the unit is connected or disconnected.
    Q_SCRIPTABLE void ConnectionChanged(bool connected);
    // Fires when a remote client asks for the main window.
    void raiseRequested();

private:
    // The console line for an action, with the client's process as its origin when known.
    void logAction(const QString& action);
    QString origin();
    // Answers the request in progress with an error named after errorName, and writes the
    // action and its refusal on the console, a burst of them in a few lines.
    void refuse(const QString& action, const QString& errorName, const QString& text);
    void logRefusal(const QString& action, const QString& text);
    // Writes the count of refusals held back, and forgets the last one shown once none came.
    void onRefusalSummary();
    void writeHeldRefusals();
    // The checks every remote door shares; false, and the refusal answered, when one failed.
    CallRequests requests() const;
    bool carryOut(const QString& action, const CallRequests::Verdict& verdict);
    // The name the interface gives the other party: "Withheld number" for an empty number.
    QString nameOf(const QString& number) const;

    // While no unit is fixed: the bus name of the unit open now goes with it.
    void followOpenUnit(bool connected);

    AppContext* m_context;
    QString m_busName;      // of the connection published on; empty until then
    QString m_fixedUnit;    // the only unit this program controls; empty for any
    QString m_openUnitName; // the bus name taken for the unit open now
    VOICECALL_STATE m_callState = VOICECALL_IDLE;
    QString m_number;
    // Whether m_number is a call's (going on or last ended) since the unit was connected.
    bool m_hasParty = false;
    int m_rssi = 99;
    int m_dBm = 0;
    // Bus names of clients -> their process as the console names it. A unique bus name is
    // never given to another connection, so an entry never goes stale.
    QHash<QString, QString> m_origins;
    QTimer* m_refusalTimer;
    QString m_lastRefusal; // the action and the refusal last shown
    QString m_lastRefusalLine;
    int m_repeats = 0;       // of the last refusal shown, not shown
    int m_refusalsShown = 0; // since the summary timer came round
    int m_othersHeld = 0;    // other refusals not shown
};

#endif // REMOTECONTROL_H
