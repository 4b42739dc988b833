#include "CIncomingForm.h"
#include "COutCallForm.h"
#include "ControlBar.h"
#include "LinkRig.h"
#include "ModalAnswer.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The control bar, and the call windows: the dial pad and the window of a call being set up.
class TestControlBar : public QObject
{
    Q_OBJECT

    std::unique_ptr<LinkRig> m_rig;
    std::unique_ptr<ControlBar> m_bar;
    qint64 m_now = 0;
    static inline const QString cancel = QStringLiteral("<Cancel>");
    static inline const qint64 hour = 3600000;
    // The call status label's colours: background/text.
    static inline const QString idle = "0, 170, 0/255, 255, 255", callingA = "255, 140, 0/255, 255, 255";
    static inline const QString callingB = "255, 255, 255/255, 140, 0", incomingB = "255, 255, 255/0, 170, 0";

    QLabel* status() const { return m_bar->findChild<QLabel*>(QStringLiteral("label_callstatus")); }
    QString running(const char* timer) const { return QString::number(m_bar->findChild<QTimer*>(timer)->isActive()); }
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
    void initTestCase()
    {
        static QTemporaryDir dir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void init()
    {
        m_bar = std::make_unique<ControlBar>(); // the last test's bar goes first, then its engine
        m_rig.reset();
        m_rig = std::make_unique<LinkRig>();
        m_bar->setContext(m_rig->context());
        m_bar->setClock([this] { return m_now; });
    }

    void callStates_data()
    {
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QString>("shown"); // status text|blink timer|talking timer
        QTest::newRow("calling") << QList<int> { 1 } << "CALLING|1|0";
        QTest::newRow("ringing") << QList<int> { 2 } << "INCOMING|1|0";
        QTest::newRow("answered, hung up") << QList<int> { 2, 3, 0 } << "IDLE|0|0";
        QTest::newRow("not answered") << QList<int> { 1, 0 } << "IDLE|0|0";
    }

    void callStates()
    {
        QFETCH(QList<int>, states);
        for (int state : states)
            m_bar->onVoicecallStateChange(VOICECALL_STATE(state), "030");
        QTEST(status()->text() + '|' + running("blinkTimer") + '|' + running("talkingTimer"), "shown");
    }

    void blink_data()
    {
        QTest::addColumn<QList<int>>("engine"); // the engine's state at each tick
        QTest::addColumn<QStringList>("styles");
        QTest::newRow("calling") << QList<int> { 1, 1, 1 } << QStringList { callingA, callingB, callingA };
        QTest::newRow("talking") << QList<int> { 3, 3 } << QStringList { idle, idle };
        QTest::newRow("flag turns on idle ticks")
            << QList<int> { 0, 1, 0, 2 } << QStringList { idle, callingB, callingB, incomingB };
    }

    void blink()
    {
        QFETCH(QList<int>, engine);
        m_bar->onVoicecallStateChange(VOICECALL_CALLING, "030");
        QStringList shown;
        for (int state : engine) {
            // The engine learns its state from the call list: direction, then dialled, ringing or talking.
            const char* const stat[] = { "", "0,2", "1,4", "1,0" };
            m_rig->receive({ "AT+CLCC", "OK", "AT+CLCC" });
            if (state != VOICECALL_IDLE)
                m_rig->receive({ QString(R"(+CLCC: 1,%1,0,0,"030",129)").arg(stat[state]) });
            m_rig->receive({ "OK" });
            m_rig->drain();
            m_bar->onCallStateBlinkTimeout();
            const QString style = status()->styleSheet();
            shown << style.section('(', 1, 1).section(')', 0, 0) + '/' + style.section('(', 2, 2).section(')', 0, 0);
        }
        QTEST(shown, "styles");
    }

    void talkingTime_data()
    {
        QTest::addColumn<qint64>("talked");
        QTest::addColumn<QString>("shown");
        QTest::newRow("last second of a day") << 23 * hour + 3599999 << "23:59:59";
        QTest::newRow("24 h") << 24 * hour << "00:00:00";
        QTest::newRow("25 h 1 min 1 s") << 25 * hour + 61000 << "01:01:01";
    }

    void talkingTime()
    {
        QFETCH(qint64, talked);
        m_now = 5000;
        m_bar->onVoicecallStateChange(VOICECALL_ACTIVE, "030");
        m_now += talked;
        m_bar->onTalkingTimerTimeout();
        QTEST(status()->text(), "shown");
    }

    void codeEntry_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("entries"); // typed and confirmed one per prompt
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("PIN2 of 8") << 3 << QStringList { "12345678" } << QStringList { "AT+CPIN=12345678" };
        QTest::newRow("PUK") << 2 << QStringList { "12345678" } << QStringList { R"(AT+CPIN="12345678","6842")" };
        QTest::newRow("3, 9, 4") << 1 << QStringList { "123", "123456789", "4321" } << QStringList("AT+CPIN=4321");
        QTest::newRow("not digits") << 5 << QStringList { "12a4", "1234;D112", "١٢٣٤", cancel } << QStringList();
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
        QCOMPARE(m_rig->takeSent(), sent);
        QCOMPARE(prompts.size(), entries.size());
        // Only a PUK that went out changes the PIN.
        QCOMPARE(m_rig->takeLog().filter("SIM's PIN is now 6842").size(), sent.filter("\"6842\"").size());
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
        QCOMPARE(m_rig->takeSent(), QStringList { "AT+CPIN=1234" });
        QCOMPARE(m_rig->takeLog(), QStringList({ "INFO] waiting for SIM PIN", "INFO] waiting for SIM PIN" }));
    }

