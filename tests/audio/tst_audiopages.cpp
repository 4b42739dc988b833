#include "CEQForm.h"
#include "CSettingsForm.h"
#include "CallKeys.h"
#include "LinkRig.h"
#include "OrvaneEQPanel.h"

#include "ProgramEnvironment.h"
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <functional>

namespace {

// Three arguments always, zeros for those a row leaves out.
using Args = std::array<int, 3>;
using Action = std::function<void(CNau8810&, const Args&)>;

// Each operation under test by its name; a row calls it as "name(1,0x2D)" with up to three integers.
const QMap<QString, Action>& actions()
{
    static const QMap<QString, Action> map {
        { "setPGAGain", [](CNau8810& c, const Args& a) { c.setPGAGain(a[0]); } },
        { "setPGAMute", [](CNau8810& c, const Args& a) { c.setPGAMute(a[0]); } },
        { "setADCGain", [](CNau8810& c, const Args& a) { c.setADCGain(a[0]); } },
        { "setDACGain", [](CNau8810& c, const Args& a) { c.setDACGain(a[0]); } },
        { "setDACMute", [](CNau8810& c, const Args& a) { c.setDACMute(a[0]); } },
        { "setPGABoost", [](CNau8810& c, const Args& a) { c.setPGABoost(NAU8810_PGABST(a[0])); } },
        { "setEQPath", [](CNau8810& c, const Args& a) { c.setEQPath(NAU8810_EQ_PATH(a[0])); } },
        { "setEQBandWidth",
            [](CNau8810& c, const Args& a) { c.setEQBandWidth(NAU8810_EQ_BAND(a[0]), NAU8810_EQ_BANDWIDTH(a[1])); } },
        { "setEQGain", [](CNau8810& c, const Args& a) { c.setEQGain(NAU8810_EQ_BAND(a[0]), a[1]); } },
        { "setEQ1Freq", [](CNau8810& c, const Args& a) { c.setEQ1Freq(NAU8810_EQ1_CF(a[0])); } },
        { "setEQ2Freq", [](CNau8810& c, const Args& a) { c.setEQ2Freq(NAU8810_EQ2_CF(a[0])); } },
        { "setEQ3Freq", [](CNau8810& c, const Args& a) { c.setEQ3Freq(NAU8810_EQ3_CF(a[0])); } },
        { "setEQ4Freq", [](CNau8810& c, const Args& a) { c.setEQ4Freq(NAU8810_EQ4_CF(a[0])); } },
        { "setEQ5Freq", [](CNau8810& c, const Args& a) { c.setEQ5Freq(NAU8810_EQ5_CF(a[0])); } },
        { "notchFilter", [](CNau8810& c, const Args& a) { c.notchFilter(a[0]); } },
        { "notchFilterConfig", [](CNau8810& c, const Args& a) { c.notchFilterConfig(a[0], a[1], a[2]); } },
        { "softwareReset", [](CNau8810& c, const Args&) { c.softwareReset(); } },
        { "writeRegister", [](CNau8810& c, const Args& a) { c.writeRegister(quint8(a[0]), quint16(a[1])); } },
        { "requestRegister", [](CNau8810& c, const Args& a) { c.requestRegister(quint8(a[0])); } },
    };
    return map;
}

// Each message sent: "4.0:140700" writes 0x007 to codec register 20.
using Sent = QStringList;

QStringList warnings;

} // namespace

