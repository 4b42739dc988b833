#include "CSettingsForm.h"
#include "ui_CSettingsForm.h"

#include "AppContext.h"
#include "CNau8810.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "CallKeys.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"
#include "LogCategories.h"
#include "PhoneNumberKey.h"
#include "RingTone.h"
#include "SessionAutostart.h"

#include <QDebug>
#include <QKeyEvent>
#include <QSettings>
#include <QSignalBlocker>
#include <algorithm>
#include <iterator>

namespace {

constexpr quint8 dacGainRegister = 11;
constexpr quint8 pgaGainRegister = 45;

QString dialNumberKey(int index)
{
    return QStringLiteral("dialnr%1").arg(index);
}

// The ring tone's settings, as RingTone reads them when a call starts ringing.
const char* const ringEnabledKey = "RingTone/Enabled";
const char* const ringDeviceKey = "RingTone/Device";
const char* const ringVolumeKey = "RingTone/Volume";
constexpr int defaultRingVolume = 80;

// Pressed alone, these keys only change what the next key means.
bool isModifierOnly(int key)
{
    const int keys[] = { Qt::Key_Shift, Qt::Key_Control, Qt::Key_Meta, Qt::Key_Alt, Qt::Key_AltGr, Qt::Key_CapsLock,
        Qt::Key_NumLock, Qt::Key_ScrollLock, Qt::Key_Super_L, Qt::Key_Super_R, Qt::Key_Hyper_L, Qt::Key_Hyper_R,
        Qt::Key_Mode_switch, Qt::Key_unknown };
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

} // namespace

CSettingsForm::CSettingsForm(AppContext* context, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CSettingsForm)
    , m_context(context)
{
    ui->setupUi(this);
    const QString answer = CallKeys::DefaultAnswerKey.toString(QKeySequence::NativeText);
    const QString hangUp = CallKeys::DefaultHangUpKey.toString(QKeySequence::NativeText);
    ui->pushButton_defaultKeys->setText(tr("Use %1 and %2").arg(answer, hangUp));
    showRefusal(QString());
    ui->keyEdit_answer->installEventFilter(this);
    ui->keyEdit_hangUp->installEventFilter(this);
    fillHomeCountries();
    readSettings();
    {
        // What the session will do is what the autostart folder says, not a setting of ours.
        const QSignalBlocker quiet(ui->checkBox_autostart);
        ui->checkBox_autostart->setChecked(SessionAutostart().isEnabled());
    }
    ui->label_autostartRefused->hide();
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
        ui->lineEdit_dialnr4, ui->lineEdit_dialnr5, ui->lineEdit_dialnr6, ui->lineEdit_dialnr7, ui->lineEdit_dialnr8 };
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
    readRingTone();
    showCallKeys();
}

void CSettingsForm::writeSettings()
{
    QSettings settings;
    for (int index = 1; index <= DialNumberCount; ++index) {
        if (dialNumberRefusal(dialNumber(index)).isEmpty())
            settings.setValue(dialNumberKey(index), dialNumber(index));
    }
}

QString CSettingsForm::dialNumberRefusal(const QString& number)
{
    if (number.trimmed().isEmpty() || CUC20::isDialable(number))
        return QString();
    return tr("A number holds digits, +, * and #, with blanks, -, ., ( and ) between them");
}

void CSettingsForm::storeDialNumber(int index)
{
    // A number the module would refuse is not kept: the control bar would dial it in vain.
    const QString refusal = dialNumberRefusal(dialNumber(index));
    ui->label_dialRefusal->setText(refusal.isEmpty() ? QString() : tr("Speed dial %1 is not stored: %2").arg(index).arg(refusal));
    if (!refusal.isEmpty())
        return;
    QSettings settings;
    settings.setValue(dialNumberKey(index), dialNumber(index));
    settings.sync();
    emit dialNumbersChanged();
}

