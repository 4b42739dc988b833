#include "ScreeningSettings.h"

#include <QRegularExpression>
#include <QSettings>

ScreeningSettings ScreeningSettings::load()
{
    QSettings settings;
    ScreeningSettings loaded;
    loaded.enabled = settings.value(QStringLiteral("Screening/Enabled"), false).toBool();
    loaded.port = settings.value(QStringLiteral("Screening/Port"), loaded.port).toInt();
    const QString addresses = settings.value(QStringLiteral("Screening/Addresses")).toString();
    if (!addresses.trimmed().isEmpty())
        loaded.addresses = parseAddresses(addresses);
    loaded.certificateFile = settings.value(QStringLiteral("Screening/CertificateFile")).toString();
    loaded.keyFile = settings.value(QStringLiteral("Screening/KeyFile")).toString();
    loaded.password = ScreeningPassword::load(settings);
    return loaded;
}

void ScreeningSettings::save() const
{
    QSettings settings;
    settings.setValue(QStringLiteral("Screening/Enabled"), enabled);
    settings.setValue(QStringLiteral("Screening/Port"), port);
    settings.setValue(QStringLiteral("Screening/Addresses"), addresses.join(QStringLiteral(", ")));
    settings.setValue(QStringLiteral("Screening/CertificateFile"), certificateFile);
    settings.setValue(QStringLiteral("Screening/KeyFile"), keyFile);
}

ScreeningConfig ScreeningSettings::config() const
{
    ScreeningConfig config;
    config.addresses = addresses;
    config.port = port;
    config.certificateFile = certificateFile;
    config.keyFile = keyFile;
    config.password = password;
    return config;
}

QStringList ScreeningSettings::parseAddresses(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
}