// The codec model, and the equaliser and settings pages on it, on an open link to a fake hybrid.
class TestAudioPages : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    std::unique_ptr<LinkRig> m_rig;
    CNau8810* m_nau = nullptr;
    CEQForm* m_eq = nullptr;
    std::unique_ptr<CSettingsForm> m_settings;

    template <typename W> W* band(int n, const char* what)
    {
        return m_eq->findChild<W*>(QStringLiteral("band%1_%2").arg(n).arg(QLatin1String(what)));
    }

    // Slider (shown value), frequency and type of band n | the panel's gain, frequency and octaves.
    QString state(int n)
    {
        const auto* type = band<QComboBox>(n, "type");
        const auto* panel = m_eq->findChild<OrvaneEQPanel*>("eq_panel");
        const QByteArray k = QByteArray::number(n);
        return QStringLiteral("%1 (%2) %3 %4 | %5 dB %6 Hz %7")
            .arg(band<QSlider>(n, "gain")->value())
            .arg(band<QLineEdit>(n, "gainvalue")->text(), band<QComboBox>(n, "freq")->currentText(),
                type ? type->currentText() : QStringLiteral("-"))
            .arg(panel->property(("GainBand" + k).constData()).toDouble())
            .arg(panel->property(("FrequencyBand" + k).constData()).toInt())
            .arg(panel->property(("BandwidthBand" + k).constData()).toDouble());
    }

    // Steps separated by ';': "report 2DB000" hands the model a register report, any other calls an action.
    void run(const QString& script)
    {
        for (const QString& step : script.split(QLatin1Char(';'))) {
            if (step.startsWith(QLatin1String("report "))) {
                m_nau->onReceiveUSB(DeviceMessage::CodecRegister, 0, QByteArray::fromHex(step.mid(7).toLatin1()));
            } else {
                const QString name = step.section(QLatin1Char('('), 0, 0);
                const QStringList texts = step.section(QLatin1Char('('), 1).chopped(1).split(QLatin1Char(','));
                Args args {};
                for (int i = 0; i < texts.size() && i < int(args.size()); ++i)
                    args[i] = texts[i].toInt(nullptr, 0);
                QVERIFY2(actions().contains(name), qPrintable(step));
                actions().value(name)(*m_nau, args);
            }
        }
    }

    QSlider* slider(const char* name) { return m_settings->findChild<QSlider*>(QLatin1String(name)); }
    QString text(const char* name) { return m_settings->findChild<QLineEdit*>(QLatin1String(name))->text(); }

    // A report reaches the codec model before the pages, as the main window wires them.
    void report(int id, const QByteArray& hex)
    {
        const QByteArray payload = QByteArray::fromHex(hex);
        m_nau->onReceiveUSB(id, 0, payload);
        m_eq->onReceiveUSB(id, 0, payload);
        m_settings->onReceiveUSB(id, 0, payload);
    }

