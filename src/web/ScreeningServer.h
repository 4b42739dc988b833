#ifndef SCREENINGSERVER_H
#define SCREENINGSERVER_H

#include "ScreeningPassword.h"
#include "ScreeningSessions.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;

// Where and how the screening page is served.
struct ScreeningConfig
{
    // The addresses to listen on; each must be one of this machine's.
    QStringList addresses { QStringLiteral("127.0.0.1") };
    // 0 takes any free port (the tests).
    int port = 8480;
    // Both set: HTTPS with these PEM files; both empty: plain HTTP.
    QString certificateFile;
    QString keyFile;
    ScreeningPassword password;
};

// A change the page asks for, as the GUI thread receives it.
struct ScreeningRequest
{
    QString action; // "answer", "decline", "hangup", "dial", "notes" or "phonebook"
    QJsonObject body;
    QString address; // of the browser, for the console
};

// What the GUI thread answers: an HTTP status and a JSON object.
struct ScreeningReply
{
    int status = 200;
    QByteArray json;
};

// The screening page's HTTP server (cpp-httplib), on threads of its own: one listener per
// address, each with a pool of workers. Reads are answered there from the last state published
// (a JSON text under a mutex), logins and sessions are checked there too. A change is handed to
// the receiver's thread (the GUI thread) as a queued call and its reply awaited; at most
// MaxPending such calls wait at a time, the next ones are refused (503) at once, so a flood of
// requests never piles up work for the window.
//
// The live state goes to each page as server-sent events: a worker per open page waits for the
// next state and writes it, or a comment every KeepAliveMs to notice pages that have gone.
class ScreeningServer
{
    Q_DECLARE_TR_FUNCTIONS(ScreeningServer)

public:
    static constexpr int MaxPages = 64;
    static constexpr int Workers = MaxPages + 16;
    static constexpr int MaxPending = 32;
    // Connections waiting to be accepted.
    static constexpr int Backlog = 256;
    static constexpr int MaxBodyBytes = 4096;
    static constexpr int ReplyTimeoutMs = 3000;
    // Passwords checked at the same time (each check takes its time on purpose); logins past
    // this are asked to come back.
    static constexpr int MaxLoginChecks = 2;
    static constexpr int KeepAliveMs = 15000;
    static const char* const CookieName;
    static const char* const TokenHeader;

    using Performer = std::function<ScreeningReply(const ScreeningRequest&)>;

    // perform runs on receiver's thread for every change a logged-in page asks for.
    ScreeningServer(QObject* receiver, Performer perform);
    ~ScreeningServer();
    ScreeningServer(const ScreeningServer&) = delete;
    ScreeningServer& operator=(const ScreeningServer&) = delete;

    // Listens on every address of config; false with the reason when one cannot be used, and
    // then on none. texts is the page's words in the program's language, as a JSON object.
    bool start(const ScreeningConfig& config, const QByteArray& texts, QString* error);
    // Ends every page's events and the listeners; waits for their threads.
    void stop();
    bool isRunning() const { return !m_listeners.empty(); }
    // The ports listened on, in the order of the addresses.
    QList<int> ports() const;
    // The state every page shows from now on; any thread.
    void publish(const QByteArray& stateJson);
    ScreeningSessions* sessions() { return &m_sessions; }

private:
    struct Listener;
    struct Exchange;

    bool listen(const QString& address, const ScreeningConfig& config, QString* error);
    void route(Listener* listener);
    void routeReads(Listener* listener);
    void routeChanges(Listener* listener);
    void serveFile(Exchange& exchange, const QByteArray& body, const char* type) const;
    void login(Exchange& exchange);
    void events(Exchange& exchange);
    bool nextEvent(const QByteArray& sessionId, std::uint64_t* seen, std::string* event);
    void change(Exchange& exchange, const QString& action);
    ScreeningReply handOver(const ScreeningRequest& request);
    // The checks of a request: logged in, from the page itself, and for a change its token, its
    // type, its size and its JSON. False when the answer is already written.
    bool loggedIn(Exchange& exchange, ScreeningSessions::Session* session);
    bool acceptChange(Exchange& exchange, ScreeningSessions::Session* session, QJsonObject* body);
    bool sameOrigin(const Exchange& exchange) const;

    QObject* m_receiver;
    Performer m_perform;
    ScreeningSessions m_sessions;
    ScreeningPassword m_password;
    bool m_tls = false;
    QByteArray m_page;
    QByteArray m_script;
    QByteArray m_style;
    QByteArray m_texts;
    std::vector<std::unique_ptr<Listener>> m_listeners;
    std::shared_ptr<std::atomic<int>> m_pending;
    std::atomic<int> m_pages { 0 };
    std::atomic<int> m_loginChecks { 0 };

    std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    std::string m_state = "{}";
    std::uint64_t m_version = 1;
    bool m_stopping = false;
};

#endif // SCREENINGSERVER_H
