#include "VirtualHybridPanel.h"
#include "ui_VirtualHybridPanel.h"

#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <QTimer>

#include <vector>

namespace {

// dBm of a +CSQ signal value, for the label beside the slider.
int signalDbm(int rssi)
{
    return -113 + 2 * rssi;
}

} // namespace

VirtualHybridPanel::VirtualHybridPanel(VirtualHybridBackend* backend, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::VirtualHybridPanel)
    , m_backend(backend)
    , m_keys(new QButtonGroup(this))
    , m_counterTimer(new QTimer(this))
{
    ui->setupUi(this);

    setUpKeypad();

    const QList<VirtualHybridUnit*> units = m_backend->units();
    for (VirtualHybridUnit* unit : units)
        onUnitAdded(unit);
    connect(m_backend, &VirtualHybridBackend::unitAdded, this, &VirtualHybridPanel::onUnitAdded);

    connect(m_counterTimer, &QTimer::timeout, this, &VirtualHybridPanel::refreshCounters);
    m_counterTimer->start(CounterRefreshMs);

    setCurrentUnit(units.value(0));
}

VirtualHybridPanel::~VirtualHybridPanel()
{
    delete ui;
}

void VirtualHybridPanel::setUpKeypad()
{
    const struct
    {
        QPushButton* button;
        char key;
    } keys[] = {
        { ui->pushButton_key1, '1' },
        { ui->pushButton_key2, '2' },
        { ui->pushButton_key3, '3' },
        { ui->pushButton_key4, '4' },
        { ui->pushButton_key5, '5' },
        { ui->pushButton_key6, '6' },
        { ui->pushButton_key7, '7' },
        { ui->pushButton_key8, '8' },
        { ui->pushButton_key9, '9' },
        { ui->pushButton_keyStar, '*' },
        { ui->pushButton_key0, '0' },
        { ui->pushButton_keyHash, '#' },
    };
    for (const auto& entry : keys)
        m_keys->addButton(entry.button, entry.key);
    connect(m_keys, &QButtonGroup::idClicked, this, &VirtualHybridPanel::onKeyClicked);
}

QString VirtualHybridPanel::statusText() const
{
    return ui->label_status->text();
}

void VirtualHybridPanel::onUnitAdded(VirtualHybridUnit* unit)
{
    {
        const QSignalBlocker blocker(ui->comboBox_unit);
        ui->comboBox_unit->addItem(unit->serialNumber());
    }
    // One unit needs no choosing.
    ui->comboBox_unit->setEnabled(ui->comboBox_unit->count() > 1);
    if (!m_unit)
        setCurrentUnit(unit);
}

void VirtualHybridPanel::setCurrentUnit(VirtualHybridUnit* unit)
{
    if (m_unit)
        disconnect(m_unit, nullptr, this, nullptr);
    m_unit = unit;
    if (m_unit) {
        connect(m_unit, &VirtualHybridUnit::stateChanged, this, &VirtualHybridPanel::refresh);
        connect(m_unit, &VirtualHybridUnit::callStateChanged, this, &VirtualHybridPanel::refresh);
        const QSignalBlocker blocker(ui->comboBox_unit);
        ui->comboBox_unit->setCurrentIndex(m_backend->units().indexOf(m_unit));
    }
    refresh();
}

void VirtualHybridPanel::refresh()
{
    setEnabled(m_unit != nullptr);
    if (!m_unit) {
        ui->label_status->setText(tr("No virtual unit"));
        return;
    }

    // Show the unit's state without sending it back to the unit.
    const QList<QWidget*> inputs { ui->comboBox_outcome, ui->spinBox_delay, ui->horizontalSlider_signal,
        ui->checkBox_noNetwork, ui->comboBox_sim, ui->checkBox_autoAnswer, ui->checkBox_storeSilent,
        ui->checkBox_moduleSilent, ui->checkBox_corruptFrames };
    std::vector<QSignalBlocker> blockers;
    blockers.reserve(static_cast<size_t>(inputs.size()));
    for (QWidget* input : inputs)
        blockers.emplace_back(input);

    refreshUnit();
    refreshNetwork();
    refreshSim();
    refreshSettings();
    refreshCall();
    refreshCounters();
}

void VirtualHybridPanel::refreshUnit()
{
    ui->comboBox_unit->setItemText(m_backend->units().indexOf(m_unit), m_unit->serialNumber());
    ui->pushButton_plug->setText(m_unit->isPlugged() ? tr("Unplug") : tr("Plug in"));
}

void VirtualHybridPanel::refreshNetwork()
{
    ui->comboBox_outcome->setCurrentIndex(m_unit->outgoingOutcome());
    ui->spinBox_delay->setValue(m_unit->outgoingDelayMs() / 1000);
    const int rssi = m_unit->signal();
    const bool noNetwork = rssi == VirtualUC20Module::NoSignal;
    ui->checkBox_noNetwork->setChecked(noNetwork);
    if (!noNetwork)
        ui->horizontalSlider_signal->setValue(rssi);
    ui->horizontalSlider_signal->setEnabled(!noNetwork);
    ui->label_signal->setText(noNetwork ? tr("no network") : tr("%1 (%2 dBm)").arg(rssi).arg(signalDbm(rssi)));
}

