#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CIncomingForm.h"
#include "CNau8810.h"
#include "CSMSForm.h"
#include "CSettingsForm.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "ControlBar.h"
#include "InfoForm.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"
#include "VirtualUC20Module.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

// The whole program against a virtual hybrid: the module engine learns everything from the unit's
// module through the USB frames, as it would from a real one, and the operator works as usual.
class TestE2eGsm : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_uc20 = m_rig->window()->context()->uc20;
        m_calls.clear();
        connect(m_uc20, &CUC20::voicecallStateChange, this, [this](VOICECALL_STATE state, const QString& number) {
            const char* const names[] = { "idle", "calling", "incoming", "active" };
            m_calls << QStringLiteral("%1 %2").arg(QLatin1String(names[state]), number).trimmed();
        });
    }

    void cleanup() { m_rig.reset(); }

    void calls_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name"); // listed with the call by the module

        // From 14 characters on, the call list line no longer fits in one frame.
        for (const char* number : { "+441234567890", "+4915112345678", "+49151123456789", "+4915112345678901234" })
            QTest::addRow("%d characters", int(strlen(number))) << number << QString();
        QTest::newRow("with a name") << "+4915112345678" << QString("Funkhaus, Studio 3");
    }

    void calls()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QVERIFY(connectAndSettle(1000));
        m_uc20->sendATCmd(QStringLiteral("AT+QTONEDET=1"));
        QVERIFY(answers(number, name));
        // The caller's 0 flashes the window.
        QTimer* flash = m_rig->window()->findChild<QTimer*>(QStringLiteral("backlightTimer"));
        m_rig->unit()->callerPressesKey('0');
        QVERIFY(m_rig->stepUntil([&] { return flash->isActive(); }, 2000));
        m_rig->unit()->farEndHangsUp();
        QVERIFY(reaches(VOICECALL_IDLE));
        QCOMPARE(m_calls, QStringList({ "incoming " + number, "active " + number, "idle" }));
        QCOMPARE(recorded().size(), 1);
        QVERIFY(recorded().first().startsWith(number + " 0 "));
    }

    void cableOutDuringACall()
    {
        // The register and the bar measure talk time on the unit's clock.
        ManualClock* clock = m_rig->clock();
        m_rig->window()->findChild<CCallRegistration*>()->setClock(
            [] { return QDateTime::currentDateTime(); }, [clock] { return clock->nowMs(); });
        m_rig->window()->findChild<ControlBar*>()->setClock([clock] { return clock->nowMs(); });
        // Auto-connect finds the unit and makes the requests of a connection, which the unit answers:
        // the register report reaches the codec model, and the serial number the information page.
        MainWindow* window = m_rig->window();
        const QString connected = QStringLiteral("Status: Connected [Orvane Parlona, Firmware: v2.1.0.7]");
        const QList<int> requests { 0, 1, 2, 8, 12, 14, 16, 5 };
        const auto* serial = window->findChild<InfoForm*>()->findChild<QLineEdit*>(QStringLiteral("lineEdit_serial"));
        m_rig->action("actionAutoConnect")->trigger();
        QVERIFY(m_rig->pumpUntil([&] {
            return window->statusText() == connected && window->context()->nau8810->isRegisterKnown(79)
                && serial->text() == m_rig->serial;
        }));
        QCOMPARE(m_rig->unit()->readRequestsReceived(), requests);
        QCOMPARE(m_rig->unit()->badFramesReceived(), 0);
        m_rig->step(1000);
        QCOMPARE(find<QLabel>("label_signal")->text(), QStringLiteral("-73 dBm"));
        // A withheld caller, taken with Enter in the incoming-call window.
        m_rig->unit()->ringIn(QString());
        QVERIFY(reaches(VOICECALL_INCOMING));
        QCOMPARE(incoming()->findChild<QLabel*>("label_number")->text(), QStringLiteral("Withheld number"));
        QTest::keyClick(incoming(), Qt::Key_Return);
        QVERIFY(reaches(VOICECALL_ACTIVE));
        const qint64 answered = clock->nowMs();
        m_rig->step(10000);

        // The cable is pulled: the call ends there, is shown lost and is recorded with the 10 s talked.
        m_rig->unit()->unplug();
        QVERIFY(m_rig->stepUntil([&] { return !window->context()->usb->isConnected(); }, 100));
        QCOMPARE(window->statusText(), QStringLiteral("Status: Disconnected"));
        QCOMPARE(find<QLabel>("label_callstatus")->text(), QStringLiteral("LINE LOST 00:10"));
        const qint64 talked = clock->nowMs() - answered;
        QVERIFY(talked >= 10000 && talked < 10100);
        QCOMPARE(recorded(), QStringList(QStringLiteral(" 0 %1").arg(talked)));

        // Plugged in again ten minutes later, it is connected again; the module's first answers are
        // understood whole, and nothing more is recorded.
        clock->advance(10 * 60 * 1000);
        QSignalSpy sim(m_uc20, &CUC20::simStateChange);
        m_rig->unit()->plug();
        QVERIFY(m_rig->pumpUntil([&] { return window->statusText() == connected && !sim.isEmpty(); }));
        QCOMPARE(m_rig->unit()->readRequestsReceived(), requests + requests);
        QCOMPARE(m_uc20->simState(), SIM_READY);
        m_rig->step(1000);
        QCOMPARE(recorded().size(), 1);
        QCOMPARE(m_calls, QStringList({ "incoming", "active", "idle" }));
    }

    void textSentAtThePrompt()
    {
        QVERIFY(connectAndSettle());
        QSignalSpy info(console(), &CConsole::info);
        const int first = m_rig->unit()->atCommandsReceived().size();
        QTest::keyClicks(smsNumber(), "0612345678");
        sendText();
        QVERIFY(smsPage()->isWaitingForPrompt());
        QVERIFY(m_rig->stepUntil([&] { return !m_rig->unit()->module()->sentMessages().isEmpty(); }, 2000));
        const VirtualUC20Module::SentMessage message = m_rig->unit()->module()->sentMessages().first();
        QCOMPARE(message.destination, QStringLiteral("0612345678"));
        QCOMPARE(message.text, QStringLiteral("Dit is een test SMS"));
        QCOMPARE(commandsSince(first),
            QStringList({ "AT+CMGF=1", "AT+CSCS=\"GSM\"", "AT+CMGS=\"0612345678\"",
                QStringLiteral("Dit is een test SMS") + QChar(0x1A) }));
        QVERIFY(m_rig->stepUntil([&] { return !info.isEmpty(); }, 1000));
        QVERIFY(info.last().first().toString().startsWith(QLatin1String("Text message sent, reference ")));
        QVERIFY(!smsPage()->isWaitingForPrompt());
    }

    void textNotSent_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("unit");      // 0: none connected, 1: connected, 2: connected without a SIM
        QTest::addColumn<int>("commands");  // sent to the module
        QTest::addColumn<QString>("error"); // on the console, after "Test message not sent: "
        const QString noNumber = QStringLiteral("enter the number to send it to");
        QTest::newRow("empty number") << QString() << 1 << 0 << noNumber;
        QTest::newRow("not a number") << QStringLiteral("0612;ATH") << 1 << 0 << noNumber;
        QTest::newRow("not connected") << QStringLiteral("0612345678") << 0 << 0 << "no Parlona connected";
        // Without a SIM the module refuses the message and never prompts.
        QTest::newRow("no prompt") << QStringLiteral("0612345678") << 2 << 3
                                   << "the GSM module did not ask for the text within 0.1 s";
    }

    void textNotSent()
    {
        QFETCH(QString, destination);
        QFETCH(int, unit);
        QFETCH(int, commands);
        QVERIFY(unit == 0 || connectAndSettle());
        if (unit == 2) {
            m_rig->unit()->setSimLock(VirtualHybridUnit::SimMissing);
            m_rig->step(500);
        }
        QSignalSpy errors(console(), &CConsole::error);
        smsNumber()->setText(destination);
        smsPage()->findChild<QTimer*>(QStringLiteral("promptTimer"))->setInterval(100);
        const int first = m_rig->unit()->atCommandsReceived().size();
        sendText();
        QVERIFY(m_rig->pumpUntil([&] { return !smsPage()->isWaitingForPrompt(); }, 3000));
        m_rig->step(200);
        QCOMPARE(errors.size(), 1);
        QFETCH(QString, error);
        QCOMPARE(errors.first().first().toString(), "Test message not sent: " + error);
        QCOMPARE(commandsSince(first).size(), commands);
        QVERIFY(!smsPage()->isWaitingForPrompt());
        // A prompt that still comes is dropped, so that later commands are not taken for the text.
        emit m_uc20->messagePrompt();
        m_rig->step(100);
        QCOMPARE(commandsSince(first).mid(commands), commands > 0 ? QStringList(QString(QChar(0x1B))) : QStringList());
        QVERIFY(m_rig->unit()->module()->sentMessages().isEmpty());
    }

    void dialFromThePad()
    {
        m_rig->window()->show();
        QVERIFY(connectAndSettle());
        QVERIFY(incoming() != nullptr);
        m_rig->unit()->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 2000);
        // Typed as people write it: the bare dial string goes out, the number shown stays as typed.
        QTest::keyClicks(find<QLineEdit>("lineEdit_phonenumber"), "06 1234 5678");
        press("pushButton_call");
        QVERIFY(reaches(VOICECALL_CALLING));
        QVERIFY(m_rig->unit()->atCommandsReceived().contains(QStringLiteral("ATD0612345678;")));
        QCOMPARE(find<QLineEdit>("lineEdit_phonenumber")->text(), QStringLiteral("06 1234 5678"));
        QVERIFY(incoming()->isVisible());

        // The far end answers: the talking clock runs in red, the window is gone.
        QVERIFY(reaches(VOICECALL_ACTIVE));
        QLabel* status = find<QLabel>("label_callstatus");
        QTRY_COMPARE(status->text(), QStringLiteral("00:00:00"));
        QVERIFY(status->styleSheet().contains(QStringLiteral("rgb(255, 0, 0)")));
        QVERIFY(!incoming()->isVisible());

        // Keys pressed during the call reach the far end as tones.
        press("pushButton_5");
        press("pushButton_hash");
        QVERIFY(m_rig->stepUntil([&] { return m_rig->unit()->module()->dtmfSent() == QStringLiteral("5#"); }, 2000));

        press("pushButton_endcall");
        QVERIFY(reaches(VOICECALL_IDLE));
        QCOMPARE(status->text(), QStringLiteral("CALL ENDED 00:00"));
        QVERIFY(m_rig->stepUntil([&] { return history()->rowCount() == 1; }, 100));

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
        QTableWidget* table = history();
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
        m_rig->window()->show();
        QVERIFY(connectAndSettle());
        auto* phonebook = m_rig->window()->findChild<PhonebookForm*>();
        phonebook->addContact(
            QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("030-123 45 67"), QString());

        // Taken with Accept: the window names her and offers both buttons.
        m_rig->unit()->ringIn(QStringLiteral("+49301234567"));
        QVERIFY(reaches(VOICECALL_INCOMING));
        QCOMPARE(incoming()->findChild<QLabel*>(QStringLiteral("label_number"))->text(), QStringLiteral("Anna Alpha"));
        QCOMPARE(find<QLineEdit>("lineEdit_callnumber")->text(), QStringLiteral("Anna Alpha"));
        QVERIFY(incoming()->findChild<QPushButton*>(QStringLiteral("pushButton_call"))->isVisible());
        incoming()->findChild<QPushButton*>(QStringLiteral("pushButton_call"))->click();
        QVERIFY(reaches(VOICECALL_ACTIVE));
        m_rig->unit()->farEndHangsUp();
        QVERIFY(reaches(VOICECALL_IDLE));

        // Refused with Decline: hung up, recorded as missed, and shown as declined, not in red.
        m_rig->unit()->ringIn(QStringLiteral("0301234567"));
        QVERIFY(reaches(VOICECALL_INCOMING));
        incoming()->findChild<QPushButton*>(QStringLiteral("pushButton_endcall"))->click();
        QVERIFY(reaches(VOICECALL_IDLE));
        QVERIFY(m_rig->stepUntil([&] { return history()->rowCount() == 2; }, 100));
        QCOMPARE(history()->item(0, 0)->text(), QStringLiteral("Anna Alpha \u2013 declined"));

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
        history()->selectRow(2);
        press("pushButton_call");
        QVERIFY(reaches(VOICECALL_CALLING));
        QVERIFY(m_rig->unit()->atCommandsReceived().contains(QStringLiteral("ATD+49301234567;")));
    }

    // At start-up the unit identifies itself and asks for the PIN: three wrong ones, the PUK and a
    // PIN of the operator's own, typed twice (the first time differently).
    void startUpWithWrongPinsThenAPinOfOnesOwn()
    {
        m_rig->unit()->setSimLock(VirtualHybridUnit::SimPinLocked);
        m_rig->unit()->setPin(QStringLiteral("4321"));
        m_rig->unit()->setPuk(QStringLiteral("87654321"));
        QStringList identification; // each reported once, with the unit's answer
        for (auto signal : { &CUC20::manufacturerIdentification, &CUC20::modelIdentification, &CUC20::IMEIIdentify })
            connect(m_uc20, signal, this, [&](const QString& text) { identification << text; });
        QStringList labels;
        answerPrompts({ "1111", "2222", "3333", "87654321", "5678", "5679", "5678", "5678" }, &labels);
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->stepUntil([&] { return m_uc20->simState() == SIM_READY; }, 20000));
        const QStringList startup { "AT+CPIN?", "ATI", "AT+QCFG=\"amrcodec\"", "AT+GMI", "AT+GMM", "AT+GMR", "AT+GSN" };
        QCOMPARE(commandsSince(0).mid(0, startup.size()), startup);
        const QString choose = "Choose a new PIN of 4 to 8 digits:", again = "Enter the new PIN again:";
        QCOMPARE(labels,
            QStringList({ "Enter PIN:\n3 attempts left", "Enter PIN:\n2 attempts left", "Enter PIN:\n1 attempt left",
                "Enter PUK:\n10 attempts left", choose, again,
                choose + "\nThe two entries differed, so the PIN is asked for again.", again }));
        QCOMPARE(m_rig->unit()->module()->pin(), QStringLiteral("5678"));
        m_rig->step(1000);
        QCOMPARE(identification, QStringList({ "Quectel", "UC20", m_rig->unit()->module()->imei() }));
        // Login asks the SIM again and finds it ready.
        const int first = m_rig->unit()->atCommandsReceived().size();
        press("pushButton_simlogin");
        m_rig->step(500);
        QCOMPARE(commandsSince(first).filter("AT+CPIN?").size(), 1);
        QCOMPARE(find<QLabel>("label_simstatus")->text(), QStringLiteral("READY"));
    }

    // The caller is named by the number as meant, with the home country chosen on the settings
    // page: a contact written nationally is found for the international spelling, and a foreign
    // number with the same last nine digits is not taken for it.
    void callerNamed_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown"); // for a call from +31612345678
        QTest::newRow("national, spaced") << "06 1234 5678" << QString("Anna Alpha");
        QTest::newRow("same last nine digits, another country") << "+41 61 234 56 78" << QString("+31612345678");
    }

    void callerNamed()
    {
        QFETCH(QString, stored);
        QVERIFY(connectAndSettle());
        auto* countries = m_rig->window()->findChild<CSettingsForm*>()->findChild<QComboBox*>("comboBox_homeCountry");
        const int netherlands = countries->findData(QStringLiteral("NL"));
        QVERIFY(netherlands > 0);
        countries->setCurrentIndex(netherlands);
        emit countries->activated(netherlands);
        m_rig->window()->findChild<PhonebookForm*>()->addContact(
            QStringLiteral("Anna"), QStringLiteral("Alpha"), stored, {});
        m_rig->unit()->ringIn(QStringLiteral("+31612345678"));
        QVERIFY(reaches(VOICECALL_INCOMING));
        QTEST(find<QLineEdit>("lineEdit_callnumber")->text(), "shown");
    }

    // A module that stops answering while the unit stays connected and the caller stays on the
    // line. The clocks are the unit's, and the silence check is run by hand, so that the times
    // are exact: answered at 0, a window stalled from 2 s to 5 s, then 10 s of silence.
    void silenceInATalkedCall_data()
    {
        QTest::addColumn<QString>("during"); // what happens while the module is silent
        QTest::addColumn<QString>("said");   // on the console at the end

        // Talked: the whole call; up to the last line before the silence; up to the hang-up.
        QTest::newRow("the call goes on") << QString("nothing") << "Call with 0612345678 ended after 00:";
        QTest::newRow("the caller hangs up")
            << QString("caller hangs up") << "ended after 00:05, while the GSM module was not answering";
        QTest::newRow("the operator hangs up") << QString("operator hangs up") << "by us";
    }

    void silenceInATalkedCall()
    {
        QFETCH(QString, during);
        QFETCH(QString, said);
        ManualClock* clock = m_rig->clock();
        m_uc20->setClock([clock] { return clock->nowMs(); });
        m_uc20->setSilenceTimeout(1000);
        m_rig->window()->findChild<CCallRegistration*>()->setClock(
            [] { return QDateTime::currentDateTime(); }, [clock] { return clock->nowMs(); });
        QVERIFY(connectAndSettle(1000));
        QVERIFY(answers(QStringLiteral("0612345678")));
        const qint64 answered = clock->nowMs();
        m_rig->step(2000 - 1);
        QSignalSpy silence(m_uc20, &CUC20::moduleSilenceChanged);

        // A window that stalls for 3 s reads nothing meanwhile; the module spoke all along.
        clock->advance(3000);
        checkSilence();
        QVERIFY(silence.isEmpty());
        m_rig->step(1);
        const qint64 lastLine = lastModuleLine();
        m_rig->unit()->setModuleSilent(true);
        m_rig->step(1500);
        checkSilence();
        QCOMPARE(silence.size(), 1);
        QVERIFY(qAbs(silence.first().at(1).toLongLong() - (clock->nowMs() - lastLine)) <= 10);
        QCOMPARE(m_uc20->callState(), VOICECALL_ACTIVE);
        QCOMPARE(m_rig->window()->statusText(), QStringLiteral("Status: Connected [GSM module not answering]"));
        m_rig->step(10000 - 1500);

        if (during == QLatin1String("caller hangs up"))
            m_rig->unit()->farEndHangsUp();
        qint64 talkedMs = clock->nowMs() - answered;
        if (during == QLatin1String("operator hangs up")) {
            press("pushButton_endcall");
            QCOMPARE(m_uc20->callState(), VOICECALL_IDLE);
        }
        m_rig->unit()->setModuleSilent(false);
        QVERIFY(m_rig->stepUntil([&] { return !m_uc20->isModuleSilent(); }, 1000));
        m_rig->step(600); // a call list or two
        if (during == QLatin1String("nothing")) {
            QCOMPARE(m_uc20->callState(), VOICECALL_ACTIVE);
            m_rig->unit()->farEndHangsUp();
            QVERIFY(reaches(VOICECALL_IDLE));
            talkedMs = clock->nowMs() - answered;
        } else if (during == QLatin1String("caller hangs up")) {
            talkedMs = lastLine - answered;
        }
        QCOMPARE(m_uc20->callState(), VOICECALL_IDLE);
        // One call, one row, the talk clock never restarted.
        const QStringList rows = recorded();
        QCOMPARE(rows.size(), 1);
        const qint64 recordedMs = rows.first().section(QLatin1Char(' '), 2).toLongLong();
        QVERIFY2(qAbs(recordedMs - talkedMs) <= 250, qPrintable(rows.first() + " / " + QString::number(talkedMs)));
        QCOMPARE(m_calls, QStringList({ "incoming 0612345678", "active 0612345678", "idle" }));
        QVERIFY2(console()->plainText().contains(said), qPrintable(console()->plainText().right(400)));
        QCOMPARE(console()->plainText().count(QLatin1String("The GSM module answers again")), 1);
    }

