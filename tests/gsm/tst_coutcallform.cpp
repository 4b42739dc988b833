#include "COutCallForm.h"
#include "LinkRig.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestCOutCallForm : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(TestCOutCallForm)
#include "tst_coutcallform.moc"
