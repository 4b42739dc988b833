#include "AppContext.h"
#include "CDatabase.h"
#include "ContactsTable.h"
#include "ControlBar.h"
#include "ModalAnswer.h"
#include "Uc20TestRig.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString simReadyStyle
    = R"(background-color: rgb(0,170, 0); border: 2px solid grey; color: rgb(255, 255, 255); font: 75 8pt "MS Shell Dlg 2"; font-weight: bold;)";
const QString simNotReadyStyle
    = R"(background-color: rgb(170,0, 0); border: 2px solid grey; color: rgb(255, 255, 255); font: 75 8pt "MS Shell Dlg 2"; font-weight: bold;)";
const QString idleStyle
    = R"(background-color: rgb(0, 170, 0); border: 2px solid grey; color: rgb(255, 255, 255); font: 75 8pt "MS Shell Dlg 2"; font-weight: bold;)";
const QString callingA
    = R"(background-color: rgb(255, 140, 0); border: 2px solid grey; color: rgb(255, 255, 255); font: 75 8pt "MS Shell Dlg 2"; font-weight: bold;)";
const QString callingB
    = R"(background-color: rgb(255, 255, 255); border: 2px solid grey; color: rgb(255, 140, 0); font: 75 8pt "MS Shell Dlg 2"; font-weight: bold;)";
const QString incomingA = idleStyle;
const QString incomingB
    = R"(background-color: rgb(255, 255, 255); border: 2px solid grey; color: rgb(0, 170, 0); font: 75 8pt "MS Shell Dlg 2"; font-weight: bold;)";
const QString activeStyle
    = R"(background-color: rgb(255, 0, 0); border: 2px solid grey; color: rgb(255, 255, 255); font: 75 8pt "MS Shell Dlg 2"; font-weight: bold;)";
const QString hdGrey = QStringLiteral("image: url(:/resources/png/hdgrey180.png);");
const QString hdBlue = QStringLiteral("image: url(:/resources/png/hdblue.png);");
const QString cancel = QStringLiteral("<Cancel>");
const qint64 hour = 3600000;

} // namespace

class TestControlBar : public QObject
{
    Q_OBJECT

    std::unique_ptr<Uc20TestRig> m_rig;
    std::unique_ptr<CConsole> m_console;
    std::unique_ptr<ControlBar> m_bar;
    AppContext m_context;
    QStringList m_info;
    qint64 m_now = 0;

    QString text(const char* name) const
    {
        if (auto* label = m_bar->findChild<QLabel*>(QLatin1String(name)))
            return label->text();
        return m_bar->findChild<QLineEdit*>(QLatin1String(name))->text();
    }
    QString style(const char* name) const { return m_bar->findChild<QWidget*>(QLatin1String(name))->styleSheet(); }
    bool running(const char* timer) const { return m_bar->findChild<QTimer*>(QLatin1String(timer))->isActive(); }
    // Puts the engine into a call state the way the module reports it: dialled (stat 2), ringing
    // (stat 4) or talking (stat 0), each from an empty call list.
    void engineState(int state)
    {
        const char* const stat[] = { "", "0,2", "1,4", "1,0" }; // direction, call state
        m_rig->receive({ "AT+CLCC", "OK", "AT+CLCC" });
        if (state != VOICECALL_IDLE)
            m_rig->receive({ QString(R"(+CLCC: 1,%1,0,0,"030",129)").arg(stat[state]) });
        m_rig->receive({ "OK" });
        m_rig->drain();
        QCOMPARE(int(m_rig->uc20()->callState()), state);
    }
    // Answers each code prompt with the next entry (OK, or Cancel for `cancel`); returns the labels shown.
    void answerPrompts(QStringList entries, QStringList* labels)
    {
        ModalAnswer::whenShown(m_bar.get(), [=](QWidget* modal) {
            auto* dialog = qobject_cast<QInputDialog*>(modal);
            *labels << dialog->windowTitle() + ' ' + dialog->labelText();
            const QString entry = entries.value(0, cancel);
            answerPrompts(entries.mid(1), labels); // an unexpected further prompt is counted, not left open
            dialog->setTextValue(entry);
            ModalAnswer::clickButton(dialog, entry == cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok);
        });
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<Uc20TestRig>();
        m_console = std::make_unique<CConsole>();
        connect(m_console.get(), &CConsole::info, this, [this](const QString& line) { m_info << line; });
        m_context = AppContext { m_rig->link(), m_rig->uc20(), nullptr, m_console.get(), nullptr };
        m_bar = std::make_unique<ControlBar>();
        m_bar->setContext(&m_context);
        m_bar->setClock([this] { return m_now; });
        m_info.clear();
    }

