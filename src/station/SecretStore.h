#ifndef SECRETSTORE_H
#define SECRETSTORE_H

#include <QObject>
#include <QString>

// A place for passwords outside the settings file, reached without waiting: every call returns at
// once and its answer comes later as a signal carrying the key it was about. The desktop's
// secret store in the program (KeychainSecretStore), one in memory in the tests.
class SecretStore : public QObject
{
    Q_OBJECT

public:
    explicit SecretStore(QObject* parent = nullptr);
    ~SecretStore() override;

    // Answers with readDone; an empty secret and no error when nothing is kept under the key.
    virtual void read(const QString& key) = 0;
    // Answers with writeDone.
    virtual void write(const QString& key, const QString& secret) = 0;
    // Answers with writeDone; removing what is not there is no error.
    virtual void remove(const QString& key) = 0;

signals:
    // A read has ended; error is empty when it succeeded.
    void readDone(QString key, QString secret, QString error);
    // A write or removal has ended; error is empty when it succeeded.
    void writeDone(QString key, QString error);
};

#endif // SECRETSTORE_H