void CSettingsForm::fillHomeCountries()
{
    // Named in the operator's language, in its order; the code tells apart names that repeat.
    QList<QPair<QString, QString>> countries;
    for (const QString& code : PhoneNumberKey::supportedRegions()) {
        const QString name = QLocale::countryToString(QLocale(QStringLiteral("und_") + code).country());
        countries.append({ tr("%1 (%2)").arg(name, code), code });
    }
    std::sort(countries.begin(), countries.end(),
        [](const QPair<QString, QString>& a, const QPair<QString, QString>& b) {
            return QString::localeAwareCompare(a.first, b.first) < 0;
        });
    ui->comboBox_homeCountry->addItem(tr("None: numbers match by their last nine digits"), QString());
    for (const auto& country : countries)
        ui->comboBox_homeCountry->addItem(country.first, country.second);
    const int current = ui->comboBox_homeCountry->findData(PhoneNumberKey::homeCountry());
    ui->comboBox_homeCountry->setCurrentIndex(std::max(current, 0));
}

void CSettingsForm::on_comboBox_homeCountry_activated(int index)
{
    const QString code = ui->comboBox_homeCountry->itemData(index).toString();
    QSettings().setValue(QLatin1String(PhoneNumberKey::settingsKey()), code);
    if (m_context && m_context->database)
        m_context->database->setHomeCountry(code);
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
    qCDebug(lcAudio) << "on_checkBox_enable_stateChanged";
    if (!m_context || !m_context->usb)
        return;
    const QByteArray payload = DevicePayload::autoAnswerPayload(ui->checkBox_enable->isChecked());
    m_context->usb->transmit(DeviceMessage::AutoAnswer, DeviceMessage::Write, payload.constData(), payload.size());
}

void CSettingsForm::readRingTone()
{
    const QSettings settings;
    const QSignalBlocker checkBoxBlocker(ui->checkBox_ringTone);
    const QSignalBlocker sliderBlocker(ui->slider_ringVolume);
    const bool enabled = settings.value(QLatin1String(ringEnabledKey), true).toBool();
    ui->checkBox_ringTone->setChecked(enabled);
    ui->slider_ringVolume->setValue(settings.value(QLatin1String(ringVolumeKey), defaultRingVolume).toInt());
    ui->lineEdit_ringVolume->setText(QString::number(ui->slider_ringVolume->value()) + QLatin1Char('%'));
    enableRingChoices(enabled);
    // The outputs are asked for only once the page shows: a sound server may take its time.
    fillRingDevices(QStringList());
}

void CSettingsForm::enableRingChoices(bool enabled)
{
    ui->comboBox_ringDevice->setEnabled(enabled);
    ui->slider_ringVolume->setEnabled(enabled);
}

void CSettingsForm::fillRingDevices(const QStringList& available)
{
    const QString chosen = QSettings().value(QLatin1String(ringDeviceKey)).toString();
    const QSignalBlocker blocker(ui->comboBox_ringDevice);
    ui->comboBox_ringDevice->clear();
    ui->comboBox_ringDevice->addItem(tr("Default output"), QString());
    for (const QString& name : available)
        ui->comboBox_ringDevice->addItem(name, name);
    // An output that is gone keeps its place in the settings: it may be plugged in again.
    if (!chosen.isEmpty() && !available.contains(chosen))
        ui->comboBox_ringDevice->addItem(tr("%1 (not connected)").arg(chosen), chosen);
    ui->comboBox_ringDevice->setCurrentIndex(qMax(0, ui->comboBox_ringDevice->findData(chosen)));
}

void CSettingsForm::showEvent(QShowEvent* event)
{
    fillRingDevices(RingTone::outputDevices());
    QWidget::showEvent(event);
}

void CSettingsForm::on_checkBox_autostart_toggled(bool checked)
{
    QString error;
    const bool changed = SessionAutostart().setEnabled(checked, &error);
    ui->label_autostartRefused->setText(changed ? QString() : tr("The session start could not be changed: %1").arg(error));
    ui->label_autostartRefused->setVisible(!changed);
    if (!changed) {
        const QSignalBlocker quiet(ui->checkBox_autostart);
        ui->checkBox_autostart->setChecked(!checked);
    }
}

