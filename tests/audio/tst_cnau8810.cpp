#include "LinkRig.h"

#include <QSignalSpy>
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

// Each message written as "id.type:payload in hex", e.g. "4.0:2d8a00".
using Sent = QStringList;

} // namespace

class TestCNau8810 : public QObject
{
    Q_OBJECT

    std::unique_ptr<LinkRig> m_rig;
    CNau8810* m_nau = nullptr;

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

private slots:
    void init()
    {
        m_rig = std::make_unique<LinkRig>();
        m_nau = m_rig->nau8810();
    }

    void cleanup() { m_rig.reset(); }

    void writes_data()
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
        row("bandwidth band 2", "setEQBandWidth(1,1)", { "4.0:130001" });
        row("bandwidth band 3", "report 144C00;setEQBandWidth(2,1)", { "4.0:144c01" });
        row("bandwidth band 1", "setEQBandWidth(0,1)", {});
        row("bandwidth band 5", "setEQBandWidth(4,1)", {});
        row("eq gain band 1", "setEQGain(0,12)", { "4.0:120c00" });
        row("eq gain above range", "setEQGain(2,30)", { "4.0:141800" });
        row("eq gain band 5", "report 167F01;setEQGain(4,5)", { "4.0:166501" });
        row("eq gain band 6", "setEQGain(5,3)", {});
        row("eq1 freq", "report 120C01;setEQ1Freq(3)", { "4.0:126c01" });
        row("eq3 freq two bits", "setEQ3Freq(6)", { "4.0:144000" });
        row("eq5 freq", "report 166C00;setEQ5Freq(0)", { "4.0:160c00" });
        row("notch on", "notchFilter(1)", { "4.0:1b8000" });
        row("notch 1000/100/8000", "notchFilterConfig(1000,100,8000)",
            { "4.0:1b4400", "4.0:1c6c00", "4.0:1d2b00", "4.0:1e4500", "4.0:1e4501", "4.0:1e4500" });
        row("notch keeps enable, clears update", "report 1BFF03;report 1C0001;notchFilterConfig(1000,100,8000)",
            { "4.0:1bc402", "4.0:1c6c00", "4.0:1d2b00", "4.0:1e4500", "4.0:1e4501", "4.0:1e4500" });
        row("software reset", "report 015501;softwareReset()", { "4.0:010000" });
        row("read request", "requestRegister(79)", { "4.1:4f" });
        row("write-through eq gain then freq", "setEQGain(0,6);setEQ1Freq(2)", { "4.0:120600", "4.0:124600" });
        row("write-through over a report", "report 120001;setEQGain(0,6);setEQ1Freq(2)",
            { "4.0:120601", "4.0:124601" });
        row("write-through enable then notch", "notchFilter(1);notchFilterConfig(1000,100,8000)",
            { "4.0:1b8000", "4.0:1bc400", "4.0:1c6c00", "4.0:1d2b00", "4.0:1e4500", "4.0:1e4501", "4.0:1e4500" });
        row("later report replaces a write", "setEQGain(0,6);report 122000;setEQPath(1)",
            { "4.0:120600", "4.0:122001" });
        row("raw write is cached", "writeRegister(45,0xFFFF);setPGAMute(0)", { "4.0:2dffff", "4.0:2dbfff" });
    }

    void writes()
    {
        QFETCH(QString, script);
        run(script);
        QTEST(m_rig->takeSent(), "expected");
    }

    void reports()
    {
        // Other ids are not codec reports; the type is never examined; short payloads pad with 0.
        m_nau->onReceiveUSB(DeviceMessage::AtCommand, 0, QByteArray::fromHex("2DB000"));
        QVERIFY(!m_nau->isRegisterKnown(45));
        m_nau->onReceiveUSB(DeviceMessage::CodecRegister, 0xC0, QByteArray::fromHex("2DB0010000"));
        QCOMPARE(m_nau->registerValue(45), quint16(0x1B0));
        m_nau->onReceiveUSB(DeviceMessage::CodecRegister, 1, QByteArray::fromHex("2D"));
        QCOMPARE(m_nau->registerValue(45), quint16(0));
        QVERIFY(m_nau->isRegisterKnown(45));
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

    void consoleLines()
    {
        QSignalSpy lines(m_rig->console(), &CConsole::debug);
        m_nau->initialize();
        run("report 4E0000;report 4F0100");
        QCOMPARE(lines.count(), 2);
        QCOMPARE(lines.at(0).at(0).toString(), QStringLiteral("Request registers NAU8810: Start"));
        QCOMPARE(lines.at(1).at(0).toString(), QStringLiteral("Request registers NAU8810: Done"));
        QCOMPARE(m_rig->takeSent(), Sent());
    }
};

QTEST_MAIN(TestCNau8810)
#include "tst_cnau8810.moc"