    void cleanup()
    {
        m_bar.reset();
        m_rig.reset();
    }

    void callStates_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("codec");     // type reported between the two states
        QTest::addColumn<QString>("shown"); // status text|style|blink timer|talking timer|HD|codec
        QTest::newRow("start") << -1 << -1 << 0 << "IDLE|" + idleStyle + "|0|0|" + hdGrey + "|";
        QTest::newRow("calling, GSM AMR WB") << 0 << 1 << 6 << "CALLING|" + idleStyle + "|1|0|" + hdBlue + "|AMR";
        QTest::newRow("ringing, WCDMA AMR WB") << 0 << 2 << 8 << "INCOMING|" + idleStyle + "|1|0|" + hdBlue + "|AMR";
        QTest::newRow("ringing, WCDMA AMR") << 0 << 2 << 7 << "INCOMING|" + idleStyle + "|1|0|" + hdGrey + "|AMR";
        QTest::newRow("answered") << 2 << 3 << 6 << "INCOMING|" + activeStyle + "|0|1|" + hdBlue + "|AMR";
        QTest::newRow("hung up") << 3 << 0 << 6 << "IDLE|" + idleStyle + "|0|0|" + hdGrey + "|";
        QTest::newRow("not answered") << 1 << 0 << 8 << "IDLE|" + idleStyle + "|0|0|" + hdGrey + "|";
    }

    void callStates()
    {
        QFETCH(int, before);
        QFETCH(int, state);
        QFETCH(int, codec);
        if (before >= 0) {
            m_bar->onVoicecallStateChange(VOICECALL_STATE(before), "030");
            m_bar->onCodecChange(codec, "AMR");
            m_bar->onVoicecallStateChange(VOICECALL_STATE(state), "030");
        }
        QTEST(QStringList({ text("label_callstatus"), style("label_callstatus"), QString::number(running("blinkTimer")),
                              QString::number(running("talkingTimer")), style("label_hd"), text("lineEdit_codec") })
                  .join('|'),
            "shown");
        QCOMPARE(m_bar->findChild<QTimer*>("blinkTimer")->interval(), 400);
        QCOMPARE(m_bar->findChild<QTimer*>("talkingTimer")->interval(), 100);
    }

    void blink_data()
    {
        QTest::addColumn<QList<int>>("engine"); // the engine's state at each tick
        QTest::addColumn<QStringList>("styles");
        QTest::newRow("calling") << QList<int> { 1, 1, 1 } << QStringList { callingA, callingB, callingA };
        QTest::newRow("ringing") << QList<int> { 2, 2, 2 } << QStringList { incomingA, incomingB, incomingA };
        QTest::newRow("talking") << QList<int> { 3, 3 } << QStringList { idleStyle, idleStyle };
        QTest::newRow("flag turns on idle ticks")
            << QList<int> { 0, 1, 0, 2 } << QStringList { idleStyle, callingB, callingB, incomingB };
    }

    void blink()
    {
        QFETCH(QList<int>, engine);
        QFETCH(QStringList, styles);
        m_bar->onVoicecallStateChange(VOICECALL_CALLING, "030");
        QStringList shown;
        for (int state : engine) {
            engineState(state);
            m_bar->onCallStateBlinkTimeout();
            shown << style("label_callstatus");
        }
        QCOMPARE(shown, styles);
    }

    void talkingTime_data()
    {
        QTest::addColumn<qint64>("talked");
        QTest::addColumn<QString>("shown");
        QTest::newRow("answered") << qint64(0) << "00:00:00";
        QTest::newRow("65 s") << qint64(65999) << "00:01:05";
        QTest::newRow("last second of a day") << 23 * hour + 3599999 << "23:59:59";
        QTest::newRow("24 h") << 24 * hour << "00:00:00";
        QTest::newRow("25 h 1 min 1 s") << 25 * hour + 61000 << "01:01:01";
        QTest::newRow("30 days 1 s") << 720 * hour + 1000 << "00:00:01";
    }

    void talkingTime()
    {
        QFETCH(qint64, talked);
        m_now = 5000;
        m_bar->onVoicecallStateChange(VOICECALL_ACTIVE, "030");
        m_now += talked;
        m_bar->onTalkingTimerTimeout();
        QTEST(text("label_callstatus"), "shown");
    }

    void number_data()
    {
        QTest::addColumn<bool>("database");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("shown");
        QTest::newRow("stored") << true << QString("0301234567") << QString("Ada Lovelace");
        QTest::newRow("unknown") << true << QString("0407654321") << QString("0407654321");
        QTest::newRow("no database") << false << QString("+49301234567") << QString("+49301234567");
    }

    void number()
    {
        QFETCH(bool, database);
        QFETCH(QString, number);
        QTemporaryDir dir;
        CDatabase contacts(dir.path(), m_console.get());
        ContactsTable::create(&contacts);
        contacts.query("INSERT INTO contacts (first_name, last_name, phone_number) VALUES ('Ada', 'Lovelace', ?)",
            { "+49301234567" });
        m_context.database = database ? &contacts : nullptr;
        m_bar->onVoicecallStateChange(VOICECALL_INCOMING, number);
        QTEST(text("lineEdit_callnumber"), "shown");
        m_bar->onVoicecallStateChange(VOICECALL_IDLE, QString());
        QCOMPARE(text("lineEdit_callnumber"), QString());
    }

    void simStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("shown"); // label text|console|prompt
        const QString pin = QStringLiteral("|SIM Enter PIN:"), puk = QStringLiteral("|SIM Enter PUK:");
        QTest::newRow("0") << 0 << QString("READY|SIM Ready|");
        QTest::newRow("1") << 1 << "SIM PIN|waiting for SIM PIN" + pin;
        QTest::newRow("2") << 2 << "SIM PUK|waiting for SIM PUK" + puk;
        QTest::newRow("3") << 3 << "SIM PIN2|waiting for SIM PIN2" + pin;
        QTest::newRow("4") << 4 << "SIM PUK2|waiting for SIM PUK2" + puk;
        QTest::newRow("5") << 5 << "PH-NET PIN|waiting network personalization password" + pin;
        QTest::newRow("6") << 6 << "PH-NET PUK|waiting network personalization unblocking password" + puk;
        QTest::newRow("7") << 7 << "PH-NETSUB PIN|waiting network subset personalization password" + pin;
        QTest::newRow("8") << 8 << "PH-NETSUB PUK|waiting network subset personalization unblocking" + puk;
        for (int state = 9; state <= 13; ++state) // the text stays as it was
            QTest::newRow(qPrintable(QString::number(state))) << state << QString("READY||");
    }

    void simStates()
    {
        QFETCH(int, state);
        QCOMPARE(text("label_simstatus") + ' ' + style("label_simstatus"), "UNKNOWN " + simNotReadyStyle);
        m_bar->onSimStateChange(SIM_READY);
        m_info.clear();
        QStringList prompts;
        answerPrompts({ cancel }, &prompts);
        m_bar->onSimStateChange(SIM_STATE(state));
        QTEST(QStringList({ text("label_simstatus"), m_info.join(';'), prompts.join(';') }).join('|'), "shown");
        QCOMPARE(style("label_simstatus"), state == SIM_READY ? simReadyStyle : simNotReadyStyle);
        QCOMPARE(m_rig->takeSentCommands(), QStringList());
    }

    void codeEntry_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("entries"); // typed and confirmed one per prompt
        QTest::addColumn<QStringList>("sent");
        const QStringList none;
        QTest::newRow("PIN") << 1 << QStringList { "1234" } << QStringList { "AT+CPIN=1234" };
        QTest::newRow("PIN2 of 8") << 3 << QStringList { "12345678" } << QStringList { "AT+CPIN=12345678" };
        QTest::newRow("PUK") << 2 << QStringList { "12345678" } << QStringList { R"(AT+CPIN="12345678","6842")" };
        QTest::newRow("Cancel") << 1 << QStringList { cancel } << none;
        QTest::newRow("OK on empty") << 1 << QStringList { "" } << none;
        QTest::newRow("3, 9, then 4 digits")
            << 1 << QStringList { "123", "123456789", "4321" } << QStringList { "AT+CPIN=4321" };
        QTest::newRow("not digits") << 5 << QStringList { "12a4", "1234;D112", "١٢٣٤", cancel } << none;
        QTest::newRow("PUK of 7, with a quote") << 4 << QStringList { "1234567", "1234567\"", "87654321" }
                                                << QStringList { R"(AT+CPIN="87654321","6842")" };
    }

    void codeEntry()
    {
        QFETCH(int, state);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, sent);
        QStringList prompts;
        answerPrompts(entries, &prompts);
        m_bar->onSimStateChange(SIM_STATE(state));
        QCOMPARE(m_rig->takeSentCommands(), sent);
        QCOMPARE(prompts.size(), entries.size());
        for (const QString& again : prompts.mid(1))
            QVERIFY2(again.startsWith(prompts[0] + '\n') && again.contains("digits"), qPrintable(again));
        // Only a PUK that went out changes the PIN.
        QCOMPARE(m_info.filter("SIM's PIN is now 6842").size(), sent.filter("\"6842\"").size());
    }

    void onePromptAtATime()
    {
        QStringList prompts;
        ModalAnswer::whenShown(m_bar.get(), [&](QWidget* dialog) {
            answerPrompts({ cancel }, &prompts); // would answer a second prompt
            m_bar->onSimStateChange(SIM_PIN);
            qobject_cast<QInputDialog*>(dialog)->setTextValue("1234");
            ModalAnswer::clickButton(dialog, QDialogButtonBox::Ok);
        });
        m_bar->onSimStateChange(SIM_PIN);
        QCOMPARE(prompts, QStringList());
        QCOMPARE(m_rig->takeSentCommands(), QStringList { "AT+CPIN=1234" });
        QCOMPARE(m_info, QStringList({ "waiting for SIM PIN", "waiting for SIM PIN" }));
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("emitted"); // signals, then commands sent
        QTest::newRow("call") << QString("pushButton_call") << QString("call");
        QTest::newRow("end call") << QString("pushButton_endcall") << QString("endcall");
        for (int n = 1; n <= 8; ++n)
            QTest::newRow(qPrintable(QString::number(n)))
                << QString("pushButton_dialnr%1").arg(n) << QString::number(n);
        QTest::newRow("login") << QString("pushButton_simlogin") << QString("AT+CPIN?");
    }

    void buttons()
    {
        QFETCH(QString, button);
        QStringList emitted;
        connect(m_bar.get(), &ControlBar::callClicked, this, [&] { emitted << "call"; });
        connect(m_bar.get(), &ControlBar::endcallClicked, this, [&] { emitted << "endcall"; });
        connect(m_bar.get(), &ControlBar::dialnrClicked, this, [&](int id) { emitted << QString::number(id); });
        m_bar->findChild<QPushButton*>(button)->click();
        QTEST((emitted + m_rig->takeSentCommands()).join(';'), "emitted");
        for (const char* tipped : { "pushButton_call", "pushButton_endcall", "pushButton_simlogin" })
            QVERIFY(!m_bar->findChild<QPushButton*>(tipped)->toolTip().isEmpty());
    }

    void withoutContext()
    {
        ControlBar bar;
        bar.onVoicecallStateChange(VOICECALL_INCOMING, "030");
        bar.onCallStateBlinkTimeout();
        bar.onTalkingTimerTimeout();
        bar.onSimStateChange(SIM_PIN); // no engine to send a code to: no prompt
        bar.findChild<QPushButton*>("pushButton_simlogin")->click();
        QCOMPARE(bar.findChild<QLineEdit*>("lineEdit_callnumber")->text(), QString("030"));
        QCOMPARE(bar.findChild<QLabel*>("label_simstatus")->text(), QString("SIM PIN"));
    }
};

QTEST_MAIN(TestControlBar)
#include "tst_controlbar.moc"
