#ifndef SCREENINGSETTINGSFORM_H
#define SCREENINGSETTINGSFORM_H

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class ScreeningService;

// The settings' tab of the screening page: on or off, the password, the port, the addresses to
// listen on, and the certificate and key for HTTPS. Apply writes them and restarts the page.
class ScreeningSettingsForm : public QWidget
{
    Q_OBJECT

public:
    explicit ScreeningSettingsForm(ScreeningService* service, QWidget* parent = nullptr);

private:
    void build();
    void load();
    void apply();
    // Hashes the new password on a thread of its own (it takes a moment on purpose), then keeps it.
    void setPassword();
    void showPasswordState();

    ScreeningService* m_service;
    QCheckBox* m_enabled;
    QLineEdit* m_password;
    QPushButton* m_setPassword;
    QLabel* m_passwordState;
    QSpinBox* m_port;
    QLineEdit* m_addresses;
    QLineEdit* m_certificate;
    QLineEdit* m_key;
    QPushButton* m_apply;
    QLabel* m_status;
};

#endif // SCREENINGSETTINGSFORM_H
