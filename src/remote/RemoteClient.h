#ifndef REMOTECLIENT_H
#define REMOTECLIENT_H

#include "CommandLine.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QString>

// The command line's side of the remote control: asks the program already running on the
// session bus to answer, hang up, dial, tell its state or come forward, and turns the answer
// into text and an exit status.
class RemoteClient
{
    Q_DECLARE_TR_FUNCTIONS(RemoteClient)

public:
    // Exit statuses besides 0 (done) and CommandLine::UsageError.
    static constexpr int Refused = 1;    // the program said no: not connected, no call, ...
    static constexpr int NotRunning = 3; // no program to ask, or it did not answer
    static constexpr int TimeoutMs = 5000;

    explicit RemoteClient(QDBusConnection bus);

    // Whether a program holds the remote control's name on the bus.
    bool isRunning() const;
    // Runs one command and returns the exit status; the text for stdout is in output(), the
    // reason for a failure in errorText().
    int run(CommandLine::RemoteCommand command, const QString& number = QString());
    // Asks the running program to bring its window forward.
    int raise();

    QString output() const { return m_output; }
    QString errorText() const { return m_error; }

private:
    int call(const QString& method, const QVariantList& arguments, QVariant* result = nullptr);
    int status();

    QDBusConnection m_bus;
    QString m_output;
    QString m_error;
};

#endif // REMOTECLIENT_H
