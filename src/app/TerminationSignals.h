#ifndef TERMINATIONSIGNALS_H
#define TERMINATIONSIGNALS_H

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, "systemctl --user stop", Ctrl+C) as a Qt
// signal on the GUI thread, so that the program closes in order instead of being cut off. The
// handler only writes the signal's number into a socket; everything else happens in the event
// loop. One object at a time may exist: a signal handler has no object to talk to but the one
// socket it knows.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts the default handlers back.
    ~TerminationSignals() override;

    // Whether the handlers are in place.
    bool isActive() const;

signals:
    // Fires in the event loop for each of the three signals that arrives (its number).
    void terminationRequested(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};

#endif // TERMINATIONSIGNALS_H
