#include "RingPlayer.h"
#include "RingTone.h"

#include "ProgramEnvironment.h"
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Writes down what the ring tone asks of it: "start cue@35", "stop".
struct RecordingPlayer : RingPlayer
{
    QStringList* calls = nullptr;
    bool playing = false;
    void start(const QString& device, int volume) override
    {
        *calls << QStringLiteral("start %1@%2").arg(device).arg(volume);
        playing = true;
    }
    void stop() override
    {
        *calls << QStringLiteral("stop");
        playing = false;
    }
    bool isPlaying() const override { return playing; }
};

int audioWarnings = 0;

} // namespace

// When the ring sounds, on which output and how loud, through a player that only records.
class TestRingTone : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;

private slots:
    void initTestCase() { isolateSettings(m_settingsDir.path()); }

    void init() { QSettings().clear(); }

    void rings_data()
    {
        QTest::addColumn<QString>("script"); // call states, "unplug", or "Setting=value"
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("ringing");
        auto row = [](const char* name, const char* script, QStringList calls, bool ringing) {
            QTest::newRow(name) << script << calls << ringing;
        };
        row("answered", "incoming;active", { "start @80", "stop" }, false);
        row("declined or missed", "incoming;idle", { "start @80", "stop" }, false);
        row("becomes an outgoing call", "incoming;calling", { "start @80", "stop" }, false);
        row("unit unplugged", "incoming;unplug", { "start @80", "stop" }, false);
        row("reported twice", "incoming;incoming", { "start @80" }, true);
        row("switched off", "Enabled=false;incoming;active", {}, false);
        row("output and volume", "Device=cue;Volume=35;incoming", { "start cue@35" }, true);
        row("volume above range", "Volume=250;incoming", { "start @100" }, true);
        row("settings read per call", "incoming;idle;Volume=20;incoming", { "start @80", "stop", "start @20" }, true);
        row("switched on between calls", "Enabled=false;incoming;idle;Enabled=true;incoming", { "start @80" }, true);
    }

    void rings()
    {
        QFETCH(QString, script);
        auto player = std::make_unique<RecordingPlayer>();
        QStringList calls;
        player->calls = &calls;
        RingTone tone(std::move(player));
        const QStringList states { "idle", "calling", "incoming", "active" };
        for (const QString& step : script.split(QLatin1Char(';'))) {
            if (step.contains(QLatin1Char('=')))
                QSettings().setValue("RingTone/" + step.section('=', 0, 0), step.section('=', 1));
            else if (step == QLatin1String("unplug"))
                tone.onDisconnected();
            else
                tone.onVoicecallStateChange(VOICECALL_STATE(states.indexOf(step)), QStringLiteral("0612345678"));
        }
        QTEST(calls, "calls");
        QTEST(tone.isRinging(), "ringing");
    }

    // Through Qt Multimedia, silent: with or without a sound output the ring starts and stops
    // cleanly, and a missing output is reported once, not at every call.
    void realPlayerWithOrWithoutOutput()
    {
        QFile sound(QStringLiteral(":/resources/sound/ring.wav"));
        QVERIFY(sound.open(QIODevice::ReadOnly));
        const QByteArray header = sound.read(12);
        QVERIFY(header.startsWith("RIFF") && header.endsWith("WAVE"));
        QSettings().setValue(QStringLiteral("RingTone/Volume"), 0);
        QSettings().setValue(QStringLiteral("RingTone/Device"), QStringLiteral("no such output"));
        const QtMessageHandler previous
            = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString&) {
                  audioWarnings += type == QtWarningMsg && qstrcmp(context.category, "parlona.audio") == 0;
              });
        RingTone tone;
        for (int call = 0; call < 3; ++call) {
            tone.onVoicecallStateChange(VOICECALL_INCOMING, QString());
            tone.onVoicecallStateChange(VOICECALL_IDLE, QString());
            QVERIFY(!tone.isRinging());
        }
        qInstallMessageHandler(previous);
        QVERIFY(audioWarnings <= 1);
        QVERIFY(!RingTone::outputDevices().contains(QString()));
    }
};

QTEST_MAIN(TestRingTone)
#include "tst_ringtone.moc"
