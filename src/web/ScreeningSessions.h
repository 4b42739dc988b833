#ifndef SCREENINGSESSIONS_H
#define SCREENINGSESSIONS_H

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <mutex>

// Who is logged in to the screening page, and who tried too often. A login opens a session: a
// random id the browser keeps as a cookie, and a second random token the page sends with every
// change it asks for (a forged request from another site carries the cookie, never the token).
// A session ends when unused for IdleLimitMs or LifetimeMs after the login. Failed logins slow
// their address down: each one in a row doubles the time before the next is even checked.
//
// Used from the HTTP server's threads at once: every member locks.
class ScreeningSessions
{
public:
    static constexpr qint64 IdleLimitMs = 4 * 3600 * 1000;
    static constexpr qint64 LifetimeMs = 16 * 3600 * 1000;
    static constexpr int MaxSessions = 64;
    static constexpr qint64 FirstLoginWaitMs = 1000;
    static constexpr qint64 MaxLoginWaitMs = 60 * 1000;
    // Addresses whose failures are remembered; past this the oldest are forgotten.
    static constexpr int MaxAddresses = 4096;

    struct Session
    {
        QByteArray id;
        QByteArray token;
        qint64 openedMs = 0;
        qint64 usedMs = 0;
    };

    // Times in milliseconds from clock (monotonic, any origin); a steady clock when none is given.
    explicit ScreeningSessions(std::function<qint64()> clock = {});

    // A new session; the one unused longest goes when MaxSessions are open.
    Session open();
    // The session with this id, marked used; false when there is none or it has expired.
    bool find(const QByteArray& id, Session* session = nullptr);
    void close(const QByteArray& id);
    void closeAll();
    int count() const;

    // How long address must still wait before its next login is checked; 0 when it may now.
    qint64 loginWaitMs(const QString& address) const;
    void loginFailed(const QString& address);
    void loginSucceeded(const QString& address);

private:
    struct Failures
    {
        int count = 0;
        qint64 untilMs = 0;
    };

    bool expired(const Session& session, qint64 now) const;
    static QByteArray randomText();

    std::function<qint64()> m_clock;
    mutable std::mutex m_mutex;
    QHash<QByteArray, Session> m_sessions;
    QHash<QString, Failures> m_failures;
};

#endif // SCREENINGSESSIONS_H
