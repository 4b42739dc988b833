#include "CEQForm.h"
#include "ui_CEQForm.h"

#include "CNau8810.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"
#include "EqCurveModel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSlider>

namespace {

// Register 18 holds band 1, up to register 22 for band 5.
constexpr int FirstBandRegister = 18;
// The codec's gain code runs from +12 dB (code 0) down to -12 dB (code 24).
constexpr int ZeroDbCode = 12;
constexpr quint16 GainCodeBits = 0x1F;
// One gain code is one dB: the smallest step the codec takes, and the slider's arrow-key step.
constexpr int GainStepDb = 1;
constexpr int GainPageStepDb = 3 * GainStepDb;
constexpr int FrequencyShift = 5;
constexpr int FrequencyCodeBits = 3;
constexpr int BandwidthShift = 8;

constexpr int FrequencyChoices = 4;
constexpr int BandHertz[5][FrequencyChoices] = {
    { 80, 105, 135, 175 },
    { 230, 300, 385, 500 },
    { 650, 850, 1100, 1400 },
    { 1800, 2400, 3200, 4100 },
    { 5300, 6900, 9000, 11700 },
};

// Octaves the panel draws for "Narrow" and "Wide".
constexpr double NarrowOctaves = 0.5;
constexpr double WideOctaves = 2.0;

using PanelDouble = void (OrvaneEQPanel::*)(double);
using PanelInt = void (OrvaneEQPanel::*)(int);

const PanelDouble panelGain[5] = { &OrvaneEQPanel::setGainBand1, &OrvaneEQPanel::setGainBand2,
    &OrvaneEQPanel::setGainBand3, &OrvaneEQPanel::setGainBand4, &OrvaneEQPanel::setGainBand5 };
const PanelInt panelFrequency[5] = { &OrvaneEQPanel::setFrequencyBand1, &OrvaneEQPanel::setFrequencyBand2,
    &OrvaneEQPanel::setFrequencyBand3, &OrvaneEQPanel::setFrequencyBand4, &OrvaneEQPanel::setFrequencyBand5 };
// The shelves of bands 1 and 5 have no width choice.
const PanelDouble panelBandwidth[5] = { nullptr, &OrvaneEQPanel::setBandwidthBand2, &OrvaneEQPanel::setBandwidthBand3,
    &OrvaneEQPanel::setBandwidthBand4, nullptr };

} // namespace

CEQForm::CEQForm(CNau8810* nau, CConsole* console, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::CEQForm)
    , m_nau(nau)
    , m_console(console)
{
    // The form file turns off connection by name: the shared control slots match no single
    // widget's name, and the band widgets are connected below instead.
    ui->setupUi(this);
    collectBandControls();
    ui->eq_panel->setTypeBand1(EQ_LOW_SHELF);
    ui->eq_panel->setTypeBand2(EQ_PEAK);
    ui->eq_panel->setTypeBand3(EQ_PEAK);
    ui->eq_panel->setTypeBand4(EQ_PEAK);
    ui->eq_panel->setTypeBand5(EQ_HIGH_SHELF);
    connectBandControls();
    ui->eq_panel->setFrequencyBand1(BandHertz[0][0]);
    ui->eq_panel->setFrequencyBand2(BandHertz[1][0]);
    ui->eq_panel->setFrequencyBand3(BandHertz[2][0]);
    ui->eq_panel->setFrequencyBand4(BandHertz[3][0]);
    ui->eq_panel->setFrequencyBand5(BandHertz[4][0]);
}

CEQForm::~CEQForm()
{
    delete ui;
}

void CEQForm::collectBandControls()
{
    m_bands[0] = { ui->band1_freq, ui->band1_gain, ui->band1_gainvalue, nullptr };
    m_bands[1] = { ui->band2_freq, ui->band2_gain, ui->band2_gainvalue, ui->band2_type };
    m_bands[2] = { ui->band3_freq, ui->band3_gain, ui->band3_gainvalue, ui->band3_type };
    m_bands[3] = { ui->band4_freq, ui->band4_gain, ui->band4_gainvalue, ui->band4_type };
    m_bands[4] = { ui->band5_freq, ui->band5_gain, ui->band5_gainvalue, nullptr };
}

