#ifndef CSETTINGSFORM_H
#define CSETTINGSFORM_H

#include <QByteArray>
#include <QString>
#include <QWidget>

namespace Ui {
class CSettingsForm;
}

class QKeySequence;
class QKeySequenceEdit;
class QLineEdit;
struct AppContext;

// The settings page: the hybrid's send and receive levels (codec registers, through the codec
// model), its auto-answer switch, and the eight speed-dial numbers the control bar dials, which
// are kept on this computer; the ring tone (on or off, output, volume) and the keys that answer
// and hang up, which are kept on this computer too and stored as soon as they change. The
// widgets are the page's only state.
class CSettingsForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DialNumberCount = 8;

    CSettingsForm(AppContext* context, QWidget* parent);
    ~CSettingsForm() override;

    // The text of speed dial index (1-8) as it stands now; empty for any other index.
    QString dialNumber(int index) const;
    // Adds a tab of settings that another part of the program keeps (the screening page's).
    void addTab(QWidget* page, const QString& title);

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
    // Fires when a speed-dial number has been stored.
    void dialNumbersChanged();

protected:
    // The list of outputs is taken afresh each time the page shows: a cue speaker may have been
    // plugged in since.
    void showEvent(QShowEvent* event) override;
    // The key fields take one key each, at once, and refuse keys needed for typing.
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // Writes or removes the autostart entry at once; a folder that refuses is told beside it.
    void on_checkBox_autostart_toggled(bool checked);
    void on_checkBox_ringTone_toggled(bool checked);
    void on_comboBox_ringDevice_activated(int index);
    void on_slider_ringVolume_valueChanged(int value);
    void on_slider_ringVolume_sliderReleased();
    void on_pushButton_defaultKeys_clicked();
    void on_comboBox_homeCountry_activated(int index);

private:
    void readRingTone();
    void enableRingChoices(bool enabled);
    void fillRingDevices(const QStringList& available);
    void storeRingVolume();
    void onKeyPressed(QKeySequenceEdit* edit, const QKeySequence& key);
    void showRefusal(const QString& text);
    void showCallKeys();
    void storeCallKeys(const QKeySequence& answer, const QKeySequence& hangUp);
    QLineEdit* dialNumberEdit(int index) const;
    void storeDialNumber(int index);
    // Why a speed-dial number cannot be stored, or empty when it can (an empty one can).
    static QString dialNumberRefusal(const QString& number);
    void fillHomeCountries();
    void onCodecRegister(const QByteArray& data);
    void showSendGain(int value);
    void showReceiveLevel(int value);

    Ui::CSettingsForm* ui;
    AppContext* m_context;
};

#endif // CSETTINGSFORM_H