    void calls_data()
    {
        // The states reported, then what the operator does: "close" or "escape".
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("sent");
        const auto row = [](const char* name, QList<int> states, const char* action, const char* title, bool shown,
                             const char* sent) {
            QTest::newRow(name) << states << action << title << shown << QString(sent).split(' ', Qt::SkipEmptyParts);
        };
        row("outgoing", { 1 }, "", "Calling...", true, "");
        row("incoming", { 2 }, "", "Incoming call...", true, "");
        row("ended", { 2, 0 }, "", "Incoming call...", false, "");
        row("close", { 2 }, "close", "Incoming call...", false, "ATH");
        row("escape", { 1 }, "escape", "Calling...", false, "ATH");
    }

    void calls()
    {
        QFETCH(QList<int>, states);
        QFETCH(QString, action);
        CIncomingForm form(m_rig->context());
        for (int state : states)
            form.onVoicecallStateChange(VOICECALL_STATE(state), QStringLiteral("0301"));
        if (action == QLatin1String("close"))
            form.close();
        else if (action == QLatin1String("escape"))
            QTest::keyClick(&form, Qt::Key_Escape);
        QTEST(form.windowTitle(), "title");
        QTEST(form.isVisible(), "shown");
        QTEST(m_rig->takeSent(), "sent");
    }

    void keys_data()
    {
        // Keys clicked on the pad, or typed while a pad key has the keyboard; 'C' clicks clear, '<' is Backspace.
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("sent");
        const QStringList none;
        QTest::newRow("idle") << "1234567890*#" << false << 0 << "03011234567890*#" << none;
        QTest::newRow("calling") << "12" << false << 1 << "030112" << none;
        QTest::newRow("clear") << "12C" << false << 0 << "" << none;
        QTest::newRow("typed") << "12#<*" << true << 0 << "030112*" << none;
        QTest::newRow("typed, connected") << "7<" << true << 3 << "030" << QStringList { "AT+VTS=\"7\"" };
    }

    void keys()
    {
        QFETCH(QString, input);
        QFETCH(bool, typed);
        QFETCH(int, state);
        COutCallForm form(nullptr, m_rig->uc20(), nullptr);
        QTest::keyClicks(form.findChild<QLineEdit*>(QStringLiteral("lineEdit_phonenumber")), QStringLiteral("0301"));
        const char* const calls[] = { "", "1,0,2,0,0,\"020\",129", "", "1,1,0,0,0,\"020\",129" };
        m_rig->uc20()->errorInject({ "AT+CLCC", QLatin1String("+CLCC: ") + calls[state], "OK" });
        m_rig->drain();
        QCOMPARE(int(m_rig->uc20()->callState()), state);
        for (const QChar c : input) {
            const QString name = c == '*' ? "star" : c == '#' ? "hash" : c == 'C' ? "clear" : QString(c);
            if (typed)
                QTest::keyClick(form.findChild<QPushButton*>("pushButton_5"), c == '<' ? '\b' : c.toLatin1());
            else
                QTest::mouseClick(form.findChild<QPushButton*>("pushButton_" + name), Qt::LeftButton);
        }
        QTEST(form.number(), "number");
        QTEST(m_rig->takeSent(), "sent");
    }

    void geometryRemembered()
    {
        {
            CIncomingForm form(nullptr);
            form.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("1"));
            form.setGeometry(250, 200, 319, 122);
        }
        // Destroyed while shown, the window kept its last place.
        CIncomingForm form(nullptr);
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
        QCOMPARE(form.geometry(), QRect(250, 200, 319, 122));
    }
};

QTEST_MAIN(TestControlBar)
#include "tst_controlbar.moc"
