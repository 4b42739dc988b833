#include "ScreeningPassword.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSettings>

namespace {
const QString saltKey = QStringLiteral("Screening/PasswordSalt");
const QString roundsKey = QStringLiteral("Screening/PasswordRounds");
const QString hashKey = QStringLiteral("Screening/PasswordHash");
} // namespace

ScreeningPassword::ScreeningPassword(QByteArray salt, int rounds, QByteArray hash)
    : m_salt(std::move(salt))
    , m_rounds(rounds)
    , m_hash(std::move(hash))
{
}

ScreeningPassword ScreeningPassword::make(const QString& password)
{
    return make(password, Rounds);
}

ScreeningPassword ScreeningPassword::make(const QString& password, int rounds)
{
    QByteArray salt(SaltBytes, '\0');
    for (char& byte : salt)
        byte = static_cast<char>(QRandomGenerator::system()->bounded(256));
    rounds = qMax(rounds, LeastRounds);
    return ScreeningPassword(salt, rounds, derive(password, salt, rounds));
}

ScreeningPassword ScreeningPassword::load(QSettings& settings)
{
    const QByteArray salt = QByteArray::fromBase64(settings.value(saltKey).toByteArray());
    const QByteArray hash = QByteArray::fromBase64(settings.value(hashKey).toByteArray());
    const int rounds = settings.value(roundsKey, Rounds).toInt();
    // A damaged entry is no password, never one that anything matches.
    if (salt.isEmpty() || hash.size() != HashBytes || rounds < LeastRounds)
        return {};
    return ScreeningPassword(salt, rounds, hash);
}

void ScreeningPassword::save(QSettings& settings) const
{
    if (!isSet()) {
        settings.remove(saltKey);
        settings.remove(roundsKey);
        settings.remove(hashKey);
        return;
    }
    settings.setValue(saltKey, m_salt.toBase64());
    settings.setValue(roundsKey, m_rounds);
    settings.setValue(hashKey, m_hash.toBase64());
}

bool ScreeningPassword::matches(const QString& password) const
{
    if (!isSet())
        return false;
    const QByteArray tried = derive(password, m_salt, m_rounds);
    unsigned char difference = 0;
    for (int i = 0; i < HashBytes; ++i)
        difference |= static_cast<unsigned char>(tried.at(i) ^ m_hash.at(i));
    return difference == 0;
}

QByteArray ScreeningPassword::derive(const QString& password, const QByteArray& salt, int rounds)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, rounds, HashBytes);
}
