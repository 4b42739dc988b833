#include "MainWindow.h"
#include "ScreeningService.h"
#include "ScreeningSettingsForm.h"
#include "VirtualHybridRig.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>

#include <memory>

// The screening page's tab in the settings, in the main window: the page is served only once a
// password is set and it is switched on, where the operator said, and stops when switched off.
class TestScreeningSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_rig = std::make_unique<VirtualHybridRig>(); }
    void cleanup() { m_rig.reset(); }

    void servedOnlyWithAPasswordAndSwitchedOn_data()
    {
        QTest::addColumn<QString>("password"); // empty: none set
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<bool>("served");

        QTest::newRow("off by default, with a password") << "Dijkstraat 9" << false << false;
        QTest::newRow("on without a password") << "" << true << false;
        QTest::newRow("on with a password") << "Dijkstraat 9" << true << true;
    }

    void servedOnlyWithAPasswordAndSwitchedOn()
    {
        QFETCH(QString, password);
        QFETCH(bool, switchedOn);
        QFETCH(bool, served);
        auto* form = m_rig->window()->findChild<ScreeningSettingsForm*>();
        QVERIFY(form);
        ScreeningService* service = m_rig->window()->screening();
        QVERIFY(!service->isRunning());
        if (!password.isEmpty()) {
            form->findChild<QLineEdit*>(QStringLiteral("lineEdit_screeningPassword"))->setText(password);
            auto* set = form->findChild<QPushButton*>(QStringLiteral("pushButton_screeningPassword"));
            set->click();
            // The hash is made on a thread of its own.
            QTRY_VERIFY_WITH_TIMEOUT(set->isEnabled(), 20000);
            QSettings settings;
            QVERIFY(ScreeningPassword::load(settings).matches(password));
        }
        const int port = freePort();
        form->findChild<QCheckBox*>(QStringLiteral("checkBox_screening"))->setChecked(switchedOn);
        form->findChild<QSpinBox*>(QStringLiteral("spinBox_screeningPort"))->setValue(port);
        form->findChild<QLineEdit*>(QStringLiteral("lineEdit_screeningAddresses"))
            ->setText(QStringLiteral("127.0.0.1,"));
        form->findChild<QPushButton*>(QStringLiteral("pushButton_screeningApply"))->click();
        QCOMPARE(service->isRunning(), served);
        const QString status = form->findChild<QLabel*>(QStringLiteral("label_screeningStatus"))->text();
        if (served) {
            QCOMPARE(service->ports(), QList<int> { port });
            QCOMPARE(status, QStringLiteral("Served at http://127.0.0.1:%1").arg(port));
            // Switched off again, the port is free at once.
            form->findChild<QCheckBox*>(QStringLiteral("checkBox_screening"))->setChecked(false);
            form->findChild<QPushButton*>(QStringLiteral("pushButton_screeningApply"))->click();
            QVERIFY(!service->isRunning());
            QTcpServer again;
            QVERIFY(again.listen(QHostAddress::LocalHost, static_cast<quint16>(port)));
        } else if (switchedOn) {
            QCOMPARE(status, QStringLiteral("Not served: No password is set"));
        }
    }

private:
    static int freePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
    }

    std::unique_ptr<VirtualHybridRig> m_rig;
};

QTEST_MAIN(TestScreeningSettings)
#include "tst_screeningsettings.moc"
