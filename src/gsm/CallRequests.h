#ifndef CALLREQUESTS_H
#define CALLREQUESTS_H

#include <QCoreApplication>
#include <QString>

class CUSBHID;
class CUC20;

// The checks a call action asked for from outside the window (the remote control, the screening
// page) passes before it reaches the engine, in one place: every such door refuses the same
// requests for the same reasons. A refusal comes as a code that does not depend on the language
// and as the text the operator reads.
class CallRequests
{
    Q_DECLARE_TR_FUNCTIONS(CallRequests)

public:
    // Longer texts are refused as numbers unread.
    static constexpr int MaxNumberLength = 64;

    enum Refusal {
        Allowed,
        NotConnected,
        NoIncomingCall,
        NoCall,
        ActionPending,
        CallActive,
        InvalidNumber,
        ServiceCode
    };

    struct Verdict
    {
        Refusal refusal = Allowed;
        QString text; // empty when allowed

        bool allowed() const { return refusal == Allowed; }
    };

    CallRequests(CUSBHID* usb, CUC20* uc20);

    // Whether dial(number), answer() and hangUp() would go to the engine now.
    Verdict checkDial(const QString& number) const;
    Verdict checkAnswer() const;
    Verdict checkHangUp() const;
    // Declining is ending a call that rings.
    Verdict checkDecline() const;

    // The check, then the action when it passed; the verdict either way.
    Verdict dial(const QString& number) const;
    Verdict answer() const;
    Verdict hangUp() const;
    Verdict decline() const;

    // The refusal's name, as the remote interfaces give it ("NotConnected", ...).
    static QString name(Refusal refusal);

private:
    CUSBHID* m_usb;
    CUC20* m_uc20;
};

#endif // CALLREQUESTS_H
