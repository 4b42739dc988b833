#ifndef MEMORYSECRETSTORE_H
#define MEMORYSECRETSTORE_H

#include "SecretStore.h"

#include <QMap>

// A secret store in memory that answers from the event loop, as the desktop's does, or answers
// every call with the error it is given.
class MemorySecretStore : public SecretStore
{
    Q_OBJECT

public:
    explicit MemorySecretStore(QObject* parent = nullptr);

    void read(const QString& key) override;
    void write(const QString& key, const QString& secret) override;
    void remove(const QString& key) override;

    // From now on every call fails with this error; empty to succeed again.
    void setFailure(const QString& error) { m_failure = error; }
    const QMap<QString, QString>& secrets() const { return m_secrets; }
    void put(const QString& key, const QString& secret) { m_secrets.insert(key, secret); }

private:
    QMap<QString, QString> m_secrets;
    QString m_failure;
};

#endif // MEMORYSECRETSTORE_H
