#ifndef LINKRIG_H
#define LINKRIG_H

#include "AppContext.h"
#include "CConsole.h"
#include "CNau8810.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "DeviceMessage.h"
#include "FakeHidapi.h"

#include <QTimer>
#include <utility>

// The module engine and the codec model on an open link to one fake hybrid: messages are handed
// in, the module's parse step is run by hand, and what was sent and logged is read back.
class LinkRig
{
public:
    static inline const QString serial = QStringLiteral("PH000020");

    LinkRig()
    {
        QObject::connect(&m_console, &CConsole::error, [this](const QString& text) { m_log << "ERROR] " + text; });
        QObject::connect(&m_console, &CConsole::info, [this](const QString& text) { m_log << "INFO] " + text; });
        // The parse step traces each response as its lines, each after a blank.
        QObject::connect(&m_console, &CConsole::_trace,
            [this](const QString&, const QString& function, const QString&, const QString& text) {
                if (function == QLatin1String("processMsgQueue"))
                    m_parsed << text.mid(1);
            });
        m_link.start(serial);
        m_log.clear();
    }

    CConsole* console() { return &m_console; }
    CUSBHID* link() { return &m_link; }
    CUC20* uc20() { return &m_uc20; }
    CNau8810* nau8810() { return &m_nau; }
    AppContext* context() { return &m_context; }
    QTimer* drainTimer() const { return m_drainTimer; }

    // Hands each line over as one whole id-3 message.
    void receive(const QStringList& lines)
    {
        for (const QString& line : lines)
            m_uc20.onReceiveUSB(DeviceMessage::AtCommand, DeviceMessage::Write, line.toLatin1() + '\0');
    }

    // Runs the parse step while the drain timer runs, at most steps times; returns the responses
    // parsed since the last call, each as its lines joined by blanks.
    QStringList drain(int steps = 10000)
    {
        for (; m_drainTimer->isActive() && steps > 0; --steps)
            m_uc20.processMsgQueue();
        return std::exchange(m_parsed, QStringList());
    }

    // The messages sent since the last call: a module command as its text, any other message as
    // "id.type:payload in hex". A report is id 0, then id, type, length + 3, payload.
    QStringList takeSent()
    {
        while (m_link.pendingCount() > 0)
            m_link.onHidTimer();
        const QList<QByteArray> written = FakeHidapi::written(serial);
        QStringList sent;
        for (const QByteArray& report : written.mid(std::exchange(m_writtenSeen, written.size()))) {
            const QByteArray payload = report.mid(4, quint8(report[3]) - 3);
            const quint8 id = report[1], type = report[2];
            sent << (id == DeviceMessage::AtCommand
                    ? QString::fromUtf8(payload.constData())
                    : QString("%1.%2:%3").arg(id).arg(type).arg(QString(payload.toHex())));
        }
        return sent;
    }

    // The errors and infos logged since the last call: "ERROR] text".
    QStringList takeLog() { return std::exchange(m_log, QStringList()); }

private:
    struct FakeUnit
    {
        FakeUnit()
        {
            FakeHidapi::reset();
            FakeHidapi::plug(serial);
        }
        ~FakeUnit() { FakeHidapi::reset(); }
    } m_unit;
    // Declared before the parts, which log while they are destroyed.
    QStringList m_log;
    QStringList m_parsed;
    int m_writtenSeen = 0;
    CConsole m_console;
    CUSBHID m_link { nullptr, &m_console };
    CUC20 m_uc20 { nullptr, &m_link, &m_console };
    CNau8810 m_nau { nullptr, &m_link, &m_console };
    AppContext m_context { &m_link, &m_uc20, &m_nau, &m_console, nullptr };
    QTimer* m_drainTimer = m_uc20.findChild<QTimer*>(QStringLiteral("drainTimer"));
};

#endif // LINKRIG_H
