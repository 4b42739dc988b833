#include "ExportRangeDialog.h"
#include "ui_ExportRangeDialog.h"

ExportRangeDialog::ExportRangeDialog(const QDate& today, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ExportRangeDialog)
{
    ui->setupUi(this);
    ui->firstDay->setDate(QDate(today.year(), today.month(), 1));
    ui->lastDay->setDate(today);
    ui->lastDay->setMinimumDate(ui->firstDay->date());
    connect(ui->firstDay, &QDateEdit::dateChanged, ui->lastDay, &QDateEdit::setMinimumDate);
}

ExportRangeDialog::~ExportRangeDialog()
{
    delete ui;
}

bool ExportRangeDialog::allCalls() const
{
    return ui->allCalls->isChecked();
}

QDate ExportRangeDialog::firstDay() const
{
    return ui->firstDay->date();
}

QDate ExportRangeDialog::lastDay() const
{
    return ui->lastDay->date();
}
