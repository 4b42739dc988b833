#include "CSMSForm.h"
#include "ui_CSMSForm.h"

#include "AppContext.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "ConsoleLog.h"

#include <QSettings>
#include <QTimer>

#include <utility>

namespace {

const char* const numberKey = "smsTestNumber";
const char* const testText = "Dit is een test SMS";
const QChar endOfText(0x1A);  // Ctrl-Z: send the message
const QChar abandonText(0x1B); // Escape: drop it

} // namespace

CSMSForm::CSMSForm(AppContext* context, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CSMSForm)
    , m_context(context)
    , m_promptTimer(new QTimer(this))
{
    ui->setupUi(this);
    m_promptTimer->setObjectName(QStringLiteral("promptTimer"));
    m_promptTimer->setSingleShot(true);
    m_promptTimer->setInterval(PromptTimeoutMs);
    connect(m_promptTimer, &QTimer::timeout, this, &CSMSForm::onPromptTimeout);
    if (m_context && m_context->uc20)
        connect(m_context->uc20, &CUC20::messagePrompt, this, &CSMSForm::onMessagePrompt);
    readSettings();
    // Kept as typed, like the speed dials.
    connect(ui->lineEdit_number, &QLineEdit::textEdited, this, &CSMSForm::writeSettings);
}

CSMSForm::~CSMSForm()
{
    delete ui;
}

bool CSMSForm::isWaitingForPrompt() const
{
    return m_promptTimer->isActive();
}

void CSMSForm::onReceiveUSB(int /*id*/, int /*type*/, QByteArray /*data*/) { }

void CSMSForm::readSettings()
{
    ui->lineEdit_number->setText(QSettings().value(QLatin1String(numberKey)).toString());
}

void CSMSForm::writeSettings()
{
    QSettings settings;
    settings.setValue(QLatin1String(numberKey), ui->lineEdit_number->text());
    settings.sync();
}

void CSMSForm::on_pushButton_clicked()
{
    CConsole* console = m_context ? m_context->console : nullptr;
    if (!m_context || !m_context->usb || !m_context->uc20 || !m_context->usb->isConnected()) {
        ConsoleLog::error(console, tr("Test message not sent: no Parlona connected"));
        return;
    }
    const QString number = ui->lineEdit_number->text().trimmed();
    if (!CUC20::isDialable(number)) {
        ConsoleLog::error(console, tr("Test message not sent: enter the number to send it to"));
        return;
    }
    if (isWaitingForPrompt()) {
        ConsoleLog::error(console, tr("Test message not sent: the last one still waits for the module"));
        return;
    }
    m_gaveUp = false;
    sendCommand(QStringLiteral("AT+CMGF=1"));
    sendCommand(QStringLiteral("AT+CSCS=\"GSM\""));
    sendCommand(QStringLiteral("AT+CMGS=\"%1\"").arg(number));
    m_promptTimer->start();
}

void CSMSForm::onMessagePrompt()
{
    // A prompt that comes after the page gave up is answered with Escape, so that the module
    // does not take the next commands for the text.
    if (std::exchange(m_gaveUp, false)) {
        sendCommand(QString(abandonText));
        return;
    }
    if (!isWaitingForPrompt())
        return;
    m_promptTimer->stop();
    // Text and Ctrl-Z in one line: a line of its own would end the text with a line break.
    sendCommand(QLatin1String(testText) + endOfText);
}

void CSMSForm::onPromptTimeout()
{
    m_gaveUp = true;
    ConsoleLog::error(m_context->console,
        tr("Test message not sent: the GSM module did not ask for the text within %1 s")
            .arg(m_promptTimer->interval() / 1000.0));
}

void CSMSForm::sendCommand(const QString& command)
{
    m_context->uc20->sendATCmd(command);
}
