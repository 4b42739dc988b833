#ifndef UC20TESTRIG_H
#define UC20TESTRIG_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "HidapiBackend.h"

class CConsole;
class CUC20;
class CUSBHID;

// A module engine on a link to one fake hybrid, with a console that shows every level. Module
// output is fed line by line as the link would deliver it; what the engine sent is read back
// from the fake unit's written reports.
class Uc20TestRig
{
public:
    static const QString serial;

    explicit Uc20TestRig(bool connected = true);
    ~Uc20TestRig();
    Uc20TestRig(const Uc20TestRig&) = delete;
    Uc20TestRig& operator=(const Uc20TestRig&) = delete;

    CConsole* console() const { return m_console; }
    CUSBHID* link() const { return m_link; }
    CUC20* uc20() const { return m_uc20; }

    // Hands lines to the engine as id-3 messages (Latin-1, NUL-terminated), without the link.
    void receive(const QStringList& lines);
    // Delivers lines as input reports of the fake unit and lets the link read them.
    void receiveThroughLink(const QStringList& lines);
    // Parses queued responses until none is left; returns how many were parsed.
    int drain();

    // Lets the link write everything it has queued, then returns each id-3 payload sent since
    // the last call, cut to its length.
    QList<QByteArray> takeSentPayloads();
    // The same, as command texts (up to the NUL).
    QStringList takeSentCommands();
    // What was logged since the last call at the levels the console shows, exactly as emitted
    // and without time stamps: "ERROR] Invalid phone number",
    // "TRACE] {../__src/CUC20, sendATCmd, 143} AT".
    QStringList takeLog();

private:
    QList<QByteArray> takeWritten();
    void record(int level, const QString& text);

    HidapiBackend m_backend;
    CConsole* m_console;
    CUSBHID* m_link;
    CUC20* m_uc20;
    int m_writtenSeen = 0;
    QStringList m_log;
};

#endif // UC20TESTRIG_H
