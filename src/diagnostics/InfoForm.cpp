#include "InfoForm.h"
#include "ui_InfoForm.h"

#include "DeviceMessage.h"
#include "DevicePayload.h"

namespace {

// Bytes 0-14 in upper-case hex, in groups of 11, 3 and 1 bytes.
QString hardwareIdText(const QByteArray& hardwareId)
{
    const QString hex = QString::fromLatin1(hardwareId.toHex().toUpper());
    return hex.left(22) + QLatin1Char('-') + hex.mid(22, 6) + QLatin1Char('-') + hex.mid(28);
}

} // namespace

InfoForm::InfoForm(AppContext* context, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::InfoForm)
    , m_context(context)
{
    ui->setupUi(this);
}

InfoForm::~InfoForm()
{
    delete ui;
}

void InfoForm::onReceiveUSB(int id, int /*type*/, QByteArray data)
{
    switch (id) {
    case DeviceMessage::SerialNumber:
        ui->lineEdit_serial->setText(DevicePayload::serialNumber(data));
        break;
    case DeviceMessage::HardwareId:
        ui->lineEdit_hwid->setText(hardwareIdText(DevicePayload::hardwareId(data)));
        break;
    case DeviceMessage::FirmwareVersion: {
        const DevicePayload::FirmwareVersion version = DevicePayload::firmwareVersion(data);
        ui->lineEdit_firmware->setText(
            QStringLiteral("%1.%2.%3.%4").arg(version[0]).arg(version[1]).arg(version[2]).arg(version[3]));
        break;
    }
    default:
        break;
    }
}

void InfoForm::onManufacturerIdentification(QString str)
{
    ui->lineEdit_uc20_manufacturer->setText(str);
}

void InfoForm::onModelIdentification(QString str)
{
    ui->lineEdit_uc20_model->setText(str);
}

void InfoForm::onFirmwareRevision(QString str)
{
    ui->lineEdit_uc20_firmware->setText(str);
}

void InfoForm::onIMEIIdentify(QString str)
{
    ui->lineEdit_uc20_imei->setText(str);
}
