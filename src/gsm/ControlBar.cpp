#include "ControlBar.h"
#include "ui_ControlBar.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CallParty.h"
#include "ConsoleLog.h"
#include "PlainToolTip.h"

#include <QEvent>
#include <QInputDialog>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionButton>
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
    { "rgb(139, 0, 0)", "rgb(255, 255, 0)" },     // module silent, phase A
    { "rgb(255, 255, 0)", "rgb(139, 0, 0)" },     // module silent, phase B
    { "rgb(96, 96, 96)", "rgb(255, 255, 255)" },  // call ended here
    { "rgb(139, 0, 0)", "rgb(255, 255, 255)" },   // call ended elsewhere, missed or lost
    { "rgb(210, 210, 210)", "rgb(96, 96, 96)" },  // no unit, nothing known yet
    { "rgb(235, 235, 235)", "rgb(0, 0, 0)" },     // signal good enough
    { "rgb(255, 191, 0)", "rgb(0, 0, 0)" },       // weak signal
    { "rgb(170, 0, 0)", "rgb(255, 255, 255)" },   // no network
};

// Stands in for a state that is not known, without a word to translate.
const QChar unknownMark(0x2014);

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

// The digits of the longest number the number field keeps room for, after a "+".
constexpr int ReservedNumberDigits = 20;
// Between a button's icon and its text, as QPushButton lays them out.
constexpr int IconTextSpacing = 4;
// A name cut down to fewer characters than this says nothing: the button shows its digit alone.
constexpr int ShortestDialName = 6;

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
    , m_endNoticeTimer(new QTimer(this))
{
    ui->setupUi(this);
    for (int style = 0; style < StatusStyleCount; ++style) {
        m_styles[style] = QStringLiteral("background-color: %1; border: 2px solid grey; color: %2; "
                                         "font: 75 8pt \"MS Shell Dlg 2\"; font-weight: bold;")
                              .arg(QLatin1String(statusColours[style][0]), QLatin1String(statusColours[style][1]));
    }

    m_blinkTimer->setObjectName(QStringLiteral("blinkTimer"));
    m_blinkTimer->setInterval(BlinkIntervalMs);
    connect(m_blinkTimer, &QTimer::timeout, this, &ControlBar::onCallStateBlinkTimeout);
    m_talkingTimer->setObjectName(QStringLiteral("talkingTimer"));
    m_talkingTimer->setInterval(TalkingIntervalMs);
    // Timed to the next second of the call, which a coarse timer could show a little early.
    m_talkingTimer->setTimerType(Qt::PreciseTimer);
    connect(m_talkingTimer, &QTimer::timeout, this, &ControlBar::onTalkingTimerTimeout);
    m_endNoticeTimer->setObjectName(QStringLiteral("endNoticeTimer"));
    m_endNoticeTimer->setSingleShot(true);
    m_endNoticeTimer->setInterval(EndNoticeMs);
    connect(m_endNoticeTimer, &QTimer::timeout, this, &ControlBar::onEndNoticeTimeout);

    m_monotonic.start();
    m_clock = [this] { return m_monotonic.elapsed(); };
    // The longest number and codec stay whole on the smallest screen; a name may be cut.
    ui->lineEdit_callnumber->setReservedTexts({ QLatin1Char('+') + QString(ReservedNumberDigits, QLatin1Char('0')) });
    ui->lineEdit_codec->setReservedTexts(
        { QStringLiteral("WCDMA AMR WB"), QCoreApplication::translate("CUC20", "UNKNOWN CODEC") });
    // The buttons' width comes from the layout alone: a name never pushes the bar apart.
    for (int index = 1; index <= DialButtonCount; ++index) {
        QSizePolicy policy = dialButton(index)->sizePolicy();
        policy.setHorizontalPolicy(QSizePolicy::Ignored);
        dialButton(index)->setSizePolicy(policy);
        dialButton(index)->installEventFilter(this);
    }
    ui->groupBox_3->installEventFilter(this);
    onConnectionChange(false);
}

ControlBar::~ControlBar()
{
    delete ui;
}

void ControlBar::setContext(AppContext* context)
{
    m_context = context;
    ui->notesPanel->setContext(context);
    onDialNumbersChanged();
}

void ControlBar::setClock(std::function<qint64()> milliseconds)
{
    m_clock = std::move(milliseconds);
}