private slots:
    void initTestCase() { isolateSettings(m_settingsDir.path()); }

    void init()
    {
        QSettings().clear();
        m_rig = std::make_unique<LinkRig>();
        m_nau = m_rig->nau8810();
        warnings.clear();
        const QtMessageHandler previous
            = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                  if (type != QtDebugMsg && type != QtInfoMsg)
                      warnings << text;
              });
        m_eq = new CEQForm(m_nau, m_rig->console(), nullptr);
        qInstallMessageHandler(previous);
        m_rig->takeSent();
        m_settings = std::make_unique<CSettingsForm>(m_rig->context(), nullptr);
    }

    void cleanup()
    {
        delete m_eq;
        m_settings.reset();
        m_rig.reset();
    }

    void codecWrites_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<Sent>("expected");
        auto row = [](const char* name, const char* script, Sent expected) {
            QTest::newRow(name) << QString(script) << expected;
        };
        row("pga gain over a report", "report 2DB000;setPGAGain(10)", { "4.0:2d8a00" });
        row("pga gain above range", "setPGAGain(70)", { "4.0:2d3f00" });
        row("high bits kept", "report 2D00FE;setPGAGain(1)", { "4.0:2d01fe" });
        row("pga mute on", "report 2D1001;setPGAMute(1)", { "4.0:2d5001" });
        row("adc gain keeps bit 8", "report 0FFF01;setADCGain(200)", { "4.0:0fc801" });
        row("dac gain keeps bit 8", "report 0B1001;setDACGain(128)", { "4.0:0b8001" });
        row("dac mute on", "setDACMute(1)", { "4.0:0a4000" });
        row("boost on", "setPGABoost(1)", { "4.0:2f0001" });
        row("boost bit 0 only", "setPGABoost(2)", { "4.0:2f0000" });
        row("eq path 1", "report 122C00;setEQPath(1)", { "4.0:122c01" });
        row("bandwidth band 3", "report 144C00;setEQBandWidth(2,1)", { "4.0:144c01" });
        row("bandwidth band 1", "setEQBandWidth(0,1)", {});
        row("bandwidth band 5", "setEQBandWidth(4,1)", {});
        row("eq gain above range", "setEQGain(2,30)", { "4.0:141800" });
        row("eq gain band 5", "report 167F01;setEQGain(4,5)", { "4.0:166501" });
        row("eq gain band 6", "setEQGain(5,3)", {});
        row("eq3 freq two bits", "setEQ3Freq(6)", { "4.0:144000" });
        row("eq5 freq", "report 166C00;setEQ5Freq(0)", { "4.0:160c00" });
        row("notch on", "notchFilter(1)", { "4.0:1b8000" });
        row("notch keeps enable, clears update", "report 1BFF03;report 1C0001;notchFilterConfig(1000,100,8000)",
            { "4.0:1bc402", "4.0:1c6c00", "4.0:1d2b00", "4.0:1e4500", "4.0:1e4501", "4.0:1e4500" });
        row("software reset", "report 015501;softwareReset()", { "4.0:010000" });
        row("read request", "requestRegister(79)", { "4.1:4f" });
        row("write-through over a report", "report 120001;setEQGain(0,6);setEQ1Freq(2)",
            { "4.0:120601", "4.0:124601" });
        row("raw write is cached", "writeRegister(45,0xFFFF);setPGAMute(0)", { "4.0:2dffff", "4.0:2dbfff" });
    }

    void codecWrites()
    {
        QFETCH(QString, script);
        run(script);
        QTEST(m_rig->takeSent(), "expected");
    }

    void codecReports()
    {
        // Other ids are not codec reports; the type is never examined; short payloads pad with 0.
        QSignalSpy lines(m_rig->console(), &CConsole::debug);
        m_nau->onReceiveUSB(DeviceMessage::AtCommand, 0, QByteArray::fromHex("2DB000"));
        QVERIFY(!m_nau->isRegisterKnown(45));
        m_nau->onReceiveUSB(DeviceMessage::CodecRegister, 0xC0, QByteArray::fromHex("2DB0010000"));
        QCOMPARE(m_nau->registerValue(45), quint16(0x1B0));
        m_nau->onReceiveUSB(DeviceMessage::CodecRegister, 1, QByteArray::fromHex("2D"));
        QCOMPARE(m_nau->registerValue(45), quint16(0));
        QVERIFY(m_nau->isRegisterKnown(45));
        // The report of the last register, and only that, ends the listing.
        run("report 4E0000;report 4F0100");
        QCOMPARE(lines.count(), 1);
        QCOMPARE(lines.at(0).at(0).toString(), QStringLiteral("Request registers NAU8810: Done"));
        QCOMPARE(m_rig->takeSent(), Sent());
    }

    void registerChangedFollowsTheCache()
    {
        QSignalSpy spy(m_nau, &CNau8810::registerChanged);
        run("report 2DB000;report 2DB000;setPGAGain(10);setPGAGain(10);requestRegister(79)");
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0), QVariantList({ 45, QVariant::fromValue(quint16(0xB0)) }));
        QCOMPARE(spy.at(1), QVariantList({ 45, QVariant::fromValue(quint16(0x8A)) }));
        QCOMPARE(m_nau->registerValue(45), quint16(0x8A));
    }

    void equaliserChanges_data()
    {
        // "freq|type <band> <value>", "typed <band> <text>" (then Enter), "key <band> <key>" on
        // the slider, or "report <id> <payload>"
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<Sent>("sent");
        auto row = [](const char* name, const char* step, int n, const char* expected, Sent sent) {
            QTest::newRow(name) << step << n << expected << sent;
        };
        row("band 4 wide", "type 4 1", 4, "0 (0) 1.8 kHz Wide | 0 dB 1800 Hz 2", { "4.0:150001" });
        row("band 1 175 Hz", "freq 1 3", 1, "0 (0) 175 Hz - | 0 dB 175 Hz 1", { "4.0:126000" });
        row("band 3 850 Hz", "freq 3 1", 3, "0 (0) 850 Hz Narrow | 0 dB 850 Hz 1", { "4.0:142000" });
        row("band 5 9 kHz", "freq 5 2", 5, "0 (0) 9.0 kHz - | 0 dB 9000 Hz 1", { "4.0:164000" });
        // A report moves each control that differs, and each of those writes its field back.
        row("reg 19 = 0x16C", "report 4 136c01", 2, "0 (0) 500 Hz Wide | 0 dB 500 Hz 2",
            { "4.0:136c01", "4.0:136c01" });
        row("equal to controls", "report 4 130c00", 2, "0 (0) 230 Hz Narrow | 0 dB 230 Hz 1", {});
        row("reg 18 bit 8", "report 4 120c01", 1, "0 (0) 80 Hz - | 0 dB 80 Hz 1", {});
        row("gain code 31", "report 4 141f00", 3, "-12 (-12) 650 Hz Narrow | -12 dB 650 Hz 1", { "4.0:141800" });
        row("reg 17", "report 4 117f01", 1, "0 (0) 80 Hz - | 0 dB 80 Hz 1", {});
        // A typed gain is held to the codec's range; the field then shows the gain that is set.
        row("typed +5", "typed 3 +5", 3, "5 (5) 650 Hz Narrow | 5 dB 650 Hz 1", { "4.0:140700" });
        row("typed minus sign", "typed 4 \u22123", 4, "-3 (-3) 1.8 kHz Narrow | -3 dB 1800 Hz 1", { "4.0:150f00" });
        row("typed above", "typed 1 15", 1, "12 (12) 80 Hz - | 12 dB 80 Hz 1", { "4.0:120000" });
        row("typed below", "typed 5 -40", 5, "-12 (-12) 5.3 kHz - | -12 dB 5300 Hz 1", { "4.0:161800" });
        row("typed no number", "typed 2 -", 2, "0 (0) 230 Hz Narrow | 0 dB 230 Hz 1", {});
        // The arrow keys take the codec's one dB step, the page keys three.
        row("arrow up", "key 3 up", 3, "1 (1) 650 Hz Narrow | 1 dB 650 Hz 1", { "4.0:140b00" });
        row("page down", "key 3 pagedown", 3, "-3 (-3) 650 Hz Narrow | -3 dB 650 Hz 1", { "4.0:140f00" });
        row("not a codec id", "report 3 136c01", 2, "0 (0) 230 Hz Narrow | 0 dB 230 Hz 1", {});
    }

    void equaliserChanges()
    {
        QFETCH(QString, step);
        QFETCH(int, n);
        const QStringList word = step.split(QLatin1Char(' '));
        if (word[0] == QLatin1String("report")) {
            report(word[1].toInt(), word[2].toLatin1());
        } else if (word[0] == QLatin1String("typed")) {
            auto* field = band<QLineEdit>(n, "gainvalue");
            field->selectAll();
            for (const QChar c : word[2]) { // a typographic minus too, which keyClicks cannot type
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(field, &press);
            }
            QTest::keyClick(field, Qt::Key_Return);
        } else if (word[0] == QLatin1String("key")) {
            QTest::keyClick(band<QSlider>(n, "gain"), word[2] == QLatin1String("up") ? Qt::Key_Up : Qt::Key_PageDown);
        } else {
            band<QComboBox>(n, qPrintable(word[0]))->setCurrentIndex(word[2].toInt());
        }
        QTEST(m_rig->takeSent(), "sent");
        QTEST(state(n), "expected");
    }

    // Even on the page at its smallest, a dB of gain is a few pixels of the slider's travel.
    void gainSliderRoom()
    {
        m_eq->resize(m_eq->minimumSizeHint());
        m_eq->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_eq));
        for (int n = 1; n <= 5; ++n) {
            QSlider* gain = band<QSlider>(n, "gain");
            const int travel = gain->width() - gain->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, gain);
            QVERIFY2(travel >= 3 * (gain->maximum() - gain->minimum()), qPrintable(QString::number(travel)));
            QVERIFY(gain->visibleRegion().boundingRect().width() == gain->width());
        }
    }

    // The page builds without a warning; called other than by a band's own control, its slots
    // leave every band alone.
    void equaliserQuietAndAlone()
    {
        QCOMPARE(warnings, QStringList());
        const auto* panel = m_eq->findChild<OrvaneEQPanel*>("eq_panel");
        QCOMPARE(
            QVector<int>({ panel->TypeBand1(), panel->TypeBand3(), panel->TypeBand5() }), QVector<int>({ 2, 3, 4 }));
        m_eq->on_gain_valueChanged(3);
        m_eq->freq_currentIndexChanged(1);
        m_eq->on_type_currentIndexChanged(1);
        QCOMPARE(m_rig->takeSent(), Sent());
        QCOMPARE(state(2), QStringLiteral("0 (0) 230 Hz Narrow | 0 dB 230 Hz 1"));
    }

    void escapeKeepsThePage()
    {
        // As on the main window: built without a parent, then placed in the page stack.
        QStackedWidget stack;
        auto* page = new CEQForm(m_nau, m_rig->console(), nullptr);
        stack.addWidget(page);
        stack.show();
        QTest::keyClick(page->findChild<QSlider*>("band3_gain"), Qt::Key_Escape);
        QVERIFY(page->isVisible());
    }

    void settingsSlider_data()
    {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Sent>("sent");
        QTest::newRow("send bottom") << "send" << 0 << "-12" << Sent { "4.0:2d0000" };
        QTest::newRow("send 0 dB") << "send" << 16 << "0" << Sent { "4.0:2d1000" };
        QTest::newRow("send top") << "send" << 63 << "35.25" << Sent { "4.0:2d3f00" };
        QTest::newRow("recv bottom") << "recv" << 1 << "0%" << Sent { "4.0:0b0100" };
        QTest::newRow("recv top") << "recv" << 255 << "100%" << Sent { "4.0:0bff00" };
    }

    void settingsSlider()
    {
        QFETCH(QString, slider);
        QFETCH(int, value);
        const QByteArray name = "horizontalSlider_" + slider.toLatin1();
        // Start one step away so that the value really changes.
        this->slider(name)->setValue(value == 1 || value == 0 ? value + 1 : value - 1);
        m_rig->takeSent();
        this->slider(name)->setValue(value);
        QTEST(text(slider == "send" ? "lineEdit_sendgain" : "lineEdit_recvgain"), "shown");
        QTEST(m_rig->takeSent(), "sent");
    }

    void settingsReportIsWrittenBackOnce_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Sent>("sent");
        QTest::addColumn<QString>("shown"); // receive slider and text|send slider and text|auto answer
        QTest::newRow("recv 0x80") << 4 << QByteArray("0b8000") << Sent { "4.0:0b8000" } << "128 50%|0 |0";
        QTest::newRow("send bits 0-5 only") << 4 << QByteArray("2dc500") << Sent { "4.0:2dc500" } << "1 |5 -8.25|0";
        // A report of the value already on show still fills the empty text field.
        QTest::newRow("send where it stands") << 4 << QByteArray("2d0000") << Sent {} << "1 |0 -12|0";
        QTest::newRow("other register") << 4 << QByteArray("0a4000") << Sent {} << "1 |0 |0";
        QTest::newRow("auto answer 2") << 16 << QByteArray("02") << Sent { "16.0:01" } << "1 |0 |1";
        QTest::newRow("auto answer off") << 16 << QByteArray("00") << Sent {} << "1 |0 |0";
    }

    void settingsReportIsWrittenBackOnce()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, payload);
        report(id, payload);
        QTEST(m_rig->takeSent(), "sent");
        // The same report again finds the controls where it wants them.
        report(id, payload);
        QCOMPARE(m_rig->takeSent(), Sent());
        const bool autoAnswer = m_settings->findChild<QCheckBox*>(QStringLiteral("checkBox_enable"))->isChecked();
        QTEST(QStringLiteral("%1 %2|%3 %4|%5")
                  .arg(QString::number(slider("horizontalSlider_recv")->value()), text("lineEdit_recvgain"),
                      QString::number(slider("horizontalSlider_send")->value()), text("lineEdit_sendgain"),
                      QString::number(autoAnswer)),
            "shown");
    }

    void dialNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // in the settings afterwards
        QTest::addColumn<bool>("refused");   // with a reason shown
        QTest::newRow("plain") << "0612345678"
                               << "0612345678" << false;
        QTest::newRow("spaced") << "06 1234 5678"
                                << "06 1234 5678" << false;
        QTest::newRow("letters") << "abc"
                                 << "" << true;
        QTest::newRow("service code") << "*#06#"
                                      << "*#06#" << false;
    }

    // Stored as typed, on disk before the page goes and read back by a new page; text that is no
    // number is refused.
    void dialNumbers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, refused);
        QTest::keyClicks(m_settings->findChild<QLineEdit*>(QStringLiteral("lineEdit_dialnr3")), typed);
        const QString reason = m_settings->findChild<QLabel*>(QStringLiteral("label_dialRefusal"))->text();
        QCOMPARE(reason.startsWith(QStringLiteral("Speed dial 3 is not stored: ")), refused);
        QVERIFY(refused || m_settings->dialNumber(3) == stored);
        for (int outside : { 0, 9, -1 })
            QVERIFY(m_settings->dialNumber(outside).isEmpty());
        QFile file(QSettings().fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().contains("dialnr3=" + stored.toUtf8() + '\n'), !refused);
        m_settings = std::make_unique<CSettingsForm>(m_rig->context(), nullptr);
        QCOMPARE(m_settings->dialNumber(3), stored);
        QVERIFY(m_settings->dialNumber(1).isEmpty());
        m_settings.reset();
        QCOMPARE(QSettings().value(QStringLiteral("dialnr3")).toString(), stored);
    }

    void ringToneIsStoredAtOnce()
    {
        QSettings().setValue(QStringLiteral("RingTone/Device"), QStringLiteral("Gone Speaker"));
        m_settings = std::make_unique<CSettingsForm>(m_rig->context(), nullptr);
        m_settings->show();
        auto* outputs = m_settings->findChild<QComboBox*>(QStringLiteral("comboBox_ringDevice"));
        QCOMPARE(outputs->itemData(0).toString(), QString());
        QCOMPARE(outputs->currentText(), QStringLiteral("Gone Speaker (not connected)"));
        emit outputs->activated(0);
        slider("slider_ringVolume")->setValue(35);
        QCOMPARE(text("lineEdit_ringVolume"), QStringLiteral("35%"));
        m_settings->findChild<QCheckBox*>(QStringLiteral("checkBox_ringTone"))->click();
        QVERIFY(!outputs->isEnabled() && !slider("slider_ringVolume")->isEnabled());
        QFile file(QSettings().fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray stored = file.readAll();
        for (const char* line : { "Device=\n", "Volume=35\n", "Enabled=false\n" })
            QVERIFY2(stored.contains(line), stored.constData());
    }

    void callKeys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("keys"); // answer|hang-up afterwards
        QTest::addColumn<bool>("refused");
        auto row = [](const char* name, const char* field, int key, int modifiers, const char* keys, bool refused) {
            QTest::newRow(name) << field << key << modifiers << keys << refused;
        };
        row("function key", "answer", Qt::Key_F5, 0, "F5|F10", false);
        row("ctrl and letter", "hangUp", Qt::Key_H, Qt::ControlModifier, "F9|Ctrl+H", false);
        row("alt and digit", "answer", Qt::Key_1, Qt::AltModifier, "Alt+1|F10", false);
        row("modifier alone", "answer", Qt::Key_Control, Qt::ControlModifier, "F9|F10", false);
        row("letter", "answer", Qt::Key_A, 0, "F9|F10", true);
        row("shift and letter", "hangUp", Qt::Key_A, Qt::ShiftModifier, "F9|F10", true);
        row("number pad digit", "answer", Qt::Key_5, Qt::KeypadModifier, "F9|F10", true);
        row("space", "hangUp", Qt::Key_Space, 0, "F9|F10", true);
        row("return", "answer", Qt::Key_Return, 0, "F9|F10", true);
        row("enter", "answer", Qt::Key_Enter, Qt::KeypadModifier, "F9|F10", true);
        row("escape", "hangUp", Qt::Key_Escape, 0, "F9|F10", true);
        row("the other key", "answer", Qt::Key_F10, 0, "F9|F10", true);
    }

    void callKeys()
    {
        QFETCH(QString, field);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, keys);
        QSignalSpy changed(m_settings.get(), &CSettingsForm::callKeysChanged);
        auto* edit = m_settings->findChild<QKeySequenceEdit*>("keyEdit_" + field);
        QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const QString inForce = CallKeys::answerKey().toString() + '|' + CallKeys::hangUpKey().toString();
        QCOMPARE(inForce, keys);
        QCOMPARE(changed.count(), int(inForce != QLatin1String("F9|F10")));
        const int shown = field == QLatin1String("answer") ? 0 : 1;
        QCOMPARE(edit->keySequence().toString(), keys.section('|', shown, shown));
        QTEST(!m_settings->findChild<QLabel*>(QStringLiteral("label_keyRefused"))->isHidden(), "refused");
        m_settings->findChild<QPushButton*>(QStringLiteral("pushButton_defaultKeys"))->click();
        QCOMPARE(CallKeys::answerKey().toString() + '|' + CallKeys::hangUpKey().toString(), QStringLiteral("F9|F10"));
        QCOMPARE(changed.count(), 2 * int(inForce != QLatin1String("F9|F10")));
    }
};

QTEST_MAIN(TestAudioPages)
#include "tst_audiopages.moc"
