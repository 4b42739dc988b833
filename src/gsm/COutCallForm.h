#ifndef COUTCALLFORM_H
#define COUTCALLFORM_H

#include <QString>
#include <QWidget>

namespace Ui {
class COutCallForm;
}

class CConsole;
class CNau8810;
class CUC20;
class QTimer;

// The dial pad page: a number field above a telephone keypad. Outside a connected call the keys
// compose the number the control bar's call button dials; during a connected call they send
// DTMF tones to the other party instead, and the page shows for a moment which keys went out.
// Keys typed on the keyboard anywhere on the page do the same as the keypad, and "+" starts an
// international number.
class COutCallForm : public QWidget
{
    Q_OBJECT

public:
    // How long the keys sent as tones stay on show after the last one.
    static constexpr int ToneNoticeMs = 2000;

    // The codec controller is kept for the page's later use; the page does not touch it.
    COutCallForm(CNau8810* nau8810, CUC20* uc20, CConsole* console, QWidget* parent = nullptr);
    ~COutCallForm() override;

    // The number in the field, as typed: the call button dials it while this page is shown.
    QString number() const;

public slots:
    void on_pushButton_clear_clicked();
    void on_pushButton_1_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_4_clicked();
    void on_pushButton_5_clicked();
    void on_pushButton_6_clicked();
    void on_pushButton_7_clicked();
    void on_pushButton_8_clicked();
    void on_pushButton_9_clicked();
    void on_pushButton_star_clicked();
    void on_pushButton_0_clicked();
    void on_pushButton_hash_clicked();

protected:
    // Dial keys and Backspace typed while a key or the page has the keyboard.
    void keyPressEvent(QKeyEvent* event) override;
    // Dial keys typed into the number field during a connected call become tones instead.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One key of the pad, whichever way it was pressed: a tone during a connected call, otherwise
    // the key's character at the end of the number.
    void pressKey(QChar key);
    bool inConnectedCall() const;
    // Presses the pad key a key event types; false when it types none.
    bool typeDialKey(const QKeyEvent* event);
    // Adds a key to those shown as sent, for the next few seconds.
    void showToneSent(QChar key);

    // The keys sent as tones shown at most, the last ones.
    static constexpr int ShownTones = 12;

    Ui::COutCallForm* ui;
    CNau8810* m_nau8810;
    CUC20* m_uc20;
    CConsole* m_console;
    QTimer* m_toneTimer;
    QString m_tonesSent;
};

#endif // COUTCALLFORM_H
