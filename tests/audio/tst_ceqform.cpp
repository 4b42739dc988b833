#include "CEQForm.h"
#include "LinkRig.h"
#include "OrvaneEQPanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>

namespace {

// Each message sent: "4.0:140700" writes 0x007 to codec register 20.
using Sent = QStringList;

QStringList warnings;

} // namespace

class TestCEQForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<LinkRig> m_rig;
    CNau8810* m_nau = nullptr;
    CEQForm* m_form = nullptr;

    template <typename W> W* band(int n, const char* what)
    {
        return m_form->findChild<W*>(QStringLiteral("band%1_%2").arg(n).arg(QLatin1String(what)));
    }

    // Slider (shown value), frequency and type of band n | the panel's gain, frequency and octaves.
    QString state(int n)
    {
        const auto* type = band<QComboBox>(n, "type");
        const auto* panel = m_form->findChild<OrvaneEQPanel*>("eq_panel");
        const QByteArray k = QByteArray::number(n);
        return QStringLiteral("%1 (%2) %3 %4 | %5 dB %6 Hz %7")
            .arg(band<QSlider>(n, "gain")->value())
            .arg(band<QLineEdit>(n, "gainvalue")->text(), band<QComboBox>(n, "freq")->currentText(),
                type ? type->currentText() : QStringLiteral("-"))
            .arg(panel->property(("GainBand" + k).constData()).toDouble())
            .arg(panel->property(("FrequencyBand" + k).constData()).toInt())
            .arg(panel->property(("BandwidthBand" + k).constData()).toDouble());
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<LinkRig>();
        m_nau = m_rig->nau8810();
        warnings.clear();
        const QtMessageHandler previous
            = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                  if (type != QtDebugMsg && type != QtInfoMsg)
                      warnings << text;
              });
        m_form = new CEQForm(m_nau, m_rig->console(), nullptr);
        qInstallMessageHandler(previous);
        m_rig->takeSent();
    }

    void cleanup()
    {
        delete m_form;
        m_rig.reset();
    }

    void buildsQuietly()
    {
        QCOMPARE(warnings, QStringList());
        QCOMPARE(state(1), QStringLiteral("0 (0) 80 Hz - | 0 dB 80 Hz 1"));
        QCOMPARE(state(4), QStringLiteral("0 (0) 1.8 KHz Narrow | 0 dB 1800 Hz 1"));
        const auto* panel = m_form->findChild<OrvaneEQPanel*>("eq_panel");
        QCOMPARE(
            QVector<int>({ panel->TypeBand1(), panel->TypeBand3(), panel->TypeBand5() }), QVector<int>({ 2, 3, 4 }));
    }

    void changes_data()
    {
        QTest::addColumn<QString>("step"); // "gain|freq|type <band> <value>" or "report <id> <payload>"
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<Sent>("sent");
        auto row = [](const char* name, const char* step, int n, const char* expected, Sent sent) {
            QTest::newRow(name) << step << n << expected << sent;
        };
        row("band 3 +5 dB", "gain 3 5", 3, "5 (5) 650 Hz Narrow | 5 dB 650 Hz 1", { "4.0:140700" });
        row("band 1 +12 dB", "gain 1 12", 1, "12 (12) 80 Hz - | 12 dB 80 Hz 1", { "4.0:120000" });
        row("band 5 -12 dB", "gain 5 -12", 5, "-12 (-12) 5.3 KHz - | -12 dB 5300 Hz 1", { "4.0:161800" });
        row("band 4 wide", "type 4 1", 4, "0 (0) 1.8 KHz Wide | 0 dB 1800 Hz 2", { "4.0:150001" });
        row("band 1 175 Hz", "freq 1 3", 1, "0 (0) 175 Hz - | 0 dB 175 Hz 1", { "4.0:126000" });
        row("band 3 850 Hz", "freq 3 1", 3, "0 (0) 850 Hz Narrow | 0 dB 850 Hz 1", { "4.0:142000" });
        row("band 5 9 kHz", "freq 5 2", 5, "0 (0) 9.0 KHz - | 0 dB 9000 Hz 1", { "4.0:164000" });
        // A report moves each control that differs, and each of those writes its field back.
        row("reg 19 = 0x16C", "report 4 136c01", 2, "0 (0) 500 Hz Wide | 0 dB 500 Hz 2",
            { "4.0:136c01", "4.0:136c01" });
        row("equal to controls", "report 4 130c00", 2, "0 (0) 230 Hz Narrow | 0 dB 230 Hz 1", {});
        row("reg 18 bit 8", "report 4 120c01", 1, "0 (0) 80 Hz - | 0 dB 80 Hz 1", {});
        row("gain code 31", "report 4 141f00", 3, "-12 (-12) 650 Hz Narrow | -12 dB 650 Hz 1", { "4.0:141800" });
        row("reg 17", "report 4 117f01", 1, "0 (0) 80 Hz - | 0 dB 80 Hz 1", {});
        row("not a codec id", "report 3 136c01", 2, "0 (0) 230 Hz Narrow | 0 dB 230 Hz 1", {});
    }

    void changes()
    {
        QFETCH(QString, step);
        QFETCH(int, n);
        const QStringList word = step.split(QLatin1Char(' '));
        if (word[0] == QLatin1String("report")) {
            // The main window hands every report to the codec model before the page.
            const QByteArray payload = QByteArray::fromHex(word[2].toLatin1());
            m_nau->onReceiveUSB(word[1].toInt(), 0, payload);
            m_form->onReceiveUSB(word[1].toInt(), 0, payload);
        } else if (word[0] == QLatin1String("gain")) {
            band<QSlider>(n, "gain")->setValue(word[2].toInt());
        } else {
            band<QComboBox>(n, qPrintable(word[0]))->setCurrentIndex(word[2].toInt());
        }
        QTEST(m_rig->takeSent(), "sent");
        QTEST(state(n), "expected");
    }

    void foreignSenderDoesNothing()
    {
        QSlider slider;
        QComboBox combo;
        combo.addItems({ "a", "b" });
        connect(&slider, &QSlider::valueChanged, m_form, &CEQForm::on_gain_valueChanged);
        connect(&combo, qOverload<int>(&QComboBox::currentIndexChanged), m_form, &CEQForm::freq_currentIndexChanged);
        connect(&combo, qOverload<int>(&QComboBox::currentIndexChanged), m_form, &CEQForm::on_type_currentIndexChanged);
        slider.setValue(7);
        combo.setCurrentIndex(1);
        m_form->on_gain_valueChanged(3);
        QCOMPARE(m_rig->takeSent(), Sent());
        QCOMPARE(state(1), QStringLiteral("0 (0) 80 Hz - | 0 dB 80 Hz 1"));
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
};

QTEST_MAIN(TestCEQForm)
#include "tst_ceqform.moc"
