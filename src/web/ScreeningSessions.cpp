#include "ScreeningSessions.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <memory>

ScreeningSessions::ScreeningSessions(std::function<qint64()> clock)
    : m_clock(std::move(clock))
{
    if (!m_clock) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        m_clock = [started] { return started->elapsed(); };
    }
}

ScreeningSessions::Session ScreeningSessions::open()
{
    const qint64 now = m_clock();
    Session session { randomText(), randomText(), now, now };
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_sessions.size() >= MaxSessions) {
        const auto oldest = std::min_element(m_sessions.begin(), m_sessions.end(),
            [](const Session& a, const Session& b) { return a.usedMs < b.usedMs; });
        m_sessions.erase(oldest);
    }
    m_sessions.insert(session.id, session);
    return session;
}

bool ScreeningSessions::find(const QByteArray& id, Session* session)
{
    const qint64 now = m_clock();
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_sessions.find(id);
    if (found == m_sessions.end())
        return false;
    if (expired(*found, now)) {
        m_sessions.erase(found);
        return false;
    }
    found->usedMs = now;
    if (session)
        *session = *found;
    return true;
}

void ScreeningSessions::close(const QByteArray& id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sessions.remove(id);
}

void ScreeningSessions::closeAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sessions.clear();
}

int ScreeningSessions::count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sessions.size();
}

qint64 ScreeningSessions::loginWaitMs(const QString& address) const
{
    const qint64 now = m_clock();
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_failures.constFind(address);
    return found == m_failures.constEnd() ? 0 : std::max<qint64>(0, found->untilMs - now);
}

void ScreeningSessions::loginFailed(const QString& address)
{
    const qint64 now = m_clock();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failures.size() >= MaxAddresses && !m_failures.contains(address)) {
        // Whoever still waits keeps waiting; the ones whose wait is over are forgotten first.
        for (auto it = m_failures.begin(); it != m_failures.end();)
            it = it->untilMs <= now ? m_failures.erase(it) : std::next(it);
        if (m_failures.size() >= MaxAddresses)
            m_failures.erase(m_failures.begin());
    }
    Failures& failures = m_failures[address];
    ++failures.count;
    const qint64 wait = FirstLoginWaitMs << std::min(failures.count - 1, 16);
    failures.untilMs = now + std::min(wait, MaxLoginWaitMs);
}

void ScreeningSessions::loginSucceeded(const QString& address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.remove(address);
}

bool ScreeningSessions::expired(const Session& session, qint64 now) const
{
    return now - session.usedMs > IdleLimitMs || now - session.openedMs > LifetimeMs;
}

QByteArray ScreeningSessions::randomText()
{
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}
