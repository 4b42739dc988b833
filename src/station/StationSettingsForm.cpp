#include "StationSettingsForm.h"

#include "SecretStore.h"
#include "StationServerProbe.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

StationSettingsForm::StationSettingsForm(SecretStore* secrets, QWidget* parent)
    : QWidget(parent)
    , m_secrets(secrets)
    , m_thisComputer(new QRadioButton(tr("This computer"), this))
    , m_stationServer(new QRadioButton(tr("Station database server"), this))
    , m_host(new QLineEdit(this))
    , m_port(new QSpinBox(this))
    , m_database(new QLineEdit(this))
    , m_user(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_tlsMode(new QComboBox(this))
    , m_studio(new QLineEdit(this))
    , m_testConnection(new QPushButton(tr("Test connection"), this))
    , m_apply(new QPushButton(tr("Apply"), this))
    , m_status(new QLabel(this))
{
    build();
    buildLayout();
    connect(m_secrets, &SecretStore::readDone, this, &StationSettingsForm::onReadDone);
    connect(m_secrets, &SecretStore::writeDone, this, &StationSettingsForm::onWriteDone);
    connect(m_stationServer, &QRadioButton::toggled, this, &StationSettingsForm::showPlace);
    connect(m_testConnection, &QPushButton::clicked, this, &StationSettingsForm::testConnection);
    connect(m_apply, &QPushButton::clicked, this, &StationSettingsForm::apply);
    load();
}

void StationSettingsForm::build()
{
    setObjectName(QStringLiteral("stationSettings"));
    m_thisComputer->setObjectName(QStringLiteral("thisComputer"));
    m_stationServer->setObjectName(QStringLiteral("stationServer"));
    m_host->setObjectName(QStringLiteral("host"));
    m_host->setToolTip(tr("The name or address of the station's PostgreSQL server"));
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setRange(1, 65535);
    m_database->setObjectName(QStringLiteral("database"));
    m_user->setObjectName(QStringLiteral("user"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_tlsMode->setObjectName(QStringLiteral("tlsMode"));
    fillTlsModes();
    m_studio->setObjectName(QStringLiteral("studio"));
    m_studio->setMaxLength(StationSettings::StudioMaxLength);
    m_studio->setToolTip(tr("The name this studio's calls and notes carry on the shared server"));
    m_testConnection->setObjectName(QStringLiteral("testConnection"));
    m_apply->setObjectName(QStringLiteral("apply"));
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
}

void StationSettingsForm::buildLayout()
{
    auto* form = new QFormLayout;
    form->addRow(tr("Server:"), m_host);
    form->addRow(tr("Port:"), m_port);
    form->addRow(tr("Database:"), m_database);
    form->addRow(tr("User:"), m_user);
    form->addRow(tr("Password:"), m_password);
    form->addRow(tr("Encryption:"), m_tlsMode);
    form->addRow(tr("Studio name:"), m_studio);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_testConnection);
    buttons->addWidget(m_apply);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Keep the phonebook and the call history on:"), this));
    layout->addWidget(m_thisComputer);
    layout->addWidget(m_stationServer);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    layout->addStretch();
}

void StationSettingsForm::fillTlsModes()
{
    const QStringList texts {
        tr("Off"),
        tr("Only when the server asks for it"),
        tr("When the server offers it"),
        tr("Always, without checking the server's certificate"),
        tr("Always, with a certificate from a trusted authority"),
        tr("Always, with a trusted certificate for this server name"),
    };
    const QStringList modes = StationSettings::tlsModes();
    for (int i = 0; i < modes.size(); ++i)
        m_tlsMode->addItem(QStringLiteral("%1 (%2)").arg(texts.value(i), modes.at(i)), modes.at(i));
}

void StationSettingsForm::load()
{
    const StationSettings settings = StationSettings::load();
    (settings.place == StationSettings::Place::StationServer ? m_stationServer : m_thisComputer)->setChecked(true);
    m_host->setText(settings.server.host);
    m_port->setValue(settings.server.port);
    m_database->setText(settings.server.database);
    m_user->setText(settings.server.user);
    const int mode = m_tlsMode->findData(settings.server.tlsMode);
    m_tlsMode->setCurrentIndex(mode >= 0 ? mode : m_tlsMode->findData(DatabaseServer().tlsMode));
    m_studio->setText(settings.studio);
    showPlace();
    // Only a server that was set up can have a password kept for it.
    if (!settings.server.host.isEmpty()) {
        m_storedKey = settings.passwordKey();
        m_secrets->read(m_storedKey);
    }
}

StationSettings StationSettingsForm::shown() const
{
    StationSettings settings;
    settings.place = m_stationServer->isChecked() ? StationSettings::Place::StationServer
                                                  : StationSettings::Place::ThisComputer;
    settings.server.host = m_host->text().trimmed();
    settings.server.port = m_port->value();
    settings.server.database = m_database->text().trimmed();
    settings.server.user = m_user->text().trimmed();
    settings.server.password = m_password->text();
    settings.server.tlsMode = m_tlsMode->currentData().toString();
    settings.studio = StationSettings::boundedStudio(m_studio->text());
    return settings;
}

void StationSettingsForm::showPlace()
{
    const bool server = m_stationServer->isChecked();
    for (QWidget* field : std::initializer_list<QWidget*> { m_host, m_port, m_database, m_user, m_password,
                                                             m_tlsMode, m_studio, m_testConnection })
        field->setEnabled(server);
}

void StationSettingsForm::apply()
{
    const StationSettings settings = shown();
    const QString problem = settings.problem();
    if (!problem.isEmpty()) {
        m_status->setText(problem);
        return;
    }
    settings.save();
    m_studio->setText(settings.studio);
    m_status->setText(tr("Saved. The program uses it from its next start."));
    // A password left unchanged goes along when the server's address or user changes.
    const bool moved = settings.passwordKey() != m_storedKey && !m_storedPassword.isEmpty();
    const QString password = settings.server.password.isEmpty() && moved ? m_storedPassword
                                                                         : settings.server.password;
    if (settings.place == StationSettings::Place::StationServer && !password.isEmpty()) {
        m_writingKey = settings.passwordKey();
        m_writingPassword = password;
        m_secrets->write(m_writingKey, password);
    }
    emit applied(settings);
}

void StationSettingsForm::testConnection()
{
    DatabaseServer server = shown().server;
    if (server.password.isEmpty() && shown().passwordKey() == m_storedKey)
        server.password = m_storedPassword;
    m_testConnection->setEnabled(false);
    m_status->setText(tr("Connecting to %1...").arg(server.host));
    auto outcome = std::make_shared<StationServerProbe::Outcome>();
    QThread* probing = QThread::create([outcome, server] { *outcome = StationServerProbe::run(server); });
    // The thread goes by itself, also when the form has gone meanwhile.
    connect(probing, &QThread::finished, probing, &QObject::deleteLater);
    connect(probing, &QThread::finished, this, [this, outcome] {
        m_testConnection->setEnabled(m_stationServer->isChecked());
        m_status->setText(outcome->connected ? tr("Connected: PostgreSQL %1").arg(outcome->serverVersion)
                                             : tr("Not connected: %1").arg(outcome->error));
    });
    probing->start();
}

void StationSettingsForm::onReadDone(const QString& key, const QString& secret, const QString& error)
{
    if (key != m_storedKey)
        return;
    m_storedPassword = secret;
    m_password->setPlaceholderText(secret.isEmpty() ? QString() : tr("(unchanged)"));
    if (!error.isEmpty())
        m_status->setText(tr("The stored password could not be read from the desktop's secret store: %1").arg(error));
}

void StationSettingsForm::onWriteDone(const QString& key, const QString& error)
{
    if (key != m_writingKey)
        return;
    m_writingKey.clear();
    if (!error.isEmpty()) {
        m_status->setText(tr("Saved, but the password could not be stored in the desktop's secret store: %1. "
                             "It is not kept anywhere else; the program cannot log in to the server without it.")
                              .arg(error));
        return;
    }
    // Kept under the server's new address, the password is not left behind under the old one.
    if (!m_storedKey.isEmpty() && m_storedKey != key)
        m_secrets->remove(m_storedKey);
    m_storedKey = key;
    m_storedPassword = m_writingPassword;
    if (m_password->text() == m_writingPassword)
        m_password->clear();
    m_password->setPlaceholderText(tr("(unchanged)"));
}
