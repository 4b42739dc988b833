#include "CConsole.h"
#include "DebugForm.h"
#include "InfoForm.h"
#include "LinkRig.h"
#include "ModalAnswer.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <utility>

namespace {

// The page on an open link to the fake hybrid; what it logged is read back.
struct PageRig : LinkRig
{
    PageRig()
    {
        QObject::connect(console(), &CConsole::error, [this] { log << "error"; });
        QObject::connect(
            console(), &CConsole::_trace, [this](QString file, QString function, QString line, QString text) {
                if (file.endsWith("DebugForm"))
                    log << QStringList { file, function, line, text }.join(' ');
            });
        page.show();
    }

    template <typename T> T* find(const QString& name) const { return page.findChild<T*>(name); }

    QString takePageLog() { return std::exchange(log, QStringList()).join('|'); }

    QDate today { 2024, 3, 5 };
    QStringList log;
    DebugForm page { context(), [this] { return today; }, nullptr };
};

// Steps, separated by ';': "click x", "press x", "release x", "type x text" (keys into the emptied
// field), "paste x text", "pick x text" (a combo box item), "slide n" (the label follows), "answer n"
// (the module's side tone), "tomorrow" (the date moves on), "yes" (the next question is agreed to)
// and "settle".
void run(PageRig& rig, const QString& steps)
{
    for (const QString& step : steps.split(';')) {
        const QString verb = step.section(' ', 0, 0), name = step.section(' ', 1, 1), text = step.section(' ', 2);
        if (verb == "click")
            rig.find<QAbstractButton>(name)->click();
        else if (verb == "press")
            QTest::mousePress(rig.find<QAbstractButton>(name), Qt::LeftButton);
        else if (verb == "release")
            QTest::mouseRelease(rig.find<QAbstractButton>(name), Qt::LeftButton);
        else if (verb == "type") {
            rig.find<QLineEdit>(name)->clear();
            QTest::keyClicks(rig.find<QLineEdit>(name), text);
        } else if (verb == "paste")
            rig.find<QLineEdit>(name)->setText(text);
        else if (verb == "pick")
            rig.find<QComboBox>(name)->setCurrentText(text);
        else if (verb == "yes")
            ModalAnswer::whenShown(&rig.page, [](QWidget* box) { ModalAnswer::clickButton(box, QMessageBox::Yes); });
        else if (verb == "tomorrow")
            rig.today = rig.today.addDays(1);
        else if (verb == "slide") {
            rig.find<QSlider>("horizontalSlider_stGain")->setValue(name.toInt());
            QCOMPARE(rig.find<QLabel>("label_stGain")->text(), name);
        } else if (verb == "answer")
            rig.page.onUC20Sidetone(name.toInt());
        else
            QVERIFY(QTest::qWaitFor([&rig] { return !rig.find<QTimer>("sideToneTimer")->isActive(); }, 2000));
    }
}

void row(const char* name, const QString& steps, const QString& sent, const QString& logged = QString())
{
    QTest::newRow(name) << steps << sent << logged;
}

// The message that writes text as the serial number.
QString serialMessage(const QByteArray& text)
{
    return "1.0:" + (text + '\0').toHex();
}

// Markup, an entity, placeholders and an unterminated tag, all to be shown as they are.
const QString kMessage
    = QStringLiteral("<b>bold</b> &lt; is not < %1 %2 <span style=\"color:#000\">x</span> <img src=x");

} // namespace

// The pages that show what the unit holds and change it, the information and the debug page, and
// the console.
class TestDevicePages : public QObject
{
    Q_OBJECT