void VirtualHybridPanel::refreshSim()
{
    ui->comboBox_sim->setCurrentIndex(m_unit->simLock());
    if (!ui->lineEdit_pin->hasFocus())
        ui->lineEdit_pin->setText(m_unit->module()->pin());
    if (!ui->lineEdit_puk->hasFocus())
        ui->lineEdit_puk->setText(m_unit->module()->puk());
}

void VirtualHybridPanel::refreshSettings()
{
    ui->checkBox_autoAnswer->setChecked(m_unit->autoAnswer());
    ui->checkBox_storeSilent->setChecked(m_unit->storeSilent());
    ui->checkBox_moduleSilent->setChecked(m_unit->moduleSilent());
    ui->checkBox_corruptFrames->setChecked(m_unit->corruptFrames());
}

void VirtualHybridPanel::refreshCall()
{
    const VirtualUC20Module::CallStatus call = m_unit->module()->callStatus();
    ui->pushButton_ringIn->setEnabled(call == VirtualUC20Module::NoCall);
    ui->pushButton_farEndAnswers->setEnabled(
        call == VirtualUC20Module::CallDialling || call == VirtualUC20Module::CallAlerting);
    ui->pushButton_farEndHangsUp->setEnabled(call != VirtualUC20Module::NoCall);
    ui->groupBox_keys->setEnabled(call == VirtualUC20Module::CallActive);

    QString status = m_unit->callStateText();
    if (m_unit->isPlugged() && !m_unit->isRebooting())
        status += m_unit->isOpen() ? tr(" · USB open") : tr(" · USB not open");
    if (m_unit->isIdentifying())
        status += tr(" · identifying");
    ui->label_status->setText(status);
}

void VirtualHybridPanel::refreshCounters()
{
    if (!m_unit)
        return;
    ui->label_counters->setText(tr("Frames in %1 (bad %2), out %3 (lost %4); stores %5")
                                    .arg(m_unit->framesReceived())
                                    .arg(m_unit->badFramesReceived())
                                    .arg(m_unit->framesSent())
                                    .arg(m_unit->reportsLost())
                                    .arg(m_unit->storeCount()));
}

void VirtualHybridPanel::on_comboBox_unit_currentIndexChanged(int index)
{
    setCurrentUnit(m_backend->units().value(index));
}

void VirtualHybridPanel::on_pushButton_plug_clicked()
{
    if (!m_unit)
        return;
    if (m_unit->isPlugged())
        m_unit->unplug();
    else
        m_unit->plug();
}

void VirtualHybridPanel::on_pushButton_ringIn_clicked()
{
    if (m_unit)
        m_unit->ringIn(ui->lineEdit_callerNumber->text().trimmed());
}

void VirtualHybridPanel::on_pushButton_farEndAnswers_clicked()
{
    if (m_unit)
        m_unit->farEndAnswers();
}

void VirtualHybridPanel::on_pushButton_farEndHangsUp_clicked()
{
    if (m_unit)
        m_unit->farEndHangsUp();
}

void VirtualHybridPanel::on_comboBox_outcome_currentIndexChanged(int)
{
    applyOutgoingOutcome();
}

void VirtualHybridPanel::on_spinBox_delay_valueChanged(int)
{
    applyOutgoingOutcome();
}

void VirtualHybridPanel::applyOutgoingOutcome()
{
    if (m_unit)
        m_unit->setOutgoingOutcome(
            static_cast<VirtualHybridUnit::OutgoingOutcome>(ui->comboBox_outcome->currentIndex()),
            ui->spinBox_delay->value() * 1000);
}

void VirtualHybridPanel::on_horizontalSlider_signal_valueChanged(int)
{
    applySignal();
}

void VirtualHybridPanel::on_checkBox_noNetwork_toggled(bool)
{
    applySignal();
}

void VirtualHybridPanel::applySignal()
{
    if (m_unit)
        m_unit->setSignal(
            ui->checkBox_noNetwork->isChecked() ? VirtualUC20Module::NoSignal : ui->horizontalSlider_signal->value());
}

void VirtualHybridPanel::on_comboBox_sim_currentIndexChanged(int index)
{
    if (m_unit)
        m_unit->setSimLock(static_cast<VirtualHybridUnit::SimLock>(index));
}

void VirtualHybridPanel::on_lineEdit_pin_editingFinished()
{
    if (m_unit && ui->lineEdit_pin->text() != m_unit->module()->pin())
        m_unit->setPin(ui->lineEdit_pin->text());
}

void VirtualHybridPanel::on_lineEdit_puk_editingFinished()
{
    if (m_unit && ui->lineEdit_puk->text() != m_unit->module()->puk())
        m_unit->setPuk(ui->lineEdit_puk->text());
}

void VirtualHybridPanel::on_checkBox_autoAnswer_toggled(bool checked)
{
    if (m_unit)
        m_unit->setAutoAnswer(checked);
}

void VirtualHybridPanel::on_checkBox_storeSilent_toggled(bool checked)
{
    if (m_unit)
        m_unit->setStoreSilent(checked);
}

void VirtualHybridPanel::on_checkBox_moduleSilent_toggled(bool checked)
{
    if (m_unit)
        m_unit->setModuleSilent(checked);
}

void VirtualHybridPanel::on_checkBox_corruptFrames_toggled(bool checked)
{
    if (m_unit)
        m_unit->setCorruptFrames(checked);
}

void VirtualHybridPanel::onKeyClicked(int key)
{
    if (m_unit)
        m_unit->callerPressesKey(static_cast<char>(key));
}
