#include "COutCallForm.h"
#include "Uc20TestRig.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// How the keys of a row are pressed.
const int Click = 0;
const int Page = 1;
const int Field = 2;

} // namespace

class TestCOutCallForm : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        // Each character of the input is a key: clicked on the pad, typed while a key of the pad
        // has the keyboard (Page) or typed into the number field (Field). 'C' clicks the clear key,
        // '<' is Backspace. The field holds 0301 before.
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("via");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("sent");
        const QStringList none;
        QTest::newRow("idle") << "123" << Click << 0 << "0301123" << none;
        QTest::newRow("every key") << "4567890*#" << Click << 0 << "03014567890*#" << none;
        QTest::newRow("calling") << "12" << Click << 1 << "030112" << none;
        QTest::newRow("incoming") << "3" << Click << 2 << "03013" << none;
        QTest::newRow("connected") << "5" << Click << 3 << "0301" << QStringList { "AT+VTS=\"5\"" };
        QTest::newRow("connected, * #") << "*#" << Click << 3 << "0301"
                                        << QStringList { "AT+VTS=\"*\"", "AT+VTS=\"#\"" };
        QTest::newRow("clear") << "12C" << Click << 0 << "" << none;
        QTest::newRow("clear, connected") << "C4" << Click << 3 << "" << QStringList { "AT+VTS=\"4\"" };
        QTest::newRow("typed") << "12#<*" << Page << 0 << "030112*" << none;
        QTest::newRow("typed, connected")
            << "7*<" << Page << 3 << "030" << QStringList { "AT+VTS=\"7\"", "AT+VTS=\"*\"" };
        QTest::newRow("into the field") << "9#<0" << Field << 0 << "030190" << none;
        QTest::newRow("into the field, connected") << "9" << Field << 3 << "0301" << QStringList { "AT+VTS=\"9\"" };
    }

    void keys()
    {
        QFETCH(QString, input);
        QFETCH(int, via);
        QFETCH(int, state);
        QFETCH(QString, number);
        QFETCH(QStringList, sent);
        Uc20TestRig rig;
        COutCallForm form(nullptr, rig.uc20(), nullptr);
        auto* field = form.findChild<QLineEdit*>(QStringLiteral("lineEdit_phonenumber"));
        QTest::keyClicks(field, QStringLiteral("0301"));
        const char* const calls[] = { "", "1,0,2,0,0,\"020\",129", "1,1,4,0,0,\"020\",129", "1,1,0,0,0,\"020\",129" };
        rig.uc20()->errorInject({ "AT+CLCC", QLatin1String("+CLCC: ") + calls[state], "OK" });
        rig.drain();
        QCOMPARE(int(rig.uc20()->callState()), state);

        const auto key = [&form](const QString& name) {
            return form.findChild<QPushButton*>(QStringLiteral("pushButton_") + name);
        };
        for (const QChar c : input) {
            const QString name = c == '*' ? "star" : c == '#' ? "hash" : c == 'C' ? "clear" : QString(c);
            QWidget* target = via == Field ? static_cast<QWidget*>(field) : key(QStringLiteral("5"));
            if (c == 'C' || via == Click)
                QTest::mouseClick(key(name), Qt::LeftButton);
            else if (c == '<')
                QTest::keyClick(target, Qt::Key_Backspace);
            else
                QTest::keyClick(target, c.toLatin1());
        }
        QCOMPARE(form.number(), number);
        QCOMPARE(rig.takeSentCommands(), sent);
    }
};

QTEST_MAIN(TestCOutCallForm)
#include "tst_coutcallform.moc"
