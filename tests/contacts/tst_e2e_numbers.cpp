#include "CSettingsForm.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "PhonebookForm.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

// Numbers as people write them, on a virtual hybrid whose module refuses separators the way a
// strict module does: the dial pad and the phonebook send the bare dial string and the call
// goes out, while the number shown stays as typed.
class TestE2eNumbers : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_rig = std::make_unique<VirtualHybridRig>(); }
    void cleanup() { m_rig.reset(); }

    void dialled_data()
    {
        QTest::addColumn<bool>("fromPhonebook"); // false: typed on the dial pad
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("command");

        QTest::newRow("pad, spaced") << false << "06 1234 5678" << "ATD0612345678;";
        QTest::newRow("pad, written out") << false << "+31 (6) 1234-56.78" << "ATD+31612345678;";
        QTest::newRow("phonebook, spaced") << true << "020 123 45 67" << "ATD0201234567;";
        QTest::newRow("phonebook, dashes") << true << "+49-30-1234567" << "ATD+49301234567;";
    }

    void dialled()
    {
        QFETCH(bool, fromPhonebook);
        QFETCH(QString, number);
        QFETCH(QString, command);
        MainWindow* window = m_rig->window();
        window->show();
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
        m_rig->unit()->setOutgoingOutcome(VirtualHybridUnit::NoAnswer, 500);
        if (fromPhonebook) {
            auto* phonebook = window->findChild<PhonebookForm*>();
            phonebook->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), number, QString());
            window->onActionPhonebook(true);
            phonebook->findChild<QTableView*>()->selectRow(0);
        } else {
            QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("lineEdit_phonenumber")), number);
        }
        window->findChild<QPushButton*>(QStringLiteral("pushButton_call"))->click();
        CUC20* uc20 = window->context()->uc20;
        QVERIFY(m_rig->stepUntil([&] { return uc20->callState() == VOICECALL_CALLING; }, 5000));
        QVERIFY(m_rig->unit()->atCommandsReceived().contains(command));
        if (!fromPhonebook)
            QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("lineEdit_phonenumber"))->text(), number);
    }

    // The caller is named by the number as meant, with the home country chosen on the settings
    // page: a contact written nationally is found for the international spelling, and a foreign
    // number with the same last nine digits is not taken for it.
    void callerNamed_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown"); // for a call from +31612345678
        QTest::newRow("national, spaced") << "06 1234 5678" << "Anna Alpha";
        QTest::newRow("same last nine digits, another country") << "+41 61 234 56 78" << "+31612345678";
    }

    void callerNamed()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        MainWindow* window = m_rig->window();
        window->show();
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
        auto* countries = window->findChild<CSettingsForm*>()->findChild<QComboBox*>(QStringLiteral("comboBox_homeCountry"));
        const int netherlands = countries->findData(QStringLiteral("NL"));
        QVERIFY(netherlands > 0);
        countries->setCurrentIndex(netherlands);
        emit countries->activated(netherlands);
        window->findChild<PhonebookForm*>()->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), stored, QString());
        m_rig->unit()->ringIn(QStringLiteral("+31612345678"));
        CUC20* uc20 = window->context()->uc20;
        QVERIFY(m_rig->stepUntil([&] { return uc20->callState() == VOICECALL_INCOMING; }, 5000));
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("lineEdit_callnumber"))->text(), shown);
    }

private:
    std::unique_ptr<VirtualHybridRig> m_rig;
};

QTEST_MAIN(TestE2eNumbers)
#include "tst_e2e_numbers.moc"