private:
    // Connects the unit and lets the module settle.
    bool connectAndSettle(int ms = 1500)
    {
        const bool connected = m_rig->connectUnit();
        m_rig->step(ms);
        return connected;
    }

    bool reaches(VOICECALL_STATE state) { return m_rig->reaches(state); }

    // Rings the unit and answers the call; true once it is active.
    bool answers(const QString& number, const QString& name = QString())
    {
        m_rig->unit()->ringIn(number, name);
        if (!reaches(VOICECALL_INCOMING))
            return false;
        m_uc20->answerCall();
        return reaches(VOICECALL_ACTIVE);
    }

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

    // The call register's rows: "number type duration".
    QStringList recorded()
    {
        QStringList rows;
        QSqlQuery query = m_rig->window()->context()->database->query(QStringLiteral(
            "SELECT phone_number || ' ' || call_type || ' ' || duration FROM call_register ORDER BY id"));
        while (query.next())
            rows << query.value(0).toString();
        return rows;
    }

    // Runs the module's silence check now, as its timer would.
    void checkSilence()
    {
        QMetaObject::invokeMethod(m_rig->window()->findChild<QTimer*>(QStringLiteral("silenceTimer")), "timeout");
    }
    // When the engine last heard the module, on the unit's clock: steps until a line arrives.
    qint64 lastModuleLine()
    {
        QSignalSpy lines(m_rig->window()->context()->usb, &CUSBHID::dataAvailable);
        qint64 heard = -1;
        while (heard < 0) {
            m_rig->step(1);
            for (const QList<QVariant>& frame : lines) {
                if (frame.first().toInt() == 3)
                    heard = m_rig->clock()->nowMs();
            }
            lines.clear();
        }
        return heard;
    }
    CSMSForm* smsPage() const { return m_rig->window()->findChild<CSMSForm*>(); }
    QLineEdit* smsNumber() const { return smsPage()->findChild<QLineEdit*>(QStringLiteral("lineEdit_number")); }
    void sendText() { smsPage()->findChild<QPushButton*>(QStringLiteral("pushButton"))->click(); }
    CConsole* console() const { return m_rig->window()->context()->console; }
    template <typename T> T* find(const char* name) const
    {
        return m_rig->window()->findChild<T*>(QLatin1String(name));
    }
    void press(const char* button) { find<QPushButton>(button)->click(); }
    static CIncomingForm* incoming() { return VirtualHybridRig::incomingWindow(); }
    QTableWidget* history() const
    {
        return m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
    }
    QStringList commandsSince(int first) const { return m_rig->unit()->atCommandsReceived().mid(first); }

    std::unique_ptr<VirtualHybridRig> m_rig;
    CUC20* m_uc20 = nullptr;
    QStringList m_calls; // every call state change reported: "incoming +31201234567"
};

QTEST_MAIN(TestE2eGsm)
#include "tst_e2e_gsm.moc"