void ControlBar::onCodecChange(int type, QString typeStr)
{
    // The unit asks for the codec whether or not a call goes on; between calls the field stays empty.
    if (m_callState == VOICECALL_IDLE)
        return;
    ui->lineEdit_codec->setText(typeStr);
    ui->lineEdit_codec->setCursorPosition(0);
    // Back to grey only when the call ends: a later narrowband report does not undo it. The
    // codec is asked for every few hundred ms in a call; setting an unchanged style sheet
    // would still re-polish the label each time.
    if ((type == gsmAmrWb || type == wcdmaAmrWb) && ui->label_hd->styleSheet() != QLatin1String(hdBlue))
        ui->label_hd->setStyleSheet(QLatin1String(hdBlue));
}

void ControlBar::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    const VOICECALL_STATE previous = std::exchange(m_callState, state);
    if (state != VOICECALL_IDLE) {
        // A new call replaces what the bar said about the last one at once.
        m_endNoticeTimer->stop();
        CDatabase* database = m_context ? m_context->database : nullptr;
        ui->lineEdit_callnumber->setText(CallParty::displayName(database, number));
        // A name longer than the field shows how it begins.
        ui->lineEdit_callnumber->setCursorPosition(0);
    } else if (!m_endNoticeTimer->isActive()) {
        ui->lineEdit_callnumber->clear();
    }

    if (state == VOICECALL_ACTIVE) {
        // The clock belongs to the call: a repeated report, after the module's silence, goes on counting.
        if (previous != VOICECALL_ACTIVE)
            m_talkingSince = m_clock();
        scheduleTalkingTick();
    } else {
        m_talkingTimer->stop();
    }
    if (state == VOICECALL_IDLE) {
        ui->lineEdit_codec->clear();
        ui->label_hd->setStyleSheet(QLatin1String(hdGrey));
    }
    updateBlinking();
    showCallStatus();
}

void ControlBar::onSimStateChange(SIM_STATE state)
{
    if (state == SIM_READY) {
        setStatus(ui->label_simstatus, tr("READY"), SimReady);
        ConsoleLog::info(m_context ? m_context->console : nullptr, tr("SIM Ready"));
        return;
    }
    if (state == SIM_UNKNOWN) {
        // Forgotten as the unit goes, or not yet reported: nothing is wrong with the card.
        if (m_connected)
            setStatus(ui->label_simstatus, tr("UNKNOWN"), NoUnit);
        return;
    }
    ui->label_simstatus->setStyleSheet(m_styles[SimNotReady]);
    // The personalisation states past PH-NETSUB have no text of their own.
    if (state < SIM_PIN || state > SIM_PH_NETSUB_PUK)
        return;
    const SimCodeState& waiting = simCodeStates[state - SIM_PIN];
    ui->label_simstatus->setText(tr(waiting.status));
    ConsoleLog::info(m_context ? m_context->console : nullptr, tr(waiting.console));
    askSimCode(state);
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
    if (!m_connected || m_endNoticeTimer->isActive()) {
        // Neither blinks: the bar says what happened, or that there is no unit.
    } else if (m_moduleSilent) {
        ui->label_callstatus->setStyleSheet(m_styles[m_blinkPhase ? SilentA : SilentB]);
    } else {
        // The engine's state, not the last one this bar was told: the two differ for a moment
        // when the call changes between ticks.
        const VOICECALL_STATE state = m_context && m_context->uc20 ? m_context->uc20->callState() : VOICECALL_IDLE;
        if (state == VOICECALL_CALLING)
            ui->label_callstatus->setStyleSheet(m_styles[m_blinkPhase ? CallingA : CallingB]);
        else if (state == VOICECALL_INCOMING)
            ui->label_callstatus->setStyleSheet(m_styles[m_blinkPhase ? IncomingA : IncomingB]);
    }
    m_blinkPhase = !m_blinkPhase;
}

void ControlBar::onTalkingTimerTimeout()
{
    // Whatever covers the talking time, the clock counts on underneath.
    if (m_connected && !m_moduleSilent && !m_endNoticeTimer->isActive() && m_callState == VOICECALL_ACTIVE)
        showTalkingTime();
    if (m_talkingTimer->isActive())
        scheduleTalkingTick();
}

void ControlBar::scheduleTalkingTick()
{
    // The clock shows whole seconds: it wakes as each second of the call begins (a couple of ms
    // after, never before), not several times a second to find the same text.
    const int pastSecond = static_cast<int>(qMax<qint64>(0, m_clock() - m_talkingSince) % 1000);
    m_talkingTimer->start(1000 - pastSecond + TalkingMarginMs);
}

