#ifndef UC20TESTRIG_H
#define UC20TESTRIG_H

#include "CConsole.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "DeviceMessage.h"
#include "FakeHidapi.h"

#include <QTimer>
#include <utility>

// A module engine on an open link to one fake hybrid: module lines are handed in, the parse step
// is run by hand, and what the engine sent and logged is read back.
class Uc20TestRig
{
public:
    static inline const QString serial = QStringLiteral("PH000020");

    Uc20TestRig()
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

    CUSBHID* link() { return &m_link; }
    CUC20* uc20() { return &m_uc20; }
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

    // The command texts sent since the last call. A report is id 0, then id, type, length + 3, payload.
    QStringList takeSentCommands()
    {
        while (m_link.pendingCount() > 0)
            m_link.onHidTimer();
        const QList<QByteArray> written = FakeHidapi::written(serial);
        QStringList commands;
        for (const QByteArray& report : written.mid(std::exchange(m_writtenSeen, written.size()))) {
            if (quint8(report.at(1)) == DeviceMessage::AtCommand)
                commands << QString::fromUtf8(report.mid(4, quint8(report.at(3)) - 3).constData());
        }
        return commands;
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
    QTimer* m_drainTimer = m_uc20.findChild<QTimer*>(QStringLiteral("drainTimer"));
};

#endif // UC20TESTRIG_H
