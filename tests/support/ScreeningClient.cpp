#include "ScreeningClient.h"

#include <QJsonDocument>

#include <httplib.h>

#include <chrono>
#include <future>

QJsonObject ScreeningClient::Answer::json() const
{
    return QJsonDocument::fromJson(body).object();
}

ScreeningClient::ScreeningClient(int port, std::function<bool(const std::function<bool()>&)> wait)
    : m_port(port)
    , m_wait(std::move(wait))
{
}

ScreeningClient::Answer ScreeningClient::get(const QByteArray& path, const Headers& headers)
{
    return send("GET", path, QByteArray(), headers);
}

ScreeningClient::Answer ScreeningClient::post(const QByteArray& path, const QByteArray& body, const Headers& headers)
{
    return send("POST", path, body, headers);
}

ScreeningClient::Answer ScreeningClient::send(
    const QByteArray& method, const QByteArray& path, const QByteArray& body, const Headers& headers)
{
    const int port = m_port;
    auto future = std::async(std::launch::async, [=] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(10, 0);
        httplib::Headers sent;
        std::string type = "application/json";
        for (const auto& header : headers) {
            if (header.first.compare("Content-Type", Qt::CaseInsensitive) == 0)
                type = header.second.toStdString();
            else
                sent.emplace(header.first.toStdString(), header.second.toStdString());
        }
        const httplib::Result result = method == "GET"
            ? client.Get(path.toStdString(), sent)
            : client.Post(path.toStdString(), sent, body.toStdString(), type);
        Answer answer;
        if (result) {
            answer.status = result->status;
            answer.body = QByteArray::fromStdString(result->body);
            answer.setCookie = QByteArray::fromStdString(result->get_header_value("Set-Cookie"));
            answer.retryAfter = QByteArray::fromStdString(result->get_header_value("Retry-After"));
        }
        return answer;
    });
    m_wait([&future] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return future.get();
}

bool ScreeningClient::logIn(const QString& password)
{
    const QJsonObject body { { QStringLiteral("password"), password } };
    const Answer answer
        = post("/api/login", QJsonDocument(body).toJson(QJsonDocument::Compact), { { "Origin", origin() } });
    if (answer.status != 200)
        return false;
    m_cookie = answer.setCookie.left(answer.setCookie.indexOf(';'));
    m_token = answer.json().value(QStringLiteral("token")).toString().toLatin1();
    return !m_cookie.isEmpty() && !m_token.isEmpty();
}

ScreeningClient::Headers ScreeningClient::page() const
{
    return { { "Cookie", m_cookie }, { "X-Screening-Token", m_token }, { "Origin", origin() } };
}

QByteArray ScreeningClient::origin() const
{
    return "http://127.0.0.1:" + QByteArray::number(m_port);
}
