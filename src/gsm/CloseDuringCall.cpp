#include "CloseDuringCall.h"

#include "CUC20.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

QString CloseDuringCall::question(int callState, const QString& party)
{
    switch (callState) {
    case VOICECALL_ACTIVE:
        return tr("A call with %1 is on air. Closing the program hangs it up.")
            .arg(party);
    case VOICECALL_INCOMING:
        return tr("A call from %1 is ringing. Closing the program declines it.")
            .arg(party);
    case VOICECALL_CALLING:
        return tr("A call to %1 is being placed. Closing the program cancels it.")
            .arg(party);
    default:
        return QString();
    }
}

bool CloseDuringCall::confirm(CUC20* module, const QString& party, QWidget* parent)
{
    const QString text = question(module->callState(), party);
    if (text.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Warning, tr("Call in progress"), text,
        QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("closeDuringCallQuestion"));
    QPushButton* close
        = box.addButton(tr("End the call and close"), QMessageBox::AcceptRole);
    QPushButton* stay = box.addButton(tr("Keep the program open"), QMessageBox::RejectRole);
    // Return, pressed out of habit, must not end a call on air: only a click on the button does.
    close->setAutoDefault(false);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() != close)
        return false;
    endCall(module);
    return true;
}

void CloseDuringCall::endCall(CUC20* module)
{
    // The link goes with the window: the hang-up must have reached the module by then.
    QEventLoop wait;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &wait, &QEventLoop::quit);
    QObject::connect(module, &CUC20::voicecallStateChange, &wait, [&wait](VOICECALL_STATE state) {
        if (state == VOICECALL_IDLE)
            wait.quit();
    });
    module->endCall();
    if (module->callState() == VOICECALL_IDLE)
        return;
    timeout.start(EndTimeoutMs);
    wait.exec();
}
