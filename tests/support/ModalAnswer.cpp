#include "ModalAnswer.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

void ModalAnswer::whenShown(QObject* context, std::function<void(QWidget*)> action, int timeoutMs)
{
    const int pollMs = 5;
    QTimer::singleShot(pollMs, context, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible())
            action(modal);
        else if (timeoutMs > 0)
            whenShown(context, action, timeoutMs - pollMs);
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
