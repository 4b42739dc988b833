#include "CUC20.h"
#include "CUSBHID.h"
#include "DebugForm.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "VirtualCodecRegisters.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The service page on a virtual hybrid: the commands that change the unit are asked about first,
// naming a call they would drop, and the page shows what the unit and its module answer.
class TestE2eServicePage : public QObject
{
    Q_OBJECT

    template <typename T> T* find(const char* name) const { return m_page->findChild<T*>(QLatin1String(name)); }

    void click(const char* button) { find<QPushButton>(button)->click(); }

    // Places an outgoing call that the far end answers; true once it is active.
    bool callGoesOn()
    {
        m_rig->unit()->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 200);
        m_rig->window()->context()->uc20->call(QStringLiteral("+31201234567"));
        return m_rig->stepUntil(
            [this] { return m_rig->window()->context()->uc20->callState() == VOICECALL_ACTIVE; }, 5000);
    }

    QStringList answerLines() const
    {
        return find<QPlainTextEdit>("plainTextEdit_uc20_answer")->toPlainText().split('\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<VirtualHybridRig> m_rig;
    DebugForm* m_page = nullptr;

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_page = m_rig->window()->findChild<DebugForm*>();
        QVERIFY(m_page);
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
    }

    void cleanup() { m_rig.reset(); }

    void questions_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("inCall");
        QTest::addColumn<bool>("agreed");
        for (const char* button : { "pushButton_reboot", "pushButton_factory_reset", "pushButton_serial_write" }) {
            QTest::addRow("%s, no", button) << button << false << false;
            QTest::addRow("%s, yes", button) << button << false << true;
            QTest::addRow("%s in a call, no", button) << button << true << false;
            QTest::addRow("%s in a call, yes", button) << button << true << true;
        }
    }

    // Each question defaults to No; only a Yes reaches the unit.
    void questions()
    {
        QFETCH(QString, button);
        QFETCH(bool, inCall);
        QFETCH(bool, agreed);
        VirtualHybridUnit* unit = m_rig->unit();
        unit->setAutoAnswer(true); // a factory reset switches it off
        const QString serial = find<QLineEdit>("lineEdit_serial")->text();
        QVERIFY(unit->serialNumber() != serial);
        if (inCall)
            QVERIFY(callGoesOn());
        QString asked;
        bool defaultsToNo = false;
        ModalAnswer::whenShown(this, [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            asked = box->text() + '\n' + box->informativeText();
            defaultsToNo = box->defaultButton() == box->button(QMessageBox::No);
            ModalAnswer::clickButton(box, agreed ? QMessageBox::Yes : QMessageBox::No);
        });
        find<QPushButton>(qPrintable(button))->click();
        QVERIFY(defaultsToNo);
        QCOMPARE(asked.contains("call"), inCall);
        const auto done = [&] {
            if (button == "pushButton_reboot")
                return unit->isRebooting();
            if (button == "pushButton_factory_reset")
                return !unit->autoAnswer();
            return unit->serialNumber() == serial;
        };
        QCOMPARE(m_rig->stepUntil(done, 300), agreed);
    }

    // A call that begins while the question is open is named before anything is sent.
    void callBeginsWhileAsked()
    {
        QStringList asked;
        ModalAnswer::whenShown(this, [&](QWidget* first) {
            asked << static_cast<QMessageBox*>(first)->informativeText();
            QVERIFY(callGoesOn());
            ModalAnswer::whenOtherShown(this, first, [&](QWidget* second) {
                asked << static_cast<QMessageBox*>(second)->informativeText();
                ModalAnswer::clickButton(second, QMessageBox::No);
            });
            ModalAnswer::clickButton(first, QMessageBox::Yes);
        });
        click("pushButton_reboot");
        QCOMPARE(asked.size(), 2);
        QVERIFY(asked[0].isEmpty() && asked[1].contains("call"));
        m_rig->step(300);
        QVERIFY(!m_rig->unit()->isRebooting());
    }

    void moduleAnswers_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("answer"); // a piece of the line before the result code
        QTest::addColumn<QString>("result"); // the last line; a piece of it for ATI, which gets no answer
        QTest::newRow("signal") << "AT+CSQ"
                                << "+CSQ: 17,"
                                << "OK";
        QTest::newRow("IMEI, lower case") << "at+gsn" << QString() << "OK";
        QTest::newRow("unknown") << "AT+NOSUCH" << QString() << "ERROR";
        QTest::newRow("no SIM") << "AT+CPIN?" << QString() << "+CME ERROR: 10";
        QTest::newRow("silent module") << "ATI" << QString() << "no answer";
        QTest::newRow("not connected") << "ATI" << QString() << "not sent";
    }

    // The answer shows under the command, among the unit's own polling of the same module; a
    // command without an answer is told so.
    void moduleAnswers()
    {
        QFETCH(QString, command);
        QFETCH(QString, answer);
        QFETCH(QString, result);
        const bool unanswered = command == QLatin1String("ATI");
        m_rig->unit()->setSignal(17);
        m_rig->unit()->setModuleSilent(unanswered);
        if (result.startsWith("+CME"))
            m_rig->unit()->setSimLock(VirtualHybridUnit::SimMissing);
        if (command == "at+gsn")
            answer = m_rig->unit()->module()->imei();
        QTest::keyClicks(find<QLineEdit>("lineEdit_uc20_cmd"), command);
        if (unanswered) {
            if (result == QLatin1String("not sent"))
                m_rig->window()->context()->usb->stop();
            find<QTimer>("answerTimer")->setInterval(20);
            click("pushButton_write_uc20");
            QVERIFY(m_rig->pumpUntil([this] { return answerLines().size() == 2; }, 2000));
        } else {
            QTest::keyClick(find<QLineEdit>("lineEdit_uc20_cmd"), Qt::Key_Return);
            QVERIFY(m_rig->stepUntil([this] { return !answerLines().isEmpty(); }, 2000));
        }
        const QStringList lines = answerLines();
        QCOMPARE(lines.first(), "> " + command);
        QVERIFY2(unanswered ? lines.last().contains(result) : lines.last() == result, qPrintable(lines.last()));
        QCOMPARE(lines.size(), answer.isEmpty() ? 2 : 3);
        QVERIFY2(lines[1].contains(answer), qPrintable(lines.join('|')));
        QVERIFY(!find<QTimer>("answerTimer")->isActive());
    }

    void registerRead_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("value");
        QTest::newRow("EQ band 1") << 0x12 << 0x12C;
        QTest::newRow("PGA gain") << 0x2D << 0x0A5;
    }

    // The value read fills the value field, ready to be written back changed.
    void registerRead()
    {
        QFETCH(int, address);
        QFETCH(int, value);
        QVERIFY(m_rig->unit()->codec()->write(address, quint16(value)));
        value = m_rig->unit()->codecRegister(address); // as the chip keeps it
        find<QLineEdit>("lineEdit_reg")->setText(QString::number(address, 16));
        click("pushButton_read");
        QLineEdit* field = find<QLineEdit>("lineEdit_value");
        QVERIFY(m_rig->stepUntil([&] { return field->text().toInt(nullptr, 16) == value; }, 500));
        QVERIFY2(find<QLabel>("label_reg_read")->text().contains(QString::number(value, 2)),
            qPrintable(find<QLabel>("label_reg_read")->text()));
    }

    void firmwareVersion()
    {
        QLabel* label = find<QLabel>("label_firmwareVersion");
        // The version asked for at the connection is shown already; the button asks again.
        QVERIFY(label->text().endsWith(m_rig->unit()->firmwareVersionText()));
        label->clear();
        click("pushButton_getFirmwareVersion");
        QVERIFY(m_rig->stepUntil([&] { return !label->text().isEmpty(); }, 500));
        QVERIFY2(label->text().endsWith(m_rig->unit()->firmwareVersionText()), qPrintable(label->text()));
    }
};

QTEST_MAIN(TestE2eServicePage)
#include "tst_e2e_servicepage.moc"
