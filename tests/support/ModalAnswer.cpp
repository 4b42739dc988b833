#include "ModalAnswer.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QPointer>
#include <QTimer>
#include <utility>

void ModalAnswer::whenShown(QObject* context, std::function<void(QWidget*)> action, int timeoutMs)
{
    whenOtherShown(context, nullptr, std::move(action), timeoutMs);
}

void ModalAnswer::whenOtherShown(
    QObject* context, QWidget* current, std::function<void(QWidget*)> action, int timeoutMs)
{
    const int pollMs = 5;
    // current may be gone by the time the poll runs.
    const QPointer<QWidget> skip(current);
    QTimer::singleShot(pollMs, context, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal != skip.data())
            action(modal);
        else if (timeoutMs > 0)
            whenOtherShown(context, skip.data(), action, timeoutMs - pollMs);
    });
}

void ModalAnswer::clickButton(QWidget* modal, int standardButton)
{
    // A message box keeps its buttons in a button box too, under the same standard values.
    if (auto* box = modal->findChild<QDialogButtonBox*>()) {
        if (QPushButton* button = box->button(QDialogButtonBox::StandardButton(standardButton)))
            button->click();
    }
}
