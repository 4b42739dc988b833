#ifndef MODALANSWER_H
#define MODALANSWER_H

#include <functional>

class QFileDialog;
class QObject;
class QString;
class QWidget;

// Answers a modal dialog or message box that the code under test is about to run with exec().
namespace ModalAnswer {

// Once a modal widget shows, the action receives it (and should close it). Waiting ends after
// timeoutMs or with the context object, so no waiting timer is left behind for later tests.
void whenShown(QObject* context, std::function<void(QWidget*)> action, int timeoutMs = 5000);
// The same for the next modal widget other than current, which may still be on show.
void whenOtherShown(QObject* context, QWidget* current, std::function<void(QWidget*)> action, int timeoutMs = 5000);
// Clicks the button with this standard role (QMessageBox or QDialogButtonBox values alike).
void clickButton(QWidget* modal, int standardButton);
// Accepts the file dialog with this file, as typed by the operator. A dialog that stays open
// (its own warning answered, say) is rejected, so that the test fails instead of hanging.
void chooseFile(QFileDialog* dialog, const QString& path);

} // namespace ModalAnswer

#endif // MODALANSWER_H
