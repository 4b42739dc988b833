#include "CCallHistoryForm.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

// Calls made and taken on a virtual hybrid, through the whole program, end up in the call
// history page; a caller added from there is named at once.
class TestE2eCallHistory : public QObject
{
    Q_OBJECT

private slots:
    void callsAppearInTheHistory()
    {
        VirtualHybridRig rig;
        CUC20* engine = rig.window()->context()->uc20;
        QTableWidget* table = rig.window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        auto names = [&] {
            QStringList shown;
            for (int row = 0; row < table->rowCount(); ++row) {
                const QTableWidgetItem* item = table->item(row, 0);
                shown << item->text() + (item->foreground().color() == Qt::red ? " (red)" : "");
            }
            return shown.join(QLatin1Char('|'));
        };
        auto reaches
            = [&](VOICECALL_STATE state) { return rig.pumpUntil([&] { return engine->callState() == state; }); };
        auto rows = [&](int count) { return rig.pumpUntil([&] { return table->rowCount() == count; }); };
        rig.window()->show();
        QVERIFY(rig.connectUnit());
        QVERIFY(rig.pumpUntil([&] { return rig.window()->statusText().startsWith("Status: Connected"); }));

        // Missed, taken, and made by the studio.
        rig.unit()->ringIn(QStringLiteral("+49301234567"));
        QVERIFY(reaches(VOICECALL_INCOMING));
        rig.unit()->farEndHangsUp();
        QVERIFY(rows(1));
        rig.unit()->ringIn(QStringLiteral("0407654321"));
        QVERIFY(reaches(VOICECALL_INCOMING));
        engine->answerCall();
        QVERIFY(reaches(VOICECALL_ACTIVE));
        rig.unit()->farEndHangsUp();
        QVERIFY(rows(2));
        rig.unit()->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 1000);
        engine->call(QStringLiteral("0301234567"));
        QVERIFY(reaches(VOICECALL_ACTIVE));
        engine->endCall();
        QVERIFY(rows(3));
        QCOMPARE(names(), QStringLiteral("0301234567|0407654321|+49301234567 (red)"));

        // The missed caller is added from the history: her name shows on her call and on the
        // call to her landline, whose last nine digits are the same.
        QString preset;
        ModalAnswer::whenShown(rig.window(), [&](QWidget* dialog) {
            preset = dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
            dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(QStringLiteral("Anna"));
            dialog->findChild<QLineEdit*>(QStringLiteral("lastname"))->setText(QStringLiteral("Alpha"));
            ModalAnswer::clickButton(dialog, QDialogButtonBox::Ok);
        });
        rig.window()->onActionCallHistory(true);
        const QPoint missed = table->visualItemRect(table->item(2, 1)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, missed);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, missed);
        QCOMPARE(preset, QStringLiteral("+49301234567"));
        QCOMPARE(names(), QStringLiteral("Anna Alpha|0407654321|Anna Alpha (red)"));
    }
};

QTEST_MAIN(TestE2eCallHistory)
#include "tst_e2e_callhistory.moc"
