#ifndef DEBUGFORM_H
#define DEBUGFORM_H

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QWidget>
#include <functional>

#include "RawCommandAnswer.h"

namespace Ui {
class DebugForm;
}

class QTimer;
struct AppContext;

// The service page: raw AT commands, single codec registers, the module's audio mode, side tone
// and test tone, the unit's serial number, and the device's reset, reboot, store, identify and
// firmware commands. Reset, reboot and a serial number write are asked about first, with a
// warning when a call would be dropped. The page shows the module's answer to a raw command, the
// value of a register read and the unit's firmware version.
class DebugForm : public QWidget
{
    Q_OBJECT

public:
    // Side-tone commands go out at most this often while the slider moves: one command per
    // slider step would queue thousands of them ahead of the call control's.
    static constexpr int SideToneIntervalMs = 50;
    // How long the module's answer to a raw command is waited for before the page says there
    // was none; the module answers within milliseconds.
    static constexpr int AnswerTimeoutMs = 5000;

    using DateSource = std::function<QDate()>;

    DebugForm(AppContext* context, QWidget* parent);
    // Composes the serial number with the date that today gives, instead of the system's.
    DebugForm(AppContext* context, DateSource today, QWidget* parent);
    ~DebugForm() override;

public slots:
    void onReceiveUSB(int id, int type, QByteArray data);
    void on_pushButton_clicked();
    void on_pushButton_write_clicked();
    void on_pushButton_testtone_on_clicked();
    void on_pushButton_testtone_off_clicked();
    void on_pushButton_stGain_get_clicked();
    void on_horizontalSlider_stGain_valueChanged(int value);
    void on_pushButton_write_uc20_clicked();
    void on_radioButton_handset_toggled(bool checked);
    void on_radioButton_headset_toggled(bool checked);
    void on_radioButton_speaker_toggled(bool checked);
    void onUC20Sidetone(int gain);
    void on_pushButton_read_clicked();
    // The serial number is composed from both combo boxes; the text is not needed.
    void on_comboBox_volgnummer_currentIndexChanged(QString arg1);
    void on_comboBox_hw_revision_currentIndexChanged(QString arg1);
    void on_pushButton_serial_write_clicked();
    void on_pushButton_factory_reset_clicked();
    void on_pushButton_reboot_clicked();
    void on_pushButton_eeprom_clicked();
    void on_pushButton_identify_pressed();
    void on_pushButton_identify_released();
    void on_pushButton_getFirmwareVersion_clicked();

private:
    // Asks before a command that changes the unit; a call going on is named, since the command
    // drops it. True when the technician agrees.
    bool confirm(const QString& title, const QString& question);
    bool callInProgress() const;
    bool isConnected() const;
    void takeModuleLine(int type, const QByteArray& payload);
    void showModuleAnswer(const QString& command, const QStringList& lines);
    void onAnswerTimeout();
    void showRegister(const QByteArray& payload);
    void showFirmwareVersion(const QByteArray& payload);
    void fillSerialChoices();
    void composeSerial();
    quint8 registerAddress() const;
    void sendAudioMode(int mode);
    void sendPendingSideTone();
    void sendAT(const QString& command);
    void transmit(quint8 id, quint8 type, const QByteArray& payload = QByteArray());

    Ui::DebugForm* ui;
    AppContext* m_context;
    DateSource m_today;
    QTimer* m_sideToneTimer;
    QTimer* m_answerTimer;
    RawCommandAnswer m_rawAnswer;
    // The register whose value a read awaits; -1 when none does.
    int m_awaitedRegister = -1;
    // The slider value still to be sent once the interval is over; -1 when there is none.
    int m_pendingSideTone = -1;
};

#endif // DEBUGFORM_H
