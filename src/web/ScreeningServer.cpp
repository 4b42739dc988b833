#include "ScreeningServer.h"

#include "LogCategories.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QMetaObject>
#include <QObject>

#include <httplib.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>

#include <chrono>
#include <future>
#include <thread>

const char* const ScreeningServer::CookieName = "parlona_screening";
const char* const ScreeningServer::TokenHeader = "X-Screening-Token";

namespace {

// The library listens with a backlog of five connections: a few dozen pages opening at once
// would find the door shut. Listening again on the bound socket widens it.
template <class Base> class WideServer : public Base
{
public:
    using Base::Base;
    void widenBacklog() { ::listen(this->svr_sock_, ScreeningServer::Backlog); }
};

// The library's own socket options let a second program bind the same port (SO_REUSEPORT), and
// the kernel then hands each browser to either of the two: a producer would see one studio's line
// and then the other's. Only the address is reused, for a restart that finds its port still in
// TIME_WAIT; the port itself stays one program's.
void portOfOurOwn(socket_t sock)
{
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// The library keeps an idle connection open for its keep-alive time, and waits on a browser's
// early connection that has sent nothing yet until its read time-out, even while it stops: its
// stop() would hold the window that long. Shutting down every connection accepted on port (not
// closing them: the workers still own their descriptors) ends those waits at once.
void shutDownConnections(int port)
{
    DIR* folder = opendir("/proc/self/fd");
    if (!folder)
        return;
    while (const dirent* entry = readdir(folder)) {
        const int fd = std::atoi(entry->d_name);
        struct stat status;
        if (fd <= 2 || fd == dirfd(folder) || fstat(fd, &status) != 0 || !S_ISSOCK(status.st_mode))
            continue;
        sockaddr_storage local {};
        sockaddr_storage peer {};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0
            || getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
            continue;
        const int localPort = local.ss_family == AF_INET ? ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port)
            : local.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6*>(&local)->sin6_port)
                                          : -1;
        if (localPort == port)
            ::shutdown(fd, SHUT_RDWR);
    }
    closedir(folder);
}

} // namespace

struct ScreeningServer::Listener
{
    std::unique_ptr<httplib::Server> server;
    std::function<void()> widenBacklog;
    std::thread thread;
    int port = 0;
};

struct ScreeningServer::Exchange
{
    const httplib::Request& request;
    httplib::Response& response;
};

namespace {

QByteArray resource(const QString& path)
{
    // The page lives in the program's resources, in memory: nothing is read from a disk.
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void answer(httplib::Response& response, int status, const QByteArray& json)
{
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(json.constData(), static_cast<size_t>(json.size()), "application/json; charset=utf-8");
}

void refuse(httplib::Response& response, int status, const char* code)
{
    answer(response, status, QByteArray("{\"ok\":false,\"code\":\"") + code + "\"}");
}

QByteArray cookie(const httplib::Request& request, const char* name)
{
    const QByteArray header = QByteArray::fromStdString(request.get_header_value("Cookie"));
    const QByteArray prefix = QByteArray(name) + '=';
    for (const QByteArray& part : header.split(';')) {
        const QByteArray item = part.trimmed();
        if (item.startsWith(prefix))
            return item.mid(prefix.size());
    }
    return QByteArray();
}

} // namespace

ScreeningServer::ScreeningServer(QObject* receiver, Performer perform)
    : m_receiver(receiver)
    , m_perform(std::move(perform))
    , m_page(resource(QStringLiteral(":/web/screening.html")))
    , m_script(resource(QStringLiteral(":/web/screening.js")))
    , m_style(resource(QStringLiteral(":/web/screening.css")))
    , m_pending(std::make_shared<std::atomic<int>>(0))
{
}

ScreeningServer::~ScreeningServer()
{
    stop();
}

bool ScreeningServer::start(const ScreeningConfig& config, const QByteArray& texts, QString* error)
{
    stop();
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_stopping = false;
    }
    m_password = config.password;
    m_texts = texts;
    m_tls = !config.certificateFile.isEmpty();
    for (const QString& address : config.addresses) {
        if (!listen(address, config, error)) {
            stop();
            return false;
        }
    }
    return true;
}

