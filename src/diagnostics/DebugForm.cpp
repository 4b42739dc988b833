#include "DebugForm.h"
#include "LogCategories.h"
#include "ui_DebugForm.h"

#include "AppContext.h"
#include "CNau8810.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "ConsoleLog.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <utility>

namespace {

constexpr int serialNumberCount = 99;
constexpr int hardwareRevisionCount = 9;
const QString sideToneQuery = QStringLiteral("AT+QSIDET?");
// Lines of module answers kept on the page.
constexpr int answerLinesKept = 500;

// An empty or unreadable field reads as 0.
uint hexValue(const QString& text)
{
    return text.toUInt(nullptr, 16);
}

// Upper-case hexadecimal digits, at least width of them.
QString hexText(int value, int width)
{
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

} // namespace

DebugForm::DebugForm(AppContext* context, QWidget* parent)
    : DebugForm(context, &QDate::currentDate, parent)
{
}

DebugForm::DebugForm(AppContext* context, DateSource today, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::DebugForm)
    , m_context(context)
    , m_today(std::move(today))
    , m_sideToneTimer(new QTimer(this))
    , m_answerTimer(new QTimer(this))
{
    ui->setupUi(this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 has no currentIndexChanged(QString) for the slots' names to find.
    connect(ui->comboBox_volgnummer, &QComboBox::currentTextChanged, this,
        &DebugForm::on_comboBox_volgnummer_currentIndexChanged);
    connect(ui->comboBox_hw_revision, &QComboBox::currentTextChanged, this,
        &DebugForm::on_comboBox_hw_revision_currentIndexChanged);
#endif
    m_sideToneTimer->setObjectName(QStringLiteral("sideToneTimer"));
    m_sideToneTimer->setSingleShot(true);
    m_sideToneTimer->setInterval(SideToneIntervalMs);
    connect(m_sideToneTimer, &QTimer::timeout, this, &DebugForm::sendPendingSideTone);
    m_answerTimer->setObjectName(QStringLiteral("answerTimer"));
    m_answerTimer->setSingleShot(true);
    m_answerTimer->setInterval(AnswerTimeoutMs);
    connect(m_answerTimer, &QTimer::timeout, this, &DebugForm::onAnswerTimeout);
    ui->plainTextEdit_uc20_answer->setMaximumBlockCount(answerLinesKept);
    connect(ui->lineEdit_uc20_cmd, &QLineEdit::returnPressed, ui->pushButton_write_uc20, &QPushButton::click);

    ui->lineEdit_reg->setInputMask(QStringLiteral("hhh"));
    ui->lineEdit_value->setInputMask(QStringLiteral("hhh"));
    fillSerialChoices();
    composeSerial();
}

DebugForm::~DebugForm()
{
    delete ui;
}

void DebugForm::fillSerialChoices()
{
    // The choices are composed once; filling them must not compose the serial half-way.
    const QSignalBlocker blockNumber(ui->comboBox_volgnummer);
    const QSignalBlocker blockRevision(ui->comboBox_hw_revision);
    for (int number = 1; number <= serialNumberCount; ++number)
        ui->comboBox_volgnummer->addItem(QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')));
    for (int revision = 1; revision <= hardwareRevisionCount; ++revision)
        ui->comboBox_hw_revision->addItem(QStringLiteral("V%1").arg(revision));
}

void DebugForm::onReceiveUSB(int id, int type, QByteArray data)
{
    switch (id) {
    case DeviceMessage::AtCommand:
        takeModuleLine(type, data);
        break;
    case DeviceMessage::CodecRegister:
        showRegister(data);
        break;
    case DeviceMessage::FirmwareVersion:
        showFirmwareVersion(data);
        break;
    default:
        break;
    }
}

void DebugForm::on_pushButton_clicked()
{
    if (m_context)
        ConsoleLog::trace(m_context->console, QStringLiteral("../__src/DebugForm"),
            QStringLiteral("on_pushButton_clicked"), QStringLiteral("35"), QStringLiteral("test console.."));
}

void DebugForm::on_pushButton_write_clicked()
{
    if (m_context && m_context->nau8810)
        m_context->nau8810->writeRegister(
            registerAddress(), static_cast<quint16>(hexValue(ui->lineEdit_value->text())));
}

void DebugForm::on_pushButton_testtone_on_clicked()
{
    sendAT(QStringLiteral("AT+QLTONE=1,1000,1000,1000,15300000"));
}

void DebugForm::on_pushButton_testtone_off_clicked()
{
    sendAT(QStringLiteral("AT+QLTONE=0"));
}

void DebugForm::on_pushButton_stGain_get_clicked()
{
    sendAT(sideToneQuery);
}

void DebugForm::on_horizontalSlider_stGain_valueChanged(int value)
{
    ui->label_stGain->setText(QString::number(value));
    // The first value of a move goes at once; the rest wait for the interval, and only the
    // newest of them goes when it is over, so the last value always reaches the module.
    m_pendingSideTone = value;
    if (!m_sideToneTimer->isActive())
        sendPendingSideTone();
}

void DebugForm::on_pushButton_write_uc20_clicked()
{
    const QString command = ui->lineEdit_uc20_cmd->text();
    sendAT(command);
    // The engine refuses a line too long for a message, and says so in the console.
    if (command.trimmed().isEmpty() || command.toUtf8().size() > CUC20::MaxCommandLength)
        return;
    if (!isConnected()) {
        showModuleAnswer(command, { tr("(not sent: no hybrid connected)") });
        return;
    }
    m_rawAnswer.expect(command);
    if (!m_answerTimer->isActive())
        m_answerTimer->start();
}

void DebugForm::on_radioButton_handset_toggled(bool checked)
{
    if (checked)
        sendAudioMode(0);
}

void DebugForm::on_radioButton_headset_toggled(bool checked)
{
    if (checked)
        sendAudioMode(1);
}

void DebugForm::on_radioButton_speaker_toggled(bool checked)
{
    if (checked)
        sendAudioMode(2);
}

void DebugForm::onUC20Sidetone(int gain)
{
    // A changed value goes back to the module through the slider's handler, like a user's move.
    ui->horizontalSlider_stGain->setValue(gain);
}

void DebugForm::on_pushButton_read_clicked()
{
    if (!m_context || !m_context->nau8810)
        return;
    m_awaitedRegister = registerAddress();
    ui->label_reg_read->setText(tr("Register %1: reading...").arg(hexText(m_awaitedRegister, 2)));
    m_context->nau8810->requestRegister(registerAddress());
}

void DebugForm::on_comboBox_volgnummer_currentIndexChanged(QString /*arg1*/)
{
    composeSerial();
}

void DebugForm::on_comboBox_hw_revision_currentIndexChanged(QString /*arg1*/)
{
    composeSerial();
}

void DebugForm::on_pushButton_serial_write_clicked()
{
    // The payload codec would cut a long text, or replace what Latin-1 cannot carry, and the
    // unit would store a serial number nobody typed; refuse it and say why.
    const QString serial = ui->lineEdit_serial->text();
    const QByteArray payload = DevicePayload::serialNumberPayload(serial);
    if (DevicePayload::serialNumber(payload) != serial) {
        ConsoleLog::error(m_context ? m_context->console : nullptr,
            tr("Serial number \"%1\" not written: it must fit in %2 Latin-1 characters")
                .arg(serial)
                .arg(DeviceMessage::MaxPayload - 1));
        return;
    }
    if (!confirm(tr("Serial number"), tr("Write the serial number %1 into the hybrid?").arg(serial)))
        return;
    transmit(DeviceMessage::SerialNumber, DeviceMessage::Write, payload);
}

void DebugForm::on_pushButton_factory_reset_clicked()
{
    if (!confirm(
            tr("Factory Reset"), tr("Reset the hybrid to its factory settings? The settings it has stored are lost.")))
        return;
    qCInfo(lcDiagnostics) << "factory reset asked for on the service page";
    transmit(DeviceMessage::FactoryReset, DeviceMessage::Write);
}

void DebugForm::on_pushButton_reboot_clicked()
{
    if (!confirm(tr("Reboot"), tr("Reboot the hybrid?")))
        return;
    qCInfo(lcDiagnostics) << "reboot asked for on the service page";
    transmit(DeviceMessage::Reboot, DeviceMessage::Write);
}

void DebugForm::on_pushButton_eeprom_clicked()
{
    transmit(DeviceMessage::StoreSettings, DeviceMessage::Write);
}

void DebugForm::on_pushButton_identify_pressed()
{
    transmit(DeviceMessage::Identify, DeviceMessage::Write, DevicePayload::identifyPayload(true));
}

void DebugForm::on_pushButton_identify_released()
{
    transmit(DeviceMessage::Identify, DeviceMessage::Write, DevicePayload::identifyPayload(false));
}

void DebugForm::on_pushButton_getFirmwareVersion_clicked()
{
    transmit(DeviceMessage::FirmwareVersion, DeviceMessage::Read);
}

bool DebugForm::confirm(const QString& title, const QString& question)
{
    bool warned = false;
    do {
        warned = callInProgress();
        QMessageBox box(warned ? QMessageBox::Warning : QMessageBox::Question, title, question,
            QMessageBox::Yes | QMessageBox::No, this);
        if (warned)
            box.setInformativeText(tr("A call is in progress: it will be dropped."));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes)
            return false;
        // A call that began while the question was open is named before anything is sent.
    } while (!warned && callInProgress());
    return true;
}

bool DebugForm::callInProgress() const
{
    return m_context && m_context->uc20 && m_context->uc20->callState() != VOICECALL_IDLE;
}

bool DebugForm::isConnected() const
{
    return m_context && m_context->usb && m_context->usb->isConnected();
}

void DebugForm::takeModuleLine(int type, const QByteArray& payload)
{
    const QStringList answer = m_rawAnswer.take(type, payload);
    if (answer.isEmpty())
        return;
    showModuleAnswer(answer.first(), answer.mid(1));
    if (m_rawAnswer.isWaiting())
        m_answerTimer->start();
    else
        m_answerTimer->stop();
}

void DebugForm::showModuleAnswer(const QString& command, const QStringList& lines)
{
    qCDebug(lcDiagnostics).noquote() << "raw command" << command << "answered" << lines;
    ui->plainTextEdit_uc20_answer->appendPlainText(QStringLiteral("> ") + command);
    for (const QString& line : lines)
        ui->plainTextEdit_uc20_answer->appendPlainText(line);
}

void DebugForm::onAnswerTimeout()
{
    for (const QString& command : m_rawAnswer.abandon())
        showModuleAnswer(command, { tr("(no answer from the module)") });
}

void DebugForm::showRegister(const QByteArray& payload)
{
    const DevicePayload::CodecRegister reg = DevicePayload::codecRegister(payload);
    if (reg.address != m_awaitedRegister)
        return;
    m_awaitedRegister = -1;
    const QString value = hexText(reg.value, 1);
    ui->lineEdit_value->setText(value);
    ui->label_reg_read->setText(
        tr("Register %1: %2 (binary %3)")
            .arg(hexText(reg.address, 2), value, QString::number(reg.value, 2).rightJustified(9, QLatin1Char('0'))));
}

void DebugForm::showFirmwareVersion(const QByteArray& payload)
{
    const DevicePayload::FirmwareVersion version = DevicePayload::firmwareVersion(payload);
    ui->label_firmwareVersion->setText(
        tr("Firmware: v%1.%2.%3.%4").arg(version[0]).arg(version[1]).arg(version[2]).arg(version[3]));
}

void DebugForm::composeSerial()
{
    ui->lineEdit_serial->setText(m_today().toString(QStringLiteral("yyMMdd")) + ui->comboBox_volgnummer->currentText()
        + ui->comboBox_hw_revision->currentText());
}

quint8 DebugForm::registerAddress() const
{
    return static_cast<quint8>(hexValue(ui->lineEdit_reg->text()));
}

void DebugForm::sendAudioMode(int mode)
{
    sendAT(QStringLiteral("AT+QAUDMOD=%1").arg(mode));
    // The answer brings the slider to the side tone the module uses in the new mode.
    sendAT(sideToneQuery);
}

void DebugForm::sendPendingSideTone()
{
    if (m_pendingSideTone < 0)
        return;
    sendAT(QStringLiteral("AT+QSIDET=%1").arg(m_pendingSideTone));
    m_pendingSideTone = -1;
    m_sideToneTimer->start();
}

void DebugForm::sendAT(const QString& command)
{
    if (m_context && m_context->uc20)
        m_context->uc20->sendATCmd(command);
}

void DebugForm::transmit(quint8 id, quint8 type, const QByteArray& payload)
{
    if (m_context && m_context->usb)
        m_context->usb->transmit(id, type, payload.constData(), payload.size());
}
