#include "Uc20TestRig.h"

#include "CConsole.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "FakeHidapi.h"

#include <utility>

const QString Uc20TestRig::serial = QStringLiteral("PH000020");

Uc20TestRig::Uc20TestRig(bool connected)
    : m_console(new CConsole)
{
    FakeHidapi::reset();
    FakeHidapi::plug(serial);
    for (CConsole::Level level : { CConsole::Error, CConsole::Warn, CConsole::Info, CConsole::Debug, CConsole::Trace })
        m_console->setLevelEnabled(level, true);
    m_link = new CUSBHID(&m_backend, m_console);
    m_uc20 = new CUC20(nullptr, m_link, m_console);
    QObject::connect(m_link, &CUSBHID::dataAvailable, m_uc20, &CUC20::onReceiveUSB);

    QObject::connect(m_console, &CConsole::error, [this](const QString& msg) { record(CConsole::Error, msg); });
    QObject::connect(m_console, &CConsole::warn, [this](const QString& msg) { record(CConsole::Warn, msg); });
    QObject::connect(m_console, &CConsole::info, [this](const QString& msg) { record(CConsole::Info, msg); });
    QObject::connect(m_console, &CConsole::debug, [this](const QString& msg) { record(CConsole::Debug, msg); });
    QObject::connect(m_console, &CConsole::_trace,
        [this](const QString& file, const QString& function, const QString& line, const QString& msg) {
            record(CConsole::Trace, QStringLiteral("{%1, %2, %3} %4").arg(file, function, line, msg));
        });
    if (connected)
        m_link->start(serial);
    takeLog();
}

Uc20TestRig::~Uc20TestRig()
{
    delete m_uc20;
    delete m_link;
    delete m_console;
    FakeHidapi::reset();
}

void Uc20TestRig::receive(const QStringList& lines)
{
    for (const QString& line : lines) {
        QByteArray payload = line.toLatin1();
        payload.append('\0');
        m_uc20->onReceiveUSB(DeviceMessage::AtCommand, DeviceMessage::Write, payload);
    }
}

void Uc20TestRig::receiveThroughLink(const QStringList& lines)
{
    for (const QString& line : lines) {
        const QByteArray text = line.toLatin1().left(DeviceMessage::MaxPayload - 1) + '\0';
        FakeHidapi::deliver(serial, DeviceFrame::encode(DeviceMessage::AtCommand, 0, text.constData(), text.size()));
    }
    m_link->onHidTimer();
}

int Uc20TestRig::drain()
{
    int parsed = 0;
    while (m_uc20->queuedResponseCount() > 0) {
        m_uc20->processMsgQueue();
        ++parsed;
    }
    return parsed;
}

QList<QByteArray> Uc20TestRig::takeWritten()
{
    while (m_link->pendingCount() > 0)
        m_link->onHidTimer();
    const QList<QByteArray> written = FakeHidapi::written(serial);
    const QList<QByteArray> fresh = written.mid(m_writtenSeen);
    m_writtenSeen = written.size();
    return fresh;
}

QList<QByteArray> Uc20TestRig::takeSentPayloads()
{
    QList<QByteArray> payloads;
    for (const QByteArray& report : takeWritten()) {
        // Report id 0, then the frame: id, type, payload length + 3, payload.
        if (quint8(report.at(1)) != DeviceMessage::AtCommand)
            continue;
        payloads.append(report.mid(4, quint8(report.at(3)) - 3));
    }
    return payloads;
}

QStringList Uc20TestRig::takeSentCommands()
{
    QStringList commands;
    for (const QByteArray& payload : takeSentPayloads()) {
        const int end = payload.indexOf('\0');
        commands.append(QString::fromUtf8(end < 0 ? payload : payload.left(end)));
    }
    return commands;
}

QStringList Uc20TestRig::takeLog()
{
    return std::exchange(m_log, QStringList());
}

void Uc20TestRig::record(int level, const QString& text)
{
    static const char* const levelNames[] = { "ERROR", "WARN", "INFO", "DEBUG", "TRACE" };
    if (m_console->isLevelEnabled(CConsole::Level(level)))
        m_log.append(QLatin1String(levelNames[level]) + QStringLiteral("] ") + text);
}