bool ScreeningServer::listen(const QString& address, const ScreeningConfig& config, QString* error)
{
    auto listener = std::make_unique<Listener>();
    if (m_tls) {
        auto server = std::make_unique<WideServer<httplib::SSLServer>>(
            QFile::encodeName(config.certificateFile).constData(), QFile::encodeName(config.keyFile).constData());
        listener->widenBacklog = [raw = server.get()] { raw->widenBacklog(); };
        listener->server = std::move(server);
    } else {
        auto server = std::make_unique<WideServer<httplib::Server>>();
        listener->widenBacklog = [raw = server.get()] { raw->widenBacklog(); };
        listener->server = std::move(server);
    }
    if (!listener->server->is_valid()) {
        *error = tr("The certificate or its key cannot be read");
        return false;
    }
    route(listener.get());
    listener->server->set_socket_options(portOfOurOwn);
    const std::string host = address.toStdString();
    if (config.port == 0)
        listener->port = listener->server->bind_to_any_port(host);
    else if (listener->server->bind_to_port(host, config.port))
        listener->port = config.port;
    if (listener->port <= 0) {
        *error = tr("Cannot listen on %1 port %2").arg(address).arg(config.port);
        return false;
    }
    listener->widenBacklog();
    httplib::Server* server = listener->server.get();
    listener->thread = std::thread([server] { server->listen_after_bind(); });
    // The library's stop() does nothing to a server not yet running, whose thread would then
    // never end: it is running before anyone can stop it (a matter of microseconds).
    for (int waited = 0; !server->is_running() && waited < 2000; ++waited)
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    qCInfo(lcApp).noquote() << "screening page on" << address << "port" << listener->port;
    m_listeners.push_back(std::move(listener));
    return true;
}

void ScreeningServer::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_stopping = true;
    }
    m_stateChanged.notify_all();
    for (auto& listener : m_listeners) {
        listener->server->stop();
        shutDownConnections(listener->port);
        if (listener->thread.joinable())
            listener->thread.join();
    }
    m_listeners.clear();
    m_sessions.closeAll();
}

QList<int> ScreeningServer::ports() const
{
    QList<int> ports;
    for (const auto& listener : m_listeners)
        ports.append(listener->port);
    return ports;
}

void ScreeningServer::publish(const QByteArray& stateJson)
{
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_state = stateJson.toStdString();
        ++m_version;
    }
    m_stateChanged.notify_all();
}

void ScreeningServer::route(Listener* listener)
{
    httplib::Server& server = *listener->server;
    server.new_task_queue = [] { return new httplib::ThreadPool(Workers); };
    server.set_payload_max_length(MaxBodyBytes);
    // An answer goes out in more than one write: without this, each waits for the delayed ACK.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(10, 0);
    server.set_write_timeout(5, 0);
    server.set_keep_alive_timeout(30);
    server.set_default_headers({
        { "X-Content-Type-Options", "nosniff" },
        { "X-Frame-Options", "DENY" },
        { "Referrer-Policy", "no-referrer" },
        { "Content-Security-Policy",
            "default-src 'self'; connect-src 'self'; img-src 'self' data:; frame-ancestors 'none'; form-action "
            "'self'" },
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        refuse(response, 500, "Internal");
    });
    routeReads(listener);
    routeChanges(listener);
}

void ScreeningServer::routeReads(Listener* listener)
{
    httplib::Server& server = *listener->server;
    server.Get("/", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        serveFile(exchange, m_page, "text/html; charset=utf-8");
    });
    server.Get("/screening.js", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        serveFile(exchange, m_script, "text/javascript; charset=utf-8");
    });
    server.Get("/screening.css", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        serveFile(exchange, m_style, "text/css; charset=utf-8");
    });
    server.Get(
        "/api/texts", [this](const httplib::Request&, httplib::Response& response) { answer(response, 200, m_texts); });
    server.Get("/api/session", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        ScreeningSessions::Session session;
        if (loggedIn(exchange, &session))
            answer(response, 200, "{\"ok\":true,\"token\":\"" + session.token + "\"}");
    });
    server.Get("/api/state", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        if (!loggedIn(exchange, nullptr))
            return;
        std::lock_guard<std::mutex> lock(m_stateMutex);
        answer(response, 200, QByteArray::fromStdString(m_state));
    });
    server.Get("/api/events", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        events(exchange);
    });
}

