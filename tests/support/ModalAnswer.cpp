#include "ModalAnswer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace ModalAnswer {

namespace {

const int pollMs = 5;

void poll(QObject* context, const std::function<void(QWidget*)>& action, int remainingMs)
{
    QTimer::singleShot(pollMs, context, [context, action, remainingMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible())
            action(modal);
        else if (remainingMs > 0)
            poll(context, action, remainingMs - pollMs);
    });
}

} // namespace

void whenShown(QObject* context, std::function<void(QWidget*)> action, int timeoutMs)
{
    poll(context, action, timeoutMs);
}

void clickButton(QWidget* modal, int standardButton)
{
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (QAbstractButton* button = box->button(static_cast<QMessageBox::StandardButton>(standardButton)))
            button->click();
        return;
    }
    if (auto* buttons = modal->findChild<QDialogButtonBox*>()) {
        if (QAbstractButton* button = buttons->button(static_cast<QDialogButtonBox::StandardButton>(standardButton)))
            button->click();
    }
}

} // namespace ModalAnswer
