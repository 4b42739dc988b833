#ifndef CONTACTDIALOG_H
#define CONTACTDIALOG_H

#include <QDialog>

namespace Ui {
class ContactDialog;
}

// The form for adding or editing one contact. No field is checked: every one may stay empty.
class ContactDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ContactDialog(QWidget* parent = nullptr);
    ~ContactDialog() override;

    void setFirstName(const QString& text);
    void setLastName(const QString& text);
    void setPhoneNumber(const QString& text);
    void setInfo(const QString& text);

    QString firstName() const;
    QString lastName() const;
    QString phoneNumber() const;
    // The plain text of the information field.
    QString info() const;

private:
    Ui::ContactDialog* ui;
};

#endif // CONTACTDIALOG_H