void ScreeningServer::routeChanges(Listener* listener)
{
    httplib::Server& server = *listener->server;
    server.Post("/api/login", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        login(exchange);
    });
    server.Post("/api/logout", [this](const httplib::Request& request, httplib::Response& response) {
        Exchange exchange { request, response };
        ScreeningSessions::Session session;
        QJsonObject body;
        if (!acceptChange(exchange, &session, &body))
            return;
        m_sessions.close(session.id);
        response.set_header("Set-Cookie", std::string(CookieName) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
        answer(response, 200, "{\"ok\":true}");
    });
    server.Post(R"(/api/(answer|decline|hangup|dial|notes|phonebook))",
        [this](const httplib::Request& request, httplib::Response& response) {
            Exchange exchange { request, response };
            change(exchange, QString::fromStdString(request.matches[1].str()));
        });
}

void ScreeningServer::serveFile(Exchange& exchange, const QByteArray& body, const char* type) const
{
    exchange.response.set_header("Cache-Control", "no-cache");
    exchange.response.set_content(body.constData(), static_cast<size_t>(body.size()), type);
}

void ScreeningServer::login(Exchange& exchange)
{
    const QString address = QString::fromStdString(exchange.request.remote_addr);
    if (!sameOrigin(exchange))
        return refuse(exchange.response, 403, "CrossSite");
    if (const qint64 wait = m_sessions.loginWaitMs(address); wait > 0) {
        exchange.response.set_header("Retry-After", std::to_string((wait + 999) / 1000));
        return refuse(exchange.response, 429, "TooManyAttempts");
    }
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(exchange.request.body), &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isObject())
        return refuse(exchange.response, 400, "MalformedRequest");
    // Checked here, on a worker: the hash takes its time on purpose. A crowd of logins must not
    // take every core.
    if (m_loginChecks.fetch_add(1) >= MaxLoginChecks) {
        m_loginChecks.fetch_sub(1);
        exchange.response.set_header("Retry-After", "1");
        return refuse(exchange.response, 429, "TooManyAttempts");
    }
    const bool matches = m_password.matches(document.object().value(QStringLiteral("password")).toString());
    m_loginChecks.fetch_sub(1);
    if (!matches) {
        m_sessions.loginFailed(address);
        qCInfo(lcApp).noquote() << "screening page: wrong password from" << address;
        return refuse(exchange.response, 401, "WrongPassword");
    }
    m_sessions.loginSucceeded(address);
    const ScreeningSessions::Session session = m_sessions.open();
    std::string cookieText = std::string(CookieName) + "=" + session.id.toStdString()
        + "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" + std::to_string(ScreeningSessions::LifetimeMs / 1000);
    if (m_tls)
        cookieText += "; Secure";
    exchange.response.set_header("Set-Cookie", cookieText);
    answer(exchange.response, 200, "{\"ok\":true,\"token\":\"" + session.token + "\"}");
}

bool ScreeningServer::loggedIn(Exchange& exchange, ScreeningSessions::Session* session)
{
    const QByteArray id = cookie(exchange.request, CookieName);
    if (id.isEmpty() || !m_sessions.find(id, session)) {
        refuse(exchange.response, 401, "NotLoggedIn");
        return false;
    }
    return true;
}

bool ScreeningServer::sameOrigin(const Exchange& exchange) const
{
    const httplib::Request& request = exchange.request;
    if (request.has_header("Origin")) {
        const std::string expected = (m_tls ? "https://" : "http://") + request.get_header_value("Host");
        return request.get_header_value("Origin") == expected;
    }
    // Browsers that send no Origin still say where a request comes from.
    const std::string site = request.get_header_value("Sec-Fetch-Site");
    return site.empty() || site == "same-origin" || site == "none";
}