void ControlBar::showTalkingTime()
{
    // 64 bits, so that a call left open for weeks still shows its time, never a negative one. The
    // hours count on past a day: 24:00:05, not a time of day that starts again.
    const qint64 talked = qMax<qint64>(0, m_clock() - m_talkingSince);
    const qint64 hours = talked / 3600000;
    const qint64 minutes = talked / 60000 % 60;
    const qint64 seconds = talked / 1000 % 60;
    ui->label_callstatus->setText(twoDigits(hours) + ':' + twoDigits(minutes) + ':' + twoDigits(seconds));
}

void ControlBar::showCallStatus()
{
    QLabel* status = ui->label_callstatus;
    if (m_endNoticeTimer->isActive()) {
        setStatus(status, m_endText, m_endStyle);
    } else if (!m_connected) {
        setStatus(status, tr("NO UNIT"), NoUnit);
    } else if (m_moduleSilent) {
        setStatus(status, tr("MODULE NOT ANSWERING"), m_blinkPhase ? SilentA : SilentB);
    } else if (m_callState == VOICECALL_ACTIVE) {
        setStatus(status, status->text(), CallActive);
        showTalkingTime();
    } else if (m_callState == VOICECALL_IDLE) {
        setStatus(status, tr("IDLE"), CallIdle);
    } else {
        // The blink sets the colours at its next tick; until then the idle ones, as after "IDLE".
        const QString text = m_callState == VOICECALL_CALLING ? tr("CALLING") : tr("INCOMING");
        if (hasSetUpStyle())
            status->setText(text);
        else
            setStatus(status, text, CallIdle);
    }
}

bool ControlBar::hasSetUpStyle() const
{
    const QString current = ui->label_callstatus->styleSheet();
    for (StatusStyle style : { CallIdle, CallingA, CallingB, IncomingA, IncomingB }) {
        if (current == m_styles[style])
            return true;
    }
    return false;
}

void ControlBar::setStatus(QLabel* label, const QString& text, StatusStyle style)
{
    label->setText(text);
    // An unchanged style sheet would still re-polish the label, several times a second.
    if (label->styleSheet() != m_styles[style])
        label->setStyleSheet(m_styles[style]);
}

