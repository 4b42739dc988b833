#include "CCallHistoryForm.h"
#include "CIncomingForm.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"
#include "VirtualUC20Module.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

// Calls placed and taken the way the operator does it: with the dial pad, the control bar's
// buttons and the incoming call window, on a virtual hybrid.
class TestE2eCallUi : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;

    template <typename T> T* find(const char* name) const
    {
        return m_rig->window()->findChild<T*>(QLatin1String(name));
    }
    // A window of its own, not a child of the main window.
    static CIncomingForm* incoming()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* form = qobject_cast<CIncomingForm*>(window))
                return form;
        }
        return nullptr;
    }
    QString callStatus() const { return find<QLabel>("label_callstatus")->text(); }
    QString shownNumber() const { return find<QLineEdit>("lineEdit_callnumber")->text(); }
    bool reaches(VOICECALL_STATE state)
    {
        CUC20* engine = m_rig->window()->context()->uc20;
        return m_rig->stepUntil([=] { return engine->callState() == state; }, 6000);
    }
    void press(const char* button) { find<QPushButton>(button)->click(); }
    int historyRows() const
    {
        return m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>()->rowCount();
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_rig->window()->show();
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
    }
    void cleanup() { m_rig.reset(); }

    void dialFromThePad()
    {
        QVERIFY(incoming() != nullptr);
        m_rig->unit()->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 2000);
        QTest::keyClicks(find<QLineEdit>("lineEdit_phonenumber"), "0612345678");
        press("pushButton_call");
        QVERIFY(reaches(VOICECALL_CALLING));
        QVERIFY(incoming()->isVisible());

        // The far end answers: the talking clock runs in red, the window is gone.
        QVERIFY(reaches(VOICECALL_ACTIVE));
        QTRY_COMPARE(callStatus(), QStringLiteral("00:00:00"));
        QVERIFY(find<QLabel>("label_callstatus")->styleSheet().contains(QStringLiteral("rgb(255, 0, 0)")));
        QVERIFY(!incoming()->isVisible());

        // Keys pressed during the call reach the far end as tones.
        press("pushButton_5");
        press("pushButton_hash");
        QVERIFY(m_rig->stepUntil([&] { return m_rig->unit()->module()->dtmfSent() == QStringLiteral("5#"); }, 2000));

        press("pushButton_endcall");
        QVERIFY(reaches(VOICECALL_IDLE));
        QCOMPARE(callStatus(), QStringLiteral("IDLE"));
        QVERIFY(m_rig->stepUntil([&] { return historyRows() == 1; }, 100));

        // Double-clicked in the history, the unknown number is offered for the phonebook, and the
        // contact made is named there at once; a known number is not offered again.
        QStringList offered;
        const auto answer = [&](QWidget* dialog) {
            offered << dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
            dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(QStringLiteral("Anna"));
            dialog->findChild<QLineEdit*>(QStringLiteral("lastname"))->setText(QStringLiteral("Alpha"));
            ModalAnswer::clickButton(dialog, QDialogButtonBox::Ok);
        };
        m_rig->window()->onActionCallHistory(true);
        auto* table = m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        const QPoint at = table->visualItemRect(table->item(0, 1)).center();
        for (int time = 0; time < 2; ++time) {
            ModalAnswer::whenShown(m_rig->window(), answer);
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        }
        QCOMPARE(offered, QStringList("0612345678"));
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Anna Alpha"));
    }

    void callerFromThePhonebook()
    {
        auto* phonebook = m_rig->window()->findChild<PhonebookForm*>();
        phonebook->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());

        // Taken with Accept: the window names her and offers both buttons.
        m_rig->unit()->ringIn(QStringLiteral("+49301234567"));
        QVERIFY(reaches(VOICECALL_INCOMING));
        QCOMPARE(incoming()->findChild<QLabel*>(QStringLiteral("label_number"))->text(), QStringLiteral("Anna Alpha"));
        QCOMPARE(shownNumber(), QStringLiteral("Anna Alpha"));
        QVERIFY(incoming()->findChild<QPushButton*>(QStringLiteral("pushButton_call"))->isVisible());
        incoming()->findChild<QPushButton*>(QStringLiteral("pushButton_call"))->click();
        QVERIFY(reaches(VOICECALL_ACTIVE));
        m_rig->unit()->farEndHangsUp();
        QVERIFY(reaches(VOICECALL_IDLE));

        // Refused with Decline: hung up, recorded as missed.
        m_rig->unit()->ringIn(QStringLiteral("0301234567"));
        QVERIFY(reaches(VOICECALL_INCOMING));
        incoming()->findChild<QPushButton*>(QStringLiteral("pushButton_endcall"))->click();
        QVERIFY(reaches(VOICECALL_IDLE));
        QVERIFY(m_rig->stepUntil([&] { return historyRows() == 2; }, 100));
        auto* table = m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        QCOMPARE(table->item(0, 0)->foreground().color(), QColor(Qt::red));

        // The call button dials the selected contact, then the selected history row.
        m_rig->window()->onActionPhonebook(true);
        phonebook->findChild<QTableView*>()->selectRow(0);
        m_rig->unit()->setOutgoingOutcome(VirtualHybridUnit::NoAnswer, 500);
        press("pushButton_call");
        QVERIFY(reaches(VOICECALL_CALLING));
        QVERIFY(m_rig->unit()->atCommandsReceived().contains(QStringLiteral("ATD0301234567;")));
        press("pushButton_endcall");
        QVERIFY(reaches(VOICECALL_IDLE));
        // Newest first: the call just made, the missed one, the one taken from the mobile number.
        m_rig->window()->onActionCallHistory(true);
        table->selectRow(2);
        press("pushButton_call");
        QVERIFY(reaches(VOICECALL_CALLING));
        QVERIFY(m_rig->unit()->atCommandsReceived().contains(QStringLiteral("ATD+49301234567;")));
    }
};

QTEST_MAIN(TestE2eCallUi)
#include "tst_e2e_callui.moc"
