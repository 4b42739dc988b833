#include "ControlBar.h"
#include "ui_ControlBar.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "ConsoleLog.h"

#include <QInputDialog>
#include <QTimer>

namespace {

// Background and text colour of each status style, in the order of ControlBar::StatusStyle.
const char* const statusColours[][2] = {
    { "rgb(0,170, 0)", "rgb(255, 255, 255)" },    // SIM ready
    { "rgb(170,0, 0)", "rgb(255, 255, 255)" },    // SIM not ready
    { "rgb(0, 170, 0)", "rgb(255, 255, 255)" },   // idle
    { "rgb(255, 140, 0)", "rgb(255, 255, 255)" }, // calling, phase A
    { "rgb(255, 255, 255)", "rgb(255, 140, 0)" }, // calling, phase B
    { "rgb(0, 170, 0)", "rgb(255, 255, 255)" },   // incoming, phase A
    { "rgb(255, 255, 255)", "rgb(0, 170, 0)" },   // incoming, phase B
    { "rgb(255, 0, 0)", "rgb(255, 255, 255)" },   // active
};

const char* const hdGrey = "image: url(:/resources/png/hdgrey180.png);";
const char* const hdBlue = "image: url(:/resources/png/hdblue.png);";

// The speech codec types that carry wideband audio: GSM AMR WB and WCDMA AMR WB.
constexpr int gsmAmrWb = 6;
constexpr int wcdmaAmrWb = 8;

// What the bar shows and asks for in the SIM states that wait for a code (SIM_PIN to
// SIM_PH_NETSUB_PUK, in order).
struct SimCodeState
{
    const char* status;
    const char* console;
    const char* prompt;
};

const SimCodeState simCodeStates[] = {
    { QT_TRANSLATE_NOOP("ControlBar", "SIM PIN"), QT_TRANSLATE_NOOP("ControlBar", "waiting for SIM PIN"), "PIN" },
    { QT_TRANSLATE_NOOP("ControlBar", "SIM PUK"), QT_TRANSLATE_NOOP("ControlBar", "waiting for SIM PUK"), "PUK" },
    { QT_TRANSLATE_NOOP("ControlBar", "SIM PIN2"), QT_TRANSLATE_NOOP("ControlBar", "waiting for SIM PIN2"), "PIN" },
    { QT_TRANSLATE_NOOP("ControlBar", "SIM PUK2"), QT_TRANSLATE_NOOP("ControlBar", "waiting for SIM PUK2"), "PUK" },
    { QT_TRANSLATE_NOOP("ControlBar", "PH-NET PIN"),
        QT_TRANSLATE_NOOP("ControlBar", "waiting network personalization password"), "PIN" },
    { QT_TRANSLATE_NOOP("ControlBar", "PH-NET PUK"),
        QT_TRANSLATE_NOOP("ControlBar", "waiting network personalization unblocking password"), "PUK" },
    { QT_TRANSLATE_NOOP("ControlBar", "PH-NETSUB PIN"),
        QT_TRANSLATE_NOOP("ControlBar", "waiting network subset personalization password"), "PIN" },
    { QT_TRANSLATE_NOOP("ControlBar", "PH-NETSUB PUK"),
        QT_TRANSLATE_NOOP("ControlBar", "waiting network subset personalization unblocking"), "PUK" },
};

// Digits only, so that an entry can never carry a second command to the module.
bool isCode(const QString& text, int minDigits, int maxDigits)
{
    if (text.size() < minDigits || text.size() > maxDigits)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

ControlBar::ControlBar(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::ControlBar)
    , m_blinkTimer(new QTimer(this))
    , m_talkingTimer(new QTimer(this))
{
    ui->setupUi(this);
    for (int style = 0; style < StatusStyleCount; ++style) {
        m_styles[style] = QStringLiteral("background-color: %1; border: 2px solid grey; color: %2; "
                                         "font: 75 8pt \"MS Shell Dlg 2\"; font-weight: bold;")
                              .arg(QLatin1String(statusColours[style][0]), QLatin1String(statusColours[style][1]));
    }
    ui->label_simstatus->setStyleSheet(m_styles[SimNotReady]);
    ui->label_callstatus->setStyleSheet(m_styles[CallIdle]);

    m_blinkTimer->setObjectName(QStringLiteral("blinkTimer"));
    m_blinkTimer->setInterval(BlinkIntervalMs);
    connect(m_blinkTimer, &QTimer::timeout, this, &ControlBar::onCallStateBlinkTimeout);
    m_talkingTimer->setObjectName(QStringLiteral("talkingTimer"));
    m_talkingTimer->setInterval(TalkingIntervalMs);
    connect(m_talkingTimer, &QTimer::timeout, this, &ControlBar::onTalkingTimerTimeout);

    m_monotonic.start();
    m_clock = [this] { return m_monotonic.elapsed(); };
}

ControlBar::~ControlBar()
{
    delete ui;
}

void ControlBar::setContext(AppContext* context)
{
    m_context = context;
}

void ControlBar::setClock(std::function<qint64()> milliseconds)
{
    m_clock = std::move(milliseconds);
}

void ControlBar::onCodecChange(int type, QString typeStr)
{
    ui->lineEdit_codec->setText(typeStr);
    // Back to grey only when the call ends: a later narrowband report does not undo it. The
    // codec is asked for every few hundred ms in a call; setting an unchanged style sheet
    // would still re-polish the label each time.
    if ((type == gsmAmrWb || type == wcdmaAmrWb) && ui->label_hd->styleSheet() != QLatin1String(hdBlue))
        ui->label_hd->setStyleSheet(QLatin1String(hdBlue));
}

void ControlBar::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    CDatabase* database = m_context ? m_context->database : nullptr;
    ui->lineEdit_callnumber->setText(database ? database->findContactName(number) : number);
    m_talkingTimer->stop();

    switch (state) {
    case VOICECALL_IDLE:
        m_blinkTimer->stop();
        ui->label_callstatus->setText(tr("IDLE"));
        ui->label_callstatus->setStyleSheet(m_styles[CallIdle]);
        ui->lineEdit_codec->clear();
        ui->label_hd->setStyleSheet(QLatin1String(hdGrey));
        break;
    case VOICECALL_CALLING:
        ui->label_callstatus->setText(tr("CALLING"));
        m_blinkTimer->start(BlinkIntervalMs);
        break;
    case VOICECALL_INCOMING:
        ui->label_callstatus->setText(tr("INCOMING"));
        m_blinkTimer->start(BlinkIntervalMs);
        break;
    case VOICECALL_ACTIVE:
        m_blinkTimer->stop();
        m_talkingSince = m_clock();
        m_talkingTimer->start(TalkingIntervalMs);
        // The talking time replaces the old text at the first tick.
        ui->label_callstatus->setStyleSheet(m_styles[CallActive]);
        break;
    }
}

void ControlBar::onSimStateChange(SIM_STATE state)
{
    if (state == SIM_READY) {
        ui->label_simstatus->setStyleSheet(m_styles[SimReady]);
        ui->label_simstatus->setText(tr("READY"));
        ConsoleLog::info(m_context ? m_context->console : nullptr, tr("SIM Ready"));
        return;
    }
    ui->label_simstatus->setStyleSheet(m_styles[SimNotReady]);
    // The personalisation states past PH-NETSUB and the unknown state have no text of their own.
    if (state < SIM_PIN || state > SIM_PH_NETSUB_PUK)
        return;
    const SimCodeState& waiting = simCodeStates[state - SIM_PIN];
    ui->label_simstatus->setText(tr(waiting.status));
    ConsoleLog::info(m_context ? m_context->console : nullptr, tr(waiting.console));
    askSimCode(QLatin1String(waiting.prompt));
}

void ControlBar::on_pushButton_simlogin_clicked()
{
    sendATCmd(QStringLiteral("AT+CPIN?"));
}

void ControlBar::on_pushButton_call_clicked()
{
    emit callClicked();
}

void ControlBar::on_pushButton_endcall_clicked()
{
    emit endcallClicked();
}

void ControlBar::onCallStateBlinkTimeout()
{
    // The engine's state, not the last one this bar was told: the two differ for a moment when
    // the call changes between ticks.
    const VOICECALL_STATE state = m_context && m_context->uc20 ? m_context->uc20->callState() : VOICECALL_IDLE;
    if (state == VOICECALL_CALLING)
        ui->label_callstatus->setStyleSheet(m_styles[m_blinkPhase ? CallingA : CallingB]);
    else if (state == VOICECALL_INCOMING)
        ui->label_callstatus->setStyleSheet(m_styles[m_blinkPhase ? IncomingA : IncomingB]);
    m_blinkPhase = !m_blinkPhase;
}

void ControlBar::onTalkingTimerTimeout()
{
    // 64 bits, so that a call left open for weeks still shows a time of day, never a negative one.
    const qint64 talked = m_clock() - m_talkingSince;
    const qint64 hours = talked / 3600000 % 24;
    const qint64 minutes = talked / 60000 % 60;
    const qint64 seconds = talked / 1000 % 60;
    ui->label_callstatus->setText(twoDigits(hours) + ':' + twoDigits(minutes) + ':' + twoDigits(seconds));
}

void ControlBar::on_pushButton_dialnr1_clicked()
{
    emit dialnrClicked(1);
}

void ControlBar::on_pushButton_dialnr2_clicked()
{
    emit dialnrClicked(2);
}

void ControlBar::on_pushButton_dialnr3_clicked()
{
    emit dialnrClicked(3);
}

void ControlBar::on_pushButton_dialnr4_clicked()
{
    emit dialnrClicked(4);
}

void ControlBar::on_pushButton_dialnr5_clicked()
{
    emit dialnrClicked(5);
}

void ControlBar::on_pushButton_dialnr6_clicked()
{
    emit dialnrClicked(6);
}

void ControlBar::on_pushButton_dialnr7_clicked()
{
    emit dialnrClicked(7);
}

void ControlBar::on_pushButton_dialnr8_clicked()
{
    emit dialnrClicked(8);
}

void ControlBar::askSimCode(QString kind)
{
    // The prompt runs a nested event loop in which further SIM reports arrive; one prompt is
    // enough, and a code typed into a second one would go to the module twice.
    if (m_promptOpen || !m_context || !m_context->uc20)
        return;
    m_promptOpen = true;

    if (kind.contains(QLatin1String("PIN"))) {
        const QString pin = promptCode(tr("Enter PIN:"), tr("A PIN is 4 to 8 digits and nothing else."), 4, 8);
        if (!pin.isEmpty())
            sendATCmd(QStringLiteral("AT+CPIN=%1").arg(pin));
    }
    if (kind.contains(QLatin1String("PUK"))) {
        const QString puk = promptCode(tr("Enter PUK:"), tr("A PUK is 8 digits and nothing else."), 8, 8);
        if (!puk.isEmpty()) {
            const QString pin = QLatin1String(PinAfterPuk);
            sendATCmd(QStringLiteral("AT+CPIN=%1").arg(QStringLiteral("\"%1\",\"%2\"").arg(puk, pin)));
            // The operator never chose this PIN, so the console is the only place to learn it.
            ConsoleLog::info(
                m_context->console, tr("PUK sent: once the SIM accepts it, the SIM's PIN is now %1").arg(pin));
        }
    }
    m_promptOpen = false;
}

QString ControlBar::promptCode(const QString& label, const QString& refusal, int minDigits, int maxDigits)
{
    QInputDialog dialog;
    dialog.setWindowTitle(tr("SIM"));
    dialog.setLabelText(label);
    dialog.setTextEchoMode(QLineEdit::Normal);
    dialog.setTextValue(QString());
    while (dialog.exec() == QDialog::Accepted) {
        const QString code = dialog.textValue();
        // OK on an empty field gives up like Cancel.
        if (code.isEmpty() || isCode(code, minDigits, maxDigits))
            return code;
        // Ask again with the entry kept, so that a slip is corrected rather than retyped.
        dialog.setLabelText(label + QLatin1Char('\n') + refusal);
    }
    return QString();
}

void ControlBar::sendATCmd(const QString& command)
{
    if (m_context && m_context->uc20)
        m_context->uc20->sendATCmd(command);
}

void ControlBar::onConnectionChange(bool) { }

void ControlBar::onRssiChange(int, int) { }

void ControlBar::onCallEnded(CALL_END_REASON, QString, qint64) { }

void ControlBar::onModuleSilenceChanged(bool, int) { }

void ControlBar::onSimAttemptsLeft(int, int) { }

void ControlBar::setCallKeys(const QKeySequence&, const QKeySequence&) { }
