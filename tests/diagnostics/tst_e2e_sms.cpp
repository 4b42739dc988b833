#include "CConsole.h"
#include "CSMSForm.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"
#include "VirtualUC20Module.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The text message test page on a virtual hybrid: the text waits for the module's prompt.
class TestE2eSms : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;
    CSMSForm* page() const { return m_rig->window()->findChild<CSMSForm*>(); }
    QLineEdit* number() const { return page()->findChild<QLineEdit*>(QStringLiteral("lineEdit_number")); }
    void send() { page()->findChild<QPushButton*>(QStringLiteral("pushButton"))->click(); }
    CConsole* console() const { return m_rig->window()->context()->console; }
    VirtualHybridUnit* unit() const { return m_rig->unit(); }
    QStringList commandsSince(int first) const { return unit()->atCommandsReceived().mid(first); }

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
    }
    void cleanup() { m_rig.reset(); }

    void sendsTheTextAtThePrompt()
    {
        QSignalSpy info(console(), &CConsole::info);
        const int first = unit()->atCommandsReceived().size();
        QTest::keyClicks(number(), "0612345678");
        send();
        QVERIFY(page()->isWaitingForPrompt());
        QVERIFY(m_rig->stepUntil([&] { return !unit()->module()->sentMessages().isEmpty(); }, 2000));
        const VirtualUC20Module::SentMessage message = unit()->module()->sentMessages().first();
        QCOMPARE(message.destination, QStringLiteral("0612345678"));
        QCOMPARE(message.text, QStringLiteral("Dit is een test SMS"));
        QCOMPARE(commandsSince(first),
            QStringList({ "AT+CMGF=1", "AT+CSCS=\"GSM\"", "AT+CMGS=\"0612345678\"",
                QStringLiteral("Dit is een test SMS") + QChar(0x1A) }));
        QVERIFY(m_rig->stepUntil([&] { return !info.isEmpty(); }, 1000));
        QVERIFY(info.last().first().toString().startsWith(QLatin1String("Text message sent, reference ")));
        QVERIFY(!page()->isWaitingForPrompt());
    }

    void givesUpWithoutAPrompt()
    {
        // Without a SIM the module refuses the message and never prompts.
        unit()->setSimLock(VirtualHybridUnit::SimMissing);
        m_rig->step(500);
        QSignalSpy errors(console(), &CConsole::error);
        number()->setText(QStringLiteral("0612345678"));
        page()->findChild<QTimer*>(QStringLiteral("promptTimer"))->setInterval(100);
        const int first = unit()->atCommandsReceived().size();
        send();
        QVERIFY(m_rig->pumpUntil([&] { return !page()->isWaitingForPrompt(); }, 3000));
        m_rig->step(100);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().toString(),
            QStringLiteral("Test message not sent: the GSM module did not ask for the text within 0.1 s"));
        QCOMPARE(commandsSince(first).size(), 3);
        // A prompt that still comes is dropped, so that later commands are not taken for the text.
        emit m_rig->window()->context()->uc20->messagePrompt();
        m_rig->step(100);
        QCOMPARE(commandsSince(first).last(), QString(QChar(0x1B)));
        QVERIFY(unit()->module()->sentMessages().isEmpty());
    }

    void refusesWithoutAUnitOrANumber_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("connected");
        QTest::newRow("empty number") << QString() << true;
        QTest::newRow("not a number") << QStringLiteral("0612;ATH") << true;
        QTest::newRow("not connected") << QStringLiteral("0612345678") << false;
    }

    void refusesWithoutAUnitOrANumber()
    {
        QFETCH(QString, destination);
        QFETCH(bool, connected);
        if (!connected)
            unit()->unplug();
        m_rig->step(50);
        QSignalSpy errors(console(), &CConsole::error);
        const int first = unit()->atCommandsReceived().size();
        number()->setText(destination);
        send();
        m_rig->step(200);
        QCOMPARE(errors.size(), 1);
        QVERIFY(commandsSince(first).isEmpty());
        QVERIFY(!page()->isWaitingForPrompt());
    }
};

QTEST_MAIN(TestE2eSms)
#include "tst_e2e_sms.moc"