void ControlBar::updateBlinking()
{
    const bool blinks
        = m_connected && (m_moduleSilent || m_callState == VOICECALL_CALLING || m_callState == VOICECALL_INCOMING);
    if (!blinks)
        m_blinkTimer->stop();
    else if (!m_blinkTimer->isActive())
        m_blinkTimer->start(BlinkIntervalMs);
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

void ControlBar::onConnectionChange(bool connected)
{
    m_connected = connected;
    m_moduleSilent = false;
    // Another unit may hold another card.
    m_pinLeft = m_pukLeft = -1;
    setStatus(ui->label_simstatus, connected ? tr("UNKNOWN") : QString(unknownMark), NoUnit);
    setStatus(ui->label_signal, QString(unknownMark), NoUnit);
    ui->groupBox_3->setEnabled(connected);
    ui->pushButton_simlogin->setEnabled(connected);
    if (connected) {
        m_endNoticeTimer->stop();
    } else {
        // The engine ends its call as the link closes; the bar does not depend on being told first.
        m_callState = VOICECALL_IDLE;
        m_talkingTimer->stop();
        ui->lineEdit_codec->clear();
        ui->label_hd->setStyleSheet(QLatin1String(hdGrey));
        if (!m_endNoticeTimer->isActive())
            ui->lineEdit_callnumber->clear();
        // There is no module left to take the code.
        if (m_prompt)
            m_prompt->reject();
    }
    updateBlinking();
    showCallStatus();
}

void ControlBar::onRssiChange(int rssi, int dBm)
{
    // An answer on its way as the unit went is not news.
    if (!m_connected)
        return;
    if (rssi == 99)
        setStatus(ui->label_signal, tr("NO NETWORK"), SignalNone);
    else if (rssi < 0 || rssi > 31)
        setStatus(ui->label_signal, QString(unknownMark), NoUnit);
    else if (rssi < WeakSignalRssi)
        setStatus(ui->label_signal, tr("WEAK %1 dBm").arg(dBm), SignalWeak);
    else
        setStatus(ui->label_signal, tr("%1 dBm").arg(dBm), SignalGood);
}

void ControlBar::onCallEnded(CALL_END_REASON reason, QString, qint64 unheardMs)
{
    // The time heard of the call: a call that ended in the module's silence ended as it fell silent.
    const qint64 talked = m_callState == VOICECALL_ACTIVE
        ? qMax<qint64>(0, m_clock() - m_talkingSince - qMax<qint64>(0, unheardMs))
        : -1;
    m_endText = endText(reason, talked);
    m_endStyle = reason == CALL_END_BY_US ? CallOver : CallLost;
    m_endNoticeTimer->start();
    showCallStatus();
}

QString ControlBar::endText(CALL_END_REASON reason, qint64 talkedMs) const
{
    const bool lost = reason == CALL_END_LINE_LOST || reason == CALL_END_IN_SILENCE;
    if (talkedMs >= 0) {
        // Minutes and seconds; a call of an hour or more shows its minutes in full.
        const QString time = twoDigits(talkedMs / 60000) + ':' + twoDigits(talkedMs / 1000 % 60);
        if (lost)
            return tr("LINE LOST %1").arg(time);
        return reason == CALL_END_BY_CALLER ? tr("CALLER HUNG UP %1").arg(time) : tr("CALL ENDED %1").arg(time);
    }
    if (lost)
        return tr("LINE LOST");
    if (m_callState == VOICECALL_INCOMING)
        return reason == CALL_END_BY_CALLER ? tr("MISSED") : tr("DECLINED");
    return reason == CALL_END_BY_CALLER ? tr("NOT ANSWERED") : tr("CALL ENDED");
}

void ControlBar::onEndNoticeTimeout()
{
    if (m_callState == VOICECALL_IDLE)
        ui->lineEdit_callnumber->clear();
    showCallStatus();
}

void ControlBar::onModuleSilenceChanged(bool silent, int)
{
    m_moduleSilent = silent && m_connected;
    updateBlinking();
    showCallStatus();
}

void ControlBar::onSimAttemptsLeft(int pinLeft, int pukLeft)
{
    m_pinLeft = pinLeft;
    m_pukLeft = pukLeft;
    // The count is asked for as a prompt opens, and usually reaches it while the operator types.
    updatePromptLabel();
}

void ControlBar::setCallKeys(const QKeySequence& answer, const QKeySequence& hangUp)
{
    const QString answerKey = answer.toString(QKeySequence::NativeText);
    const QString hangUpKey = hangUp.toString(QKeySequence::NativeText);
    ui->pushButton_call->setToolTip(answerKey.isEmpty()
            ? tr("Answer the ringing call, or dial the number of the page on show")
            : tr("Answer the ringing call (%1), or dial the number of the page on show").arg(answerKey));
    ui->pushButton_endcall->setToolTip(hangUpKey.isEmpty()
            ? tr("End the call, or refuse the ringing one")
            : tr("End the call, or refuse the ringing one (%1)").arg(hangUpKey));
}

void ControlBar::onDialNumbersChanged()
{
    const QSettings settings;
    CDatabase* database = m_context ? m_context->database : nullptr;
    for (int index = 1; index <= DialButtonCount; ++index) {
        const QString number = settings.value(QStringLiteral("dialnr%1").arg(index)).toString().trimmed();
        m_dialNames[index - 1] = number.isEmpty() ? QString() : CallParty::displayName(database, number);
        dialButton(index)->setToolTip(number.isEmpty()
                ? tr("Speed dial %1: no number stored (choose one on the Settings page)").arg(index)
                : plainToolTip(tr("Speed dial %1: %2").arg(index).arg(CallParty::describe(database, number))));
        fitDialButton(index);
    }
}

QPushButton* ControlBar::dialButton(int index) const
{
    QPushButton* const buttons[DialButtonCount]
        = { ui->pushButton_dialnr1, ui->pushButton_dialnr2, ui->pushButton_dialnr3, ui->pushButton_dialnr4,
              ui->pushButton_dialnr5, ui->pushButton_dialnr6, ui->pushButton_dialnr7, ui->pushButton_dialnr8 };
    return buttons[index - 1];
}

void ControlBar::fitDialButton(int index)
{
    QPushButton* button = dialButton(index);
    const QString digit = QString::number(index);
    const QString name = m_dialNames[index - 1];
    const QString separator = QStringLiteral(": ");
    // The room the style keeps around a button's contents, measured as the button measures itself.
    QStyleOptionButton option;
    option.initFrom(button);
    const QSize around = button->style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0), button);
    const QFontMetrics metrics = button->fontMetrics();
    const int room = button->width() - around.width() - button->iconSize().width() - IconTextSpacing
        - metrics.horizontalAdvance(digit + separator);
    const QString shown = metrics.elidedText(name, Qt::ElideMiddle, qMax(0, room));
    const bool readable = !name.isEmpty() && (shown == name || shown.size() >= ShortestDialName);
    const QString text = readable ? digit + separator + shown : digit;
    if (button->text() != text)
        button->setText(text);
}

