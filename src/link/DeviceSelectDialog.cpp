#include "DeviceSelectDialog.h"
#include "ui_DeviceSelectDialog.h"

DeviceSelectDialog::DeviceSelectDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::DeviceSelectDialog)
{
    ui->setupUi(this);
}

DeviceSelectDialog::~DeviceSelectDialog()
{
    delete ui;
}

void DeviceSelectDialog::addDevice(const QString& serial)
{
    ui->comboBox_select_device->addItem(serial);
}

int DeviceSelectDialog::deviceCount() const
{
    return ui->comboBox_select_device->count();
}

QString DeviceSelectDialog::selectedDevice() const
{
    return ui->comboBox_select_device->currentText();
}
