#include "CSettingsForm.h"
#include "LinkRig.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Each message written to the unit as "id.type:payload in hex", e.g. "4.0:2d8a00".
using Sent = QStringList;

class TestCSettingsForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    std::unique_ptr<LinkRig> m_rig;
    std::unique_ptr<CSettingsForm> m_form;

    QSlider* slider(const char* name) { return m_form->findChild<QSlider*>(QLatin1String(name)); }
    QString text(const char* name) { return m_form->findChild<QLineEdit*>(QLatin1String(name))->text(); }

    // A report reaches the codec model before the page, as the main window wires them.
    void report(int id, const char* hex)
    {
        const QByteArray payload = QByteArray::fromHex(hex);
        m_rig->nau8810()->onReceiveUSB(id, 0, payload);
        m_form->onReceiveUSB(id, 0, payload);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void init()
    {
        QSettings().clear();
        m_rig = std::make_unique<LinkRig>();
        m_form = std::make_unique<CSettingsForm>(m_rig->context(), nullptr);
    }

    void cleanup()
    {
        m_form.reset();
        m_rig.reset();
    }

    void userMovesASlider_data()
    {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Sent>("sent");
        QTest::newRow("send bottom") << "send" << 0 << "-12" << Sent { "4.0:2d0000" };
        QTest::newRow("send 0 dB") << "send" << 16 << "0" << Sent { "4.0:2d1000" };
        QTest::newRow("send top") << "send" << 63 << "35.25" << Sent { "4.0:2d3f00" };
        QTest::newRow("recv bottom") << "recv" << 1 << "0%" << Sent { "4.0:0b0100" };
        QTest::newRow("recv half") << "recv" << 128 << "50%" << Sent { "4.0:0b8000" };
        QTest::newRow("recv top") << "recv" << 255 << "100%" << Sent { "4.0:0bff00" };
    }

    void userMovesASlider()
    {
        QFETCH(QString, slider);
        QFETCH(int, value);
        const QByteArray name = "horizontalSlider_" + slider.toLatin1();
        // Start one step away so that the value really changes.
        this->slider(name)->setValue(value == 1 || value == 0 ? value + 1 : value - 1);
        m_rig->takeSent();
        this->slider(name)->setValue(value);
        QTEST(text(slider == "send" ? "lineEdit_sendgain" : "lineEdit_recvgain"), "shown");
        QTEST(m_rig->takeSent(), "sent");
    }

    void reportMovesAControlAndIsWrittenBackOnce_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Sent>("sent");
        QTest::addColumn<QString>("shown"); // receive slider and text|send slider and text|auto answer
        QTest::newRow("recv 0x80") << 4 << QByteArray("0b8000") << Sent { "4.0:0b8000" } << "128 50%|0 |0";
        QTest::newRow("send bits 0-5 only") << 4 << QByteArray("2dc500") << Sent { "4.0:2dc500" } << "1 |5 -8.25|0";
        // A report of the value already on show still fills the empty text field.
        QTest::newRow("send where it stands") << 4 << QByteArray("2d0000") << Sent {} << "1 |0 -12|0";
        QTest::newRow("other register") << 4 << QByteArray("0a4000") << Sent {} << "1 |0 |0";
        QTest::newRow("auto answer 2") << 16 << QByteArray("02") << Sent { "16.0:01" } << "1 |0 |1";
        QTest::newRow("auto answer off") << 16 << QByteArray("00") << Sent {} << "1 |0 |0";
    }

    void reportMovesAControlAndIsWrittenBackOnce()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, payload);
        report(id, payload.constData());
        QTEST(m_rig->takeSent(), "sent");
        // The same report again finds the controls where it wants them.
        report(id, payload.constData());
        QCOMPARE(m_rig->takeSent(), Sent());
        const bool autoAnswer = m_form->findChild<QCheckBox*>(QStringLiteral("checkBox_enable"))->isChecked();
        QTEST(QStringLiteral("%1 %2|%3 %4|%5")
                  .arg(QString::number(slider("horizontalSlider_recv")->value()), text("lineEdit_recvgain"),
                      QString::number(slider("horizontalSlider_send")->value()), text("lineEdit_sendgain"),
                      QString::number(autoAnswer)),
            "shown");
    }

    void autoAnswerBoxSendsItsState()
    {
        auto* box = m_form->findChild<QCheckBox*>(QStringLiteral("checkBox_enable"));
        box->click();
        box->click();
        QCOMPARE(m_rig->takeSent(), Sent({ "16.0:01", "16.0:00" }));
    }

    void dialNumbersAreStoredAsTyped()
    {
        QTest::keyClicks(m_form->findChild<QLineEdit*>(QStringLiteral("lineEdit_dialnr3")), "0612345678");
        QCOMPARE(m_form->dialNumber(3), QStringLiteral("0612345678"));
        for (int outside : { 0, 9, -1 })
            QVERIFY(m_form->dialNumber(outside).isEmpty());
        // On disk before the page goes, and read back by a new page.
        QFile file(QSettings().fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("dialnr3=0612345678"));
        m_form = std::make_unique<CSettingsForm>(m_rig->context(), nullptr);
        QCOMPARE(m_form->dialNumber(3), QStringLiteral("0612345678"));
        QVERIFY(m_form->dialNumber(1).isEmpty());
    }
};

QTEST_MAIN(TestCSettingsForm)
#include "tst_csettingsform.moc"
