#include "ContactDialog.h"
#include "ui_ContactDialog.h"

#include "CUC20.h"
#include "ContactText.h"

#include <QPushButton>

ContactDialog::ContactDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ContactDialog)
{
    ui->setupUi(this);
    m_numberHint = ui->numberHint->text();
    // The same bounds as an import's: a name pasted from somewhere by mistake, megabytes long,
    // would otherwise be shown on every ring of that caller.
    for (QLineEdit* field : { ui->firstname, ui->lastname, ui->phonenumber })
        field->setMaxLength(ContactText::MaxFieldLength);
    // Tab goes on to the buttons, as in every other field.
    ui->info->setTabChangesFocus(true);
    connect(ui->phonenumber, &QLineEdit::textChanged, this, &ContactDialog::onNumberChanged);
    connect(ui->info, &QTextEdit::textChanged, this, &ContactDialog::onNumberChanged);
    onNumberChanged();
}

void ContactDialog::accept()
{
    // The button is not the only way in (a key, code that accepts the dialog): checked here too.
    if (refusal().isEmpty())
        QDialog::accept();
}

QString ContactDialog::refusal() const
{
    if (!CUC20::isDialable(phoneNumber()))
        return m_numberHint;
    if (info().size() > ContactText::MaxFieldLength)
        return tr("The additional information is longer than %1 characters.").arg(ContactText::MaxFieldLength);
    return QString();
}

void ContactDialog::onNumberChanged()
{
    const QString refused = refusal();
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(refused.isEmpty());
    ui->numberHint->setText(refused);
    ui->numberHint->setVisible(!refused.isEmpty());
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
