#include "CIncomingForm.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "ControlBar.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "ModalAnswer.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"
#include "VirtualUC20Module.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

// What the operator is told on the whole program: the SIM's tries left and a PIN of their own
// after the PUK, a withheld caller taken with Enter, and a call lost with the unit.
class TestE2eCallAlerts : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;
    CUC20* m_uc20 = nullptr;

    ControlBar* bar() const { return m_rig->window()->findChild<ControlBar*>(); }
    QString text(const char* label) const { return bar()->findChild<QLabel*>(label)->text(); }
    // Answers each code prompt with the next entry, or Cancel once they run out. A prompt that
    // counts tries is read once the module has answered every count asked for.
    void answerPrompts(QStringList entries, QStringList* labels)
    {
        ModalAnswer::whenShown(this, [=](QWidget* modal) {
            auto* dialog = qobject_cast<QInputDialog*>(modal);
            if (dialog->labelText().startsWith("Enter P"))
                m_rig->step(300);
            *labels << dialog->labelText();
            answerPrompts(entries.mid(1), labels);
            dialog->setTextValue(entries.value(0));
            ModalAnswer::clickButton(dialog, entries.isEmpty() ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok);
        });
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_uc20 = m_rig->window()->context()->uc20;
        // The bar times calls on the unit's clock.
        ManualClock* clock = m_rig->clock();
        bar()->setClock([clock] { return clock->nowMs(); });
    }

    void cleanup() { m_rig.reset(); }

    void wrongPinsThenAPinOfOnesOwn()
    {
        m_rig->unit()->setSimLock(VirtualHybridUnit::SimPinLocked);
        m_rig->unit()->setPin(QStringLiteral("4321"));
        m_rig->unit()->setPuk(QStringLiteral("87654321"));
        QStringList labels;
        answerPrompts({ "1111", "2222", "3333", "87654321", "5678", "5679", "5678", "5678" }, &labels);
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->stepUntil([&] { return m_uc20->simState() == SIM_READY; }, 20000));
        const QString choose = "Choose a new PIN of 4 to 8 digits:", again = "Enter the new PIN again:";
        QCOMPARE(labels,
            QStringList({ "Enter PIN:\n3 attempts left", "Enter PIN:\n2 attempts left", "Enter PIN:\n1 attempt left",
                "Enter PUK:\n10 attempts left", choose, again,
                choose + "\nThe two entries differed, so the PIN is asked for again.", again }));
        QVERIFY(m_rig->unit()->atCommandsReceived().contains(R"(AT+CPIN="87654321","5678")"));
        QCOMPARE(m_rig->unit()->module()->pin(), QStringLiteral("5678"));
        m_rig->step(500);
        QCOMPARE(text("label_simstatus"), QStringLiteral("READY"));
    }

    void withheldCallTakenWithEnterThenTheUnitPulledOut()
    {
        QCOMPARE(text("label_callstatus"), QStringLiteral("NO UNIT"));
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
        QCOMPARE(text("label_signal"), QStringLiteral("-73 dBm"));
        m_rig->unit()->ringIn(QString());
        QVERIFY(m_rig->reaches(VOICECALL_INCOMING));
        CIncomingForm* popUp = VirtualHybridRig::incomingWindow();
        QCOMPARE(popUp->findChild<QLabel*>("label_number")->text(), QStringLiteral("Withheld number"));
        QCOMPARE(bar()->findChild<QLineEdit*>("lineEdit_callnumber")->text(), QStringLiteral("Withheld number"));
        QTest::keyClick(popUp, Qt::Key_Space);
        m_rig->step(300);
        QVERIFY(popUp->isVisible() && m_uc20->callState() == VOICECALL_INCOMING);
        QTest::keyClick(popUp, Qt::Key_Return);
        QVERIFY(m_rig->reaches(VOICECALL_ACTIVE));

        m_rig->step(3000);
        m_rig->unit()->unplug();
        QVERIFY(m_rig->stepUntil([&] { return !m_rig->window()->context()->usb->isConnected(); }, 100));
        QCOMPARE(text("label_callstatus"), QStringLiteral("LINE LOST 00:03"));
        bar()->findChild<QTimer*>("endNoticeTimer")->start(0);
        QTRY_COMPARE(text("label_callstatus"), QStringLiteral("NO UNIT"));
        QCOMPARE(text("label_simstatus") + text("label_signal"), QString(2, QChar(0x2014)));
        QVERIFY(!bar()->findChild<QPushButton*>("pushButton_call")->isEnabled());
    }
};

QTEST_MAIN(TestE2eCallAlerts)
#include "tst_e2e_callalerts.moc"