bool ScreeningServer::acceptChange(Exchange& exchange, ScreeningSessions::Session* session, QJsonObject* body)
{
    const httplib::Request& request = exchange.request;
    if (!loggedIn(exchange, session))
        return false;
    const char* refusal = nullptr;
    int status = 403;
    if (!sameOrigin(exchange))
        refusal = "CrossSite";
    else if (QByteArray::fromStdString(request.get_header_value(TokenHeader)) != session->token)
        refusal = "BadToken";
    else if (request.get_header_value("Content-Type").rfind("application/json", 0) != 0)
        refusal = "NotJson", status = 415;
    if (refusal) {
        refuse(exchange.response, status, refusal);
        return false;
    }
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(request.body), &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isObject()) {
        refuse(exchange.response, 400, "MalformedRequest");
        return false;
    }
    *body = document.object();
    return true;
}

void ScreeningServer::change(Exchange& exchange, const QString& action)
{
    ScreeningSessions::Session session;
    ScreeningRequest request;
    if (!acceptChange(exchange, &session, &request.body))
        return;
    request.action = action;
    request.address = QString::fromStdString(exchange.request.remote_addr);
    const ScreeningReply reply = handOver(request);
    answer(exchange.response, reply.status, reply.json);
}

ScreeningReply ScreeningServer::handOver(const ScreeningRequest& request)
{
    // Past the bound the request is refused here, before the GUI thread hears of it.
    std::shared_ptr<std::atomic<int>> pending = m_pending;
    if (pending->fetch_add(1) >= MaxPending) {
        pending->fetch_sub(1);
        return { 503, "{\"ok\":false,\"code\":\"Busy\"}" };
    }
    auto promise = std::make_shared<std::promise<ScreeningReply>>();
    auto abandoned = std::make_shared<std::atomic<bool>>(false);
    std::future<ScreeningReply> reply = promise->get_future();
    QMetaObject::invokeMethod(
        m_receiver,
        [perform = m_perform, request, promise, abandoned, pending] {
            pending->fetch_sub(1);
            // A request whose page stopped waiting is not carried out late.
            promise->set_value(abandoned->load() ? ScreeningReply() : perform(request));
        },
        Qt::QueuedConnection);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReplyTimeoutMs);
    while (reply.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (m_stopping || std::chrono::steady_clock::now() > deadline) {
            abandoned->store(true);
            return { 503, "{\"ok\":false,\"code\":\"Busy\"}" };
        }
    }
    try {
        return reply.get();
    } catch (const std::future_error&) {
        // The receiver went before it could answer.
        return { 503, "{\"ok\":false,\"code\":\"Busy\"}" };
    }
}

void ScreeningServer::events(Exchange& exchange)
{
    ScreeningSessions::Session session;
    if (!loggedIn(exchange, &session))
        return;
    if (m_pages.fetch_add(1) >= MaxPages) {
        m_pages.fetch_sub(1);
        return refuse(exchange.response, 503, "TooManyPages");
    }
    auto seen = std::make_shared<std::uint64_t>(0);
    exchange.response.set_header("Cache-Control", "no-store");
    exchange.response.set_chunked_content_provider(
        "text/event-stream",
        [this, id = session.id, seen](size_t, httplib::DataSink& sink) {
            std::string event;
            if (!nextEvent(id, seen.get(), &event))
                return false;
            return sink.write(event.data(), event.size());
        },
        [this](bool) { m_pages.fetch_sub(1); });
}

bool ScreeningServer::nextEvent(const QByteArray& sessionId, std::uint64_t* seen, std::string* event)
{
    std::unique_lock<std::mutex> lock(m_stateMutex);
    m_stateChanged.wait_for(
        lock, std::chrono::milliseconds(KeepAliveMs), [this, seen] { return m_stopping || m_version != *seen; });
    if (m_stopping)
        return false;
    if (m_version == *seen) {
        *event = ": still here\n\n";
    } else {
        *seen = m_version;
        *event = "data: " + m_state + "\n\n";
    }
    lock.unlock();
    // A page whose session ended (logged out, expired) hears nothing more.
    return m_sessions.find(sessionId);
}
