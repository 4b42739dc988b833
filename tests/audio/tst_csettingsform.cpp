#include "AppContext.h"
#include "CConsole.h"
#include "CNau8810.h"
#include "CSettingsForm.h"
#include "CUSBHID.h"
#include "DeviceMessage.h"
#include "FakeHidapi.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <utility>

namespace {

const QString serial = QStringLiteral("PH000302");

// Each message written to the unit as "id: payload in hex", e.g. "4: 2d8a00".
using Sent = QStringList;

} // namespace

class TestCSettingsForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    std::unique_ptr<CConsole> m_console;
    std::unique_ptr<CUSBHID> m_usb;
    std::unique_ptr<CNau8810> m_nau;
    AppContext m_context;
    std::unique_ptr<CSettingsForm> m_form;
    int m_writtenSeen = 0;

    QSlider* slider(const char* name) { return m_form->findChild<QSlider*>(QLatin1String(name)); }
    QString text(const char* name) { return m_form->findChild<QLineEdit*>(QLatin1String(name))->text(); }

    // A report reaches the codec model before the page, as the main window wires them.
    void report(int id, const char* hex)
    {
        const QByteArray payload = QByteArray::fromHex(hex);
        m_nau->onReceiveUSB(id, 0, payload);
        m_form->onReceiveUSB(id, 0, payload);
    }

    Sent takeSent()
    {
        while (m_usb->pendingCount() > 0)
            m_usb->onHidTimer();
        const QList<QByteArray> written = FakeHidapi::written(serial);
        Sent sent;
        for (const QByteArray& r : written.mid(std::exchange(m_writtenSeen, written.size())))
            sent << QString::number(quint8(r.at(1))) + ": " + QString::fromLatin1(r.mid(4, quint8(r.at(3)) - 3).toHex());
        return sent;
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
        FakeHidapi::reset();
        FakeHidapi::plug(serial);
        m_console = std::make_unique<CConsole>();
        m_usb = std::make_unique<CUSBHID>(nullptr, m_console.get());
        m_nau = std::make_unique<CNau8810>(nullptr, m_usb.get(), m_console.get());
        m_context = AppContext { m_usb.get(), nullptr, m_nau.get(), m_console.get(), nullptr };
        m_form = std::make_unique<CSettingsForm>(&m_context, nullptr);
        QCOMPARE(m_usb->start(serial), 0);
        m_writtenSeen = 0;
        takeSent();
    }

    void cleanup()
    {
        m_form.reset();
        m_nau.reset();
        m_usb.reset();
        m_console.reset();
        FakeHidapi::reset();
    }

    void userMovesASlider_data()
    {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Sent>("sent");
        QTest::newRow("send bottom") << "send" << 0 << "-12" << Sent { "4: 2d0000" };
        QTest::newRow("send 0 dB") << "send" << 16 << "0" << Sent { "4: 2d1000" };
        QTest::newRow("send top") << "send" << 63 << "35.25" << Sent { "4: 2d3f00" };
        QTest::newRow("recv bottom") << "recv" << 1 << "0%" << Sent { "4: 0b0100" };
        QTest::newRow("recv half") << "recv" << 128 << "50%" << Sent { "4: 0b8000" };
        QTest::newRow("recv top") << "recv" << 255 << "100%" << Sent { "4: 0bff00" };
    }

    void userMovesASlider()
    {
        QFETCH(QString, slider);
        QFETCH(int, value);
        QFETCH(QString, shown);
        QFETCH(Sent, sent);
        const QByteArray name = "horizontalSlider_" + slider.toLatin1();
        // Start one step away so that the value really changes.
        this->slider(name)->setValue(value == 1 || value == 0 ? value + 1 : value - 1);
        takeSent();
        this->slider(name)->setValue(value);
        QCOMPARE(text(slider == "send" ? "lineEdit_sendgain" : "lineEdit_recvgain"), shown);
        QCOMPARE(takeSent(), sent);
    }

    void reportMovesAControlAndIsWrittenBackOnce_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Sent>("sent");
        QTest::newRow("recv 0x80") << 4 << QByteArray("0b8000") << Sent { "4: 0b8000" };
        QTest::newRow("send bits 0-5 only") << 4 << QByteArray("2dc500") << Sent { "4: 2dc500" };
        QTest::newRow("other register") << 4 << QByteArray("0a4000") << Sent {};
        QTest::newRow("auto answer 2") << 16 << QByteArray("02") << Sent { "16: 01" };
        QTest::newRow("auto answer off") << 16 << QByteArray("00") << Sent {};
    }

    void reportMovesAControlAndIsWrittenBackOnce()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, payload);
        QFETCH(Sent, sent);
        report(id, payload.constData());
        QCOMPARE(takeSent(), sent);
        // The same report again finds the controls where it wants them.
        report(id, payload.constData());
        QCOMPARE(takeSent(), Sent());
    }

    void reportedLevelsAreShown()
    {
        report(4, "0b8000");
        report(4, "2dc500");
        QCOMPARE(slider("horizontalSlider_recv")->value(), 128);
        QCOMPARE(text("lineEdit_recvgain"), QStringLiteral("50%"));
        QCOMPARE(slider("horizontalSlider_send")->value(), 5);
        QCOMPARE(text("lineEdit_sendgain"), QStringLiteral("-8.25"));
        // A report of the value already on show still fills an empty text field.
        cleanup();
        init();
        report(4, "2d0000");
        QCOMPARE(text("lineEdit_sendgain"), QStringLiteral("-12"));
        QCOMPARE(takeSent(), Sent());
    }

    void autoAnswerBoxSendsItsState()
    {
        auto* box = m_form->findChild<QCheckBox*>(QStringLiteral("checkBox_enable"));
        box->click();
        box->click();
        QCOMPARE(takeSent(), Sent({ "16: 01", "16: 00" }));
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
        m_form = std::make_unique<CSettingsForm>(&m_context, nullptr);
        QCOMPARE(m_form->dialNumber(3), QStringLiteral("0612345678"));
        QVERIFY(m_form->dialNumber(1).isEmpty());
    }
};

QTEST_MAIN(TestCSettingsForm)
#include "tst_csettingsform.moc"