void CEQForm::connectBandControls()
{
    // A sign (also the typographic minus) and up to three digits; anything wider is held to the range.
    const QRegularExpression typedGain(QStringLiteral("[+\\-\u2212]?[0-9]{0,3}"));
    for (int index = 0; index < BandCount; ++index) {
        const BandControls& band = m_bands[index];
        band.gain->setSingleStep(GainStepDb);
        band.gain->setPageStep(GainPageStepDb);
        band.gainValue->setValidator(new QRegularExpressionValidator(typedGain, band.gainValue));
        connect(band.gainValue, &QLineEdit::editingFinished, this, [this, index] { applyTypedGain(index); });
        connect(band.freq, qOverload<int>(&QComboBox::currentIndexChanged), this, &CEQForm::freq_currentIndexChanged);
        connect(band.gain, &QSlider::valueChanged, this, &CEQForm::on_gain_valueChanged);
        if (band.type)
            connect(band.type, qOverload<int>(&QComboBox::currentIndexChanged), this,
                &CEQForm::on_type_currentIndexChanged);
    }
}

template <typename Widget> int CEQForm::senderBand(Widget* BandControls::*control) const
{
    const QObject* source = sender();
    for (int band = 0; source && band < BandCount; ++band) {
        if (m_bands[band].*control == source)
            return band;
    }
    return -1;
}

void CEQForm::reject()
{
    if (isWindow())
        QDialog::reject();
}

void CEQForm::onReceiveUSB(int id, int /*type*/, QByteArray data)
{
    if (id != DeviceMessage::CodecRegister)
        return;
    const DevicePayload::CodecRegister reg = DevicePayload::codecRegister(data);
    const int band = reg.address - FirstBandRegister;
    if (band < 0 || band >= BandCount)
        return;
    // Only a control that really moves runs its slot, and so writes its field back once.
    const BandControls& controls = m_bands[band];
    controls.gain->setValue(ZeroDbCode - (reg.value & GainCodeBits));
    controls.freq->setCurrentIndex((reg.value >> FrequencyShift) & FrequencyCodeBits);
    if (controls.type)
        controls.type->setCurrentIndex((reg.value >> BandwidthShift) & 1);
}

void CEQForm::freq_currentIndexChanged(int /*index*/)
{
    const int band = senderBand(&BandControls::freq);
    if (band < 0)
        return;
    const int index = m_bands[band].freq->currentIndex();
    if (index < 0 || index >= FrequencyChoices)
        return;
    (ui->eq_panel->*panelFrequency[band])(BandHertz[band][index]);
    setCodecFrequency(band, index);
}

void CEQForm::on_gain_valueChanged(int value)
{
    const int band = senderBand(&BandControls::gain);
    if (band < 0)
        return;
    m_bands[band].gainValue->setText(QString::number(value));
    if (m_nau)
        m_nau->setEQGain(NAU8810_EQ_BAND(band), ZeroDbCode - value);
    (ui->eq_panel->*panelGain[band])(value);
}

void CEQForm::on_type_currentIndexChanged(int /*index*/)
{
    const int band = senderBand(&BandControls::type);
    if (band < 0)
        return;
    const bool wide = m_bands[band].type->currentIndex() != 0;
    (ui->eq_panel->*panelBandwidth[band])(wide ? WideOctaves : NarrowOctaves);
    if (m_nau)
        m_nau->setEQBandWidth(NAU8810_EQ_BAND(band), wide ? NAU8810_EQ_WIDE : NAU8810_EQ_NARROW);
}

void CEQForm::applyTypedGain(int band)
{
    const BandControls& controls = m_bands[band];
    QString typed = controls.gainValue->text();
    typed.replace(QChar(0x2212), QLatin1Char('-'));
    bool isNumber = false;
    const int gain = typed.toInt(&isNumber);
    // The slider's range is the codec's: +12 dB (code 0) down to -12 dB (code 24).
    if (isNumber)
        controls.gain->setValue(qBound(controls.gain->minimum(), gain, controls.gain->maximum()));
    // Moved or not, the field shows the gain that is set, "+5" as "5" and 40 as 12.
    controls.gainValue->setText(QString::number(controls.gain->value()));
}

void CEQForm::setCodecFrequency(int band, int index)
{
    if (!m_nau)
        return;
    switch (band) {
    case 0:
        m_nau->setEQ1Freq(NAU8810_EQ1_CF(index));
        break;
    case 1:
        m_nau->setEQ2Freq(NAU8810_EQ2_CF(index));
        break;
    case 2:
        m_nau->setEQ3Freq(NAU8810_EQ3_CF(index));
        break;
    case 3:
        m_nau->setEQ4Freq(NAU8810_EQ4_CF(index));
        break;
    default:
        m_nau->setEQ5Freq(NAU8810_EQ5_CF(index));
        break;
    }
}
