#ifndef CONTACTDIALOG_H
#define CONTACTDIALOG_H

#include <QDialog>

namespace Ui {
class ContactDialog;
}

// The form for adding or editing one contact. Names and information may stay empty; the number
// may not: a contact is there to be called, and an empty number would stand for every withheld
// caller. OK stays off, with a word why, until the number can be dialled and the note is within
// the length an import accepts (the other fields take no more than that).
class ContactDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ContactDialog(QWidget* parent = nullptr);
    ~ContactDialog() override;

    // Closes the dialog as accepted only with a number that can be dialled.
    void accept() override;

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
    void onNumberChanged();
    // Why OK is refused: a number that cannot be dialled, a note too long; empty when it is not.
    QString refusal() const;

    Ui::ContactDialog* ui;
    QString m_numberHint;
};

#endif // CONTACTDIALOG_H
