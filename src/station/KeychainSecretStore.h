#ifndef KEYCHAINSECRETSTORE_H
#define KEYCHAINSECRETSTORE_H

#include "SecretStore.h"

namespace QKeychain {
class Job;
}

// The desktop's secret store (the Secret Service or KWallet on Linux), under the service
// "Parlona Control". Its jobs run without blocking the caller. There is no fallback to a plain
// file: without a secret store every call answers with the store's error.
class KeychainSecretStore : public SecretStore
{
    Q_OBJECT

public:
    explicit KeychainSecretStore(QObject* parent = nullptr);

    void read(const QString& key) override;
    void write(const QString& key, const QString& secret) override;
    void remove(const QString& key) override;

private:
    // Reports the job's end as writeDone, then lets it go.
    void startWrite(QKeychain::Job* job, const QString& key);
};

#endif // KEYCHAINSECRETSTORE_H
