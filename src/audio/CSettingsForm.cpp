#include "CSettingsForm.h"
#include "ui_CSettingsForm.h"

#include "AppContext.h"
#include "CNau8810.h"
#include "CUSBHID.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"

#include <QDebug>
#include <QSettings>

namespace {

constexpr quint8 dacGainRegister = 11;
constexpr quint8 pgaGainRegister = 45;

QString dialNumberKey(int index)
{
    return QStringLiteral("dialnr%1").arg(index);
}

} // namespace

CSettingsForm::CSettingsForm(AppContext* context, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CSettingsForm)
    , m_context(context)
{
    ui->setupUi(this);
    readSettings();
    // Each number is stored as it is typed, so a crash or a power cut does not lose it.
    for (int index = 1; index <= DialNumberCount; ++index)
        connect(dialNumberEdit(index), &QLineEdit::textEdited, this, [this, index] { storeDialNumber(index); });
}

CSettingsForm::~CSettingsForm()
{
    writeSettings();
    delete ui;
}

QLineEdit* CSettingsForm::dialNumberEdit(int index) const
{
    QLineEdit* const edits[DialNumberCount] = { ui->lineEdit_dialnr1, ui->lineEdit_dialnr2, ui->lineEdit_dialnr3,
        ui->lineEdit_dialnr4, ui->lineEdit_dialnr5, ui->lineEdit_dialnr6, ui->lineEdit_dialnr7,
        ui->lineEdit_dialnr8 };
    return index >= 1 && index <= DialNumberCount ? edits[index - 1] : nullptr;
}

QString CSettingsForm::dialNumber(int index) const
{
    const QLineEdit* edit = dialNumberEdit(index);
    return edit ? edit->text() : QString();
}

void CSettingsForm::onReceiveUSB(int id, int /*type*/, QByteArray data)
{
    if (id == DeviceMessage::CodecRegister)
        onCodecRegister(data);
    else if (id == DeviceMessage::AutoAnswer)
        ui->checkBox_enable->setChecked(DevicePayload::autoAnswer(data));
}

void CSettingsForm::onCodecRegister(const QByteArray& data)
{
    // Moving a slider runs its handler, which writes the reported value back once; a slider that
    // already stands there writes nothing, though its text is brought up to date.
    const DevicePayload::CodecRegister reg = DevicePayload::codecRegister(data);
    if (reg.address == dacGainRegister) {
        ui->horizontalSlider_recv->setValue(reg.value & 0xFF);
        showReceiveLevel(ui->horizontalSlider_recv->value());
    } else if (reg.address == pgaGainRegister) {
        ui->horizontalSlider_send->setValue(reg.value & 0x3F);
        showSendGain(ui->horizontalSlider_send->value());
    }
}

void CSettingsForm::readSettings()
{
    QSettings settings;
    for (int index = 1; index <= DialNumberCount; ++index)
        dialNumberEdit(index)->setText(settings.value(dialNumberKey(index)).toString());
}

void CSettingsForm::writeSettings()
{
    QSettings settings;
    for (int index = 1; index <= DialNumberCount; ++index)
        settings.setValue(dialNumberKey(index), dialNumber(index));
}

void CSettingsForm::storeDialNumber(int index)
{
    QSettings settings;
    settings.setValue(dialNumberKey(index), dialNumber(index));
    settings.sync();
}

void CSettingsForm::on_horizontalSlider_send_valueChanged(int value)
{
    if (m_context && m_context->nau8810)
        m_context->nau8810->setPGAGain(value);
    showSendGain(value);
}

void CSettingsForm::on_horizontalSlider_recv_valueChanged(int value)
{
    if (m_context && m_context->nau8810)
        m_context->nau8810->setDACGain(value);
    showReceiveLevel(value);
}

void CSettingsForm::showSendGain(int value)
{
    // The input amplifier runs from -12 dB in steps of 0.75 dB.
    ui->lineEdit_sendgain->setText(QString::number(value * 0.75 - 12.0, 'g', 6));
}

void CSettingsForm::showReceiveLevel(int value)
{
    ui->lineEdit_recvgain->setText(QString::number((value - 1) * 100 / 254) + QLatin1Char('%'));
}

void CSettingsForm::on_checkBox_enable_stateChanged(int /*arg1*/)
{
    qDebug() << "on_checkBox_enable_stateChanged";
    if (!m_context || !m_context->usb)
        return;
    const QByteArray payload = DevicePayload::autoAnswerPayload(ui->checkBox_enable->isChecked());
    m_context->usb->transmit(DeviceMessage::AutoAnswer, DeviceMessage::Write, payload.constData(), payload.size());
}