bool ControlBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->groupBox_3 && event->type() == QEvent::Enter) {
        // The settings page or the phonebook may have changed them meanwhile.
        onDialNumbersChanged();
    } else if (event->type() == QEvent::Resize) {
        for (int index = 1; index <= DialButtonCount; ++index) {
            if (watched == dialButton(index))
                fitDialButton(index);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ControlBar::showEvent(QShowEvent* event)
{
    onDialNumbersChanged();
    QWidget::showEvent(event);
}

void ControlBar::askSimCode(SIM_STATE state)
{
    // The prompt runs a nested event loop in which further SIM reports arrive; one prompt is
    // enough, and a code typed into a second one would go to the module twice.
    if (m_promptOpen || !m_context || !m_context->uc20)
        return;
    m_promptOpen = true;
    // The module counts the tries of the SIM's own PIN and PUK, not of the other codes.
    if (QLatin1String(simCodeStates[state - SIM_PIN].prompt) == QLatin1String("PUK")) {
        askPukAndNewPin(state == SIM_PUK ? PukCounter : NoCounter);
    } else {
        const QString pin = promptCode(tr("Enter PIN:"), state == SIM_PIN ? PinCounter : NoCounter,
            tr("A PIN is 4 to 8 digits and nothing else."), 4, 8);
        if (!pin.isEmpty())
            sendCode(pin);
    }
    m_promptOpen = false;
}

void ControlBar::askPukAndNewPin(PromptCounter counter)
{
    const QString puk = promptCode(tr("Enter PUK:"), counter, tr("A PUK is 8 digits and nothing else."), 8, 8);
    if (puk.isEmpty())
        return;
    const QString pin = askNewPin();
    if (pin.isEmpty())
        return;
    sendCode(QStringLiteral("\"%1\",\"%2\"").arg(puk, pin));
    // The PIN itself stays with the operator who chose it: the console is read by others.
    ConsoleLog::info(
        m_context->console, tr("PUK sent with a new PIN: once the SIM accepts it, the new PIN unlocks it"));
}

QString ControlBar::askNewPin()
{
    const QString refusal = tr("A PIN is 4 to 8 digits and nothing else.");
    QString question = tr("Choose a new PIN of 4 to 8 digits:");
    for (;;) {
        const QString first = promptCode(question, NoCounter, refusal, 4, 8);
        if (first.isEmpty())
            return QString();
        const QString second = promptCode(tr("Enter the new PIN again:"), NoCounter, refusal, 4, 8);
        if (second.isEmpty() || second == first)
            return second;
        question = tr("Choose a new PIN of 4 to 8 digits:") + QLatin1Char('\n')
            + tr("The two entries differed, so the PIN is asked for again.");
    }
}

QString ControlBar::promptCode(
    const QString& label, PromptCounter counter, const QString& refusal, int minDigits, int maxDigits)
{
    QInputDialog dialog;
    dialog.setWindowTitle(tr("SIM"));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setTextValue(QString());
    m_prompt = &dialog;
    m_promptQuestion = label;
    m_promptCounter = counter;
    m_promptRefusal.clear();
    updatePromptLabel();
    QString code;
    while (dialog.exec() == QDialog::Accepted) {
        const QString entry = dialog.textValue();
        // OK on an empty field gives up like Cancel.
        if (entry.isEmpty() || isCode(entry, minDigits, maxDigits)) {
            code = entry;
            break;
        }
        // The digits are hidden, so a slip cannot be found and corrected: the entry starts afresh.
        dialog.setTextValue(QString());
        m_promptRefusal = refusal;
        updatePromptLabel();
    }
    m_prompt = nullptr;
    return code;
}

void ControlBar::updatePromptLabel()
{
    if (!m_prompt)
        return;
    QString label = m_promptQuestion;
    const int left = m_promptCounter == PinCounter ? m_pinLeft : m_promptCounter == PukCounter ? m_pukLeft : -1;
    if (left >= 0)
        label += QLatin1Char('\n') + (left == 1 ? tr("1 attempt left") : tr("%1 attempts left").arg(left));
    if (!m_promptRefusal.isEmpty())
        label += QLatin1Char('\n') + m_promptRefusal;
    m_prompt->setLabelText(label);
}

void ControlBar::sendCode(const QString& codes)
{
    sendATCmd(QStringLiteral("AT+CPIN=%1").arg(codes));
    // A wrong code uses up a try: the count known now would be shown too high in the next prompt.
    m_pinLeft = m_pukLeft = -1;
}

void ControlBar::sendATCmd(const QString& command)
{
    if (m_context && m_context->uc20)
        m_context->uc20->sendATCmd(command);
}
