#ifndef STATIONSETTINGSFORM_H
#define STATIONSETTINGSFORM_H

#include "StationSettings.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class SecretStore;

// The settings' tab for where the phonebook and call history live: a file on this computer, or
// the station's database server that all studios share, with this studio's name there. The
// server's password goes to the secret store, never to the settings file. Nothing here waits:
// the secret store answers later, and the connection test runs on a worker thread. A change
// takes effect when the program starts next.
class StationSettingsForm : public QWidget
{
    Q_OBJECT

public:
    explicit StationSettingsForm(SecretStore* secrets, QWidget* parent = nullptr);

signals:
    // The operator applied valid settings, which are saved (the password perhaps still on its way
    // to the secret store).
    void applied(StationSettings settings);

private:
    void build();
    void buildLayout();
    void fillTlsModes();
    void load();
    // The settings as the fields show them; the password only when one is typed.
    StationSettings shown() const;
    void showPlace();
    void apply();
    void testConnection();
    void onReadDone(const QString& key, const QString& secret, const QString& error);
    void onWriteDone(const QString& key, const QString& error);

    SecretStore* m_secrets;
    QRadioButton* m_thisComputer;
    QRadioButton* m_stationServer;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_database;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QComboBox* m_tlsMode;
    QLineEdit* m_studio;
    QPushButton* m_testConnection;
    QPushButton* m_apply;
    QLabel* m_status;
    // The password kept in the secret store, and the key it is kept under.
    QString m_storedKey;
    QString m_storedPassword;
    // The password on its way to the secret store, and its key.
    QString m_writingKey;
    QString m_writingPassword;
};

#endif // STATIONSETTINGSFORM_H
