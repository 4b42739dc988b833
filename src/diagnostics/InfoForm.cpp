#include "InfoForm.h"
#include "ui_InfoForm.h"

#include "DeviceMessage.h"
#include "DevicePayload.h"

#include <algorithm>

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
    case DeviceMessage::FirmwareVersion:
        showFirmwareVersion(DevicePayload::firmwareVersion(data));
        break;
    default:
        break;
    }
}

void InfoForm::showFirmwareVersion(const DevicePayload::FirmwareVersion& version)
{
    const QString reported
        = QStringLiteral("%1.%2.%3.%4").arg(version[0]).arg(version[1]).arg(version[2]).arg(version[3]);
    // No release is numbered below zero: such numbers come from a unit whose answer is damaged or
    // was never filled in, and would be read as a version that does not exist.
    const bool possible = std::all_of(version.cbegin(), version.cend(), [](qint32 number) { return number >= 0; });
    ui->lineEdit_firmware->setText(possible ? reported : tr("Unknown (invalid version reported)"));
    ui->lineEdit_firmware->setToolTip(possible ? QString() : tr("The unit reported %1").arg(reported));
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
