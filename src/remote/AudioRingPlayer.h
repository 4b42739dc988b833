#ifndef AUDIORINGPLAYER_H
#define AUDIORINGPLAYER_H

#include "RingPlayer.h"

#include <QAudio>
#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QStringList>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
class QAudioSink;
#else
class QAudioOutput;
#endif
class QIODevice;
class QTimer;

// The ring sound of the resources through Qt Multimedia, fed to the output a little at a time
// so that it loops without a gap. All that differs between Qt 5 and Qt 6 stays in here. Without
// a usable output it stays silent and says so once, rather than at every call.
class AudioRingPlayer : public QObject, public RingPlayer
{
    Q_OBJECT

public:
    explicit AudioRingPlayer(QObject* parent = nullptr);
    ~AudioRingPlayer() override;

    // An output that is gone falls back to the desktop's default output.
    void start(const QString& device, int volume) override;
    void stop() override;
    bool isPlaying() const override;

    // The outputs by name, each once, the default output's among them.
    static QStringList outputDevices();

private:
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    using Output = QAudioSink;
#else
    using Output = QAudioOutput;
#endif

    void feed();
    void onStateChanged(QAudio::State state);
    void warnOnce(const QString& text);

    QAudioFormat m_format;
    QByteArray m_pcm;
    qint64 m_position = 0;
    Output* m_output = nullptr;
    QIODevice* m_sink = nullptr;
    QTimer* m_feedTimer;
    bool m_warned = false;
};

#endif // AUDIORINGPLAYER_H
