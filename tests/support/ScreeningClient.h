#ifndef SCREENINGCLIENT_H
#define SCREENINGCLIENT_H

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

// A browser's requests to the screening page, without a browser: each request runs on a thread
// of its own while wait() keeps the caller's event loop going (the server hands changes to the
// GUI thread, which must not be blocked by the test waiting for the answer).
class ScreeningClient
{
public:
    struct Answer
    {
        int status = 0; // 0: no answer at all
        QByteArray body;
        QByteArray setCookie;
        QByteArray retryAfter;
        QJsonObject json() const;
    };
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    // wait runs the caller's event loop until its condition holds (e.g. VirtualHybridRig::pumpUntil).
    ScreeningClient(int port, std::function<bool(const std::function<bool()>&)> wait);

    Answer get(const QByteArray& path, const Headers& headers = {});
    Answer post(const QByteArray& path, const QByteArray& body, const Headers& headers = {});

    // Logs in with password; the cookie and token are then sent along by page().
    bool logIn(const QString& password);
    // The headers of a request from the page in a logged-in browser.
    Headers page() const;
    QByteArray cookie() const { return m_cookie; }
    QByteArray token() const { return m_token; }
    QByteArray origin() const;

private:
    Answer send(const QByteArray& method, const QByteArray& path, const QByteArray& body, const Headers& headers);

    int m_port;
    std::function<bool(const std::function<bool()>&)> m_wait;
    QByteArray m_cookie;
    QByteArray m_token;
};

#endif // SCREENINGCLIENT_H
