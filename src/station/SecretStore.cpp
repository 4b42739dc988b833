#include "SecretStore.h"

SecretStore::SecretStore(QObject* parent)
    : QObject(parent)
{
}

SecretStore::~SecretStore() = default;
