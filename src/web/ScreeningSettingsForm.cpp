#include "ScreeningSettingsForm.h"

#include "ScreeningService.h"
#include "ScreeningSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

ScreeningSettingsForm::ScreeningSettingsForm(ScreeningService* service, QWidget* parent)
    : QWidget(parent)
    , m_service(service)
    , m_enabled(new QCheckBox(tr("Serve the screening page for the producer"), this))
    , m_password(new QLineEdit(this))
    , m_setPassword(new QPushButton(tr("Set password"), this))
    , m_passwordState(new QLabel(this))
    , m_port(new QSpinBox(this))
    , m_addresses(new QLineEdit(this))
    , m_certificate(new QLineEdit(this))
    , m_key(new QLineEdit(this))
    , m_apply(new QPushButton(tr("Apply"), this))
    , m_status(new QLabel(this))
{
    build();
    load();
    connect(m_setPassword, &QPushButton::clicked, this, &ScreeningSettingsForm::setPassword);
    connect(m_apply, &QPushButton::clicked, this, &ScreeningSettingsForm::apply);
    connect(m_service, &ScreeningService::statusChanged, this, [this] { m_status->setText(m_service->status()); });
    m_status->setText(m_service->status());
}

void ScreeningSettingsForm::build()
{
    setObjectName(QStringLiteral("screeningSettings"));
    m_enabled->setObjectName(QStringLiteral("checkBox_screening"));
    m_password->setObjectName(QStringLiteral("lineEdit_screeningPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_setPassword->setObjectName(QStringLiteral("pushButton_screeningPassword"));
    m_port->setObjectName(QStringLiteral("spinBox_screeningPort"));
    m_port->setRange(1, 65535);
    m_addresses->setObjectName(QStringLiteral("lineEdit_screeningAddresses"));
    m_addresses->setToolTip(tr("The addresses of this computer to listen on, separated by commas: 127.0.0.1 "
                               "for this computer only, or the address on the studio's network"));
    m_certificate->setPlaceholderText(tr("PEM file; empty for plain HTTP"));
    m_key->setPlaceholderText(tr("PEM file; empty for plain HTTP"));
    m_apply->setObjectName(QStringLiteral("pushButton_screeningApply"));
    m_status->setObjectName(QStringLiteral("label_screeningStatus"));
    m_status->setWordWrap(true);

    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_password);
    passwordRow->addWidget(m_setPassword);
    auto* form = new QFormLayout;
    form->addRow(m_enabled);
    form->addRow(tr("Password:"), passwordRow);
    form->addRow(QString(), m_passwordState);
    form->addRow(tr("Port:"), m_port);
    form->addRow(tr("Addresses:"), m_addresses);
    form->addRow(tr("HTTPS certificate:"), m_certificate);
    form->addRow(tr("HTTPS key:"), m_key);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_apply, 0, Qt::AlignLeft);
    layout->addWidget(m_status);
    layout->addStretch();
}

void ScreeningSettingsForm::load()
{
    const ScreeningSettings settings = ScreeningSettings::load();
    m_enabled->setChecked(settings.enabled);
    m_port->setValue(settings.port);
    m_addresses->setText(settings.addresses.join(QStringLiteral(", ")));
    m_certificate->setText(settings.certificateFile);
    m_key->setText(settings.keyFile);
    showPasswordState();
}

void ScreeningSettingsForm::showPasswordState()
{
    QSettings settings;
    m_passwordState->setText(ScreeningPassword::load(settings).isSet()
            ? tr("A password is set.")
            : tr("No password is set: the page is not served."));
}

void ScreeningSettingsForm::apply()
{
    ScreeningSettings settings = ScreeningSettings::load();
    settings.enabled = m_enabled->isChecked();
    settings.port = m_port->value();
    settings.addresses = ScreeningSettings::parseAddresses(m_addresses->text());
    if (settings.addresses.isEmpty())
        settings.addresses = ScreeningSettings().addresses;
    settings.certificateFile = m_certificate->text().trimmed();
    settings.keyFile = m_key->text().trimmed();
    settings.save();
    m_service->applySettings();
}

void ScreeningSettingsForm::setPassword()
{
    const QString password = m_password->text();
    if (password.isEmpty())
        return;
    m_password->clear();
    m_setPassword->setEnabled(false);
    m_passwordState->setText(tr("Keeping the password..."));
    auto made = std::make_shared<ScreeningPassword>();
    QThread* hashing = QThread::create([made, password] { *made = ScreeningPassword::make(password); });
    connect(hashing, &QThread::finished, this, [this, made, hashing] {
        hashing->deleteLater();
        QSettings settings;
        made->save(settings);
        m_setPassword->setEnabled(true);
        showPasswordState();
    });
    hashing->start();
}
