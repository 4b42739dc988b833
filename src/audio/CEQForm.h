#ifndef CEQFORM_H
#define CEQFORM_H

#include <QByteArray>
#include <QDialog>

#include <array>

class CConsole;
class CNau8810;
class QComboBox;
class QLineEdit;
class QSlider;

namespace Ui {
class CEQForm;
}

// The equaliser page: per codec band a frequency choice and a gain slider with its value, which
// may also be typed, and for the three middle bands a bandwidth choice. A change goes to the codec model and to the
// curve panel at once; register reports move the controls, and a control that really moves writes its field back
// through the codec model. The page keeps no register values of its own.
class CEQForm : public QDialog
{
    Q_OBJECT

public:
    CEQForm(CNau8810* nau, CConsole* console, QWidget* parent);
    ~CEQForm() override;

public slots:
    void onReceiveUSB(int id, int type, QByteArray data);
    void freq_currentIndexChanged(int index);
    void on_gain_valueChanged(int value);
    void on_type_currentIndexChanged(int index);

protected:
    // As a page in a stack the form is no window, and Escape must not hide it.
    void reject() override;

private:
    static constexpr int BandCount = 5;

    struct BandControls
    {
        QComboBox* freq = nullptr;
        QSlider* gain = nullptr;
        QLineEdit* gainValue = nullptr;
        QComboBox* type = nullptr; // bands 2-4 only
    };

    void collectBandControls();
    void connectBandControls();
    // Index 0-4 of the band whose control of this kind is the sender, -1 for any other sender.
    template <typename Widget> int senderBand(Widget* BandControls::*control) const;
    void setCodecFrequency(int band, int index);
    // Sets the gain typed into a band's value field, held to the codec's range; a field that holds
    // no number shows the gain as it was.
    void applyTypedGain(int band);

    Ui::CEQForm* ui;
    CNau8810* m_nau;
    CConsole* m_console;
    std::array<BandControls, BandCount> m_bands;
};

#endif // CEQFORM_H
