#include "MemorySecretStore.h"

#include <QTimer>

MemorySecretStore::MemorySecretStore(QObject* parent)
    : SecretStore(parent)
{
}

void MemorySecretStore::read(const QString& key)
{
    const QString failure = m_failure;
    const QString secret = failure.isEmpty() ? m_secrets.value(key) : QString();
    QTimer::singleShot(0, this, [this, key, secret, failure] { emit readDone(key, secret, failure); });
}

void MemorySecretStore::write(const QString& key, const QString& secret)
{
    const QString failure = m_failure;
    if (failure.isEmpty())
        m_secrets.insert(key, secret);
    QTimer::singleShot(0, this, [this, key, failure] { emit writeDone(key, failure); });
}

void MemorySecretStore::remove(const QString& key)
{
    const QString failure = m_failure;
    if (failure.isEmpty())
        m_secrets.remove(key);
    QTimer::singleShot(0, this, [this, key, failure] { emit writeDone(key, failure); });
}
