#include "CDatabase.h"
#include "FakeHidapi.h"
#include "MainWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Code written against the program's public classes builds them with their plain constructors:
// real units through hidapi (replaced at link time in every test), the database beside the
// program. Built that way they work as the program's own wiring does.
class TestPlainConstruction : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    const QString m_databaseFile = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("parlona.db"));

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QFile::remove(m_databaseFile);
    }

    void cleanupTestCase() { QFile::remove(m_databaseFile); }

    void databaseIsTheDefaultConnection()
    {
        CDatabase database(nullptr);
        QVERIFY(database.isOpen());
        QCOMPARE(QDir::cleanPath(database.fileName()), QDir::cleanPath(m_databaseFile));
        QVERIFY(QSqlQuery().exec(QStringLiteral("CREATE TABLE IF NOT EXISTS probe (x)")));
        QVERIFY(database.query(QStringLiteral("SELECT x FROM probe")).isActive());
    }

    void mainWindow()
    {
        FakeHidapi::reset();
        FakeHidapi::plug(QStringLiteral("PH000002"));
        {
            MainWindow window;
            window.show();
            window.on_actionDoStatusBar_triggered();
            window.findChild<QAction*>(QStringLiteral("actionConnect"))->trigger();
            QCOMPARE(window.statusText(), QStringLiteral("Status: Connected [Initializing...]"));
            QVERIFY(QSqlQuery().exec(QStringLiteral("SELECT count(*) FROM call_register")));
        }
        QVERIFY(!FakeHidapi::isOpen(QStringLiteral("PH000002")));
    }
};

QTEST_MAIN(TestPlainConstruction)
#include "tst_plain_construction.moc"
