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
        auto doubleClick = [&](int row) {
            const QPoint at = table->visualItemRect(table->item(row, 1)).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        };
        QStringList offered;
        ModalAnswer::whenShown(rig.window(), [&](QWidget* dialog) {
            offered << dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
            dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(QStringLiteral("Anna"));
            dialog->findChild<QLineEdit*>(QStringLiteral("lastname"))->setText(QStringLiteral("Alpha"));
            ModalAnswer::clickButton(dialog, QDialogButtonBox::Ok);
        });
        rig.window()->onActionCallHistory(true);
        doubleClick(2);
        QCOMPARE(offered, QStringList("+49301234567"));
        QCOMPARE(names(), QStringLiteral("Anna Alpha|0407654321|Anna Alpha (red)"));
        // A known caller is not offered again.
        ModalAnswer::whenShown(rig.window(), [&](QWidget* dialog) {
            offered << QString();
            ModalAnswer::clickButton(dialog, QDialogButtonBox::Cancel);
        });
        doubleClick(0);
        QCOMPARE(offered.size(), 1);
    }
};

QTEST_MAIN(TestE2eCallHistory)
#include "tst_e2e_callhistory.moc"
