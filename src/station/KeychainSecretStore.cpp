#include "KeychainSecretStore.h"

#include <QtGlobal>

#if QT_VERSION_MAJOR >= 6
#include <qt6keychain/keychain.h>
#else
#include <qt5keychain/keychain.h>
#endif

namespace {

QString serviceName()
{
    return QStringLiteral("Parlona Control");
}

} // namespace

KeychainSecretStore::KeychainSecretStore(QObject* parent)
    : SecretStore(parent)
{
}

void KeychainSecretStore::read(const QString& key)
{
    auto* job = new QKeychain::ReadPasswordJob(serviceName(), this);
    job->setInsecureFallback(false);
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [this, job, key] {
        if (job->error() == QKeychain::NoError)
            emit readDone(key, job->textData(), QString());
        else if (job->error() == QKeychain::EntryNotFound)
            emit readDone(key, QString(), QString());
        else
            emit readDone(key, QString(), job->errorString());
    });
    job->start();
}

void KeychainSecretStore::write(const QString& key, const QString& secret)
{
    auto* job = new QKeychain::WritePasswordJob(serviceName(), this);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(secret);
    startWrite(job, key);
}

void KeychainSecretStore::remove(const QString& key)
{
    auto* job = new QKeychain::DeletePasswordJob(serviceName(), this);
    job->setInsecureFallback(false);
    job->setKey(key);
    startWrite(job, key);
}

void KeychainSecretStore::startWrite(QKeychain::Job* job, const QString& key)
{
    connect(job, &QKeychain::Job::finished, this, [this, job, key] {
        const bool gone = job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound;
        emit writeDone(key, gone ? QString() : job->errorString());
    });
    job->start();
}
