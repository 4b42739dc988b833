#ifndef MODALANSWER_H
#define MODALANSWER_H

#include <functional>

class QObject;
class QWidget;

// Answers a modal dialog or message box that the code under test is about to run with exec():
// once it shows, the action receives it (and should close it). Waiting ends after timeoutMs or
// when the context object is destroyed, so a dialog that never comes cannot leave a waiting
// timer behind for later tests.
namespace ModalAnswer {

void whenShown(QObject* context, std::function<void(QWidget*)> action, int timeoutMs = 5000);

// Clicks the button with this standard role (a QMessageBox::StandardButton or a
// QDialogButtonBox::StandardButton value) of the dialog's button box or message box.
void clickButton(QWidget* modal, int standardButton);

} // namespace ModalAnswer

#endif // MODALANSWER_H
