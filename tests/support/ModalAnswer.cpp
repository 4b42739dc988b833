#include "ModalAnswer.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QTimer>
#include <utility>

void ModalAnswer::whenShown(QObject* context, std::function<void(QWidget*)> action, int timeoutMs)
{
    whenOtherShown(context, nullptr, std::move(action), timeoutMs);
}

namespace {

void pollForModal(QObject* context, const QPointer<QWidget>& skip, const std::function<void(QWidget*)>& action,
    const QElapsedTimer& since, int timeoutMs)
{
    QTimer::singleShot(5, context, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal != skip.data())
            action(modal);
        else if (!since.hasExpired(timeoutMs))
            pollForModal(context, skip, action, since, timeoutMs);
    });
}

} // namespace

void ModalAnswer::whenOtherShown(
    QObject* context, QWidget* current, std::function<void(QWidget*)> action, int timeoutMs)
{
    // The wait is counted in time, not in polls: a loaded machine runs fewer of them.
    QElapsedTimer since;
    since.start();
    // current may be gone by the time the poll runs.
    pollForModal(context, QPointer<QWidget>(current), action, since, timeoutMs);
}

void ModalAnswer::clickButton(QWidget* modal, int standardButton)
{
    // A message box keeps its buttons in a button box too, under the same standard values.
    if (auto* box = modal->findChild<QDialogButtonBox*>()) {
        if (QPushButton* button = box->button(QDialogButtonBox::StandardButton(standardButton)))
            button->click();
    }
}

void ModalAnswer::chooseFile(QFileDialog* dialog, const QString& path)
{
    // The dialog leaves a name field that has the focus alone, and whether it has the focus yet
    // depends on how soon the window was activated: type the name in, as the operator would.
    dialog->selectFile(path);
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    // QFileDialog keeps accept() protected; QDialog has it public, and it is the same call.
    static_cast<QDialog*>(dialog)->accept();
    if (dialog->isVisible())
        dialog->reject();
}
