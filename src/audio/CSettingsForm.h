#ifndef CSETTINGSFORM_H
#define CSETTINGSFORM_H

#include <QByteArray>
#include <QString>
#include <QWidget>

namespace Ui {
class CSettingsForm;
}

class QLineEdit;
struct AppContext;

// The settings page: the hybrid's send and receive levels (codec registers, through the codec
// model), its auto-answer switch, and the eight speed-dial numbers the control bar dials, which
// are kept on this computer. The widgets are the page's only state.
class CSettingsForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DialNumberCount = 8;

    CSettingsForm(AppContext* context, QWidget* parent);
    ~CSettingsForm() override;

    // The text of speed dial index (1-8) as it stands now; empty for any other index.
    QString dialNumber(int index) const;

public slots:
    void onReceiveUSB(int id, int type, QByteArray data);
    void readSettings();
    void writeSettings();
    void on_horizontalSlider_send_valueChanged(int value);
    void on_horizontalSlider_recv_valueChanged(int value);
    void on_checkBox_enable_stateChanged(int arg1);

signals:
    // Fires when the operator has changed the answer or hang-up key.
    void callKeysChanged();

private:
    QLineEdit* dialNumberEdit(int index) const;
    void storeDialNumber(int index);
    void onCodecRegister(const QByteArray& data);
    void showSendGain(int value);
    void showReceiveLevel(int value);

    Ui::CSettingsForm* ui;
    AppContext* m_context;
};

#endif // CSETTINGSFORM_H
