#include "AppContext.h"
#include "CSettingsForm.h"
#include "SessionAutostart.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

// "Start with the desktop session": an XDG autostart entry that starts the program in the tray,
// written and removed from the settings page.
class TestSessionAutostart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        // The page's switch works on the user's configuration folder: here a temporary one.
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void entry_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain path") << "/usr/bin/parlona-control"
                                    << "/usr/bin/parlona-control --minimized";
        QTest::newRow("blank and quote in the path")
            << "/opt/Parlona \"Control\"/parlona-control"
            << "\"/opt/Parlona \\\"Control\\\"/parlona-control\" --minimized";
    }

    void entry()
    {
        QFETCH(QString, program);
        QTemporaryDir folder;
        SessionAutostart autostart(folder.filePath("autostart"), program);
        QVERIFY(!autostart.isEnabled());
        QString error;
        QVERIFY(autostart.setEnabled(true, &error));
        QVERIFY(autostart.isEnabled());
        QFile written(autostart.entryPath());
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(written.readAll()).split('\n');
        QVERIFY(lines.contains("[Desktop Entry]") && lines.contains("Type=Application"));
        QTEST(lines.filter("Exec=").value(0).mid(5), "exec");
        QVERIFY(autostart.setEnabled(false, &error));
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(autostart.setEnabled(false, &error));
        QVERIFY(error.isEmpty());

        // An entry the desktop hides is off; a folder that cannot be made is told.
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nExec=parlona-control\nHidden=true\n");
        entry.close();
        QVERIFY(!autostart.isEnabled());
        QVERIFY(!SessionAutostart(entry.fileName() + "/autostart", program).setEnabled(true, &error));
        QVERIFY(!error.isEmpty());
    }

    void switchOnTheSettingsPage()
    {
        AppContext context;
        const SessionAutostart autostart;
        QVERIFY(autostart.entryPath().startsWith(m_config.path()));
        {
            CSettingsForm page(&context, nullptr);
            auto* box = page.findChild<QCheckBox*>("checkBox_autostart");
            QVERIFY(box && !box->isChecked());
            box->click();
            QVERIFY(autostart.isEnabled());
        }
        CSettingsForm again(&context, nullptr);
        auto* box = again.findChild<QCheckBox*>("checkBox_autostart");
        QVERIFY(box->isChecked());
        box->click();
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(again.findChild<QLabel*>("label_autostartRefused")->text().isEmpty());
    }
};

QTEST_MAIN(TestSessionAutostart)
#include "tst_sessionautostart.moc"
