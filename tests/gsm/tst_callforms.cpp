#include "CIncomingForm.h"
#include "COutCallForm.h"
#include "LinkRig.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The call windows: the dial pad and the window of a call being set up.
class TestCallForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        static QTemporaryDir dir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void calls_data()
    {
        // The states reported, then what the operator does: a button, "close" or "escape".
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
        row("answered", { 1, 3 }, "", "Calling...", false, "");
        row("ended", { 2, 0 }, "", "Incoming call...", false, "");
        row("accept", { 2 }, "pushButton_call", "Incoming call...", false, "ATA");
        row("decline", { 2 }, "pushButton_endcall", "Incoming call...", false, "ATH");
        row("close", { 2 }, "close", "Incoming call...", false, "ATH");
        row("escape", { 1 }, "escape", "Calling...", false, "ATH");
    }

    void calls()
    {
        QFETCH(QList<int>, states);
        QFETCH(QString, action);
        LinkRig rig;
        CIncomingForm form(rig.context());
        for (int state : states)
            form.onVoicecallStateChange(VOICECALL_STATE(state), QStringLiteral("0301"));
        if (action == QLatin1String("close"))
            form.close();
        else if (action == QLatin1String("escape"))
            QTest::keyClick(&form, Qt::Key_Escape);
        else if (!action.isEmpty())
            QTest::mouseClick(form.findChild<QPushButton*>(action), Qt::LeftButton);
        QTEST(form.windowTitle(), "title");
        QTEST(form.isVisible(), "shown");
        QTEST(rig.takeSent(), "sent");
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
        QTest::newRow("connected") << "5#" << false << 3 << "0301" << QStringList { "AT+VTS=\"5\"", "AT+VTS=\"#\"" };
        QTest::newRow("clear") << "12C" << false << 0 << "" << none;
        QTest::newRow("typed") << "12#<*" << true << 0 << "030112*" << none;
        QTest::newRow("typed, connected") << "7<" << true << 3 << "030" << QStringList { "AT+VTS=\"7\"" };
    }

    void keys()
    {
        QFETCH(QString, input);
        QFETCH(bool, typed);
        QFETCH(int, state);
        LinkRig rig;
        COutCallForm form(nullptr, rig.uc20(), nullptr);
        QTest::keyClicks(form.findChild<QLineEdit*>(QStringLiteral("lineEdit_phonenumber")), QStringLiteral("0301"));
        const char* const calls[] = { "", "1,0,2,0,0,\"020\",129", "", "1,1,0,0,0,\"020\",129" };
        rig.uc20()->errorInject({ "AT+CLCC", QLatin1String("+CLCC: ") + calls[state], "OK" });
        rig.drain();
        QCOMPARE(int(rig.uc20()->callState()), state);
        for (const QChar c : input) {
            const QString name = c == '*' ? "star" : c == '#' ? "hash" : c == 'C' ? "clear" : QString(c);
            if (typed)
                QTest::keyClick(form.findChild<QPushButton*>("pushButton_5"), c == '<' ? '\b' : c.toLatin1());
            else
                QTest::mouseClick(form.findChild<QPushButton*>("pushButton_" + name), Qt::LeftButton);
        }
        QTEST(form.number(), "number");
        QTEST(rig.takeSent(), "sent");
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

QTEST_MAIN(TestCallForms)
#include "tst_callforms.moc"
