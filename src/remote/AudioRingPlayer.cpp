#include "AudioRingPlayer.h"

#include "LogCategories.h"

#include <QFile>
#include <QTimer>
#include <QtEndian>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#else
#include <QAudioDeviceInfo>
#include <QAudioOutput>
#endif

namespace {

const char* const ringSoundPath = ":/resources/sound/ring.wav";
// Enough sound queued to outlast a busy moment of the GUI thread, little enough to stop at once.
constexpr qint64 bufferMicroseconds = 250000;
constexpr int feedIntervalMs = 20;

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
using Device = QAudioDevice;

QList<QAudioDevice> outputs()
{
    return QMediaDevices::audioOutputs();
}

QAudioDevice defaultOutput()
{
    return QMediaDevices::defaultAudioOutput();
}

// Qt 6 gives each output a name meant for people.
QString nameOf(const QAudioDevice& device)
{
    return device.description();
}
#else
using Device = QAudioDeviceInfo;

QList<QAudioDeviceInfo> outputs()
{
    return QAudioDeviceInfo::availableDevices(QAudio::AudioOutput);
}

QAudioDeviceInfo defaultOutput()
{
    return QAudioDeviceInfo::defaultOutputDevice();
}

QString nameOf(const QAudioDeviceInfo& device)
{
    return device.deviceName();
}
#endif

Device outputNamed(const QString& name)
{
    const QList<Device> all = outputs();
    for (const Device& device : all) {
        if (nameOf(device) == name)
            return device;
    }
    return Device();
}

struct Sound
{
    QAudioFormat format;
    QByteArray pcm;
};

QAudioFormat pcm16Format(int sampleRate, int channels)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    format.setSampleFormat(QAudioFormat::Int16);
#else
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setSampleSize(16);
    format.setSampleType(QAudioFormat::SignedInt);
    format.setByteOrder(QAudioFormat::LittleEndian);
#endif
    return format;
}

// The samples of a 16-bit PCM WAV file; none when the file is anything else.
Sound readWav(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WAVE")
        return {};
    Sound sound;
    bool pcm16 = false;
    int rate = 0;
    int channels = 0;
    for (int at = 12; at + 8 <= data.size();) {
        const QByteArray id = data.mid(at, 4);
        const int size
            = int(qMin<quint32>(qFromLittleEndian<quint32>(data.constData() + at + 4), data.size() - at - 8));
        const char* body = data.constData() + at + 8;
        if (id == "fmt " && size >= 16) {
            channels = qFromLittleEndian<quint16>(body + 2);
            rate = int(qFromLittleEndian<quint32>(body + 4));
            pcm16 = qFromLittleEndian<quint16>(body) == 1 && qFromLittleEndian<quint16>(body + 14) == 16;
        } else if (id == "data") {
            sound.pcm = QByteArray(body, size);
        }
        at += 8 + size + (size & 1);
    }
    if (!pcm16 || rate <= 0 || channels <= 0)
        return {};
    // Whole frames only, so that the loop never shifts the samples by a byte.
    sound.pcm.truncate(sound.pcm.size() - sound.pcm.size() % (2 * channels));
    sound.format = pcm16Format(rate, channels);
    return sound;
}

} // namespace

AudioRingPlayer::AudioRingPlayer(QObject* parent)
    : QObject(parent)
    , m_feedTimer(new QTimer(this))
{
    const Sound sound = readWav(QLatin1String(ringSoundPath));
    m_format = sound.format;
    m_pcm = sound.pcm;
    m_feedTimer->setInterval(feedIntervalMs);
    connect(m_feedTimer, &QTimer::timeout, this, &AudioRingPlayer::feed);
}

AudioRingPlayer::~AudioRingPlayer()
{
    stop();
}

QStringList AudioRingPlayer::outputDevices()
{
    QStringList names;
    const QList<Device> all = outputs();
    for (const Device& device : all) {
        // Without a sound server Qt 5 still offers one output, nameless and unusable.
        if (!nameOf(device).isEmpty())
            names << nameOf(device);
    }
    names.removeDuplicates();
    return names;
}

void AudioRingPlayer::start(const QString& device, int volume)
{
    stop();
    if (m_pcm.isEmpty()) {
        warnOnce(QStringLiteral("The ring sound %1 cannot be read").arg(QLatin1String(ringSoundPath)));
        return;
    }
    Device output = device.isEmpty() ? Device() : outputNamed(device);
    if (output.isNull()) {
        if (!device.isEmpty())
            qCInfo(lcAudio) << "Ring tone output" << device << "is not there, ringing on the default output";
        output = defaultOutput();
    }
    if (output.isNull() || !output.isFormatSupported(m_format)) {
        warnOnce(QStringLiteral("No sound output can play the ring tone"));
        return;
    }
    m_output = new Output(output, m_format, this);
    m_output->setBufferSize(int(m_format.bytesForDuration(bufferMicroseconds)));
    m_output->setVolume(QAudio::convertVolume(
        qBound(0, volume, 100) / 100.0, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
    connect(m_output, &Output::stateChanged, this, &AudioRingPlayer::onStateChanged);
    m_sink = m_output->start();
    if (!m_sink) {
        warnOnce(QStringLiteral("The sound output %1 does not open").arg(nameOf(output)));
        stop();
        return;
    }
    m_position = 0;
    feed();
    m_feedTimer->start();
}

void AudioRingPlayer::stop()
{
    m_feedTimer->stop();
    m_sink = nullptr;
    if (!m_output)
        return;
    Output* output = m_output;
    m_output = nullptr;
    output->disconnect(this);
    // What is queued goes too: the ring ends the moment the call is answered.
    output->reset();
    output->stop();
    // Not at once: stop() may run from the output's own signal.
    output->deleteLater();
}

bool AudioRingPlayer::isPlaying() const
{
    return m_output != nullptr;
}

void AudioRingPlayer::feed()
{
    if (!m_sink)
        return;
    const int frameBytes = 2 * m_format.channelCount();
    qint64 room = m_output->bytesFree();
    room -= room % frameBytes;
    while (room > 0) {
        const qint64 chunk = qMin(room, m_pcm.size() - m_position);
        const qint64 written = m_sink->write(m_pcm.constData() + m_position, chunk);
        if (written <= 0)
            break;
        m_position = (m_position + written) % m_pcm.size();
        room -= written;
    }
}

void AudioRingPlayer::onStateChanged(QAudio::State state)
{
    // Idle only means the queue ran dry for a moment; an error means the output went away.
    if (state == QAudio::StoppedState && m_output && m_output->error() != QAudio::NoError) {
        warnOnce(QStringLiteral("The sound output stopped the ring tone (error %1)").arg(int(m_output->error())));
        stop();
    }
}

void AudioRingPlayer::warnOnce(const QString& text)
{
    if (m_warned) {
        qCDebug(lcAudio).noquote() << text;
        return;
    }
    m_warned = true;
    qCWarning(lcAudio).noquote() << text;
}
