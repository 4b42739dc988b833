#ifndef CUTTABLEPROXY_H
#define CUTTABLEPROXY_H

#include <QtGlobal>

#include <memory>

class QThread;
class ProxyWorker;

// A TCP relay on loopback between the program and a server, on a thread of its own (the program's
// database calls block its thread), that a test can cut as a network outage or a stopped server
// would, and restore on the same port.
class CuttableProxy
{
public:
    explicit CuttableProxy(quint16 targetPort);
    ~CuttableProxy();

    quint16 port() const;
    // Drops every connection at once and refuses new ones.
    void cut();
    // Accepts connections again.
    void restore();

private:
    std::unique_ptr<QThread> m_thread;
    ProxyWorker* m_worker;
    quint16 m_port = 0;
};

#endif // CUTTABLEPROXY_H
