#include "ContactDialog.h"
#include "ui_ContactDialog.h"

ContactDialog::ContactDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ContactDialog)
{
    ui->setupUi(this);
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
