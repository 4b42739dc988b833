#include "AppContext.h"
#include "CDatabase.h"
#include "CIncomingForm.h"
#include "COutCallForm.h"
#include "ControlBar.h"
#include "ElidingLineEdit.h"
#include "FittingLabel.h"
#include "LinkRig.h"
#include "ModalAnswer.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace {

const QString twentyDigits = QStringLiteral("12345678901234567890");
const QString ellipsis = QStringLiteral("\u2026");

// The tool tip a field shows when the pointer rests on it; empty when it shows none.
QString toolTipOf(QWidget* widget)
{
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QToolTip::hideText();
    QCoreApplication::sendEvent(widget, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

// The control bar, and the call windows: the dial pad and the window of a call being set up. The
// texts read at a glance, the number, codec, speed dials and the caller, stay whole on a small screen.
class TestControlBar : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CDatabase> m_database;
    AppContext m_context; // with a phonebook, and no unit
    std::unique_ptr<LinkRig> m_rig;
    std::unique_ptr<ControlBar> m_bar;
    qint64 m_now = 0;
    static inline const QString cancel = QStringLiteral("<Cancel>");
    // The call status label's colours: background/text.
    static inline const QString idle = "0, 170, 0/255, 255, 255", callingA = "255, 140, 0/255, 255, 255";
    static inline const QString callingB = "255, 255, 255/255, 140, 0", incomingB = "255, 255, 255/0, 170, 0";

    QLabel* status() const { return label("label_callstatus"); }
    QLabel* label(const char* name) const { return m_bar->findChild<QLabel*>(QLatin1String(name)); }
    QString number() const { return m_bar->findChild<QLineEdit*>(QStringLiteral("lineEdit_callnumber"))->text(); }
    static QString background(const QWidget* widget)
    {
        return widget->styleSheet().section('(', 1, 1).section(')', 0, 0);
    }
    QString running(const char* timer) const { return QString::number(m_bar->findChild<QTimer*>(timer)->isActive()); }
    // A bar on the phonebook without a unit, at its smallest, as on a small screen.
    std::unique_ptr<ControlBar> makeBar()
    {
        auto bar = std::make_unique<ControlBar>();
        bar->setContext(&m_context);
        bar->onConnectionChange(true);
        bar->resize(bar->minimumSizeHint());
        bar->show();
        return bar;
    }
    // Answers each code prompt with the next entry (OK, or Cancel for `cancel`); returns the labels shown.
    void answerPrompts(QStringList entries, QStringList* labels)
    {
        ModalAnswer::whenShown(m_bar.get(), [=](QWidget* modal) {
            auto* dialog = qobject_cast<QInputDialog*>(modal);
            // The digits stay hidden from onlookers.
            *labels << dialog->windowTitle() + ' ' + dialog->labelText()
                    + (dialog->textEchoMode() == QLineEdit::Password ? "" : " [shown]");
            const QString entry = entries.value(0, cancel);
            answerPrompts(entries.mid(1), labels); // an unexpected further prompt is counted, not left open
            dialog->setTextValue(entry);
            ModalAnswer::clickButton(dialog, entry == cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok);
        });
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
        // The desktop's usual size, not the larger one of the screenless platform.
        QApplication::setFont(QFont(QApplication::font().family(), 9));
        m_database = std::make_unique<CDatabase>(m_dir.path(), nullptr);
        m_database->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number) VALUES "
                                         "('Anna', 'Alpha', '0612345678'), "
                                         "('Annemarie Wilhelmina Josephina', 'van der Berg-Huisman', '0201112223')"));
        m_context.database = m_database.get();
    }

    void init()
    {
        m_bar = std::make_unique<ControlBar>(); // the last test's bar goes first, then its engine
        m_rig.reset();
        m_rig = std::make_unique<LinkRig>();
        m_bar->setContext(m_rig->context());
        m_bar->setClock([this] { return m_now; });
        m_bar->onConnectionChange(true);
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
            shown << background(status()) + '/' + status()->styleSheet().section('(', 2, 2).section(')', 0, 0);
        }
        QTEST(shown, "styles");
    }

    void codeEntry_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("pinLeft");         // tries reported before the prompt, with 7 for the PUK; -1: none
        QTest::addColumn<QStringList>("entries"); // typed and confirmed one per prompt
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("last"); // the last prompt
        const auto row
            = [](const char* name, int state, int pinLeft, const QStringList& entries, const QStringList& sent,
                  const QString& last) { QTest::newRow(name) << state << pinLeft << entries << sent << last; };
        const QString pinRule = "SIM Enter PIN:\nA PIN is 4 to 8 digits and nothing else.";
        const QString again = "SIM Enter the new PIN again:", newPin = "SIM Choose a new PIN of 4 to 8 digits:\n";
        row("PIN2 of 8, its tries not counted", 3, 2, { "12345678" }, { "AT+CPIN=12345678" }, "SIM Enter PIN:");
        row("PUK, new PIN", 2, -1, { "12345678", "5678", "5678" }, { R"(AT+CPIN="12345678","5678")" }, again);
        row("3, 9, 4", 1, -1, { "123", "123456789", "4321" }, { "AT+CPIN=4321" }, pinRule);
        row("not digits", 5, -1, { "12a4", "1234;D112", "١٢٣٤", cancel }, {}, pinRule);
        row("PUK of 7, with a quote", 4, -1, { "1234567", "1234567\"", "87654321", "12345678", "12345678" },
            { R"(AT+CPIN="87654321","12345678")" }, again);
        row("new PINs differ, given up", 2, -1, { "87654321", "1111", "2222", cancel }, {},
            newPin + "The two entries differed, so the PIN is asked for again.");
        row("new PIN of 3", 2, -1, { "87654321", "123", cancel }, {},
            newPin + "A PIN is 4 to 8 digits and nothing else.");
        // A count that arrives while the prompt is open updates it too, as the start-up on a unit shows.
        row("one PIN try left", 1, 1, { cancel }, {}, "SIM Enter PIN:\n1 attempt left");
        row("PUK tries", 2, 0, { cancel }, {}, "SIM Enter PUK:\n7 attempts left");
    }

    void codeEntry()
    {
        QFETCH(int, state);
        QFETCH(int, pinLeft);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, sent);
        QStringList prompts;
        answerPrompts(entries, &prompts);
        if (pinLeft >= 0)
            m_bar->onSimAttemptsLeft(pinLeft, 7);
        m_bar->onSimStateChange(SIM_STATE(state));
        QCOMPARE(m_rig->takeSent(), sent);
        QCOMPARE(prompts.size(), entries.size());
        QTEST(prompts.last(), "last");
        // A PUK that went out is said on the console, the new PIN is not.
        const QString log = m_rig->takeLog().join('\n');
        QCOMPARE(log.count("PUK sent with a new PIN"), sent.filter(",").size());
        for (const QString& command : sent.filter(","))
            QVERIFY(!log.contains(command.section('"', 3, 3)));
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

    void callEnd_data()
    {
        QTest::addColumn<QList<int>>("states"); // before the end
        QTest::addColumn<int>("reason");
        QTest::addColumn<qint64>("talked"); // ms after the last state
        QTest::addColumn<qint64>("unheard");
        QTest::addColumn<QString>("shown"); // text / background
        const QString lost = "/139, 0, 0", over = "/96, 96, 96";
        QTest::newRow("caller hung up") << QList<int> { 2, 3 } << 0 << 134000LL << 0LL << "CALLER HUNG UP 02:14" + lost;
        QTest::newRow("in silence, less what was not heard")
            << QList<int> { 2, 3 } << 3 << 200000LL << 20000LL << "LINE LOST 03:00" + lost;
        QTest::newRow("over an hour") << QList<int> { 3 } << 0 << 3723000LL << 0LL << "CALLER HUNG UP 62:03" + lost;
        QTest::newRow("missed") << QList<int> { 2 } << 0 << 9000LL << 0LL << "MISSED" + lost;
        QTest::newRow("declined") << QList<int> { 2 } << 1 << 0LL << 0LL << "DECLINED" + over;
        QTest::newRow("not answered") << QList<int> { 1 } << 0 << 30000LL << 0LL << "NOT ANSWERED" + lost;
    }

    void callEnd()
    {
        QFETCH(QList<int>, states);
        QFETCH(qint64, talked);
        QFETCH(qint64, unheard);
        m_now = 1000;
        for (int state : states)
            m_bar->onVoicecallStateChange(VOICECALL_STATE(state), "030");
        m_now += talked;
        // The end is told first, then the state.
        QFETCH(int, reason);
        m_bar->onCallEnded(CALL_END_REASON(reason), "030", unheard);
        m_bar->onVoicecallStateChange(VOICECALL_IDLE, QString());
        m_bar->onTalkingTimerTimeout();
        QTEST(status()->text() + '/' + background(status()), "shown");
        QCOMPARE(number(), QStringLiteral("030"));
        auto* notice = m_bar->findChild<QTimer*>("endNoticeTimer");
        QVERIFY(notice->isActive() && notice->isSingleShot() && notice->interval() == ControlBar::EndNoticeMs);
        notice->start(0);
        QTRY_COMPARE(status()->text() + '/' + number(), QStringLiteral("IDLE/"));
    }

    // Steps: "unplug", "plug", a call state ("idle", "calling", "ringing", "active"), "ended" (by the caller),
    // "silent", "speaks", "wait ms", "rssi <rssi> <dBm>"; the talking timer ticks after each.
    void callUnitModuleAndSignal_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown"); // call status|SIM|signal/background|blink timer|talking timer|buttons
        const QString dash = QString(QChar(0x2014)), none = "|UNKNOWN|" + dash + "/210, 210, 210|";
        QTest::newRow("calling") << QStringList { "calling" } << "CALLING" + none + "1|0|1";
        QTest::newRow("ringing") << QStringList { "ringing" } << "INCOMING" + none + "1|0|1";
        QTest::newRow("answered, hung up") << QStringList { "ringing", "active", "idle" } << "IDLE" + none + "0|0|1";
        QTest::newRow("not answered") << QStringList { "calling", "idle" } << "IDLE" + none + "0|0|1";
        QTest::newRow("a minute and five") << QStringList { "active", "wait 65999" } << "00:01:05" + none + "0|1|1";
        QTest::newRow("last second of a day")
            << QStringList { "active", "wait 86399999" } << "23:59:59" + none + "0|1|1";
        // The hours count on past a day.
        QTest::newRow("24 h 5 s") << QStringList { "active", "wait 86405000" } << "24:00:05" + none + "0|1|1";
        QTest::newRow("25 h 1 min 1 s") << QStringList { "active", "wait 90061000" } << "25:01:01" + none + "0|1|1";
        QTest::newRow("100 h") << QStringList { "active", "wait 360000000" } << "100:00:00" + none + "0|1|1";
        QTest::newRow("unplugged in a call") << QStringList { "active", "rssi 20 -73", "unplug" }
                                             << "NO UNIT|" + dash + "|" + dash + "/210, 210, 210|0|0|0";
        QTest::newRow("silent in a call")
            << QStringList { "active", "silent", "wait 5000" } << "MODULE NOT ANSWERING" + none + "1|1|1";
        QTest::newRow("the clock ran on")
            << QStringList { "active", "silent", "wait 65000", "active", "speaks" } << "00:01:05" + none + "0|1|1";
        QTest::newRow("a new call ends the notice")
            << QStringList { "active", "ended", "ringing" } << "INCOMING" + none + "1|0|1";
        QTest::newRow("signal") << QStringList { "rssi 20 -73" } << "IDLE|UNKNOWN|-73 dBm/235, 235, 235|0|0|1";
        QTest::newRow("lowest good") << QStringList { "rssi 10 -93" } << "IDLE|UNKNOWN|-93 dBm/235, 235, 235|0|0|1";
        QTest::newRow("weak") << QStringList { "rssi 9 -95" } << "IDLE|UNKNOWN|WEAK -95 dBm/255, 191, 0|0|0|1";
        QTest::newRow("no network") << QStringList { "rssi 20 -73", "rssi 99 0" }
                                    << "IDLE|UNKNOWN|NO NETWORK/170, 0, 0|0|0|1";
    }

    void callUnitModuleAndSignal()
    {
        QFETCH(QStringList, steps);
        const QStringList states { "idle", "calling", "ringing", "active" };
        for (const QString& step : steps) {
            const QStringList word = step.split(' ');
            if (word[0] == "unplug" || word[0] == "plug")
                m_bar->onConnectionChange(word[0] == "plug");
            else if (states.contains(word[0]))
                m_bar->onVoicecallStateChange(VOICECALL_STATE(states.indexOf(word[0])), "030");
            else if (word[0] == "ended")
                m_bar->onCallEnded(CALL_END_BY_CALLER, "030", 0);
            else if (word[0] == "silent" || word[0] == "speaks")
                m_bar->onModuleSilenceChanged(word[0] == "silent", 5000);
            else if (word[0] == "wait")
                m_now += word[1].toLongLong();
            else
                m_bar->onRssiChange(word[1].toInt(), word[2].toInt());
            m_bar->onTalkingTimerTimeout();
        }
        const QString shown = QStringList { status()->text(), label("label_simstatus")->text(),
            label("label_signal")->text() + '/' + background(label("label_signal")), running("blinkTimer"),
            running("talkingTimer"), QString::number(m_bar->findChild<QPushButton*>("pushButton_call")->isEnabled()) }
                                  .join('|');
        QTEST(shown, "shown");
    }

    void startLookAndKeys()
    {
        ControlBar bar;
        CIncomingForm form(nullptr);
        QCOMPARE(bar.findChild<QLabel*>("label_callstatus")->text(), QStringLiteral("NO UNIT"));
        QVERIFY(!bar.findChild<QPushButton*>("pushButton_endcall")->isEnabled());
        bar.setCallKeys(QKeySequence(Qt::Key_F9), QKeySequence(Qt::Key_F10));
        form.setCallKeys(QKeySequence(Qt::Key_F9), QKeySequence());
        QStringList tips;
        for (QWidget* parent : std::initializer_list<QWidget*> { &bar, &form }) {
            for (const char* button : { "pushButton_call", "pushButton_endcall" })
                tips << parent->findChild<QPushButton*>(button)->toolTip();
        }
        QCOMPARE(tips,
            QStringList({ "Answer the ringing call (F9), or dial the number of the page on show",
                "End the call, or refuse the ringing one (F10)", "Answer the call (F9 or Enter)",
                "Decline or hang up (Esc)" }));
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
        row("enter", { 2 }, "enter", "Incoming call...", false, "ATA");
        row("keypad enter", { 2 }, "keypad enter", "Incoming call...", false, "ATA");
        row("enter while calling", { 1 }, "enter", "Calling...", true, "");
        row("space", { 2 }, "space", "Incoming call...", true, "");
    }

    void calls()
    {
        QFETCH(QList<int>, states);
        QFETCH(QString, action);
        CIncomingForm form(m_rig->context());
        for (int state : states)
            form.onVoicecallStateChange(VOICECALL_STATE(state), QStringLiteral("0301"));
        const QHash<QString, Qt::Key> keys { { "escape", Qt::Key_Escape }, { "enter", Qt::Key_Return },
            { "keypad enter", Qt::Key_Enter }, { "space", Qt::Key_Space } };
        if (action == QLatin1String("close"))
            form.close();
        else if (keys.contains(action))
            QTest::keyClick(&form, keys[action], action.startsWith("keypad") ? Qt::KeypadModifier : Qt::NoModifier);
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
        QTest::addColumn<QString>("tones"); // what the page shows of the keys sent as tones
        const QStringList none;
        QTest::newRow("idle") << "1234567890*#" << false << 0 << "03011234567890*#" << none << "";
        QTest::newRow("calling") << "12" << false << 1 << "030112" << none << "";
        QTest::newRow("clear") << "12C" << false << 0 << "" << none << "";
        QTest::newRow("typed") << "12#<*" << true << 0 << "030112*" << none << "";
        QTest::newRow("typed, connected")
            << "7<" << true << 3 << "030" << QStringList { "AT+VTS=\"7\"" } << "Tone sent: 7";
        QTest::newRow("clicked, connected")
            << "1#" << false << 3 << "0301" << QStringList { "AT+VTS=\"1\"", "AT+VTS=\"#\"" } << "Tone sent: 1 #";
        // "+" begins an international number from the keyboard too; it has no tone.
        QTest::newRow("typed plus") << "C+31" << true << 0 << "+31" << none << "";
        QTest::newRow("typed plus, connected")
            << "+5" << true << 3 << "0301" << QStringList { "AT+VTS=\"5\"" } << "Tone sent: 5";
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
            if (typed && c != 'C')
                QTest::keyClick(form.findChild<QPushButton*>("pushButton_5"), c == '<' ? '\b' : c.toLatin1());
            else
                QTest::mouseClick(form.findChild<QPushButton*>("pushButton_" + name), Qt::LeftButton);
        }
        QTEST(form.number(), "number");
        QTEST(m_rig->takeSent(), "sent");
        // Shown for a moment only.
        auto* tones = form.findChild<QLabel*>(QStringLiteral("label_toneSent"));
        QTEST(tones->text(), "tones");
        form.findChild<QTimer*>(QStringLiteral("toneTimer"))->start(0);
        QTRY_COMPARE(tones->text(), QString());
    }

    // The window keeps its last place, also when destroyed while shown; the program of a second
    // unit names it, and its window keeps a place of its own.
    void geometryRemembered()
    {
        const auto ring = [](const QString& unit, VOICECALL_STATE state) {
            auto form = std::make_unique<CIncomingForm>(nullptr);
            if (!unit.isEmpty())
                form->setUnit(unit);
            form->onVoicecallStateChange(state, QStringLiteral("1"));
            return form;
        };
        ring(QString(), VOICECALL_INCOMING)->setGeometry(250, 200, 319, 172);
        const auto form = ring(QString(), VOICECALL_CALLING);
        QCOMPARE(form->geometry(), QRect(250, 200, 319, 172));
        {
            const auto other = ring(QStringLiteral("PH000002"), VOICECALL_INCOMING);
            QCOMPARE(other->windowTitle(), QStringLiteral("Incoming call... - unit PH000002"));
            other->setGeometry(700, 200, 319, 172);
        }
        form->hide();
        QCOMPARE(ring(QString(), VOICECALL_INCOMING)->geometry(), QRect(250, 200, 319, 172));
        QCOMPARE(ring(QStringLiteral("PH000002"), VOICECALL_INCOMING)->geometry(), QRect(700, 200, 319, 172));
    }

    void numberAndCodecWhole_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("codec");
        QTest::newRow("twenty digits") << twentyDigits << QString("WCDMA AMR WB");
        QTest::newRow("international") << QString("+31201234567890123456") << QString("DMA AMR WB");
        QTest::newRow("unknown codec") << QString("0031201234567890") << QString("UNKNOWN CODEC");
    }

    void numberAndCodecWhole()
    {
        QFETCH(QString, number);
        QFETCH(QString, codec);
        auto bar = makeBar();
        bar->onVoicecallStateChange(VOICECALL_INCOMING, number);
        bar->onCodecChange(0, codec);
        const auto* numberField = bar->findChild<ElidingLineEdit*>(QStringLiteral("lineEdit_callnumber"));
        const auto* codecField = bar->findChild<ElidingLineEdit*>(QStringLiteral("lineEdit_codec"));
        QCOMPARE(numberField->shownText(), number);
        QCOMPARE(codecField->shownText(), codec);
    }

    // Only where nothing else fits: the beginning and end stay, the whole is in the tool tip.
    void cutInTheMiddle()
    {
        ElidingLineEdit field;
        field.setReservedTexts({ QStringLiteral("00000"), twentyDigits });
        field.setText(twentyDigits);
        field.resize(field.sizeHint());
        field.show();
        QCOMPARE(field.shownText(), twentyDigits);
        QCOMPARE(toolTipOf(&field), QString());

        field.resize(field.width() / 2, field.height());
        const QString shown = field.shownText();
        QVERIFY2(shown.startsWith(QLatin1String("123")) && shown.endsWith(QLatin1String("890"))
                && shown.contains(ellipsis) && shown.size() < twentyDigits.size(),
            qPrintable(shown));
        QCOMPARE(field.text(), twentyDigits);
        QCOMPARE(toolTipOf(&field), twentyDigits);
    }

    void speedDial_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("wideText");
        const auto row = [](const char* name, const char* stored, const char* toolTip, const char* wideText) {
            QTest::newRow(name) << QString(stored) << QString(toolTip) << QString(wideText);
        };
        row("contact", "0612345678", "Speed dial 3: Anna Alpha (0612345678)", "3: Anna Alpha");
        row("number", "112", "Speed dial 3: 112", "3: 112");
        row("none", "", "Speed dial 3: no number stored (choose one on the Settings page)", "3");
    }

    // The buttons look again when the pointer comes to them: the settings page may have changed them.
    void speedDial()
    {
        QFETCH(QString, stored);
        QFETCH(QString, wideText);
        QSettings().remove(QStringLiteral("dialnr3"));
        auto bar = makeBar();
        auto* button = bar->findChild<QPushButton*>(QStringLiteral("pushButton_dialnr3"));
        QCOMPARE(button->text(), QStringLiteral("3"));

        QSettings().setValue(QStringLiteral("dialnr3"), stored);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(bar->findChild<QGroupBox*>(QStringLiteral("groupBox_3")), &enter);
        QTEST(button->toolTip(), "toolTip");
        // The smallest bar has room for the digit only.
        QCOMPARE(button->text(), QStringLiteral("3"));

        bar->resize(2000, bar->height());
        QTRY_COMPARE(button->text(), wideText);
    }

    void incomingCaller_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("caller");
        QTest::addColumn<bool>("whole");
        QTest::newRow("twenty digits") << twentyDigits << twentyDigits << true;
        QTest::newRow("contact") << QString("0612345678") << QString("Anna Alpha") << true;
        QTest::newRow("very long name") << QString("0201112223")
                                        << QString("Annemarie Wilhelmina Josephina van der Berg-Huisman") << false;
    }

    void incomingCaller()
    {
        QFETCH(QString, number);
        QFETCH(QString, caller);
        QFETCH(bool, whole);
        CIncomingForm form(&m_context);
        form.onVoicecallStateChange(VOICECALL_INCOMING, number);
        auto* label = form.findChild<FittingLabel*>(QStringLiteral("label_number"));
        QCOMPARE(label->text(), caller);
        QCOMPARE(label->shownText() == caller, whole);
        QCOMPARE(toolTipOf(label), whole ? QString() : caller);
        // Shrunk, never below the smallest size, before anything is cut.
        QVERIFY(label->shownFont().pointSizeF() >= FittingLabel::DefaultMinimumPointSize);
        if (!whole)
            QCOMPARE(label->shownFont().pointSizeF(), FittingLabel::DefaultMinimumPointSize);
        form.hide();
    }
};

QTEST_MAIN(TestControlBar)
#include "tst_controlbar.moc"
