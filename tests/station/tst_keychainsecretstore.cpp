#include "KeychainSecretStore.h"

#include <QSignalSpy>
#include <QTest>

// The desktop's secret store, where there is none: the tests run without a session bus (CTest
// points it at nothing). Every call answers, without waiting on the caller, with the store's
// error, so that the settings can tell the operator; nothing is kept anywhere else instead.
class TestKeychainSecretStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").contains(QLatin1String("nonexistent")))
            QSKIP("run through CTest, without a session bus");
    }

    void answersWithTheError_data()
    {
        QTest::addColumn<int>("call"); // 0 read, 1 write, 2 remove
        QTest::newRow("read") << 0;
        QTest::newRow("write") << 1;
        QTest::newRow("remove") << 2;
    }

    void answersWithTheError()
    {
        QFETCH(int, call);
        KeychainSecretStore store;
        QSignalSpy read(&store, &SecretStore::readDone);
        QSignalSpy written(&store, &SecretStore::writeDone);
        const QString key = QStringLiteral("station-database/radio@db.studio.lan:5432/omroep");
        if (call == 0)
            store.read(key);
        else if (call == 1)
            store.write(key, QStringLiteral("Zendmast-42"));
        else
            store.remove(key);
        // The answer never comes before the call has returned.
        QCOMPARE(read.count() + written.count(), 0);
        QSignalSpy& answer = call == 0 ? read : written;
        QTRY_COMPARE_WITH_TIMEOUT(answer.count(), 1, 10000);
        QCOMPARE(answer.at(0).at(0).toString(), key);
        const QString error = answer.at(0).last().toString();
        QVERIFY2(!error.isEmpty(), "no error without a secret store");
        if (call == 0)
            QVERIFY(answer.at(0).at(1).toString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKeychainSecretStore)
#include "tst_keychainsecretstore.moc"
