#ifndef REMOTECLIENT_H
#define REMOTECLIENT_H

#include "RemoteCommand.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QEventLoop;

// The command line's side of the remote control: asks the program already running on the
// session bus to answer, hang up, dial, tell its state or come forward, and turns the answer
// into text and an exit status. A dial waits for the module's outcome, so that a script learns
// whether the call went out.
class RemoteClient : public QObject
{
    Q_OBJECT

public:
    // Exit statuses besides 0 (done) and 2 (a command line that cannot be followed).
    static constexpr int Refused = 1;    // the program said no: not connected, no call, ...
    static constexpr int ChooseUnit = 2; // programs for several units run: --unit must say which
    static constexpr int NotRunning = 3; // no program to ask, or it did not answer
    static constexpr int TimeoutMs = 5000;
    // How long a dial waits for the call to be placed or refused by the module.
    static constexpr int DialOutcomeMs = 5000;

    explicit RemoteClient(QDBusConnection bus, QObject* parent = nullptr);

    // Speaks to the program controlling the hybrid with this serial number. Without one, run()
    // speaks to the only program running, whichever unit it controls, and raise() to the
    // program started without --unit.
    void setUnit(const QString& unit) { m_unit = unit; }
    // Runs one command and returns the exit status; the text for stdout is in output(), the
    // reason for a failure in errorText().
    int run(RemoteCommand command, const QString& number = QString());
    // Asks the running program to bring its window forward.
    int raise();

    QString output() const { return m_output; }
    QString errorText() const { return m_error; }

private slots:
    void onCallStateChanged(const QString& state, const QString& number, const QString& name);
    void onDialFailed(const QString& number, const QString& reason);

private:
    int call(const QString& method, const QVariantList& arguments, QVariant* result = nullptr);
    // The bus name run() speaks to; empty, with the reason in m_error, when --unit must choose.
    QString chooseProgram();
    int status();
    int dial(const QString& number);
    // Ends the wait for a dial's outcome with this status and, for a failure, its reason.
    void settleDial(int status, const QString& reason);

    QDBusConnection m_bus;
    QString m_unit;
    QString m_service; // the bus name spoken to
    QString m_output;
    QString m_error;
    QEventLoop* m_dialWait = nullptr; // while a dial waits for its outcome
};

#endif // REMOTECLIENT_H
