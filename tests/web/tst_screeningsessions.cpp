#include "ScreeningPassword.h"
#include "ScreeningSessions.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Sessions and logins of the screening page on a clock the test moves, and the password as the
// settings keep it.
class TestScreeningSessions : public QObject
{
    Q_OBJECT

private slots:
    void sessionLife_data()
    {
        QTest::addColumn<QList<qint64>>("uses"); // ms after the login at which the session is used
        QTest::addColumn<bool>("alive");         // whether the last use still finds it
        const qint64 hour = 3600 * 1000;
        QTest::newRow("just opened") << QList<qint64> { 0 } << true;
        QTest::newRow("used within the idle limit") << QList<qint64> { 3 * hour, 6 * hour } << true;
        QTest::newRow("unused past the idle limit") << QList<qint64> { 4 * hour + 1 } << false;
        QTest::newRow("used all along, past its lifetime")
            << QList<qint64> { 3 * hour, 6 * hour, 9 * hour, 12 * hour, 15 * hour, 16 * hour + 1 } << false;
    }

    void sessionLife()
    {
        QFETCH(QList<qint64>, uses);
        qint64 now = 1000;
        ScreeningSessions sessions([&now] { return now; });
        const ScreeningSessions::Session session = sessions.open();
        bool found = false;
        for (qint64 use : uses) {
            now = 1000 + use;
            found = sessions.find(session.id);
        }
        QTEST(found, "alive");
    }

    void sessionsAreUnguessableAndBounded()
    {
        ScreeningSessions sessions;
        const ScreeningSessions::Session first = sessions.open();
        QVERIFY(first.id.size() >= 40);
        QVERIFY(first.token != first.id);
        QVERIFY(!sessions.find(first.token));
        for (int i = 0; i < ScreeningSessions::MaxSessions; ++i)
            QVERIFY(sessions.open().id != first.id);
        QCOMPARE(sessions.count(), ScreeningSessions::MaxSessions);
        sessions.closeAll();
        QCOMPARE(sessions.count(), 0);
    }

    void failedLoginsSlowTheirAddress_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<qint64>("wait");
        QTest::newRow("none") << 0 << qint64(0);
        QTest::newRow("one") << 1 << qint64(1000);
        QTest::newRow("two") << 2 << qint64(2000);
        QTest::newRow("four") << 4 << qint64(8000);
        QTest::newRow("ten, capped at a minute") << 10 << qint64(60000);
    }

    void failedLoginsSlowTheirAddress()
    {
        QFETCH(int, failures);
        QFETCH(qint64, wait);
        qint64 now = 0;
        ScreeningSessions sessions([&now] { return now; });
        for (int i = 0; i < failures; ++i)
            sessions.loginFailed(QStringLiteral("192.0.2.7"));
        QCOMPARE(sessions.loginWaitMs(QStringLiteral("192.0.2.7")), wait);
        QCOMPARE(sessions.loginWaitMs(QStringLiteral("192.0.2.8")), qint64(0));
        now = wait;
        QCOMPARE(sessions.loginWaitMs(QStringLiteral("192.0.2.7")), qint64(0));
        sessions.loginFailed(QStringLiteral("192.0.2.7"));
        QVERIFY(sessions.loginWaitMs(QStringLiteral("192.0.2.7")) > 0);
        sessions.loginSucceeded(QStringLiteral("192.0.2.7"));
        QCOMPARE(sessions.loginWaitMs(QStringLiteral("192.0.2.7")), qint64(0));
    }

    void passwordKeptAsASaltedHash()
    {
        QTemporaryDir folder;
        QSettings settings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        QVERIFY(!ScreeningPassword::load(settings).isSet());
        const ScreeningPassword made = ScreeningPassword::make(QStringLiteral("Zeeland-42"));
        made.save(settings);
        settings.sync();
        const ScreeningPassword loaded = ScreeningPassword::load(settings);
        QVERIFY(loaded.matches(QStringLiteral("Zeeland-42")));
        QVERIFY(!loaded.matches(QStringLiteral("zeeland-42")));
        QVERIFY(!loaded.matches(QString()));
        QFile file(settings.fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("Zeeland"));
        // The same password twice: another salt, another hash.
        const QVariant firstHash = settings.value(QStringLiteral("Screening/PasswordHash"));
        ScreeningPassword::make(QStringLiteral("Zeeland-42")).save(settings);
        QVERIFY(settings.value(QStringLiteral("Screening/PasswordHash")) != firstHash);
        settings.setValue(QStringLiteral("Screening/PasswordHash"), QByteArray("dGFtcGVyZWQ="));
        QVERIFY(!ScreeningPassword::load(settings).isSet());
        // A hash keeps its rounds; too few are raised when made and refused when read.
        ScreeningPassword::make(QStringLiteral("Zeeland-42"), 10).save(settings);
        QCOMPARE(settings.value(QStringLiteral("Screening/PasswordRounds")).toInt(), ScreeningPassword::LeastRounds);
        QVERIFY(ScreeningPassword::load(settings).matches(QStringLiteral("Zeeland-42")));
        settings.setValue(QStringLiteral("Screening/PasswordRounds"), ScreeningPassword::LeastRounds - 1);
        QVERIFY(!ScreeningPassword::load(settings).isSet());
    }
};

QTEST_MAIN(TestScreeningSessions)
#include "tst_screeningsessions.moc"
