#include "TerminationSignals.h"

#include "LogCategories.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The pair the handler writes to and the event loop reads from. A signal handler can reach
// nothing else; only one TerminationSignals uses it at a time.
int signalSockets[2] = { -1, -1 };

const int handledSignals[] = { SIGTERM, SIGINT, SIGHUP };

extern "C" void onSignal(int number)
{
    const char byte = char(number);
    // Nothing but an async-signal-safe write; a full socket drops the byte, and one is enough.
    const ssize_t written = ::write(signalSockets[0], &byte, 1);
    static_cast<void>(written);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (signalSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalSockets) != 0) {
        qCWarning(lcApp) << "termination signals are not handled: no socket for them";
        return;
    }
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::onReadable);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : handledSignals)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (const int number : handledSignals)
        ::signal(number, SIG_DFL);
    delete m_notifier;
    for (int& socket : signalSockets) {
        ::close(socket);
        socket = -1;
    }
}

bool TerminationSignals::isActive() const
{
    return m_notifier != nullptr;
}

void TerminationSignals::onReadable()
{
    char byte = 0;
    while (::read(signalSockets[1], &byte, 1) == 1) {
        qCInfo(lcApp) << "signal" << int(byte) << "received: closing";
        emit terminationRequested(int(byte));
    }
}