void CSettingsForm::on_checkBox_ringTone_toggled(bool checked)
{
    QSettings().setValue(QLatin1String(ringEnabledKey), checked);
    enableRingChoices(checked);
}

void CSettingsForm::on_comboBox_ringDevice_activated(int index)
{
    QSettings().setValue(QLatin1String(ringDeviceKey), ui->comboBox_ringDevice->itemData(index).toString());
}

void CSettingsForm::on_slider_ringVolume_valueChanged(int value)
{
    ui->lineEdit_ringVolume->setText(QString::number(value) + QLatin1Char('%'));
    // A drag is stored once, when the slider is let go.
    if (!ui->slider_ringVolume->isSliderDown())
        storeRingVolume();
}

void CSettingsForm::on_slider_ringVolume_sliderReleased()
{
    storeRingVolume();
}

void CSettingsForm::storeRingVolume()
{
    QSettings().setValue(QLatin1String(ringVolumeKey), ui->slider_ringVolume->value());
}

bool CSettingsForm::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QKeySequenceEdit*>(watched);
    const bool keyEdit = edit && (edit == ui->keyEdit_answer || edit == ui->keyEdit_hangUp);
    if (!keyEdit || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QWidget::eventFilter(watched, event);
    // The field's own recording waits a second for more keys; a call key is one key, taken at once.
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    const Qt::KeyboardModifiers modifiers
        = keyEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->type() == QEvent::KeyRelease || isModifierOnly(key))
        return true;
    // Tab still moves on, so that the page can be worked from the keyboard.
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier) {
        focusNextPrevChild(key == Qt::Key_Tab);
        return true;
    }
    onKeyPressed(edit, QKeySequence(key | int(modifiers)));
    return true;
}

void CSettingsForm::onKeyPressed(QKeySequenceEdit* edit, const QKeySequence& key)
{
    const bool answerKey = edit == ui->keyEdit_answer;
    const QKeySequence answer = CallKeys::answerKey();
    const QKeySequence hangUp = CallKeys::hangUpKey();
    const QString name = key.toString(QKeySequence::NativeText);
    QString refusal;
    if (CallKeys::interferesWithTyping(key))
        refusal = tr("%1 is kept for typing: the dial pad, the number fields and the dialogs need it. "
                     "Add Ctrl or Alt, or choose another key.")
                      .arg(name);
    else if (answerKey && key == hangUp)
        refusal = tr("%1 already hangs up.").arg(name);
    else if (!answerKey && key == answer)
        refusal = tr("%1 already answers.").arg(name);
    showRefusal(refusal);
    if (refusal.isEmpty())
        storeCallKeys(answerKey ? key : answer, answerKey ? hangUp : key);
}

void CSettingsForm::on_pushButton_defaultKeys_clicked()
{
    showRefusal(QString());
    storeCallKeys(CallKeys::DefaultAnswerKey, CallKeys::DefaultHangUpKey);
}

void CSettingsForm::storeCallKeys(const QKeySequence& answer, const QKeySequence& hangUp)
{
    if (answer == CallKeys::answerKey() && hangUp == CallKeys::hangUpKey())
        return;
    CallKeys::setKeys(answer, hangUp);
    showCallKeys();
    emit callKeysChanged();
}

void CSettingsForm::showRefusal(const QString& text)
{
    // The refusal says why in place of the rule, so that the page keeps its height.
    ui->label_keyRefused->setText(text);
    ui->label_keyRefused->setVisible(!text.isEmpty());
    ui->label_keyRule->setVisible(text.isEmpty());
}

void CSettingsForm::showCallKeys()
{
    ui->keyEdit_answer->setKeySequence(CallKeys::answerKey());
    ui->keyEdit_hangUp->setKeySequence(CallKeys::hangUpKey());
}

void CSettingsForm::addTab(QWidget* page, const QString& title)
{
    ui->tabWidget->addTab(page, title);
}