    // Emits the signal of `level`; a trace also names its source file, function and line.
    static void log(CConsole& console, int level, const QString& msg)
    {
        if (level == CConsole::Trace)
            emit console._trace(QStringLiteral("src/%2"), QStringLiteral("<on_clicked>"), QStringLiteral("35"), msg);
        else if (level == CConsole::Error)
            emit console.error(msg);
        else if (level == CConsole::Warn)
            emit console.warn(msg);
        else if (level == CConsole::Info)
            emit console.info(msg);
        else
            emit console.debug(msg);
    }

private slots:
    // Each control of the debug page: what it sends to the module or the unit, and what it logs.
    void controls_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("logged");
        row("do AT", "click pushButton", "", "../__src/DebugForm on_pushButton_clicked 35 test console..");
        row("raw AT", "type lineEdit_uc20_cmd AT+CSQ;click pushButton_write_uc20", "AT+CSQ");
        row("raw AT, empty", "click pushButton_write_uc20", "");
        row("handset, headset", "click radioButton_handset;click radioButton_headset",
            "AT+QAUDMOD=0|AT+QSIDET?|AT+QAUDMOD=1|AT+QSIDET?");
        row("speaker twice", "click radioButton_speaker;click radioButton_speaker", "AT+QAUDMOD=2|AT+QSIDET?");
        row("side tone get", "click pushButton_stGain_get", "AT+QSIDET?");
        row("test tone on", "click pushButton_testtone_on", "AT+QLTONE=1,1000,1000,1000,15300000");
        row("test tone off", "click pushButton_testtone_off", "AT+QLTONE=0");
        row("slide, same answer", "slide 250;answer 250;settle", "AT+QSIDET=250");
        row("answer", "answer 300;settle", "AT+QSIDET=300");
        row("answer over range", "answer 20000;settle", "AT+QSIDET=10000");
        row("answer while one waits", "slide 10;slide 20;answer 30;settle", "AT+QSIDET=10|AT+QSIDET=30");
        row("reg write", "type lineEdit_reg 1A;type lineEdit_value 1FF;click pushButton_write", "4.0:1aff01");
        row("reg write, no reg", "type lineEdit_value 5;click pushButton_write", "4.0:000500");
        row("reg masks", "type lineEdit_reg 1G2F;type lineEdit_value FFFF;click pushButton_write", "4.0:2fff0f");
        row("reg read", "type lineEdit_reg 2d;click pushButton_read", "4.1:2d");
        row("reg read, no reg", "click pushButton_read", "4.1:00");
        row("factory reset", "yes;click pushButton_factory_reset", "9.0:");
        row("reboot", "yes;click pushButton_reboot", "11.0:");
        row("store", "click pushButton_eeprom", "10.0:");
        row("firmware", "click pushButton_getFirmwareVersion", "5.1:");
        row("identify held", "press pushButton_identify", "7.0:01");
        row("identify let go", "press pushButton_identify;release pushButton_identify", "7.0:01|7.0:00");
        const QString write = ";yes;click pushButton_serial_write";
        row("composed", write.mid(1), serialMessage("24030501V1"));
        row("last items", "pick comboBox_volgnummer 99;pick comboBox_hw_revision V9" + write,
            serialMessage("24030599V9"));
        row("next day, kept", "tomorrow" + write, serialMessage("24030501V1"));
        row("next day, recomposed", "tomorrow;pick comboBox_hw_revision V3" + write, serialMessage("24030601V3"));
        row("typed", "type lineEdit_serial PH-0007" + write, "1.0:50482d3030303700");
        row("35 bytes", "type lineEdit_serial " + QString(35, 'S') + write, "1.0:" + QString("53").repeated(35) + "00");
        row("36 bytes", "type lineEdit_serial " + QString(36, 'S') + write, "", "error");
        row("outside Latin-1", "paste lineEdit_serial 24\u20ac" + write, "", "error");
    }

    void controls()
    {
        QFETCH(QString, steps);
        PageRig rig;
        run(rig, steps);
        QTEST(rig.takeSent().join('|'), "sent");
        QTEST(rig.takePageLog(), "logged");
    }

    void infoPage_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("filled"); // objectName=text [tool tip] of each field that is not empty
        const QByteArray serial36("PH0000201234567890ABCDEFGHIJKLMNOPQR");
        QTest::newRow("serial") << 1 << QByteArray("PH000020\0XY", 11) << "lineEdit_serial=PH000020";
        QTest::newRow("serial, no NUL") << 1 << serial36 << "lineEdit_serial=" + QString(serial36);
        QTest::newRow("hardware id") << 2 << QByteArray::fromHex("000102030405060708090A0B0C0D0E FFFF")
                                     << "lineEdit_hwid=000102030405060708090A-0B0C0D-0E";
        QTest::newRow("module line") << 3 << QByteArray("PH000020\0", 9) << "";
        // The firmware: four little-endian numbers after four unread bytes, shown as reported while
        // they can be a version at all, otherwise as unknown, with what was reported in the tool tip.
        const QString firmware = "lineEdit_firmware=",
                      unknown = firmware + "Unknown (invalid version reported) [The unit reported ";
        const auto row = [](const char* name, const char* hex, const QString& filled) {
            QTest::newRow(name) << 5 << QByteArray::fromHex(hex) << filled;
        };
        row("firmware", "FFFFFFFF 01000000 02000000 03000000 04000000", firmware + "1.2.3.4");
        row("firmware zeros", "00000000 00000000 00000000 00000000 00000000", firmware + "0.0.0.0");
        row("firmware largest", "00000000 FFFFFF7F 00000000 00000000 2C010000", firmware + "2147483647.0.0.300");
        row("firmware all bytes set", "FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF", unknown + "-1.-1.-1.-1]");
        row("firmware one negative", "00000000 02000000 00000080 2C010000 04000000", unknown + "2.-2147483648.300.4]");
    }

    void infoPage()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, payload);
        AppContext context;
        InfoForm form(&context);
        // Each answer replaces the one before, tool tip included.
        if (id == DeviceMessage::FirmwareVersion)
            form.onReceiveUSB(id, 0, QByteArray(36, '\xFF'));
        form.onReceiveUSB(id, 0, payload.leftJustified(36, '\0'));
        QStringList filled;
        for (const QLineEdit* field : form.findChildren<QLineEdit*>())
            if (!field->text().isEmpty())
                filled << field->objectName() + '=' + field->text()
                        + (field->toolTip().isEmpty() ? QString() : " [" + field->toolTip() + ']');
        QTEST(filled.join(';'), "filled");
    }

    void lineFormats_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("shown");
        QTest::newRow("error") << int(CConsole::Error) << "ERROR] " + kMessage;
        QTest::newRow("warn") << int(CConsole::Warn) << "WARN] " + kMessage;
        QTest::newRow("info") << int(CConsole::Info) << "INFO] " + kMessage;
        QTest::newRow("debug") << int(CConsole::Debug) << "DEBUG] " + kMessage;
        // Placeholders in a trace's fields are not filled by the fields that follow.
        QTest::newRow("trace") << int(CConsole::Trace) << "TRACE] {src/%2, <on_clicked>, 35} " + kMessage;
    }

    // Each level is shown only while it is switched on, as "[hh:mm:ss.zzz LEVEL] message", and
    // the message as plain text, markup and all.
    void lineFormats()
    {
        QFETCH(int, level);
        CConsole console;
        log(console, level, QStringLiteral("off by default"));
        console.setLevelEnabled(CConsole::Level(level), true);
        for (int other = CConsole::Error; other <= CConsole::Trace; ++other)
            log(console, other, other == level ? kMessage : QStringLiteral("not switched on"));
        QCOMPARE(console.lineCount(), 1);
        const auto line
            = QRegularExpression(QStringLiteral(R"(^\[\d\d:\d\d:\d\d\.\d{3} (.*)$)")).match(console.plainText());
        QVERIFY2(line.hasMatch(), qPrintable(console.plainText()));
        QTEST(line.captured(1), "shown");
        console.setLevelEnabled(CConsole::Level(level), false);
        log(console, level, QStringLiteral("switched off"));
        QCOMPARE(console.lineCount(), 1);
    }

    void consoleKeepsTheNewest_data()
    {
        QTest::addColumn<int>("logged");
        QTest::addColumn<int>("heldBeforePause"); // lines in the pane before the logging pauses
        QTest::addColumn<int>("first");           // the first line kept
        QTest::newRow("not full") << 4000 << 4000 << 0;
        QTest::newRow("just full") << 5000 << 5000 << 0;
        QTest::newRow("one over") << 5001 << 5001 << 1;
        QTest::newRow("just below the slack") << 5499 << 5499 << 499;
        QTest::newRow("slack full: dropped at once") << 5500 << 5000 << 500;
        QTest::newRow("over again") << 5733 << 5233 << 733;
    }

    // The console keeps the newest 5,000 lines; the pane drops the oldest many at once, when the
    // logging pauses or it holds 500 lines too many.
    void consoleKeepsTheNewest()
    {
        QFETCH(int, logged);
        QFETCH(int, first);
        CConsole console;
        // A pause of a tenth of a second counts as one here: the same trim, sooner.
        console.findChild<QTimer*>(QStringLiteral("trimTimer"))->setInterval(100);
        console.setLevelEnabled(CConsole::Error, true);
        console.setLevelEnabled(CConsole::Info, true);
        for (int i = 0; i < logged; ++i) // red errors on even lines, yellow infos on odd ones
            log(console, i % 2 ? CConsole::Info : CConsole::Error, QStringLiteral("line %1").arg(i));
        QTextDocument* pane = console.findChild<QTextEdit*>(QStringLiteral("textEdit"))->document();
        QTEST(pane->blockCount(), "heldBeforePause");
        // Whoever reads the console sees the newest 5,000 lines at once.
        const int kept = qMin(logged, 5000);
        QCOMPARE(console.lineCount(), kept);
        QStringList lines = console.plainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), kept);
        QVERIFY2(lines.first().endsWith(QStringLiteral("] line %1").arg(first)), qPrintable(lines.first()));
        QVERIFY(lines.last().endsWith(QStringLiteral("] line %1").arg(logged - 1)));
        // After a pause the pane holds them alone, each line in its own colour.
        QTRY_COMPARE_WITH_TIMEOUT(pane->blockCount(), kept, 3000);
        QCOMPARE(pane->toPlainText().split(QLatin1Char('\n')), lines);
        const auto colour
            = [](const QTextBlock& block) { return block.begin().fragment().charFormat().foreground().color(); };
        const QColor red(0xff, 0, 0), yellow(0xff, 0xff, 0);
        QCOMPARE(colour(pane->firstBlock()), first % 2 ? yellow : red);
        QCOMPARE(colour(pane->firstBlock().next()), first % 2 ? red : yellow);
    }
};

QTEST_MAIN(TestDevicePages)
#include "tst_devicepages.moc"
