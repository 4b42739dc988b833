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

// A caller added to the phonebook from the call history, on a virtual hybrid, is named there at once.
class TestE2eCallHistory : public QObject
{
    Q_OBJECT

private slots:
    void addCallerFromTheHistory()
    {
        VirtualHybridRig rig;
        CUC20* engine = rig.window()->context()->uc20;
        QTableWidget* table = rig.window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        rig.window()->show();
        QVERIFY(rig.connectUnit());
        QVERIFY(rig.pumpUntil([&] { return rig.window()->statusText().startsWith("Status: Connected"); }));
        rig.unit()->ringIn(QStringLiteral("+49301234567"));
        QVERIFY(rig.pumpUntil([&] { return engine->callState() == VOICECALL_INCOMING; }));
        rig.unit()->farEndHangsUp();
        QVERIFY(rig.pumpUntil([&] { return table->rowCount() == 1; }));

        QStringList offered;
        const auto answer = [&](QWidget* dialog) {
            offered << dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
            dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(QStringLiteral("Anna"));
            dialog->findChild<QLineEdit*>(QStringLiteral("lastname"))->setText(QStringLiteral("Alpha"));
            ModalAnswer::clickButton(dialog, QDialogButtonBox::Ok);
        };
        ModalAnswer::whenShown(rig.window(), answer);
        rig.window()->onActionCallHistory(true);
        const QPoint at = table->visualItemRect(table->item(0, 1)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(offered, QStringList("+49301234567"));
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Anna Alpha"));
        ModalAnswer::whenShown(rig.window(), answer); // a known caller is not offered again
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(offered.size(), 1);
    }
};

QTEST_MAIN(TestE2eCallHistory)
#include "tst_e2e_callhistory.moc"
