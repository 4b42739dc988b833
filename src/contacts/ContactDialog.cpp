#include "ContactDialog.h"
#include "ui_ContactDialog.h"

#include "CUC20.h"

#include <QPushButton>

ContactDialog::ContactDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ContactDialog)
{
    ui->setupUi(this);
    connect(ui->phonenumber, &QLineEdit::textChanged, this, &ContactDialog::onNumberChanged);
    onNumberChanged();
}

void ContactDialog::accept()
{
    // The button is not the only way in (a key, code that accepts the dialog): checked here too.
    if (CUC20::isDialable(phoneNumber()))
        QDialog::accept();
}

void ContactDialog::onNumberChanged()
{
    const bool dialable = CUC20::isDialable(phoneNumber());
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(dialable);
    ui->numberHint->setVisible(!dialable);
}

ContactDialog::~ContactDialog()
{
    delete ui;
}

void ContactDialog::setFirstName(const QString& text)
{
    ui->firstname->setText(text);
}

void ContactDialog::setLastName(const QString& text)
{
    ui->lastname->setText(text);
}

void ContactDialog::setPhoneNumber(const QString& text)
{
    ui->phonenumber->setText(text);
}

void ContactDialog::setInfo(const QString& text)
{
    ui->info->setPlainText(text);
}

QString ContactDialog::firstName() const
{
    return ui->firstname->text();
}

QString ContactDialog::lastName() const
{
    return ui->lastname->text();
}

QString ContactDialog::phoneNumber() const
{
    return ui->phonenumber->text();
}

QString ContactDialog::info() const
{
    return ui->info->toPlainText();
}
