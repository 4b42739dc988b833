#ifndef CLOSEDURINGCALL_H
#define CLOSEDURINGCALL_H

#include <QCoreApplication>
#include <QString>

class CUC20;
class QWidget;

// Closing the program while a call rings, is being placed or is on air ends that call: the
// program is the only way to end it from the studio, so it is not left running in the unit. The
// operator is asked first; the safe answer, keeping the program open, is the default.
class CloseDuringCall
{
    Q_DECLARE_TR_FUNCTIONS(CloseDuringCall)

public:
    // How long the module gets to confirm that the call has ended before the program closes.
    static constexpr int EndTimeoutMs = 3000;

    // True when the program may close: no call is in progress, or the operator agreed and the call
    // has been ended (hung up, declined or cancelled). party names the other side for the question.
    static bool confirm(CUC20* module, const QString& party, QWidget* parent);
    // The question for the call state ("A call with … is on air."), empty when no call is on.
    static QString question(int callState, const QString& party);

private:
    static void endCall(CUC20* module);
};

#endif // CLOSEDURINGCALL_H
