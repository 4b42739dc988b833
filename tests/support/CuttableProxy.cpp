#include "CuttableProxy.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

class ProxyWorker : public QObject
{
public:
    explicit ProxyWorker(quint16 target)
        : m_target(target)
    {
    }

    quint16 listen(quint16 port)
    {
        if (!m_server) {
            m_server = new QTcpServer(this);
            connect(m_server, &QTcpServer::newConnection, this, &ProxyWorker::accept);
        }
        m_server->listen(QHostAddress::LocalHost, port);
        return m_server->serverPort();
    }

    void cut()
    {
        m_server->close();
        for (const QPointer<QTcpSocket>& socket : qAsConst(m_sockets)) {
            if (socket)
                socket->abort();
        }
        m_sockets.clear();
    }

private:
    void accept()
    {
        while (QTcpSocket* client = m_server->nextPendingConnection()) {
            auto* upstream = new QTcpSocket(this);
            upstream->connectToHost(QHostAddress::LocalHost, m_target);
            pipe(client, upstream);
            pipe(upstream, client);
            m_sockets << client << upstream;
        }
    }

    void pipe(QTcpSocket* from, QTcpSocket* to)
    {
        connect(from, &QTcpSocket::readyRead, to, [from, to] { to->write(from->readAll()); });
        // Bytes from the client before the server's side is up go once it is.
        connect(to, &QTcpSocket::connected, from, [from, to] { to->write(from->readAll()); });
        connect(from, &QTcpSocket::disconnected, to, [to] { to->disconnectFromHost(); });
        connect(from, &QTcpSocket::disconnected, from, &QObject::deleteLater);
    }

    quint16 m_target;
    QTcpServer* m_server = nullptr;
    QList<QPointer<QTcpSocket>> m_sockets;
};

CuttableProxy::CuttableProxy(quint16 targetPort)
    : m_thread(std::make_unique<QThread>())
    , m_worker(new ProxyWorker(targetPort))
{
    m_worker->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, [this] { m_port = m_worker->listen(0); }, Qt::BlockingQueuedConnection);
}

CuttableProxy::~CuttableProxy()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->cut(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

quint16 CuttableProxy::port() const
{
    return m_port;
}

void CuttableProxy::cut()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->cut(); }, Qt::BlockingQueuedConnection);
}

void CuttableProxy::restore()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->listen(m_port); }, Qt::BlockingQueuedConnection);
}
